#include "win32/CorrectionWindow.h"

#include <imm.h>

#include <algorithm>

#include "core/entry/DateMask.h"
#include "core/platform/Cp932.h"
#include "win32/Boxes.h"
#include "win32/DialogWindow.h"
#include "win32/Dpi.h"
#include "win32/Resource.h"
#include "win32/WideText.h"

namespace mametan::win32 {
namespace {

constexpr int kClientWidth = 324;
constexpr int kClientHeight = 206;
// How far the kind box's list drops below its field.
constexpr int kDropDownHeight = 200;

// The controls' places in pixels at 96 dots per inch: the labels in a
// column, their fields beside them as in the input window, the buttons at
// the bottom right.
constexpr ControlPlace kPlaces[] = {
    {IDC_CORRECTION_LABEL_LINE, 8, 12, 84, 15},
    {IDC_CORRECTION_LINE, 96, 12, 120, 15},
    {IDC_CORRECTION_LABEL_DATE, 8, 44, 84, 15},
    {IDC_CORRECTION_DATE, 96, 40, 89, 23},
    {IDC_CORRECTION_LABEL_KIND, 8, 76, 84, 15},
    {IDC_CORRECTION_KIND, 96, 72, 145, 23},
    {IDC_CORRECTION_LABEL_GOODS, 8, 108, 84, 15},
    {IDC_CORRECTION_GOODS, 96, 104, 220, 23},
    {IDC_CORRECTION_LABEL_PRICE, 8, 140, 84, 15},
    {IDC_CORRECTION_PRICE, 96, 136, 120, 23},
    {IDOK, 158, 173, 75, 25},
    {IDCANCEL, 241, 173, 75, 25},
};

}  // namespace

CorrectionWindow::~CorrectionWindow() {
  if (m_hwnd) DestroyWindow(m_hwnd);
  DeleteResources();
}

void CorrectionWindow::DeleteResources() {
  for (HFONT* f : {&m_windowFont, &m_labelFont, &m_fieldFont, &m_dateFont}) {
    if (*f) DeleteObject(*f);
    *f = nullptr;
  }
  for (HICON* i : {&m_okIcon, &m_cancelIcon}) {
    if (*i) DestroyIcon(*i);
    *i = nullptr;
  }
}

bool CorrectionWindow::Correct(const LedgerLineBytes& purchase) {
  m_readAgain = false;
  if (!m_hwnd) {
    CreateDialogParamW(
        m_instance, MAKEINTRESOURCEW(IDD_CORRECTION), m_owner,
        &DialogProcOf<CorrectionWindow, &CorrectionWindow::m_hwnd, &CorrectionWindow::Handle>,
        reinterpret_cast<LPARAM>(this));
    if (!m_hwnd) {
      ShowStandardErrorBox("ウィンドウを作成できません", m_owner);
      return false;
    }
    m_presenter.FormCreate();
  }
  if (!m_presenter.FormShow(purchase)) return false;

  // The viewer takes no input while the purchase is being corrected.
  const bool ownerEnabled = m_owner && IsWindowEnabled(m_owner);
  if (ownerEnabled) EnableWindow(m_owner, FALSE);
  PlaceOverOwner();
  m_open = true;
  ShowWindow(m_hwnd, SW_SHOW);
  SetForegroundWindow(m_hwnd);

  MSG msg{};
  while (m_open) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      // The program is ending: the outer loop sees the request too.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got == -1) break;
    if ((IsChild(m_hwnd, msg.hwnd) && PreTranslate(msg)) || IsDialogMessageW(m_hwnd, &msg)) {
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  m_open = false;
  // Enabled before the window goes, so that the keyboard returns to it.
  if (ownerEnabled) EnableWindow(m_owner, TRUE);
  DestroyWindow(m_hwnd);
  m_hwnd = nullptr;
  return m_readAgain;
}

// Centred over the viewer, inside the work area of the viewer's monitor.
void CorrectionWindow::PlaceOverOwner() {
  RECT frame{};
  GetWindowRect(m_hwnd, &frame);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT over{};
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (m_owner && GetWindowRect(m_owner, &over)) {
    GetMonitorInfoW(MonitorFromWindow(m_owner, MONITOR_DEFAULTTONEAREST), &info);
  } else {
    GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
    over = info.rcWork;
  }
  const RECT& work = info.rcWork;
  const int x =
      std::clamp(static_cast<int>(over.left + (over.right - over.left - width) / 2),
                 static_cast<int>(work.left),
                 std::max(static_cast<int>(work.left), static_cast<int>(work.right) - width));
  const int y =
      std::clamp(static_cast<int>(over.top + (over.bottom - over.top - height) / 2),
                 static_cast<int>(work.top),
                 std::max(static_cast<int>(work.top), static_cast<int>(work.bottom) - height));
  SetWindowPos(m_hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CorrectionWindow::Layout() {
  const int dpi = DpiOf(m_hwnd);
  const auto scale = [dpi](int px) { return Scaled(px, dpi); };
  SizeClientForDpi(m_hwnd, kClientWidth, kClientHeight);

  DeleteResources();
  // The input window's faces: bold labels, the fields larger than the
  // window's face, the date in the fixed face so that it fits its field.
  m_windowFont = MakeFont(12, dpi);
  m_labelFont = MakeFont(15, dpi, {.weight = FW_BOLD});
  m_fieldFont = MakeFont(15, dpi);
  m_dateFont = MakeFont(15, dpi, {.face = kFixedFace});
  for (const ControlPlace& p : kPlaces) {
    HWND control = GetDlgItem(m_hwnd, p.id);
    HFONT font = m_fieldFont;
    switch (p.id) {
      case IDC_CORRECTION_LABEL_LINE:
      case IDC_CORRECTION_LABEL_DATE:
      case IDC_CORRECTION_LABEL_KIND:
      case IDC_CORRECTION_LABEL_GOODS:
      case IDC_CORRECTION_LABEL_PRICE:
        font = m_labelFont;
        break;
      case IDC_CORRECTION_DATE:
        font = m_dateFont;
        break;
      case IDOK:
      case IDCANCEL:
        font = m_windowFont;
        break;
      default:
        break;
    }
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    const int height = p.id == IDC_CORRECTION_KIND ? p.height + kDropDownHeight : p.height;
    SetWindowPos(control, nullptr, scale(p.left), scale(p.top), scale(p.width), scale(height),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  // The kind box's field is as high as the other fields; its items 15 pixels.
  HWND kind = GetDlgItem(m_hwnd, IDC_CORRECTION_KIND);
  RECT box{};
  GetWindowRect(GetDlgItem(m_hwnd, IDC_CORRECTION_GOODS), &box);
  const int border = GetSystemMetricsForDpi(SM_CYEDGE, static_cast<UINT>(dpi)) * 2;
  SendMessageW(kind, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), (box.bottom - box.top) - border);
  SendMessageW(kind, CB_SETITEMHEIGHT, 0, scale(15));
  for (int id : {IDC_CORRECTION_LABEL_LINE, IDC_CORRECTION_LABEL_DATE, IDC_CORRECTION_LABEL_KIND,
                 IDC_CORRECTION_LABEL_GOODS, IDC_CORRECTION_LABEL_PRICE}) {
    FitToText(GetDlgItem(m_hwnd, id));
  }

  const int glyph = GetSystemMetricsForDpi(SM_CXSMICON, static_cast<UINT>(dpi));
  m_okIcon = static_cast<HICON>(
      LoadImageW(m_instance, MAKEINTRESOURCEW(IDI_OK), IMAGE_ICON, glyph, glyph, 0));
  m_cancelIcon = static_cast<HICON>(
      LoadImageW(m_instance, MAKEINTRESOURCEW(IDI_CANCEL), IMAGE_ICON, glyph, glyph, 0));
  SendDlgItemMessageW(m_hwnd, IDOK, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(m_okIcon));
  SendDlgItemMessageW(m_hwnd, IDCANCEL, BM_SETIMAGE, IMAGE_ICON,
                      reinterpret_cast<LPARAM>(m_cancelIcon));
  InvalidateRect(m_hwnd, nullptr, TRUE);
}

INT_PTR CorrectionWindow::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowTextW(m_hwnd, Wide(kCorrectionCaption).c_str());
      m_date.Attach(GetDlgItem(m_hwnd, IDC_CORRECTION_DATE));
      m_date.Engine().SetEditMask(kDateEditMask);
      m_date.Engine().SetMaxLength(kDateMaxLength);
      // The fields hold what the ledger holds, however long.
      SendDlgItemMessageW(m_hwnd, IDC_CORRECTION_GOODS, EM_SETLIMITTEXT, 0, 0);
      SendDlgItemMessageW(m_hwnd, IDC_CORRECTION_PRICE, EM_SETLIMITTEXT, 0, 0);
      SendDlgItemMessageW(m_hwnd, IDC_CORRECTION_KIND, CB_LIMITTEXT, 0, 0);
      // No Japanese input in the date and the price: digits stay ASCII.
      ImmAssociateContextEx(GetDlgItem(m_hwnd, IDC_CORRECTION_DATE), nullptr, 0);
      ImmAssociateContextEx(GetDlgItem(m_hwnd, IDC_CORRECTION_PRICE), nullptr, 0);
      Layout();
      return FALSE;
    case WM_DPICHANGED:
      TakeSuggestedRect(m_hwnd, lParam);
      Layout();
      return TRUE;
    case WM_CLOSE:
      // The close box writes nothing.
      m_presenter.bbtn_CancelClick();
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          // The button, or Enter in a field (OK is the default button).
          if (HIWORD(wParam) == BN_CLICKED) m_presenter.bbtn_OkClick();
          return TRUE;
        case IDCANCEL:
          // The button, or Esc.
          if (HIWORD(wParam) == BN_CLICKED) m_presenter.bbtn_CancelClick();
          return TRUE;
        case IDC_CORRECTION_GOODS:
        case IDC_CORRECTION_KIND:
          // Japanese input on in the texts as they get the focus.
          if (HIWORD(wParam) == EN_SETFOCUS || HIWORD(wParam) == CBN_SETFOCUS) {
            HWND field = GetFocus();
            if (HIMC context = ImmGetContext(field)) {
              ImmSetOpenStatus(context, TRUE);
              ImmReleaseContext(field, context);
            }
          }
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

bool CorrectionWindow::PreTranslate(const MSG& msg) {
  return OkCancelAccessKey(
      msg, [this] { m_presenter.bbtn_OkClick(); }, [this] { m_presenter.bbtn_CancelClick(); });
}

HWND CorrectionWindow::Control(CorrectionControl control) {
  switch (control) {
    case CorrectionControl::Date:
      return GetDlgItem(m_hwnd, IDC_CORRECTION_DATE);
    case CorrectionControl::Kind:
      return GetDlgItem(m_hwnd, IDC_CORRECTION_KIND);
    case CorrectionControl::Goods:
      return GetDlgItem(m_hwnd, IDC_CORRECTION_GOODS);
    case CorrectionControl::Price:
      return GetDlgItem(m_hwnd, IDC_CORRECTION_PRICE);
    case CorrectionControl::LineNumber:
      return GetDlgItem(m_hwnd, IDC_CORRECTION_LINE);
    case CorrectionControl::Ok:
      return GetDlgItem(m_hwnd, IDOK);
    case CorrectionControl::Cancel:
      return GetDlgItem(m_hwnd, IDCANCEL);
  }
  return nullptr;
}

std::string CorrectionWindow::Text(CorrectionControl control) {
  if (control == CorrectionControl::Date) return cp932::Decode(m_date.Engine().Text());
  return Utf8(WindowTextOf(Control(control)));
}

void CorrectionWindow::SetText(CorrectionControl control, const std::string& text) {
  if (control == CorrectionControl::Date) {
    // Characters the field cannot hold count as unfilled.
    m_date.Engine().SetText(cp932::Encode(text).value_or(std::string(text.size(), ' ')));
    return;
  }
  const std::wstring wide = Wide(text);
  if (control == CorrectionControl::Kind) {
    // The list's item when one reads the same, letter for letter.
    HWND kind = Control(control);
    LRESULT found = SendMessageW(kind, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(wide.c_str()));
    if (found >= 0) {
      const LRESULT length = SendMessageW(kind, CB_GETLBTEXTLEN, static_cast<WPARAM>(found), 0);
      std::wstring item(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
      SendMessageW(kind, CB_GETLBTEXT, static_cast<WPARAM>(found),
                   reinterpret_cast<LPARAM>(item.data()));
      item.resize(static_cast<std::size_t>(std::max<LRESULT>(length, 0)));
      if (item != wide) found = CB_ERR;
    }
    SendMessageW(kind, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
  }
  SetWindowTextW(Control(control), wide.c_str());
}

void CorrectionWindow::Focus(CorrectionControl control) {
  SendMessageW(m_hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(control)), TRUE);
}

bool CorrectionWindow::DateComplete() { return m_date.Engine().FirstUnfilledPosition() < 0; }

void CorrectionWindow::RefuseUnfinishedDate() { m_date.RefuseUnfinished(); }

std::optional<std::string> CorrectionWindow::ListedKindBytes() {
  HWND kind = Control(CorrectionControl::Kind);
  const LRESULT sel = SendMessageW(kind, CB_GETCURSEL, 0, 0);
  if (sel < 0 || static_cast<std::size_t>(sel) >= m_kinds.size()) return std::nullopt;
  const LRESULT length = SendMessageW(kind, CB_GETLBTEXTLEN, static_cast<WPARAM>(sel), 0);
  std::wstring item(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
  SendMessageW(kind, CB_GETLBTEXT, static_cast<WPARAM>(sel), reinterpret_cast<LPARAM>(item.data()));
  item.resize(static_cast<std::size_t>(std::max<LRESULT>(length, 0)));
  if (item != WindowTextOf(kind)) return std::nullopt;
  return m_kinds[static_cast<std::size_t>(sel)];
}

void CorrectionWindow::SetKinds(std::vector<std::string> kinds) {
  HWND kind = Control(CorrectionControl::Kind);
  const std::wstring typed = WindowTextOf(kind);
  SendMessageW(kind, CB_RESETCONTENT, 0, 0);
  SendMessageW(kind, CB_INITSTORAGE, kinds.size(), 0);
  for (const std::string& k : kinds) {
    SendMessageW(kind, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(cp932::Decode(k)).c_str()));
  }
  m_kinds = std::move(kinds);
  // Filling the list must not put a kind into the box.
  SetWindowTextW(kind, typed.c_str());
}

std::string CorrectionWindow::DateSeparator() {
  wchar_t sep[8] = L"/";
  if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDATE, sep, 8) <= 0) return "/";
  return Utf8(sep);
}

void CorrectionWindow::Close(bool readAgain) {
  m_readAgain = readAgain;
  m_open = false;
}

HWND CorrectionWindow::BoxOwner() const {
  return m_hwnd && IsWindowVisible(m_hwnd) ? m_hwnd : m_owner;
}

void CorrectionWindow::ShowMessage(const std::string& text, MessageIcon icon) {
  ShowProgramMessage(BoxOwner(), text, icon);
}

void CorrectionWindow::ShowErrorBox(const std::string& text) {
  ShowStandardErrorBox(text, BoxOwner());
}

}  // namespace mametan::win32
