#pragma once
// The masked edit field (the input window's date field uses it with the mask
// "!9999/99/00;1;-"). A QLineEdit whose text is kept to an edit mask by
// MaskEditEngine; texts are QString here and code page 932 inside.
//
// What an owner relies on:
// - SetEditMask() before SetText(): the mask decides how Text is read.
//   setText()/setMaxLength()/clear() are hidden by masked versions, so a form
//   layout that sets "text" or "maxLength" goes through the mask as well.
// - Text() / SetText(): the Text property. With literals saved (";1;") Text
//   is the display text with unfilled positions as spaces ("2001/ 1/ 5");
//   SetText aligns each part between literals ("2001/1/5" shows 2001/-1/-5).
// - Modified(): set by the user's typing, Delete and cut; cleared by SetText,
//   SetEditMask, paste and Revert().
// - MaxLength() is the edit-position count while a mask is set.
// - OnKeyDown / OnKeyPress run before the field's own key handling. Setting
//   the key (or the character) to 0 swallows it; OnKeyPress may also replace
//   the character. OnKeyPress sees typed characters, Enter as '\r', Esc as
//   QChar(27) (only when the field claims Esc), Backspace as '\b', and
//   Ctrl+letters as control characters (Ctrl+C as QChar(3), ...).
// - Enter (after the hooks) runs CheckOnLeave(); when that passes the key
//   goes on to the parent, so a dialog's default button still acts on it.
// - Esc restores the value the field had on entry while the field is
//   modified (and the field then takes the key from a Cancel shortcut);
//   otherwise Esc goes on to the parent.
// - Leaving the field (Tab, click elsewhere) while it is modified with an
//   unfilled required position: beep, focus back, cursor on that position,
//   and the standard error box with "入力値が不正です。エスケープキーで変更を
//   取り消せます" (EDBEditError). Window activation changes do not check.
// - CheckOnLeave() called directly throws EDBEditError. ValidateEdit() does
//   the same check whether or not the field is modified and reports it the
//   same way (beep, focus, cursor, error box) without throwing: the input
//   window calls it on OK. FirstUnfilledPosition() only looks.
// - The date separator "/" and time separator ":" of a mask come from
//   LocaleLiteralChar() (core/controls/MaskEngine.h); the first masked field
//   reads them from the user's locale unless SetLocaleSeparators() was
//   called before. LocaleLiteralChar('/') is the separator to format dates.
#include <QLineEdit>
#include <QMenu>
#include <functional>

#include "core/controls/MaskEditEngine.h"

namespace mametan {

class TCustomMaskEdit : public QLineEdit, protected MaskEditField {
  Q_OBJECT
  Q_PROPERTY(QString editMask READ EditMask WRITE SetEditMask)
  Q_PROPERTY(bool autoSelect READ AutoSelect WRITE SetAutoSelect)

 public:
  explicit TCustomMaskEdit(QWidget* parent = nullptr);

  QString EditMask() const;
  void SetEditMask(const QString& mask);
  bool IsMasked() const { return m_engine.IsMasked(); }

  QString Text() const;
  void SetText(const QString& value);
  void setText(const QString& value) { SetText(value); }
  void clear() { SetText(QString()); }

  int MaxLength() const { return maxLength(); }
  void SetMaxLength(int length) { m_engine.SetMaxLength(length); }
  void setMaxLength(int length) { SetMaxLength(length); }

  bool AutoSelect() const { return m_autoSelect; }
  void SetAutoSelect(bool on) { m_autoSelect = on; }

  bool Modified() const { return isModified(); }
  // The display text: one character per edit position, blanks unfilled.
  QString DisplayText() const { return QLineEdit::text(); }

  // Esc: back to the value of the last entry (or whole-text change).
  virtual void Revert();
  // Throws EDBEditError when modified with an unfilled required position.
  virtual void CheckOnLeave();
  // The check the input window runs on OK; false after reporting the error.
  bool ValidateEdit();
  // The first unfilled required position, -1 when complete.
  int FirstUnfilledPosition() const { return m_engine.FirstUnfilledPosition(); }

  // The cursor: the character at edit position p selected, caret on its left.
  // Edit positions count display bytes in code page 932 (a double-byte
  // character takes two).
  void PlaceCursor(int p) { m_engine.PlaceCursor(p); }
  // Edit position of the selection start.
  int CursorEditPosition() const;

  // The field's context menu (the caller owns it): for a masked field cut,
  // copy, paste, delete and select all, each through the mask.
  QMenu* CreateContextMenu();

  std::function<void(int& key, Qt::KeyboardModifiers modifiers)> OnKeyDown;
  std::function<void(QChar& key)> OnKeyPress;

 protected:
  bool event(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;

  // MaskEditField, in code page 932 byte offsets.
  std::string FieldText() const override;
  void FieldSelection(int& start, int& end) const override;
  int FieldCaret() const override;
  void FieldSetSelection(int anchor, int caret) override;
  void FieldReplaceSelection(const std::string& bytes) override;
  void FieldSetText(const std::string& bytes) override;
  bool FieldModified() const override { return isModified(); }
  void FieldSetModified(bool modified) override { setModified(modified); }
  bool FieldHasFocus() const override { return hasFocus(); }
  bool FieldReadOnly() const override { return isReadOnly(); }
  void FieldSetMaxLength(int length) override;
  void FieldTakeFocus() override { setFocus(Qt::OtherFocusReason); }
  void FieldBeep() override;

 private:
  // One typed character through the owner's hook and the engine. Returns the
  // character after the hook (0 when swallowed).
  QChar PressChar(QChar c);
  void DoCut();
  void DoPaste();
  void ReportInvalidInput(const std::exception& e, bool later);
  // The steps of a key press.
  void UnmaskedKeyPress(QKeyEvent* e);
  void EscapeKeyPress(QKeyEvent* e);
  void EnterKeyPress(QKeyEvent* e);
  void MaskedKeyPress(QKeyEvent* e, int key, const MaskShift& shift);
  bool ClipboardKeyPress(int key, const MaskShift& shift);
  void HandleTyped(const QString& text);
  void HandleChar(QChar c);
  int ToByteOffset(int charPos) const;
  int ToCharPos(int byteOffset) const;

  MaskEditEngine m_engine{*this};
  bool m_autoSelect = true;
  qreal m_pressX = 0;
  // An error box is queued and not shown yet: a second report is dropped.
  bool m_reportPending = false;
};

// The published class that forms place.
class TMaskEdit : public TCustomMaskEdit {
  Q_OBJECT
 public:
  explicit TMaskEdit(QWidget* parent = nullptr) : TCustomMaskEdit(parent) {}
};

// Sets the mask separators from the user's locale, unless set already.
void LoadLocaleSeparators();

}  // namespace mametan
