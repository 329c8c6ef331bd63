#pragma once
// The host window: never shown in normal mode. It owns the tray icon and the
// popup menu every command is reached from, loads the settings when it is
// created and saves them (or deletes them) when it is closed, which ends the
// program.
#include <QAction>
#include <QMenu>
#include <QWidget>
#include <functional>

#include "core/app/MainPresenter.h"
#include "core/platform/Registry.h"
#include "qt/TrayIcon.h"

namespace mametan {

// The windows the menu reaches; start-up fills this in as it creates them.
struct HostedWindows {
  QWidget* input = nullptr;
  QWidget* setup = nullptr;
  QWidget* about = nullptr;
  // The input window's hide handler: copies its position and check boxes
  // into the settings record, leaving the window as it is.
  std::function<void()> inputFormHide;
};

// The host window's tray icon, menu and pixels; its logic is MainPresenter.
class Tform_Main : public QWidget, private MainView {
  Q_OBJECT
 public:
  // Throws AppError when the notification area refuses the icon; the
  // settings are not loaded then.
  explicit Tform_Main(
      RegistryBackend& registry,
      TrayBackendFactory trayBackends = [] { return CreateDesktopTrayBackend(); },
      QWidget* parent = nullptr);

  void SetHostedWindows(HostedWindows windows) {
    m_presenter.SetInputFormHide(windows.inputFormHide);
    m_windows = std::move(windows);
  }

  // Saves or deletes the settings; false when the save failed (its error has
  // been shown) and the program must stay.
  bool FormClose() { return m_presenter.FormClose(); }
  bool Closed() const { return m_presenter.Closed(); }
  void EndSessionRequested() { m_presenter.EndSessionRequested(); }
  int ExitCode() const { return m_presenter.ExitCode(); }
  void WindowShown(ProgramWindow window) { m_presenter.WindowShown(window); }
  std::optional<ProgramWindow> WindowToRestore(
      const std::function<bool(ProgramWindow)>& visible) const {
    return m_presenter.WindowToRestore(visible);
  }

  void MenuCommandChosen(MenuCommand command) { m_presenter.MenuCommandChosen(command); }
  // A start asked for the input window: the steps of a left press on the icon.
  void InputRequested() { m_presenter.TrayIconMouseDown(mbLeft, 0, 0); }

  // Opens a file with the desktop's default handler; replaced by tests.
  std::function<void(const QString& path)> OpenHelpFile;

  TTrayIcon* TrayIcon = nullptr;
  TImageList* imglst_TaskTray = nullptr;
  QMenu* pmenu_Right = nullptr;  // also the input window's context menu
  TImageList* imglst_Menu = nullptr;
  QAction* I1 = nullptr;
  QAction* List1 = nullptr;
  QAction* S1 = nullptr;
  QAction* Help1 = nullptr;
  QAction* N1 = nullptr;
  QAction* About1 = nullptr;
  QAction* pm_Exit = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateComponents(TrayBackendFactory trayBackends);
  // MainView
  void ShowWindow(HostedWindow window) override;
  void PopupMenu(int x, int y) override;
  std::string HelpFilePath() override;
  void OpenHelpPage(const std::string& path) override {
    OpenHelpFile(QString::fromStdString(path));
  }
  void CloseHost() override { close(); }
  void Quit(int exitCode) override;
  void ShowMessage(const std::string& text, MessageIcon icon) override;
  void ShowErrorBox(const std::string& text) override;

  MainPresenter m_presenter;
  HostedWindows m_windows;
};

extern Tform_Main* form_Main;

// Shows a window and brings it to the front; a visible window only comes
// forward.
void ShowWindow(QWidget* window);

// The help page installed with the program (its share folder, found from the
// program's own folder), or the one beside a program in its build folder.
QString HelpFilePath();

}  // namespace mametan
