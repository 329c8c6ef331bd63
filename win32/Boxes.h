#pragma once
// The program's message boxes with Win32's MessageBoxW.
#include <windows.h>

#include <string>

#include "core/common/Messages.h"

namespace mametan::win32 {

inline constexpr const wchar_t* kApplicationTitle = L"まめたん家計簿";

// The program's own message: caption "Message", one OK button, over `owner`.
void ShowProgramMessage(HWND owner, const std::string& text, MessageIcon icon);
// The standard error box: the application title, the stop icon, the text
// with the error box's full stop; over `owner`, or over every window of the
// program when there is none.
void ShowStandardErrorBox(const std::string& message, HWND owner = nullptr);

}  // namespace mametan::win32
