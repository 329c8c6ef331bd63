// The floor the Windows tray benchmark measures against: the smallest Win32
// program with a notification-area icon and a popup menu on a right press.
#include <windows.h>
// shellapi.h needs the types of windows.h.
#include <shellapi.h>

namespace {

constexpr UINT kIconMessage = WM_APP + 1;
constexpr UINT kExit = 1;

LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == kIconMessage && LOWORD(lParam) == WM_RBUTTONDOWN) {
    POINT at{};
    GetCursorPos(&at);
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, kExit, L"Exit");
    SetForegroundWindow(hwnd);
    TrackPopupMenuEx(menu, TPM_RIGHTBUTTON, at.x, at.y, hwnd, nullptr);
    DestroyMenu(menu);
    return 0;
  }
  if (msg == WM_COMMAND && LOWORD(wParam) == kExit) {
    DestroyWindow(hwnd);
    return 0;
  }
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = Procedure;
  wc.hInstance = instance;
  wc.lpszClassName = L"FloorTray";
  RegisterClassW(&wc);
  HWND hwnd =
      CreateWindowW(L"FloorTray", L"floor", 0, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof(icon);
  icon.hWnd = hwnd;
  icon.uID = 1;
  icon.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  icon.uCallbackMessage = kIconMessage;
  icon.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  lstrcpyW(icon.szTip, L"floor");
  Shell_NotifyIconW(NIM_ADD, &icon);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  Shell_NotifyIconW(NIM_DELETE, &icon);
  return 0;
}
