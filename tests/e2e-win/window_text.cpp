// Prints the text of every window of a class, one line each, in UTF-8, as
// another program (a screen reader) reads it: window_text.exe <class>.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::wstring g_class;

BOOL CALLBACK Visit(HWND hwnd, LPARAM) {
  wchar_t name[256] = {};
  GetClassNameW(hwnd, name, 256);
  if (g_class == name) {
    wchar_t text[4096] = {};
    const int length = GetWindowTextW(hwnd, text, 4096);
    char utf8[4096 * 3] = {};
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text, length, utf8, sizeof utf8, nullptr, nullptr);
    std::fwrite(utf8, 1, static_cast<std::size_t>(bytes), stdout);
    std::fputc('\n', stdout);
  }
  return TRUE;
}

BOOL CALLBACK VisitTop(HWND hwnd, LPARAM) {
  Visit(hwnd, 0);
  EnumChildWindows(hwnd, Visit, 0);
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  g_class = argv[1];
  EnumWindows(VisitTop, 0);
  return 0;
}
