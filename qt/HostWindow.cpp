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
#include "core/common/ApSystem.h"
#include "core/common/AppError.h"
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
  // The designed outer size is 174 x 166 at 234, 118.
  move(234, 118);
  resize(174, 166);
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
  for (const char* name :
       {"menu_input", "menu_list", "menu_setup", "menu_help", "menu_about", "menu_exit"}) {
    imglst_Menu->Add(Picture(name));
  }

  pmenu_Right = new QMenu(this);
  pmenu_Right->setObjectName(QStringLiteral("pmenu_Right"));
  const auto item = [this](const char* name, const QString& caption, int image,
                           void (Tform_Main::*handler)()) {
    QAction* a = pmenu_Right->addAction(imglst_Menu->Image(image), caption);
    a->setObjectName(QLatin1String(name));
    connect(a, &QAction::triggered, this, handler);
    return a;
  };
  I1 = item("I1", QStringLiteral("入力(&I)..."), 0, &Tform_Main::I1Click);
  List1 = item("List1", QStringLiteral("一覧(&V)..."), 1, &Tform_Main::List1Click);
  List1->setVisible(false);
  S1 = item("S1", QStringLiteral("設定(&S)..."), 2, &Tform_Main::S1Click);
  Help1 = item("Help1", QStringLiteral("ヘルプ(&H)"), 3, &Tform_Main::Help1Click);
  N1 = pmenu_Right->addSeparator();
  N1->setObjectName(QStringLiteral("N1"));
  About1 = item("About1", QStringLiteral("バージョン情報(&A)..."), 4, &Tform_Main::About1Click);
  pm_Exit = item("pm_Exit", QStringLiteral("終了(&E)"), 5, &Tform_Main::pm_ExitClick);

  // The icon's stored properties, in the order the component reads them. A
  // refusal while they are read is reported as a failure to read the form.
  TrayIcon = new TTrayIcon(this, std::move(trayBackends));
  // Hosts that draw the icon's menu themselves show this one; set before the
  // icon is added, so the host finds it when it first looks.
  TrayIcon->SetDesktopMenu(pmenu_Right);
  TrayIcon->Rules().SetLoading(true);
  try {
    TrayIcon->SetVisible(true);
  } catch (const TrayError& e) {
    throw AppError(std::string("TrayIcon.Visible の読み込み中のエラー : ") + e.what());
  }
  TrayIcon->SetHide(true);
  TrayIcon->SetRestoreOn(imDoubleClick);
  TrayIcon->SetPopupMenuOn(imNone);
  TrayIcon->SetIcons(imglst_TaskTray);
  TrayIcon->SetIconIndex(0);
  TrayIcon->Rules().OnMouseDown = [this](TMouseButton b, TShiftState s, int x, int y) {
    TrayIconMouseDown(b, s, x, y);
  };
  TrayIcon->Loaded();
}

void Tform_Main::TrayIconMouseDown(TMouseButton button, TShiftState, int x, int y) {
  switch (button) {
    case mbLeft:
      m_presenter.TrayIconMouseDown(TrayButton::Left, x, y);
      break;
    case mbRight:
      m_presenter.TrayIconMouseDown(TrayButton::Right, x, y);
      break;
    case mbMiddle:
      m_presenter.TrayIconMouseDown(TrayButton::Middle, x, y);
      break;
  }
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
