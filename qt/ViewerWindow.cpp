#include "qt/ViewerWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace mametan {
namespace {

QString Q(const std::string& utf8) { return QString::fromStdString(utf8); }

// A table cell that sorts by a number rather than by its text.
class NumberItem : public QTableWidgetItem {
 public:
  NumberItem(const QString& text, qint64 value) : QTableWidgetItem(text), m_value(value) {}
  bool operator<(const QTableWidgetItem& other) const override {
    if (const auto* number = dynamic_cast<const NumberItem*>(&other))
      return m_value < number->m_value;
    return QTableWidgetItem::operator<(other);
  }

 private:
  qint64 m_value;
};

constexpr int kMargin = 6;

}  // namespace

// The chosen year's twelve monthly totals as columns, the chosen month
// marked; a press on a month chooses it.
class MonthStrip : public QWidget {
 public:
  explicit MonthStrip(ViewerPresenter& presenter) : m_presenter(presenter) {
    setMinimumHeight(fontMetrics().height() * 5);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  }
  void SetCells(std::vector<ViewerMonthCell> cells) {
    m_cells = std::move(cells);
    update();
  }
  QSize sizeHint() const override { return {480, fontMetrics().height() * 6}; }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int n = static_cast<int>(m_cells.size());
    if (n == 0) return;
    QFont small = font();
    small.setPointSizeF(font().pointSizeF() * 0.85);
    const QFontMetrics fm(font());
    const QFontMetrics smallFm(small);
    const double column = static_cast<double>(width()) / n;
    const int barTop = smallFm.height() + 4;
    const int barBottom = height() - fm.height() - 4;
    for (int i = 0; i < n; ++i) {
      const ViewerMonthCell& cell = m_cells[static_cast<std::size_t>(i)];
      const QRectF area(i * column, 0, column, height());
      if (cell.chosen) {
        painter.fillRect(area.adjusted(1, 0, -1, 0), palette().color(QPalette::AlternateBase));
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.drawRect(area.adjusted(2, 1, -2, -1));
      }
      const double barHeight = (barBottom - barTop) * cell.length;
      const double barWidth = std::max(4.0, column * 0.5);
      const QRectF bar(area.center().x() - barWidth / 2, barBottom - barHeight, barWidth,
                       barHeight);
      painter.fillRect(
          bar, cell.chosen ? palette().color(QPalette::Highlight) : palette().color(QPalette::Mid));
      painter.setPen(palette().color(QPalette::WindowText));
      painter.setFont(small);
      QString amount = Q(cell.amountText);
      if (smallFm.horizontalAdvance(amount) > column - 2 && cell.amount >= 10000) {
        amount = QString::number(cell.amount / 10000) + QStringLiteral("万");
      }
      painter.drawText(QRectF(area.left(), 0, column, barTop), Qt::AlignCenter, amount);
      painter.setFont(font());
      painter.drawText(QRectF(area.left(), barBottom + 2, column, fm.height() + 2), Qt::AlignCenter,
                       QString::number(cell.month) + QStringLiteral("月"));
    }
  }
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton || m_cells.empty()) return;
    const int i =
        static_cast<int>(event->position().x() * static_cast<double>(m_cells.size()) / width());
    m_presenter.ChooseMonth(i + 1);
  }

 private:
  ViewerPresenter& m_presenter;
  std::vector<ViewerMonthCell> m_cells;
};

