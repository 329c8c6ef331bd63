#include "entry/EntryRules.h"

#include <gtest/gtest.h>

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

EntryTexts Valid() { return {"2001/11/29", true, "食費", "牛乳", "100", false, 5}; }

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
       EntryField::Price, "価格が大きすぎます。"},
  };
  for (const Case& c : cases) {
    EntryTexts e = Valid();
    c.change(e);
    const EntryProblem p = CheckEntry(e, nullptr);
    EXPECT_EQ(p.field, c.field) << c.message;
    EXPECT_EQ(p.message, c.message);
  }
}

TEST(CheckEntry, AcceptsSpacesAndAppliesTax) {
  EntryTexts e = Valid();
  e.kind = "   ";
  e.goods = " ";
  e.date = "    /  /29";  // year and month may stay blank
  e.price = "$1F";
  std::int32_t price = 0;
  EXPECT_FALSE(CheckEntry(e, &price));
  EXPECT_EQ(price, 31);
  e.price = "  2045222521";
  e.autoTax = true;
  EXPECT_FALSE(CheckEntry(e, &price));
  EXPECT_EQ(price, INT32_MAX);
}

}  // namespace
}  // namespace mametan
