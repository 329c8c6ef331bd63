#include "core/entry/LedgerReader.h"

#include <gtest/gtest.h>

#include "core/entry/Ledger.h"

namespace mametan {
namespace {

// 食費 and 牛乳 in code page 932; 0x5C is the second byte of 表 (0x95 0x5C).
const std::string kFood = "\x90\x48\x94\xEF";
const std::string kMilk = "\x8B\x8D\x93\xFB";
const std::string kTable = "\x95\x5C";

TEST(LedgerReader, ReadsEachKindOfLine) {
  struct Row {
    std::string text;
    LedgerLineKind kind;
    LedgerDate date = {};
    std::string kindText = {};
    std::string goods = {};
    std::int64_t price = 0;
    LedgerEncoding encoding = LedgerEncoding::Cp932;
  };
  const Row rows[] = {
      {"2001/11/29," + kFood + "," + kMilk + ",105",
       LedgerLineKind::Entry,
       {2001, 11, 29},
       kFood,
       kMilk,
       105},
      // What the writer quotes, read back.
      {"2001/11/29,\"a,b\",\"say \"\"hi\"\"\",-300",
       LedgerLineKind::Entry,
       {2001, 11, 29},
       "a,b",
       "say \"hi\"",
       -300},
      {"2001/11/29,x,\"two\r\nlines\",1",
       LedgerLineKind::Entry,
       {2001, 11, 29},
       "x",
       "two\r\nlines",
       1},
      // A spreadsheet's save: every field quoted, the date without zeros,
      // the price grouped.
      {"\"2001/1/5\",\"" + kFood + "\",\"" + kMilk + "\",\"1,050\"",
       LedgerLineKind::Entry,
       {2001, 1, 5},
       kFood,
       kMilk,
       1050},
      {"2004-02-29,k,g, 7 ", LedgerLineKind::Entry, {2004, 2, 29}, "k", "g", 7},
      // Texts stay as they are: spaces, a quote inside an unquoted field (the
      // old writer's), a trail byte 0x5C.
      {"2001/11/29, k ,5\" disk,0", LedgerLineKind::Entry, {2001, 11, 29}, " k ", "5\" disk", 0},
      {"2001/11/29," + kTable + ",g,2147483647",
       LedgerLineKind::Entry,
       {2001, 11, 29},
       kTable,
       "g",
       2147483647},
      {"2001/11/29,k,g,-2147483648", LedgerLineKind::Entry, {2001, 11, 29}, "k", "g", -2147483648},
      {std::string(kLedgerHeader.substr(0, kLedgerHeader.size() - 2)), LedgerLineKind::Header},
      {"\"\x93\xFA\x95\x74\",\"\x8E\xED\x97\xDE\",\"\x8F\xA4\x95\x69\x96\xBC\","
       "\"\x89\xBF\x8A\x69\"",
       LedgerLineKind::Header},
      // Empty columns after the price, as a spreadsheet saves a used column E.
      {"2001/11/29,k,g,105,", LedgerLineKind::Entry, {2001, 11, 29}, "k", "g", 105},
      {"2001/11/29,k,g,\"105\",,", LedgerLineKind::Entry, {2001, 11, 29}, "k", "g", 105},
      {"日付,種類,商品名,価格,", LedgerLineKind::Header, {}, "", "", 0, LedgerEncoding::Utf8},
      {"日付,種類,商品名,価格",
       LedgerLineKind::Unreadable},  // UTF-8 titles in a code page 932 file
      {"", LedgerLineKind::Blank},
      {",,,", LedgerLineKind::Blank},
      {",,,,,", LedgerLineKind::Blank},
      {" ", LedgerLineKind::Blank},
      // Not a purchase: each is listed, never dropped.
      {"2001/11/29,k,a,b,105", LedgerLineKind::Unreadable},  // a comma the writer did not quote
      {"2001/11/29,k,105", LedgerLineKind::Unreadable},
      {"2001/11/29,k,g,105,x", LedgerLineKind::Unreadable},
      {"2001/11/29,k,g,105, ", LedgerLineKind::Unreadable},
      {"2001/11/29,k,g,2147483648", LedgerLineKind::Unreadable},
      {"2001/11/29,k,g,-2147483649", LedgerLineKind::Unreadable},
      {"2001/11/29,k,g,1.5", LedgerLineKind::Unreadable},
      {"2001/11/29,k,g,", LedgerLineKind::Unreadable},
      {"2001/11/29,k,g,-", LedgerLineKind::Unreadable},
      {"2001/11/29,k,g,\"10,50\"", LedgerLineKind::Unreadable},
      {"2001/11/29,k,g,\",100\"", LedgerLineKind::Unreadable},
      {"2001/11/29,k,g,\"1000,000\"", LedgerLineKind::Unreadable},
      {"2001/02/29,k,g,1", LedgerLineKind::Unreadable},
      {"1900/02/29,k,g,1", LedgerLineKind::Unreadable},
      {"2001/13/01,k,g,1", LedgerLineKind::Unreadable},
      {"2001/11/00,k,g,1", LedgerLineKind::Unreadable},
      {"01/11/29,k,g,1", LedgerLineKind::Unreadable},
      {"2001/11-29,k,g,1", LedgerLineKind::Unreadable},
      {"2001/  /  ,k,g,1", LedgerLineKind::Unreadable},
      {"2001/11/29,\"k\"x,g,1", LedgerLineKind::Unreadable},  // text after a closing quote
      {"2001/11/29,\"k,g,1", LedgerLineKind::Unreadable},     // a quote never closed
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    LedgerEntry entry;
    ASSERT_EQ(ParseLedgerLine(row.text, entry, row.encoding), row.kind);
    if (row.kind != LedgerLineKind::Entry) continue;
    EXPECT_EQ(entry.date, row.date);
    EXPECT_EQ(entry.kind, row.kindText);
    EXPECT_EQ(entry.goods, row.goods);
    EXPECT_EQ(entry.price, row.price);
  }
}

// The writer's own lines come back as they went in.
TEST(LedgerReader, ReadsBackWhatTheWriterWrites) {
  const LedgerRecord records[] = {
      {"2001/11/29", kFood, kMilk, 105},
      {"2001/11/29", "a,b", "\"q\"", -300},
      {"2001/11/29", " ", "line\nbreak", 0},
  };
  for (const LedgerRecord& record : records) {
    std::string line = FormatLedgerLine(record);
    line.resize(line.size() - 2);
    LedgerEntry entry;
    ASSERT_EQ(ParseLedgerLine(line, entry), LedgerLineKind::Entry) << line;
    EXPECT_EQ(entry.dateText, record.date);
    EXPECT_EQ(entry.kind, record.kind);
    EXPECT_EQ(entry.goods, record.goods);
    EXPECT_EQ(entry.price, record.price);
  }
}

// Records and their places, whatever the line ends and however the bytes
// arrive.
TEST(LedgerReader, ScannerCutsRecordsAtLineEndsOutsideQuotes) {
  struct Row {
    std::string bytes;
    std::vector<std::pair<std::uint64_t, std::string>> records;  // line, text
  };
  std::string stray = "a,\"open\r\n";
  for (int i = 0; i < 20; ++i) stray += "x\r\n";
  std::vector<std::pair<std::uint64_t, std::string>> strayRecords = {{1, "a,\"open"}};
  for (int i = 0; i < 20; ++i) strayRecords.push_back({2u + i, "x"});
  const Row rows[] = {
      {"h\r\na\r\nb\r\n", {{1, "h"}, {2, "a"}, {3, "b"}}},
      {"a\nb", {{1, "a"}, {2, "b"}}},
      {"a\r\n\r\n", {{1, "a"}, {2, ""}}},
      {"a,\"x\r\ny\",1\r\nb\r\n", {{1, "a,\"x\r\ny\",1"}, {3, "b"}}},
      {"a,5\" disk,1\r\nb\r\n", {{1, "a,5\" disk,1"}, {2, "b"}}},
      {"a,\"\"\"\",1\nb\n", {{1, "a,\"\"\"\",1"}, {2, "b"}}},
      // An unclosed quote at the end gives up its lines one by one.
      {"a\r\nb,\"c\r\nd\r\n", {{1, "a"}, {2, "b,\"c"}, {3, "d"}}},
      {stray, strayRecords},
      // CR alone ends a line too (a Macintosh spreadsheet's save).
      {"a\rb\r\r\nc\r", {{1, "a"}, {2, "b"}, {3, ""}, {4, "c"}}},
      // A stray quote gives up at the next line that starts like a record.
      {"2001/11/29,\"k,g,1\r\n2001/11/30,k,g,2\r\n\"2001/12/1\",k,g,3\r\n",
       {{1, "2001/11/29,\"k,g,1"}, {2, "2001/11/30,k,g,2"}, {3, "\"2001/12/1\",k,g,3"}}},
      {"a,\"x\r\ny\r\n\"2001/12/1\",k,g,3\r\n",
       {{1, "a,\"x"}, {2, "y"}, {3, "\"2001/12/1\",k,g,3"}}},
      // A line too long to be a purchase: only its start is kept.
      {std::string(70000, '\0') + "\r\nb",
       {{1, std::string(LedgerScanner::kMaxRecordBytes, '\0')}, {2, "b"}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.bytes);
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{3}, row.bytes.size()}) {
      std::vector<std::pair<std::uint64_t, std::string>> got;
      std::uint64_t expectedOffset = 0;
      LedgerScanner scanner([&](const LedgerScanner::Place& place, std::string_view text) {
        EXPECT_EQ(place.offset, expectedOffset);
        expectedOffset += place.size;
        got.emplace_back(place.line, std::string(text));
      });
      for (std::size_t i = 0; i < row.bytes.size(); i += chunk) {
        scanner.Feed(std::string_view(row.bytes).substr(i, chunk));
      }
      scanner.Finish();
      EXPECT_EQ(got, row.records) << "chunk " << chunk;
      EXPECT_EQ(expectedOffset, row.bytes.size());
    }
  }
}

TEST(LedgerReader, TellsTheEncodingByTheMark) {
  EXPECT_EQ(LedgerEncodingOf("\xEF\xBB\xBF"
                             "2001"),
            LedgerEncoding::Utf8);
  EXPECT_EQ(LedgerEncodingOf("\xEF\xBB"), LedgerEncoding::Cp932);
  EXPECT_EQ(LedgerEncodingOf("\xFF\xFE"
                             "2"),
            LedgerEncoding::Utf16);
  EXPECT_EQ(LedgerEncodingOf("\xFE\xFF"), LedgerEncoding::Utf16);
  EXPECT_EQ(LedgerEncodingOf(kFood), LedgerEncoding::Cp932);
  EXPECT_EQ(LedgerTextToUtf8(kFood, LedgerEncoding::Cp932), "食費");
  EXPECT_EQ(LedgerTextToUtf8("食\xE8費", LedgerEncoding::Utf8), "食\uFFFD費");
}

}  // namespace
}  // namespace mametan
