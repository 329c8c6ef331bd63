#pragma once
// The spin edit as a subclassed single-line EDIT with two repeating arrow
// buttons inside its right edge (the setup dialog's tax rate). The value
// lives only in the text; the core spin rules say how it is read, kept in
// range, stepped and typed. Up and Down step it; Enter and characters that
// cannot form a number are refused with a beep; leaving the field for
// another control of its window brings the value into range.
#include <windows.h>

#include <cstdint>

#include "win32/SpeedButton.h"

namespace mametan::win32 {

class SpinEdit {
 public:
  SpinEdit() = default;
  ~SpinEdit();
  SpinEdit(const SpinEdit&) = delete;
  SpinEdit& operator=(const SpinEdit&) = delete;

  // Takes over `edit`'s messages and makes the buttons; the text becomes "0".
  void Attach(HWND edit);
  HWND Handle() const { return m_hwnd; }
  SpeedButton& UpButton() { return m_up; }
  SpeedButton& DownButton() { return m_down; }

  std::int32_t MinValue = 0;
  std::int32_t MaxValue = 0;  // equal bounds: no range
  std::int32_t Increment = 1;
  bool EditorEnabled = true;

  // Reading can change the text: one that does not convert becomes MinValue.
  std::int32_t GetValue();
  void SetValue(std::int32_t value);
  void UpClick();
  void DownClick();
  // The field's font height, a quarter of the smaller of it and the system
  // font's, four borders and 2: the field is never made lower.
  int GetMinHeight() const;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                               DWORD_PTR self);
  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam);
  bool ReadOnly() const;
  void Step(bool up);
  void FitHeightAndPlaceButtons();
  void ExitCheck();

  HWND m_hwnd = nullptr;
  SpeedButton m_up;
  SpeedButton m_down;
};

}  // namespace mametan::win32
