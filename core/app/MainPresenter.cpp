#include "core/app/MainPresenter.h"

#include <cstdio>
#include <exception>

#include "core/app/SettingsStore.h"
#include "core/common/AppError.h"
#include "core/platform/FileIo.h"

namespace mametan {

void MainPresenter::FormCreate() {
  try {
    LoadSettings(m_registry, m_settings);
  } catch (const std::exception& e) {
    if (!m_registry.UnreadableStore().empty()) m_unreadLoad = m_settings;
    m_view.ShowErrorBox(e.what());
  }
}

void MainPresenter::TrayIconMouseDown(TMouseButton button, int x, int y) {
  switch (button) {
    case mbLeft:
      Open(HostedWindow::Input);
      break;
    case mbRight:
      m_view.PopupMenu(x, y);
      break;
    case mbMiddle:
      break;
  }
}

void MainPresenter::Open(HostedWindow window) {
  m_openOrder.Opened(window == HostedWindow::Input   ? ProgramWindow::Input
                     : window == HostedWindow::Setup ? ProgramWindow::Setup
                                                     : ProgramWindow::About);
  m_view.ShowWindow(window);
}

void MainPresenter::MenuCommandChosen(MenuCommand command) {
  switch (command) {
    case MenuCommand::Input:
      I1Click();
      break;
    case MenuCommand::List:
      List1Click();
      break;
    case MenuCommand::Setup:
      S1Click();
      break;
    case MenuCommand::Help:
      Help1Click();
      break;
    case MenuCommand::About:
      About1Click();
      break;
    case MenuCommand::Exit:
      pm_ExitClick();
      break;
  }
}

void MainPresenter::Help1Click() {
  const std::string path = m_view.HelpFilePath();
  if (!IsReadableFile(path)) {
    m_view.ShowMessage(FormatMessage("ヘルプファイル %s が見つかりません。", path),
                       MessageIcon::Exclamation);
    return;
  }
  m_view.OpenHelpPage(path);
}

void MainPresenter::pm_ExitClick() {
  if (m_inputFormHide) m_inputFormHide();
  m_view.CloseHost();
}

// The record goes to the store, or the store's key goes when the user asked
// for that.
void MainPresenter::StoreSettings() {
  if (m_settings.DelRegistry) {
    DeleteSettingsKey(m_registry);
  } else if (m_unreadLoad && *m_unreadLoad == m_settings && !m_registry.UnreadableStore().empty()) {
    // The store was never read and nothing was changed: it is left as it
    // is, and the exit is not held up by a file it could not have written.
  } else {
    SaveSettings(m_registry, m_settings);
  }
}

bool MainPresenter::FormClose() {
  try {
    StoreSettings();
  } catch (const std::exception& e) {
    m_view.ShowErrorBox(e.what());
    return false;
  }
  m_closed = true;
  m_view.Quit(0);
  return true;
}

void MainPresenter::SaveAtSessionEnd() {
  if (m_inputFormHide) m_inputFormHide();
  // Nobody is there to answer a box: a modal one would only hold up the
  // logout. The failure goes to stderr and into the exit code.
  try {
    StoreSettings();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "mametan: %s\n", e.what());
    std::fflush(stderr);
    m_exitCode = 1;
  }
}

void MainPresenter::EndSessionRequested() {
  SaveAtSessionEnd();
  m_closed = true;
  m_view.Quit(m_exitCode);
}

void MainPresenter::LoopEnding() {
  if (!m_closed) SaveAtSessionEnd();
}

}  // namespace mametan
