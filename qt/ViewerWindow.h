#pragma once
// The ledger viewer's window (Qt): the month chooser, the month's purchases,
// the year's strip of monthly totals and the month's totals per kind as bars.
// Follows the ledger through file change notification and takes a ledger
// dropped on it.
#include <QAbstractTableModel>
#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QTimer>
#include <QWidget>

#include "core/viewer/ChangeDelay.h"
#include "core/viewer/ViewerPresenter.h"

class QLabel;
class QPushButton;
class QSpinBox;
class QTableView;

namespace mametan {

class MonthStrip;
class KindChart;

// The shown month's purchases for the table, made from the presenter's rows
// as they are drawn: a month of any size costs only what is on screen.
class ViewerRowsModel : public QAbstractTableModel {
 public:
  explicit ViewerRowsModel(const ViewerPresenter& presenter, QObject* parent = nullptr)
      : QAbstractTableModel(parent), m_presenter(presenter) {}

  // The presenter shows another page: `appended` when it is the page shown
  // before with rows added at its end (the selection and place are kept).
  void Update(bool appended);
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  const ViewerPresenter& m_presenter;
  int m_count = 0;
  // The last row made, as drawing asks for one row's cells in turn.
  mutable int m_cachedRow = -1;
  mutable ViewerRow m_cached;
};

class Tform_View : public QWidget, public ViewerView {
  Q_OBJECT

 public:
  // `today` is the month shown for a ledger without purchases (a MonthKey).
  explicit Tform_View(int today, QWidget* parent = nullptr);
  ~Tform_View() override;

  ViewerPresenter& presenter() { return m_presenter; }

  void ShowPage(const ViewerPage& page) override;
  void WatchFile(const std::string& path) override;
  void ReadOnLater() override;
  void CloseWindow() override { close(); }
  bool AskYesNo(const std::string& question) override;
  void OpenCorrection(const LedgerLineBytes& purchase) override;
  void ShowMessage(const std::string& text, MessageIcon icon) override;
  void ShowErrorBox(const std::string& text) override;

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void CopySelectedRows();
  // The row that has the table's current cell, or -1.
  int CurrentRow() const;
  void ShowUnreadableLines();
  void Noticed();
  // Watches the file and its folder, or the nearest folder above it that
  // exists while the folder is gone (deleted, or a backup being restored),
  // so that its return is noticed too.
  void Rearm();

  ViewerPresenter m_presenter;
  ViewerRowsModel m_rows{m_presenter};
  // What the table showed: a page of the same month in the file's order
  // with more rows is the same rows with appends.
  int m_shownMonth = -1;
  int m_shownSort = -1;
  QFileSystemWatcher m_watcher;
  QTimer m_changeDelay;
  ChangeDelay m_delay{kViewerChangeDelayMs, kViewerChangeLongestDelayMs};
  QElapsedTimer m_clock;
  QString m_watchedFile;

  QPushButton* btn_Prev = nullptr;
  QPushButton* btn_Next = nullptr;
  QLabel* lbl_Month = nullptr;
  QSpinBox* spn_Year = nullptr;
  QLabel* lbl_Total = nullptr;
  QLabel* lbl_Status = nullptr;
  QPushButton* btn_Unreadable = nullptr;
  QTableView* tbl_Items = nullptr;
  MonthStrip* pnl_Strip = nullptr;
  KindChart* pnl_Kinds = nullptr;
};

}  // namespace mametan
