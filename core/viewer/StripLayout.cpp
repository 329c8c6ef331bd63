#include "core/viewer/StripLayout.h"

#include <algorithm>

namespace mametan {
namespace {

constexpr std::int64_t kMan = 10000;

// A rectangle shrunk on each side; one too small for it shrinks to its middle.
StripRect Inset(const StripRect& r, int dx, int dy) {
  StripRect inner{r.left + dx, r.top + dy, r.right - dx, r.bottom - dy};
  if (inner.right < inner.left) inner.left = inner.right = r.left + r.Width() / 2;
  if (inner.bottom < inner.top) inner.top = inner.bottom = r.top + r.Height() / 2;
  return inner;
}

}  // namespace

std::string InMan(std::int64_t amount) {
  // Through the unsigned magnitude, so that the smallest value has one too.
  const std::uint64_t magnitude =
      amount < 0 ? ~static_cast<std::uint64_t>(amount) + 1 : static_cast<std::uint64_t>(amount);
  const std::uint64_t man = (magnitude + kMan / 2) / kMan;
  const std::string text = GroupThousands(static_cast<std::int64_t>(man)) + "万";
  return amount < 0 && man > 0 ? "-" + text : text;
}

std::string FitStripAmount(const ViewerMonthCell& cell, int room, const TextWidth& width) {
  if (cell.amountText.empty()) return {};
  if (width(cell.amountText) <= room) return cell.amountText;
  if (cell.amount >= kMan || cell.amount <= -kMan) {
    std::string man = InMan(cell.amount);
    if (width(man) <= room) return man;
  }
  return {};
}

std::vector<StripCell> LayOutMonthStrip(const std::vector<ViewerMonthCell>& cells,
                                        const StripMetrics& m, const TextWidth& amountWidth,
                                        const TextWidth& monthWidth) {
  std::vector<StripCell> laid;
  const int n = static_cast<int>(cells.size());
  if (n == 0) return laid;
  const int inner = std::max(0, m.width - 2 * m.margin);
  for (int i = 0; i < n; ++i) {
    const ViewerMonthCell& source = cells[static_cast<std::size_t>(i)];
    StripCell cell;
    cell.month = source.month;
    cell.chosen = source.chosen;
    cell.cell = {m.margin + inner * i / n, 0, m.margin + inner * (i + 1) / n, m.height};
    cell.mark = Inset(cell.cell, 1, 0);
    // The texts stay inside the mark's frame, so that neither the frame nor
    // a neighbour's ever covers them.
    const StripRect text = Inset(cell.mark, m.frame, m.frame);
    cell.amountBox = {text.left, text.top, text.right,
                      std::min(text.bottom, text.top + m.amountHeight)};
    cell.monthBox = {text.left, std::max(text.top, text.bottom - m.monthHeight), text.right,
                     text.bottom};
    const int room = text.Width();
    cell.amount = FitStripAmount(source, room, amountWidth);
    const std::string month = std::to_string(source.month);
    if (monthWidth(month + "月") <= room) {
      cell.monthText = month + "月";
    } else if (monthWidth(month) <= room) {
      cell.monthText = month;
    }
    const int barTop = cell.amountBox.bottom + m.pad;
    const int barBottom = std::max(barTop, cell.monthBox.top - m.pad);
    const int barHeight =
        static_cast<int>((barBottom - barTop) * std::clamp(source.length, 0.0, 1.0));
    const int barWidth = std::min(text.Width(), std::max(m.minBarWidth, cell.cell.Width() / 2));
    const int barLeft = text.left + (text.Width() - barWidth) / 2;
    cell.bar = {barLeft, barBottom - barHeight, barLeft + barWidth, barBottom};
    laid.push_back(std::move(cell));
  }
  return laid;
}

int StripMonthAt(const std::vector<StripCell>& cells, int x, int y) {
  for (const StripCell& cell : cells) {
    if (x >= cell.cell.left && x < cell.cell.right && y >= cell.cell.top && y < cell.cell.bottom)
      return cell.month;
  }
  return 0;
}

std::string StripText(const std::vector<StripCell>& cells) {
  std::string text;
  for (const StripCell& cell : cells) {
    if (!text.empty()) text += '\t';
    text += std::to_string(cell.month) + "月 " + cell.amount;
  }
  return text;
}

}  // namespace mametan
