#pragma once
// What every dialog of the Windows program does alike: messages handed to
// the object that owns the dialog, and the frame sized for the monitor's DPI.
#include <windows.h>

#include <algorithm>
#include <array>
#include <string>

#include "core/app/ProgramWindows.h"
#include "win32/Dpi.h"

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
  // The window's own keys, then the dialog manager's (Tab, Enter, Esc,
  // mnemonics); true when `msg` was used up. Asked while the window is shown.
  virtual bool DialogMessage(MSG& msg) { return IsDialogMessageW(Handle(), &msg) != FALSE; }
};

// The program's windows, at their places in kProgramWindows (null for a
// window a test leaves out).
using WindowTable = std::array<HostedDialog*, kProgramWindows.size()>;

inline HostedDialog*& WindowIn(WindowTable& table, ProgramWindow which) {
  return table[static_cast<std::size_t>(which)];
}
inline HostedDialog* WindowIn(const WindowTable& table, ProgramWindow which) {
  return table[static_cast<std::size_t>(which)];
}

// A control's place in its dialog's client area, in pixels at 96 dots per
// inch.
struct ControlPlace {
  int id;
  int left, top, width, height;
};

// Alt+O and Alt+C, the OK and Cancel buttons' access keys, run them without
// moving the focus (a field keeps its text as typed). True when `msg` was one.
template <typename Ok, typename Cancel>
bool OkCancelAccessKey(const MSG& msg, Ok ok, Cancel cancel) {
  if (msg.message != WM_SYSKEYDOWN || (msg.wParam != 'O' && msg.wParam != 'C')) return false;
  if (msg.wParam == 'O') {
    ok();
  } else {
    cancel();
  }
  return true;
}

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
  RECT frame{0, 0, Scaled(clientWidth, dpiValue), Scaled(clientHeight, dpiValue)};
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

inline std::wstring WindowTextOf(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

// Centres the window on the primary monitor's work area.
inline void CentreOnScreen(HWND hwnd) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
  RECT r{};
  GetWindowRect(hwnd, &r);
  const int x =
      info.rcWork.left + ((info.rcWork.right - info.rcWork.left) - (r.right - r.left)) / 2;
  const int y = info.rcWork.top + ((info.rcWork.bottom - info.rcWork.top) - (r.bottom - r.top)) / 2;
  SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Widens a label or a check box whose text does not fit its box, as far as
// the text needs: a left-aligned one to the right (and back to the left where
// it would leave the window), a right-aligned one to the left, a centred one
// both ways. The substitute faces of a system without the designed ones are
// wider, and a control would wrap or cut the text.
// The width in pixels of a control's text in its own font, on one line.
inline int TextWidthOf(HWND control, bool noPrefix = true) {
  const std::wstring text = WindowTextOf(control);
  HDC dc = GetDC(control);
  const HGDIOBJ old =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  RECT extent{};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &extent,
            DT_CALCRECT | DT_SINGLELINE | (noPrefix ? DT_NOPREFIX : 0));
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return extent.right - extent.left;
}

inline void FitToText(HWND control) {
  const LONG style = GetWindowLongW(control, GWL_STYLE);
  wchar_t className[16] = {};
  GetClassNameW(control, className, 16);
  const bool checkBox =
      lstrcmpiW(className, L"Button") == 0 &&
      ((style & BS_TYPEMASK) == BS_AUTOCHECKBOX || (style & BS_TYPEMASK) == BS_CHECKBOX);
  LONG align = SS_LEFT;
  if (!checkBox) {
    if (lstrcmpiW(className, L"Static") != 0) return;
    align = style & SS_TYPEMASK;
    if (align == SS_LEFTNOWORDWRAP) align = SS_LEFT;
    if (align != SS_LEFT && align != SS_RIGHT && align != SS_CENTER) return;
  }
  int needed = TextWidthOf(control, !checkBox && (style & SS_NOPREFIX)) + 2;
  if (checkBox) {
    // The box and the gap before the text.
    const UINT dpi = GetDpiForWindow(control);
    needed += GetSystemMetricsForDpi(SM_CXMENUCHECK, dpi) + Scaled(6, static_cast<int>(dpi));
  }
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  const int extra = needed - (r.right - r.left);
  if (extra <= 0) return;
  int left = align == SS_LEFT ? r.left : align == SS_RIGHT ? r.left - extra : r.left - extra / 2;
  if (align == SS_LEFT) {
    RECT client{};
    GetClientRect(GetParent(control), &client);
    left = std::max(0L, std::min<LONG>(left, client.right - 2 - needed));
  }
  SetWindowPos(control, nullptr, left, r.top, needed, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace mametan::win32