// The month's totals per kind as horizontal bars, largest first, each with
// its amount and share.
class KindChart : public QWidget {
 public:
  KindChart() {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Minimum);
    // A press on the chart and Ctrl+C copy its lines as text (kind, amount, share).
    setFocusPolicy(Qt::ClickFocus);
    auto* copy = new QShortcut(QKeySequence::Copy, this, nullptr, nullptr, Qt::WidgetShortcut);
    QObject::connect(copy, &QShortcut::activated, this, [this] {
      QString text;
      for (const ViewerBar& bar : m_bars) {
        text += Q(bar.label) + QLatin1Char('\t') + Q(bar.amountText) + QLatin1Char('\t') +
                Q(bar.shareText) + QLatin1Char('\n');
      }
      QApplication::clipboard()->setText(text);
    });
  }
  void SetBars(std::vector<ViewerBar> bars) {
    m_bars = std::move(bars);
    updateGeometry();
    update();
  }
  QSize sizeHint() const override {
    return {360, RowHeight() * static_cast<int>(m_bars.size()) + 2 * kMargin};
  }
  QSize minimumSizeHint() const override { return {240, sizeHint().height()}; }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const QFontMetrics fm(font());
    int labelWidth = 0;
    int textWidth = 0;
    for (const ViewerBar& bar : m_bars) {
      labelWidth = std::max(labelWidth, fm.horizontalAdvance(Q(bar.label)));
      textWidth = std::max(textWidth, fm.horizontalAdvance(Text(bar)));
    }
    labelWidth = std::min(labelWidth, width() * 2 / 5);
    const int barLeft = kMargin + labelWidth + kMargin;
    const int barSpace = std::max(0, width() - barLeft - textWidth - 2 * kMargin);
    int y = kMargin;
    for (const ViewerBar& bar : m_bars) {
      const int h = RowHeight();
      painter.setPen(palette().color(QPalette::WindowText));
      const QString label = Q(bar.label);
      painter.drawText(QRect(kMargin - 2, y, labelWidth + 2, h), Qt::AlignRight | Qt::AlignVCenter,
                       fm.horizontalAdvance(label) <= labelWidth
                           ? label
                           : fm.elidedText(label, Qt::ElideRight, labelWidth));
      const int length = static_cast<int>(barSpace * bar.length);
      painter.fillRect(QRect(barLeft, y + 3, length, h - 6), palette().color(QPalette::Highlight));
      painter.drawText(QRect(barLeft + length + kMargin, y, textWidth + kMargin, h),
                       Qt::AlignLeft | Qt::AlignVCenter, Text(bar));
      y += h;
    }
  }

 private:
  int RowHeight() const { return fontMetrics().height() + 8; }
  static QString Text(const ViewerBar& bar) {
    return bar.shareText.empty() ? Q(bar.amountText)
                                 : Q(bar.amountText) + QStringLiteral("  ") + Q(bar.shareText);
  }
  std::vector<ViewerBar> m_bars;
};

