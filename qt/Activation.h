#pragma once
// A window shown for another process's start (a key the user pressed ran
// it) may take the keyboard: the desktop's activation token of that start
// tells the window system so.
#include <QWidget>
#include <string>

namespace mametan {

// Before the window is shown: on Wayland the token goes where the toolkit
// reads it when the window asks to be activated; on X11 the user's time in
// the startup id becomes the window's user time.
void PrepareActivation(QWidget* window, const std::string& token);
// After it is shown: on X11 the window manager is asked to activate it with
// that time, which focus-stealing prevention accepts.
void RequestActivation(QWidget* window, const std::string& token);

}  // namespace mametan
