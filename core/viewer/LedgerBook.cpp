#include "core/viewer/LedgerBook.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/platform/Cp932.h"

namespace mametan {
namespace {

constexpr std::size_t kChunk = 1 << 20;
constexpr std::size_t kTailBytes = 64;

std::filesystem::path FsPath(const std::string& utf8) {
  return std::filesystem::path(
      std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

LedgerBook::Status OpenLedger(const std::string& path, std::ifstream& in) {
  const std::filesystem::path fsPath = FsPath(path);
  std::error_code error;
  if (path.empty() || !std::filesystem::is_regular_file(fsPath, error)) {
    return LedgerBook::Status::Missing;
  }
  in.open(fsPath, std::ios::binary);
  return in ? LedgerBook::Status::Ok : LedgerBook::Status::Unreadable;
}

// Reads the bytes [offset, end) (or to the file's end) into `feed`, chunk by chunk.
template <typename Feed>
bool ReadRange(std::ifstream& in, std::uint64_t offset, std::uint64_t end, Feed&& feed) {
  in.seekg(static_cast<std::streamoff>(offset));
  if (!in) return false;
  std::string chunk(kChunk, '\0');
  std::uint64_t at = offset;
  while (at < end) {
    const std::uint64_t want = std::min<std::uint64_t>(kChunk, end - at);
    in.read(chunk.data(), static_cast<std::streamsize>(want));
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got > 0) feed(std::string_view(chunk.data(), got));
    at += got;
    if (got < want) return !in.bad();
  }
  return true;
}

constexpr std::uint64_t kToEnd = ~std::uint64_t{0};

// An unreadable line as kept for the list: a long one is cut short, never
// inside a double-byte character.
std::string Listed(std::string_view text) {
  if (text.size() <= LedgerBook::kMaxListedBytes) return std::string(text);
  std::size_t end = 0;
  while (end < LedgerBook::kMaxListedBytes) {
    end += cp932::IsLeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
  }
  if (end > LedgerBook::kMaxListedBytes) end -= 2;
  return std::string(text.substr(0, end)) + "...";
}

}  // namespace

void LedgerBook::Clear() {
  m_months.clear();
  m_entries.clear();
  m_unreadableCount = 0;
  m_unreadable.clear();
  m_readEnd = 0;
  m_nextLine = 1;
  m_tail.clear();
  m_clean = false;
}

LedgerBook::Status LedgerBook::Load(const std::string& path, int month) {
  m_path = path;
  m_month = month;
  m_followLatest = month == 0;
  Clear();
  const Status status = ReadFrom(0, 1);
  m_followLatest = false;
  return status;
}

LedgerBook::Status LedgerBook::Refresh() {
  if (!m_clean) return Load(m_path, m_month);
  std::ifstream in;
  if (const Status status = OpenLedger(m_path, in); status != Status::Ok) {
    Clear();
    return status;
  }
  in.seekg(0, std::ios::end);
  const auto size = static_cast<std::uint64_t>(in.tellg());
  if (!in || size < m_readEnd) return Load(m_path, m_month);
  std::string tail(m_tail.size(), '\0');
  in.seekg(static_cast<std::streamoff>(m_readEnd - m_tail.size()));
  in.read(tail.data(), static_cast<std::streamsize>(tail.size()));
  if (!in || tail != m_tail) return Load(m_path, m_month);
  if (size == m_readEnd) return Status::Ok;
  return ReadFrom(m_readEnd, m_nextLine);
}

LedgerBook::Status LedgerBook::ReadFrom(std::uint64_t offset, std::uint64_t firstLine) {
  std::ifstream in;
  if (const Status status = OpenLedger(m_path, in); status != Status::Ok) return status;
  LedgerScanner scanner(
      [this](const LedgerScanner::Place& place, std::string_view text) { Take(place, text); },
      firstLine, offset);
  std::uint64_t end = offset;
  std::string last;
  const bool ok = ReadRange(in, offset, kToEnd, [&](std::string_view bytes) {
    scanner.Feed(bytes);
    end += bytes.size();
    if (bytes.size() >= kTailBytes) {
      last.assign(bytes.substr(bytes.size() - kTailBytes));
    } else {
      last.append(bytes);
      if (last.size() > kTailBytes) last.erase(0, last.size() - kTailBytes);
    }
  });
  m_clean = ok && scanner.AtRecordStart();
  if (m_clean) {
    // The bytes before the end: the previous tail continues into the new bytes.
    m_tail = (m_tail + last);
    if (m_tail.size() > kTailBytes) m_tail.erase(0, m_tail.size() - kTailBytes);
    m_readEnd = end;
    m_nextLine = scanner.nextLine();
  }
  scanner.Finish();
  return ok ? Status::Ok : Status::Unreadable;
}

void LedgerBook::Take(const LedgerScanner::Place& place, std::string_view text) {
  LedgerEntry entry;
  switch (ParseLedgerLine(text, entry)) {
    case LedgerLineKind::Header:
    case LedgerLineKind::Blank:
      return;
    case LedgerLineKind::Unreadable:
      ++m_unreadableCount;
      if (m_unreadable.size() < kMaxListed) m_unreadable.push_back({place.line, Listed(text)});
      return;
    case LedgerLineKind::Entry:
      break;
  }
  const int key = MonthKey(entry.date.year, entry.date.month);
  MonthSummary& month = m_months[key];
  if (month.count == 0) {
    month.firstOffset = place.offset;
    month.firstLine = place.line;
  }
  ++month.count;
  month.total += entry.price;
  month.endOffset = place.offset + place.size;
  if (m_followLatest && key > m_month) {
    m_month = key;
    m_entries.clear();
  }
  if (key == m_month) {
    entry.line = place.line;
    m_entries.push_back(std::move(entry));
  }
}

LedgerBook::Status LedgerBook::SelectMonth(int month) {
  m_month = month;
  m_entries.clear();
  const auto found = m_months.find(month);
  if (found == m_months.end()) return Status::Ok;
  const MonthSummary& summary = found->second;
  std::ifstream in;
  if (const Status status = OpenLedger(m_path, in); status != Status::Ok) return status;
  LedgerScanner scanner(
      [this](const LedgerScanner::Place& place, std::string_view text) {
        // Most lines are of other months: their unquoted date alone says so.
        if (LedgerDate date; !text.empty() && text.front() != '"' &&
                             ParseLedgerDate(text.substr(0, text.find(',')), date) &&
                             MonthKey(date.year, date.month) != m_month) {
          return;
        }
        LedgerEntry entry;
        if (ParseLedgerLine(text, entry) != LedgerLineKind::Entry ||
            MonthKey(entry.date.year, entry.date.month) != m_month) {
          return;
        }
        entry.line = place.line;
        m_entries.push_back(std::move(entry));
      },
      summary.firstLine, summary.firstOffset);
  const bool ok = ReadRange(in, summary.firstOffset, summary.endOffset,
                            [&](std::string_view bytes) { scanner.Feed(bytes); });
  scanner.Finish();
  return ok ? Status::Ok : Status::Unreadable;
}

}  // namespace mametan
