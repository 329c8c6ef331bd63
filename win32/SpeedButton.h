#pragma once
// A flat button that never takes the focus: the setup dialog's file and
// editor buttons and the spin edit's two arrows. It shows itself pressed
// while the left button went down on it and the pointer stays on it, and
// clicks on a release inside it. A repeating button also clicks while it is
// held: first after kSpinFirstRepeatMs, then every kSpinRepeatMs.
#include <windows.h>

#include <functional>

namespace mametan::win32 {

class SpeedButton {
 public:
  enum class Glyph { Icon, ArrowUp, ArrowDown };

  SpeedButton() = default;
  ~SpeedButton();
  SpeedButton(const SpeedButton&) = delete;
  SpeedButton& operator=(const SpeedButton&) = delete;

  // Makes the visible button as a child of `parent`; the caller places it.
  void Create(HWND parent, int id, Glyph glyph);
  HWND Handle() const { return m_hwnd; }
  // The picture of an Icon button; the caller keeps it.
  void SetIcon(HICON icon);
  void SetRepeating(bool repeating) { m_repeating = repeating; }

  // A left press on the button, before any click.
  std::function<void()> OnPress;
  std::function<void()> OnClick;

  // The repeat timer's identifier on the button's window.
  static constexpr UINT_PTR kRepeatTimer = 1;

 private:
  static void RegisterClassOnce();
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
  void Paint();
  bool Inside(LPARAM point) const;
  void SetShownDown(bool down);
  void Click();

  HWND m_hwnd = nullptr;
  Glyph m_glyph = Glyph::Icon;
  HICON m_icon = nullptr;
  bool m_repeating = false;
  bool m_held = false;       // the left button went down here, not yet released
  bool m_shownDown = false;  // held, with the pointer on the button
  bool m_hot = false;        // the pointer is over the button
};

}  // namespace mametan::win32
