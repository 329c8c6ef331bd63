#include <string_view>

#include "core/platform/DisplayCheck.h"

namespace mametan {

DisplayChoice ChooseDisplay(const DisplayEnvironment& env, const DisplayProbes& probes) {
  const bool waylandThere = !env.waylandDisplay.empty() && probes.wayland();
  const auto cannotConnect = [&] {
    return DisplayChoice{{}, "cannot connect to the X display \"" + env.display + "\""};
  };
  const auto unset = [] {
    return DisplayChoice{{}, "cannot connect to the X display: DISPLAY is not set"};
  };
  if (!env.qpaPlatform.empty()) {
    // Asked for by name: X is checked only when it comes first, and a list
    // that goes on to Wayland falls back to it.
    if (std::string_view(env.qpaPlatform).substr(0, 3) != "xcb") return {};
    if (!env.display.empty() && probes.xConnects()) return {};
    if (env.qpaPlatform.find("wayland") != std::string::npos && waylandThere) return {};
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
