#include "qt/ViewerWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QShowEvent>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/viewer/StripLayout.h"
#include "qt/CorrectionWindow.h"
#include "qt/MessageBox.h"

namespace mametan {
namespace {

QString Q(const std::string& utf8) { return QString::fromStdString(utf8); }
QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

constexpr int kMargin = 6;
// The chosen month's frame in the strip.
constexpr int kMarkFrame = 2;

void FillRect(QPainter& painter, const StripRect& r, const QColor& colour) {
  painter.fillRect(QRect(r.left, r.top, r.Width(), r.Height()), colour);
}

void DrawText(QPainter& painter, const StripRect& r, const std::string& text) {
  painter.drawText(QRect(r.left, r.top, r.Width(), r.Height()), Qt::AlignCenter, Q(text));
}

}  // namespace

// The chosen year's twelve monthly totals as columns, the chosen month
// marked; a press on a month chooses it. Where everything goes and which
// labels fit is the core's strip layout, measured in this widget's fonts.
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
    const QFont small = SmallFont();
    const std::vector<StripCell> cells = Layout();
    for (const StripCell& cell : cells) {
      if (cell.chosen) {
        const StripRect& m = cell.mark;
        FillRect(painter, m, palette().color(QPalette::AlternateBase));
        const QColor frame = palette().color(QPalette::Highlight);
        FillRect(painter, {m.left, m.top, m.right, m.top + kMarkFrame}, frame);
        FillRect(painter, {m.left, m.bottom - kMarkFrame, m.right, m.bottom}, frame);
        FillRect(painter, {m.left, m.top, m.left + kMarkFrame, m.bottom}, frame);
        FillRect(painter, {m.right - kMarkFrame, m.top, m.right, m.bottom}, frame);
      }
      FillRect(painter, cell.bar,
               cell.chosen ? palette().color(QPalette::Highlight) : palette().color(QPalette::Mid));
      painter.setPen(palette().color(QPalette::WindowText));
      painter.setFont(small);
      DrawText(painter, cell.amountBox, cell.amount);
      painter.setFont(font());
      DrawText(painter, cell.monthBox, cell.monthText);
    }
  }
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    if (const int month = StripMonthAt(Layout(), at.x(), at.y())) m_presenter.ChooseMonth(month);
  }

 private:
  QFont SmallFont() const {
    QFont small = font();
    small.setPointSizeF(font().pointSizeF() * 0.85);
    return small;
  }
  std::vector<StripCell> Layout() const {
    const QFontMetrics smallFm(SmallFont());
    const QFontMetrics fm(font());
    const StripMetrics metrics{width(), height(), smallFm.height() + 4, fm.height() + 2,
                               0,       2,        kMarkFrame,           4};
    return LayOutMonthStrip(
        m_cells, metrics,
        [&smallFm](const std::string& text) { return smallFm.horizontalAdvance(Q(text)); },
        [&fm](const std::string& text) { return fm.horizontalAdvance(Q(text)); });
  }

  ViewerPresenter& m_presenter;
  std::vector<ViewerMonthCell> m_cells;
};

// The month's totals per kind as horizontal bars, largest first, each with
// its amount and share.
class KindChart : public QWidget {
 public:
  explicit KindChart(ViewerPresenter& presenter) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Minimum);
    // A press on the chart and Ctrl+C copy its lines as text.
    setFocusPolicy(Qt::ClickFocus);
    auto* copy = new QShortcut(QKeySequence::Copy, this, nullptr, nullptr, Qt::WidgetShortcut);
    QObject::connect(copy, &QShortcut::activated, this, [&presenter] {
      QApplication::clipboard()->setText(Q(presenter.BarsText("\n")));
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

void ViewerRowsModel::Update(bool appended) {
  m_cachedRow = -1;
  const int count = static_cast<int>(m_presenter.page().rowCount);
  if (appended && count >= m_count) {
    if (count > m_count) {
      beginInsertRows({}, m_count, count - 1);
      m_count = count;
      endInsertRows();
    }
    // A row already shown may read otherwise now (the file edited in place).
    if (count > 0) emit dataChanged(index(0, 0), index(count - 1, columnCount() - 1));
    return;
  }
  beginResetModel();
  m_count = count;
  endResetModel();
}

int ViewerRowsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : m_count;
}

int ViewerRowsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(kViewerColumns.size());
}

