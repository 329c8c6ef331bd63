#include "win32/InputWindow.h"

#include <commctrl.h>
#include <imm.h>

#include <algorithm>

#include "core/entry/DateMask.h"
#include "core/platform/Cp932.h"
#include "win32/Boxes.h"
#include "win32/CommonControls.h"
#include "win32/DialogWindow.h"
#include "win32/Dpi.h"
#include "win32/Resource.h"
#include "win32/WideText.h"

namespace mametan::win32 {
namespace {

constexpr int kClientWidth = 345;
constexpr int kClientHeight = 161;
// How far the kind box's list drops below its field.
constexpr int kDropDownHeight = 200;

// The controls' places in pixels at 96 dots per inch.
constexpr ControlPlace kPlaces[] = {
    {IDC_LABEL_DATE, 8, 16, 55, 15},    {IDC_DATE, 68, 12, 89, 23},
    {IDC_HOLD_DATE, 172, 16, 97, 17},   {IDC_LABEL_KIND, 8, 48, 54, 15},
    {IDC_KIND, 68, 44, 145, 23},        {IDC_LABEL_GOODS, 8, 80, 55, 15},
    {IDC_GOODS, 68, 76, 181, 23},       {IDC_LABEL_PRICE, 8, 112, 54, 15},
    {IDC_PRICE, 68, 108, 181, 23},      {IDC_AUTO_TAX, 68, 136, 93, 17},
    {IDC_NEXT_INPUT, 248, 136, 93, 17}, {IDC_OK, 260, 72, 75, 25},
    {IDC_CANCEL, 260, 104, 75, 25},
};

}  // namespace

InputWindow::~InputWindow() {
  if (m_hwnd) DestroyWindow(m_hwnd);
  for (HFONT f : {m_labelFont, m_fieldFont, m_dateFont, m_windowFont}) {
    if (f) DeleteObject(f);
  }
  for (HICON i : {m_okIcon, m_cancelIcon}) {
    if (i) DestroyIcon(i);
  }
}

void InputWindow::Create(HINSTANCE instance, HMENU contextMenu, HWND menuOwner) {
  m_instance = instance;
  m_contextMenu = contextMenu;
  m_menuOwner = menuOwner;
  m_presenter.FormCreate();
}

HWND InputWindow::Window() {
  if (m_hwnd) return m_hwnd;
  m_creating = true;
  BuildDialog(m_instance, IDD_INPUT,
              &DialogProcOf<InputWindow, &InputWindow::m_hwnd, &InputWindow::Handle>,
              reinterpret_cast<LPARAM>(this));
  m_creating = false;
  if (m_hwnd && !m_kindsListed) SetKinds(std::move(m_kinds));
  return m_hwnd;
}

int InputWindow::Scale(int pixels) const { return Scaled(pixels, DpiOf(m_hwnd)); }

void InputWindow::Layout() {
  const UINT dpi = GetDpiForWindow(m_hwnd);
  SizeClientForDpi(m_hwnd, kClientWidth, kClientHeight);

  for (HFONT f : {m_labelFont, m_fieldFont, m_dateFont, m_windowFont}) {
    if (f) DeleteObject(f);
  }
  const int dpiValue = static_cast<int>(dpi);
  m_windowFont = MakeFont(12, dpiValue);
  m_labelFont = MakeFont(15, dpiValue, {.weight = FW_BOLD});
  m_fieldFont = MakeFont(15, dpiValue);
  // The date must fit its 89 pixels: digits of half an em.
  m_dateFont = MakeFont(15, dpiValue, {.face = kFixedFace});
  for (const ControlPlace& p : kPlaces) {
    HWND control = GetDlgItem(m_hwnd, p.id);
    HFONT font = m_windowFont;
    switch (p.id) {
      case IDC_LABEL_DATE:
      case IDC_LABEL_KIND:
      case IDC_LABEL_GOODS:
      case IDC_LABEL_PRICE:
        font = m_labelFont;
        break;
      case IDC_KIND:
      case IDC_GOODS:
      case IDC_PRICE:
        font = m_fieldFont;
        break;
      case IDC_DATE:
        font = m_dateFont;
        break;
      default:
        break;
    }
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    const int height = p.id == IDC_KIND ? p.height + kDropDownHeight : p.height;
    SetWindowPos(control, nullptr, Scale(p.left), Scale(p.top), Scale(p.width), Scale(height),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  // The kind box's field is as high as the other fields; its items 15 pixels.
  HWND kind = GetDlgItem(m_hwnd, IDC_KIND);
  RECT box{};
  GetWindowRect(GetDlgItem(m_hwnd, IDC_GOODS), &box);
  const int border = GetSystemMetricsForDpi(SM_CYEDGE, dpi) * 2;
  SendMessageW(kind, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), (box.bottom - box.top) - border);
  SendMessageW(kind, CB_SETITEMHEIGHT, 0, Scale(15));
  // The captions keep their access keys in sight where the face is wider.
  for (int id : {IDC_LABEL_DATE, IDC_LABEL_KIND, IDC_LABEL_GOODS, IDC_LABEL_PRICE, IDC_HOLD_DATE,
                 IDC_AUTO_TAX, IDC_NEXT_INPUT}) {
    FitToText(GetDlgItem(m_hwnd, id));
  }

  const int glyph = GetSystemMetricsForDpi(SM_CXSMICON, dpi);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  for (HICON i : {m_okIcon, m_cancelIcon}) {
    if (i) DestroyIcon(i);
  }
  m_okIcon = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(IDI_OK), IMAGE_ICON, glyph, glyph, 0));
  m_cancelIcon = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(IDI_CANCEL), IMAGE_ICON, glyph, glyph, 0));
  SendDlgItemMessageW(m_hwnd, IDC_OK, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(m_okIcon));
  SendDlgItemMessageW(m_hwnd, IDC_CANCEL, BM_SETIMAGE, IMAGE_ICON,
                      reinterpret_cast<LPARAM>(m_cancelIcon));
}

