#include "core/common/IntegerText.h"

#include <gtest/gtest.h>

namespace mametan {
namespace {

TEST(StrToInt32, AcceptsDecimalAndHexForms) {
  const std::pair<const char*, std::int32_t> ok[] = {
      {"12", 12},
      {"  12", 12},
      {"+12", 12},
      {"-12", -12},
      {"007", 7},
      {"$1F", 31},
      {"0x10", 16},
      {"0X10", 16},
      {"x1f", 31},
      {"X1F", 31},
      {" $10", 16},
      {"$FFFFFFFF", -1},
      {"$80000000", INT32_MIN},
      {"$000000010", 16},
      {"2147483647", INT32_MAX},
      {"-2147483648", INT32_MIN},
      {"0", 0},
      {"-0", 0},
  };
  for (const auto& [text, value] : ok) {
    EXPECT_EQ(StrToInt32(text), std::optional<std::int32_t>(value)) << text;
  }
}

TEST(StrToInt32, RefusesEverythingElse) {
  const char* bad[] = {"",     " ",          "abc",        "12 ",         "1,000",       "１２３",
                       "1.5",  "+",          "-",          "$",           "0x",          "-$10",
                       "+0x1", "$100000000", "2147483648", "-2147483649", "99999999999", "\t12",
                       "12a",  "0x1G",       "--1",        "+-1",         "1 2"};
  for (const char* text : bad) EXPECT_FALSE(StrToInt32(text).has_value()) << text;
}

TEST(IntToStr, PlainDecimal) {
  EXPECT_EQ(IntToStr(0), "0");
  EXPECT_EQ(IntToStr(-300), "-300");
  EXPECT_EQ(IntToStr(INT32_MIN), "-2147483648");
}

}  // namespace
}  // namespace mametan
