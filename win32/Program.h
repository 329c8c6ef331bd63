#pragma once
// The Windows program's run: the windows in start-up order, the message
// loop, the end.
#include <windows.h>

namespace mametan::win32 {

// Runs the program after the single-instance test; the process's exit code.
int RunProgram(HINSTANCE instance);

}  // namespace mametan::win32
