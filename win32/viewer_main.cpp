// mametan-view.exe: shows the ledger the tray program writes, month by
// month, and corrects or deletes its purchases. It only reads the settings.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "core/platform/WinRegistry.h"
#include "core/viewer/LedgerBook.h"
#include "win32/Boxes.h"
#include "win32/ViewerWindow.h"
#include "win32/WideText.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  using namespace mametan;
  std::vector<std::string> arguments;
  int argc = 0;
  if (LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc)) {
    for (int i = 1; i < argc; ++i) arguments.push_back(win32::Utf8(argv[i]));
    LocalFree(argv);
  }
  WinRegistry registry(WinRegistry::Access::ReadOnly);
  const std::string path = LedgerAtLaunch(arguments, registry);

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
  window.presenter().SetKindFile(KindFileAtLaunch(registry));
  window.presenter().Open(path);
  ShowWindow(window.Handle(), show);
  UpdateWindow(window.Handle());
  return window.Run();
}
