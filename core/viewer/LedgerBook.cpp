#include "core/viewer/LedgerBook.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "core/platform/Cp932.h"

namespace mametan {
namespace {

// How long after the file's last write its stamp still proves nothing.
constexpr std::int64_t kRecentNs = std::int64_t{3} * 1000 * 1000 * 1000;

constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87u;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Fu;
constexpr std::uint64_t kPrime3 = 0x165667B19E3779F9u;

constexpr std::uint64_t Rotl(std::uint64_t x, int r) { return (x << r) | (x >> (64 - r)); }

std::uint64_t Word(const char* p) {
  std::uint64_t w = 0;
  std::memcpy(&w, p, sizeof w);
  return w;
}

std::uint64_t Round(std::uint64_t acc, std::uint64_t word) {
  return Rotl(acc + word * kPrime2, 31) * kPrime1;
}

// A fast 64-bit hash of a chunk, to recognise the bytes already read: four
// lanes of multiply-rotate rounds, mixed at the end with the length. Every
// byte changes every later state, so no edit goes unseen but by chance.
std::uint64_t Hash(std::string_view bytes) {
  std::uint64_t lanes[4] = {kPrime1 + kPrime2, kPrime2, 0, kPrime3};
  std::size_t i = 0;
  for (; i + 32 <= bytes.size(); i += 32) {
    for (std::size_t lane = 0; lane < 4; ++lane) {
      lanes[lane] = Round(lanes[lane], Word(bytes.data() + i + 8 * lane));
    }
  }
  std::uint64_t h = bytes.size();
  for (std::size_t lane = 0; lane < 4; ++lane)
    h = Round(h ^ Rotl(lanes[lane], static_cast<int>(7 * lane + 1)), 0);
  char last[8];
  for (; i < bytes.size(); i += 8) {
    std::memset(last, 0, sizeof last);
    std::memcpy(last, bytes.data() + i, std::min<std::size_t>(8, bytes.size() - i));
    h = Round(h, Word(last)) + kPrime3;
  }
  h ^= h >> 33;
  h *= kPrime2;
  h ^= h >> 29;
  h *= kPrime3;
  return h ^ (h >> 32);
}

// An unreadable line as kept for the list: a long one is cut short, never
// inside a character.
std::string Listed(std::string_view text, LedgerEncoding encoding) {
  if (text.size() <= LedgerBook::kMaxListedBytes) return std::string(text);
  std::size_t end = 0;
  if (encoding == LedgerEncoding::Utf8) {
    end = LedgerBook::kMaxListedBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  } else {
    while (end < LedgerBook::kMaxListedBytes) {
      end += cp932::IsLeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
    }
    if (end > LedgerBook::kMaxListedBytes) end -= 2;
  }
  return std::string(text.substr(0, end)) + "...";
}

}  // namespace

namespace {

// "2001/11/05" for the date, as the tray program writes it.
std::string UsualDate(const LedgerDate& date) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d", date.year, date.month, date.day);
  return text;
}

// Whether `text` reads "yyyy/mm/dd" for the date.
bool IsUsualDate(std::string_view text, const LedgerDate& date) {
  if (text.size() != 10 || text[4] != '/' || text[7] != '/') return false;
  int value = 0;
  for (const std::size_t at : {0, 1, 2, 3, 5, 6, 8, 9}) {
    if (text[at] < '0' || text[at] > '9') return false;
    value = value * 10 + (text[at] - '0');
  }
  return value == date.year * 10000 + date.month * 100 + date.day;
}

}  // namespace

std::string LedgerEntryView::DateText() const {
  return writtenDate.empty() ? UsualDate(date) : std::string(writtenDate);
}

void LedgerEntries::push_back(const LedgerEntry& entry) {
  const std::string_view date = IsUsualDate(entry.dateText, entry.date)
                                    ? std::string_view()
                                    : std::string_view(entry.dateText).substr(0, 0xFF);
  const std::string_view kind = std::string_view(entry.kind).substr(0, 0xFFFF);
  const std::size_t textSize = date.size() + kind.size() + entry.goods.size();
  if (m_blocks.empty() || m_blocks.back().size() + textSize > m_blocks.back().capacity()) {
    m_blocks.emplace_back().reserve(std::max(kBlock, textSize));
  }
  std::string& block = m_blocks.back();
  m_packed.push_back(
      {entry.line, entry.price, static_cast<std::uint32_t>(m_blocks.size() - 1),
       static_cast<std::uint32_t>(block.size()), static_cast<std::int16_t>(entry.date.year),
       static_cast<std::uint16_t>(kind.size()), static_cast<std::uint8_t>(entry.date.month),
       static_cast<std::uint8_t>(entry.date.day), static_cast<std::uint8_t>(date.size())});
  block.append(date);
  block.append(kind);
  block.append(entry.goods);
}

