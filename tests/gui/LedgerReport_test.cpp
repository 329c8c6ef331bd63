#include "entry/LedgerReport.h"

#include <gtest/gtest.h>

#include "GuiTestSupport.h"

namespace mametan {
namespace {

TEST(LedgerReport, FailuresShowStopBoxes) {
  const std::pair<LedgerOutcome, QString> cases[] = {
      {LedgerOutcome::CannotCreate, "家計簿ファイルが作成できません。"},
      {LedgerOutcome::CannotOpen, "家計簿ファイルが開けません。"},
      {LedgerOutcome::CannotWrite, "家計簿ファイルに書き込めません。"},
  };
  for (const auto& [outcome, text] : cases) {
    test::RecordingMessages messages;
    EXPECT_FALSE(ReportLedgerFailure(outcome, nullptr));
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.boxes[0].caption, "Message");
    EXPECT_EQ(messages.boxes[0].text, text);
    EXPECT_EQ(messages.boxes[0].icon, MsgIcon::Stop);
  }
  test::RecordingMessages messages;
  EXPECT_TRUE(ReportLedgerFailure(LedgerOutcome::Written, nullptr));
  EXPECT_TRUE(messages.boxes.empty());
}

}  // namespace
}  // namespace mametan
