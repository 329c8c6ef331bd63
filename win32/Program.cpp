#include "win32/Program.h"

#include <exception>
#include <memory>
#include <vector>

#include "common/ApSystem.h"
#include "common/CommandLine.h"
#include "platform/WinRegistry.h"
#include "win32/AboutDialog.h"
#include "win32/ApplicationWindow.h"
#include "win32/Boxes.h"
#include "win32/HostWindow.h"
#include "win32/InputDialog.h"

namespace mametan::win32 {
namespace {

// The modeless dialogs whose keys the dialog manager handles (Tab, Enter,
// Esc, mnemonics), each window's own key rules first.
struct Dialogs {
  InputDialog* input = nullptr;
  AboutDialog* about = nullptr;

  bool Message(MSG& msg) const {
    if (input && IsWindowVisible(input->Handle())) {
      if (IsChild(input->Handle(), msg.hwnd) && input->PreTranslate(msg)) return true;
      if (IsDialogMessageW(input->Handle(), &msg)) return true;
    }
    if (about && IsWindowVisible(about->Handle()) && IsDialogMessageW(about->Handle(), &msg)) {
      return true;
    }
    return false;
  }
};

}  // namespace

int RunProgram(HINSTANCE instance) {
  WinRegistry registry;
  // The application window first: it owns every window made after it.
  ApplicationWindow application(instance);
  auto host = std::make_unique<HostWindow>(instance, registry, SettingsRecord);
  // The windows in start-up order, the host first: it loads the settings
  // the later windows read while they are created.
  auto input = std::make_unique<InputDialog>(SettingsRecord);
  auto about = std::make_unique<AboutDialog>();
  Dialogs dialogs;
  try {
    application.Create();
    application.Watch(nullptr, {input.get(), about.get()});
    host->Create();
    application.Watch(host->Handle(), {input.get(), about.get()});
    application.onClose = [&host] { SendMessageW(host->Handle(), WM_CLOSE, 0, 0); };
    application.onActivate = [&host] { host->ForegroundOpenWindow(); };
    HostedWindows hosted;
    hosted.entry = &application;
    hosted.inputFormHide = [&input] { input->Presenter().FormHide(); };
    host->SetHostedWindows(hosted);
    input->Create(instance, host->Menu(), host->Handle());
    hosted.input = input.get();
    about->Create(instance);
    hosted.about = about.get();
    host->SetHostedWindows(std::move(hosted));
    dialogs.input = input.get();
    dialogs.about = about.get();
    // Only the tray icon remains (and the input window when it opened
    // itself): the taskbar entry goes, the rule's record stays as it was.
    if (!DebugMode) application.SetShown(false);
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
    if (dialogs.Message(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  const int exitCode = std::max(quitCode, host->ExitCode());
  about.reset();
  input.reset();
  host.reset();
  return exitCode;
}

}  // namespace mametan::win32
