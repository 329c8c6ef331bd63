#pragma once
// The tray icon's rules, free of any toolkit: the state of the icon, what a
// notification-area message does, which gesture restores the application or
// pops up the menu, and when the animation timer runs. Everything the rules
// touch outside themselves goes through TrayEnvironment, so the rules run
// against a fake notification area in tests and against the desktop's tray
// in the program.
#include <cstdint>
#include <exception>
#include <functional>
#include <string>

namespace mametan {

// The gestures RestoreOn and PopupMenuOn can select, in their stored order.
enum TTrayIconMessage {
  imClick,
  imDoubleClick,
  imMouseDown,
  imMouseUp,
  imLeftClickUp,
  imLeftDoubleClick,
  imRightClickUp,
  imRightDoubleClick,
  imNone
};

enum TMouseButton { mbLeft, mbRight, mbMiddle };

// A set of modifier and button states, one bit each.
using TShiftState = std::uint8_t;
enum TShiftBit : TShiftState {
  ssShift = 1 << 0,
  ssAlt = 1 << 1,
  ssCtrl = 1 << 2,
  ssLeft = 1 << 3,
  ssRight = 1 << 4,
  ssMiddle = 1 << 5,
  ssDouble = 1 << 6
};

// Message numbers of the notification area's window protocol.
namespace traymsg {
inline constexpr unsigned kQueryEndSession = 0x11;
inline constexpr unsigned kEndSession = 0x16;
inline constexpr unsigned kSysCommand = 0x112;
inline constexpr unsigned kCallback = 0x401;  // the user message + 1
inline constexpr unsigned kMouseMove = 0x200;
inline constexpr unsigned kLButtonDown = 0x201;
inline constexpr unsigned kLButtonUp = 0x202;
inline constexpr unsigned kLButtonDblClk = 0x203;
inline constexpr unsigned kRButtonDown = 0x204;
inline constexpr unsigned kRButtonUp = 0x205;
inline constexpr unsigned kRButtonDblClk = 0x206;
inline constexpr unsigned kMButtonDown = 0x207;
inline constexpr unsigned kMButtonUp = 0x208;
inline constexpr unsigned kMButtonDblClk = 0x209;
inline constexpr unsigned kScMinimize = 0xF020;
inline constexpr unsigned kScRestore = 0xF120;
}  // namespace traymsg

struct TMessage {
  unsigned Msg = 0;
  std::uintptr_t WParam = 0;
  std::intptr_t LParam = 0;
  std::intptr_t Result = 0;
};

struct TPoint {
  int X = 0;
  int Y = 0;
  bool operator==(const TPoint&) const = default;
};

// What the notification area is told about the icon.
struct TrayNotifyData {
  static constexpr unsigned kFlagMessage = 1;
  static constexpr unsigned kFlagIcon = 2;
  static constexpr unsigned kFlagTip = 4;
  static constexpr int kApplicationIcon = -1;  // the program's own icon
  static constexpr int kNoIcon = -2;           // an empty icon

  unsigned uFlags = kFlagMessage | kFlagIcon;
  unsigned uCallbackMessage = traymsg::kCallback;
  int icon = kApplicationIcon;  // image index into Icons, or one of the two above
  std::string szTip;            // at most 127 bytes
};

// A list of images the icon can show; the component only counts them.
class TrayImageList {
 public:
  virtual ~TrayImageList() = default;
  virtual int Count() const = 0;
};

// A menu the component can pop up at a screen position.
class TrayPopupMenu {
 public:
  virtual ~TrayPopupMenu() = default;
  virtual void Popup(int x, int y) = 0;
};

// Everything outside the component: the notification area, the pointer and
// keyboard, the application's window and the animation timer.
class TrayEnvironment {
 public:
  virtual ~TrayEnvironment() = default;
  virtual bool AddIcon(const TrayNotifyData& data) = 0;
  virtual bool ModifyIcon(const TrayNotifyData& data) = 0;
  virtual bool DeleteIcon() = 0;
  virtual TPoint CursorPos() = 0;
  virtual TShiftState KeyShiftState() = 0;  // Shift, Ctrl and Alt only
  virtual void MinimizeApplication() = 0;   // minimize, take the taskbar entry away
  virtual void RestoreApplication() = 0;    // restore, show the entry, bring it forward
  virtual void ForegroundActiveForm() = 0;
  virtual void SetApplicationHook(bool registered) = 0;
  virtual void SetTimerEnabled(bool enabled) = 0;
  virtual void SetTimerInterval(int milliseconds) = 0;
};

class TrayError : public std::exception {
 public:
  explicit TrayError(const char* message) : m_message(message) {}
  const char* what() const noexcept override { return m_message; }

