#include "core/entry/Classification.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/entry/Ledger.h"
#include "tests/support/ScratchFiles.h"

namespace mametan {
namespace {

using namespace std::string_literals;
using Kinds = std::vector<std::string>;
using test::ReadBytes;
using test::ScratchDir;
using test::WriteBytes;

const std::string kFood = "\x90\x48\x94\xEF";    // 食費
const std::string kSundry = "\x8E\x47\x89\xDD";  // 雑貨

TEST(ClassificationText, Splitting) {
  struct Case {
    const char* what;
    std::string text;
    Kinds kinds;
  };
  const Case cases[] = {
      {"empty middle line", kFood + "\r\n\r\n" + kSundry + "\r\n", {kFood, "", kSundry}},
      {"zero bytes", "", {}},
      {"no final break", "a\r\nb", {"a", "b"}},
      {"final break adds nothing", "a\r\n", {"a"}},
      {"lone LF and CR", "a\nb\rc\r\nd", {"a", "b", "c", "d"}},
      {"LF CR is two breaks", "a\n\rb", {"a", "", "b"}},
      {"CR CR LF", "\r\r\n", {"", ""}},
      {"only a break", "\r\n", {""}},
      {"two LFs", "\n\n", {"", ""}},
      {"spaces and tabs kept", " a \t\r\n  \r\n", {" a \t", "  "}},
      {"duplicates kept, order kept", "b\r\na\r\nb\r\n", {"b", "a", "b"}},
      {"NUL ends the text", "a\r\nb\0c\r\nd"s, {"a", "b"}},
      {"NUL first", "\0a\r\n"s, {}},
      {"NUL right after a break", "a\r\n\0b"s, {"a"}},
      {"invalid bytes kept", "\x85\x40\xFF\xA0\r\n\x81", {"\x85\x40\xFF\xA0", "\x81"}},
      {"trail byte 0x5C", "\x83\x5C\r\n", {"\x83\x5C"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseClassificationText(c.text), c.kinds) << c.what;
  }
}

TEST(ClassificationText, DefaultKinds) {
  const Kinds expected = {"\x82\xBB\x82\xCC\x91\xBC", "\x8B\xB3\x88\xE7\x94\xEF",
                          "\x8C\xF0\x92\xCA\x94\xEF", "\x8E\x47\x89\xDD",
                          "\x8E\xEF\x96\xA1",         "\x8F\x91\x90\xD0",
                          "\x90\x48\x94\xEF",         "\x90\x85\x93\xB9\x8C\xF5\x94\x4D\x94\xEF",
                          "\x92\xCA\x90\x4D\x94\xEF"};
  EXPECT_EQ(DefaultKindList(), expected);
}

TEST(ClassificationFile, Status) {
  ScratchDir dir;
  std::filesystem::create_directory(dir / "folder");
  WriteBytes(dir / "empty.txt", "");
  WriteBytes(dir / "item.txt", kFood + "\r\n\r\n" + kSundry);
  struct Case {
    const char* what;
    std::string path;
    ClassificationFile::Status status;
    Kinds kinds;
  };
  const Case cases[] = {
      {"empty path", "", ClassificationFile::Status::Missing, {}},
      {"nothing there", dir / "none.txt", ClassificationFile::Status::Missing, {}},
      {"a directory", dir / "folder", ClassificationFile::Status::Missing, {}},
      {"zero bytes", dir / "empty.txt", ClassificationFile::Status::Loaded, {}},
      {"kinds", dir / "item.txt", ClassificationFile::Status::Loaded, {kFood, "", kSundry}},
  };
  for (const Case& c : cases) {
    const ClassificationFile file = ReadClassificationFile(c.path);
    EXPECT_EQ(file.status, c.status) << c.what;
    EXPECT_EQ(file.kinds, c.kinds) << c.what;
  }
}

// A listed kind goes to the ledger as the file's bytes: spaces, bytes that
// are not code page 932, and a second code of a character all survive.
TEST(ClassificationFile, KindsReachTheLedgerUnchanged) {
  ScratchDir dir;
  const Kinds odd = {"\x85\x40 \xFD\xFF", kFood + "  ", "\x87\x90"};
  WriteBytes(dir / "item.txt", odd[0] + "\r\n" + odd[1] + "\n" + odd[2]);
  const ClassificationFile file = ReadClassificationFile(dir / "item.txt");
  ASSERT_EQ(file.kinds, odd);
  std::string expected(kLedgerHeader);
  for (const std::string& kind : file.kinds) {
    ASSERT_EQ(WriteLedgerRecord({"2001/11/29", kind, "g", 1}, dir / "kakeibo.csv"),
              LedgerOutcome::Written);
    expected += "2001/11/29," + kind + ",g,1\r\n";
  }
  EXPECT_EQ(ReadBytes(dir / "kakeibo.csv"), expected);
}

}  // namespace
}  // namespace mametan
