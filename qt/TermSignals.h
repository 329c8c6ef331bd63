#pragma once
// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the GUI thread, so that
// a request to end (logout, kill, Ctrl+C) takes the program's normal exit path.
// SIGXFSZ is ignored from then on, so that a write past the file-size limit
// fails with EFBIG instead of ending the process.
#include <QObject>

class QSocketNotifier;

namespace mametan {

class TermSignals : public QObject {
  Q_OBJECT
 public:
  explicit TermSignals(QObject* parent = nullptr);
  ~TermSignals() override;

 signals:
  void terminateRequested();

 private:
  QSocketNotifier* m_notifier = nullptr;
};

}  // namespace mametan