 private:
  const char* m_message;
};

inline constexpr const char* kCannotCreateIcon = "Cannot Create System Shell Notification Icon";
inline constexpr const char* kCannotRemoveIcon = "Cannot Remove System Shell Notification Icon";

// The component's state and rules. Events are optional callbacks; Sender is
// implied (there is one component per instance).
class TrayIconRules {
 public:
  using NotifyEvent = std::function<void()>;
  using MouseEvent = std::function<void(TMouseButton, TShiftState, int x, int y)>;
  using MouseMoveEvent = std::function<void(TShiftState, int x, int y)>;

  explicit TrayIconRules(TrayEnvironment& env);
  ~TrayIconRules();
  TrayIconRules(const TrayIconRules&) = delete;
  TrayIconRules& operator=(const TrayIconRules&) = delete;

  // Called once after the owner's stored properties were set.
  void Loaded();

  void SetVisible(bool value);  // throws TrayError when the area refuses
  bool Visible() const { return m_visible; }
  void SetHint(const std::string& value);
  const std::string& Hint() const { return m_hint; }
  void SetHide(bool value) { m_hide = value; }
  bool Hide() const { return m_hide; }
  void SetIconIndex(int value);
  int IconIndex() const { return m_iconIndex; }
  void SetAnimate(bool value);
  bool GetAnimate() const { return m_animate; }
  void SetAnimateInterval(int value);
  int GetAnimateInterval() const { return m_interval; }
  bool TimerEnabled() const { return m_timerEnabled; }
  void SetLoading(bool loading) { m_loading = loading; }

  TTrayIconMessage RestoreOn = imDoubleClick;
  TTrayIconMessage PopupMenuOn = imNone;
  TrayImageList* Icons = nullptr;
  TrayPopupMenu* PopupMenu = nullptr;

  NotifyEvent OnMinimize, OnRestore, OnClick, OnDblClick;
  MouseMoveEvent OnMouseMove;
  MouseEvent OnMouseDown, OnMouseUp;

  // Pushes the current icon and tip to the notification area while visible.
  void Update();
  void SetDefaultIcon();
  void Minimize();
  void Restore();
  void ShowMenu();
  void EndSession();
  void DoMessage(TMessage& message);
  void DoClick();
  void DoDblClick();
  void DoMouseDown(TMouseButton button, TShiftState shift, int x, int y);
  void DoMouseUp(TMouseButton button, TShiftState shift, int x, int y);
  void DoMouseMove(TShiftState shift, int x, int y);
  void DoOnAnimate();
  bool ApplicationHookProc(const TMessage& message);
  // An image list or menu the component refers to is going away.
  void Notification(const void* component);

  const TrayNotifyData& NotifyData() const { return m_data; }
  bool HookRegistered() const { return m_hooked; }

 private:
  void Callback(unsigned mouseMessage);
  void RestoreOrMenu(TTrayIconMessage trigger);

  TrayEnvironment& m_env;
  TrayNotifyData m_data;
  std::string m_hint;
  int m_iconIndex = 0;
  int m_interval = 1000;
  bool m_visible = false;
  bool m_hide = true;
  bool m_animate = false;
  bool m_timerEnabled = false;
  bool m_hooked = false;
  bool m_loading = false;
};

}  // namespace mametan
