#pragma once
// The clipboard's text, checked at every step: a clipboard another program
// holds open, memory that cannot be had or a format refused leave the
// clipboard as it was and say so.
#include <windows.h>

#include <string>

namespace mametan::win32 {

// Puts the text on the clipboard; false when any step failed.
bool PutClipboardText(HWND owner, const std::wstring& text);

// The clipboard's text, or an empty string when there is none or it cannot
// be read.
std::wstring ClipboardText(HWND owner);

}  // namespace mametan::win32