void LedgerEntries::pop_back() {
  if (m_packed.empty()) return;
  const Packed& last = m_packed.back();
  m_blocks[last.block].resize(last.offset);
  if (last.offset == 0 && last.block + 1 == m_blocks.size()) m_blocks.pop_back();
  m_packed.pop_back();
}

void LedgerEntries::clear() {
  m_packed.clear();
  m_packed.shrink_to_fit();
  m_blocks.clear();
  m_blocks.shrink_to_fit();
}

LedgerEntryView LedgerEntries::operator[](std::size_t i) const {
  const Packed& packed = m_packed[i];
  const std::string& block = m_blocks[packed.block];
  const std::size_t end = i + 1 < m_packed.size() && m_packed[i + 1].block == packed.block
                              ? m_packed[i + 1].offset
                              : block.size();
  const std::string_view texts = std::string_view(block).substr(packed.offset, end - packed.offset);
  return {{packed.year, packed.month, packed.day},
          texts.substr(0, packed.dateSize),
          texts.substr(packed.dateSize, packed.kindSize),
          texts.substr(packed.dateSize + std::size_t{packed.kindSize}),
          packed.price,
          packed.line};
}

void LedgerBook::Clear() {
  m_months.clear();
  m_entries.clear();
  m_unreadableCount = 0;
  m_unreadable.clear();
  m_encoding = LedgerEncoding::Cp932;
  m_scanner.reset();
  m_reading.reset();
  m_readingFresh = false;
  m_checked.reset();
  m_size = 0;
  m_hashes.clear();
  m_tail.clear();
  m_stamp = {};
  m_stampRecent = true;
}

LedgerBook::Status LedgerBook::Open(ReadOnlyFile& file) const {
  switch (file.OpenRead(m_path)) {
    case ReadOnlyFile::Open::Opened:
      return Status::Ok;
    case ReadOnlyFile::Open::Missing:
      return Status::Missing;
    case ReadOnlyFile::Open::Folder:
      return Status::Folder;
    case ReadOnlyFile::Open::NotAFile:
      return Status::NotAFile;
    case ReadOnlyFile::Open::Failed:
      break;
  }
  return Status::Unreadable;
}

void LedgerBook::Stamp(const ReadOnlyFile& file) {
  const std::optional<FileStamp> stamp = file.Stamp();
  const std::int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                               std::chrono::system_clock::now().time_since_epoch())
                               .count();
  m_stamp = stamp.value_or(FileStamp{});
  m_stampRecent = !stamp || now - stamp->modified < kRecentNs;
}

LedgerBook::Status LedgerBook::Load(const std::string& path, int month, Budget budget) {
  m_path = path;
  m_month = month;
  m_followLatest = month == 0;
  Clear();
  auto file = std::make_unique<ReadOnlyFile>();
  Status status = Open(*file);
  if (status == Status::Ok) {
    Stamp(*file);
    char head[3] = {};
    const std::optional<std::size_t> got = file->ReadAt(0, head, sizeof head);
    m_encoding = got ? LedgerEncodingOf(std::string_view(head, *got)) : LedgerEncoding::Cp932;
    if (!got) {
      status = Status::Unreadable;
    } else if (m_encoding == LedgerEncoding::Utf16) {
      status = Status::Utf16;
    } else {
      const std::uint64_t start = m_encoding == LedgerEncoding::Utf8 ? kUtf8Mark.size() : 0;
      m_scanner.emplace(
          [this](const LedgerScanner::Place& place, std::string_view text) { Take(place, text); },
          1, start);
      return Go(std::move(file), budget, true);
    }
  }
  m_followLatest = false;
  return status;
}

LedgerBook::Status LedgerBook::Refresh(Budget budget) {
  // A change during an unfinished read: that read goes on, and whatever
  // changed is seen by the next Refresh after it.
  if (m_reading) return Continue(budget);
  if (!m_scanner) return Load(m_path, m_month, budget);
  auto file = std::make_unique<ReadOnlyFile>();
  if (const Status status = Open(*file); status != Status::Ok) {
    Clear();
    return status;
  }
  const std::optional<FileStamp> stamp = file->Stamp();
  if (stamp && *stamp == m_stamp && !m_stampRecent) return Status::Ok;
  // Only a file that still holds every byte read so far has merely grown;
  // one too short to tell its encoding yet is read again as well.
  if (!stamp || stamp->size < m_size || m_size < kUtf8Mark.size()) {
    return Load(m_path, m_month, budget);
  }
  Stamp(*file);
  // The bytes read so far are compared with their hashes first, in steps
  // as well: on a slow share that takes as long as reading them.
  m_checked = 0;
  return Go(std::move(file), budget, false);
}

