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
  // A second line (the file and the system's reason) is shown as it is.
  EXPECT_EQ(ErrorBoxText("'Tax' の設定に失敗しました\n/a/b.ini: Permission denied"),
            "'Tax' の設定に失敗しました.\n/a/b.ini: Permission denied");
}

TEST(UnusableFolderMessage, NamesTheFolderAndTheReason) {
  EXPECT_EQ(UnusableFolderMessage({"/folder-error", "/home/u/Documents/x", "File exists"}),
            "家計簿のフォルダ /home/u/Documents/x が使えません\nFile exists");
  EXPECT_EQ(UnusableFolderMessage({"/debug"}), std::nullopt);
  EXPECT_EQ(UnusableFolderMessage({"/folder-error", "/x"}), std::nullopt);
}

TEST(FormatMessage, FillsTheFirstPlaceholder) {
  EXPECT_EQ(FormatMessage("'%s' の設定に失敗しました", "Tax"), "'Tax' の設定に失敗しました");
  EXPECT_EQ(FormatMessage("none", "x"), "none");
}

}  // namespace
}  // namespace mametan