QVariant ViewerRowsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const auto column = static_cast<std::size_t>(index.column());
  if (column >= kViewerColumns.size()) return {};
  if (role == Qt::TextAlignmentRole) {
    return kViewerColumns[column].alignRight ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                             : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
  }
  if (role != Qt::DisplayRole) return {};
  if (index.row() != m_cachedRow) {
    m_cached = m_presenter.Row(static_cast<std::size_t>(index.row()));
    m_cachedRow = index.row();
  }
  const std::string* cells[] = {&m_cached.date, &m_cached.kind, &m_cached.goods,
                                &m_cached.priceText};
  return Q(*cells[column]);
}

QVariant ViewerRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= static_cast<int>(kViewerColumns.size()))
    return {};
  return Q(kViewerColumns[static_cast<std::size_t>(section)].title);
}

Tform_View::Tform_View(int today, QWidget* parent) : QWidget(parent), m_presenter(*this, today) {
  setObjectName(QStringLiteral("form_View"));
  setAcceptDrops(true);
  resize(1000, 640);

  btn_Prev = new QPushButton(Q(viewer_text::kPrevious), this);
  btn_Next = new QPushButton(Q(viewer_text::kNext), this);
  lbl_Month = new QLabel(this);
  QFont big = lbl_Month->font();
  big.setPointSizeF(big.pointSizeF() * 1.3);
  big.setBold(true);
  lbl_Month->setFont(big);
  lbl_Month->setAlignment(Qt::AlignCenter);
  lbl_Month->setMinimumWidth(QFontMetrics(big).horizontalAdvance(Q(viewer_text::kMonthWidest)) +
                             16);
  spn_Year = new QSpinBox(this);
  spn_Year->setRange(kViewerFirstYear, kViewerLastYear);
  spn_Year->setSuffix(QStringLiteral(" ") + Q(viewer_text::kYear));
  lbl_Total = new QLabel(this);
  lbl_Total->setFont(big);
  btn_Unreadable = new QPushButton(this);
  lbl_Status = new QLabel(this);
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

  tbl_Items = new QTableView(this);
  tbl_Items->setModel(&m_rows);
  tbl_Items->verticalHeader()->setVisible(false);
  tbl_Items->verticalHeader()->setDefaultSectionSize(tbl_Items->fontMetrics().height() + 8);
  // Every row as high: nothing is measured row by row.
  tbl_Items->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  tbl_Items->setColumnWidth(
      0, tbl_Items->fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00")) + 16);
  tbl_Items->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tbl_Items->setSelectionBehavior(QAbstractItemView::SelectRows);
  tbl_Items->setAlternatingRowColors(true);
  tbl_Items->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
  // The presenter sorts; the heading shows its order.
  tbl_Items->horizontalHeader()->setSectionsClickable(true);
  connect(tbl_Items->horizontalHeader(), &QHeaderView::sectionClicked, this,
          [this](int column) { m_presenter.SortBy(column); });

  pnl_Strip = new MonthStrip(m_presenter);
  pnl_Kinds = new KindChart(m_presenter);
  auto* kindScroll = new QScrollArea;
  kindScroll->setWidget(pnl_Kinds);
  kindScroll->setWidgetResizable(true);
  kindScroll->setFrameShape(QFrame::NoFrame);

  auto* charts = new QWidget;
  auto* chartsLayout = new QVBoxLayout(charts);
  chartsLayout->setContentsMargins(0, 0, 0, 0);
  chartsLayout->addWidget(new QLabel(Q(viewer_text::kStripCaption)));
  chartsLayout->addWidget(pnl_Strip);
  chartsLayout->addWidget(new QLabel(Q(viewer_text::kKindsCaption)));
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
  // Enter or a double click corrects the purchase, Delete deletes it; Ctrl+Z
  // and Ctrl+Y take back and do again, wherever the focus is.
  connect(tbl_Items, &QAbstractItemView::activated, this, [this](const QModelIndex& index) {
    if (index.isValid()) m_presenter.CorrectRow(static_cast<std::size_t>(index.row()));
  });
  auto* erase =
      new QShortcut(QKeySequence::Delete, tbl_Items, nullptr, nullptr, Qt::WidgetShortcut);
  connect(erase, &QShortcut::activated, this, [this] {
    if (const int row = CurrentRow(); row >= 0) {
      m_presenter.DeleteRow(static_cast<std::size_t>(row));
    }
  });
  auto* undo = new QShortcut(QKeySequence::Undo, this);
  connect(undo, &QShortcut::activated, this, [this] { m_presenter.Undo(); });
  for (const QKeySequence& sequence :
       {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}) {
    auto* redo = new QShortcut(sequence, this);
    connect(redo, &QShortcut::activated, this, [this] { m_presenter.Redo(); });
  }

  m_changeDelay.setSingleShot(true);
  m_clock.start();
  connect(&m_changeDelay, &QTimer::timeout, this, [this] {
    m_delay.Read();
    Rearm();
    m_presenter.FileChanged();
  });
  connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, [this] { Noticed(); });
  connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { Noticed(); });
}