LedgerBook::Status LedgerBook::Continue(Budget budget) {
  if (!m_reading) return Status::Ok;
  std::unique_ptr<ReadOnlyFile> file = std::move(m_reading);
  return Go(std::move(file), budget, m_readingFresh);
}

LedgerBook::Status LedgerBook::Go(std::unique_ptr<ReadOnlyFile> file, Budget budget, bool fresh) {
  const auto deadline =
      std::chrono::steady_clock::now() + budget.value_or(std::chrono::milliseconds{});
  if (m_checked) {
    switch (Check(*file, budget ? std::optional(deadline) : std::nullopt)) {
      case Step::More:
        m_reading = std::move(file);
        m_readingFresh = fresh;
        return Status::Ok;
      case Step::Failed:
        return Load(m_path, m_month, budget);
      case Step::Done:
        break;
    }
  }
  switch (ReadOn(*file, budget ? std::optional(deadline) : std::nullopt)) {
    case Step::More:
      m_reading = std::move(file);
      m_readingFresh = fresh;
      return Status::Ok;
    case Step::Done:
      m_followLatest = false;
      return Status::Ok;
    case Step::Failed:
      break;
  }
  m_followLatest = false;
  // A file that fails while it is read from its start cannot be read; one
  // that fails in what was appended to it is read again whole.
  return fresh ? Status::Unreadable : Load(m_path, m_month, budget);
}

LedgerBook::Step LedgerBook::Check(const ReadOnlyFile& file, Deadline deadline) {
  std::string chunk(kChunk, '\0');
  // At least one chunk a step, so that every step gets on.
  const std::size_t first = *m_checked;
  for (std::size_t& i = *m_checked; i < m_hashes.size(); ++i) {
    if (deadline && i > first && std::chrono::steady_clock::now() >= *deadline) return Step::More;
    const std::uint64_t at = std::uint64_t{i} * kChunk;
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, m_size - at));
    const std::optional<std::size_t> got = file.ReadAt(at, chunk.data(), want);
    if (!got || *got != want || Hash(std::string_view(chunk.data(), want)) != m_hashes[i]) {
      m_checked.reset();
      return Step::Failed;
    }
  }
  m_checked.reset();
  return Step::Done;
}

LedgerBook::Step LedgerBook::ReadOn(const ReadOnlyFile& file, Deadline deadline) {
  UndoTail();
  // The last chunk read was partial: it is read again whole for its hash.
  std::uint64_t at = m_size / kChunk * kChunk;
  if (at < m_size) m_hashes.pop_back();
  const std::uint64_t body = m_encoding == LedgerEncoding::Utf8 ? kUtf8Mark.size() : 0;
  std::string chunk(kChunk, '\0');
  for (;;) {
    const std::optional<std::size_t> got = file.ReadAt(at, chunk.data(), kChunk);
    if (!got || at + *got < m_size) {
      m_scanner.reset();
      return Step::Failed;
    }
    if (*got == 0) break;
    const std::string_view bytes(chunk.data(), *got);
    m_hashes.push_back(Hash(bytes));
    const std::uint64_t from = std::max(m_size, body);
    if (at + *got > from) m_scanner->Feed(bytes.substr(static_cast<std::size_t>(from - at)));
    m_size = at + *got;
    at = m_size;
    if (*got < kChunk) break;
    // Stopped after a whole chunk, the next step starts at a chunk's start.
    if (deadline && std::chrono::steady_clock::now() >= *deadline) return Step::More;
  }
  // A last line without its line end is a purchase too, until more bytes
  // arrive: it is read from a copy of the scanner, and taken back then.
  LedgerScanner end = *m_scanner;
  m_inTail = true;
  end.Finish();
  m_inTail = false;
  return Step::Done;
}

void LedgerBook::UndoTail() {
  for (auto effect = m_tail.rbegin(); effect != m_tail.rend(); ++effect) {
    if (effect->month >= 0) {
      if (effect->before.count == 0) {
        m_months.erase(effect->month);
      } else {
        m_months[effect->month] = effect->before;
      }
    }
    if (effect->entry && effect->month == m_month && !m_entries.empty() &&
        m_entries.back().line == effect->line) {
      m_entries.pop_back();
    }
    if (effect->unreadable) {
      --m_unreadableCount;
      if (effect->listed && !m_unreadable.empty() && m_unreadable.back().line == effect->line) {
        m_unreadable.pop_back();
      }
    }
  }
  m_tail.clear();
}

