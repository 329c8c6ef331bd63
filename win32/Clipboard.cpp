#include "win32/Clipboard.h"

#include <algorithm>

namespace mametan::win32 {

bool PutClipboardText(HWND owner, const std::wstring& text) {
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!memory) return false;
  auto* data = static_cast<wchar_t*>(GlobalLock(memory));
  if (!data) {
    GlobalFree(memory);
    return false;
  }
  std::copy_n(text.c_str(), text.size() + 1, data);
  GlobalUnlock(memory);
  if (!OpenClipboard(owner)) {
    GlobalFree(memory);
    return false;
  }
  EmptyClipboard();
  // Once set, the memory is the clipboard's; on failure it is still ours.
  const bool put = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  if (!put) GlobalFree(memory);
  CloseClipboard();
  return put;
}

std::wstring ClipboardText(HWND owner) {
  std::wstring text;
  if (!OpenClipboard(owner)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      // The text ends at its NUL or at the end of its memory, whichever comes first.
      const std::size_t capacity = GlobalSize(data) / sizeof(wchar_t);
      text.assign(chars, std::find(chars, chars + capacity, L'\0'));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

}  // namespace mametan::win32
