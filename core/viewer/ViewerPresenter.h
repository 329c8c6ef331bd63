#pragma once
// The ledger viewer's window: a month chooser, the month's purchases, their
// total, the totals per kind as bars (largest first) and a strip of the
// chosen year's twelve monthly totals. The presenter holds the month and
// turns the ledger into texts; a view draws them. All texts are UTF-8.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/common/Messages.h"
#include "core/platform/Registry.h"
#include "core/viewer/LedgerBook.h"
#include "core/viewer/LedgerEdit.h"

namespace mametan {

// The years the chooser offers.
inline constexpr int kViewerFirstYear = 1;
inline constexpr int kViewerLastYear = 9999;
// Changes to the ledger come in bursts (a write, then a close; a save that
// replaces the file): it is read once they have been quiet this long, but
// never later than the longest delay after the first unread change, so that
// a file appended to without pause is still shown as it grows.
inline constexpr int kViewerChangeDelayMs = 50;
inline constexpr int kViewerChangeLongestDelayMs = 400;
// The ledger is read in steps of this long, the window handling its events
// (painting, a resize, a key) between them; a read that takes more than one
// step shows how far it has come.
inline constexpr int kViewerReadStepMs = 40;

// The window's fixed texts.
namespace viewer_text {
inline constexpr char kPrevious[] = "◀ 前の月";
inline constexpr char kNext[] = "次の月 ▶";
inline constexpr char kYear[] = "年";
inline constexpr char kMonthWidest[] = "0000年00月";  // the month's label's room
inline constexpr char kStripCaption[] = "月ごとの合計";
inline constexpr char kKindsCaption[] = "種類ごとの合計";
inline constexpr char kUnreadableTitle[] = "読めなかった行";
inline constexpr char kClose[] = "閉じる";
inline constexpr char kReading[] = "読み込み中… ";  // followed by "42%"
}  // namespace viewer_text

struct ViewerColumn {
  const char* title;
  bool alignRight;
};
// The purchases' columns: date, kind, goods, price.
inline constexpr std::array<ViewerColumn, 4> kViewerColumns{
    {{"日付", false}, {"種類", false}, {"商品名", false}, {"価格", true}}};
// The unreadable lines' columns: the line's number, the line.
inline constexpr std::array<ViewerColumn, 2> kUnreadableColumns{{{"行", true}, {"内容", false}}};

struct ViewerRow {
  std::string date;
  std::int32_t dateOrder = 0;  // yyyymmdd, for sorting by date
  std::string kind;
  std::string goods;
  std::int64_t price = 0;
  std::string priceText;      // grouped by thousands: "1,050"
  std::size_t fileOrder = 0;  // the row's place in the month's lines of the file
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
  // The month's rows; the presenter's Row() makes a row's texts when it is
  // drawn, so that a month of a million purchases costs nothing here in the
  // file's order and four bytes a row sorted: `order` holds their places in
  // the book's entries then, and is empty in the file's order.
  std::size_t rowCount = 0;
  std::vector<std::uint32_t> order;
  std::int64_t largestPrice = 0;  // the widest price's magnitude, to size its column
  int sortColumn = -1;            // a column of kViewerColumns, or -1: the file's order
  bool sortAscending = true;
  std::string totalText;  // "合計 12,345円（3件）"
  std::vector<ViewerBar> bars;
  std::vector<ViewerMonthCell> strip;  // January to December of the year
  std::string status;                  // why nothing is shown, or empty
  bool reading = false;                // status tells how far the read has come: no fault
  std::uint64_t unreadableCount = 0;
  std::string unreadableText;  // "読めなかった行 (2)"
};

struct ViewerUnreadable {
  std::string lineText;  // "12"
  std::string text;      // the line as read, decoded
};

class ViewerView : public MessageSink {
 public:
  virtual void ShowPage(const ViewerPage& page) = 0;
  // Follows the file from now on (its folder too, since it may be created
  // or replaced) and calls FileChanged when it changes. Empty: nothing.
  virtual void WatchFile(const std::string& path) = 0;
  // Calls ReadOn() once the window has handled what is waiting (painting
  // included).
  virtual void ReadOnLater() = 0;
  virtual void CloseWindow() = 0;
  // Asks a question with はい and いいえ, いいえ the default; true for はい.
  virtual bool AskYesNo(const std::string& question) = 0;
  // Opens the correction window on the purchase and returns once it is
  // closed; it reads the ledger again (FileChanged) when it wrote.
  virtual void OpenCorrection(const LedgerLineBytes& purchase) = 0;
};

enum class ViewerKey { PageUp, PageDown, Escape, Other };

class ViewerPresenter {
 public:
  // `today` is the month shown when the ledger has no purchase (a MonthKey).
  // `step`: how long one step of reading may take.
  ViewerPresenter(ViewerView& view, int today,
                  LedgerBook::Budget step = std::chrono::milliseconds{kViewerReadStepMs})
      : m_view(view), m_today(today), m_step(step) {}

