#include "core/tray/TrayDispatch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace mametan {
namespace {

// A notification area that records what it is asked and can refuse.
class FakeArea : public TrayEnvironment {
 public:
  bool AddIcon(const TrayNotifyData& d) override {
    log.push_back("add");
    last = d;
    if (!acceptAdd || present) return false;
    present = true;
    return true;
  }
  bool ModifyIcon(const TrayNotifyData& d) override {
    log.push_back("modify");
    last = d;
    return present;
  }
  bool DeleteIcon() override {
    log.push_back("delete");
    if (!present) return false;
    present = false;
    return true;
  }
  TPoint CursorPos() override { return cursor; }
  TShiftState KeyShiftState() override { return keys; }
  void MinimizeApplication() override { log.push_back("minimize"); }
  void RestoreApplication() override { log.push_back("restore"); }
  void ForegroundActiveForm() override { log.push_back("foreground"); }
  void SetApplicationHook(bool on) override { log.push_back(on ? "hook" : "unhook"); }
  void SetTimerEnabled(bool on) override { timer = on; }
  void SetTimerInterval(int ms) override { interval = ms; }

  std::vector<std::string> log;
  TrayNotifyData last;
  TPoint cursor{700, 12};
  TShiftState keys = 0;
  bool acceptAdd = true;
  bool present = false;
  bool timer = false;
  int interval = 0;
};

class FakeImages : public TrayImageList {
 public:
  explicit FakeImages(int n) : count(n) {}
  int Count() const override { return count; }
  int count;
};

class FakeMenu : public TrayPopupMenu {
 public:
  void Popup(int x, int y) override { shown.push_back({x, y}); }
  std::vector<TPoint> shown;
};

std::string ButtonName(TMouseButton b) {
  return b == mbLeft ? "left" : b == mbRight ? "right" : "middle";
}

// A component with every event recorded into the area's log, so one list
// shows the order of events and environment calls.
struct Rig {
  FakeArea area;
  TrayIconRules tray{area};
  std::vector<TShiftState> shifts;

