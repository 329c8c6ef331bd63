#include "core/viewer/ViewerPresenter.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <numeric>
#include <tuple>

#include "core/app/SettingsStore.h"
#include "core/common/AppError.h"
#include "core/platform/Cp932.h"

namespace mametan {
namespace {

constexpr int kFirstMonth = MonthKey(kViewerFirstYear, 1);
constexpr int kLastMonth = MonthKey(kViewerLastYear, 12);

std::string FileName(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string UnreadableButtonText(std::uint64_t count) {
  return std::string(viewer_text::kUnreadableTitle) + " (" +
         GroupThousands(static_cast<std::int64_t>(count)) + ")";
}

std::string Share(std::int64_t part, std::int64_t whole) {
  if (whole <= 0) return {};
  double percent = static_cast<double>(part) * 100.0 / static_cast<double>(whole);
  if (percent > -0.05 && percent < 0.05) percent = 0;  // never "-0.0%"
  char text[32];
  std::snprintf(text, sizeof text, "%.1f%%", percent);
  return text;
}

}  // namespace

std::string GroupThousands(std::int64_t value) {
  // Through the unsigned magnitude, so that the smallest value has one too.
  std::uint64_t magnitude =
      value < 0 ? ~static_cast<std::uint64_t>(value) + 1 : static_cast<std::uint64_t>(value);
  std::string digits = std::to_string(magnitude);
  std::string text;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
    text += digits[i];
  }
  return value < 0 ? "-" + text : text;
}

void ViewerPresenter::Open(const std::string& path) {
  m_monthAfterReading = 0;
  m_changedWhileReading = false;
  if (path != m_history.Path()) m_history = LedgerEditHistory(path);
  m_view.WatchFile(path);
  Read(m_book.Load(path, 0, m_step));
}

void ViewerPresenter::FileChanged() {
  if (m_book.reading()) {
    m_changedWhileReading = true;
    return;
  }
  m_monthAfterReading = m_book.selectedMonth();
  Read(m_book.Refresh(m_step));
}

void ViewerPresenter::ReadOn() {
  m_stepAsked = false;
  if (m_book.reading()) Read(m_book.Continue(m_step));
}

// After a step of reading: the page once the read is done, or how far it
// has come, with the next step asked for.
void ViewerPresenter::Read(LedgerBook::Status status) {
  m_status = status;
  if (m_book.reading()) {
    Show();
    if (!m_stepAsked) {
      m_stepAsked = true;
      m_view.ReadOnLater();
    }
    return;
  }
  const int month = m_monthAfterReading;
  m_monthAfterReading = 0;
  if (month != 0 && m_book.selectedMonth() != month) {
    m_book.SelectMonth(month);
  } else if (m_book.selectedMonth() == 0) {
    m_book.SelectMonth(m_today);
  }
  Show();
  if (m_changedWhileReading) {
    m_changedWhileReading = false;
    FileChanged();
  }
}

void ViewerPresenter::SetYear(int year) {
  ShowMonth(MonthKey(year, KeyMonth(m_book.selectedMonth())));
}

void ViewerPresenter::ChooseMonth(int month) {
  if (month >= 1 && month <= 12) ShowMonth(MonthKey(KeyYear(m_book.selectedMonth()), month));
}

void ViewerPresenter::ShowMonth(int month) {
  month = std::clamp(month, kFirstMonth, kLastMonth);
  if (m_book.reading()) {
    // Shown once the read is done.
    m_monthAfterReading = month;
    return;
  }
  if (month == m_book.selectedMonth()) return;
  m_book.SelectMonth(month);
  Show();
}

void ViewerPresenter::SortBy(int column) {
  if (column < 0 || column >= static_cast<int>(kViewerColumns.size())) return;
  m_sortAscending = column == m_sortColumn ? !m_sortAscending : true;
  m_sortColumn = column;
  if (m_page.order.empty()) {
    m_page.order.resize(m_page.rowCount);
    std::iota(m_page.order.begin(), m_page.order.end(), 0u);
  }
  SortRows(m_page.order);
  m_page.sortColumn = m_sortColumn;
  m_page.sortAscending = m_sortAscending;
  m_view.ShowPage(m_page);
}

void ViewerPresenter::SortRows(std::vector<std::uint32_t>& rows) const {
  const LedgerEntries& entries = m_book.entries();
  const int column = m_sortColumn;
  // The kind and the goods sort by their decoded texts, made once here
  // rather than at every comparison.
  std::vector<std::string> texts;
  if (column == 1 || column == 2) {
    texts.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const LedgerEntryView entry = entries[i];
      texts.push_back(LedgerTextToUtf8(column == 1 ? entry.kind : entry.goods, m_book.encoding()));
    }
  }
  const auto less = [&](std::uint32_t x, std::uint32_t y) {
    const LedgerEntryView a = entries[x];
    const LedgerEntryView b = entries[y];
    switch (column) {
      case 0:
        return std::tie(a.date.year, a.date.month, a.date.day) <
               std::tie(b.date.year, b.date.month, b.date.day);
      case 1:
      case 2:
        return texts[x] < texts[y];
      case 3:
        return a.price < b.price;
      default:
        return x < y;
    }
  };
  // The entries are in the file's order; stable both ways, so that equal
  // keys keep it.
  std::sort(rows.begin(), rows.end());
  std::stable_sort(rows.begin(), rows.end(),
                   [&, ascending = m_sortAscending](std::uint32_t a, std::uint32_t b) {
                     return ascending ? less(a, b) : less(b, a);
                   });
}