Tform_View::Tform_View(int today, QWidget* parent) : QWidget(parent), m_presenter(*this, today) {
  setObjectName(QStringLiteral("form_View"));
  setAcceptDrops(true);
  resize(1000, 640);

  btn_Prev = new QPushButton(QStringLiteral("◀ 前の月"), this);
  btn_Next = new QPushButton(QStringLiteral("次の月 ▶"), this);
  lbl_Month = new QLabel(this);
  QFont big = lbl_Month->font();
  big.setPointSizeF(big.pointSizeF() * 1.3);
  big.setBold(true);
  lbl_Month->setFont(big);
  lbl_Month->setAlignment(Qt::AlignCenter);
  lbl_Month->setMinimumWidth(QFontMetrics(big).horizontalAdvance(QStringLiteral("0000年00月")) +
                             16);
  spn_Year = new QSpinBox(this);
  spn_Year->setRange(1, 9999);
  spn_Year->setSuffix(QStringLiteral(" 年"));
  lbl_Total = new QLabel(this);
  lbl_Total->setFont(big);
  btn_Unreadable = new QPushButton(this);
  lbl_Status = new QLabel(this);
  lbl_Status->setStyleSheet(QStringLiteral("color: #b00000"));
  lbl_Status->setWordWrap(true);

  for (QWidget* w : {static_cast<QWidget*>(btn_Prev), static_cast<QWidget*>(btn_Next),
                     static_cast<QWidget*>(btn_Unreadable)}) {
    w->setFocusPolicy(Qt::TabFocus);
  }

  auto* chooser = new QHBoxLayout;
  chooser->addWidget(btn_Prev);
  chooser->addWidget(lbl_Month);
  chooser->addWidget(btn_Next);
  chooser->addSpacing(12);
  chooser->addWidget(spn_Year);
  chooser->addSpacing(24);
  chooser->addWidget(lbl_Total);
  chooser->addStretch(1);
  chooser->addWidget(btn_Unreadable);

  tbl_Items = new QTableWidget(0, 4, this);
  tbl_Items->setHorizontalHeaderLabels({QStringLiteral("日付"), QStringLiteral("種類"),
                                        QStringLiteral("商品名"), QStringLiteral("価格")});
  tbl_Items->verticalHeader()->setVisible(false);
  tbl_Items->verticalHeader()->setDefaultSectionSize(tbl_Items->fontMetrics().height() + 8);
  tbl_Items->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tbl_Items->setSelectionBehavior(QAbstractItemView::SelectRows);
  tbl_Items->setAlternatingRowColors(true);
  tbl_Items->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
  tbl_Items->setSortingEnabled(true);
  tbl_Items->sortByColumn(-1, Qt::AscendingOrder);

  pnl_Strip = new MonthStrip(m_presenter);
  pnl_Kinds = new KindChart;
  auto* kindScroll = new QScrollArea;
  kindScroll->setWidget(pnl_Kinds);
  kindScroll->setWidgetResizable(true);
  kindScroll->setFrameShape(QFrame::NoFrame);

  auto* charts = new QWidget;
  auto* chartsLayout = new QVBoxLayout(charts);
  chartsLayout->setContentsMargins(0, 0, 0, 0);
  chartsLayout->addWidget(new QLabel(QStringLiteral("月ごとの合計")));
  chartsLayout->addWidget(pnl_Strip);
  chartsLayout->addWidget(new QLabel(QStringLiteral("種類ごとの合計")));
  chartsLayout->addWidget(kindScroll, 1);

  auto* splitter = new QSplitter(this);
  splitter->addWidget(tbl_Items);
  splitter->addWidget(charts);
  splitter->setStretchFactor(0, 5);
  splitter->setStretchFactor(1, 4);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(chooser);
  layout->addWidget(lbl_Status);
  layout->addWidget(splitter, 1);

  connect(btn_Prev, &QPushButton::clicked, this, [this] { m_presenter.PreviousMonth(); });
  connect(btn_Next, &QPushButton::clicked, this, [this] { m_presenter.NextMonth(); });
  connect(spn_Year, &QSpinBox::valueChanged, this, [this](int year) { m_presenter.SetYear(year); });
  connect(btn_Unreadable, &QPushButton::clicked, this, [this] { ShowUnreadableLines(); });
  // The month keys work wherever the focus is, the table included.
  const std::pair<QKeySequence, ViewerKey> keys[] = {
      {QKeySequence(Qt::Key_PageUp), ViewerKey::PageUp},
      {QKeySequence(Qt::Key_PageDown), ViewerKey::PageDown},
      {QKeySequence(Qt::Key_Escape), ViewerKey::Escape}};
  for (const auto& [sequence, key] : keys) {
    auto* shortcut = new QShortcut(sequence, this);
    connect(shortcut, &QShortcut::activated, this, [this, key = key] { m_presenter.KeyDown(key); });
  }
  auto* copy = new QShortcut(QKeySequence::Copy, tbl_Items, nullptr, nullptr, Qt::WidgetShortcut);
  connect(copy, &QShortcut::activated, this, [this] { CopySelectedRows(); });

  // Changes come in bursts (a write, then a close; a save that replaces the
  // file): one read once they are over.
  m_changeDelay.setSingleShot(true);
  m_changeDelay.setInterval(50);
  connect(&m_changeDelay, &QTimer::timeout, this, [this] {
    if (!m_watchedFile.isEmpty() && !m_watcher.files().contains(m_watchedFile) &&
        QFileInfo::exists(m_watchedFile)) {
      m_watcher.addPath(m_watchedFile);  // replaced or created: watch the new file
    }
    m_presenter.FileChanged();
  });
  connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, [this] { m_changeDelay.start(); });
  connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this,
          [this] { m_changeDelay.start(); });
}

Tform_View::~Tform_View() = default;

void Tform_View::ShowPage(const ViewerPage& page) {
  setWindowTitle(Q(page.title));
  lbl_Month->setText(Q(page.monthText));
  {
    const QSignalBlocker block(spn_Year);
    spn_Year->setValue(page.year);
  }
  lbl_Total->setText(Q(page.totalText));
  lbl_Status->setText(Q(page.status));
  lbl_Status->setVisible(!page.status.empty());
  btn_Unreadable->setText(Q(page.unreadableText));
  btn_Unreadable->setEnabled(page.unreadableCount > 0);

  const int sortColumn = tbl_Items->horizontalHeader()->sortIndicatorSection();
  const Qt::SortOrder sortOrder = tbl_Items->horizontalHeader()->sortIndicatorOrder();
  tbl_Items->setUpdatesEnabled(false);
  tbl_Items->setSortingEnabled(false);
  tbl_Items->clearContents();
  tbl_Items->setRowCount(static_cast<int>(page.rows.size()));
  int row = 0;
  for (const ViewerRow& item : page.rows) {
    // Equal dates keep the file's order.
    tbl_Items->setItem(row, 0, new NumberItem(Q(item.date), (qint64{item.dateOrder} << 32) + row));
    tbl_Items->setItem(row, 1, new QTableWidgetItem(Q(item.kind)));
    tbl_Items->setItem(row, 2, new QTableWidgetItem(Q(item.goods)));
    auto* price = new NumberItem(Q(item.priceText), item.price);
    price->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    tbl_Items->setItem(row, 3, price);
    ++row;
  }
  tbl_Items->setSortingEnabled(true);
  tbl_Items->sortByColumn(sortColumn, sortOrder);
  tbl_Items->setUpdatesEnabled(true);
  if (tbl_Items->columnWidth(0) < 100) tbl_Items->resizeColumnToContents(0);

  pnl_Strip->SetCells(page.strip);
  pnl_Kinds->SetBars(page.bars);
}

