#pragma once
// The ledger as the viewer holds it: the ledger is read as a stream and only
// the chosen month's purchases, the totals of every month and the lines that
// could not be read are kept, so a ledger of millions of lines needs little
// memory. It follows the file: when the bytes already read are still there
// (a hash per chunk proves it), only what was appended is read; any other
// change (an edit anywhere, a spreadsheet's save, a truncation, another file
// put in its place) reads it all again.
#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/entry/LedgerReader.h"
#include "core/platform/FileIo.h"

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

// A purchase as the book keeps it; its texts lie in the book's store and
// last until the book changes.
struct LedgerEntryView {
  LedgerDate date;
  // The date's text as the file has it; empty when that is the usual
  // "yyyy/mm/dd", which is not stored.
  std::string_view writtenDate;
  std::string_view kind;
  std::string_view goods;
  std::int64_t price = 0;
  std::uint64_t line = 0;

  std::string DateText() const;
};

// The chosen month's purchases, packed: each one's numbers in 32 bytes and
// its texts side by side in large blocks, so that a month of a million
// purchases costs some 60 MB, and growing never copies them all at once.
class LedgerEntries {
 public:
  void push_back(const LedgerEntry& entry);
  void pop_back();
  void clear();
  std::size_t size() const { return m_packed.size(); }
  bool empty() const { return m_packed.empty(); }
  LedgerEntryView operator[](std::size_t i) const;
  LedgerEntryView back() const { return (*this)[size() - 1]; }

 private:
  struct Packed {
    std::uint64_t line;
    std::int64_t price;
    // Where the texts are: the date's (unless usual), the kind, the goods,
    // which end where the next purchase's texts start or the block ends.
    std::uint32_t block;
    std::uint32_t offset;
    std::int16_t year;
    std::uint16_t kindSize;  // a record is at most 64 KB, its kind less
    std::uint8_t month;
    std::uint8_t day;
    std::uint8_t dateSize;
  };
  static_assert(sizeof(Packed) == 32);
  static constexpr std::size_t kBlock = std::size_t{1} << 20;

  std::deque<Packed> m_packed;
  std::vector<std::string> m_blocks;  // each reserved whole, so never moved
};

class LedgerBook {
 public:
  // Folder and NotAFile (a pipe, a device): something other than a file is
  // at the path; it is never opened for reading. Utf16: a UTF-16 file,
  // which has no lines to read.
  enum class Status { Ok, Missing, Unreadable, Folder, NotAFile, Utf16 };

  // At most this many unreadable lines are kept for the list; all are counted.
  static constexpr std::size_t kMaxListed = 1000;
  static constexpr std::size_t kMaxListedBytes = 1000;
  // The file is read, and its bytes hashed, in chunks of this size.
  static constexpr std::size_t kChunk = std::size_t{1} << 20;

  LedgerBook() = default;
  LedgerBook(const LedgerBook&) = delete;  // its scanner calls back into it
  LedgerBook& operator=(const LedgerBook&) = delete;

  // How long one step of reading may take; none: read to the end at once.
  using Budget = std::optional<std::chrono::milliseconds>;

  // Reads the file at `path` (UTF-8). Keeps the purchases of `month` (a
  // MonthKey), or of the latest month in the file when `month` is 0.
  // With a budget, a large file may be left partly read (reading() is true);
  // Continue() reads on. Until then the months, the entries and the
  // unreadable lines are those of the part read so far.
  Status Load(const std::string& path, int month = 0, Budget budget = {});
  // Reads the file again after a change, or only what was appended.
  Status Refresh(Budget budget = {});
  // Goes on with a read that Load or Refresh left unfinished.
  Status Continue(Budget budget = {});
  bool reading() const { return m_reading != nullptr; }
  // The bytes read (or compared with what was read before) so far, and the
  // file's size when this read began.
  std::uint64_t bytesRead() const { return m_checked ? *m_checked * kChunk : m_size; }
  std::uint64_t bytesToRead() const { return m_stamp.size; }
  // Keeps another month's purchases, read from that month's part of the
  // file; an unfinished read is finished first.
  Status SelectMonth(int month);

  // A record of the chosen month as the file holds it now: where it starts
  // and its bytes, line end included. Nothing when the file no longer has a
  // record that starts on that line within the month's part of the file.
  struct Record {
    std::uint64_t offset = 0;
    std::string bytes;
  };
  std::optional<Record> FindRecord(std::uint64_t line) const;

  const std::string& path() const { return m_path; }
  int selectedMonth() const { return m_month; }
  // The latest month with a purchase; 0 when there is none.
  int latestMonth() const { return m_months.empty() ? 0 : m_months.rbegin()->first; }
  const std::map<int, MonthSummary>& months() const { return m_months; }
  const LedgerEntries& entries() const { return m_entries; }
  std::uint64_t unreadableCount() const { return m_unreadableCount; }
  const std::vector<UnreadableLine>& unreadable() const { return m_unreadable; }
  // How the texts of entries() and unreadable() are encoded.
  LedgerEncoding encoding() const { return m_encoding; }

 private:
  // What a record of the unfinished end did, to be taken back when more
  // bytes arrive and the record is read again with them.
  struct TailEffect {
    int month = -1;  // the month it was added to, or -1
    MonthSummary before;
    bool entry = false;
    bool unreadable = false;
    bool listed = false;
    std::uint64_t line = 0;
  };

  void Clear();
  Status Open(ReadOnlyFile& file) const;
  void Stamp(const ReadOnlyFile& file);
  enum class Step { Done, More, Failed };
  using Deadline = std::optional<std::chrono::steady_clock::time_point>;
  Step Check(const ReadOnlyFile& file, Deadline deadline);
  Step ReadOn(const ReadOnlyFile& file, Deadline deadline);
  Status Go(std::unique_ptr<ReadOnlyFile> file, Budget budget, bool fresh);
  void UndoTail();
  void Take(const LedgerScanner::Place& place, std::string_view text);

  std::string m_path;
  int m_month = 0;
  bool m_followLatest = false;  // the month is chosen by the file, not yet by the user
  std::map<int, MonthSummary> m_months;
  LedgerEntries m_entries;
  std::uint64_t m_unreadableCount = 0;
  std::vector<UnreadableLine> m_unreadable;

  LedgerEncoding m_encoding = LedgerEncoding::Cp932;

  // What has been read: the file's first `m_size` bytes, a hash of each
  // chunk of them (the last one partial), and the scanner fed with them,
  // whose unfinished end (a last line without its line end) was read as if
  // the file ended there, with what that did kept in `m_tail`.
  std::optional<LedgerScanner> m_scanner;   // none: read it all again
  std::unique_ptr<ReadOnlyFile> m_reading;  // the file of an unfinished read
  bool m_readingFresh = false;              // that read began with an empty book
  // While the chunks read before are compared with their hashes: the next
  // chunk to compare.
  std::optional<std::size_t> m_checked;
  std::uint64_t m_size = 0;
  std::vector<std::uint64_t> m_hashes;
  std::vector<TailEffect> m_tail;
  bool m_inTail = false;
  // The file when it was read; a stamp taken within a few seconds of the
  // file's last write does not prove that nothing changed since (the
  // system's clock ticks coarsely), so it is checked by content next time.
  FileStamp m_stamp;
  bool m_stampRecent = true;
};

}  // namespace mametan
