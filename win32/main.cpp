// The Windows program's entry point: the command line and the
// single-instance test, before any window exists.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/common/CommandLine.h"
#include "core/platform/InstanceLock.h"
#include "win32/HostWindow.h"
#include "win32/Program.h"
#include "win32/WideText.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace mametan;
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> args;
  for (int i = 1; argv && i < argc; ++i) args.push_back(win32::Utf8(argv[i]));
  if (argv) LocalFree(argv);
  const Switches switches = ReadSwitches(args, false);
  const std::string unknown = UnknownSwitchesLine(switches);
  if (!unknown.empty()) std::fprintf(stderr, "mametan: %s\n", unknown.c_str());
  DebugMode = switches.debug;

  // A refused start shows nothing and writes nothing; one that asks for the
  // input window passes that on to the running copy and ends.
  InstanceLock instanceLock;
  if (!DebugMode && !instanceLock.Acquire()) {
    if (!switches.input) return 1;
    std::string problem;
    if (win32::AskRunningCopyForInput(2000, problem)) return 0;
    std::fprintf(stderr,
                 "mametan: the running copy did not take the request for the input window: %s\n",
                 problem.c_str());
    return 1;
  }
  const int exitCode = win32::RunProgram(instance, switches.input);
  instanceLock.Release();
  return exitCode;
}
