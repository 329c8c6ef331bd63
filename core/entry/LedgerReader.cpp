#include "core/entry/LedgerReader.h"

#include <array>
#include <cstring>
#include <limits>

#include "core/entry/Ledger.h"
#include "core/platform/Cp932.h"
#include "core/platform/Utf8.h"

namespace mametan {
namespace {

constexpr std::size_t npos = std::string_view::npos;

// True when `text` ends inside a quoted field. A quote opens a field only at
// the field's start; elsewhere it is an ordinary byte, as the writer of old
// wrote texts unquoted.
bool EndsInQuotes(std::string_view text) {
  if (text.find('"') == npos) return false;
  bool quoted = false;
  bool fieldStart = true;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"') {
        if (i + 1 < text.size() && text[i + 1] == '"') {
          ++i;
        } else {
          quoted = false;
        }
      }
    } else if (c == ',' || c == '\n') {
      fieldStart = true;
      continue;
    } else if (c == '"' && fieldStart) {
      quoted = true;
    }
    fieldStart = false;
  }
  return quoted;
}

std::string_view WithoutLineEnd(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Splits a record into at most four fields; false when a quoted field is
// not closed or is followed by anything but a comma, or there are more
// fields with text (a spreadsheet writes empty ones for a column once used).
bool SplitFields(std::string_view text, std::array<std::string, 4>& fields, std::size_t& count) {
  count = 0;
  std::size_t i = 0;
  for (;;) {
    if (count == fields.size()) return text.find_first_not_of(',', i) == npos;
    std::string& field = fields[count++];
    field.clear();
    if (i < text.size() && text[i] == '"') {
      ++i;
      for (;;) {
        const std::size_t q = text.find('"', i);
        if (q == npos) return false;
        field.append(text.substr(i, q - i));
        i = q + 1;
        if (i < text.size() && text[i] == '"') {
          field += '"';
          ++i;
          continue;
        }
        break;
      }
      if (i == text.size()) return true;
      if (text[i] != ',') return false;
      ++i;
    } else {
      const std::size_t comma = text.find(',', i);
      field.assign(text.substr(i, comma == npos ? npos : comma - i));
      if (comma == npos) return true;
      i = comma + 1;
    }
  }
}

bool ParseNumber(std::string_view digits, int& out) {
  if (digits.empty() || digits.size() > 4) return false;
  out = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return false;
    out = out * 10 + (c - '0');
  }
  return true;
}

// Plain decimal as the writer writes it, or grouped by threes with commas
// as a spreadsheet may save it ("1,050"); within the 32-bit range.
bool ParsePrice(std::string_view text, std::int64_t& out) {
  text = TrimBlanks(text);
  const bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  if (text.empty()) return false;
  if (const std::size_t first = text.find(','); first != npos) {
    if (first == 0 || first > 3 || (text.size() - first) % 4 != 0) return false;
    for (std::size_t i = first; i < text.size(); ++i) {
      if ((text[i] == ',') != ((i - first) % 4 == 0)) return false;
    }
  }
  std::int64_t value = 0;
  for (const char c : text) {
    if (c == ',') continue;
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
    if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return false;
  }
  if (negative) value = -value;
  if (value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    return false;
  }
  out = value;
  return true;
}

int DaysInMonth(int year, int month) {
  static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

bool IsHeader(const std::array<std::string, 4>& fields, LedgerEncoding encoding) {
  // The header's four titles, without its line end.
  static constexpr std::string_view kTitles = kLedgerHeader.substr(0, kLedgerHeader.size() - 2);
  std::string_view rest = encoding == LedgerEncoding::Utf8 ? "日付,種類,商品名,価格" : kTitles;
  for (const std::string& field : fields) {
    const std::size_t comma = rest.find(',');
    if (rest.substr(0, comma) != field) return false;
    rest = comma == npos ? std::string_view() : rest.substr(comma + 1);
  }
  return true;
}

// A line that a record could start with: a date, quoted or not, and a comma.
bool StartsLikeRecord(std::string_view line) {
  std::size_t end = 0;
  if (!line.empty() && line.front() == '"') {
    end = line.find('"', 1);
    if (end == npos || end + 1 >= line.size() || line[end + 1] != ',') return false;
    line = line.substr(1, end - 1);
  } else {
    end = line.find(',');
    if (end == npos) return false;
    line = line.substr(0, end);
  }
  LedgerDate date;
  return ParseLedgerDate(line, date);
}

}  // namespace

