#pragma once
// The ledger viewer's window: a month chooser, the month's purchases, their
// total, the totals per kind as bars (largest first) and a strip of the
// chosen year's twelve monthly totals. The presenter holds the month and
// turns the ledger into texts; a view draws them. All texts are UTF-8.
#include <cstdint>
#include <string>
#include <vector>

#include "core/viewer/LedgerBook.h"

namespace mametan {

struct ViewerRow {
  std::string date;
  std::int32_t dateOrder = 0;  // yyyymmdd, for sorting by date
  std::string kind;
  std::string goods;
  std::int64_t price = 0;
  std::string priceText;  // grouped by thousands: "1,050"
};

struct ViewerBar {
  std::string label;        // the kind; "（なし）" for an empty one
  std::int64_t amount = 0;  // the kind's total in the month
  std::string amountText;   // "12,345円"
  std::string shareText;    // of the month's total: "42.5%"
  double length = 0;        // 0-1, of the largest total
};

struct ViewerMonthCell {
  int month = 0;  // 1-12
  std::int64_t amount = 0;
  std::string amountText;  // "12,345"; empty for a month without purchases
  double length = 0;       // 0-1, of the year's largest monthly total
  bool chosen = false;
};

struct ViewerPage {
  std::string title;  // "まめたん家計簿 一覧 - kakeibo.csv"
  int year = 0;
  int month = 0;
  std::string monthText;  // "2001年11月"
  std::vector<ViewerRow> rows;
  std::string totalText;  // "合計 12,345円（3件）"
  std::vector<ViewerBar> bars;
  std::vector<ViewerMonthCell> strip;  // January to December of the year
  std::string status;                  // why nothing is shown, or empty
  std::uint64_t unreadableCount = 0;
  std::string unreadableText;  // "読めなかった行 (2)"
};

struct ViewerUnreadable {
  std::string lineText;  // "12"
  std::string text;      // the line as read, decoded
};

class ViewerView {
 public:
  virtual ~ViewerView() = default;
  virtual void ShowPage(const ViewerPage& page) = 0;
  // Follows the file from now on (its folder too, since it may be created
  // or replaced) and calls FileChanged when it changes. Empty: nothing.
  virtual void WatchFile(const std::string& path) = 0;
  virtual void CloseWindow() = 0;
};

enum class ViewerKey { PageUp, PageDown, Escape, Other };

class ViewerPresenter {
 public:
  // `today` is the month shown when the ledger has no purchase (a MonthKey).
  ViewerPresenter(ViewerView& view, int today) : m_view(view), m_today(today) {}

  // Shows the ledger at `path` (UTF-8) at its latest month.
  void Open(const std::string& path);
  void FileChanged();
  void PreviousMonth() { ShowMonth(m_book.selectedMonth() - 1); }
  void NextMonth() { ShowMonth(m_book.selectedMonth() + 1); }
  void SetYear(int year);
  // A month (1-12) of the shown year, as picked in the strip.
  void ChooseMonth(int month);
  // True when the key was used.
  bool KeyDown(ViewerKey key);

  // The lines that could not be read, for the "読めなかった行" list.
  std::vector<ViewerUnreadable> UnreadableLines() const;
  const ViewerPage& page() const { return m_page; }

 private:
  void ShowMonth(int month);
  void Show();

  ViewerView& m_view;
  int m_today;
  LedgerBook m_book;
  LedgerBook::Status m_status = LedgerBook::Status::Missing;
  ViewerPage m_page;
};

// 1234567 -> "1,234,567"; -1050 -> "-1,050".
std::string GroupThousands(std::int64_t value);

}  // namespace mametan
