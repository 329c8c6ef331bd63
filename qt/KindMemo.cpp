#include "qt/KindMemo.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>

#include "core/platform/Cp932.h"
#include "qt/MessageBox.h"

namespace mametan {
namespace {

// The text without raw-byte characters; `refused` tells whether any went.
QString WithoutRawBytes(const QString& text, bool* refused) {
  QString kept;
  kept.reserve(text.size());
  for (const QChar c : text) {
    if (cp932::IsRawByteCodePoint(c.unicode())) {
      *refused = true;
    } else {
      kept += c;
    }
  }
  return kept;
}

}  // namespace

KindMemo::KindMemo(QWidget* parent) : QPlainTextEdit(parent) {}

void KindMemo::keyPressEvent(QKeyEvent* event) {
  bool refused = false;
  WithoutRawBytes(event->text(), &refused);
  if (refused) {
    Beep();
    event->accept();
    return;
  }
  QPlainTextEdit::keyPressEvent(event);
}

void KindMemo::inputMethodEvent(QInputMethodEvent* event) {
  bool refused = false;
  const QString kept = WithoutRawBytes(event->commitString(), &refused);
  if (!refused) {
    QPlainTextEdit::inputMethodEvent(event);
    return;
  }
  Beep();
  QInputMethodEvent filtered(event->preeditString(), event->attributes());
  filtered.setCommitString(kept, event->replacementStart(), event->replacementLength());
  QPlainTextEdit::inputMethodEvent(&filtered);
}

void KindMemo::insertFromMimeData(const QMimeData* source) {
  if (!source->hasText()) return;
  bool refused = false;
  const QString kept = WithoutRawBytes(source->text(), &refused);
  if (refused) Beep();
  insertPlainText(kept);
}

}  // namespace mametan
