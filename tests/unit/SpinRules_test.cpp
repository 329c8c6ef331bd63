// The spin edit's value rules, shared by both front ends' spin edits.
#include "core/controls/SpinRules.h"

#include <gtest/gtest.h>

#include <climits>

namespace mametan {
namespace {

TEST(SpinRules, CheckValueKeepsTheRangeOnlyWhenTheBoundsDiffer) {
  struct Case {
    int value, min, max, want;
  } cases[] = {
      {150, 0, 100, 100},
      {-3, 0, 100, 0},
      {50, 0, 100, 50},
      {-7, 0, 0, -7},
      {INT_MAX, 5, 5, INT_MAX},
      // Bounds the wrong way round: below the minimum gives it, all else the maximum.
      {3, 10, 1, 10},
      {10, 10, 1, 1},
      {50, 10, 1, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CheckSpinValue(c.value, c.min, c.max), c.want)
        << c.value << " in " << c.min << ".." << c.max;
  }
  EXPECT_EQ(StepSpinValue(INT_MAX, 1, true), INT_MIN);
}

}  // namespace
}  // namespace mametan
