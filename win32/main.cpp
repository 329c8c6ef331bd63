// The Windows program's entry point: the command line and the
// single-instance test, before any window exists.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <string>
#include <vector>

#include "core/common/CommandLine.h"
#include "core/platform/InstanceLock.h"
#include "win32/Program.h"
#include "win32/WideText.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace mametan;
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> args;
  for (int i = 1; argv && i < argc; ++i) args.push_back(win32::Utf8(argv[i]));
  if (argv) LocalFree(argv);
  DebugMode = HasDebugSwitch(args);

  // A refused start shows nothing and writes nothing.
  InstanceLock instanceLock;
  if (!DebugMode && !instanceLock.Acquire()) return 1;
  const int exitCode = win32::RunProgram(instance);
  instanceLock.Release();
  return exitCode;
}