ViewerRow ViewerPresenter::Row(std::size_t shown) const {
  if (shown >= m_page.rowCount) return {};
  const std::size_t place = m_page.order.empty() ? shown : m_page.order[shown];
  if (place >= m_book.entries().size()) return {};
  const LedgerEntryView entry = m_book.entries()[place];
  const LedgerEncoding encoding = m_book.encoding();
  return {LedgerTextToUtf8(entry.DateText(), encoding),
          entry.date.year * 10000 + entry.date.month * 100 + entry.date.day,
          LedgerTextToUtf8(entry.kind, encoding),
          LedgerTextToUtf8(entry.goods, encoding),
          entry.price,
          GroupThousands(entry.price),
          place};
}

std::string ViewerPresenter::RowsText(const std::vector<std::size_t>& shownRows,
                                      std::string_view lineEnd) const {
  std::string text;
  for (const std::size_t i : shownRows) {
    if (i >= m_page.rowCount) continue;
    const ViewerRow row = Row(i);
    text += row.date + '\t' + row.kind + '\t' + row.goods + '\t' + row.priceText;
    text += lineEnd;
  }
  return text;
}

std::string ViewerPresenter::BarsText(std::string_view lineEnd) const {
  std::string text;
  for (const ViewerBar& bar : m_page.bars) {
    text += bar.label + '\t' + bar.amountText + '\t' + bar.shareText;
    text += lineEnd;
  }
  return text;
}

std::string UnreadableNote(std::uint64_t count, std::size_t listed) {
  return count > listed
             ? std::to_string(count) + " 行のうち最初の " + std::to_string(listed) + " 行"
             : std::to_string(count) + " 行";
}

std::string UnreadableText(const std::vector<ViewerUnreadable>& lines,
                           const std::vector<std::size_t>& chosen, std::string_view lineEnd) {
  std::string text;
  for (const std::size_t i : chosen) {
    if (i >= lines.size()) continue;
    text += lines[i].lineText + '\t' + lines[i].text;
    text += lineEnd;
  }
  return text;
}

namespace {

TApSystem SettingsOf(RegistryBackend& settings) {
  TApSystem record;
  try {
    LoadSettings(settings, record);
  } catch (const AppError&) {
    // The values read before and after the one that failed are kept.
  }
  return record;
}

}  // namespace

std::string LedgerAtLaunch(const std::vector<std::string>& arguments, RegistryBackend& settings) {
  if (!arguments.empty()) return arguments.front();
  return SettingsOf(settings).File_Kakeibo;
}

std::string KindFileAtLaunch(RegistryBackend& settings) { return SettingsOf(settings).File_Kind; }

