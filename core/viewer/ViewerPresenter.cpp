#include "core/viewer/ViewerPresenter.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace mametan {
namespace {

constexpr int kFirstMonth = MonthKey(1, 1);
constexpr int kLastMonth = MonthKey(9999, 12);

std::string FileName(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
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
  m_status = m_book.Load(path);
  m_view.WatchFile(path);
  if (m_book.selectedMonth() == 0) m_book.SelectMonth(m_today);
  Show();
}

void ViewerPresenter::FileChanged() {
  const int month = m_book.selectedMonth();
  m_status = m_book.Refresh();
  if (m_book.selectedMonth() != month) m_book.SelectMonth(month);
  Show();
}

void ViewerPresenter::SetYear(int year) {
  ShowMonth(MonthKey(year, KeyMonth(m_book.selectedMonth())));
}

void ViewerPresenter::ChooseMonth(int month) {
  if (month >= 1 && month <= 12) ShowMonth(MonthKey(KeyYear(m_book.selectedMonth()), month));
}

void ViewerPresenter::ShowMonth(int month) {
  month = std::clamp(month, kFirstMonth, kLastMonth);
  if (month == m_book.selectedMonth()) return;
  m_book.SelectMonth(month);
  Show();
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
  const int key = m_book.selectedMonth();
  page.year = KeyYear(key);
  page.month = KeyMonth(key);
  page.title = "まめたん家計簿 一覧";
  if (!m_book.path().empty()) page.title += " - " + FileName(m_book.path());
  page.monthText = std::to_string(page.year) + "年" + std::to_string(page.month) + "月";
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
  page.rows.reserve(m_book.entries().size());
  for (const LedgerEntry& entry : m_book.entries()) {
    page.rows.push_back(
        {text(entry.dateText), entry.date.year * 10000 + entry.date.month * 100 + entry.date.day,
         text(entry.kind), text(entry.goods), entry.price, GroupThousands(entry.price)});
    kinds[entry.kind] += entry.price;
    total += entry.price;
  }
  page.totalText = "合計 " + GroupThousands(total) + "円（" +
                   GroupThousands(static_cast<std::int64_t>(page.rows.size())) + "件）";

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

  page.unreadableCount = m_book.unreadableCount();
  page.unreadableText =
      "読めなかった行 (" + GroupThousands(static_cast<std::int64_t>(page.unreadableCount)) + ")";
  m_page = std::move(page);
  m_view.ShowPage(m_page);
}

}  // namespace mametan
