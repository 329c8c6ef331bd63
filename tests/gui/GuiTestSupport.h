#pragma once
// Shared pieces of the widget tests: a message seam that records instead of
// showing, and a scratch folder per test.
#include <QString>
#include <QTemporaryDir>
#include <vector>

#include "qt/MessageBox.h"

namespace mametan::test {

struct ShownBox {
  QString caption;
  QString text;
  MsgIcon icon;
};

// Installs itself as the message seam for its lifetime.
class RecordingMessages : public MessageSeam {
 public:
  RecordingMessages();
  ~RecordingMessages() override;
  void Show(QWidget* owner, const QString& caption, const QString& text, MsgIcon icon) override;
  void Beep() override { ++beeps; }

  std::vector<ShownBox> boxes;
  int beeps = 0;
};

}  // namespace mametan::test