INT_PTR InputWindow::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG: {
      m_date.Attach(GetDlgItem(m_hwnd, IDC_DATE));
      m_date.Engine().SetEditMask(kDateEditMask);
      m_date.Engine().SetMaxLength(kDateMaxLength);
      // Typed and picked texts have no length limit of their own.
      SendDlgItemMessageW(m_hwnd, IDC_GOODS, EM_SETLIMITTEXT, 0, 0);
      SendDlgItemMessageW(m_hwnd, IDC_PRICE, EM_SETLIMITTEXT, 0, 0);
      SendDlgItemMessageW(m_hwnd, IDC_KIND, CB_LIMITTEXT, 0, 0);
      // No Japanese input in the date and the price: digits stay ASCII.
      ImmAssociateContextEx(GetDlgItem(m_hwnd, IDC_DATE), nullptr, 0);
      ImmAssociateContextEx(GetDlgItem(m_hwnd, IDC_PRICE), nullptr, 0);
      Layout();
      return FALSE;
    }
    case WM_DPICHANGED: {
      TakeSuggestedRect(m_hwnd, lParam);
      Layout();
      return TRUE;
    }
    case WM_SHOWWINDOW:
      // Shown anew by a program's call, not un-minimised.
      if (wParam && lParam == 0) m_presenter.OnShow();
      return FALSE;
    case WM_WINDOWPOSCHANGED:
      if (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_HIDEWINDOW) {
        m_presenter.FormHide();
      }
      return FALSE;
    case WM_CLOSE:
      // The close box only hides the window; it is not Cancel.
      Hide();
      return TRUE;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) == m_hwnd && m_contextMenu) {
        POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (lParam == -1) GetCursorPos(&at);
        TrackPopupMenuEx(m_contextMenu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, m_menuOwner,
                         nullptr);
        return TRUE;
      }
      return FALSE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_OK:
          if (HIWORD(wParam) == BN_CLICKED) m_presenter.bbtn_OkClick();
          return TRUE;
        case IDC_CANCEL:
          if (HIWORD(wParam) == BN_CLICKED) m_presenter.bbtn_CancelClick();
          return TRUE;
        case IDCANCEL:
          // Esc: the Cancel button.
          m_presenter.bbtn_CancelClick();
          return TRUE;
        case IDC_NEXT_INPUT:
          if (HIWORD(wParam) == BN_CLICKED) m_presenter.cb_NextInputClick();
          return TRUE;
        case IDC_GOODS:
        case IDC_KIND:
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
          // IDOK: Enter while the window has no default button.
          return TRUE;
      }
    default:
      return FALSE;
  }
}