  void RecordEvents(bool withClick) {
    tray.OnMouseDown = [this](TMouseButton b, TShiftState s, int x, int y) {
      area.log.push_back("down " + ButtonName(b) + " " + std::to_string(x) + "," +
                         std::to_string(y));
      shifts.push_back(s);
    };
    tray.OnMouseUp = [this](TMouseButton b, TShiftState s, int, int) {
      area.log.push_back("up " + ButtonName(b));
      shifts.push_back(s);
    };
    tray.OnDblClick = [this] { area.log.push_back("dblclick"); };
    tray.OnMouseMove = [this](TShiftState, int, int) { area.log.push_back("move"); };
    if (withClick) tray.OnClick = [this] { area.log.push_back("click"); };
  }
  std::vector<std::string> Send(std::initializer_list<unsigned> mouse) {
    area.log.clear();
    for (unsigned m : mouse) {
      TMessage msg{traymsg::kCallback, 0, static_cast<std::intptr_t>(m), 0};
      tray.DoMessage(msg);
    }
    return area.log;
  }
};

using V = std::vector<std::string>;
using namespace traymsg;

TEST(TrayDispatch, PressAndReleaseOrderWithAndWithoutOnClick) {
  struct Case {
    bool withClick;
    std::initializer_list<unsigned> messages;
    V expected;
  };
  const Case cases[] = {
      {false, {kLButtonDown, kLButtonUp}, {"down left 700,12", "up left"}},
      {true, {kLButtonDown, kLButtonUp}, {"down left 700,12", "click", "up left"}},
      {false, {kRButtonDown, kRButtonUp}, {"down right 700,12", "up right"}},
      {true, {kRButtonDown, kRButtonUp}, {"down right 700,12", "up right"}},
      {false, {kMButtonDown, kMButtonUp}, {"down middle 700,12", "up middle"}},
      {false, {kMouseMove, kMouseMove}, {}},
      {true, {kMouseMove}, {"move"}},
      {true, {0x20A, 0x400}, {}},
  };
  for (const Case& c : cases) {
    Rig rig;
    rig.RecordEvents(c.withClick);
    EXPECT_EQ(rig.Send(c.messages), c.expected) << "OnClick assigned: " << c.withClick;
  }
}

TEST(TrayDispatch, ShiftStateCarriesKeysAndThePressedButton) {
  Rig rig;
  rig.RecordEvents(false);
  rig.area.keys = ssShift | ssCtrl;
  rig.Send({kLButtonDown, kRButtonUp, kMButtonDown});
  const std::vector<TShiftState> expected = {static_cast<TShiftState>(ssShift | ssCtrl | ssLeft),
                                             static_cast<TShiftState>(ssShift | ssCtrl | ssRight),
                                             static_cast<TShiftState>(ssShift | ssCtrl | ssMiddle)};
  EXPECT_EQ(rig.shifts, expected);
}

TEST(TrayDispatch, DoubleClicksRaiseOnlyOnDblClickAndRestoreForEveryButton) {
  for (unsigned msg : {kLButtonDblClk, kRButtonDblClk, kMButtonDblClk}) {
    Rig rig;  // RestoreOn is imDoubleClick after construction
    rig.RecordEvents(true);
    EXPECT_EQ(rig.Send({msg}), (V{"restore", "dblclick"})) << std::hex << msg;
  }
}

TEST(TrayDispatch, ButtonSpecificGesturesRestoreAndPopUp) {
  struct Case {
    TTrayIconMessage restoreOn, menuOn;
    unsigned message;
    V expected;
  };
  const Case cases[] = {
      {imLeftDoubleClick, imNone, kLButtonDblClk, {"dblclick", "restore"}},
      {imLeftDoubleClick, imNone, kRButtonDblClk, {"dblclick"}},
      {imRightDoubleClick,
       imRightDoubleClick,
       kRButtonDblClk,
       {"dblclick", "restore", "foreground", "menu"}},
      {imNone, imDoubleClick, kMButtonDblClk, {"foreground", "menu", "dblclick"}},
      {imLeftClickUp, imNone, kLButtonUp, {"up left", "restore"}},
      {imRightClickUp, imRightClickUp, kRButtonUp, {"up right", "restore", "foreground", "menu"}},
      {imRightClickUp, imNone, kLButtonUp, {"up left"}},
      {imNone, imLeftClickUp, kLButtonDown, {"down left 700,12"}},
  };
  for (const Case& c : cases) {
    Rig rig;
    FakeMenu menu;
    rig.RecordEvents(false);
    rig.tray.RestoreOn = c.restoreOn;
    rig.tray.PopupMenuOn = c.menuOn;
    rig.tray.PopupMenu = &menu;
    rig.Send({c.message});
    // The fake menu records its pop-ups; each follows a foreground call.
    V merged;
    for (const auto& e : rig.area.log) {
      merged.push_back(e);
      if (e == "foreground") merged.push_back("menu");
    }
    EXPECT_EQ(merged, c.expected) << "restoreOn " << c.restoreOn << " msg " << c.message;
    for (const TPoint& p : menu.shown) EXPECT_EQ(p, (TPoint{700, 12}));
  }
}

TEST(TrayDispatch, RestoreOnPressOrReleaseFiresOnceEach) {
  for (TTrayIconMessage on : {imMouseDown, imMouseUp}) {
    Rig rig;
    rig.RecordEvents(false);
    rig.tray.RestoreOn = on;
    const V log = rig.Send({kLButtonDown, kLButtonUp});
    const V expected = on == imMouseDown ? V{"restore", "down left 700,12", "up left"}
                                         : V{"down left 700,12", "restore", "up left"};
    EXPECT_EQ(log, expected);
  }
}

TEST(TrayDispatch, ClickGestureNeedsAnOnClickHandler) {
  for (bool withClick : {false, true}) {
    Rig rig;
    rig.tray.RestoreOn = imClick;
    if (withClick) rig.tray.OnClick = [] {};
    const V log = rig.Send({kLButtonDown, kLButtonUp, kRButtonDown, kRButtonUp});
    EXPECT_EQ(log, withClick ? V{"restore"} : V{}) << withClick;
  }
}

TEST(TrayDispatch, SessionMessages) {
  Rig rig;
  rig.tray.SetVisible(true);
  TMessage query{kQueryEndSession, 0, 0, 0};
  rig.tray.DoMessage(query);
  EXPECT_EQ(query.Result, 1);
  TMessage end{kEndSession, 0 /* the session goes on */, 0, 0};
  rig.tray.DoMessage(end);
  EXPECT_EQ(end.Result, 0);
  EXPECT_FALSE(rig.area.present);
  EXPECT_TRUE(rig.tray.Visible());
  TMessage other{0x0F, 0, 0, 0};
  rig.tray.DoMessage(other);
  EXPECT_EQ(other.Result, 0);
}

TEST(TrayDispatch, VisibleAddsAndRemovesWithoutLookingAtTheCurrentValue) {
  Rig rig;
  rig.tray.SetVisible(true);
  EXPECT_TRUE(rig.area.present);
  EXPECT_TRUE(rig.tray.HookRegistered());
  try {
    rig.tray.SetVisible(true);
    FAIL() << "a second add must fail";
  } catch (const TrayError& e) {
    EXPECT_STREQ(e.what(), "Cannot Create System Shell Notification Icon");
  }
  EXPECT_EQ(std::count(rig.area.log.begin(), rig.area.log.end(), "add"), 2);
  rig.tray.SetVisible(false);
  EXPECT_FALSE(rig.area.present);
  EXPECT_FALSE(rig.tray.Hide());
  EXPECT_FALSE(rig.tray.HookRegistered());
  try {
    rig.tray.SetVisible(false);
    FAIL() << "removing a missing icon must fail";
  } catch (const TrayError& e) {
    EXPECT_STREQ(e.what(), "Cannot Remove System Shell Notification Icon");
  }
  EXPECT_FALSE(rig.tray.Visible());
}

TEST(TrayDispatch, RefusedAddKeepsVisibleTrueAndTheHookAlone) {
  Rig rig;
  rig.area.acceptAdd = false;
  EXPECT_THROW(rig.tray.SetVisible(true), TrayError);
  EXPECT_TRUE(rig.tray.Visible());
  EXPECT_FALSE(rig.tray.HookRegistered());
  EXPECT_EQ(std::count(rig.area.log.begin(), rig.area.log.end(), "hook"), 0);
}

TEST(TrayDispatch, HintBelowSixtyFourCharactersOnly) {
  Rig rig;
  rig.tray.SetVisible(true);
  const std::string h63(63, 'a'), h64(64, 'b');
  rig.tray.SetHint(h63);
  EXPECT_EQ(rig.tray.Hint(), h63);
  EXPECT_EQ(rig.area.last.szTip, h63);
  EXPECT_EQ(rig.area.last.uFlags, 7u);
  rig.area.log.clear();
  rig.tray.SetHint(h64);
  EXPECT_EQ(rig.tray.Hint(), h63);
  EXPECT_TRUE(rig.area.log.empty());
  rig.tray.SetHint("");
  EXPECT_EQ(rig.tray.Hint(), "");
  EXPECT_EQ(rig.area.last.uFlags, 3u);
  EXPECT_EQ(rig.area.log, (V{"modify"}));
  EXPECT_TRUE(rig.area.present);
}

TEST(TrayDispatch, AnimationStepsThroughFourImagesAndNeedsAnImageList) {
  Rig rig;
  rig.tray.SetAnimate(true);
  EXPECT_FALSE(rig.tray.GetAnimate());
  EXPECT_FALSE(rig.area.timer);

  FakeImages four(4);
  rig.tray.Icons = &four;
  rig.tray.Loaded();
  rig.tray.SetVisible(true);
  rig.tray.SetAnimateInterval(250);
  EXPECT_EQ(rig.area.interval, 250);
  rig.tray.SetAnimate(true);
  EXPECT_TRUE(rig.area.timer);
  std::vector<int> shown;
  for (int i = 0; i < 6; ++i) {
    rig.tray.DoOnAnimate();
    shown.push_back(rig.area.last.icon);
  }
  EXPECT_EQ(shown, (std::vector<int>{1, 2, 3, 0, 1, 2}));
  rig.tray.SetAnimate(false);
  EXPECT_FALSE(rig.area.timer);
}

TEST(TrayDispatch, LoadedPicksTheImageOrTheApplicationIcon) {
  FakeImages one(1);
  struct Case {
    TrayImageList* icons;
    int index;
    int expected;
  };
  const Case cases[] = {{nullptr, 0, TrayNotifyData::kApplicationIcon},
                        {&one, 0, 0},
                        {&one, 3, TrayNotifyData::kNoIcon}};
  for (const Case& c : cases) {
    Rig rig;
    rig.tray.SetLoading(true);
    rig.tray.SetVisible(true);  // a stored Visible arrives before Loaded
    EXPECT_EQ(rig.area.last.icon, TrayNotifyData::kApplicationIcon);
    rig.tray.Icons = c.icons;
    rig.tray.SetIconIndex(c.index);
    rig.tray.SetAnimate(true);  // kept while loading, but only runs with images
    rig.tray.Loaded();
    EXPECT_EQ(rig.area.last.icon, c.expected);
    EXPECT_EQ(rig.area.timer, c.icons != nullptr);
    EXPECT_EQ(rig.tray.GetAnimate(), c.icons != nullptr);
  }
}

TEST(TrayDispatch, FreedImageListAndMenuAreForgotten) {
  Rig rig;
  FakeImages images(2);
  FakeMenu menu;
  rig.tray.Icons = &images;
  rig.tray.PopupMenu = &menu;
  rig.tray.Notification(&menu);
  EXPECT_EQ(rig.tray.PopupMenu, nullptr);
  EXPECT_EQ(rig.tray.Icons, &images);
  rig.tray.ShowMenu();
  EXPECT_TRUE(menu.shown.empty());
  rig.tray.Notification(&images);
  EXPECT_EQ(rig.tray.Icons, nullptr);
  rig.tray.SetAnimate(true);
  EXPECT_FALSE(rig.area.timer);
}

TEST(TrayDispatch, SystemCommandsOfTheApplicationWindow) {
  Rig rig;
  int minimized = 0, restored = 0;
  rig.tray.OnMinimize = [&] { ++minimized; };
  rig.tray.OnRestore = [&] { ++restored; };
  EXPECT_FALSE(rig.tray.ApplicationHookProc({kSysCommand, kScMinimize, 0, 0}));
  EXPECT_FALSE(rig.tray.ApplicationHookProc({kSysCommand, kScRestore, 0, 0}));
  EXPECT_FALSE(rig.tray.ApplicationHookProc({kSysCommand, 0xF060, 0, 0}));
  EXPECT_EQ(rig.area.log, (V{"minimize", "restore"}));
  EXPECT_EQ(minimized, 1);
  EXPECT_EQ(restored, 1);
}

TEST(TrayDispatch, DestructionRemovesTheIcon) {
  FakeArea area;
  {
    TrayIconRules tray(area);
    tray.SetVisible(true);
  }
  EXPECT_FALSE(area.present);
  EXPECT_EQ(area.log.back(), "unhook");
}

}  // namespace
}  // namespace mametan
