#include "qt/MaskedEdit.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <algorithm>
#include <cctype>
#include <limits>

#include "core/controls/EDBEditError.h"
#include "core/controls/MaskEngine.h"
#include "core/platform/Cp932.h"
#include "qt/MessageBox.h"

namespace mametan {
namespace {

// Code page 932 bytes of a text; a character without a code page 932 form
// becomes `fill` (only the display text passes here, which holds none unless
// someone bypassed the mask).
std::string ToBytes(const QString& text, char fill) {
  if (auto bytes = cp932::Encode(text.toStdString())) return *bytes;
  std::string out;
  for (int i = 0; i < text.size(); ++i) {
    const bool pair = text[i].isHighSurrogate() && i + 1 < text.size();
    const QString one = pair ? text.mid(i, 2) : QString(text[i]);
    if (pair) ++i;
    auto bytes = cp932::Encode(one.toStdString());
    out += bytes ? *bytes : std::string(1, fill);
  }
  return out;
}

QString FromBytes(const std::string& bytes) { return QString::fromStdString(cp932::Decode(bytes)); }

// The first ASCII punctuation character of a locale format, else `fallback`.
char SeparatorIn(const QString& format, char fallback) {
  bool quoted = false;
  for (QChar c : format) {
    if (c == QLatin1Char('\'')) quoted = !quoted;
    if (quoted || c.unicode() >= 0x80) continue;
    const char a = static_cast<char>(c.unicode());
    if (a > ' ' && a != '\'' && !std::isalnum(static_cast<unsigned char>(a))) return a;
  }
  return fallback;
}

MaskKey ToMaskKey(int key) {
  switch (key) {
    case Qt::Key_Left:
      return MaskKey::Left;
    case Qt::Key_Right:
      return MaskKey::Right;
    case Qt::Key_Up:
      return MaskKey::Up;
    case Qt::Key_Down:
      return MaskKey::Down;
    case Qt::Key_Home:
      return MaskKey::Home;
    case Qt::Key_End:
      return MaskKey::End;
    case Qt::Key_Delete:
      return MaskKey::Delete;
    case Qt::Key_Backspace:
      return MaskKey::Backspace;
    default:
      return MaskKey::Other;
  }
}

}  // namespace

void LoadLocaleSeparators() {
  if (LocaleSeparatorsSet()) return;
  const QLocale locale;
  SetLocaleSeparators(SeparatorIn(locale.dateFormat(QLocale::ShortFormat), '/'),
                      SeparatorIn(locale.timeFormat(QLocale::ShortFormat), ':'));
}

TCustomMaskEdit::TCustomMaskEdit(QWidget* parent) : QLineEdit(parent) { LoadLocaleSeparators(); }

QString TCustomMaskEdit::EditMask() const { return FromBytes(m_engine.EditMask()); }

void TCustomMaskEdit::SetEditMask(const QString& mask) {
  // A mask character without a code page 932 form could never be shown in
  // the field's text; it is left out of the mask.
  QString kept;
  for (QChar c : mask) {
    if (cp932::CanEncode(QString(c).toStdString())) kept += c;
  }
  m_engine.SetEditMask(ToBytes(kept, '_'));
  // Dropping text onto the field would bypass the mask.
  setAcceptDrops(!m_engine.IsMasked());
}

QString TCustomMaskEdit::Text() const { return FromBytes(m_engine.Text()); }

void TCustomMaskEdit::SetText(const QString& value) {
  // Characters the field cannot hold count as unfilled.
  m_engine.SetText(ToBytes(value, ' '));
}

void TCustomMaskEdit::Revert() { m_engine.Revert(); }

void TCustomMaskEdit::CheckOnLeave() { m_engine.CheckOnLeave(); }

bool TCustomMaskEdit::ValidateEdit() {
  if (m_engine.FirstUnfilledPosition() < 0) return true;
  // The same failure was just reported on leaving the field (a click on the
  // button that runs this check); its box is on the way.
  if (m_reportPending) return false;
  try {
    if (!hasFocus()) setFocus(Qt::OtherFocusReason);
    m_engine.CheckComplete();
  } catch (const EDBEditError& e) {
    ReportInvalidInput(e, false);
  }
  return false;
}

int TCustomMaskEdit::CursorEditPosition() const {
  int s = 0, t = 0;
  FieldSelection(s, t);
  return s;
}

// --- the edit field underneath, in bytes

int TCustomMaskEdit::ToByteOffset(int charPos) const {
  return static_cast<int>(ToBytes(QLineEdit::text().left(charPos), '_').size());
}

int TCustomMaskEdit::ToCharPos(int byteOffset) const {
  const std::string bytes = FieldText();
  const int b = std::clamp(byteOffset, 0, static_cast<int>(bytes.size()));
  return static_cast<int>(FromBytes(bytes.substr(0, static_cast<std::size_t>(b))).size());
}

std::string TCustomMaskEdit::FieldText() const { return ToBytes(QLineEdit::text(), '_'); }

void TCustomMaskEdit::FieldSelection(int& start, int& end) const {
  if (hasSelectedText()) {
    start = ToByteOffset(selectionStart());
    end = ToByteOffset(selectionEnd());
  } else {
    start = end = ToByteOffset(cursorPosition());
  }
}

int TCustomMaskEdit::FieldCaret() const { return ToByteOffset(cursorPosition()); }

void TCustomMaskEdit::FieldSetSelection(int anchor, int caret) {
  const int a = ToCharPos(anchor);
  const int c = ToCharPos(caret);
  if (a == c) {
    setCursorPosition(c);
  } else {
    // A negative length selects backwards: the cursor ends at c.
    setSelection(a, c - a);
  }
}

void TCustomMaskEdit::FieldReplaceSelection(const std::string& bytes) {
  insert(FromBytes(bytes));
  setModified(true);
}

void TCustomMaskEdit::FieldSetText(const std::string& bytes) {
  QLineEdit::setText(FromBytes(bytes));
  setCursorPosition(0);
}

void TCustomMaskEdit::FieldSetMaxLength(int length) {
  // No limit of our own: the toolkit's default of 32,767 would cut long
  // pasted text without a word.
  QLineEdit::setMaxLength(length > 0 ? length : std::numeric_limits<int>::max());
}

void TCustomMaskEdit::FieldBeep() { Beep(); }

// --- keys

QChar TCustomMaskEdit::PressChar(QChar c) {
  if (OnKeyPress) OnKeyPress(c);
  return c;
}

void TCustomMaskEdit::HandleChar(QChar c) {
  switch (c.unicode()) {
    case 3:
      copy();
      return;
    case 22:
      DoPaste();
      return;
    case 24:
      DoCut();
      return;
    default:
      break;
  }
  const auto bytes = cp932::Encode(QString(c).toStdString());
  if (!bytes || bytes->empty()) {
    if (!isReadOnly()) Beep();  // no code page 932 form: refused like any misfit
    return;
  }
  try {
    m_engine.KeyPress(*bytes);
  } catch (const EDBEditError& e) {
    ReportInvalidInput(e, false);
  }
}

void TCustomMaskEdit::HandleTyped(const QString& text) {
  for (int i = 0; i < text.size(); ++i) {
    if (text[i].isHighSurrogate() && i + 1 < text.size()) {
      ++i;
      if (!isReadOnly()) Beep();  // outside the basic plane: never code page 932
      continue;
    }
    const QChar c = PressChar(text[i]);
    if (!c.isNull()) HandleChar(c);
  }
}

void TCustomMaskEdit::keyPressEvent(QKeyEvent* e) {
  const Qt::KeyboardModifiers mods = e->modifiers();
  int key = e->key();
  if (OnKeyDown) {
    OnKeyDown(key, mods);
    if (key == 0) return e->accept();
  }
  if (!IsMasked()) return UnmaskedKeyPress(e);

  const MaskShift shift{mods.testFlag(Qt::ShiftModifier), mods.testFlag(Qt::ControlModifier),
                        mods.testFlag(Qt::AltModifier)};
  if (key == Qt::Key_Tab || key == Qt::Key_Backtab || shift.alt) {
    return e->ignore();  // focus movement and accelerators belong to the window
  }
  if (key == Qt::Key_Escape) return EscapeKeyPress(e);
  if (key == Qt::Key_Return || key == Qt::Key_Enter) return EnterKeyPress(e);
  MaskedKeyPress(e, key, shift);
}

void TCustomMaskEdit::UnmaskedKeyPress(QKeyEvent* e) {
  const QString text = e->text();
  if (OnKeyPress && text.size() == 1 && text[0].isPrint()) {
    const QChar c = PressChar(text[0]);
    if (c.isNull()) return e->accept();
    if (c != text[0]) {
      insert(QString(c));
      return e->accept();
    }
  }
  QLineEdit::keyPressEvent(e);
}

void TCustomMaskEdit::EscapeKeyPress(QKeyEvent* e) {
  if (!m_engine.WantsEscape()) return e->ignore();  // the window's cancel button
  const QChar c = PressChar(QChar(27));
  if (!c.isNull()) HandleChar(c);
  e->accept();
}

void TCustomMaskEdit::EnterKeyPress(QKeyEvent* e) {
  const QChar c = PressChar(QLatin1Char('\r'));
  if (c.isNull()) return e->accept();
  if (c != QLatin1Char('\r')) {
    HandleChar(c);
    return e->accept();
  }
  try {
    m_engine.KeyPress("\r");
  } catch (const EDBEditError& err) {
    ReportInvalidInput(err, false);
    return e->accept();
  }
  e->ignore();  // a complete field lets the default button act
}

void TCustomMaskEdit::MaskedKeyPress(QKeyEvent* e, int key, const MaskShift& shift) {
  const MaskKey mk = ToMaskKey(key);
  const bool goesOn = m_engine.KeyDown(mk, shift);
  if (mk == MaskKey::Left || mk == MaskKey::Right) {
    if (goesOn) {
      QLineEdit::keyPressEvent(e);
      m_engine.KeyUp(mk, shift);
    }
    return e->accept();
  }
  if (!goesOn) {
    if (mk == MaskKey::Backspace) PressChar(QLatin1Char('\b'));
    return e->accept();
  }
  if (ClipboardKeyPress(key, shift)) return e->accept();
  if (shift.ctrl) {
    if (key < Qt::Key_A || key > Qt::Key_Z) return e->ignore();
    const QChar c = PressChar(QChar(key - Qt::Key_A + 1));
    if (!c.isNull()) HandleChar(c);
    return e->accept();
  }
  const QString text = e->text();
  if (text.isEmpty()) return e->ignore();  // function keys and the like: nothing to type
  HandleTyped(text);
  e->accept();
}

// The clipboard keys that type no character; true when `key` was one.
bool TCustomMaskEdit::ClipboardKeyPress(int key, const MaskShift& shift) {
  if (key == Qt::Key_Insert && shift.shift) {
    DoPaste();
  } else if (key == Qt::Key_Insert && shift.ctrl) {
    copy();
  } else if (key == Qt::Key_Delete && shift.shift) {
    DoCut();
  } else {
    return false;
  }
  return true;
}

void TCustomMaskEdit::keyReleaseEvent(QKeyEvent* e) { QLineEdit::keyReleaseEvent(e); }

void TCustomMaskEdit::inputMethodEvent(QInputMethodEvent* e) {
  if (!IsMasked()) {
    QLineEdit::inputMethodEvent(e);
    return;
  }
  // Committed text is typed character by character; composing text is not
  // shown in a masked field.
  if (!e->commitString().isEmpty()) HandleTyped(e->commitString());
  e->accept();
}

bool TCustomMaskEdit::event(QEvent* e) {
  if (e->type() == QEvent::ShortcutOverride && IsMasked()) {
    auto* key = static_cast<QKeyEvent*>(e);
    if (key->key() == Qt::Key_Escape && m_engine.WantsEscape()) {
      e->accept();  // Esc reverts this field before any cancel button sees it
      return true;
    }
  }
  return QLineEdit::event(e);
}

// --- clipboard

void TCustomMaskEdit::DoCut() {
  if (!IsMasked()) {
    cut();
    return;
  }
  const std::string copied = m_engine.Cut();
  if (!copied.empty()) QGuiApplication::clipboard()->setText(FromBytes(copied));
}

void TCustomMaskEdit::DoPaste() {
  if (!IsMasked()) {
    paste();
    return;
  }
  if (isReadOnly()) return;
  const auto bytes = cp932::Encode(QGuiApplication::clipboard()->text().toStdString());
  if (!bytes) {
    Beep();  // text the field could never hold
    return;
  }
  m_engine.Paste(*bytes);
}

QMenu* TCustomMaskEdit::CreateContextMenu() {
  if (!IsMasked()) return createStandardContextMenu();
  // The standard menu's commands act on the text behind the mask's back, so a
  // masked field builds its own: no undo, and cut, paste and delete through
  // the mask.
  auto* menu = new QMenu(this);
  const bool selected = hasSelectedText();
  const bool editable = !isReadOnly();
  QAction* cutAction = menu->addAction(tr("Cu&t"), this, [this] { DoCut(); });
  cutAction->setEnabled(selected && editable);
  menu->addAction(tr("&Copy"), this, [this] { copy(); })->setEnabled(selected);
  QAction* pasteAction = menu->addAction(tr("&Paste"), this, [this] { DoPaste(); });
  pasteAction->setEnabled(editable && !QGuiApplication::clipboard()->text().isEmpty());
  menu->addAction(tr("Delete"), this, [this] { m_engine.KeyDown(MaskKey::Delete, MaskShift{}); })
      ->setEnabled(selected && editable);
  menu->addSeparator();
  menu->addAction(tr("Select All"), this, [this] { selectAll(); });
  return menu;
}

void TCustomMaskEdit::contextMenuEvent(QContextMenuEvent* e) {
  QMenu* menu = CreateContextMenu();
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(e->globalPos());
}

// --- focus and mouse

void TCustomMaskEdit::focusInEvent(QFocusEvent* e) {
  if (!IsMasked()) {
    QLineEdit::focusInEvent(e);
    return;
  }
  // The base class selects on its own terms; keep the selection and decide here.
  const int caret = cursorPosition();
  const int anchor = !hasSelectedText()          ? caret
                     : caret == selectionStart() ? selectionEnd()
                                                 : selectionStart();
  auto restore = [&] {
    if (anchor == caret) {
      setCursorPosition(caret);
    } else {
      setSelection(anchor, caret - anchor);
    }
  };
  const Qt::FocusReason reason = e->reason();
  if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) {
    // The window came back: the keyboard focus only, no entry.
    QLineEdit::focusInEvent(e);
    restore();
    m_engine.FocusGained();
    return;
  }
  const bool entry = m_engine.BeginFocusEntry();
  QLineEdit::focusInEvent(e);
  restore();
  if (entry && m_autoSelect && reason != Qt::MouseFocusReason) selectAll();
  m_engine.EndFocusEntry();
}

void TCustomMaskEdit::focusOutEvent(QFocusEvent* e) {
  const Qt::FocusReason reason = e->reason();
  if (IsMasked() && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
    try {
      m_engine.FocusExit();
    } catch (const EDBEditError& err) {
      // The focus is back here; the box waits until the focus change is over.
      ReportInvalidInput(err, true);
      return;
    }
  }
  QLineEdit::focusOutEvent(e);
}

void TCustomMaskEdit::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) m_pressX = e->position().x();
  QLineEdit::mousePressEvent(e);
}

void TCustomMaskEdit::mouseReleaseEvent(QMouseEvent* e) {
  QLineEdit::mouseReleaseEvent(e);
  if (e->button() == Qt::LeftButton) m_engine.MouseRelease(e->position().x() > m_pressX);
}

void TCustomMaskEdit::ReportInvalidInput(const std::exception& e, bool later) {
  const QString text = QString::fromUtf8(e.what());
  if (!later) {
    ShowErrorBox(text, window());
    return;
  }
  if (m_reportPending) return;
  m_reportPending = true;
  QTimer::singleShot(0, this, [this, text] {
    m_reportPending = false;
    ShowErrorBox(text, window());
  });
}

}  // namespace mametan
