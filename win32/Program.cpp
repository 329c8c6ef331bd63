#include "win32/Program.h"

#include <commctrl.h>

#include <exception>
#include <memory>
#include <vector>

#include "common/ApSystem.h"
#include "platform/WinRegistry.h"
#include "win32/Boxes.h"
#include "win32/HostWindow.h"

namespace mametan::win32 {
namespace {

// The modeless dialogs whose keys the dialog manager handles (Tab, Enter,
// Esc, mnemonics).
bool DialogMessage(const std::vector<HWND>& dialogs, MSG& msg) {
  for (HWND dialog : dialogs) {
    if (dialog && IsWindowVisible(dialog) && IsDialogMessageW(dialog, &msg)) return true;
  }
  return false;
}

}  // namespace

int RunProgram(HINSTANCE instance) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&controls);

  WinRegistry registry;
  auto host = std::make_unique<HostWindow>(instance, registry, SettingsRecord);
  std::vector<HWND> dialogs;
  try {
    host->Create();
    HostedWindows hosted;
    host->SetHostedWindows(std::move(hosted));
  } catch (const std::exception& e) {
    ShowStandardErrorBox(e.what());
    return 0;
  }

  MSG msg{};
  int quitCode = 0;
  for (;;) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      quitCode = static_cast<int>(msg.wParam);
      break;
    }
    if (got == -1) break;
    if (DialogMessage(dialogs, msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  const int exitCode = std::max(quitCode, host->ExitCode());
  host.reset();
  return exitCode;
}

}  // namespace mametan::win32
