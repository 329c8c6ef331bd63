#include "win32/Program.h"

#include <exception>
#include <memory>
#include <vector>

#include "core/common/ApSystem.h"
#include "core/common/CommandLine.h"
#include "core/platform/WinRegistry.h"
#include "win32/AboutBox.h"
#include "win32/ApplicationWindow.h"
#include "win32/Boxes.h"
#include "win32/HostWindow.h"
#include "win32/InputWindow.h"
#include "win32/KindEditorDialog.h"
#include "win32/SetupDialog.h"

namespace mametan::win32 {
namespace {

// The modeless dialogs whose keys the dialog manager handles (Tab, Enter,
// Esc, mnemonics), each window's own key rules first.
struct Dialogs {
  InputWindow* input = nullptr;
  SetupDialog* setup = nullptr;
  AboutBox* about = nullptr;

  bool Message(MSG& msg) const {
    if (setup && IsWindowVisible(setup->Handle())) {
      if (setup->PreTranslate(msg) || IsDialogMessageW(setup->Handle(), &msg)) return true;
    }
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
  auto setup = std::make_unique<SetupDialog>(SettingsRecord);
  auto input = std::make_unique<InputWindow>(SettingsRecord);
  auto editor = std::make_unique<KindEditorDialog>();
  auto about = std::make_unique<AboutBox>();
  Dialogs dialogs;
  try {
    application.Create();
    application.Watch(nullptr, {input.get(), setup.get(), about.get()});
    host->Create();
    application.Watch(host->Handle(), {input.get(), setup.get(), about.get()});
    application.onClose = [&host] { SendMessageW(host->Handle(), WM_CLOSE, 0, 0); };
    application.onActivate = [&host] { host->ForegroundOpenWindow(); };
    HostedWindows hosted;
    hosted.entry = &application;
    hosted.inputFormHide = [&input] { input->Presenter().FormHide(); };
    host->SetHostedWindows(hosted);
    setup->Create(instance);
    hosted.setup = setup.get();
    input->Create(instance, host->Menu(), host->Handle());
    hosted.input = input.get();
    editor->Create(instance, setup.get());
    setup->SetEditor(editor.get());
    about->Create(instance);
    hosted.about = about.get();
    host->SetHostedWindows(std::move(hosted));
    dialogs.input = input.get();
    dialogs.setup = setup.get();
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
  editor.reset();
  input.reset();
  setup.reset();
  host.reset();
  return exitCode;
}

}  // namespace mametan::win32
