#include "app/Startup.h"

#include <QDialog>
#include <QIcon>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/Formmain.h"
#include "common/CommandLine.h"
#include "common/TaskbarRule.h"
#include "dialogs/Formeditkind.h"
#include "dialogs/Formsetup.h"
#include "dialogs/formAbout.h"
#include "entry/Forminput.h"
#include "platform/DisplayCheck.h"
#include "platform/IniRegistry.h"
#include "platform/InstanceLock.h"
#include "platform/MessageBox.h"
#include "platform/TaskbarCarrier.h"
#include "platform/TermSignals.h"
#include "tray/TrayHostWait.h"

namespace mametan {
namespace {

// The windows of one run and what ties them to the desktop. Opened once the
// notification area is there (or the wait for it is over); the windows go
// before the taskbar entry and the rule they report to.
class Session {
 public:
  explicit Session(RegistryBackend& registry)
      : m_registry(registry), m_taskbarRule(m_taskbarEntry), m_watcher(m_taskbarRule) {}
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Creates the windows. False when start-up failed; its error has been shown.
  bool Open();
  int ExitCode() const { return m_main ? m_main->ExitCode() : 0; }

 private:
  void CreateHostWindow();
  void ListenForTermination();
  void CreateWindows();
  void ConnectTaskbarEntry();
  void RestoreApplication();

  RegistryBackend& m_registry;
  TaskbarCarrier m_taskbarEntry;
  TaskbarRule m_taskbarRule;
  WindowWatcher m_watcher;
  std::unique_ptr<Tform_Main> m_main;
  std::unique_ptr<TermSignals> m_termSignals;
  std::unique_ptr<Tform_Setup> m_setup;
  std::unique_ptr<Tform_EditKindFile> m_editKind;
  std::unique_ptr<Tform_About> m_about;
  std::unique_ptr<Tform_Input> m_input;
};

Session::~Session() {
  form_About = nullptr;
  form_Input = nullptr;
  form_EditKindFile = nullptr;
  form_Setup = nullptr;
  form_Main = nullptr;
  m_about.reset();
  m_editKind.reset();
  m_input.reset();
  m_setup.reset();
  m_termSignals.reset();
  m_main.reset();
}

bool Session::Open() {
  try {
    // The host first: it loads the settings the later windows read while
    // they are created.
    CreateHostWindow();
    ListenForTermination();
    CreateWindows();
    ConnectTaskbarEntry();
  } catch (const std::exception& e) {
    ShowErrorBox(QString::fromUtf8(e.what()));
    return false;
  }
  if (DebugMode) {
    m_main->show();
  } else {
    m_taskbarEntry.SetShown(false);
  }
  return true;
}

void Session::CreateHostWindow() {
  m_main = std::make_unique<Tform_Main>(m_registry);
  form_Main = m_main.get();
  m_watcher.AddWindow(m_main.get());
}

// Logout, kill and Ctrl+C take the exit command's path. Listening before the
// other windows exist: a request that comes while a start-up message is open
// is handled too.
void Session::ListenForTermination() {
  m_termSignals = std::make_unique<TermSignals>();
  Tform_Main* main = m_main.get();
  QObject::connect(m_termSignals.get(), &TermSignals::terminateRequested, main, [main] {
    main->EndSessionRequested();
    // Message boxes still open run loops of their own.
    for (int i = 0; i < 16; ++i) {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal) break;
      if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        dialog->reject();
      } else {
        modal->hide();
      }
    }
  });
}

void Session::CreateWindows() {
  m_setup = std::make_unique<Tform_Setup>();
  form_Setup = m_setup.get();
  m_watcher.AddWindow(m_setup.get());
  m_input = std::make_unique<Tform_Input>();
  form_Input = m_input.get();
  m_input->SetContextMenu(m_main->pmenu_Right);
  m_watcher.AddWindow(m_input.get());
  // Over the setup dialog, which opens it.
  m_editKind = std::make_unique<Tform_EditKindFile>(m_setup.get());
  form_EditKindFile = m_editKind.get();
  m_watcher.AddWindow(m_editKind.get());
  m_about = std::make_unique<Tform_About>();
  form_About = m_about.get();
  m_watcher.AddWindow(m_about.get());

  HostedWindows hosted;
  hosted.input = m_input.get();
  hosted.setup = m_setup.get();
  hosted.about = m_about.get();
  hosted.inputFormHide = [] {
    if (form_Input) form_Input->FormHide();
  };
  m_main->SetHostedWindows(hosted);
}

// The tray icon's restore and minimize move the entry directly, as start-up
// does; the rule's own record stays as it was.
void Session::ConnectTaskbarEntry() {
  m_main->TrayIcon->RestoreApplicationHook = [this] { RestoreApplication(); };
  m_main->TrayIcon->MinimizeApplicationHook = [this] { m_taskbarEntry.SetShown(false); };
  Tform_Main* main = m_main.get();
  QObject::connect(&m_taskbarEntry, &TaskbarCarrier::closeRequested, main,
                   [main] { main->close(); });
}

void Session::RestoreApplication() {
  m_taskbarEntry.SetShown(true);
  for (QWidget* w :
       {static_cast<QWidget*>(m_input.get()), static_cast<QWidget*>(m_setup.get()),
        static_cast<QWidget*>(m_about.get()), static_cast<QWidget*>(m_editKind.get())}) {
    if (w->isVisible()) {
      ShowWindow(w);
      break;
    }
  }
}

// The application's life: the windows are made once the notification area
// is there, inside the event loop, so that waiting for a panel that starts
// after us holds nothing up.
int RunApplication(int argc, char** argv) {
  TApplication app(argc, argv);
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/mametan.svg")));
  IniRegistry registry(IniRegistry::DefaultPath());
  Session session(registry);
  TrayHostWait trayHost;
  QObject::connect(&trayHost, &TrayHostWait::settled, &app, [&session] {
    if (!session.Open()) QCoreApplication::exit(0);
  });
  trayHost.Start();
  const int exitCode = app.exec();
  return std::max(exitCode, session.ExitCode());
}

}  // namespace

int RunMametan(int argc, char** argv) {
  DebugMode = HasDebugSwitch(std::vector<std::string>(argv + 1, argv + argc));

  // Decided before anything else is touched: a start refused because a copy
  // runs shows nothing, needs no display and writes nothing. A lock that
  // cannot be used at all is named on stderr.
  InstanceLock instanceLock;
  if (!DebugMode && !instanceLock.Acquire()) {
    if (!instanceLock.Problem().empty()) {
      std::fprintf(stderr, "mametan: %s\n", instanceLock.Problem().c_str());
    }
    return 1;
  }

  if (const auto problem = XDisplayProblem()) {
    std::fprintf(stderr, "mametan: %s\n", problem->c_str());
    return 1;
  }
  const int exitCode = RunApplication(argc, argv);
  instanceLock.Release();
  return exitCode;
}

}  // namespace mametan