bool InputWindow::PreTranslate(const MSG& msg) {
  if (!m_hwnd || (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN)) return false;
  HWND kind = GetDlgItem(m_hwnd, IDC_KIND);
  HWND target = msg.hwnd;
  if (GetParent(target) == kind) target = kind;
  const bool keyHandling =
      target == kind || target == GetDlgItem(m_hwnd, IDC_DATE) ||
      target == GetDlgItem(m_hwnd, IDC_GOODS) || target == GetDlgItem(m_hwnd, IDC_PRICE) ||
      target == GetDlgItem(m_hwnd, IDC_OK) || target == GetDlgItem(m_hwnd, IDC_CANCEL);
  if (!keyHandling) return false;
  KeyStroke key;
  key.enter = msg.wParam == VK_RETURN;
  key.keypad = key.enter && (msg.lParam & (1 << 24)) != 0;
  key.shift = GetKeyState(VK_SHIFT) < 0;
  key.ctrl = GetKeyState(VK_CONTROL) < 0;
  key.alt = msg.message == WM_SYSKEYDOWN || GetKeyState(VK_MENU) < 0;
  key.onButton = target == GetDlgItem(m_hwnd, IDC_OK) || target == GetDlgItem(m_hwnd, IDC_CANCEL);
  if (target == kind && SendMessageW(kind, CB_GETDROPPEDSTATE, 0, 0)) {
    // The list picks the item and closes itself; the focus moves on after.
    if (const auto forward = m_presenter.ListKeyPress(key)) {
      PostMessageW(m_hwnd, WM_NEXTDLGCTL, *forward ? 0 : 1, FALSE);
    }
    return false;
  }
  return m_presenter.FormKeyPress(key);
}

HWND InputWindow::Control(InputControl control) {
  Window();
  switch (control) {
    case InputControl::Date:
      return GetDlgItem(m_hwnd, IDC_DATE);
    case InputControl::Kind:
      return GetDlgItem(m_hwnd, IDC_KIND);
    case InputControl::Goods:
      return GetDlgItem(m_hwnd, IDC_GOODS);
    case InputControl::Price:
      return GetDlgItem(m_hwnd, IDC_PRICE);
    case InputControl::AutoTax:
      return GetDlgItem(m_hwnd, IDC_AUTO_TAX);
    case InputControl::NextInput:
      return GetDlgItem(m_hwnd, IDC_NEXT_INPUT);
    case InputControl::HoldDate:
      return GetDlgItem(m_hwnd, IDC_HOLD_DATE);
    case InputControl::Ok:
      return GetDlgItem(m_hwnd, IDC_OK);
    case InputControl::Cancel:
      return GetDlgItem(m_hwnd, IDC_CANCEL);
  }
  return nullptr;
}

std::string InputWindow::Text(InputControl control) {
  if (control == InputControl::Date) return cp932::Decode(m_date.Engine().Text());
  return Utf8(WindowTextOf(Control(control)));
}

void InputWindow::SetText(InputControl control, const std::string& text) {
  if (control == InputControl::Date) {
    // Characters the field cannot hold count as unfilled.
    m_date.Engine().SetText(cp932::Encode(text).value_or(std::string(text.size(), ' ')));
    return;
  }
  SetWindowTextW(Control(control), Wide(text).c_str());
}

