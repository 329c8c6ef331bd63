#pragma once
// The rules of one entry in the input window that do not depend on widgets:
// which field is refused first, with which message, and the price with tax.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/entry/Ledger.h"

namespace mametan {

// p x (100 + t) / 100, exact in 64 bits, truncated toward zero. Nothing when
// the result leaves the signed 32-bit range or the rate is negative.
std::optional<std::int32_t> PriceAfterTax(std::int32_t price, std::int32_t taxPercent);

enum class EntryField { None, Date, Kind, Goods, Price, Tax };

struct EntryProblem {
  EntryField field = EntryField::None;
  std::string message;          // empty when the entry may be written
  bool dateIncomplete = false;  // shown as the date field's own error
  explicit operator bool() const { return field != EntryField::None; }
};

struct EntryTexts {
  std::string date;   // the date field's Text, UTF-8
  bool dateComplete;  // every required date position filled
  std::string kind;   // UTF-8
  // The classification file's bytes when the kind was picked unchanged from
  // the list; nothing when it was typed.
  std::optional<std::string> kindBytes;
  std::string goods;  // UTF-8
  std::string price;  // UTF-8
  bool autoTax;
  std::int32_t tax;
  // The goods' bytes read from the ledger while the field still shows them
  // unchanged (a correction); nothing for typed goods.
  std::optional<std::string> goodsBytes = std::nullopt;
};

// An entry that passed its checks, as the ledger takes it, or the first
// thing refused.
struct CheckedEntry {
  LedgerRecord record;  // valid when `problem` is empty
  EntryProblem problem;
};

// Whether a date field's text "yyyy/mm/dd" (any separator) names a day of
// the calendar: every digit position filled, year 1-9999, month 1-12, the
// day within the month (29 February in leap years of the Gregorian rule).
bool IsCalendarDate(std::string_view text);

// A text as a one-line field shows it: a trailing line break dropped, each
// inner line break (CR LF, CR or LF) and tab a blank.
std::string AsShown(std::string_view text);

// Checks in order: date, kind, goods, price, tax rate; the first failure wins.
// A date must be a day of the calendar after the field's own checks. The kind
// and the goods are taken as their fields show them (AsShown).
// Typed text may not carry the code points that stand for raw bytes (only
// bytes from a file may: kindBytes, goodsBytes), and a kind may not end in a
// lone lead byte, which would swallow the separator after it. With automatic tax the rate must lie
// in 0..100, the range the setup dialog allows. Each text is encoded to code
// page 932 once, here; the record holds those bytes and the amount to write.
CheckedEntry CheckEntry(const EntryTexts& entry);

}  // namespace mametan
