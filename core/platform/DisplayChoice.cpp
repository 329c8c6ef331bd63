#include <string_view>

#include "core/platform/DisplayCheck.h"

namespace mametan {

DisplayChoice ChooseDisplay(const DisplayEnvironment& env, const DisplayProbes& probes) {
  const bool waylandThere = !env.waylandDisplay.empty() && probes.wayland();
  // A Wayland display that was named but cannot be used (a socket left by a
  // compositor that ended) is said too: it is why X was needed.
  const std::string noWayland = env.waylandDisplay.empty() || waylandThere
                                    ? std::string()
                                    : "no usable Wayland display \"" + env.waylandDisplay + "\"";
  const auto fail = [&](std::string problem) {
    if (!noWayland.empty()) problem += " (" + noWayland + ")";
    return DisplayChoice{{}, std::move(problem)};
  };
  const auto cannotConnect = [&] {
    return fail("cannot connect to the X display \"" + env.display + "\"");
  };
  const auto unset = [&] { return fail("cannot connect to the X display: DISPLAY is not set"); };
  if (!env.qpaPlatform.empty()) {
    const std::string_view first = std::string_view(env.qpaPlatform).substr(0, 3);
    const bool listsWayland = env.qpaPlatform.find("wayland") != std::string::npos;
    const bool listsX = env.qpaPlatform.find("xcb") != std::string::npos;
    if (first == "way") {
      // Wayland first: X only as the list's fallback.
      if (waylandThere) return {};
      if (listsX && !env.display.empty() && probes.xConnects()) return {};
      return DisplayChoice{{},
                           "cannot connect to the Wayland display \"" + env.waylandDisplay + "\""};
    }
    // Asked for by name: X is checked only when it comes first, and a list
    // that goes on to Wayland falls back to it.
    if (first != "xcb") return {};
    if (!env.display.empty() && probes.xConnects()) return {};
    if (listsWayland && waylandThere) return {};
    return env.display.empty() ? unset() : cannotConnect();
  }
  if (waylandThere) {
    if (!env.display.empty() && probes.xSocket() && probes.xConnects()) return {"xcb", {}};
    return {"wayland", {}};
  }
  if (env.display.empty()) return unset();
  if (probes.xConnects()) return {"xcb", {}};
  return cannotConnect();
}

}  // namespace mametan
