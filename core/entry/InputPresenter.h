#pragma once
// The input window's logic: what its show and hide steps set, which key does
// what, the order of OK's checks and their messages, and the ledger write. A
// front end implements InputView (controls, focus, placement) and forwards
// the window's events here.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/common/ApSystem.h"
#include "core/common/Messages.h"
#include "core/entry/WindowPlacement.h"

namespace mametan {

// The controls the logic reads, sets or focuses.
enum class InputControl { Date, Kind, Goods, Price, AutoTax, NextInput, HoldDate, Ok, Cancel };

struct CivilDate {
  int year = 0;
  int month = 0;
  int day = 0;
};

// A key-down in one of the window's key-handling controls.
struct KeyStroke {
  bool enter = false;  // Return, or Enter on the keypad
  bool keypad = false;
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
  bool onButton = false;  // the focus is on OK or Cancel
};

class InputView : public MessageSink {
 public:
  // Texts are UTF-8.
  virtual std::string Text(InputControl control) = 0;
  virtual void SetText(InputControl control, const std::string& text) = 0;
  virtual bool Checked(InputControl control) = 0;
  virtual void SetChecked(InputControl control, bool checked) = 0;
  virtual void Focus(InputControl control) = 0;
  // Every required position of the date mask is filled.
  virtual bool DateComplete() = 0;
  // Refuses the unfinished date the way the date field itself does.
  virtual void RefuseUnfinishedDate() = 0;
  // The classification file's bytes of the kind shown, when it is a list item
  // unchanged; nothing for a typed kind.
  virtual std::optional<std::string> ListedKindBytes() = 0;
  // Empties the kind box without picking an item.
  virtual void ClearKind() = 0;
  // The kind box's list (code page 932 bytes each), replacing what it held.
  virtual void SetKinds(std::vector<std::string> kinds) = 0;
  virtual void SetOkDefault(bool isDefault) = 0;
  // The focus moves to the next (or previous) control in tab order.
  virtual void MoveFocus(bool forward) = 0;

  virtual CivilDate Today() = 0;
  // The user's short-date separator, UTF-8.
  virtual std::string DateSeparator() = 0;

  virtual std::vector<ScreenArea> Screens() = 0;
  virtual int FrameWidth() = 0;
  // The title bar's height once the window manager has framed the window.
  virtual int TitleBarHeight() = 0;
  // The frame's top-left as the window system has it now; nothing where the
  // window system does not tell (a Wayland compositor).
  virtual std::optional<WindowPoint> FramePlace() = 0;
  virtual void PlaceFrameAt(WindowPoint frameTopLeft) = 0;
  // Centres the window on the primary screen; the place it was put.
  virtual WindowPoint PlaceAtDefault() = 0;

  virtual void Show() = 0;
  virtual void Hide() = 0;
  virtual bool IsVisible() = 0;
};

class InputPresenter {
 public:
  InputPresenter(InputView& view, TApSystem& settings) : m_view(view), m_settings(settings) {}

  // Creation: opens the window when the settings say so, then fills the kind
  // list from the classification file (its messages shown now).
  void FormCreate();
  // The window was shown anew (not un-minimised).
  void OnShow();
  // The show steps: today's date unless held, the stored place, empty texts,
  // the stored boxes, the focus in the kind box.
  void FormShow();
  // The hide steps: the window's place and two boxes go into the settings.
  // The exit command calls it directly, the window still open.
  void FormHide();

  void bbtn_OkClick();
  void bbtn_CancelClick();
  void cb_NextInputClick();

  // FormKeyDown and FormKeyPress in one: true when the key was consumed.
  bool FormKeyPress(const KeyStroke& key);
  // Enter in the dropped-down kind list picks the item (the list's own
  // doing); with EnterToNext the focus then moves on: forward or back.
  std::optional<bool> ListKeyPress(const KeyStroke& key);

 private:
  void RememberShift(const KeyStroke& key);
  std::string TodayText();

  InputView& m_view;
  TApSystem& m_settings;
  bool m_shownOnce = false;
  bool m_okDefault = false;
  // The modifiers of the last key-down.
  bool m_lastShift = false;
  bool m_lastOther = false;  // Ctrl or Alt
  // Where the window was put instead of an unusable stored place; while it
  // stays there the stored place is kept.
  std::optional<WindowPoint> m_defaultPlace;
};

}  // namespace mametan
