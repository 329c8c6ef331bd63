#pragma once
// The behaviour of a masked edit field, apart from any toolkit: cursor model,
// keys, typing, clipboard, focus and validation. It drives an underlying
// single-line edit field through MaskEditField, in code page 932 bytes; the
// Qt widget and the in-memory field of the tests both implement it.
#include <string>
#include <string_view>

namespace mametan {

// What the engine needs of the edit field underneath. Offsets are byte
// offsets into the display text.
class MaskEditField {
 public:
  virtual ~MaskEditField() = default;
  virtual std::string FieldText() const = 0;
  // Selection [start, end), start <= end.
  virtual void FieldSelection(int& start, int& end) const = 0;
  // The active end of the selection.
  virtual int FieldCaret() const = 0;
  // Selects between anchor and caret; the caret is the active end.
  virtual void FieldSetSelection(int anchor, int caret) = 0;
  // Replaces the selection (sets the modified flag; the length limit holds).
  virtual void FieldReplaceSelection(const std::string& bytes) = 0;
  // Replaces the whole text, caret at 0 (clears the modified flag).
  virtual void FieldSetText(const std::string& bytes) = 0;
  virtual bool FieldModified() const = 0;
  virtual void FieldSetModified(bool modified) = 0;
  virtual bool FieldHasFocus() const = 0;
  virtual bool FieldReadOnly() const = 0;
  // 0 means no limit.
  virtual void FieldSetMaxLength(int length) = 0;
  // Gives the field the focus again after a failed check.
  virtual void FieldTakeFocus() = 0;
  virtual void FieldBeep() = 0;
};

enum class MaskKey { Left, Right, Up, Down, Home, End, Delete, Backspace, Other };

struct MaskShift {
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
};

class MaskEditEngine {
 public:
  explicit MaskEditEngine(MaskEditField& field) : m_field(field) {}
  virtual ~MaskEditEngine() = default;

  // --- properties
  const std::string& EditMask() const { return m_mask; }
  void SetEditMask(const std::string& mask);
  bool IsMasked() const { return m_masked; }
  char BlankChar() const { return m_blank; }
  bool SavesLiterals() const { return m_saveLiterals; }
  int EditCount() const { return m_count; }
  // Text as the field's Text property: literals kept or left out as the
  // mask says, unfilled positions as spaces.
  std::string Text() const;
  void SetText(const std::string& value);
  // Forced to the edit position count while masked.
  void SetMaxLength(int length);
  int MaxLength() const { return m_maxLength; }

  std::string Display() const { return m_field.FieldText(); }
  void SetDisplay(const std::string& display);
  std::string StripForText(std::string_view display) const;

  // --- cursor
  void PlaceCursor(int p);
  void SettleCursor();
  int NextEditPosition(int e) const;
  int PriorEditPosition(int e) const;
  void StepRight(int from, int n);
  void StepLeft(int from);
  int CaretPosition() const { return m_caret; }

  // --- keys. KeyDown returns true when the key goes on to the edit field
  // (Shift/Ctrl arrows, keys the engine leaves alone).
  bool KeyDown(MaskKey key, MaskShift shift);
  void KeyUp(MaskKey key, MaskShift shift);
  // One typed character: one byte, or the two bytes of a double-byte
  // character. Returns true for Ctrl+C, Ctrl+V and Ctrl+X (bytes 3, 22, 24),
  // which go on to the edit field as copy, paste and cut.
  bool KeyPress(const std::string& ch);
  void HandleArrowKey(MaskKey key, MaskShift shift);
  void HandleHomeEndKey(MaskKey key, MaskShift shift);
  void HandleDeleteKey(MaskKey key);
  void TypeChar(const std::string& ch);
  // On success ch becomes the character to store.
  bool AcceptChar(std::string& ch, int e);

  // --- clipboard. Cut returns the bytes to put on the clipboard.
  std::string Cut();
  void Paste(const std::string& clipboard);

  // --- focus and mouse. BeginFocusEntry takes the revert value and returns
  // true when the field's normal entry (AutoSelect) should run; it does not
  // after a failed check forced the focus back.
  bool BeginFocusEntry();
  void EndFocusEntry();
  void FocusGained() { SettleCursor(); }
  // Runs CheckOnLeave (which may raise EDBEditError), then settles the cursor.
  void FocusExit();
  void MouseRelease(bool releasedRightOfPress);
  // A modified masked field claims Esc for itself.
  bool WantsEscape() const;

  // --- validation
  bool CheckRequired(std::string_view display, int& p) const;
  // The first unfilled required position of the display, -1 when complete.
  int FirstUnfilledPosition() const;
  // Modified with an unfilled required position: beep, focus back, cursor on
  // that position, EDBEditError.
  virtual void CheckOnLeave();
  // Like CheckOnLeave, whether modified or not.
  void CheckComplete();
  virtual void RaiseInvalidInput();
  virtual void Revert();
  virtual bool AllowsEditing() const { return true; }

 private:
  // Replaces display bytes [s, s + bytes.size()) without splitting a
  // double-byte character at either end.
  void ReplaceSpan(int s, std::string bytes);
  void Selection(int& s, int& t) const { m_field.FieldSelection(s, t); }
  void FailAt(int p);

  MaskEditField& m_field;
  std::string m_mask;
  char m_blank = '_';
  bool m_saveLiterals = true;
  int m_count = 0;
  int m_maxLength = 0;
  bool m_masked = false;
  bool m_reentry = false;
  std::string m_revert;
  int m_caret = 0;
};

}  // namespace mametan
