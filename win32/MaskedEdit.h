#pragma once
// A subclassed EDIT driven by the core mask engine: the engine decides what
// each key, character, paste and focus change does, and the EDIT only holds
// the text and the selection. Offsets cross in code page 932 bytes.
#include <windows.h>

#include <string>

#include "core/controls/MaskEditEngine.h"

namespace mametan::win32 {

class MaskedEdit : private MaskEditField {
 public:
  MaskedEdit() : m_engine(*this) {}
  MaskedEdit(const MaskedEdit&) = delete;
  MaskedEdit& operator=(const MaskedEdit&) = delete;

  // Takes over `edit`'s messages.
  void Attach(HWND edit);
  HWND Handle() const { return m_hwnd; }
  MaskEditEngine& Engine() { return m_engine; }
  // Refuses an unfinished text the way leaving the field does: the message,
  // then the focus back on the first unfilled position.
  void RefuseUnfinished();

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                               DWORD_PTR self);
  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam);
  void Char(wchar_t c);
  void Report();
  void PlaceAtFirstUnfilled();
  int ByteOffset(int utf16Index) const;
  int Utf16Index(int byteOffset) const;

  // MaskEditField
  std::string FieldText() const override;
  void FieldSelection(int& start, int& end) const override;
  int FieldCaret() const override;
  void FieldSetSelection(int anchor, int caret) override;
  void FieldReplaceSelection(const std::string& bytes) override;
  void FieldSetText(const std::string& bytes) override;
  bool FieldModified() const override;
  void FieldSetModified(bool modified) override;
  bool FieldHasFocus() const override;
  bool FieldReadOnly() const override;
  void FieldSetMaxLength(int length) override;
  void FieldTakeFocus() override;
  void FieldBeep() override;

  HWND m_hwnd = nullptr;
  MaskEditEngine m_engine;
  int m_anchor = 0;
  int m_caret = 0;
  bool m_reportPending = false;
  bool m_returnAfterReport = false;
};

}  // namespace mametan::win32