void Tform_View::WatchFile(const std::string& path) {
  if (!m_watcher.files().isEmpty()) m_watcher.removePaths(m_watcher.files());
  if (!m_watcher.directories().isEmpty()) m_watcher.removePaths(m_watcher.directories());
  m_watchedFile.clear();
  if (path.empty()) return;
  const QFileInfo info(Q(path));
  m_watchedFile = info.absoluteFilePath();
  m_watcher.addPath(info.absolutePath());
  if (info.exists()) m_watcher.addPath(m_watchedFile);
}

void Tform_View::dragEnterEvent(QDragEnterEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (!urls.isEmpty() && urls.front().isLocalFile()) event->acceptProposedAction();
}

void Tform_View::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.isEmpty() || !urls.front().isLocalFile()) return;
  event->acceptProposedAction();
  m_presenter.Open(urls.front().toLocalFile().toStdString());
}

void Tform_View::CopySelectedRows() {
  QList<int> rows;
  for (const QModelIndex& index : tbl_Items->selectionModel()->selectedRows())
    rows.append(index.row());
  std::sort(rows.begin(), rows.end());
  QString text;
  for (const int row : rows) {
    QStringList cells;
    for (int column = 0; column < tbl_Items->columnCount(); ++column) {
      const QTableWidgetItem* item = tbl_Items->item(row, column);
      cells.append(item ? item->text() : QString());
    }
    text += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
  }
  QApplication::clipboard()->setText(text);
}

void Tform_View::ShowUnreadableLines() {
  QDialog dialog(this);
  dialog.setWindowTitle(QStringLiteral("読めなかった行"));
  dialog.resize(640, 360);
  auto* table = new QTableWidget(0, 2, &dialog);
  table->setHorizontalHeaderLabels({QStringLiteral("行"), QStringLiteral("内容")});
  table->verticalHeader()->setVisible(false);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->horizontalHeader()->setStretchLastSection(true);
  const std::vector<ViewerUnreadable> lines = m_presenter.UnreadableLines();
  table->setRowCount(static_cast<int>(lines.size()));
  for (int row = 0; row < table->rowCount(); ++row) {
    const ViewerUnreadable& line = lines[static_cast<std::size_t>(row)];
    auto* number = new QTableWidgetItem(Q(line.lineText));
    number->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    table->setItem(row, 0, number);
    table->setItem(row, 1, new QTableWidgetItem(Q(line.text)));
  }
  auto* note = new QLabel(&dialog);
  const std::uint64_t count = m_presenter.page().unreadableCount;
  note->setText(count > lines.size()
                    ? QStringLiteral("%1 行のうち最初の %2 行").arg(count).arg(lines.size())
                    : QStringLiteral("%1 行").arg(count));
  auto* buttons = new QDialogButtonBox(&dialog);
  buttons->addButton(QStringLiteral("閉じる"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* copy = new QShortcut(QKeySequence::Copy, table, nullptr, nullptr, Qt::WidgetShortcut);
  connect(copy, &QShortcut::activated, table, [table] {
    QString text;
    for (int row = 0; row < table->rowCount(); ++row) {
      if (!table->selectionModel()->isRowSelected(row, QModelIndex())) continue;
      text += table->item(row, 0)->text() + QLatin1Char('\t') + table->item(row, 1)->text() +
              QLatin1Char('\n');
    }
    QApplication::clipboard()->setText(text);
  });
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(note);
  layout->addWidget(table, 1);
  layout->addWidget(buttons);
  dialog.exec();
}

}  // namespace mametan
