#include "qt/Startup.h"

#include <QDialog>
#include <QIcon>
#include <QSocketNotifier>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/app/HostDesign.h"
#include "core/app/ProgramWindows.h"
#include "core/common/CommandLine.h"
#include "core/common/TaskbarRule.h"
#include "core/platform/DisplayCheck.h"
#include "core/platform/IniRegistry.h"
#include "core/platform/InputChannel.h"
#include "core/platform/InstanceLock.h"
#include "qt/AboutBox.h"
#include "qt/Activation.h"
#include "qt/Application.h"
#include "qt/HostWindow.h"
#include "qt/InputWindow.h"
#include "qt/KindEditorDialog.h"
#include "qt/MessageBox.h"
#include "qt/Pictures.h"
#include "qt/SetupDialog.h"
#include "qt/TaskbarCarrier.h"
#include "qt/TermSignals.h"
#include "qt/TrayHostWait.h"

namespace mametan {
namespace {

// How long a start asking for the input window waits for the running copy.
constexpr int kInputAskTimeoutMs = 2000;

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
  // The input window is asked for (by the command line or by a later
  // start); shown as a left press on the icon shows it, at once or once the
  // windows are made. `token` is the desktop's activation token of the
  // asking start, which lets the window take the keyboard.
  void InputRequested(const std::string& token);
  int ExitCode() const { return m_main ? m_main->ExitCode() : 0; }

 private:
  // Adds the next window of the program's windows, and the global that
  // names it.
  template <typename Form>
  Form* Add(ProgramWindow which, std::unique_ptr<Form> window, Form*& global);
  QWidget* WindowOf(ProgramWindow which) const;
  void CreateHostWindow();
  void ListenForTermination();
  void CreateWindows();
  void ConnectTaskbarEntry();
  void RestoreApplication();

  RegistryBackend& m_registry;
  TaskbarCarrier m_taskbarEntry;
  TaskbarRule m_taskbarRule;
  WindowWatcher m_watcher;
  std::unique_ptr<TermSignals> m_termSignals;
  // The program's windows in start-up order (kProgramWindows); destroyed in
  // reverse order, each with the global that names it cleared.
  struct Window {
    std::unique_ptr<QWidget> widget;
    std::function<void()> forget;
  };
  std::vector<Window> m_windows;
  Tform_Main* m_main = nullptr;
  bool m_open = false;
  std::optional<std::string> m_pendingInput;
};

Session::~Session() {
  m_termSignals.reset();
  while (!m_windows.empty()) {
    m_windows.back().forget();
    m_windows.pop_back();
  }
}

template <typename Form>
Form* Session::Add(ProgramWindow which, std::unique_ptr<Form> window, Form*& global) {
  if (m_windows.size() >= kProgramWindows.size() || kProgramWindows[m_windows.size()] != which) {
    throw std::logic_error("the program's windows are made out of order");
  }
  Form* form = window.get();
  global = form;
  m_windows.push_back({std::move(window), [&global] { global = nullptr; }});
  m_watcher.AddWindow(form);
  return form;
}

QWidget* Session::WindowOf(ProgramWindow which) const {
  for (std::size_t i = 0; i < m_windows.size(); ++i) {
    if (kProgramWindows[i] == which) return m_windows[i].widget.get();
  }
  return nullptr;
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
  m_open = true;
  if (m_pendingInput) InputRequested(*std::exchange(m_pendingInput, std::nullopt));
  return true;
}

void Session::InputRequested(const std::string& token) {
  if (!m_open) {
    m_pendingInput = token;
    return;
  }
  QWidget* input = WindowOf(ProgramWindow::Input);
  PrepareActivation(input, token);
  m_main->InputRequested();
  RequestActivation(input, token);
}

void Session::CreateHostWindow() {
  m_main = Add(ProgramWindow::Main, std::make_unique<Tform_Main>(m_registry), form_Main);
  m_watcher.onShown = [this](std::size_t index) { m_main->WindowShown(kProgramWindows[index]); };
}

// Logout, kill and Ctrl+C take the exit command's path. Listening before the
// other windows exist: a request that comes while a start-up message is open
// is handled too.
void Session::ListenForTermination() {
  m_termSignals = std::make_unique<TermSignals>();
  Tform_Main* main = m_main;
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
  Tform_Setup* setup = Add(ProgramWindow::Setup, std::make_unique<Tform_Setup>(), form_Setup);
  Tform_Input* input = Add(ProgramWindow::Input, std::make_unique<Tform_Input>(), form_Input);
  input->SetContextMenu(m_main->pmenu_Right);
  // Over the setup dialog, which opens it.
  setup->SetKindEditor(Add(ProgramWindow::KindEditor, std::make_unique<Tform_EditKindFile>(setup),
                           form_EditKindFile));
  Tform_About* about = Add(ProgramWindow::About, std::make_unique<Tform_About>(), form_About);

  HostedWindows hosted;
  hosted.input = input;
  hosted.setup = setup;
  hosted.about = about;
  hosted.inputFormHide = [input] { input->FormHide(); };
  m_main->SetHostedWindows(hosted);
}

// The tray icon's restore and minimize move the entry directly, as start-up
// does; the rule's own record stays as it was.
void Session::ConnectTaskbarEntry() {
  m_main->TrayIcon->RestoreApplicationHook = [this] { RestoreApplication(); };
  m_main->TrayIcon->MinimizeApplicationHook = [this] { m_taskbarEntry.SetShown(false); };
  Tform_Main* main = m_main;
  QObject::connect(&m_taskbarEntry, &TaskbarCarrier::closeRequested, main,
                   [main] { main->close(); });
}

// The entry comes back, and the window opened last of those still open
// comes forward.
void Session::RestoreApplication() {
  m_taskbarEntry.SetShown(true);
  const auto forward = m_main->WindowToRestore([this](ProgramWindow which) {
    const QWidget* widget = WindowOf(which);
    return widget && widget->isVisible();
  });
  if (forward) ShowWindow(WindowOf(*forward));
}

// The application's life: the windows are made once the notification area
// is there, inside the event loop, so that waiting for a panel that starts
// after us holds nothing up.
int RunApplication(int argc, char** argv, const std::string& platform, bool openInput,
                   InputChannelListener* channel) {
  // The platform chosen for the session, for the toolkit only: programs we
  // start (the help viewer) choose their own.
  if (!platform.empty()) qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(platform));
  TApplication app(argc, argv);
  if (!platform.empty()) qunsetenv("QT_QPA_PLATFORM");
  QApplication::setWindowIcon(Picture("mametan"));
  IniRegistry registry(IniRegistry::DefaultPath());
  Session session(registry);
  TrayHostWait trayHost;
  QObject::connect(&trayHost, &TrayHostWait::settled, &app, [&session] {
    if (!session.Open()) QCoreApplication::exit(0);
  });
  if (openInput) session.InputRequested(std::string());
  // Later starts asking for the input window.
  std::unique_ptr<QSocketNotifier> requests;
  if (channel && channel->Descriptor() >= 0) {
    requests = std::make_unique<QSocketNotifier>(channel->Descriptor(), QSocketNotifier::Read);
    QObject::connect(requests.get(), &QSocketNotifier::activated, &app, [channel, &session] {
      if (const auto token = channel->TakeRequest()) session.InputRequested(*token);
    });
  }
  trayHost.Start(TrayWaitMs(std::vector<std::string>(argv + 1, argv + argc)));
  const int exitCode = app.exec();
  return std::max(exitCode, session.ExitCode());
}

