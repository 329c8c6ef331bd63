// The input window's logic through a fake view: what OK, Cancel and the keys
// do, read back from the ledger file as bytes.
#include "core/entry/InputPresenter.h"

#include <gtest/gtest.h>

#include <map>

#include "core/entry/Ledger.h"
#include "tests/support/ScratchFiles.h"

namespace mametan {
namespace {

struct FakeInputView : InputView {
  std::map<InputControl, std::string> texts;
  std::map<InputControl, bool> boxes;
  std::optional<std::string> listed;
  std::vector<std::string> kinds;
  std::vector<std::string> log;  // focus moves, messages, shows and hides
  bool visible = false;
  bool okDefault = false;
  WindowPoint frame{10, 20};
  bool placesKnown = true;

  std::string Text(InputControl c) override { return texts[c]; }
  void SetText(InputControl c, const std::string& t) override { texts[c] = t; }
  bool Checked(InputControl c) override { return boxes[c]; }
  void SetChecked(InputControl c, bool v) override { boxes[c] = v; }
  void Focus(InputControl c) override { log.push_back("focus " + std::to_string(int(c))); }
  bool DateComplete() override { return texts[InputControl::Date].find(' ') == std::string::npos; }
  void RefuseUnfinishedDate() override { log.push_back("date refused"); }
  std::optional<std::string> ListedKindBytes() override { return listed; }
  void ClearKind() override { texts[InputControl::Kind].clear(); }
  void SetKinds(std::vector<std::string> k) override { kinds = std::move(k); }
  void SetOkDefault(bool d) override { okDefault = d; }
  void MoveFocus(bool forward) override { log.push_back(forward ? "next" : "previous"); }
  CivilDate Today() override { return {2001, 11, 9}; }
  std::string DateSeparator() override { return "/"; }
  std::vector<ScreenArea> Screens() override { return {{0, 0, 1024, 768}}; }
  int FrameWidth() override { return 347; }
  int TitleBarHeight() override { return 20; }
  std::optional<WindowPoint> FramePlace() override {
    if (!placesKnown) return std::nullopt;
    return frame;
  }
  void PlaceFrameAt(WindowPoint p) override { frame = p; }
  WindowPoint PlaceAtDefault() override { return frame = {338, 283}; }
  void Show() override { visible = true; }
  void Hide() override {
    visible = false;
    log.push_back("hide");
  }
  bool IsVisible() override { return visible; }
  void ShowMessage(const std::string& text, MessageIcon icon) override {
    log.push_back((icon == MessageIcon::Stop ? "stop " : "warn ") + text);
  }
  void ShowErrorBox(const std::string& text) override { log.push_back("error " + text); }
};

class InputPresenterTest : public ::testing::Test {
 protected:
  InputPresenterTest() {
    settings.File_Kakeibo = dir / "kakeibo.csv";
    settings.File_Kind = dir / "item.txt";
    test::WriteBytes(settings.File_Kind, "\x90\x48\x94\xEF\r\n");
    input.FormCreate();
    view.visible = true;
    input.OnShow();
  }
  void Type(const char* kind, const char* goods, const char* price) {
    view.texts[InputControl::Kind] = kind;
    view.texts[InputControl::Goods] = goods;
    view.texts[InputControl::Price] = price;
  }
  std::string Ledger() { return test::ReadBytes(settings.File_Kakeibo); }

