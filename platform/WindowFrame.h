#pragma once
// Where a top-level window's frame is, asked of the X server itself: the
// toolkit's own idea lags behind a window manager that has just framed or
// moved the window.
#include <QPoint>
#include <QWidget>
#include <optional>

namespace mametan {

// The outer top-left of `window` (its window manager frame's) in screen
// coordinates; nullopt when not on an X11 display or not mapped.
std::optional<QPoint> FrameTopLeftOnScreen(const QWidget* window);

// Moves `window` so that its frame is centred in the primary screen's
// available area.
void CentreOnScreen(QWidget* window);

}  // namespace mametan
