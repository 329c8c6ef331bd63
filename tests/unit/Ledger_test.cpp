#include "core/entry/Ledger.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <initializer_list>

#include "core/common/ApSystem.h"
#include "tests/support/ScratchFiles.h"

namespace mametan {
namespace {

using test::ReadBytes;
using test::ScratchDir;
using test::WriteBytes;

std::string Bytes(std::initializer_list<int> list) {
  std::string s;
  for (int b : list) s += static_cast<char>(b);
  return s;
}

// 2001/11/29, 食費, 牛乳, 105
LedgerRecord Milk() { return {"2001/11/29", "\x90\x48\x94\xEF", "\x8B\x8D\x93\xFB", 105}; }

const std::string kMilkLine =
    Bytes({0x32, 0x30, 0x30, 0x31, 0x2F, 0x31, 0x31, 0x2F, 0x32, 0x39, 0x2C, 0x90, 0x48,
           0x94, 0xEF, 0x2C, 0x8B, 0x8D, 0x93, 0xFB, 0x2C, 0x31, 0x30, 0x35, 0x0D, 0x0A});
const std::string kHeader =
    Bytes({0x93, 0xFA, 0x95, 0x74, 0x2C, 0x8E, 0xED, 0x97, 0xDE, 0x2C, 0x8F, 0xA4,
           0x95, 0x69, 0x96, 0xBC, 0x2C, 0x89, 0xBF, 0x8A, 0x69, 0x0D, 0x0A});

TEST(LedgerLine, Format) {
  struct Case {
    const char* what;
    LedgerRecord record;
    std::string line;
  };
  const std::string longGoods(1000, '\x82');
  const Case cases[] = {
      {"plain record", Milk(), kMilkLine},
      {"negative price", {"d", "k", "g", -300}, "d,k,g,-300\r\n"},
      {"zero price", {"d", "k", "g", 0}, "d,k,g,0\r\n"},
      {"price limits", {"d", "k", "g", INT32_MIN}, "d,k,g,-2147483648\r\n"},
      {"spaces, percent, backslash kept",
       {"d", " k ", "100% \\n ", INT32_MAX},
       "d, k ,100% \\n ,2147483647\r\n"},
      {"comma quoted", {"d", "k", "a,b", 1}, "d,k,\"a,b\",1\r\n"},
      {"quotes doubled", {"d", "say \"hi\"", "g", 1}, "d,\"say \"\"hi\"\"\",g,1\r\n"},
      {"line breaks quoted", {"d", "k", "a\r\nb\rc\nd", 1}, "d,k,\"a\r\nb\rc\nd\",1\r\n"},
      {"lone quote", {"d", "\"", "", 1}, "d,\"\"\"\",,1\r\n"},
      {"empty texts", {"", "", "", 7}, ",,,7\r\n"},
      {"text ends at NUL", {"d", std::string("k\0junk", 6), "g", 1}, "d,k,g,1\r\n"},
      {"invalid code page bytes kept",
       {"d", "\x85\x40\xA0\xFD\xFF", "g", 1},
       "d,\x85\x40\xA0\xFD\xFF,g,1\r\n"},
      // ソ is 0x83 0x5C: a trail byte that is a backslash in ASCII stays as it is.
      {"trail byte 0x5C", {"d", "\x83\x5C", "g", 1}, "d,\x83\x5C,g,1\r\n"},
      {"no length limit", {"d", "k", longGoods, 1}, "d,k," + longGoods + ",1\r\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatLedgerLine(c.record), c.line) << c.what;
  }
}

TEST(LedgerWriter, AbsentFileGetsHeaderThenRecord) {
  ScratchDir dir;
  const std::string path = dir / "kakeibo.csv";
  ASSERT_EQ(WriteLedgerRecord(Milk(), path), LedgerOutcome::Written);
  EXPECT_EQ(ReadBytes(path), kHeader + kMilkLine);
  ASSERT_EQ(WriteLedgerRecord({"2001/11/30", "k", "a,b", -300}, path), LedgerOutcome::Written);
  EXPECT_EQ(ReadBytes(path), kHeader + kMilkLine + "2001/11/30,k,\"a,b\",-300\r\n");
}

TEST(LedgerWriter, ExistingFileIsAppendedToWithoutHeader) {
  struct Case {
    const char* what;
    std::string before;
    std::string gap;  // what goes between the old content and the record
    std::string line = kMilkLine;
  };
  const std::string mark = "\xEF\xBB\xBF";
  const std::string milkUtf8 = "2001/11/29,食費,牛乳,105\r\n";
  const Case cases[] = {
      {"zero bytes: the record is line 1", "", ""},
      {"last line without line end: a break first", "x,100", "\r\n"},
      {"ends in CR only: a break first", "x,100\r", "\r\n"},
      {"ends in LF only: no break", "x,100\n", ""},
      {"other format: no header added", std::string("name;value\n\x00\x01\xFF\r\n", 16), ""},
      {"a header already", kHeader, ""},
      {"UTF-8 mark: the line in UTF-8", mark + "日付\r\n", "", milkUtf8},
      {"the mark alone", mark, "\r\n", milkUtf8},
      {"two bytes of the mark: code page 932", mark.substr(0, 2) + "\n", ""},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    const std::string path = dir / "ledger.csv";
    WriteBytes(path, c.before);
    ASSERT_EQ(WriteLedgerRecord(Milk(), path), LedgerOutcome::Written) << c.what;
    EXPECT_EQ(ReadBytes(path), c.before + c.gap + c.line) << c.what;
  }
}

TEST(LedgerWriter, CannotCreate) {
  ScratchDir dir;
  std::filesystem::create_directory(dir / "folder.csv");
  struct Case {
    const char* what;
    std::string path;
  };
  const Case cases[] = {
      {"empty path", ""},
      {"a directory of that name", dir / "folder.csv"},
      {"missing folder", dir / "no/such/kakeibo.csv"},
  };
  for (const Case& c : cases) {
    for (int attempt = 0; attempt < 2; ++attempt) {
      EXPECT_EQ(WriteLedgerRecord(Milk(), c.path), LedgerOutcome::CannotCreate) << c.what;
    }
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir / "folder.csv"));
  EXPECT_FALSE(std::filesystem::exists(dir / "no"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1)
      << "nothing else was created";
}

TEST(LedgerWriter, RelativePathsResolveAgainstTheCurrentDirectory) {
  ScratchDir dir;
  const auto startDir = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  const LedgerOutcome relative = WriteLedgerRecord(Milk(), "kakeibo.csv");
  const LedgerOutcome empty = WriteLedgerRecord(Milk(), "");
  std::filesystem::current_path(startDir);
  EXPECT_EQ(relative, LedgerOutcome::Written);
  EXPECT_EQ(empty, LedgerOutcome::CannotCreate);
  EXPECT_EQ(ReadBytes(dir / "kakeibo.csv"), kHeader + kMilkLine);
}

}  // namespace
}  // namespace mametan
