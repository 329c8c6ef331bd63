// Reads windows from outside the program, as a screen reader does:
//   window_text.exe <class>   the text of every window of a class, one a line;
//   window_text.exe /focus    from then on, a line each time the keyboard focus
//                             or the focused control's text or check changes:
//                             "<window title>\t<control id>\t<class>\t<text>",
//                             the control being the focused window's child
//                             of the top-level window ("-" with no focus);
//   window_text.exe /new-shell  leaves the notification area as a shell
//                             started again finds it, without the program's
//                             icon, and announces itself to every top-level
//                             window as such a shell does.
// Output is UTF-8.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

std::wstring g_class;

void Print(const std::wstring& text) {
  char utf8[4096 * 3] = {};
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                        utf8, sizeof utf8, nullptr, nullptr);
  std::fwrite(utf8, 1, static_cast<std::size_t>(bytes), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

std::wstring TextOf(HWND hwnd) {
  wchar_t text[4096] = {};
  const int length = GetWindowTextW(hwnd, text, 4096);
  return std::wstring(text, static_cast<std::size_t>(length));
}

BOOL CALLBACK Visit(HWND hwnd, LPARAM) {
  wchar_t name[256] = {};
  GetClassNameW(hwnd, name, 256);
  if (g_class == name) Print(TextOf(hwnd));
  return TRUE;
}

BOOL CALLBACK VisitTop(HWND hwnd, LPARAM) {
  Visit(hwnd, 0);
  EnumChildWindows(hwnd, Visit, 0);
  return TRUE;
}

// The focus of the foreground window's thread, as one line.
std::wstring FocusLine() {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  const HWND foreground = GetForegroundWindow();
  if (!foreground || !GetGUIThreadInfo(GetWindowThreadProcessId(foreground, nullptr), &info) ||
      !info.hwndFocus)
    return L"-";
  const HWND root = GetAncestor(info.hwndFocus, GA_ROOT);
  HWND control = info.hwndFocus;
  while (control != root && GetParent(control) != root) control = GetParent(control);
  wchar_t name[256] = {};
  GetClassNameW(control, name, 256);
  // The control's own text, as it holds it now (an edit field's content).
  wchar_t buffer[256] = {};
  DWORD_PTR length = 0;
  if (control != root)
    SendMessageTimeoutW(control, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(buffer),
                        SMTO_ABORTIFHUNG, 200, &length);
  std::wstring text(buffer, std::min<std::size_t>(length, 255));
  for (wchar_t& c : text) {
    if (c == L'\t' || c == L'\r' || c == L'\n') c = L' ';
  }
  if (text.size() > 60) text.resize(60);
  std::wstring line = TextOf(root) + L"\t" +
                      std::to_wstring(control == root ? 0 : GetDlgCtrlID(control)) + L"\t" + name +
                      L"\t" + text;
  if (std::wstring(name) == L"Button") {
    DWORD_PTR check = 0;
    SendMessageTimeoutW(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 200, &check);
    if (check == BST_CHECKED) line += L"\t[x]";
  }
  return line;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  if (std::wstring(argv[1]) == L"/focus") {
    std::wstring last;
    for (;;) {
      const std::wstring line = FocusLine();
      if (line != last) Print(line);
      last = line;
      Sleep(30);
    }
  }
  if (std::wstring(argv[1]) == L"/new-shell") {
    // Under Wine the shell cannot really be started again: the desktop
    // window is its explorer.exe's, and a program's windows stay behind
    // with the old one, out of reach of the new shell.
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = FindWindowW(L"Tform_Main", nullptr);
    icon.uID = 1;
    if (!icon.hWnd || !Shell_NotifyIconW(NIM_DELETE, &icon)) return 1;
    PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    return 0;
  }
  g_class = argv[1];
  EnumWindows(VisitTop, 0);
  return 0;
}
