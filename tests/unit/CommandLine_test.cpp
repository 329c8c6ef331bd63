#include "core/common/CommandLine.h"

#include <gtest/gtest.h>

#include "core/common/AppError.h"
#include "core/common/InputRequest.h"

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

TEST(Switches, InputUnknownAndTheLaunchersReport) {
  struct Case {
    std::vector<std::string> args;
    bool dashForms, debug, input;
    std::vector<std::string> unknown;
  };
  const Case cases[] = {
      {{"/input"}, false, false, true, {}},
      {{"/INPUT", "/Debug"}, false, true, true, {}},
      {{"--input"}, true, false, true, {}},
      {{"--input"}, false, false, false, {"--input"}},
      {{"-input", "/inputs", "input"}, true, false, false, {"-input", "/inputs"}},
      // Not matched in any case: the report's arguments are paths, no switches.
      {{"/folder-error", "/home/u/x", "-reason", "/input"}, false, false, true, {}},
      {{"/folder-error", "/x"}, false, false, false, {}},
      {{"", "file.csv", "/", "-"}, true, false, false, {"/", "-"}},
  };
  for (const Case& c : cases) {
    const Switches s = ReadSwitches(c.args, c.dashForms);
    EXPECT_EQ(s.debug, c.debug) << c.args[0];
    EXPECT_EQ(s.input, c.input) << c.args[0];
    EXPECT_EQ(s.unknown, c.unknown) << c.args[0];
  }
  EXPECT_EQ(UnknownSwitchesLine(ReadSwitches({"/x", "-y"}, true)),
            "unknown switches \"/x\" \"-y\" ignored; the switches are /input and /debug");
  EXPECT_EQ(UnknownSwitchesLine(ReadSwitches({"/input"}, true)), "");
}

TEST(InputRequest, OneLineWithTheTokenWhenItCanTravel) {
  const std::string longToken(kInputRequestMax, 'a');
  const struct {
    std::string token, line;
  } built[] = {
      {"abc_TIME123", "input abc_TIME123\n"},
      {"", "input\n"},
      {"a b", "input\n"},
      {"a\nb", "input\n"},
      {"é", "input\n"},
      {longToken, "input\n"},
  };
  for (const auto& b : built) {
    EXPECT_EQ(InputRequestLine(b.token), b.line);
    if (b.token == "abc_TIME123" || b.line == "input\n") {
      EXPECT_EQ(ParseInputRequest(b.line), b.token == "abc_TIME123" ? b.token : "");
    }
  }
  for (const std::string_view bad :
       {"", "input", "input \n", "input  a\n", "inputx\n", "input a b\n", "ok\n", "INPUT\n"}) {
    EXPECT_EQ(ParseInputRequest(bad), std::nullopt) << bad;
  }
  EXPECT_EQ(ParseInputRequest("input " + std::string(kInputRequestMax - 7, 'a') + "\n"),
            std::string(kInputRequestMax - 7, 'a'));
  EXPECT_EQ(ParseInputRequest("input " + std::string(kInputRequestMax - 6, 'a') + "\n"),
            std::nullopt);
}

TEST(InputRequest, StartupIdTime) {
  const struct {
    std::string_view id;
    std::optional<std::uint32_t> time;
  } cases[] = {
      {"xdotool-123-host-sh-0_TIME4242", 4242u},
      {"a_TIME1_TIME77", 77u},
      {"x_TIME4294967295", 4294967295u},
      {"x_TIME4294967296", std::nullopt},
      {"x_TIME", std::nullopt},
      {"x_TIME12a", std::nullopt},
      {"x_TIME-1", std::nullopt},
      {"0123456789", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(StartupIdTime(c.id), c.time) << c.id;
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
