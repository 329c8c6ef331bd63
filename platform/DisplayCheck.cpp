#include "platform/DisplayCheck.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <string_view>

namespace mametan {

std::optional<std::string> XDisplayProblem() {
  const char* platformVar = std::getenv("QT_QPA_PLATFORM");
  const std::string_view platform = platformVar ? platformVar : "";
  const char* display = std::getenv("DISPLAY");
  const bool hasDisplay = display && *display;
  if (!platform.empty() && platform.substr(0, 3) != "xcb") return std::nullopt;
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (platform.empty() && !hasDisplay && wayland && *wayland) return std::nullopt;
  if (!hasDisplay) return std::string("cannot connect to the X display: DISPLAY is not set");

  int screen = 0;
  xcb_connection_t* c = xcb_connect(nullptr, &screen);
  const int error = xcb_connection_has_error(c);
  xcb_disconnect(c);
  if (!error) return std::nullopt;
  return "cannot connect to the X display \"" + std::string(display) + "\"";
}

}  // namespace mametan
