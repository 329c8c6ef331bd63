#include "core/entry/EntryRules.h"

#include <gtest/gtest.h>

#include "core/entry/WindowPlacement.h"

namespace mametan {
namespace {

TEST(PriceAfterTax, TruncatesTowardZeroWithoutOverflow) {
  const std::tuple<std::int32_t, std::int32_t, std::int32_t> cases[] = {
      {100, 5, 105},
      {1980, 5, 2079},
      {19, 5, 19},
      {1, 5, 1},
      {-101, 5, -106},
      {999, 8, 1078},
      {1234, 0, 1234},
      {-1, 5, -1},
      {0, 100, 0},
      {1000, 100, 2000},
      {2045222521, 5, 2147483647},
      {-2045222521, 5, -2147483647},
  };
  for (const auto& [price, tax, expected] : cases) {
    EXPECT_EQ(PriceAfterTax(price, tax), std::optional<std::int32_t>(expected))
        << price << " @" << tax;
  }
  EXPECT_FALSE(PriceAfterTax(2045222522, 5).has_value()) << "past INT32_MAX";
  EXPECT_FALSE(PriceAfterTax(INT32_MIN, 5).has_value());
  EXPECT_FALSE(PriceAfterTax(INT32_MAX, INT32_MAX).has_value());
  EXPECT_FALSE(PriceAfterTax(100, -1).has_value()) << "a negative rate is refused";
}

EntryTexts Valid() { return {"2001/11/29", true, "食費", {}, "牛乳", "100", false, 5}; }

constexpr const char* kTaxMessage =
    "消費税率が正しくありません。0 から 100 の間で設定してください。";

TEST(CheckEntry, FirstFailureWinsInFieldOrder) {
  struct Case {
    void (*change)(EntryTexts&);
    EntryField field;
    const char* message;
  } cases[] = {
      {[](EntryTexts& e) {
         e.date = "    /  /  ";
         e.kind = "";
       },
       EntryField::Date, "日付がありません。"},
      {[](EntryTexts& e) { e.date = ""; }, EntryField::Date, "日付がありません。"},
      {[](EntryTexts& e) {
         e.date = "2024/02/30";
         e.kind = "";
       },
       EntryField::Date, "日付が正しくありません。"},
      {[](EntryTexts& e) { e.goods = "\r\n"; }, EntryField::Goods, "商品名がありません。"},
      {[](EntryTexts& e) {
         e.dateComplete = false;
         e.kind = "";
       },
       EntryField::Date, "入力値が不正です。エスケープキーで変更を取り消せます"},
      {[](EntryTexts& e) {
         e.kind = "";
         e.goods = "";
       },
       EntryField::Kind, "種類名がありません。"},
      {[](EntryTexts& e) { e.kind = "食費😀"; }, EntryField::Kind,
       "種類名に保存できない文字があります。"},
      {[](EntryTexts& e) {
         e.goods = "";
         e.price = "x";
       },
       EntryField::Goods, "商品名がありません。"},
      {[](EntryTexts& e) { e.goods = "한"; }, EntryField::Goods,
       "商品名に保存できない文字があります。"},
      {[](EntryTexts& e) { e.price = "1,000"; }, EntryField::Price, "価格がありません。"},
      {[](EntryTexts& e) { e.price = "１２３"; }, EntryField::Price, "価格がありません。"},
      {[](EntryTexts& e) {
         e.price = "2045222522";
         e.autoTax = true;
       },
       EntryField::Price, "価格が大きすぎます。"},
      {[](EntryTexts& e) {
         e.autoTax = true;
         e.tax = -5;
       },
       EntryField::Tax, kTaxMessage},
      {[](EntryTexts& e) {
         e.autoTax = true;
         e.tax = 101;
       },
       EntryField::Tax, kTaxMessage},
      {[](EntryTexts& e) {
         e.price = "x";
         e.autoTax = true;
         e.tax = -5;
       },
       EntryField::Price, "価格がありません。"},
      // Raw-byte code points typed or pasted, and a kind from the file whose
      // last byte would swallow the separator.
      {[](EntryTexts& e) { e.kind = "\uF7C1\uF7E0"; }, EntryField::Kind,
       "種類名に保存できない文字があります。"},
      {[](EntryTexts& e) { e.goods = "a\uF780"; }, EntryField::Goods,
       "商品名に保存できない文字があります。"},
      {[](EntryTexts& e) {
         e.kind = "\u98DF\uF781";
         e.kindBytes = "\x90\x48\x81";
       },
       EntryField::Kind, "種類名に保存できない文字があります。"},
  };
  for (const Case& c : cases) {
    EntryTexts e = Valid();
    c.change(e);
    const EntryProblem p = CheckEntry(e).problem;
    EXPECT_EQ(p.field, c.field) << c.message;
    EXPECT_EQ(p.message, c.message);
  }
}

TEST(CheckEntry, OnlyCalendarDaysPass) {
  // The mask lets blanks stay in any digit position and takes any digits.
  const std::pair<const char*, bool> dates[] = {
      {"2024/02/29", true},   {"2000/02/29", true},  {"0001/01/01", true},  {"9999/12/31", true},
      {"2026/04/30", true},   {"2023/02/29", false}, {"1900/02/29", false}, {"2024/02/30", false},
      {"2026/04/31", false},  {"0000/00/00", false}, {"2026/13/01", false}, {"2026/00/10", false},
      {"2026/01/00", false},  {" 026/12/08", false}, {"2026/1 /08", false}, {"    /  /29", false},
      {"2026/12/08 ", false}, {"2026-12-08", true},
  };
  for (const auto& [date, day] : dates) {
    EntryTexts e = Valid();
    e.date = date;
    const EntryProblem p = CheckEntry(e).problem;
    EXPECT_EQ(p.field, day ? EntryField::None : EntryField::Date) << date;
  }
}

TEST(CheckEntry, KindAndGoodsAsTheFieldShowsThem) {
  EntryTexts e = Valid();
  e.kind = "食\tfood\n";
  e.goods = "line1\nline2\r\nline3\rend\r\n";
  const CheckedEntry c = CheckEntry(e);
  EXPECT_EQ(c.record.kind, "\x90\x48 food");
  EXPECT_EQ(c.record.goods, "line1 line2 line3 end");
}

TEST(CheckEntry, AcceptsSpacesAndAppliesTax) {
  EntryTexts e = Valid();
  e.kind = "   ";
  e.goods = " ";
  e.date = "2024/02/29";
  e.price = "$1F";
  CheckedEntry c = CheckEntry(e);
  EXPECT_FALSE(c.problem);
  EXPECT_EQ(c.record.price, 31);
  EXPECT_EQ(c.record.date, "2024/02/29");
  EXPECT_EQ(c.record.kind, "   ");
  // A kind from the file keeps its bytes, raw ones and a whole pair at its end;
  // typed texts are encoded.
  e.kind = "\uF7A0\u98DF";
  e.kindBytes = "\xA0\x90\x48";
  e.goods = "牛乳\u301C";
  c = CheckEntry(e);
  EXPECT_FALSE(c.problem);
  EXPECT_EQ(c.record.kind, "\xA0\x90\x48");
  EXPECT_EQ(c.record.goods, "\x8B\x8D\x93\xFB\x81\x60");
  e.tax = 100;
  e.autoTax = true;
  EXPECT_EQ(CheckEntry(e).record.price, 62);
  e.tax = 5;
  e.price = "  2045222521";
  EXPECT_EQ(CheckEntry(e).record.price, INT32_MAX);
}

TEST(TitleBarReachable, SavedPlaceNeedsItsTitleBarOnAScreen) {
  // One 1024 x 768 screen, and a second one to its right, 100 pixels lower.
  const std::vector<ScreenArea> one = {{0, 0, 1024, 768}};
  const std::vector<ScreenArea> two = {{0, 0, 1024, 768}, {1024, 100, 800, 600}};
  struct Case {
    std::int32_t left, top;
    const std::vector<ScreenArea>& screens;
    bool reachable;
  } cases[] = {
      {100, 100, one, true},
      {0, 0, one, true},
      {0, 2147483647, one, false},  // a hand-edited top: nothing overflows
      {2147483647, 2147483647, one, false},
      {-2147483647 - 1, 0, one, false},
      {0, 770, one, false},
      {0, 761, one, false},   // 7 rows of the bar on screen
      {0, 760, one, true},    // 8 rows
      {-313, 0, one, true},   // 32 pixels of the 345 wide bar
      {-314, 0, one, false},  // 31
      {992, 0, one, true},
      {993, 0, one, false},
      {1200, 50, two, false},  // above the second screen
      {1200, 100, two, true},
      {1000, 0, two, false},  // 24 + 0 pixels: the screens do not add up
      {1000, 100, two, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TitleBarReachable(c.left, c.top, 345, 20, c.screens), c.reachable)
        << c.left << "," << c.top;
  }
  EXPECT_FALSE(TitleBarReachable(0, 0, 345, 20, {})) << "no screen at all";
}

}  // namespace
}  // namespace mametan
