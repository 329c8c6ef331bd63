#include "core/common/TaskbarRule.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mametan {
namespace {

class FakeEntry : public TaskbarEntry {
 public:
  bool IsShown() const override { return shown; }
  void SetShown(bool s) override {
    shown = s;
    ++changes;
  }
  bool shown = false;
  int changes = 0;
};

// One step of a run: the windows changed (rule applies) or something showed
// or hid the entry directly (start-up, the tray icon's restore).
struct Step {
  enum Kind { Windows, Direct } kind;
  bool value;
  bool entryAfter;
};

TEST(TaskbarRule, RunsFollowTheRule) {
  struct Run {
    const char* name;
    std::vector<Step> steps;
  };
  const Run runs[] = {
      {"input window opened and closed from the tray",
       {{Step::Direct, false, false},
        {Step::Windows, true, true},
        {Step::Windows, true, true},
        {Step::Windows, false, false}}},
      {"input window opened itself while created",
       {{Step::Windows, true, true},
        {Step::Direct, false, false},  // start-up hides the entry
        {Step::Windows, false, false},
        {Step::Windows, true, false},
        {Step::Windows, false, false}}},
      {"...until a double click restores the entry",
       {{Step::Windows, true, true},
        {Step::Direct, false, false},
        {Step::Direct, true, true},
        {Step::Windows, true, true},
        {Step::Windows, false, false},
        {Step::Windows, true, true}}},
      {"restore while no window is open keeps the entry until the rule catches up",
       {{Step::Direct, false, false},
        {Step::Direct, true, true},
        {Step::Windows, false, true},
        {Step::Windows, true, true},
        {Step::Windows, false, true}}},
      {"debug mode shows form_Main and with it the entry",
       {{Step::Windows, false, false}, {Step::Windows, true, true}}},
  };
  for (const Run& run : runs) {
    FakeEntry entry;
    TaskbarRule rule(entry);
    int i = 0;
    for (const Step& s : run.steps) {
      if (s.kind == Step::Direct) {
        entry.shown = s.value;
      } else {
        rule.WindowsChanged(s.value);
      }
      EXPECT_EQ(entry.shown, s.entryAfter) << run.name << ", step " << i;
      ++i;
    }
  }
}

TEST(TaskbarRule, NothingHappensWhileTheFlagAlreadyMatches) {
  FakeEntry entry;
  TaskbarRule rule(entry);
  rule.WindowsChanged(false);
  EXPECT_EQ(entry.changes, 0);
  rule.WindowsChanged(true);
  rule.WindowsChanged(true);
  EXPECT_EQ(entry.changes, 1);
  EXPECT_TRUE(rule.Flag());
}

}  // namespace
}  // namespace mametan
