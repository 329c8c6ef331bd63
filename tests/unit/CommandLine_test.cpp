#include "core/common/CommandLine.h"

#include <gtest/gtest.h>

#include "core/common/AppError.h"

namespace mametan {
namespace {

TEST(DebugSwitch, WholeArgumentAnyCaseAnyPosition) {
  EXPECT_TRUE(HasDebugSwitch({"/debug"}));
  EXPECT_TRUE(HasDebugSwitch({"/DEBUG"}));
  EXPECT_TRUE(HasDebugSwitch({"/DeBuG"}));
  EXPECT_TRUE(HasDebugSwitch({"x", "/debug"}));
  EXPECT_TRUE(HasDebugSwitch({"/debug", "y"}));
  EXPECT_FALSE(HasDebugSwitch({}));
  EXPECT_FALSE(HasDebugSwitch({"-debug"}));
  EXPECT_FALSE(HasDebugSwitch({"debug"}));
  EXPECT_FALSE(HasDebugSwitch({"/debugx"}));
  EXPECT_FALSE(HasDebugSwitch({" /debug"}));
  EXPECT_FALSE(HasDebugSwitch({"/ｄｅｂｕｇ"}));
}

TEST(ErrorBoxText, FullStopAfterCharactersSortingAfterDot) {
  EXPECT_EQ(ErrorBoxText("Cannot Create System Shell Notification Icon"),
            "Cannot Create System Shell Notification Icon.");
  EXPECT_EQ(ErrorBoxText("ファイル a.txt は開けません"), "ファイル a.txt は開けません.");
  EXPECT_EQ(ErrorBoxText("入力値が不正です。"), "入力値が不正です。.");
  EXPECT_EQ(ErrorBoxText("done."), "done.");
  EXPECT_EQ(ErrorBoxText("done!"), "done!");
  EXPECT_EQ(ErrorBoxText("a-"), "a-");
  EXPECT_EQ(ErrorBoxText("/"), "/.");
  EXPECT_EQ(ErrorBoxText(""), "");
}

TEST(FormatMessage, FillsTheFirstPlaceholder) {
  EXPECT_EQ(FormatMessage("'%s' の設定に失敗しました", "Tax"), "'Tax' の設定に失敗しました");
  EXPECT_EQ(FormatMessage("none", "x"), "none");
}

}  // namespace
}  // namespace mametan
