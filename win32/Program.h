#pragma once
// The Windows program's run: the windows in start-up order, the message
// loop, the end.
#include <windows.h>

namespace mametan::win32 {

// Runs the program after the single-instance test; the process's exit code.
// `openInput`: the input window opens once the icon is up.
int RunProgram(HINSTANCE instance, bool openInput = false);

}  // namespace mametan::win32
