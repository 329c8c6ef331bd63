#include "app/Startup.h"

#include <QDialog>
#include <QIcon>
#include <algorithm>
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
#include "platform/IniRegistry.h"
#include "platform/InstanceLock.h"
#include "platform/MessageBox.h"
#include "platform/TaskbarCarrier.h"
#include "platform/TermSignals.h"

namespace mametan {

int RunMametan(int argc, char** argv) {
  DebugMode = HasDebugSwitch(std::vector<std::string>(argv + 1, argv + argc));

  // Decided before anything else is touched: a refused start shows nothing,
  // needs no display and writes nothing.
  InstanceLock instanceLock;
  if (!DebugMode && !instanceLock.Acquire()) return 1;

  int exitCode = 0;
  {
    TApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/mametan.svg")));
    IniRegistry registry(IniRegistry::DefaultPath());
    TaskbarCarrier taskbarEntry;
    TaskbarRule taskbarRule(taskbarEntry);
    WindowWatcher watcher(taskbarRule);
    std::unique_ptr<Tform_Main> main;
    std::unique_ptr<Tform_Setup> setup;
    std::unique_ptr<Tform_EditKindFile> editKind;
    std::unique_ptr<Tform_About> about;
    std::unique_ptr<Tform_Input> input;
    try {
      // The five windows, in this order; the host loads the settings the
      // later ones read while they are created.
      main = std::make_unique<Tform_Main>(registry);
      form_Main = main.get();
      watcher.AddWindow(main.get());

      // Logout, kill and Ctrl+C take the exit command's path. Listening
      // before the other windows exist: a request that comes while a
      // start-up message is open is handled too.
      TermSignals termSignals;
      QObject::connect(&termSignals, &TermSignals::terminateRequested, main.get(), [&] {
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

      setup = std::make_unique<Tform_Setup>();
      form_Setup = setup.get();
      watcher.AddWindow(setup.get());
      input = std::make_unique<Tform_Input>();
      form_Input = input.get();
      input->SetContextMenu(main->pmenu_Right);
      watcher.AddWindow(input.get());
      // Over the setup dialog, which opens it.
      editKind = std::make_unique<Tform_EditKindFile>(setup.get());
      form_EditKindFile = editKind.get();
      watcher.AddWindow(editKind.get());
      about = std::make_unique<Tform_About>();
      form_About = about.get();
      watcher.AddWindow(about.get());

      HostedWindows hosted;
      hosted.input = input.get();
      hosted.setup = setup.get();
      hosted.about = about.get();
      hosted.inputFormHide = [] {
        if (form_Input) form_Input->FormHide();
      };
      main->SetHostedWindows(hosted);

      // The tray icon's restore and minimize move the entry directly, as
      // start-up does; the rule's own record stays as it was.
      main->TrayIcon->RestoreApplicationHook = [&] {
        taskbarEntry.SetShown(true);
        for (QWidget* w :
             {static_cast<QWidget*>(input.get()), static_cast<QWidget*>(setup.get()),
              static_cast<QWidget*>(about.get()), static_cast<QWidget*>(editKind.get())}) {
          if (w->isVisible()) {
            ShowWindow(w);
            break;
          }
        }
      };
      main->TrayIcon->MinimizeApplicationHook = [&] { taskbarEntry.SetShown(false); };
      QObject::connect(&taskbarEntry, &TaskbarCarrier::closeRequested, main.get(),
                       [&] { main->close(); });

      if (DebugMode) {
        main->show();
      } else {
        taskbarEntry.SetShown(false);
      }
      if (!main->Closed()) exitCode = app.exec();
      exitCode = std::max(exitCode, main->ExitCode());
    } catch (const std::exception& e) {
      ShowErrorBox(QString::fromUtf8(e.what()));
    }
    form_About = nullptr;
    form_Input = nullptr;
    form_EditKindFile = nullptr;
    form_Setup = nullptr;
    form_Main = nullptr;
    // The windows go before the carrier and the rule they report to.
    about.reset();
    editKind.reset();
    input.reset();
    setup.reset();
    main.reset();
  }
  instanceLock.Release();
  return exitCode;
}

}  // namespace mametan
