#pragma once
// The month strip's layout: the year's twelve monthly totals as columns, each
// with its total above its bar and its month below, the chosen month marked.
// Both front ends draw from it, so that the same ledger at the same width
// shows the same labels, and no label reaches past its own column's mark.
// Widths are measured by the front end in its own fonts.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/viewer/ViewerPresenter.h"

namespace mametan {

struct StripRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

// Sizes in the front end's pixels.
struct StripMetrics {
  int width = 0;
  int height = 0;
  int amountHeight = 0;  // a line of the totals' font
  int monthHeight = 0;   // a line of the months' font
  int margin = 0;        // left and right of the columns
  int pad = 0;           // between the texts and the bar
  int frame = 1;         // the chosen month's mark's line width
  int minBarWidth = 1;
};

// The width of a UTF-8 text in one of the front end's fonts.
using TextWidth = std::function<int(const std::string&)>;

struct StripCell {
  int month = 0;  // 1-12
  bool chosen = false;
  StripRect cell;       // the column; a press in it chooses the month
  StripRect mark;       // the chosen month's background and frame
  StripRect amountBox;  // the total, centred; inside the mark's frame
  StripRect bar;        // from the bottom of its space, as tall as the total's share
  StripRect monthBox;   // the month, centred; inside the mark's frame
  std::string amount;   // the total as it fits amountBox, or empty
  std::string monthText;
};

// The total as it fits `room` pixels: in full ("1,234,567"), else in 万
// rounded to the nearest (half away from zero; only from 10,000 on), else
// nothing. A month without purchases has no label.
std::string FitStripAmount(const ViewerMonthCell& cell, int room, const TextWidth& width);
// 1,999,999 -> "200万"; -15,000 -> "-2万"; grouped by thousands.
std::string InMan(std::int64_t amount);

std::vector<StripCell> LayOutMonthStrip(const std::vector<ViewerMonthCell>& cells,
                                        const StripMetrics& metrics, const TextWidth& amountWidth,
                                        const TextWidth& monthWidth);
// The month (1-12) whose column holds the point, or 0.
int StripMonthAt(const std::vector<StripCell>& cells, int x, int y);
// The strip as one text, for screen readers: "1月 12,345\t2月 \t...".
std::string StripText(const std::vector<StripCell>& cells);

}  // namespace mametan