LedgerEncoding LedgerEncodingOf(std::string_view head) {
  if (head.substr(0, 3) == kUtf8Mark) return LedgerEncoding::Utf8;
  if (head.substr(0, 2) == "\xFF\xFE" || head.substr(0, 2) == "\xFE\xFF") {
    return LedgerEncoding::Utf16;
  }
  return LedgerEncoding::Cp932;
}

std::string LedgerTextToUtf8(std::string_view bytes, LedgerEncoding encoding) {
  if (encoding != LedgerEncoding::Utf8) return cp932::Decode(bytes);
  std::string text;
  text.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    char32_t cp = 0;
    const std::size_t length = utf8::DecodeOne(bytes, i, cp);
    if (length == 0) {
      text += "\xEF\xBF\xBD";
      ++i;
    } else {
      text.append(bytes.substr(i, length));
      i += length;
    }
  }
  return text;
}

bool ParseLedgerDate(std::string_view text, LedgerDate& out) {
  text = TrimBlanks(text);
  const std::size_t first = text.find_first_of("/-");
  if (first != 4) return false;
  const char sep = text[first];
  const std::size_t second = text.find(sep, first + 1);
  if (second == npos) return false;
  const std::string_view monthText = text.substr(first + 1, second - first - 1);
  const std::string_view dayText = text.substr(second + 1);
  LedgerDate date;
  if (monthText.size() > 2 || dayText.size() > 2 || !ParseNumber(text.substr(0, 4), date.year) ||
      !ParseNumber(monthText, date.month) || !ParseNumber(dayText, date.day)) {
    return false;
  }
  if (date.year < 1 || date.month < 1 || date.month > 12 || date.day < 1 ||
      date.day > DaysInMonth(date.year, date.month)) {
    return false;
  }
  out = date;
  return true;
}

LedgerLineKind ParseLedgerLine(std::string_view text, LedgerEntry& out, LedgerEncoding encoding) {
  std::array<std::string, 4> fields;
  std::size_t count = 0;
  const bool split = SplitFields(text, fields, count);
  if (split) {
    bool blank = true;
    for (std::size_t i = 0; i < count; ++i) blank = blank && TrimBlanks(fields[i]).empty();
    if (blank) return LedgerLineKind::Blank;
  }
  if (!split || count != 4) return LedgerLineKind::Unreadable;
  if (IsHeader(fields, encoding)) return LedgerLineKind::Header;
  LedgerDate date;
  std::int64_t price = 0;
  if (!ParseLedgerDate(fields[0], date) || !ParsePrice(fields[3], price)) {
    return LedgerLineKind::Unreadable;
  }
  out.date = date;
  out.dateText = std::move(fields[0]);
  out.kind = std::move(fields[1]);
  out.goods = std::move(fields[2]);
  out.price = price;
  return LedgerLineKind::Entry;
}

