#pragma once
// The editor's text box. Text loaded from the file may hold characters that
// stand for bytes which are not code page 932 (they are written back as the
// same bytes); such characters typed, pasted or dropped in are refused with a
// beep, so only the file's own bytes ever come back out that way.
#include <QPlainTextEdit>

namespace mametan {

class KindMemo : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit KindMemo(QWidget* parent = nullptr);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;
};

}  // namespace mametan
