// The viewer's window: what only the Qt view does: a press on a heading
// reaching the presenter's sort, the month keys while the table has the
// focus, copying the selected rows, a dropped ledger, an append that keeps
// the selection.
#include "qt/ViewerWindow.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QMimeData>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <fstream>

namespace mametan {
namespace {

QStringList Column(const QTableView& table, int column) {
  QStringList texts;
  const QAbstractItemModel& model = *table.model();
  for (int row = 0; row < model.rowCount(); ++row)
    texts << model.data(model.index(row, column)).toString();
  return texts;
}

TEST(LedgerViewer, HeadingsSortMonthKeysWorkInTheTableDropOpens) {
  QTemporaryDir dir;
  const QString path = dir.filePath("kakeibo.csv");
  std::ofstream(path.toStdString(), std::ios::binary) << "2001/11/10,a,x,150\r\n"
                                                         "2001/11/02,b,y,1050\r\n"
                                                         "2001/10/31,c,z,7\r\n"
                                                         "2001/11/5,c,w,20000\r\n";
  Tform_View view(MonthKey(2026, 12));
  view.presenter().Open(path.toStdString());
  view.show();
  view.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
  auto* table = view.findChild<QTableView*>();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(Column(*table, 3), (QStringList{"150", "1,050", "20,000"})) << "the file's order";
  EXPECT_EQ(table->model()->data(table->model()->index(0, 3), Qt::TextAlignmentRole).toInt(),
            int(Qt::AlignRight | Qt::AlignVCenter));

  table->selectRow(0);
  std::ofstream(path.toStdString(), std::ios::binary | std::ios::app) << "2001/11/20,d,v,5\r\n";
  view.presenter().FileChanged();
  EXPECT_EQ(Column(*table, 3), (QStringList{"150", "1,050", "20,000", "5"}));
  EXPECT_TRUE(table->selectionModel()->isRowSelected(0, {})) << "an append keeps the selection";

  QHeaderView* header = table->horizontalHeader();
  const auto clickHeader = [header](int column) {
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
  };
  clickHeader(3);
  EXPECT_EQ(Column(*table, 3), (QStringList{"5", "150", "1,050", "20,000"}));
  clickHeader(3);
  EXPECT_EQ(Column(*table, 3), (QStringList{"20,000", "1,050", "150", "5"}));
  EXPECT_EQ(header->sortIndicatorSection(), 3);
  EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
  clickHeader(0);

  // Rows copied as a user selects them; the month keys act with the focus in the table.
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                    table->visualRect(table->model()->index(0, 1)).center());
  ASSERT_TRUE(table->hasFocus());
  QTest::keyClick(table, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(),
            "2001/11/02\tb\ty\t1,050\n2001/11/5\tc\tw\t20,000\n2001/11/10\ta\tx\t150\n"
            "2001/11/20\td\tv\t5\n");
  QTest::keyClick(table, Qt::Key_PageUp);
  EXPECT_EQ(view.presenter().page().monthText, "2001年10月");
  EXPECT_EQ(Column(*table, 2), QStringList{"z"});
  QTest::keyClick(table, Qt::Key_PageDown);
  EXPECT_EQ(view.presenter().page().monthText, "2001年11月");

  const QString other = dir.filePath("other.csv");
  std::ofstream(other.toStdString(), std::ios::binary) << "2002/01/01,k,g,1\r\n";
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(other)});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
  QApplication::sendEvent(&view, &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
  QApplication::sendEvent(&view, &drop);
  EXPECT_EQ(view.windowTitle(), "まめたん家計簿 一覧 - other.csv");
  EXPECT_EQ(Column(*table, 2), QStringList{"g"});

  QTest::keyClick(table, Qt::Key_Escape);
  EXPECT_FALSE(view.isVisible());
}

}  // namespace
}  // namespace mametan
