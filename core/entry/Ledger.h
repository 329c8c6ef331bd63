#pragma once
// The ledger: a CSV file in code page 932 that grows by one line per confirmed
// purchase. The tray program only appends to it and never reads it back; the
// viewer rewrites single lines (core/viewer/LedgerEdit.h).
#include <cstdint>
#include <string>
#include <string_view>

namespace mametan {

// One confirmed purchase, handed from the input window to the writer.
//
// The three texts are code page 932 BYTE strings, not UTF-8: the input window
// encodes what the user typed (refusing text that code page 932 cannot hold),
// and a kind taken unchanged from the kind box keeps the classification
// file's original bytes, because decoding and encoding again is not always
// byte-exact (some characters have two codes). The texts have no length limit.
struct LedgerRecord {
  std::string date;        // as the date field reads back, e.g. "2001/11/29"
  std::string kind;        // the classification
  std::string goods;       // the goods name
  std::int32_t price = 0;  // tax already added when the tax box was checked
};

enum class LedgerOutcome {
  Written,       // the line reached the file and the file was closed cleanly
  CannotCreate,  // the absent file could not be created (empty path, no folder, ...)
  CannotOpen,    // the file exists but cannot be opened for appending
  CannotWrite,   // the write or the close failed; the file is as it was before
};

// "日付,種類,商品名,価格" + CR LF in code page 932: the first line of a ledger
// that the writer creates itself.
inline constexpr std::string_view kLedgerHeader =
    "\x93\xFA\x95\x74,\x8E\xED\x97\xDE,\x8F\xA4\x95\x69\x96\xBC,\x89\xBF\x8A\x69\r\n";

// One record as a ledger line, CR LF included: date,kind,goods,price. A text
// holding a comma, a double quote, CR or LF becomes a quoted field with its
// quotes doubled, so the line still has four fields; every other text is
// written byte for byte, untrimmed. A text ends at its first NUL byte.
std::string FormatLedgerLine(const LedgerRecord& record);

// Appends one record to the ledger at `path` (UTF-8, relative to the start
// directory). An absent file is created first with the header line; an
// existing file gets no header, and when its last byte is not LF the line
// starts with CR LF, so that it never continues someone else's unfinished
// line. An existing file that starts with the UTF-8 byte-order mark (a
// spreadsheet's UTF-8 save) gets the line in UTF-8; those three bytes and
// the last one are all the writer looks at. The line (with that break) is written in
// one piece, so two running instances never mix their lines, and a failed
// write leaves the file exactly as it was. Shows nothing: the caller reports
// any outcome but Written (see LedgerFailureMessage) and keeps the entry.
LedgerOutcome WriteLedgerRecord(const LedgerRecord& record, const std::string& path);

// The message (UTF-8) the user sees for a failed outcome, shown with the
// caption "Message" and the stop icon; empty for Written.
//   CannotCreate: "家計簿ファイルが作成できません。"
//   CannotOpen:   "家計簿ファイルが開けません。"
//   CannotWrite:  "家計簿ファイルに書き込めません。"
std::string LedgerFailureMessage(LedgerOutcome outcome);

}  // namespace mametan