// The activation token the desktop gave this start: Wayland's, else the X11
// startup notification id (which carries the user's time).
std::string ActivationToken() {
  for (const char* name : {"XDG_ACTIVATION_TOKEN", "DESKTOP_STARTUP_ID"}) {
    const QByteArray value = qgetenv(name);
    if (!value.isEmpty()) return value.toStdString();
  }
  return {};
}

}  // namespace

int RunMametan(int argc, char** argv) {
  const Switches switches = ReadSwitches(std::vector<std::string>(argv + 1, argv + argc), true);
  const std::string unknown = UnknownSwitchesLine(switches);
  if (!unknown.empty()) std::fprintf(stderr, "mametan: %s\n", unknown.c_str());
  DebugMode = switches.debug;

  // Decided before anything else is touched: a start refused because a copy
  // runs shows nothing, needs no display and writes nothing. A lock that
  // cannot be used at all is named on stderr. A start that asks for the
  // input window passes that on to the running copy and ends.
  InstanceLock instanceLock;
  if (!DebugMode && !instanceLock.Acquire()) {
    if (!instanceLock.Problem().empty()) {
      std::fprintf(stderr, "mametan: %s\n", instanceLock.Problem().c_str());
      return 1;
    }
    if (!switches.input) return 1;
    const InputAsk ask = AskForInputWindow(ActivationToken(), kInputAskTimeoutMs);
    if (ask.answered) return 0;
    std::fprintf(stderr,
                 "mametan: the running copy did not take the request for the input window: %s\n",
                 ask.problem.c_str());
    return 1;
  }
  // A debug copy runs beside the normal one and is never asked.
  InputChannelListener channel;
  if (!DebugMode && !channel.Listen()) {
    std::fprintf(stderr, "mametan: later starts cannot ask for the input window: %s\n",
                 channel.Problem().c_str());
  }

  const DisplayChoice display = ChooseDisplayPlatform();
  if (display.problem) {
    std::fprintf(stderr, "mametan: %s\n", display.problem->c_str());
    return 1;
  }
  const int exitCode =
      RunApplication(argc, argv, display.platform, switches.input, DebugMode ? nullptr : &channel);
  channel.Close();
  instanceLock.Release();
  return exitCode;
}

}  // namespace mametan
