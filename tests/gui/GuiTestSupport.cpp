#include "GuiTestSupport.h"

namespace mametan::test {

RecordingMessages::RecordingMessages() { SetMessageSeam(this); }
RecordingMessages::~RecordingMessages() { SetMessageSeam(nullptr); }

void RecordingMessages::Show(QWidget*, const QString& caption, const QString& text, MsgIcon icon) {
  boxes.push_back({caption, text, icon});
}

}  // namespace mametan::test
