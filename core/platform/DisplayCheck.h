#pragma once
// Which display the toolkit is to use, and whether it will find it. Without
// one it aborts with a core dump; we would rather say why in one line and end.
//
// In a Wayland session with an X server beside it (Xwayland) the program runs
// on X: there it can place its windows, read back where they are and open
// its menu at the pointer, which a Wayland compositor allows no client. On
// Wayland alone it runs on Wayland. A DISPLAY that names no server does not
// end a session that has a working Wayland display.
#include <functional>
#include <optional>
#include <string>

namespace mametan {

struct DisplayEnvironment {
  std::string qpaPlatform;     // QT_QPA_PLATFORM: the platform asked for, perhaps a list
  std::string display;         // DISPLAY
  std::string waylandDisplay;  // WAYLAND_DISPLAY
};

// Looks that may touch the system, asked only when the answer matters and in
// this order: an X connection may start an X server that waits for its first
// client (Xwayland), so nothing connects unless the program would use it.
struct DisplayProbes {
  std::function<bool()> wayland;    // the compositor's socket exists and the toolkit speaks Wayland
  std::function<bool()> xSocket;    // DISPLAY's socket exists (or it is remote)
  std::function<bool()> xConnects;  // an X connection opens
};

struct DisplayChoice {
  // The platform to ask the toolkit for; empty for what it was asked.
  std::string platform;
  // Why the program cannot start, as one line for stderr.
  std::optional<std::string> problem;
};

DisplayChoice ChooseDisplay(const DisplayEnvironment& env, const DisplayProbes& probes);

// ChooseDisplay for this process's environment and system.
DisplayChoice ChooseDisplayPlatform();

}  // namespace mametan