  // Shows the ledger at `path` (UTF-8) at its latest month.
  void Open(const std::string& path);
  void FileChanged();
  // The next step of an unfinished read.
  void ReadOn();
  void PreviousMonth() { ShowMonth(m_book.selectedMonth() - 1); }
  void NextMonth() { ShowMonth(m_book.selectedMonth() + 1); }
  void SetYear(int year);
  // A month (1-12) of the shown year, as picked in the strip.
  void ChooseMonth(int month);
  // True when the key was used.
  bool KeyDown(ViewerKey key);
  // A press on a column's heading: sorts by that column, a second press the
  // other way round. Equal keys keep the file's order.
  void SortBy(int column);

  // The texts that Ctrl+C copies, each line ended by `lineEnd`: the shown
  // rows at the given places (tab between the columns), the bars (kind,
  // amount, share).
  std::string RowsText(const std::vector<std::size_t>& shownRows, std::string_view lineEnd) const;
  // The texts of the row shown at `shown` (0 to page().rowCount - 1).
  ViewerRow Row(std::size_t shown) const;
  std::string BarsText(std::string_view lineEnd) const;

  // The purchase shown at `shown` (Enter, a double click) opened for
  // correction; deleted after a question (Delete). A purchase that is no
  // longer in the file as shown is not touched: the change is said and the
  // ledger read again.
  void CorrectRow(std::size_t shown);
  void DeleteRow(std::size_t shown);
  // Take back the last correction or deletion of this window, and do it
  // again (Ctrl+Z, Ctrl+Y).
  void Undo();
  void Redo();
  LedgerEditHistory& history() { return m_history; }
  // The classification file the correction window's kind list comes from.
  const std::string& kindFile() const { return m_kindFile; }
  void SetKindFile(std::string path) { m_kindFile = std::move(path); }

  // The lines that could not be read, for the "読めなかった行" list.
  std::vector<ViewerUnreadable> UnreadableLines() const;
  const ViewerPage& page() const { return m_page; }

 private:
  void ShowMonth(int month);
  std::optional<LedgerLineBytes> Purchase(std::size_t shown);
  void Edited(const EditResult& result);
  void Read(LedgerBook::Status status);
  void Show();
  void SortRows(std::vector<std::uint32_t>& rows) const;

  ViewerView& m_view;
  int m_today;
  LedgerBook::Budget m_step;
  LedgerBook m_book;
  LedgerBook::Status m_status = LedgerBook::Status::Missing;
  ViewerPage m_page;
  // While the ledger is being read: the month the user went to meanwhile
  // (0: none), and whether it changed again.
  int m_monthAfterReading = 0;
  bool m_changedWhileReading = false;
  bool m_stepAsked = false;  // ReadOnLater called, ReadOn not yet
  int m_sortColumn = -1;
  bool m_sortAscending = true;
  LedgerEditHistory m_history{""};
  std::string m_kindFile;
};

// 1234567 -> "1,234,567"; -1050 -> "-1,050".
std::string GroupThousands(std::int64_t value);

// The unreadable lines' note: "12 行", or "1500 行のうち最初の 1000 行".
std::string UnreadableNote(std::uint64_t count, std::size_t listed);
// The unreadable lines at the given places as Ctrl+C copies them.
std::string UnreadableText(const std::vector<ViewerUnreadable>& lines,
                           const std::vector<std::size_t>& chosen, std::string_view lineEnd);

// The ledger the viewer opens at launch: the one named by the first argument
// after the program's name, or else the tray program's from the settings (a
// value that cannot be read keeps its default, as in the tray program). A
// relative name is taken from the current folder.
std::string LedgerAtLaunch(const std::vector<std::string>& arguments, RegistryBackend& settings);
// The tray program's classification file, from the settings.
std::string KindFileAtLaunch(RegistryBackend& settings);

}  // namespace mametan
