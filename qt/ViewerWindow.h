#pragma once
// The ledger viewer's window (Qt): the month chooser, the month's purchases,
// the year's strip of monthly totals and the month's totals per kind as bars.
// Follows the ledger through file change notification and takes a ledger
// dropped on it.
#include <QFileSystemWatcher>
#include <QTimer>
#include <QWidget>

#include "core/viewer/ViewerPresenter.h"

class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace mametan {

class MonthStrip;
class KindChart;

class Tform_View : public QWidget, public ViewerView {
  Q_OBJECT

 public:
  // `today` is the month shown for a ledger without purchases (a MonthKey).
  explicit Tform_View(int today, QWidget* parent = nullptr);
  ~Tform_View() override;

  ViewerPresenter& presenter() { return m_presenter; }

  void ShowPage(const ViewerPage& page) override;
  void WatchFile(const std::string& path) override;
  void CloseWindow() override { close(); }

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void CopySelectedRows();
  void ShowUnreadableLines();

  ViewerPresenter m_presenter;
  QFileSystemWatcher m_watcher;
  QTimer m_changeDelay;
  QString m_watchedFile;

  QPushButton* btn_Prev = nullptr;
  QPushButton* btn_Next = nullptr;
  QLabel* lbl_Month = nullptr;
  QSpinBox* spn_Year = nullptr;
  QLabel* lbl_Total = nullptr;
  QLabel* lbl_Status = nullptr;
  QPushButton* btn_Unreadable = nullptr;
  QTableWidget* tbl_Items = nullptr;
  MonthStrip* pnl_Strip = nullptr;
  KindChart* pnl_Kinds = nullptr;
};

}  // namespace mametan