  test::ScratchDir dir;
  TApSystem settings;
  FakeInputView view;
  InputPresenter input{view, settings};
};

TEST_F(InputPresenterTest, ShowStepsThenOkWritesTheLineAndHides) {
  EXPECT_EQ(view.kinds, std::vector<std::string>{"\x90\x48\x94\xEF"});
  EXPECT_EQ(view.texts[InputControl::Date], "2001/11/09");
  EXPECT_EQ(view.texts[InputControl::Cancel], "&Cancel");
  EXPECT_TRUE(view.okDefault);
  view.listed = "\x90\x48\x94\xEF";  // picked from the list: the file's bytes
  Type("食費", "牛乳", "100");
  view.boxes[InputControl::AutoTax] = true;
  settings.Tax = 5;
  input.bbtn_OkClick();
  EXPECT_EQ(Ledger(),
            std::string(kLedgerHeader) + "2001/11/09,\x90\x48\x94\xEF,\x8B\x8D\x93\xFB,105\r\n");
  EXPECT_FALSE(view.visible);
}

TEST_F(InputPresenterTest, RefusalsAndAFailedWriteKeepTheEntry) {
  Type("", "牛乳", "100");
  input.bbtn_OkClick();
  EXPECT_EQ(view.log.back(), "focus 1");
  EXPECT_EQ(view.log[view.log.size() - 2], "warn 種類名がありません。");

  view.texts[InputControl::Date] = "2001/11/ 9";
  input.bbtn_OkClick();
  EXPECT_EQ(view.log.back(), "date refused");

  Type("食費", "牛乳", "100");
  for (const char* date : {"2024/02/30", "0000/00/00"}) {
    view.texts[InputControl::Date] = date;
    input.bbtn_OkClick();
    EXPECT_EQ(view.log[view.log.size() - 2], "warn 日付が正しくありません。") << date;
    EXPECT_EQ(view.log.back(), "focus 0") << date;
  }
  EXPECT_FALSE(std::filesystem::exists(settings.File_Kakeibo)) << "nothing written";

  view.texts[InputControl::Date] = "2001/11/09";
  Type("食費", "牛乳", "100");
  settings.File_Kakeibo = dir / "no-folder/kakeibo.csv";
  input.bbtn_OkClick();
  EXPECT_EQ(view.log.back(), "stop 家計簿ファイルが作成できません。");
  EXPECT_TRUE(view.visible);
  EXPECT_EQ(view.texts[InputControl::Goods], "牛乳") << "the typed entry stays for another try";
}

TEST_F(InputPresenterTest, ContinuedInputClearsAndCancelUnticksHoldDate) {
  view.boxes[InputControl::NextInput] = true;
  input.cb_NextInputClick();
  EXPECT_EQ(view.texts[InputControl::Cancel], "&Clear");
  view.boxes[InputControl::HoldDate] = true;
  view.texts[InputControl::Date] = "1999/01/02";
  Type("食費", "牛乳", "100");
  input.bbtn_OkClick();
  EXPECT_TRUE(view.visible);
  EXPECT_EQ(view.texts[InputControl::Goods], "");
  EXPECT_EQ(view.texts[InputControl::Date], "1999/01/02") << "held";
  EXPECT_TRUE(settings.NextInput);
  view.boxes[InputControl::NextInput] = false;
  input.bbtn_CancelClick();
  EXPECT_FALSE(view.visible);
  EXPECT_FALSE(view.boxes[InputControl::HoldDate]);
}

TEST_F(InputPresenterTest, UnreachableStoredPlaceIsKeptUntilTheWindowMoves) {
  settings.SaveWindowPos = true;
  settings.InputWindow_Left = 5000;
  settings.InputWindow_Top = 10;
  input.FormShow();
  EXPECT_EQ(view.frame, (WindowPoint{338, 283}));
  input.FormHide();
  EXPECT_EQ(settings.InputWindow_Left, 5000) << "not moved: the stored place stays";
  view.frame = {40, 30};
  input.FormHide();
  EXPECT_EQ(settings.InputWindow_Left, 40);
  input.FormShow();
  EXPECT_EQ(view.frame, (WindowPoint{40, 30}));
  // A window system that does not report places: nothing made up is stored.
  view.placesKnown = false;
  view.frame = {1, 2};
  input.FormHide();
  EXPECT_EQ(settings.InputWindow_Left, 40);
}

TEST_F(InputPresenterTest, EnterKeys) {
  struct Case {
    bool enterToNext;
    KeyStroke key;
    bool consumed;
    const char* logged;  // last log line afterwards, "" for none new
  } cases[] = {
      {true, {.enter = true}, true, "next"},
      {true, {.enter = true, .shift = true}, true, "previous"},
      {true, {.enter = true, .ctrl = true}, true, "next"},
      {true, {.enter = true, .onButton = true}, false, ""},
      {true, {.enter = true, .shift = true, .onButton = true}, true, "previous"},
      {true, {.enter = false}, false, ""},
      {false, {.enter = true, .shift = true}, true, ""},
      {false, {.enter = true, .keypad = true, .shift = true}, false, ""},
      {false, {.enter = true, .onButton = true}, false, ""},
      // OK's checks run: the empty kind is named first.
      {false, {.enter = true}, true, "focus 1"},
  };
  for (const Case& c : cases) {
    settings.EnterToNext = c.enterToNext;
    input.FormShow();
    view.log.clear();
    EXPECT_EQ(input.FormKeyPress(c.key), c.consumed) << c.enterToNext << c.logged;
    EXPECT_EQ(view.log.empty() ? "" : view.log.back(), std::string(c.logged));
  }
  settings.EnterToNext = true;
  EXPECT_EQ(input.ListKeyPress({.enter = true, .shift = true}), std::optional<bool>(false));
  settings.EnterToNext = false;
  EXPECT_EQ(input.ListKeyPress({.enter = true}), std::nullopt);
}

}  // namespace
}  // namespace mametan
