// The correction window's logic through a fake view, read back from the
// ledger file as bytes.
#include "core/viewer/CorrectionPresenter.h"

#include <gtest/gtest.h>

#include <map>

#include "tests/support/ScratchFiles.h"

namespace mametan {
namespace {

struct FakeCorrectionView : CorrectionView {
  std::map<CorrectionControl, std::string> texts;
  std::optional<std::string> listed;
  std::vector<std::string> kinds;
  std::vector<std::string> log;  // messages, close
  std::optional<CorrectionControl> focus;

  std::string Text(CorrectionControl c) override { return texts[c]; }
  void SetText(CorrectionControl c, const std::string& t) override { texts[c] = t; }
  void Focus(CorrectionControl c) override { focus = c; }
  bool DateComplete() override {
    return texts[CorrectionControl::Date].find(' ') == std::string::npos;
  }
  void RefuseUnfinishedDate() override { log.push_back("date refused"); }
  std::optional<std::string> ListedKindBytes() override { return listed; }
  void SetKinds(std::vector<std::string> k) override { kinds = std::move(k); }
  std::string DateSeparator() override { return "-"; }
  void Close(bool readAgain) override { log.push_back(readAgain ? "close, read" : "close"); }
  void ShowMessage(const std::string& text, MessageIcon icon) override {
    log.push_back((icon == MessageIcon::Stop ? "stop " : "warn ") + text);
  }
  void ShowErrorBox(const std::string& text) override { log.push_back("error " + text); }
};

class CorrectionPresenterTest : public ::testing::Test {
 protected:
  // `line` is found in `file` and shown.
  bool Show(const std::string& file, const std::string& line,
            LedgerEncoding encoding = LedgerEncoding::Cp932) {
    test::WriteBytes(path, file);
    view.log.clear();
    view.focus.reset();
    return presenter.FormShow({2, file.find(line), line, encoding});
  }