void LedgerBook::Take(const LedgerScanner::Place& place, std::string_view text) {
  TailEffect effect;
  effect.line = place.line;
  LedgerEntry entry;
  const LedgerLineKind kind =
      place.tooLong ? LedgerLineKind::Unreadable : ParseLedgerLine(text, entry, m_encoding);
  switch (kind) {
    case LedgerLineKind::Header:
    case LedgerLineKind::Blank:
      return;
    case LedgerLineKind::Unreadable:
      ++m_unreadableCount;
      effect.unreadable = true;
      if (m_unreadable.size() < kMaxListed) {
        m_unreadable.push_back({place.line, Listed(text, m_encoding)});
        effect.listed = true;
      }
      if (m_inTail) m_tail.push_back(effect);
      return;
    case LedgerLineKind::Entry:
      break;
  }
  const int key = MonthKey(entry.date.year, entry.date.month);
  MonthSummary& month = m_months[key];
  effect.month = key;
  effect.before = month;
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
    m_entries.push_back(entry);
    effect.entry = true;
  }
  if (m_inTail) m_tail.push_back(effect);
}

LedgerBook::Status LedgerBook::SelectMonth(int month) {
  if (m_reading) Continue();
  m_month = month;
  m_entries.clear();
  const auto found = m_months.find(month);
  if (found == m_months.end()) return Status::Ok;
  const MonthSummary& summary = found->second;
  ReadOnlyFile file;
  if (const Status status = Open(file); status != Status::Ok) return status;
  LedgerScanner scanner(
      [this](const LedgerScanner::Place& place, std::string_view text) {
        // Most lines are of other months: their unquoted date alone says so.
        if (LedgerDate date;
            place.tooLong || (!text.empty() && text.front() != '"' &&
                              ParseLedgerDate(text.substr(0, text.find(',')), date) &&
                              MonthKey(date.year, date.month) != m_month)) {
          return;
        }
        LedgerEntry entry;
        if (ParseLedgerLine(text, entry, m_encoding) != LedgerLineKind::Entry ||
            MonthKey(entry.date.year, entry.date.month) != m_month) {
          return;
        }
        entry.line = place.line;
        m_entries.push_back(entry);
      },
      summary.firstLine, summary.firstOffset);
  std::string chunk(kChunk, '\0');
  for (std::uint64_t at = summary.firstOffset; at < summary.endOffset;) {
    const auto want =
        static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, summary.endOffset - at));
    const std::optional<std::size_t> got = file.ReadAt(at, chunk.data(), want);
    if (!got) return Status::Unreadable;
    scanner.Feed(std::string_view(chunk.data(), *got));
    at += *got;
    if (*got < want) break;
  }
  scanner.Finish();
  return Status::Ok;
}

}  // namespace mametan

namespace mametan {

std::optional<LedgerBook::Record> LedgerBook::FindRecord(std::uint64_t line) const {
  const auto month = m_months.find(m_month);
  if (month == m_months.end() || line < month->second.firstLine) return std::nullopt;
  const MonthSummary& summary = month->second;
  ReadOnlyFile file;
  if (file.OpenRead(m_path) != ReadOnlyFile::Open::Opened) return std::nullopt;
  std::optional<LedgerScanner::Place> found;
  bool past = false;
  LedgerScanner scanner(
      [&](const LedgerScanner::Place& place, std::string_view) {
        if (place.line == line && !place.tooLong) found = place;
        past = past || place.line >= line;
      },
      summary.firstLine, summary.firstOffset);
  std::string chunk(kChunk, '\0');
  for (std::uint64_t at = summary.firstOffset; at < summary.endOffset && !past;) {
    const auto want =
        static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, summary.endOffset - at));
    const std::optional<std::size_t> got = file.ReadAt(at, chunk.data(), want);
    if (!got) return std::nullopt;
    scanner.Feed(std::string_view(chunk.data(), *got));
    at += *got;
    if (*got < want) break;
  }
  if (!past) scanner.Finish();
  if (!found) return std::nullopt;
  Record record{found->offset, std::string(static_cast<std::size_t>(found->size), '\0')};
  const std::optional<std::size_t> got =
      file.ReadAt(record.offset, record.bytes.data(), record.bytes.size());
  if (!got || *got != record.bytes.size()) return std::nullopt;
  return record;
}

}  // namespace mametan