std::optional<LedgerLineBytes> ViewerPresenter::Purchase(std::size_t shown) {
  if (m_book.reading() || shown >= m_page.rowCount) return std::nullopt;
  const std::size_t place = m_page.order.empty() ? shown : m_page.order[shown];
  if (place >= m_book.entries().size()) return std::nullopt;
  const LedgerEntryView entry = m_book.entries()[place];
  // The line must still hold the purchase shown: the file may have changed
  // since it was read, and the change not yet been seen.
  const std::optional<LedgerBook::Record> record = m_book.FindRecord(entry.line);
  LedgerEntry now;
  if (record) {
    std::string_view text = record->bytes;
    text.remove_suffix(LineEndOf(text).size());
    if (ParseLedgerLine(text, now, m_book.encoding()) == LedgerLineKind::Entry &&
        now.date.year == entry.date.year && now.date.month == entry.date.month &&
        now.date.day == entry.date.day && now.kind == entry.kind && now.goods == entry.goods &&
        now.price == entry.price) {
      return LedgerLineBytes{entry.line, record->offset, record->bytes, m_book.encoding()};
    }
  }
  m_view.ShowMessage(kLedgerChangedMessage, MessageIcon::Exclamation);
  FileChanged();
  return std::nullopt;
}

void ViewerPresenter::CorrectRow(std::size_t shown) {
  if (const std::optional<LedgerLineBytes> purchase = Purchase(shown)) {
    m_view.OpenCorrection(*purchase);
  }
}

void ViewerPresenter::DeleteRow(std::size_t shown) {
  const std::optional<LedgerLineBytes> purchase = Purchase(shown);
  if (!purchase || !m_view.AskYesNo(kDeletePurchaseQuestion)) return;
  Edited(DeletePurchase(m_history, *purchase));
}

void ViewerPresenter::Undo() {
  if (m_history.CanUndo() && !m_book.reading()) Edited(m_history.Undo());
}

void ViewerPresenter::Redo() {
  if (m_history.CanRedo() && !m_book.reading()) Edited(m_history.Redo());
}

void ViewerPresenter::Edited(const EditResult& result) {
  switch (result.outcome) {
    case EditOutcome::Done:
      break;
    case EditOutcome::Changed:
      m_view.ShowMessage(result.message, MessageIcon::Exclamation);
      break;
    case EditOutcome::Failed:
      m_view.ShowMessage(result.message, MessageIcon::Stop);
      return;
  }
  FileChanged();
}

bool ViewerPresenter::KeyDown(ViewerKey key) {
  switch (key) {
    case ViewerKey::PageUp:
      PreviousMonth();
      return true;
    case ViewerKey::PageDown:
      NextMonth();
      return true;
    case ViewerKey::Escape:
      m_view.CloseWindow();
      return true;
    case ViewerKey::Other:
      break;
  }
  return false;
}

std::vector<ViewerUnreadable> ViewerPresenter::UnreadableLines() const {
  std::vector<ViewerUnreadable> lines;
  lines.reserve(m_book.unreadable().size());
  for (const UnreadableLine& line : m_book.unreadable()) {
    lines.push_back({std::to_string(line.line), LedgerTextToUtf8(line.text, m_book.encoding())});
  }
  return lines;
}

