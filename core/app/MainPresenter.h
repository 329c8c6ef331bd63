#pragma once
// The host window's logic: it loads the settings when it is created, turns
// the tray icon's presses and the popup menu's commands into windows shown,
// and ends the program through the exit sequence: the input window's hide
// steps, then the settings saved (or deleted when the user asked for that).
// A failed save keeps the program running; at the end of the session it is
// reported on stderr and in the exit code instead, since nobody is there to
// answer a box.
#include <functional>
#include <optional>
#include <string>

#include "core/app/ProgramWindows.h"
#include "core/common/ApSystem.h"
#include "core/common/Messages.h"
#include "core/platform/Registry.h"
#include "core/tray/TrayDispatch.h"

namespace mametan {

// The windows the menu reaches.
enum class HostedWindow { Input, Setup, About };

// The popup menu's commands; their values are the Windows menu item
// identifiers.
enum class MenuCommand : unsigned { Input = 101, List, Setup, Help, About, Exit };

class MainView : public MessageSink {
 public:
  // Shows a window and brings it to the front; a visible one only comes forward.
  virtual void ShowWindow(HostedWindow window) = 0;
  // The popup menu at a screen position.
  virtual void PopupMenu(int x, int y) = 0;
  // The help page installed with the program.
  virtual std::string HelpFilePath() = 0;
  virtual void OpenHelpPage(const std::string& path) = 0;
  // Closes the host window, which runs the close steps (FormClose).
  virtual void CloseHost() = 0;
  // Ends the event loop with `exitCode`.
  virtual void Quit(int exitCode) = 0;
};

class MainPresenter {
 public:
  MainPresenter(MainView& view, RegistryBackend& registry, TApSystem& settings)
      : m_view(view), m_registry(registry), m_settings(settings) {}

  // The input window's hide steps, which the exit runs first: they copy its
  // place and check boxes into the settings, leaving the window as it is.
  void SetInputFormHide(std::function<void()> formHide) { m_inputFormHide = std::move(formHide); }

  // Loads the settings; a failure is shown and the defaults stay.
  void FormCreate();

  // A press on the tray icon: the left button opens the input window, the
  // right one the menu.
  void TrayIconMouseDown(TMouseButton button, int x, int y);
  // A command of the popup menu.
  void MenuCommandChosen(MenuCommand command);
  void I1Click() { Open(HostedWindow::Input); }
  void List1Click() {}
  void S1Click() { Open(HostedWindow::Setup); }
  void Help1Click();
  void About1Click() { Open(HostedWindow::About); }
  void pm_ExitClick();

  // One of the program's windows was shown, by the host or by itself.
  void WindowShown(ProgramWindow window) { m_openOrder.Opened(window); }
  // The window that comes forward when the tray icon restores the program
  // or its taskbar entry is chosen: the one opened last of those `visible`
  // names; none when no window is open.
  std::optional<ProgramWindow> WindowToRestore(
      const std::function<bool(ProgramWindow)>& visible) const {
    return m_openOrder.Forward(visible);
  }

  // The host window is asked to close: saves or deletes the settings. False
  // when the save failed (its error has been shown) and the program stays;
  // otherwise the program ends.
  bool FormClose();
  // True once the program is ending: a close went through or the session ended.
  bool Closed() const { return m_closed; }

  // The end of the desktop session or a termination signal: the exit
  // command's path without any box, then the program ends whatever the save
  // did. A failed save is written to stderr and makes ExitCode() 1.
  void EndSessionRequested();
  // The event loop ends without a close (the toolkit quits): the settings
  // are saved as at the end of a session.
  void LoopEnding();
  // The session manager asks for the data to be saved; the program goes on.
  void SaveAtSessionEnd();
  int ExitCode() const { return m_exitCode; }

 private:
  // Shows a window, or brings it forward when it is open: either way it is
  // the window opened last.
  void Open(HostedWindow window);
  // Throws what the store throws.
  void StoreSettings();

  MainView& m_view;
  RegistryBackend& m_registry;
  TApSystem& m_settings;
  std::function<void()> m_inputFormHide;
  OpenOrder m_openOrder;
  bool m_closed = false;
  // The record as the load left it, when the store could not be read.
  std::optional<TApSystem> m_unreadLoad;
  int m_exitCode = 0;
};

}  // namespace mametan
