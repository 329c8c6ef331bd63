// Changes to the settings file on exact bytes: everything but the values
// written stays as it was.
#include "core/platform/IniText.h"

#include <gtest/gtest.h>

namespace mametan {
namespace {

using namespace std::string_literals;

// A file, the values written to [Mametan] (an empty key removes the section)
// and the bytes expected afterwards.
struct Edit {
  const char* name;
  std::string before;
  std::vector<std::pair<std::string, std::string>> writes;
  std::string after;
};

TEST(IniText, EditsTouchOnlyTheValuesWritten) {
  const Edit edits[] = {
      {"others' bytes kept: BOM, CR LF, comments, CP932, '/' in a key, key order",
       "\xEF\xBB\xBF; maker's file\r\n[OtherApp]\r\n# note\r\nname=\x89\xC6\x8C\x76\r\n"
       "path/with/slash=1\r\nno equals sign\r\ncaf\xE9=1\r\n\r\n[Mametan]\r\nTax=5\r\n"
       "AutoTax=0\r\n"s,
       {{"Tax", "8"}, {"AutoTax", "0"}},
       "\xEF\xBB\xBF; maker's file\r\n[OtherApp]\r\n# note\r\nname=\x89\xC6\x8C\x76\r\n"
       "path/with/slash=1\r\nno equals sign\r\ncaf\xE9=1\r\n\r\n[Mametan]\r\nTax=8\r\n"
       "AutoTax=0\r\n"s},
      {"a new key goes after the section's last value, before the blank line",
       "[Mametan]\nTax=5\n\n[Other]\nx=1\n",
       {{"AutoTax", "1"}, {"NextInput", "0"}},
       "[Mametan]\nTax=5\nAutoTax=1\nNextInput=0\n\n[Other]\nx=1\n"},
      {"a missing section is added with the file's line end",
       "[OtherApp]\r\nname=abc",
       {{"Tax", "8"}},
       "[OtherApp]\r\nname=abc\r\n[Mametan]\r\nTax=8"},
      {"stray CRs are line ends",
       "[OtherApp]\r\r\nname=abc\r\r\n",
       {{"Tax", "8"}},
       "[OtherApp]\r\r\nname=abc\r\r\n[Mametan]\r\nTax=8\r\n"},
      {"a CR-only file",
       "[Mametan]\rTax=5\rx=\x01\r",
       {{"Tax", "6"}, {"AutoTax", "1"}},
       "[Mametan]\rTax=6\rx=\x01\rAutoTax=1\r"},
      {"an empty file and a BOM alone",
       "\xEF\xBB\xBF",
       {{"Tax", "8"}},
       "\xEF\xBB\xBF[Mametan]\nTax=8\n"},
      {"bytes that are no text",
       "\x00\xFF=\x80\n\x1A"s,
       {{"File_Kind", "a"}},
       "\x00\xFF=\x80\n\x1A\n[Mametan]\nFile_Kind=a"s},
      {"blanks around '=' stay; an equal value changes nothing",
       "[ Mametan ]\n File_Kakeibo = spaced.csv\n\tTax\t=\t8\n",
       {{"File_Kakeibo", "spaced.csv"}, {"Tax", "9 "}},
       "[ Mametan ]\n File_Kakeibo = spaced.csv\n\tTax\t=\t9 \n"},
      {"a value is stored up to its first line break",
       "[Mametan]\nFile_Kind=a\n",
       {{"File_Kind", "nl.csv\n"}, {"File_Kakeibo", "x\rTax=99"}},
       "[Mametan]\nFile_Kind=nl.csv\nFile_Kakeibo=x\n"},
      {"the first of two equal keys, in the first block",
       "[Mametan]\nTax=1\n[B]\n[Mametan]\nTax=2\n",
       {{"Tax", "3"}},
       "[Mametan]\nTax=3\n[B]\n[Mametan]\nTax=2\n"},
      {"delete: every block of the section, nothing else",
       "\xEF\xBB\xBF[Mametan]\r\nTax=5\r\n[Other]\r\n; c\r\nk=v\r\n[Mametan]\r\nx=1\r\n"
       "[Mametan/Sub]\r\ny=2",
       {{"", ""}},
       "\xEF\xBB\xBF[Other]\r\n; c\r\nk=v\r\n[Mametan/Sub]\r\ny=2"},
      {"delete of a missing section", "[Other]\nk=v", {{"", ""}}, "[Other]\nk=v"},
  };
  for (const Edit& e : edits) {
    IniText ini(e.before);
    for (const auto& [key, value] : e.writes) {
      if (key.empty()) {
        ini.RemoveSection("Mametan");
      } else {
        ini.SetValue("Mametan", key, value);
      }
    }
    EXPECT_EQ(ini.bytes(), e.after) << e.name;
  }
}

TEST(IniText, ReadsWhatEditorsAndOtherProgramsLeave) {
  const IniText ini(
      "\xEF\xBB\xBF[Mametan]\r\nFile_Kakeibo = spaced name.csv \r\n\tTax\t=\t8\r\r\n"
      "AutoTax=\r\nNextInput\r\n=orphan\r\nFile_Kind=a=b\r\nTax=9\r\n[Other]\r\nSaveWindowPos=1"s);
  const std::pair<const char*, std::optional<std::string>> values[] = {
      {"File_Kakeibo", "spaced name.csv "}, {"Tax", "8"},       {"AutoTax", ""},
      {"NextInput", std::nullopt},          {"", std::nullopt}, {"File_Kind", "a=b"},
      {"SaveWindowPos", std::nullopt},
  };
  for (const auto& [key, value] : values) EXPECT_EQ(ini.Value("Mametan", key), value) << key;
  EXPECT_EQ(ini.Sections(), (std::vector<std::string>{"Mametan", "Other"}));
  EXPECT_TRUE(ini.HasSection("Other"));
  EXPECT_FALSE(ini.HasSection("Mametan/Sub"));
}

}  // namespace
}  // namespace mametan
