#include "win32/Program.h"

#include <exception>
#include <memory>

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

// The dialogs' keys (each window's own rules first, then the dialog
// manager's) for the shown window the message is for.
bool DialogMessage(const WindowTable& windows, MSG& msg) {
  for (HostedDialog* window : windows) {
    HWND hwnd = window ? window->Handle() : nullptr;
    if (hwnd && IsWindowVisible(hwnd) && window->DialogMessage(msg)) return true;
  }
  return false;
}

}  // namespace

int RunProgram(HINSTANCE instance, bool openInput) {
  WinRegistry registry;
  // The application window first: it owns every window made after it.
  ApplicationWindow application(instance);
  // The windows in start-up order; each is built when first needed.
  auto host = std::make_unique<HostWindow>(instance, registry, SettingsRecord);
  auto setup = std::make_unique<SetupDialog>(SettingsRecord);
  auto input = std::make_unique<InputWindow>(SettingsRecord);
  auto editor = std::make_unique<KindEditorDialog>();
  auto about = std::make_unique<AboutBox>();
  WindowTable windows{};
  WindowIn(windows, ProgramWindow::Main) = host.get();
  WindowIn(windows, ProgramWindow::Setup) = setup.get();
  WindowIn(windows, ProgramWindow::Input) = input.get();
  WindowIn(windows, ProgramWindow::KindEditor) = editor.get();
  WindowIn(windows, ProgramWindow::About) = about.get();
  try {
    application.Create();
    application.Watch(&windows);
    application.onShown = [&host](ProgramWindow which) { host->Presenter().WindowShown(which); };
    application.onClose = [&host] { SendMessageW(host->Handle(), WM_CLOSE, 0, 0); };
    application.onActivate = [&host] { host->ForegroundOpenWindow(); };
    HostedWindows hosted;
    hosted.windows = windows;
    hosted.entry = &application;
    hosted.inputFormHide = [&input] { input->Presenter().FormHide(); };
    // The host loads the settings the later windows read while they are
    // created; the input window may open itself.
    host->SetHostedWindows(hosted);
    host->Create();
    setup->Create(instance);
    input->Create(instance, host->Menu(), host->Handle());
    editor->Create(instance, setup.get());
    setup->SetEditor(editor.get());
    about->Create(instance);
    // Only the tray icon remains (and the input window when it opened
    // itself): the taskbar entry goes, the rule's record stays as it was.
    if (!DebugMode) application.SetShown(false);
    if (openInput) host->Presenter().TrayIconMouseDown(mbLeft, 0, 0);
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
    if (DialogMessage(windows, msg)) continue;
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
