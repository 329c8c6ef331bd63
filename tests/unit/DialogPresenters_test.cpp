// The logic of the setup dialog, the classification file editor, the about
// box and the host window, each through a fake view.
#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "BuildInfo.h"
#include "core/app/MainPresenter.h"
#include "core/app/SettingsStore.h"
#include "core/dialogs/AboutPresenter.h"
#include "core/dialogs/KindEditorPresenter.h"
#include "core/dialogs/SetupPresenter.h"
#include "tests/support/MemoryRegistry.h"
#include "tests/support/ScratchFiles.h"

namespace mametan {
namespace {

struct FakeSetupView : SetupView {
  std::vector<std::string> shown;
  std::map<SetupControl, std::string> texts;
  std::map<SetupControl, bool> boxes;
  std::int32_t tax = 0;
  bool visible = true;
  std::string edited;
  std::string Text(SetupControl c) override { return texts[c]; }
  void SetText(SetupControl c, const std::string& t) override { texts[c] = t; }
  bool Checked(SetupControl c) override { return boxes[c]; }
  void SetChecked(SetupControl c, bool v) override { boxes[c] = v; }
  std::int32_t TaxValue() override { return tax; }
  void SetTaxValue(std::int32_t v) override { tax = v; }
  void Focus(SetupControl) override {}
  void PlaceAtDefault() override {}
  std::optional<std::string> ChooseFile(const std::string&, const std::string& previous) override {
    return previous + "x.csv";
  }
  void EditKindFile(const std::string& path) override { edited = path; }
  void Hide() override { visible = false; }
  void ShowMessage(const std::string& t, MessageIcon) override { shown.push_back(t); }
  void ShowErrorBox(const std::string& t) override { shown.push_back("error " + t); }
};

TEST(SetupPresenter, OkCopiesTheControlsCancelNothingAndControlCharactersAreRefused) {
  TApSystem settings;
  settings.File_Kakeibo = "kakeibo.csv";
  settings.Tax = 5;
  FakeSetupView view;
  SetupPresenter setup(view, settings);
  setup.OnShow();
  EXPECT_EQ(view.texts[SetupControl::File_Kakeibo], "kakeibo.csv");
  EXPECT_EQ(view.tax, 5);

  view.tax = 8;
  view.boxes[SetupControl::EnterToNext] = true;
  setup.BitBtn2Click();
  EXPECT_EQ(settings.Tax, 5);
  setup.OnShow();
  EXPECT_EQ(view.tax, 5) << "a showing reloads what Cancel left";

  setup.spbtn_File_KakeiboClick();
  setup.spbtn_File_KakeiboClick();
  EXPECT_EQ(view.texts[SetupControl::File_Kakeibo], "x.csvx.csv") << "starts from its last choice";
  view.texts[SetupControl::File_Kind] = "kinds\n.txt";
  setup.spbtn_Edit_KindClick();
  EXPECT_EQ(view.edited, "kinds\n.txt") << "the box as it stands";
  view.visible = true;
  setup.bbtn_OkClick();
  EXPECT_TRUE(view.visible);
  EXPECT_EQ(view.shown, std::vector<std::string>{"分類設定ファイル名に使えない文字があります。"});
  EXPECT_EQ(settings.File_Kakeibo, "kakeibo.csv") << "nothing copied";

  view.texts[SetupControl::File_Kind] = "item.txt";
  view.tax = 10;
  view.boxes[SetupControl::DelRegistry] = true;
  setup.bbtn_OkClick();
  EXPECT_FALSE(view.visible);
  EXPECT_EQ(settings.File_Kakeibo, "x.csvx.csv");
  EXPECT_EQ(settings.File_Kind, "item.txt");
  EXPECT_EQ(settings.Tax, 10);
  EXPECT_TRUE(settings.DelRegistry);

  // A rate typed past the spin edit's range is kept at its nearest end.
  for (const auto& [typed, kept] : {std::pair{101, 100}, std::pair{-3, 0}}) {
    view.tax = typed;
    setup.bbtn_OkClick();
    EXPECT_EQ(settings.Tax, kept) << typed;
  }
}

struct FakeEditorView : KindEditorView {
  std::string caption, text;
  std::vector<std::string> shown;
  int closed = -1;
  void SetFileCaption(const std::string& p) override { caption = p; }
  std::string Text() override { return text; }
  void SetText(const std::string& t) override { text = t; }
  void Close(bool accepted) override { closed = accepted; }
  void ShowMessage(const std::string& t, MessageIcon) override { shown.push_back(t); }
  void ShowErrorBox(const std::string& t) override { shown.push_back("error " + t); }
};

TEST(KindEditorPresenter, LoadsLinesSavesCrLfAndAFailedSaveStaysOpen) {
  test::ScratchDir dir;
  const std::string path = dir / "item.txt";
  test::WriteBytes(path, "\x90\x48\x94\xEF\n\x8E\x47\x89\xDD\r");
  FakeEditorView view;
  KindEditorPresenter editor(view);
  editor.SetFileName(path);
  editor.FormShow();
  EXPECT_EQ(view.caption, path);
  EXPECT_EQ(view.text, "食費\n雑貨\n");
  view.text += "趣味";
  editor.bbtn_OkClick();
  EXPECT_EQ(view.closed, 1);
  EXPECT_EQ(test::ReadBytes(path), "\x90\x48\x94\xEF\r\n\x8E\x47\x89\xDD\r\n\x8E\xEF\x96\xA1");

  view.closed = -1;
  view.text = "\U0001F600";
  editor.bbtn_OkClick();
  EXPECT_EQ(view.closed, -1);
  EXPECT_EQ(view.shown.back(), "分類設定ファイルに保存できない文字があります。");

  editor.SetFileName(dir / "missing/item.txt");
  editor.FormShow();
  EXPECT_EQ(view.shown.back(), "ファイルが存在しません。新規に設定ファイルを作成します。");
  EXPECT_EQ(view.text, "");
  view.text = "a";
  editor.bbtn_OkClick();
  EXPECT_EQ(view.closed, -1) << "the editor stays open with the typed text";
  EXPECT_EQ(view.shown.back(),
            "error ファイル " + (dir / "missing/item.txt") + " を作成できません");
  EXPECT_EQ(test::ReadBytes(path), "\x90\x48\x94\xEF\r\n\x8E\x47\x89\xDD\r\n\x8E\xEF\x96\xA1");
}

struct FakeAboutView : AboutView {
  std::map<AboutLabel, std::string> texts;
  bool comments = false;
  void SetText(AboutLabel l, const std::string& t) override { texts[l] = t; }
  void SetCommentsShown(bool shown) override { comments = shown; }
  void PlaceAtDefault() override {}
  void FocusOk() override {}
  void Hide() override {}
};

TEST(AboutPresenter, EveryShowingAsksAfreshAndAQueryWithoutAnswerKeepsTheLast) {
  FakeAboutView view;
  AboutPresenter about(view);
  about.Queries.totalPhysicalMemory = [] { return std::uint64_t{5} << 30; };
  about.Queries.osVersionText = [] { return std::optional<std::string>("まめ OS 2"); };
  about.OnShow();
  EXPECT_EQ(view.texts[AboutLabel::Memory], "5368709120 Bytes");
  about.Queries.osVersionText = [] { return std::nullopt; };
  about.Queries.programFileVersion = [] { return std::nullopt; };
  about.OnShow();
  EXPECT_EQ(view.texts[AboutLabel::OsVersion], "まめ OS 2");
  EXPECT_EQ(view.texts[AboutLabel::Version], "Version " MAMETAN_FILE_VERSION);
  std::vector<std::string> opened;
  about.Queries.openUrl = [&](const std::string& url) { opened.push_back(url); };
  about.lbl_EMailClick();
  EXPECT_EQ(opened, std::vector<std::string>{"mailto:support@velmaro.example"});
}

struct FakeMainView : MainView {
  std::vector<std::string> log;
  void ShowWindow(HostedWindow w) override { log.push_back("show " + std::to_string(int(w))); }
  void PopupMenu(int x, int y) override {
    log.push_back("menu " + std::to_string(x) + "," + std::to_string(y));
  }
  std::string HelpFilePath() override { return "no/such/help.html"; }
  void OpenHelpPage(const std::string& p) override { log.push_back("help " + p); }
  void CloseHost() override { log.push_back("close"); }
  void Quit(int code) override { log.push_back("quit " + std::to_string(code)); }
  void ShowMessage(const std::string& t, MessageIcon) override { log.push_back("box " + t); }
  void ShowErrorBox(const std::string& t) override { log.push_back("error " + t); }
};

TEST(MainPresenter, PressesCommandsAndTheExitSequence) {
  MemoryRegistry registry;
  TApSystem settings;
  FakeMainView view;
  MainPresenter main(view, registry, settings);
  main.SetInputFormHide([&] {
    view.log.push_back("FormHide");
    settings.InputWindow_Left = 321;
  });
  main.FormCreate();
  main.TrayIconMouseDown(mbLeft, 1, 2);
  main.TrayIconMouseDown(mbMiddle, 1, 2);
  main.TrayIconMouseDown(mbRight, 3, 4);
  for (MenuCommand c : {MenuCommand::Setup, MenuCommand::List, MenuCommand::About,
                        MenuCommand::Help, MenuCommand::Exit}) {
    main.MenuCommandChosen(c);
  }
  EXPECT_EQ(view.log,
            (std::vector<std::string>{"show 0", "menu 3,4", "show 1", "show 2",
                                      "box ヘルプファイル no/such/help.html が見つかりません。",
                                      "FormHide", "close"}));
  view.log.clear();
  EXPECT_TRUE(main.FormClose());
  EXPECT_EQ(view.log, std::vector<std::string>{"quit 0"});
  EXPECT_TRUE(main.Closed());
  TApSystem loaded;
  LoadSettings(registry, loaded);
  EXPECT_EQ(loaded.InputWindow_Left, 321);
}

}  // namespace
}  // namespace mametan
