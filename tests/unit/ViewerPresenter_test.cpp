#include "core/viewer/ViewerPresenter.h"

#include <gtest/gtest.h>

#include "core/app/SettingsStore.h"
#include "core/entry/Ledger.h"
#include "core/viewer/ChangeDelay.h"
#include "tests/support/MemoryRegistry.h"
#include "tests/support/ScratchFiles.h"

namespace mametan {
namespace {

using test::ScratchDir;
using test::WriteBytes;

class FakeView : public ViewerView {
 public:
  void ShowPage(const ViewerPage& page) override {
    shown = page;
    ++shows;
  }
  void WatchFile(const std::string& path) override { watched = path; }
  void ReadOnLater() override { ++steps; }
  void CloseWindow() override { closed = true; }
  void ShowMessage(const std::string& text, MessageIcon) override { messages.push_back(text); }
  void ShowErrorBox(const std::string& text) override { messages.push_back(text); }
  bool AskYesNo(const std::string& question) override {
    messages.push_back(question);
    return yes;
  }
  void OpenCorrection(const LedgerLineBytes& purchase) override { corrected.push_back(purchase); }

  ViewerPage shown;
  int shows = 0;
  int steps = 0;  // ReadOnLater calls
  std::vector<std::string> messages;
  bool yes = true;
  std::vector<LedgerLineBytes> corrected;
  std::string watched;
  bool closed = false;
};

// 食費, 日用品; two codes of one character (≒, NEC row 13 and JIS row 2).
const std::string kFood = "\x90\x48\x94\xEF";
const std::string kDaily = "\x93\xFA\x97\x70\x95\x69";
const std::string kNearlyNec = "\x87\x90";
const std::string kNearlyJis = "\x81\xE0";

std::vector<std::string> Labels(const ViewerPage& page) {
  std::vector<std::string> labels;
  for (const ViewerBar& bar : page.bars)
    labels.push_back(bar.label + " " + bar.amountText + " " + bar.shareText);
  return labels;
}

TEST(ViewerPresenter, ShowsTheLatestMonthWithKindsLargestFirst) {
  ScratchDir dir;
  const std::string path = dir / "kakeibo.csv";
  WriteBytes(path, std::string(kLedgerHeader) + "2001/10/31," + kFood +
                       ",a,2147483647\r\n"
                       "2001/11/01," +
                       kFood +
                       ",b,100\r\n"
                       "2001/10/31," +
                       kFood +
                       ",c,2147483647\r\n"  // out of order
                       "2001/11/02," +
                       kDaily +
                       ",d,300\r\n"
                       "2001/11/03," +
                       kNearlyNec +
                       ",e,50\r\n"
                       "2001/11/03," +
                       kNearlyJis +
                       ",f,50\r\n"
                       "2001/11/04,,g,-100\r\n"
                       "garbage\r\n" +
                       std::string(999, 'x') + "\x90\x48" + std::string(5000, 'y') + "\r\n");
  FakeView view;
  ViewerPresenter presenter(view, MonthKey(2026, 12));
  presenter.Open(path);
  EXPECT_EQ(view.watched, path);
  EXPECT_EQ(view.shown.title, "まめたん家計簿 一覧 - kakeibo.csv");
  EXPECT_EQ(view.shown.monthText, "2001年11月");
  EXPECT_EQ(view.shown.rowCount, 5u);
  EXPECT_EQ(view.shown.totalText, "合計 400円（5件）");
  EXPECT_EQ(Labels(view.shown),
            (std::vector<std::string>{"日用品 300円 75.0%", "食費 100円 25.0%", "≒ 50円 12.5%",
                                      "≒ 50円 12.5%", "（なし） -100円 -25.0%"}));
  EXPECT_EQ(view.shown.bars.front().length, 1.0);
  EXPECT_EQ(view.shown.bars.back().length, 0.0);
  ASSERT_EQ(view.shown.strip.size(), 12u);
  EXPECT_EQ(view.shown.strip[9].amountText, "4,294,967,294");  // sums in 64 bits
  EXPECT_TRUE(view.shown.strip[10].chosen);
  EXPECT_FALSE(view.shown.strip[9].chosen);
  EXPECT_EQ(view.shown.unreadableText, "読めなかった行 (2)");
  const auto unreadable = presenter.UnreadableLines();
  ASSERT_EQ(unreadable.size(), 2u);
  EXPECT_EQ(unreadable[0].lineText, "9");
  EXPECT_EQ(unreadable[0].text, "garbage");
  EXPECT_EQ(unreadable[1].text, std::string(999, 'x') + "...") << "cut, never inside a character";
  EXPECT_EQ(UnreadableText(unreadable, {0, 7}, "\r\n"), "9\tgarbage\r\n");
  EXPECT_EQ(UnreadableNote(2, 2), "2 行");
  EXPECT_EQ(UnreadableNote(1500, 1000), "1500 行のうち最初の 1000 行");
  EXPECT_TRUE(presenter.BarsText("\n").starts_with("日用品\t300円\t75.0%\n食費\t100円\t25.0%\n"));

  // The other month's lines are found again, also out of order.
  EXPECT_TRUE(presenter.KeyDown(ViewerKey::PageUp));
  EXPECT_EQ(view.shown.monthText, "2001年10月");
  ASSERT_EQ(view.shown.rowCount, 2u);
  EXPECT_EQ(presenter.Row(1).goods, "c");
  EXPECT_EQ(presenter.Row(1).priceText, "2,147,483,647");
  EXPECT_EQ(view.shown.largestPrice, 2147483647);
  EXPECT_TRUE(presenter.KeyDown(ViewerKey::PageDown));
  EXPECT_TRUE(presenter.KeyDown(ViewerKey::PageDown));
  EXPECT_EQ(view.shown.monthText, "2001年12月");
  EXPECT_TRUE(view.shown.rowCount == 0);
  presenter.SetYear(2000);
  EXPECT_EQ(view.shown.monthText, "2000年12月");
  EXPECT_FALSE(presenter.KeyDown(ViewerKey::Other));
  EXPECT_FALSE(view.closed);
  EXPECT_TRUE(presenter.KeyDown(ViewerKey::Escape));
  EXPECT_TRUE(view.closed);
}

// Appends are read on their own; a file saved again by a spreadsheet
// (quoted, LF, no final line end) is read afresh and gives the same totals.
TEST(ViewerPresenter, FollowsTheFile) {
  ScratchDir dir;
  const std::string path = dir / "kakeibo.csv";
  const std::string original =
      "2001/11/01," + kFood + ",a,1000\r\n2001/11/02," + kDaily + ",b,20\r\n";
  WriteBytes(path, original);
  FakeView view;
  ViewerPresenter presenter(view, MonthKey(2026, 12));
  presenter.Open(path);
  EXPECT_EQ(view.shown.totalText, "合計 1,020円（2件）");

  ASSERT_EQ(WriteLedgerRecord({"2001/11/03", kDaily, "c", 5}, path), LedgerOutcome::Written);
  presenter.FileChanged();
  EXPECT_EQ(view.shown.totalText, "合計 1,025円（3件）");
  EXPECT_EQ(presenter.Row(view.shown.rowCount - 1).goods, "c");
  EXPECT_EQ(view.shown.bars.size(), 2u);

  const std::string spreadsheet = "\"2001/11/01\",\"" + kFood +
                                  "\",\"a\",\"1,000\"\n\"2001/11/02\",\"" + kDaily +
                                  "\",\"b\",\"20\"\n\"2001/11/03\",\"" + kDaily + "\",\"c\",\"5\"";
  WriteBytes(path, spreadsheet);
  presenter.FileChanged();
  EXPECT_EQ(view.shown.totalText, "合計 1,025円（3件）");
  EXPECT_EQ(Labels(view.shown),
            (std::vector<std::string>{"食費 1,000円 97.6%", "日用品 25円 2.4%"}));

  // The writer ends the unfinished last line before its own: nothing counted twice.
  ASSERT_EQ(WriteLedgerRecord({"2001/11/04", kFood, "d", 1}, path), LedgerOutcome::Written);
  presenter.FileChanged();
  presenter.FileChanged();
  EXPECT_EQ(view.shown.totalText, "合計 1,026円（4件）");
  EXPECT_EQ(view.shown.unreadableCount, 0u);
  EXPECT_EQ(presenter.RowsText({1, 2, 3}, "\n"),
            "2001/11/02\t日用品\tb\t20\n2001/11/03\t日用品\tc\t5\n2001/11/04\t食費\td\t1\n")
      << "the unfinished line taken back, its texts with it";

  WriteBytes(path, "2001/11/01,x,y,1\r\n");  // shorter: read afresh
  presenter.FileChanged();
  EXPECT_EQ(view.shown.totalText, "合計 1円（1件）");
  std::filesystem::remove(path);
  presenter.FileChanged();
  EXPECT_EQ(view.shown.totalText, "合計 0円（0件）");
  EXPECT_FALSE(view.shown.status.empty());

  // A spreadsheet's UTF-8 save, and the tray program's line after it.
  WriteBytes(path, "\xEF\xBB\xBF日付,種類,商品名,価格\r\n2001/11/01,食費,a,7\r\n");
  ASSERT_EQ(WriteLedgerRecord({"2001/11/02", kFood, "b", 3}, path), LedgerOutcome::Written);
  presenter.FileChanged();
  EXPECT_EQ(view.shown.status, "");
  EXPECT_EQ(Labels(view.shown), (std::vector<std::string>{"食費 10円 100.0%"}));
  EXPECT_EQ(view.shown.unreadableCount, 0u);
  WriteBytes(path,
             "\xFF\xFE"
             "2\0");
  presenter.FileChanged();
  EXPECT_EQ(view.shown.status, "UTF-16 の家計簿ファイルは読めません: " + path);
  EXPECT_EQ(view.shown.unreadableCount, 0u);
}

// A ledger larger than one step's read: the window shows only how far the
// read has come, one step at a time; a month chosen and a change made
// meanwhile are both honoured once it is done.
TEST(ViewerPresenter, ReadsALargeLedgerInSteps) {
  ScratchDir dir;
  const std::string path = dir / "kakeibo.csv";
  std::string bytes;
  const std::string line = "2001/11/01," + kFood + ",a,1\r\n";
  while (bytes.size() < 3 * LedgerBook::kChunk) bytes += line;
  bytes += "2001/12/01," + kFood + ",b,5\r\n";
  WriteBytes(path, bytes);
  const std::uint64_t novembers = (bytes.size() - line.size()) / line.size();
  FakeView view;
  ViewerPresenter presenter(view, MonthKey(2026, 12), std::chrono::milliseconds{0});
  presenter.Open(path);
  EXPECT_EQ(view.shown.status, "読み込み中… 33%");
  EXPECT_EQ(view.shown.rowCount, 0u);
  EXPECT_EQ(view.steps, 1);
  presenter.KeyDown(ViewerKey::PageUp);  // from the latest month read so far
  ASSERT_EQ(WriteLedgerRecord({"2001/10/03", kFood, "c", 7}, path), LedgerOutcome::Written);
  presenter.FileChanged();
  EXPECT_EQ(view.steps, 1) << "one step asked for at a time";
  for (int step = 0; step < 10 && view.steps > 0; ++step) {
    --view.steps;
    presenter.ReadOn();
  }
  EXPECT_EQ(view.steps, 0);
  EXPECT_EQ(view.shown.status, "");
  EXPECT_EQ(view.shown.monthText, "2001年10月");
  EXPECT_EQ(view.shown.totalText, "合計 7円（1件）");
  presenter.NextMonth();
  EXPECT_EQ(view.shown.rowCount, novembers);
}

// Rows sort by the values behind their texts; a second press on the same
// heading reverses; equal keys keep the file's order either way; the order
// holds across months; Ctrl+C copies the rows as shown.
TEST(ViewerPresenter, SortsByColumnsAndCopiesAsShown) {
  ScratchDir dir;
  const std::string path = dir / "kakeibo.csv";
  WriteBytes(path,
             "2001/11/10,a,x,150\r\n2001/11/02,b,y,1050\r\n2001/10/31,c,z,7\r\n"
             "2001/11/5,c,w,20000\r\n2001/11/10,a,v,150\r\n2001/10/01,d,u,8\r\n");
  FakeView view;
  ViewerPresenter presenter(view, MonthKey(2026, 12));
  presenter.Open(path);
  const auto goods = [&view, &presenter] {
    std::string text;
    for (std::size_t i = 0; i < view.shown.rowCount; ++i) text += presenter.Row(i).goods;
    return text;
  };
  EXPECT_EQ(goods(), "xywv") << "the file's order";
  presenter.SortBy(3);
  EXPECT_EQ(goods(), "xvyw");
  EXPECT_EQ(view.shown.sortColumn, 3);
  presenter.SortBy(3);
  EXPECT_EQ(goods(), "wyxv") << "reversed, equal prices still in the file's order";
  EXPECT_FALSE(view.shown.sortAscending);
  presenter.SortBy(0);
  EXPECT_EQ(goods(), "ywxv") << "by the date, not its text (2001/11/5 before 2001/11/10)";
  presenter.SortBy(1);
  presenter.SortBy(1);
  EXPECT_EQ(goods(), "wyxv");
  presenter.PreviousMonth();
  EXPECT_EQ(goods(), "uz") << "a month shown later in the same order";
  presenter.NextMonth();
  EXPECT_EQ(presenter.RowsText({3, 0}, "\r\n"),
            "2001/11/10\ta\tv\t150\r\n2001/11/5\tc\tw\t20,000\r\n");
}

TEST(ViewerPresenter, OpensTheLedgerNamedFirstElseTheSettingsOne) {
  MemoryRegistry registry;
  EXPECT_EQ(LedgerAtLaunch({"a b.csv", "other.csv"}, registry), "a b.csv");
  EXPECT_EQ(LedgerAtLaunch({}, registry), "kakeibo.csv") << "the settings' default";
  auto& key = registry.Company().subkeys[kSettingsKeyName];
  key = std::make_shared<MemoryRegistry::Node>();
  key->values["File_Kakeibo"] = RegValue{RegType::Sz, "家計簿.csv"};
  key->values["Tax"] = RegValue{RegType::Sz, "many"};
  EXPECT_EQ(LedgerAtLaunch({}, registry), "家計簿.csv") << "an unreadable value elsewhere";
}

// Notices (time, and whether the ledger was read just before) and the wait
// each one leaves: quiet notices wait the short delay, a steady stream is
// read no later than the bound after its first unread notice.
TEST(ViewerPresenter, ReadsABurstOfChangesSoon) {
  struct Step {
    std::int64_t at;
    bool readBefore;
    std::int64_t wait;
  };
  const Step steps[] = {
      {1000, false, 50}, {1010, false, 50}, {1300, false, 50}, {1380, false, 20}, {1399, false, 1},
      {1400, false, 0},  {1401, false, 0},  {1402, true, 50},  {1790, false, 12}, {5000, true, 50},
  };
  ChangeDelay delay(50, 400);
  for (const Step& step : steps) {
    if (step.readBefore) delay.Read();
    EXPECT_EQ(delay.Notice(step.at), step.wait) << "at " << step.at;
  }
}

TEST(ViewerPresenter, GroupsThousands) {
  EXPECT_EQ(GroupThousands(0), "0");
  EXPECT_EQ(GroupThousands(999), "999");
  EXPECT_EQ(GroupThousands(-1000), "-1,000");
  EXPECT_EQ(GroupThousands(INT64_MIN), "-9,223,372,036,854,775,808");
}

}  // namespace
}  // namespace mametan
