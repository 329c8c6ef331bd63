#pragma once
// Reading the ledger back: the inverse of the ledger writer, and tolerant of
// what a spreadsheet writes when it saves the file again (every field quoted,
// LF or CR alone instead of CR LF, a last line without a line end, empty
// lines, empty columns after the price, UTF-8 with its byte-order mark). The
// bytes stay as in the file: kinds are grouped by their exact bytes, so a
// kind copied from the classification file's raw bytes stays distinct.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace mametan {

struct LedgerDate {
  int year = 0;
  int month = 0;  // 1-12
  int day = 0;    // 1-31, valid for the month

  bool operator==(const LedgerDate&) const = default;
};

// One purchase as read from the ledger. Texts are code page 932 bytes with
// the quoting undone.
struct LedgerEntry {
  LedgerDate date;
  std::string dateText;
  std::string kind;
  std::string goods;
  std::int64_t price = 0;  // within the 32-bit range the writer can write
  std::uint64_t line = 0;  // 1-based line of the file where the record starts
};

enum class LedgerLineKind { Entry, Header, Blank, Unreadable };

// A ledger is code page 932 unless it starts with a byte-order mark: UTF-8's
// (a spreadsheet's "CSV UTF-8") is read and appended to in UTF-8; UTF-16's
// cannot be read as lines at all.
enum class LedgerEncoding { Cp932, Utf8, Utf16 };
inline constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The encoding told by the file's first bytes (three are enough).
LedgerEncoding LedgerEncodingOf(std::string_view head);

// A text read from a ledger in `encoding`, as UTF-8 for display: code page
// 932 decoded; UTF-8 kept, with each malformed byte shown as U+FFFD.
std::string LedgerTextToUtf8(std::string_view bytes, LedgerEncoding encoding);

// Reads one record (its line end removed; a quoted field may hold line
// breaks). Header is the column-title line "日付,種類,商品名,価格", quoted or
// not, in the ledger's encoding; Blank a line with no text in any field (a
// spreadsheet's empty row). Empty fields after the price are ignored. `out`
// is filled only for Entry.
LedgerLineKind ParseLedgerLine(std::string_view text, LedgerEntry& out,
                               LedgerEncoding encoding = LedgerEncoding::Cp932);

// Parses a date as the input window writes it (2001/11/29) or as a
// spreadsheet may write it back (2001/1/5, 2001-01-05); false for anything
// else, including dates that do not exist.
bool ParseLedgerDate(std::string_view text, LedgerDate& out);

// Cuts a byte stream into records at CR LF, LF or CR alone: a line break
// inside a quoted field does not end the record. A quote that is never
// closed swallows at most a few lines, and never a line that starts like a
// record (a date and a comma): the record's first line is then given alone
// (it will not parse) and reading goes on with the line after it, so one
// stray quote never hides the rest of the file. A line longer than
// kMaxRecordBytes is given as `tooLong` with its first kMaxRecordBytes only:
// memory stays bounded whatever the file holds.
class LedgerScanner {
 public:
  // Where a record lies: its first line's number, its first byte's offset in
  // the stream and its size in bytes with the line end.
  struct Place {
    std::uint64_t line = 0;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    bool tooLong = false;  // the text is only the line's start
  };
  // Called for each record with its text without the line end.
  using RecordFn = std::function<void(const Place& place, std::string_view text)>;

  explicit LedgerScanner(RecordFn onRecord, std::uint64_t firstLine = 1,
                         std::uint64_t firstOffset = 0)
      : m_onRecord(std::move(onRecord)), m_nextLine(firstLine), m_nextOffset(firstOffset) {}

  void Feed(std::string_view bytes);
  // Gives the last record, also when it has no line end.
  void Finish();

  // A record spanning more lines or bytes than this is taken to be a stray
  // quote; a line longer than kMaxRecordBytes is not kept whole.
  static constexpr std::size_t kMaxRecordLines = 16;
  static constexpr std::size_t kMaxRecordBytes = std::size_t{64} * 1024;

 private:
  void AddToLine(std::string_view part);
  void EndLine();
  void TakeLine(std::string_view line, std::uint64_t size);
  void GiveUpRecord();

  RecordFn m_onRecord;
  std::uint64_t m_nextLine;
  std::uint64_t m_nextOffset;
  std::string m_buffer;               // a line not yet ended, its first kMaxRecordBytes
  std::uint64_t m_bufferSize = 0;     // its whole size
  bool m_crLast = false;              // it ends in CR: an LF may follow in the next bytes
  std::string m_record;               // lines of a record with an open quote
  std::vector<std::size_t> m_starts;  // where each of its lines starts
  Place m_recordPlace;
};

}  // namespace mametan
