#include "win32/ApplicationWindow.h"

#include "core/common/AppError.h"
#include "win32/Resource.h"

namespace mametan::win32 {
namespace {

constexpr wchar_t kClassName[] = L"TApplication";
constexpr wchar_t kTitle[] = L"まめたん家計簿";
// Sent by a window of the program as it is shown or hidden: the window in
// wParam, lParam true when it is being shown.
constexpr UINT kWindowShownOrHidden = WM_APP + 40;

// Where the window is put: nowhere on any screen. It has no size on
// Windows; Wine gives it a pixel, which must not sit under the pointer.
constexpr int kOffScreen = -32000;

ApplicationWindow* g_application = nullptr;

}  // namespace

ApplicationWindow::~ApplicationWindow() {
  if (g_application == this) g_application = nullptr;
  if (m_hwnd) DestroyWindow(m_hwnd);
}

void ApplicationWindow::Create() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &ApplicationWindow::WindowProc;
  wc.hInstance = m_instance;
  wc.hIcon = LoadIconW(m_instance, MAKEINTRESOURCEW(IDI_MAMETAN));
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);
  m_hwnd = CreateWindowExW(0, kClassName, kTitle,
                           WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPSIBLINGS,
                           kOffScreen, kOffScreen, 0, 0, nullptr, nullptr, m_instance, this);
  if (!m_hwnd) throw AppError("TApplication を作成できません");
  g_application = this;
}

HWND WindowOwner() { return g_application ? g_application->m_hwnd : nullptr; }

void WindowShownOrHidden(HWND window, bool shown) {
  HWND owner = WindowOwner();
  if (!owner) return;
  // A window being shown counts at once, so that start-up's own hiding of
  // the entry comes after; a hidden one counts once it is gone. Hiding the
  // entry from inside a window's own hiding leaves that window on the
  // screen under Wine.
  if (shown) {
    SendMessageW(owner, kWindowShownOrHidden, reinterpret_cast<WPARAM>(window), TRUE);
  } else {
    PostMessageW(owner, kWindowShownOrHidden, reinterpret_cast<WPARAM>(window), FALSE);
  }
}

bool ApplicationWindow::IsShown() const { return IsWindowVisible(m_hwnd) != FALSE; }

void ApplicationWindow::SetShown(bool shown) {
  if (!shown) {
    ShowWindow(m_hwnd, SW_HIDE);
  } else {
    // A minimised entry comes back as it was, without taking the focus.
    ShowWindow(m_hwnd, IsIconic(m_hwnd) ? SW_SHOWNOACTIVATE : SW_SHOWNA);
  }
}

// The window being shown or hidden is told of before the change: it counts
// as it will be.
void ApplicationWindow::WindowsChanged(HWND window, bool shown) {
  bool anyVisible = false;
  if (m_windows) {
    for (ProgramWindow which : kProgramWindows) {
      HostedDialog* dialog = WindowIn(*m_windows, which);
      HWND w = dialog ? dialog->Handle() : nullptr;
      if (!w) continue;
      if (w == window && shown && onShown) onShown(which);
      anyVisible = anyVisible || (w == window ? shown : IsWindowVisible(w) != FALSE);
    }
  }
  m_rule.WindowsChanged(anyVisible);
}

LRESULT CALLBACK ApplicationWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<ApplicationWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  switch (msg) {
    case kWindowShownOrHidden:
      self->WindowsChanged(reinterpret_cast<HWND>(wParam), lParam != 0);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && self->onActivate) self->onActivate();
      return 0;
    case WM_CLOSE:
      // The entry's close command: the host window's close path.
      if (self->onClose) self->onClose();
      return 0;
    case WM_SYSCOMMAND:
      // Minimised, the program leaves the taskbar; the tray icon's double
      // click brings it back.
      if ((wParam & 0xFFF0) == SC_MINIMIZE) {
        DefWindowProcW(hwnd, msg, wParam, lParam);
        ShowWindow(hwnd, SW_HIDE);
        return 0;
      }
      return DefWindowProcW(hwnd, msg, wParam, lParam);
    default:
      return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

}  // namespace mametan::win32
