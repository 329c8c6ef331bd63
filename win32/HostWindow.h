#pragma once
// The hidden host window: it owns the tray icon and the popup menu, carries
// the icon's callback message to the core tray rules and the menu's commands
// to the host presenter, and ends the program through that presenter. It is
// a hidden top-level window rather than a message-only one: the shell's
// "TaskbarCreated" broadcast and the session-end messages reach top-level
// windows only.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/app/HostDesign.h"
#include "core/app/MainPresenter.h"
#include "core/common/TaskbarRule.h"
#include "core/tray/TrayDispatch.h"
#include "win32/DialogWindow.h"

namespace mametan::win32 {

// The windows the host shows and brings back, and what it tells at the exit.
struct HostedWindows {
  WindowTable windows{};
  // The program's taskbar entry, shown and hidden directly by the icon's
  // restore and minimize.
  TaskbarEntry* entry = nullptr;
  std::function<void()> inputFormHide;
};

// A later start asks a running copy for its input window: it finds the host
// window of a copy that is not in debug mode, lets that process take the
// foreground and sends it a registered message, which the copy answers once
// it has done the steps of a left press on the icon. False, with `problem`
// set, when there is no such window or no answer within `timeoutMs`.
bool AskRunningCopyForInput(unsigned timeoutMs, std::string& problem);

class HostWindow : public MainView, public HostedDialog, private TrayEnvironment {
 public:
  HostWindow(HINSTANCE instance, RegistryBackend& registry, TApSystem& settings);
  ~HostWindow() override;
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  // Creates the window, the menu and the tray icon, then loads the settings.
  // Throws AppError when the notification area refuses the icon.
  void Create();
  HWND Handle() const override { return m_hwnd; }
  HWND Window() override { return m_hwnd; }
  bool DialogMessage(MSG&) override { return false; }
  HMENU Menu() const { return m_menu; }
  MainPresenter& Presenter() { return m_presenter; }
  void SetHostedWindows(HostedWindows windows);
  int ExitCode() const { return std::max(m_exitCode, m_presenter.ExitCode()); }
  // The window opened last that is still open comes forward.
  void ForegroundOpenWindow();

  // MainView
  void ShowWindow(HostedWindow window) override;
  void PopupMenu(int x, int y) override;
  std::string HelpFilePath() override;
  void OpenHelpPage(const std::string& path) override;
  void CloseHost() override;
  void Quit(int exitCode) override;
  void ShowMessage(const std::string& text, MessageIcon icon) override;
  void ShowErrorBox(const std::string& text) override;

 private:
  class TrayImages : public TrayImageList {
   public:
    int Count() const override { return 1; }
  };

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void CreateMenu();
  void Command(UINT id);
  bool NotifyIcon(DWORD action, const TrayNotifyData& data);

  // TrayEnvironment
  bool AddIcon(const TrayNotifyData& data) override;
  bool ModifyIcon(const TrayNotifyData& data) override;
  bool DeleteIcon() override;
  TPoint CursorPos() override;
  TShiftState KeyShiftState() override;
  void MinimizeApplication() override;
  void RestoreApplication() override;
  void ForegroundActiveForm() override {}
  void SetApplicationHook(bool) override {}
  void SetTimerEnabled(bool enabled) override;
  void SetTimerInterval(int milliseconds) override;

  HINSTANCE m_instance;
  HWND m_hwnd = nullptr;
  HMENU m_menu = nullptr;
  std::vector<HBITMAP> m_menuImages;
  HICON m_trayImage = nullptr;
  HICON m_appIcon = nullptr;
  UINT m_taskbarCreated = 0;
  UINT m_inputRequest = 0;
  int m_timerInterval = 1000;
  bool m_timerEnabled = false;
  int m_exitCode = 0;
  TrayImages m_trayImages;
  HostedWindows m_windows;
  MainPresenter m_presenter;
  // Last: the rules remove the icon when they go, while the window still is.
  std::unique_ptr<TrayIconRules> m_tray;
};

}  // namespace mametan::win32
