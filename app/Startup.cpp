#include "app/Startup.h"

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/Formmain.h"
#include "entry/Forminput.h"
#include "platform/IniRegistry.h"
#include "platform/InstanceLock.h"
#include "platform/MessageBox.h"
#include "platform/TermSignals.h"

namespace mametan {

int RunMametan(int argc, char** argv) {
  DebugMode = HasDebugSwitch(std::vector<std::string>(argv + 1, argv + argc));

  // Decided before anything else is touched: a refused start shows nothing,
  // needs no display and writes nothing.
  InstanceLock instanceLock;
  if (!DebugMode && !instanceLock.Acquire()) return 1;

  {
    TApplication app(argc, argv);
    IniRegistry registry(IniRegistry::DefaultPath());
    std::unique_ptr<Tform_Main> main;
    std::unique_ptr<Tform_Input> input;
    try {
      main = std::make_unique<Tform_Main>(registry);
      form_Main = main.get();
      // Listening before the other windows exist: a request to end that comes
      // while a start-up message is open still takes the normal close path.
      TermSignals termSignals;
      QObject::connect(&termSignals, &TermSignals::terminateRequested, main.get(), [&] {
        if (!main->close()) return;
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

      input = std::make_unique<Tform_Input>();
      form_Input = input.get();

      if (DebugMode) main->show();
      if (!main->Closed()) app.exec();
    } catch (const std::exception& e) {
      ShowErrorBox(QString::fromUtf8(e.what()));
    }
    form_Input = nullptr;
    form_Main = nullptr;
  }
  instanceLock.Release();
  return 0;
}

}  // namespace mametan
