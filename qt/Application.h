#pragma once
// The application object: one per process. It catches whatever escapes an
// event handler and shows it in the standard error box, so that no exception
// crosses the event loop and the program goes on.
#include <QApplication>

namespace mametan {

class TApplication : public QApplication {
  Q_OBJECT
 public:
  TApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace mametan