bool InputWindow::Checked(InputControl control) {
  return SendMessageW(Control(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void InputWindow::SetChecked(InputControl control, bool checked) {
  SendMessageW(Control(control), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void InputWindow::Focus(InputControl control) {
  SendMessageW(Window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(control)), TRUE);
}

bool InputWindow::DateComplete() { return m_date.Engine().FirstUnfilledPosition() < 0; }

void InputWindow::RefuseUnfinishedDate() { m_date.RefuseUnfinished(); }

std::optional<std::string> InputWindow::ListedKindBytes() {
  HWND kind = Control(InputControl::Kind);
  const LRESULT sel = SendMessageW(kind, CB_GETCURSEL, 0, 0);
  if (sel < 0 || static_cast<std::size_t>(sel) >= m_kinds.size()) return std::nullopt;
  const LRESULT length = SendMessageW(kind, CB_GETLBTEXTLEN, static_cast<WPARAM>(sel), 0);
  std::wstring item(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
  SendMessageW(kind, CB_GETLBTEXT, static_cast<WPARAM>(sel), reinterpret_cast<LPARAM>(item.data()));
  item.resize(static_cast<std::size_t>(std::max<LRESULT>(length, 0)));
  if (item != WindowTextOf(kind)) return std::nullopt;
  return m_kinds[static_cast<std::size_t>(sel)];
}

void InputWindow::ClearKind() {
  HWND kind = Control(InputControl::Kind);
  SendMessageW(kind, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  SetWindowTextW(kind, L"");
}

void InputWindow::SetKinds(std::vector<std::string> kinds) {
  if (!m_hwnd) {
    m_kinds = std::move(kinds);
    m_kindsListed = false;
    return;
  }
  HWND kind = Control(InputControl::Kind);
  const std::wstring typed = WindowTextOf(kind);
  SendMessageW(kind, CB_RESETCONTENT, 0, 0);
  SendMessageW(kind, CB_INITSTORAGE, kinds.size(), 0);
  for (const std::string& k : kinds) {
    SendMessageW(kind, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(cp932::Decode(k)).c_str()));
  }
  m_kinds = std::move(kinds);
  m_kindsListed = true;
  // Filling the list must not put a kind into the box.
  SetWindowTextW(kind, typed.c_str());
}

void InputWindow::SetOkDefault(bool isDefault) {
  SendMessageW(Window(), DM_SETDEFID, isDefault ? IDC_OK : IDOK, 0);
  if (!isDefault) {
    SendDlgItemMessageW(Window(), IDC_OK, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  }
}

void InputWindow::MoveFocus(bool forward) {
  SendMessageW(Window(), WM_NEXTDLGCTL, forward ? 0 : 1, FALSE);
}

CivilDate InputWindow::Today() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay};
}

std::string InputWindow::DateSeparator() {
  wchar_t sep[8] = L"/";
  if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDATE, sep, 8) <= 0) return "/";
  return Utf8(sep);
}

std::vector<ScreenArea> InputWindow::Screens() {
  std::vector<ScreenArea> screens;
  EnumDisplayMonitors(
      nullptr, nullptr,
      [](HMONITOR, HDC, LPRECT r, LPARAM data) -> BOOL {
        reinterpret_cast<std::vector<ScreenArea>*>(data)->push_back(
            {r->left, r->top, r->right - r->left, r->bottom - r->top});
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&screens));
  return screens;
}

int InputWindow::FrameWidth() {
  RECT r{};
  GetWindowRect(Window(), &r);
  return r.right - r.left;
}

int InputWindow::TitleBarHeight() {
  RECT r{};
  GetWindowRect(Window(), &r);
  POINT client{0, 0};
  ClientToScreen(Window(), &client);
  return client.y - r.top;
}

std::optional<WindowPoint> InputWindow::FramePlace() {
  RECT r{};
  GetWindowRect(Window(), &r);
  return WindowPoint{r.left, r.top};
}

void InputWindow::PlaceFrameAt(WindowPoint frameTopLeft) {
  SetWindowPos(Window(), nullptr, frameTopLeft.x, frameTopLeft.y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

WindowPoint InputWindow::PlaceAtDefault() {
  HWND hwnd = Window();
  CentreOnScreen(hwnd);
  RECT r{};
  GetWindowRect(hwnd, &r);
  return {r.left, r.top};
}

void InputWindow::Show() {
  ShowWindow(Window(), SW_SHOW);
  SetForegroundWindow(Window());
}

void InputWindow::Hide() {
  if (m_hwnd) ShowWindow(m_hwnd, SW_HIDE);
}

bool InputWindow::IsVisible() { return IsWindowVisible(m_hwnd) != FALSE; }

void InputWindow::ShowMessage(const std::string& text, MessageIcon icon) {
  // Before the window is first shown the message belongs to no window.
  ShowProgramMessage(IsVisible() ? m_hwnd : nullptr, text, icon);
}

void InputWindow::ShowErrorBox(const std::string& text) { ShowStandardErrorBox(text); }

}  // namespace mametan::win32
