#pragma once
// A single-line edit field held in memory, with the behaviour the mask engine
// relies on: selection with an active end, replacement under a length limit,
// the modified flag. Tests and the fuzz target drive the engine through it.
#include <string>

#include "core/controls/MaskEditEngine.h"

namespace mametan {

class MemoryEditField : public MaskEditField {
 public:
  std::string FieldText() const override { return text; }
  void FieldSelection(int& start, int& end) const override;
  int FieldCaret() const override { return caret; }
  void FieldSetSelection(int anchorPos, int caretPos) override;
  void FieldReplaceSelection(const std::string& bytes) override;
  void FieldSetText(const std::string& bytes) override;
  bool FieldModified() const override { return modified; }
  void FieldSetModified(bool value) override { modified = value; }
  bool FieldHasFocus() const override { return focused; }
  bool FieldReadOnly() const override { return readOnly; }
  void FieldSetMaxLength(int length) override { maxLength = length; }
  void FieldTakeFocus() override { focused = true; }
  void FieldBeep() override { ++beeps; }

  // What the edit field itself does with Shift+Left/Right (moves the active
  // end by one byte) and Ctrl+Left/Right (to the previous/next word start).
  void MoveCaret(int delta, bool extend, bool byWord);

  std::string text;
  int anchor = 0;
  int caret = 0;
  int maxLength = 0;
  bool modified = false;
  bool focused = false;
  bool readOnly = false;
  int beeps = 0;
};

}  // namespace mametan
