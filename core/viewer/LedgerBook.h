#pragma once
// The ledger as the viewer holds it: the ledger is read as a stream and only
// the chosen month's purchases, the totals of every month and the lines that
// could not be read are kept, so a ledger of millions of lines needs little
// memory. It follows the file: what was appended is read on its own, and
// anything else (a spreadsheet's save, a truncation) reads it all again.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/entry/LedgerReader.h"

namespace mametan {

// A month as one number, year * 12 + month - 1, so that neighbours differ by one.
inline constexpr int MonthKey(int year, int month) { return year * 12 + month - 1; }
inline constexpr int KeyYear(int key) { return key / 12; }
inline constexpr int KeyMonth(int key) { return key % 12 + 1; }

struct MonthSummary {
  std::int64_t total = 0;
  std::uint64_t count = 0;
  // The bytes of the file where the month's lines lie, from the first one's
  // start to the last one's end, and the first one's line number.
  std::uint64_t firstOffset = 0;
  std::uint64_t endOffset = 0;
  std::uint64_t firstLine = 0;
};

struct UnreadableLine {
  std::uint64_t line = 0;
  // Code page 932 bytes as in the file, line end removed; a long line is
  // cut after kMaxListedBytes at a character's end, followed by "...".
  std::string text;
};

class LedgerBook {
 public:
  enum class Status { Ok, Missing, Unreadable };

  // At most this many unreadable lines are kept for the list; all are counted.
  static constexpr std::size_t kMaxListed = 1000;
  static constexpr std::size_t kMaxListedBytes = 1000;

  // Reads the file at `path` (UTF-8). Keeps the purchases of `month` (a
  // MonthKey), or of the latest month in the file when `month` is 0.
  Status Load(const std::string& path, int month = 0);
  // Reads the file again after a change.
  Status Refresh();
  // Keeps another month's purchases, read from that month's part of the file.
  Status SelectMonth(int month);

  const std::string& path() const { return m_path; }
  int selectedMonth() const { return m_month; }
  // The latest month with a purchase; 0 when there is none.
  int latestMonth() const { return m_months.empty() ? 0 : m_months.rbegin()->first; }
  const std::map<int, MonthSummary>& months() const { return m_months; }
  const std::vector<LedgerEntry>& entries() const { return m_entries; }
  std::uint64_t unreadableCount() const { return m_unreadableCount; }
  const std::vector<UnreadableLine>& unreadable() const { return m_unreadable; }

 private:
  void Clear();
  Status ReadFrom(std::uint64_t offset, std::uint64_t firstLine);
  void Take(const LedgerScanner::Place& place, std::string_view text);

  std::string m_path;
  int m_month = 0;
  bool m_followLatest = false;  // the month is chosen by the file, not yet by the user
  std::map<int, MonthSummary> m_months;
  std::vector<LedgerEntry> m_entries;
  std::uint64_t m_unreadableCount = 0;
  std::vector<UnreadableLine> m_unreadable;

  // What has been read: up to `m_readEnd`, which ends a record, with the
  // bytes just before it to recognise the same file when it has grown.
  std::uint64_t m_readEnd = 0;
  std::uint64_t m_nextLine = 1;
  std::string m_tail;
  bool m_clean = false;  // the read ended at the end of a record
};

}  // namespace mametan
