#include "win32/KindEditorDialog.h"

#include <algorithm>
#include <vector>

#include "win32/Boxes.h"
#include "win32/CommonControls.h"
#include "win32/DialogWindow.h"
#include "win32/Dpi.h"
#include "win32/Resource.h"
#include "win32/WideText.h"

namespace mametan::win32 {
namespace {

constexpr int kClientWidth = 301;
constexpr int kClientHeight = 309;
// The sunken panel behind the file name, drawn by the dialog.
constexpr RECT kPanel{8, 8, 8 + 285, 8 + 21};

// The controls' places in pixels at 96 dots per inch; the labels inside the
// panel given in the dialog's own coordinates.
constexpr ControlPlace kPlaces[] = {
    {IDC_KIND_TEXT, 8, 36, 285, 229},      {IDOK, 132, 276, 75, 25},
    {IDCANCEL, 216, 276, 75, 25},          {IDC_LABEL_FILE_NAME, 12, 13, 61, 12},
    {IDC_KIND_FILE_NAME, 76, 12, 213, 13},
};

}  // namespace

KindEditorDialog::~KindEditorDialog() {
  if (m_hwnd) DestroyWindow(m_hwnd);
  DeleteResources();
}

void KindEditorDialog::DeleteResources() {
  for (HFONT* f : {&m_font, &m_boldFont, &m_textFont}) {
    if (*f) DeleteObject(*f);
    *f = nullptr;
  }
  for (HICON* i : {&m_okIcon, &m_cancelIcon}) {
    if (*i) DestroyIcon(*i);
    *i = nullptr;
  }
}

HWND KindEditorDialog::Window() {
  if (m_hwnd) return m_hwnd;
  BuildDialog(m_instance, IDD_KIND_EDITOR,
              &DialogProcOf<KindEditorDialog, &KindEditorDialog::m_hwnd, &KindEditorDialog::Handle>,
              reinterpret_cast<LPARAM>(this), m_owner ? m_owner->Window() : nullptr);
  return m_hwnd;
}

void KindEditorDialog::Layout() {
  const int dpi = DpiOf(m_hwnd);
  const auto scale = [dpi](int px) { return Scaled(px, dpi); };
  SizeClientForDpi(m_hwnd, kClientWidth, kClientHeight);

  DeleteResources();
  m_font = MakeFont(12, dpi);
  m_boldFont = MakeFont(12, dpi, {.weight = FW_BOLD});
  // The text is larger than the window's face.
  m_textFont = MakeFont(15, dpi);
  for (const ControlPlace& p : kPlaces) {
    HWND control = GetDlgItem(m_hwnd, p.id);
    const HFONT font = p.id == IDC_KIND_TEXT         ? m_textFont
                       : p.id == IDC_LABEL_FILE_NAME ? m_boldFont
                                                     : m_font;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SetWindowPos(control, nullptr, scale(p.left), scale(p.top), scale(p.width), scale(p.height),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  // A wider face than designed pushes the file name to the right; it still
  // ends inside the panel, clipped.
  HWND label = GetDlgItem(m_hwnd, IDC_LABEL_FILE_NAME);
  FitToText(label);
  RECT labelRect{};
  GetWindowRect(label, &labelRect);
  MapWindowPoints(nullptr, m_hwnd, reinterpret_cast<POINT*>(&labelRect), 2);
  const int nameLeft = std::max<int>(scale(76), labelRect.right + scale(3));
  SetWindowPos(GetDlgItem(m_hwnd, IDC_KIND_FILE_NAME), nullptr, nameLeft, scale(12),
               scale(kPanel.right - 4) - nameLeft, scale(13), SWP_NOZORDER | SWP_NOACTIVATE);

  const int glyph = GetSystemMetricsForDpi(SM_CXSMICON, dpi);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  m_okIcon = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(IDI_OK), IMAGE_ICON, glyph, glyph, 0));
  m_cancelIcon = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(IDI_CANCEL), IMAGE_ICON, glyph, glyph, 0));
  SendDlgItemMessageW(m_hwnd, IDOK, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(m_okIcon));
  SendDlgItemMessageW(m_hwnd, IDCANCEL, BM_SETIMAGE, IMAGE_ICON,
                      reinterpret_cast<LPARAM>(m_cancelIcon));
  InvalidateRect(m_hwnd, nullptr, TRUE);
}

void KindEditorDialog::Paint() {
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(m_hwnd, &ps);
  const int dpi = DpiOf(m_hwnd);
  RECT panel{Scaled(kPanel.left, dpi), Scaled(kPanel.top, dpi), Scaled(kPanel.right, dpi),
             Scaled(kPanel.bottom, dpi)};
  DrawEdge(dc, &panel, BDR_SUNKENOUTER, BF_RECT);
  EndPaint(m_hwnd, &ps);
}

