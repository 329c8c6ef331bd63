#include "core/viewer/LedgerBook.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "tests/support/ScratchFiles.h"

namespace mametan {
namespace {

using test::ReadBytes;
using test::ScratchDir;
using test::WriteBytes;

struct Totals {
  std::map<int, std::pair<std::int64_t, std::uint64_t>> months;  // total, count
  std::uint64_t unreadable = 0;
  bool operator==(const Totals&) const = default;
};

// The test's own sum: every line it writes is "yyyy/mm/dd,k,g,price" or
// garbage, so a plain sscanf tells them apart.
Totals SumOf(const std::string& bytes) {
  Totals totals;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string::npos) end = bytes.size();
    const std::string line = bytes.substr(start, end - start);
    start = end + (bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    int y = 0, m = 0, d = 0, price = 0, used = 0;
    if (std::sscanf(line.c_str(), "%4d/%2d/%2d,k,g,%d%n", &y, &m, &d, &price, &used) == 4 &&
        used == static_cast<int>(line.size())) {
      auto& [total, count] = totals.months[MonthKey(y, m)];
      total += price;
      ++count;
    } else if (!line.empty()) {
      ++totals.unreadable;
    }
  }
  return totals;
}

Totals BookTotals(const LedgerBook& book) {
  Totals totals;
  for (const auto& [key, month] : book.months()) totals.months[key] = {month.total, month.count};
  totals.unreadable = book.unreadableCount();
  return totals;
}

std::string Lines(int from, int count, int price = 100) {
  std::string bytes;
  char line[64];
  for (int i = from; i < from + count; ++i) {
    std::snprintf(line, sizeof line, "%04d/%02d/%02d,k,g,%d\r\n", 2001 + i / 300, i / 25 % 12 + 1,
                  i % 25 + 1, price + i % 7);
    bytes += line;
  }
  return bytes;
}

enum class How { Append, InPlace, Rename, Rewrite };

// Every total the book shows equals the file's own sum after each kind of
// change, whether the file's stamp was old or fresh when it was read, and
// whether it was read at once or a chunk at a time.
TEST(LedgerBook, EveryChangeGivesTheFilesTotals) {
  struct Case {
    const char* what;
    std::string before;
    How how;
    std::string after;
  };
  const std::string ten = Lines(0, 10);
  const std::string big = Lines(0, 60000);  // over one chunk
  std::string priceFixed = ten;
  priceFixed.replace(priceFixed.find(",100\r\n"), 6, ",900\r\n");
  std::string moved = ten;
  moved.replace(0, 10, "2001/02/01");
  std::string bigEdited = big;
  bigEdited.replace(bigEdited.find(",101\r\n"), 6, ",999\r\n");
  const Case cases[] = {
      {"append", ten, How::Append, ten + Lines(10, 3)},
      {"append to a big file", big, How::Append, big + Lines(60000, 2)},
      {"a price fixed far before the end", ten + Lines(10, 5), How::InPlace,
       priceFixed + Lines(10, 5)},
      {"a purchase moved to another month", ten, How::InPlace, moved},
      {"an edit in the first chunk of a big file", big, How::InPlace, bigEdited},
      {"edited by a spreadsheet's save (replaced)", ten, How::Rename, priceFixed},
      {"the same bytes in a new file, grown", ten, How::Rename, ten + Lines(10, 1)},
      {"cut short", ten, How::Rewrite, Lines(0, 4)},
      {"cut and grown again past the old end", ten, How::Rewrite, Lines(3, 12, 50)},
      {"last line without its end, then finished", ten + "2001/05/05,k,g,1", How::Append,
       ten + "2001/05/05,k,g,100\r\n"},
      {"last line without its end, then a new line", ten + "2001/05/05,k,g,1", How::Append,
       ten + "2001/05/05,k,g,1\r\n2001/06/01,k,g,7\r\n"},
      {"unfinished garbage becoming a purchase", ten + "2001/05", How::Append,
       ten + "2001/05/05,k,g,3"},
      {"CR-only line ends, appended to", "2001/01/01,k,g,1\r2001/01/02,k,g,2\r", How::Append,
       "2001/01/01,k,g,1\r2001/01/02,k,g,2\r\r\n2001/01/03,k,g,4\r\n"},
      {"a line end split between CR and LF", ten + "2001/05/05,k,g,1\r", How::Append,
       ten + "2001/05/05,k,g,1\r\n"},
      {"garbage appended", ten, How::Append, ten + "x\r\n"},
      // A purchase followed by more than a chunk of blanks is no purchase.
      {"a line too long to be a purchase", ten + "2001/11/29,k,g,1" + std::string(1500000, ' '),
       How::Append, ten + "2001/11/29,k,g,1" + std::string(1500000, ' ') + "\r\n" + Lines(20, 2)},
  };
  for (const Case& c : cases) {
    for (const int mode : {0, 1, 2}) {
      const bool aged = mode > 0;
      const bool stepped = mode == 2;
      SCOPED_TRACE(std::string(c.what) + (aged ? ", old stamp" : ", fresh stamp") +
                   (stepped ? ", in steps" : ""));
      // A budget of nothing reads one chunk per step.
      const LedgerBook::Budget budget =
          stepped ? LedgerBook::Budget(std::chrono::milliseconds{0}) : std::nullopt;
      LedgerBook book;
      const auto finish = [&](LedgerBook::Status status) {
        while (status == LedgerBook::Status::Ok && book.reading()) status = book.Continue(budget);
        return status;
      };
      ScratchDir dir;
      const std::string path = dir / "kakeibo.csv";
      WriteBytes(path, c.before);
      if (aged) {
        std::filesystem::last_write_time(
            path, std::filesystem::last_write_time(path) - std::chrono::hours(1));
      }
      const LedgerBook::Status loaded = book.Load(path, 0, budget);
      if (stepped) {
        EXPECT_EQ(book.reading(), c.before.size() > LedgerBook::kChunk);
      }
      ASSERT_EQ(finish(loaded), LedgerBook::Status::Ok);
      ASSERT_EQ(BookTotals(book), SumOf(c.before));
      switch (c.how) {
        case How::Append:
          ASSERT_EQ(c.after.compare(0, c.before.size(), c.before), 0);
          std::ofstream(path, std::ios::binary | std::ios::app) << c.after.substr(c.before.size());
          break;
        case How::InPlace: {
          ASSERT_EQ(c.after.size(), c.before.size());
          std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
          std::size_t at = 0;
          while (c.after[at] == c.before[at]) ++at;
          file.seekp(static_cast<std::streamoff>(at));
          file << c.after.substr(at, c.after.size() - at);
          break;
        }
        case How::Rename:
          WriteBytes(path + ".new", c.after);
          std::filesystem::rename(path + ".new", path);
          break;
        case How::Rewrite:
          WriteBytes(path, c.after);
          break;
      }
      ASSERT_EQ(ReadBytes(path), c.after);
      const Totals after = SumOf(c.after);
      for (int again = 0; again < 2; ++again) {
        ASSERT_EQ(finish(book.Refresh(budget)), LedgerBook::Status::Ok);
        EXPECT_EQ(BookTotals(book), after) << "refresh " << again;
        // The month on screen agrees with the strip.
        std::int64_t shown = 0;
        for (std::size_t i = 0; i < book.entries().size(); ++i) shown += book.entries()[i].price;
        const auto month = after.months.find(book.selectedMonth());
        EXPECT_EQ(shown, month == after.months.end() ? 0 : month->second.first);
      }
    }
  }
}

// Whatever is at the ledger's path is reported for what it is, and the book
// reads the ledger again once it is back.
TEST(LedgerBook, TellsWhatIsInPlaceOfTheLedger) {
  ScratchDir dir;
  const std::string path = dir / "kakeibo.csv";
  const std::pair<std::function<void()>, LedgerBook::Status> cases[] = {
      {[] {}, LedgerBook::Status::Missing},
      {[&] { std::filesystem::create_directory(path); }, LedgerBook::Status::Folder},
      {[&] {
         WriteBytes(path, std::string("\xFF\xFE"
                                      "2\0000\0\r\0\n\0",
                                      10));
       },
       LedgerBook::Status::Utf16},
      {[&] {
         WriteBytes(path, std::string("\xFE\xFF\0"
                                      "2\0\n",
                                      6));
       },
       LedgerBook::Status::Utf16},
#ifndef _WIN32
      // Never opened for a read that would wait for a writer.
      {[&] { ASSERT_EQ(mkfifo(path.c_str(), 0600), 0); }, LedgerBook::Status::NotAFile},
      {[&] { std::filesystem::create_symlink("/dev/zero", path); }, LedgerBook::Status::NotAFile},
#endif
  };
  for (const auto& [make, status] : cases) {
    WriteBytes(path, Lines(0, 3));
    LedgerBook book;
    ASSERT_EQ(book.Load(path), LedgerBook::Status::Ok);
    std::filesystem::remove(path);
    make();
    EXPECT_EQ(book.Refresh(), status);
    EXPECT_TRUE(book.months().empty());
    EXPECT_EQ(book.unreadableCount(), 0u) << "nothing read as lines";
    EXPECT_EQ(book.Load(path), status);
    std::filesystem::remove(path);
    WriteBytes(path, Lines(0, 2));
    EXPECT_EQ(book.Refresh(), LedgerBook::Status::Ok);
    EXPECT_EQ(BookTotals(book), SumOf(Lines(0, 2)));
    std::filesystem::remove(path);
  }
}

}  // namespace
}  // namespace mametan
