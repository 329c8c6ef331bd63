// mametan-view.exe: shows the ledger the tray program writes, month by
// month. It reads the settings and the ledger and writes neither.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "core/app/SettingsStore.h"
#include "core/common/ApSystem.h"
#include "core/common/AppError.h"
#include "core/platform/WinRegistry.h"
#include "core/viewer/LedgerBook.h"
#include "win32/Boxes.h"
#include "win32/ViewerWindow.h"
#include "win32/WideText.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  using namespace mametan;
  // The ledger named on the command line, or else the tray program's. A
  // relative name is taken from the current folder, as the tray program does.
  std::string path;
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv && argc > 1) {
    path = win32::Utf8(argv[1]);
  } else {
    WinRegistry registry(WinRegistry::Access::ReadOnly);
    TApSystem settings;
    try {
      LoadSettings(registry, settings);
    } catch (const AppError&) {
      // A value that could not be read keeps its default, as in the tray program.
    }
    path = settings.File_Kakeibo;
  }
  if (argv) LocalFree(argv);

  INITCOMMONCONTROLSEX classes{};
  classes.dwSize = sizeof(classes);
  classes.dwICC = ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS;
  InitCommonControlsEx(&classes);

  SYSTEMTIME now{};
  GetLocalTime(&now);
  win32::ViewerWindow window(instance, MonthKey(now.wYear, now.wMonth));
  if (!window.Create()) {
    win32::ShowStandardErrorBox("ウィンドウを作成できません");
    return 1;
  }
  window.presenter().Open(path);
  ShowWindow(window.Handle(), show);
  UpdateWindow(window.Handle());
  return window.Run();
}
