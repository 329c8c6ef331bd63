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

// False where the window system tells no client where its windows are
// (Wayland): a place read there would only be the one the program asked for.
bool WindowPlacesKnown();

// Puts the outer top-left of `window`'s frame at `frameTopLeft`, whether or
// not the window manager has framed the window yet. Called before the window
// is mapped (from its show event), the window manager takes the place as the
// frame's when it first frames the window.
void PlaceFrameAt(QWidget* window, const QPoint& frameTopLeft);

// Moves `window` so that its frame is centred in the primary screen's
// available area.
void CentreOnScreen(QWidget* window);

}  // namespace mametan