void Tform_View::Noticed() {
  // Waits for quiet, but a steady stream of notices is read within the bound.
  m_changeDelay.start(static_cast<int>(m_delay.Notice(m_clock.elapsed())));
}

Tform_View::~Tform_View() = default;

void Tform_View::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // The keyboard starts in the purchases, as on Windows.
  if (!event->spontaneous() && !focusWidget()) tbl_Items->setFocus(Qt::OtherFocusReason);
}

void Tform_View::ShowPage(const ViewerPage& page) {
  setWindowTitle(Q(page.title));
  lbl_Month->setText(Q(page.monthText));
  {
    const QSignalBlocker block(spn_Year);
    spn_Year->setValue(page.year);
  }
  lbl_Total->setText(Q(page.totalText));
  // A fault in red; how far a read has come in the usual colour.
  lbl_Status->setStyleSheet(page.reading ? QString() : QStringLiteral("color: #b00000"));
  lbl_Status->setText(Q(page.status));
  lbl_Status->setVisible(!page.status.empty());
  btn_Unreadable->setText(Q(page.unreadableText));
  btn_Unreadable->setEnabled(page.unreadableCount > 0);

  const int month = MonthKey(page.year, page.month);
  // A month read again (after a correction, say) keeps the keyboard's row.
  const int current = month == m_shownMonth ? CurrentRow() : -1;
  m_rows.Update(month == m_shownMonth && page.sortColumn < 0 && m_shownSort < 0);
  if (current >= 0 && !tbl_Items->currentIndex().isValid() && page.rowCount > 0) {
    const int row = std::min(current, static_cast<int>(page.rowCount) - 1);
    tbl_Items->setCurrentIndex(m_rows.index(row, 0));
  }
  m_shownMonth = month;
  m_shownSort = page.sortColumn;
  QHeaderView* header = tbl_Items->horizontalHeader();
  header->setSortIndicatorShown(page.sortColumn >= 0);
  header->setSortIndicator(page.sortColumn,
                           page.sortAscending ? Qt::AscendingOrder : Qt::DescendingOrder);

  pnl_Strip->SetCells(page.strip);
  pnl_Kinds->SetBars(page.bars);
}

void Tform_View::WatchFile(const std::string& path) {
  m_watchedFile.clear();
  if (!path.empty()) m_watchedFile = QFileInfo(Q(path)).absoluteFilePath();
  Rearm();
}

void Tform_View::ReadOnLater() {
  // A zero timer runs once the events waiting now, painting included, are done.
  QTimer::singleShot(0, this, [this] { m_presenter.ReadOn(); });
}

