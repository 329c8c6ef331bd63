#include "core/viewer/StripLayout.h"

#include <gtest/gtest.h>

#include <climits>

namespace mametan {
namespace {

// 6 pixels a character, 12 for a wide one (万, 月).
int Width(const std::string& text) {
  int width = 0;
  for (const unsigned char c : text) {
    if (c < 0x80) width += 6;
    if (c >= 0xE0) width += 12;  // the lead byte of a three-byte character
  }
  return width;
}

ViewerMonthCell Cell(std::int64_t amount, int month = 1) {
  return {month, amount, GroupThousands(amount), 0.5, false};
}

TEST(StripLayout, FitsEachTotalInFullElseRoundedToMan) {
  struct Case {
    std::int64_t amount;
    int room;
    std::string label;
  };
  const Case cases[] = {
      {1234567, 54, "1,234,567"},  // just fits
      {1234567, 53, "123万"},
      {1999999, 53, "200万"},  // rounded, not cut to 199万
      {1994999, 53, "199万"},
      {1995000, 53, "200万"},
      {15000, 24, "2万"},  // half away from zero
      {-15000, 24, "-2万"},
      {-1999999, 53, "-200万"},
      {12345678, 41, ""},  // not even "1,235万" fits: nothing, never run over
      {12345678, 42, "1,235万"},
      {9999, 20, ""},  // under 1万: never shown as 1万 or 0万
      {0, 6, "0"},
      {2147483648, 54, "214,748万"},  // above 2^31
      {4294967294, 78, "4,294,967,294"},
      {4294967294, 77, "429,497万"},
      {INT64_MIN, 155, "-922,337,203,685,478万"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FitStripAmount(Cell(c.amount), c.room, Width), c.label)
        << c.amount << " in " << c.room;
  }
  ViewerMonthCell empty{3, 0, "", 0, false};
  EXPECT_EQ(FitStripAmount(empty, 500, Width), "") << "a month without purchases";
}

// At every width each label fits its own column inside the chosen month's
// frame, so that no mark and no neighbour covers a digit and the strip's
// edge cuts none; a press finds the column drawn there.
TEST(StripLayout, KeepsEveryLabelInsideItsOwnColumn) {
  std::vector<ViewerMonthCell> cells;
  const std::int64_t amounts[] = {1234567, 0, 98765, 1999999, 5,       -20000,
                                  10000,   1, 45000, 300000,  1999999, 1234567};
  for (int m = 1; m <= 12; ++m) cells.push_back(Cell(amounts[m - 1], m));
  cells[11].chosen = true;
  cells[1].amountText.clear();
  for (int width = 60; width <= 1400; width += 7) {
    const StripMetrics metrics{width, 120, 14, 16, 8, 4, 2, 4};
    const auto laid = LayOutMonthStrip(cells, metrics, Width, Width);
    ASSERT_EQ(laid.size(), 12u);
    for (std::size_t i = 0; i < laid.size(); ++i) {
      const StripCell& c = laid[i];
      SCOPED_TRACE(testing::Message() << "width " << width << ", month " << c.month);
      EXPECT_LE(Width(c.amount), c.amountBox.Width());
      EXPECT_LE(Width(c.monthText), c.monthBox.Width());
      if (c.amountBox.Width() > 0) {  // else too narrow for anything: nothing shown
        EXPECT_GE(c.amountBox.left, c.mark.left + metrics.frame);
        EXPECT_LE(c.amountBox.right, c.mark.right - metrics.frame);
      }
      EXPECT_GE(c.mark.left, c.cell.left);
      EXPECT_LE(c.mark.right, c.cell.right);
      EXPECT_GE(c.cell.left, metrics.margin);
      EXPECT_LE(c.cell.right, width - metrics.margin);
      if (i > 0) {
        EXPECT_EQ(c.cell.left, laid[i - 1].cell.right);
      }
      EXPECT_GE(c.bar.top, c.amountBox.bottom);
      EXPECT_LE(c.bar.bottom, c.monthBox.top);
      if (c.cell.Width() > 0) {
        EXPECT_EQ(StripMonthAt(laid, c.cell.left, 60), c.month);
      }
    }
    if (width == 1400) {
      EXPECT_EQ(StripText(laid),
                "1月 1,234,567\t2月 \t3月 98,765\t4月 1,999,999\t5月 5\t6月 -20,000\t"
                "7月 10,000\t8月 1\t9月 45,000\t10月 300,000\t11月 1,999,999\t12月 1,234,567");
    }
    if (width == 530) {  // columns of 42 or 43 pixels, 36 or 37 for text: "1,999,999" needs 54
      EXPECT_EQ(laid[10].amount, "200万");
      EXPECT_EQ(laid[0].amount, "123万");
      EXPECT_EQ(laid[2].amount, "98,765");
      EXPECT_EQ(laid[9].monthText, "10月");
    }
  }
  EXPECT_EQ(
      StripMonthAt(LayOutMonthStrip(cells, {600, 120, 14, 16, 8, 4, 2, 4}, Width, Width), 4, 60), 0)
      << "the margin chooses nothing";
}

}  // namespace
}  // namespace mametan
