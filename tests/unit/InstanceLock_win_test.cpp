#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "core/platform/InstanceLock.h"

namespace mametan {
namespace {

constexpr const char* kHelperSwitch = "--instance-lock-helper=";

std::string EventName(const char* what, DWORD parent) {
  return std::string("MametanTest.") + what + "." + std::to_string(parent);
}

// Started with kHelperSwitch, this program plays a second start of the
// program instead of running the tests: "probe" tries the lock and ends,
// exit code 0 when it got it, 1 when refused; "hold <pid>" takes the lock,
// tells the test so and keeps it until the test says to end.
int RunAsHelper() {
  const char* line = GetCommandLineA();
  const char* at = std::strstr(line, kHelperSwitch);
  if (!at) return 0;
  const std::string mode(at + std::strlen(kHelperSwitch));
  InstanceLock lock;
  const bool got = lock.Acquire();
  if (got && mode.rfind("hold ", 0) == 0) {
    const DWORD parent = std::stoul(mode.substr(5));
    const HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, EventName("Ready", parent).c_str());
    const HANDLE quit = OpenEventA(SYNCHRONIZE, FALSE, EventName("Quit", parent).c_str());
    if (!ready || !quit) ExitProcess(2);
    SetEvent(ready);
    WaitForSingleObject(quit, 60000);
  }
  // Ends without releasing: the system drops the mutex with the process.
  ExitProcess(got ? 0 : 1);
}
const int kHelper = RunAsHelper();

std::wstring OwnPath() {
  wchar_t path[MAX_PATH * 2];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  return std::wstring(path, n);
}

PROCESS_INFORMATION StartHelper(const std::string& mode) {
  std::wstring line = L"\"" + OwnPath() + L"\" " +
                      std::wstring(kHelperSwitch, kHelperSwitch + std::strlen(kHelperSwitch)) +
                      std::wstring(mode.begin(), mode.end());
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi)) {
    ADD_FAILURE() << "cannot start the helper: " << GetLastError();
  }
  return pi;
}

DWORD WaitForExit(const PROCESS_INFORMATION& pi) {
  DWORD code = 99;
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 30000), WAIT_OBJECT_0);
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

DWORD Probe() { return WaitForExit(StartHelper("probe")); }

TEST(InstanceLockWin, SecondStartIsRefusedWhileTheFirstRuns) {
  ASSERT_EQ(kHelper, 0);
  InstanceLock first;
  ASSERT_TRUE(first.Acquire());
  EXPECT_TRUE(first.Acquire()) << "taking it again in the same run is no second start";
  EXPECT_EQ(Probe(), 1u) << "a second start is refused";
  EXPECT_EQ(Probe(), 1u) << "and again: the refused start left nothing behind";
  first.Release();
  EXPECT_EQ(Probe(), 0u) << "free again once the first lets go";
}

TEST(InstanceLockWin, NewStartGetsTheMutexAfterTheFirstProcessEnds) {
  for (const bool kill : {false, true}) {
    SCOPED_TRACE(kill ? "first instance killed" : "first instance ends");
    const DWORD self = GetCurrentProcessId();
    const HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, EventName("Ready", self).c_str());
    const HANDLE quit = CreateEventA(nullptr, TRUE, FALSE, EventName("Quit", self).c_str());
    ASSERT_TRUE(ready && quit);
    const PROCESS_INFORMATION holder = StartHelper("hold " + std::to_string(self));
    const HANDLE waitFor[] = {ready, holder.hProcess};
    ASSERT_EQ(WaitForMultipleObjects(2, waitFor, FALSE, 30000), WAIT_OBJECT_0)
        << "the first instance did not get the mutex";

    // What a second start sees, on the bare system calls.
    SetLastError(ERROR_SUCCESS);
    const HANDLE other = CreateMutexA(nullptr, TRUE, "Mametan");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    ASSERT_NE(other, nullptr);
    CloseHandle(other);

    InstanceLock second;
    EXPECT_FALSE(second.Acquire());

    if (kill) {
      TerminateProcess(holder.hProcess, 7);
    } else {
      SetEvent(quit);
    }
    EXPECT_EQ(WaitForExit(holder), kill ? 7u : 0u);
    EXPECT_TRUE(second.Acquire()) << "the refused attempt must not keep the mutex alive";
    second.Release();
    CloseHandle(ready);
    CloseHandle(quit);
  }
}

}  // namespace
}  // namespace mametan
