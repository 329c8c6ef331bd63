#pragma once
// What every dialog of the Windows program does alike: messages handed to
// the object that owns the dialog, and the frame sized for the monitor's DPI.
#include <windows.h>

namespace mametan::win32 {

// A window the host window shows and brings back. It is built when first
// needed: a program resting in the tray holds no dialog and has not loaded
// the common controls.
class HostedDialog {
 public:
  virtual ~HostedDialog() = default;
  // The window; null until it was first needed.
  virtual HWND Handle() const = 0;
  // The window, built now when it was not yet.
  virtual HWND Window() = 0;
};

// The application window that owns the program's windows (null before it
// exists), and its notice of one of them shown or hidden by a call, given
// before the change. Both live with the application window.
HWND WindowOwner();
void WindowShownOrHidden(HWND window, bool shown);

// The dialog procedure of a class whose object is passed to
// CreateDialogParamW: it keeps the object with the window at WM_INITDIALOG,
// sets its window member and hands every message to its handler.
template <typename Dialog, HWND Dialog::*Window, INT_PTR (Dialog::*Handler)(UINT, WPARAM, LPARAM)>
INT_PTR CALLBACK DialogProcOf(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    reinterpret_cast<Dialog*>(lParam)->*Window = hwnd;
    SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
  }
  if (msg == WM_SHOWWINDOW && lParam == 0) WindowShownOrHidden(hwnd, wParam != FALSE);
  auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  return self ? (self->*Handler)(msg, wParam, lParam) : FALSE;
}

// Sizes the window so that its client area is the designed size in pixels
// at 96 DPI, scaled to the window's monitor.
inline void SizeClientForDpi(HWND hwnd, int clientWidth, int clientHeight) {
  const UINT dpi = GetDpiForWindow(hwnd);
  const int dpiValue = static_cast<int>(dpi);
  RECT frame{0, 0, MulDiv(clientWidth, dpiValue, 96), MulDiv(clientHeight, dpiValue, 96)};
  AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE)), dpi);
  SetWindowPos(hwnd, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// WM_DPICHANGED: the window takes the place and size the system suggests.
inline void TakeSuggestedRect(HWND hwnd, LPARAM lParam) {
  const auto* r = reinterpret_cast<const RECT*>(lParam);
  SetWindowPos(hwnd, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace mametan::win32