  test::ScratchDir dir;
  std::string path = dir / "kakeibo.csv";
  LedgerEditHistory history{path};
  FakeCorrectionView view;
  CorrectionPresenter presenter{view, history, dir / "item.txt"};
};

TEST_F(CorrectionPresenterTest, ShowsThePurchaseAndRefusesOtherLines) {
  test::WriteBytes(dir / "item.txt", "\x90\x48\x94\xEF\r\n");
  presenter.FormCreate();
  EXPECT_EQ(view.kinds, std::vector<std::string>{"\x90\x48\x94\xEF"});
  // A spreadsheet's line: quoted, a line break inside the goods, the date
  // without leading zeros.
  ASSERT_TRUE(Show("h\r\n\"2001/1/5\",\"\x90\x48\x94\xEF\",\"a\nb\",\"1,050\"\r\n",
                   "\"2001/1/5\",\"\x90\x48\x94\xEF\",\"a\nb\",\"1,050\"\r\n"));
  EXPECT_EQ(view.texts[CorrectionControl::Date], "2001-01-05");
  EXPECT_EQ(view.texts[CorrectionControl::Kind], "食費");
  EXPECT_EQ(view.texts[CorrectionControl::Goods], "a b");
  EXPECT_EQ(view.texts[CorrectionControl::Price], "1050");
  EXPECT_EQ(view.texts[CorrectionControl::LineNumber], "2");
  EXPECT_EQ(view.focus, CorrectionControl::Date);

  view.texts.clear();
  EXPECT_FALSE(
      Show("\x93\xFA\x95\x74,\x8E\xED\x97\xDE,\x8F\xA4\x95\x69\x96\xBC,\x89\xBF\x8A\x69\r\n",
           "\x93\xFA\x95\x74,\x8E\xED\x97\xDE,\x8F\xA4\x95\x69\x96\xBC,\x89\xBF\x8A\x69\r\n"));
  EXPECT_FALSE(Show("h\r\nnot a purchase\r\n", "not a purchase\r\n"));
  EXPECT_TRUE(view.texts.empty());
}

TEST_F(CorrectionPresenterTest, WritesTheLineAsTheTrayProgramWould) {
  struct Case {
    const char* what;
    LedgerEncoding encoding;
    std::string file;
    std::string line;
    std::map<CorrectionControl, std::string> typed;
    std::string expected;
  };
  // A kind of raw bytes that code page 932 does not read (kept as they are
  // while left alone) and goods in UTF-8 no code page 932 can hold.
  const std::string raw = "\xFD\xFE";
  const std::string mark = "\xEF\xBB\xBF";
  const Case cases[] = {
      {"price typed, the kind's raw bytes and the LF kept",
       LedgerEncoding::Cp932,
       "h\r\n2001/11/29," + raw + ",g,1\nt\r\n",
       "2001/11/29," + raw + ",g,1\n",
       {{CorrectionControl::Price, "250"}},
       "h\r\n2001-11-29," + raw + ",g,250\nt\r\n"},
      {"goods typed in a code page 932 file",
       LedgerEncoding::Cp932,
       "2001/11/29,k,g,1",
       "2001/11/29,k,g,1",
       {{CorrectionControl::Goods, "牛乳, 2本"}},
       "2001-11-29,k,\"\x8B\x8D\x93\xFB, 2\x96\x7B\",1"},
      {"UTF-8 file: typed kind in UTF-8, untouched goods byte for byte",
       LedgerEncoding::Utf8,
       mark + "h\r\n2001/11/29,k,\xF0\x9F\x8D\x9E,1\r\n",
       "2001/11/29,k,\xF0\x9F\x8D\x9E,1\r\n",
       {{CorrectionControl::Kind, "食費"}},
       mark + "h\r\n2001-11-29,食費,\xF0\x9F\x8D\x9E,1\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(Show(c.file, c.line, c.encoding));
    for (const auto& [control, text] : c.typed) view.texts[control] = text;
    presenter.bbtn_OkClick();
    EXPECT_EQ(view.log, std::vector<std::string>{"close, read"});
    EXPECT_EQ(test::ReadBytes(path), c.expected);
  }
  // Ctrl+Z in the viewer takes the last one back.
  ASSERT_EQ(history.Undo().outcome, EditOutcome::Done);
  EXPECT_EQ(test::ReadBytes(path), cases[2].file);
}

TEST_F(CorrectionPresenterTest, RefusesAsTheInputWindowDoesAndNeverWritesAChangedFile) {
  const std::string file = "h\r\n2001/11/29,k,g,1\r\n";
  ASSERT_TRUE(Show(file, "2001/11/29,k,g,1\r\n"));
  view.focus.reset();
  view.texts[CorrectionControl::Date] = "2001-02-29";
  presenter.bbtn_OkClick();
  EXPECT_EQ(view.log, std::vector<std::string>{"warn 日付が正しくありません。"});
  EXPECT_EQ(view.focus, CorrectionControl::Date);
  view.texts[CorrectionControl::Date] = "2001-02-28";
  view.texts[CorrectionControl::Price] = "1.5";
  view.log.clear();
  presenter.bbtn_OkClick();
  EXPECT_EQ(view.log, std::vector<std::string>{"warn 価格がありません。"});
  EXPECT_EQ(view.focus, CorrectionControl::Price);
  EXPECT_EQ(test::ReadBytes(path), file);

  // The tray program's append does not stand in the way; another rewrite does.
  view.texts[CorrectionControl::Price] = "2";
  test::WriteBytes(path, file + "2001/11/30,k,g,5\r\n");
  view.log.clear();
  presenter.bbtn_OkClick();
  EXPECT_EQ(view.log, std::vector<std::string>{"close, read"});
  EXPECT_EQ(test::ReadBytes(path), "h\r\n2001-02-28,k,g,2\r\n2001/11/30,k,g,5\r\n");

  ASSERT_TRUE(Show(file, "2001/11/29,k,g,1\r\n"));
  test::WriteBytes(path, "h\r\n2001/11/29,k,g,9\r\n");
  view.texts[CorrectionControl::Price] = "2";
  presenter.bbtn_OkClick();
  EXPECT_EQ(view.log, (std::vector<std::string>{std::string("warn ") + kLedgerChangedMessage,
                                                "close, read"}));
  EXPECT_EQ(test::ReadBytes(path), "h\r\n2001/11/29,k,g,9\r\n");
}

}  // namespace
}  // namespace mametan