void Tform_View::Rearm() {
  QStringList wanted;
  if (!m_watchedFile.isEmpty()) {
    const QFileInfo file(m_watchedFile);
    // The nearest folder that exists, and the one above it, so that the
    // folder's being renamed away or replaced is seen as well.
    QDir folder = file.absoluteDir();
    while (!folder.exists() && !folder.isRoot()) {
      if (!folder.cdUp()) break;
    }
    if (folder.exists()) {
      wanted << folder.absolutePath();
      QDir above = folder;
      if (!above.isRoot() && above.cdUp()) wanted << above.absolutePath();
    }
    if (file.exists()) wanted << m_watchedFile;
  }
  QStringList watched = m_watcher.files() + m_watcher.directories();
  // Paths that were deleted are no longer watched, even if made again: a
  // path is watched anew each time, so that it is the thing there now.
  if (!watched.isEmpty()) m_watcher.removePaths(watched);
  if (!wanted.isEmpty()) m_watcher.addPaths(wanted);
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

int Tform_View::CurrentRow() const {
  const QModelIndex current = tbl_Items->currentIndex();
  return current.isValid() ? current.row() : -1;
}

bool Tform_View::AskYesNo(const std::string& question) {
  QMessageBox box(QMessageBox::Question, kApplicationTitle, QString::fromStdString(question),
                  QMessageBox::NoButton, this);
  // The letters alone answer too: the box takes a button's mnemonic without Alt.
  QPushButton* yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
  QPushButton* no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
  box.setDefaultButton(no);
  box.setEscapeButton(no);
  box.exec();
  return box.clickedButton() == yes;
}

void Tform_View::OpenCorrection(const LedgerLineBytes& purchase) {
  Tform_Correction window(m_presenter.history(), m_presenter.kindFile(), this);
  if (window.Correct(purchase)) m_presenter.FileChanged();
}

void Tform_View::ShowMessage(const std::string& text, MessageIcon icon) {
  ShowMessageBox(QString::fromStdString(text), icon, this);
}

void Tform_View::ShowErrorBox(const std::string& text) {
  mametan::ShowErrorBox(QString::fromStdString(text), this);
}

void Tform_View::CopySelectedRows() {
  std::vector<std::size_t> rows;
  for (const QModelIndex& index : tbl_Items->selectionModel()->selectedRows())
    rows.push_back(static_cast<std::size_t>(index.row()));
  std::sort(rows.begin(), rows.end());
  QApplication::clipboard()->setText(Q(m_presenter.RowsText(rows, "\n")));
}

void Tform_View::ShowUnreadableLines() {
  QDialog dialog(this);
  dialog.setWindowTitle(Q(viewer_text::kUnreadableTitle));
  dialog.resize(640, 360);
  auto* table = new QTableWidget(0, static_cast<int>(kUnreadableColumns.size()), &dialog);
  table->setHorizontalHeaderLabels(
      {Q(kUnreadableColumns[0].title), Q(kUnreadableColumns[1].title)});
  table->verticalHeader()->setVisible(false);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->horizontalHeader()->setStretchLastSection(true);
  const std::vector<ViewerUnreadable> lines = m_presenter.UnreadableLines();
  table->setRowCount(static_cast<int>(lines.size()));
  for (int row = 0; row < table->rowCount(); ++row) {
    const ViewerUnreadable& line = lines[static_cast<std::size_t>(row)];
    const std::string* cells[] = {&line.lineText, &line.text};
    for (int column = 0; column < 2; ++column) {
      auto* cell = new QTableWidgetItem(Q(*cells[column]));
      if (kUnreadableColumns[static_cast<std::size_t>(column)].alignRight)
        cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      table->setItem(row, column, cell);
    }
  }
  auto* note = new QLabel(&dialog);
  note->setText(Q(UnreadableNote(m_presenter.page().unreadableCount, lines.size())));
  auto* buttons = new QDialogButtonBox(&dialog);
  buttons->addButton(Q(viewer_text::kClose), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* copy = new QShortcut(QKeySequence::Copy, table, nullptr, nullptr, Qt::WidgetShortcut);
  connect(copy, &QShortcut::activated, table, [table, &lines] {
    std::vector<std::size_t> chosen;
    for (int row = 0; row < table->rowCount(); ++row) {
      if (table->selectionModel()->isRowSelected(row, QModelIndex()))
        chosen.push_back(static_cast<std::size_t>(row));
    }
    QApplication::clipboard()->setText(Q(UnreadableText(lines, chosen, "\n")));
  });
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(note);
  layout->addWidget(table, 1);
  layout->addWidget(buttons);
  dialog.exec();
}

}  // namespace mametan