void LedgerScanner::Feed(std::string_view bytes) {
  std::size_t pos = 0;
  if (m_crLast && !bytes.empty()) {
    // The line ended in CR at the end of the last bytes: an LF now is its second half.
    m_crLast = false;
    if (bytes.front() == '\n') {
      AddToLine(bytes.substr(0, 1));
      pos = 1;
    }
    EndLine();
  }
  // Each line ends at an LF, or at a CR not followed by one. The next LF is
  // found once and kept, so that CR-only lines do not search the rest again.
  std::size_t lf = bytes.find('\n', pos);
  while (pos < bytes.size()) {
    if (lf != npos && lf < pos) lf = bytes.find('\n', pos);
    const std::size_t limit = lf == npos ? bytes.size() : lf;
    const auto* cr = static_cast<const char*>(std::memchr(bytes.data() + pos, '\r', limit - pos));
    std::size_t stop = 0;  // just after the line end
    if (cr != nullptr) {
      const auto at = static_cast<std::size_t>(cr - bytes.data());
      if (at + 1 == bytes.size()) {
        AddToLine(bytes.substr(pos));
        m_crLast = true;
        return;
      }
      stop = bytes[at + 1] == '\n' ? at + 2 : at + 1;
    } else if (lf != npos) {
      stop = lf + 1;
    } else {
      AddToLine(bytes.substr(pos));
      return;
    }
    if (m_bufferSize == 0) {
      TakeLine(bytes.substr(pos, stop - pos), stop - pos);
    } else {
      AddToLine(bytes.substr(pos, stop - pos));
      EndLine();
    }
    pos = stop;
  }
}

void LedgerScanner::AddToLine(std::string_view part) {
  m_bufferSize += part.size();
  if (m_buffer.size() < kMaxRecordBytes) {
    m_buffer.append(part.substr(0, kMaxRecordBytes - m_buffer.size()));
  }
}

void LedgerScanner::EndLine() {
  const std::string line = std::move(m_buffer);
  const std::uint64_t size = m_bufferSize;
  m_buffer.clear();
  m_bufferSize = 0;
  TakeLine(line, size);
}

void LedgerScanner::Finish() {
  m_crLast = false;
  if (m_bufferSize > 0) EndLine();
  while (!m_record.empty()) GiveUpRecord();
}

void LedgerScanner::TakeLine(std::string_view line, std::uint64_t size) {
  if (size > kMaxRecordBytes) {
    // Far longer than any purchase: told as unreadable without being kept.
    while (!m_record.empty()) GiveUpRecord();
    const Place place{m_nextLine++, m_nextOffset, size, true};
    m_nextOffset += size;
    m_onRecord(place, WithoutLineEnd(line.substr(0, kMaxRecordBytes)));
    return;
  }
  if (!m_record.empty() && StartsLikeRecord(line)) {
    while (!m_record.empty()) GiveUpRecord();
  }
  if (m_record.empty()) {
    if (!EndsInQuotes(line)) {
      const Place place{m_nextLine++, m_nextOffset, line.size()};
      m_nextOffset += line.size();
      m_onRecord(place, WithoutLineEnd(line));
      return;
    }
    m_recordPlace = Place{m_nextLine, m_nextOffset, 0};
  }
  m_starts.push_back(m_record.size());
  m_record.append(line);
  ++m_nextLine;
  m_nextOffset += line.size();
  if (!EndsInQuotes(m_record)) {
    const std::string record = std::move(m_record);
    m_record.clear();
    m_starts.clear();
    m_recordPlace.size = record.size();
    m_onRecord(m_recordPlace, WithoutLineEnd(record));
    return;
  }
  if (m_starts.size() >= kMaxRecordLines || m_record.size() > kMaxRecordBytes) GiveUpRecord();
}

void LedgerScanner::GiveUpRecord() {
  const std::string record = std::move(m_record);
  const std::vector<std::size_t> starts = std::move(m_starts);
  m_record.clear();
  m_starts.clear();
  const std::string_view all(record);
  const std::size_t second = starts.size() > 1 ? starts[1] : all.size();
  Place place = m_recordPlace;
  place.size = second;
  m_nextLine = place.line + 1;
  m_nextOffset = place.offset + second;
  m_onRecord(place, WithoutLineEnd(all.substr(0, second)));
  for (std::size_t i = 1; i < starts.size(); ++i) {
    const std::size_t end = i + 1 < starts.size() ? starts[i + 1] : all.size();
    TakeLine(all.substr(starts[i], end - starts[i]), end - starts[i]);
  }
}

}  // namespace mametan