void ViewerPresenter::Show() {
  ViewerPage page;
  // No month is chosen yet while the ledger is first read.
  const int key = m_book.selectedMonth() != 0 ? m_book.selectedMonth() : m_today;
  page.year = KeyYear(key);
  page.month = KeyMonth(key);
  page.title = "まめたん家計簿 一覧";
  if (!m_book.path().empty()) page.title += " - " + FileName(m_book.path());
  page.monthText = std::to_string(page.year) + "年" + std::to_string(page.month) + "月";
  if (m_book.reading()) {
    // Nothing of a ledger half read is shown but how far the read has come.
    const std::uint64_t whole = std::max<std::uint64_t>(m_book.bytesToRead(), 1);
    const std::uint64_t done = std::min(m_book.bytesRead(), whole);
    page.status = viewer_text::kReading + std::to_string(done * 100 / whole) + "%";
    page.reading = true;
    page.unreadableText = UnreadableButtonText(0);
    m_page = std::move(page);
    m_view.ShowPage(m_page);
    return;
  }
  switch (m_status) {
    case LedgerBook::Status::Ok:
      break;
    case LedgerBook::Status::Missing:
      page.status = "家計簿ファイルが見つかりません: " + m_book.path();
      break;
    case LedgerBook::Status::Unreadable:
      page.status = "家計簿ファイルが読めません: " + m_book.path();
      break;
    case LedgerBook::Status::Folder:
      page.status = "家計簿ファイルの場所にフォルダがあります: " + m_book.path();
      break;
    case LedgerBook::Status::NotAFile:
      page.status = "家計簿ファイルの場所にあるのはファイルではありません（パイプやデバイス）: " +
                    m_book.path();
      break;
    case LedgerBook::Status::Utf16:
      page.status = "UTF-16 の家計簿ファイルは読めません: " + m_book.path();
      break;
  }

  // Kinds are told apart by their bytes, not by how they look decoded.
  std::map<std::string, std::int64_t> kinds;
  std::int64_t total = 0;
  const auto text = [this](std::string_view bytes) {
    return LedgerTextToUtf8(bytes, m_book.encoding());
  };
  const LedgerEntries& entries = m_book.entries();
  page.rowCount = entries.size();
  std::map<std::string, std::int64_t>::iterator last = kinds.end();
  for (std::uint32_t i = 0; i < entries.size(); ++i) {
    const LedgerEntryView entry = entries[i];
    // Purchases of one kind often come together: the last kind is tried first.
    if (last == kinds.end() || last->first != entry.kind)
      last = kinds.try_emplace(std::string(entry.kind), 0).first;
    last->second += entry.price;
    total += entry.price;
    const std::int64_t magnitude = entry.price < 0 ? -entry.price : entry.price;
    page.largestPrice = std::max(page.largestPrice, magnitude);
  }
  page.totalText = "合計 " + GroupThousands(total) + "円（" +
                   GroupThousands(static_cast<std::int64_t>(page.rowCount)) + "件）";

  std::vector<std::pair<std::string, std::int64_t>> sorted(kinds.begin(), kinds.end());
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const auto& a, const auto& b) { return a.second > b.second; });
  const std::int64_t largest = sorted.empty() ? 0 : sorted.front().second;
  for (const auto& [kind, amount] : sorted) {
    ViewerBar bar;
    bar.label = kind.empty() ? "（なし）" : text(kind);
    bar.amount = amount;
    bar.amountText = GroupThousands(amount) + "円";
    bar.shareText = Share(amount, total);
    bar.length = largest > 0 && amount > 0
                     ? static_cast<double>(amount) / static_cast<double>(largest)
                     : 0.0;
    page.bars.push_back(std::move(bar));
  }

  std::int64_t yearLargest = 0;
  for (int m = 1; m <= 12; ++m) {
    ViewerMonthCell cell;
    cell.month = m;
    cell.chosen = m == page.month;
    if (const auto found = m_book.months().find(MonthKey(page.year, m));
        found != m_book.months().end()) {
      cell.amount = found->second.total;
      cell.amountText = GroupThousands(cell.amount);
      yearLargest = std::max(yearLargest, cell.amount);
    }
    page.strip.push_back(std::move(cell));
  }
  for (ViewerMonthCell& cell : page.strip) {
    if (yearLargest > 0 && cell.amount > 0) {
      cell.length = static_cast<double>(cell.amount) / static_cast<double>(yearLargest);
    }
  }

  if (m_sortColumn >= 0) {
    page.order.resize(page.rowCount);
    std::iota(page.order.begin(), page.order.end(), 0u);
    SortRows(page.order);
  }
  page.sortColumn = m_sortColumn;
  page.sortAscending = m_sortAscending;

  page.unreadableCount = m_book.unreadableCount();
  page.unreadableText = UnreadableButtonText(page.unreadableCount);
  m_page = std::move(page);
  m_view.ShowPage(m_page);
}

}  // namespace mametan
