#include "qt/HostWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSessionManager>
#include <QUrl>

#include "BuildInfo.h"
#include "core/app/HostDesign.h"
#include "core/common/ApSystem.h"
#include "qt/MessageBox.h"
#include "qt/Pictures.h"

namespace mametan {

Tform_Main* form_Main = nullptr;

void ShowWindow(QWidget* window) {
  if (!window) return;
  // A window the user minimised is still open: it comes back from the
  // minimised state (showing alone would leave it there, and a window
  // manager may list no entry for it to be found by).
  if (window->isMinimized()) window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
  window->show();
  window->raise();
  window->activateWindow();
}

QString HelpFilePath() {
  const QString dir = QCoreApplication::applicationDirPath();
  QString installed =
      QDir::cleanPath(dir + QLatin1Char('/') + QStringLiteral(MAMETAN_HELP_DIR_FROM_BIN) +
                      QLatin1Char('/') + kHelpFileName);
  // A program run from its build folder finds the page beside it.
  QString beside = dir + QLatin1Char('/') + kHelpFileName;
  if (!QFileInfo::exists(installed) && QFileInfo::exists(beside)) return beside;
  return installed;
}

Tform_Main::Tform_Main(RegistryBackend& registry, TrayBackendFactory trayBackends, QWidget* parent)
    : QWidget(parent), m_presenter(*this, registry, SettingsRecord) {
  setObjectName(QStringLiteral("form_Main"));
  setWindowTitle(QStringLiteral("form_Main"));
  QFont f(QStringLiteral("ＭＳ Ｐゴシック"));
  f.setPixelSize(12);
  setFont(f);
  move(kHostWindowPlace.left, kHostWindowPlace.top);
  resize(kHostWindowPlace.width, kHostWindowPlace.height);
  OpenHelpFile = [](const QString& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
  CreateComponents(std::move(trayBackends));
  m_presenter.FormCreate();

  connect(qApp, &QGuiApplication::commitDataRequest, this,
          [this](QSessionManager&) { m_presenter.SaveAtSessionEnd(); });
  connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { m_presenter.LoopEnding(); });
}

void Tform_Main::CreateComponents(TrayBackendFactory trayBackends) {
  imglst_TaskTray = new TImageList(this);
  imglst_TaskTray->setObjectName(QStringLiteral("imglst_TaskTray"));
  imglst_TaskTray->Add(Picture("tasktray"));

  imglst_Menu = new TImageList(this);
  imglst_Menu->setObjectName(QStringLiteral("imglst_Menu"));
  pmenu_Right = new QMenu(this);
  pmenu_Right->setObjectName(QStringLiteral("pmenu_Right"));
  for (const MenuItem& item : kHostMenu) {
    QAction* a = nullptr;
    if (item.caption) {
      imglst_Menu->Add(Picture(item.image));
      a = pmenu_Right->addAction(imglst_Menu->Image(imglst_Menu->Count() - 1),
                                 QString::fromUtf8(item.caption));
      const MenuCommand command = item.command;
      connect(a, &QAction::triggered, this, [this, command] { MenuCommandChosen(command); });
    } else {
      a = pmenu_Right->addSeparator();
    }
    a->setObjectName(QLatin1String(item.name));
    a->setVisible(item.visible);
  }
  const auto action = [this](const char* name) {
    return pmenu_Right->findChild<QAction*>(QLatin1String(name), Qt::FindDirectChildrenOnly);
  };
  I1 = action("I1");
  List1 = action("List1");
  S1 = action("S1");
  Help1 = action("Help1");
  N1 = action("N1");
  About1 = action("About1");
  pm_Exit = action("pm_Exit");

  TrayIcon = new TTrayIcon(this, std::move(trayBackends));
  // Hosts that draw the icon's menu themselves show this one; set before the
  // icon is added, so the host finds it when it first looks.
  TrayIcon->SetDesktopMenu(pmenu_Right);
  TrayIcon->WatchIcons(imglst_TaskTray);
  LoadHostTrayIcon(TrayIcon->Rules(), imglst_TaskTray, m_presenter);
}

void Tform_Main::ShowWindow(HostedWindow window) {
  switch (window) {
    case HostedWindow::Input:
      mametan::ShowWindow(m_windows.input);
      break;
    case HostedWindow::Setup:
      mametan::ShowWindow(m_windows.setup);
      break;
    case HostedWindow::About:
      mametan::ShowWindow(m_windows.about);
      break;
  }
}

void Tform_Main::PopupMenu(int x, int y) { pmenu_Right->popup(QPoint(x, y)); }

std::string Tform_Main::HelpFilePath() { return mametan::HelpFilePath().toStdString(); }

void Tform_Main::Quit(int exitCode) { QCoreApplication::exit(exitCode); }

void Tform_Main::ShowMessage(const std::string& text, MessageIcon icon) {
  WindowMessages(this).ShowMessage(text, icon);
}

void Tform_Main::ShowErrorBox(const std::string& text) { WindowMessages().ShowErrorBox(text); }

void Tform_Main::closeEvent(QCloseEvent* event) {
  if (m_presenter.FormClose()) {
    event->accept();
  } else {
    event->ignore();
  }
}

}  // namespace mametan
