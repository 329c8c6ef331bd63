#pragma once
// Whether a saved window place can be used again: the screens may have
// changed since it was saved, or the settings file may say anything.
#include <cstdint>
#include <vector>

namespace mametan {

// A window's top-left in screen coordinates.
struct WindowPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
  bool operator==(const WindowPoint&) const = default;
};

struct ScreenArea {
  std::int64_t left = 0;
  std::int64_t top = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;
};

// True when a window whose outer frame starts at (left, top) and is `width`
// wide would show enough of its title bar (the top `titleHeight` rows) on one
// of `screens` to be grabbed with the mouse: at least 32 pixels across (the
// whole width when narrower) and 8 rows (the whole bar when lower). Any
// int32 place is safe to pass: nothing overflows.
bool TitleBarReachable(std::int32_t left, std::int32_t top, int width, int titleHeight,
                       const std::vector<ScreenArea>& screens);

}  // namespace mametan
