#include "core/entry/WindowPlacement.h"

#include <algorithm>

namespace mametan {

bool TitleBarReachable(std::int32_t left, std::int32_t top, int width, int titleHeight,
                       const std::vector<ScreenArea>& screens) {
  const std::int64_t barWidth = std::max(width, 1);
  const std::int64_t barHeight = std::max(titleHeight, 1);
  const std::int64_t needX = std::min<std::int64_t>(barWidth, 32);
  const std::int64_t needY = std::min<std::int64_t>(barHeight, 8);
  for (const ScreenArea& s : screens) {
    const std::int64_t x0 = std::max<std::int64_t>(left, s.left);
    const std::int64_t x1 = std::min<std::int64_t>(left + barWidth, s.left + s.width);
    const std::int64_t y0 = std::max<std::int64_t>(top, s.top);
    const std::int64_t y1 = std::min<std::int64_t>(top + barHeight, s.top + s.height);
    if (x1 - x0 >= needX && y1 - y0 >= needY) return true;
  }
  return false;
}

}  // namespace mametan