INT_PTR KindEditorDialog::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      // No limit of the text box's own: the file may be long.
      SendDlgItemMessageW(m_hwnd, IDC_KIND_TEXT, EM_SETLIMITTEXT, 0, 0);
      Layout();
      return FALSE;
    case WM_DPICHANGED:
      TakeSuggestedRect(m_hwnd, lParam);
      Layout();
      return TRUE;
    case WM_PAINT:
      Paint();
      return TRUE;
    case WM_CLOSE:
      // The close box writes nothing.
      m_presenter.bbtn_CancelClick();
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          m_presenter.bbtn_OkClick();
          return TRUE;
        case IDCANCEL:
          m_presenter.bbtn_CancelClick();
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

bool KindEditorDialog::PreTranslate(const MSG& msg) {
  if (!m_hwnd || (msg.hwnd != m_hwnd && !IsChild(m_hwnd, msg.hwnd))) return false;
  if (OkCancelAccessKey(
          msg, [this] { m_presenter.bbtn_OkClick(); },
          [this] { m_presenter.bbtn_CancelClick(); })) {
    return true;
  }
  if (msg.message != WM_KEYDOWN) return false;
  // The text box keeps Esc for itself and does nothing with it (a text box
  // of many lines would otherwise close its dialog).
  if (msg.wParam == VK_ESCAPE && msg.hwnd == GetDlgItem(m_hwnd, IDC_KIND_TEXT)) return true;
  return false;
}

void KindEditorDialog::Edit(const std::string& path) {
  if (!Window()) return;
  m_presenter.SetFileName(path);
  // The program's other windows take no input while the editor is open.
  struct Disabled {
    HWND editor;
    std::vector<HWND> windows;
  } disabled{m_hwnd, {}};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM data) -> BOOL {
        auto* d = reinterpret_cast<Disabled*>(data);
        if (hwnd != d->editor && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
          EnableWindow(hwnd, FALSE);
          d->windows.push_back(hwnd);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&disabled));
  if (!m_shownOnce) {
    // Centred the first time, where it was left afterwards; the text box
    // has the focus first, then the control that had it at the last close.
    CentreOnScreen(m_hwnd);
    SendMessageW(m_hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(m_hwnd, IDC_KIND_TEXT)),
                 TRUE);
    m_shownOnce = true;
  }
  m_open = true;
  ShowWindow(m_hwnd, SW_SHOW);
  SetForegroundWindow(m_hwnd);
  m_presenter.FormShow();

  MSG msg{};
  while (m_open) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      // The program is ending: the outer loop sees the request too.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got == -1) break;
    if (DialogMessage(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  m_open = false;
  // Enabled before the editor hides, so that the keyboard returns to them.
  for (HWND hwnd : disabled.windows) EnableWindow(hwnd, TRUE);
  ShowWindow(m_hwnd, SW_HIDE);
}

void KindEditorDialog::SetFileCaption(const std::string& path) {
  SetDlgItemTextW(m_hwnd, IDC_KIND_FILE_NAME, Wide(path).c_str());
}

std::string KindEditorDialog::Text() {
  // The box ends its lines with CR LF; the logic has them as "\n". A lone CR
  // (pasted in) ends a line as well.
  const std::wstring text = WindowTextOf(GetDlgItem(m_hwnd, IDC_KIND_TEXT));
  std::wstring lines;
  lines.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r') {
      lines.push_back(L'\n');
      if (i + 1 < text.size() && text[i + 1] == L'\n') ++i;
    } else {
      lines.push_back(text[i]);
    }
  }
  return Utf8(lines);
}

void KindEditorDialog::SetText(const std::string& text) {
  const std::wstring wide = Wide(text);
  std::wstring box;
  box.reserve(wide.size() + wide.size() / 8);
  for (wchar_t c : wide) {
    if (c == L'\n') box.push_back(L'\r');
    box.push_back(c);
  }
  SetDlgItemTextW(m_hwnd, IDC_KIND_TEXT, box.c_str());
}

void KindEditorDialog::Close(bool) { m_open = false; }

void KindEditorDialog::ShowMessage(const std::string& text, MessageIcon icon) {
  ShowProgramMessage(IsWindowVisible(m_hwnd) ? m_hwnd : nullptr, text, icon);
}

void KindEditorDialog::ShowErrorBox(const std::string& text) { ShowStandardErrorBox(text); }

}  // namespace mametan::win32
