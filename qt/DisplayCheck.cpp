#include "core/platform/DisplayCheck.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QDir>
#include <QLibraryInfo>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

namespace mametan {
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec);
}

// Whether a Unix socket at `path` takes a connection (closed at once).
bool Answers(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.data(), path.size());
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool ok = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return ok;
}

// ":1", ":1.0", "unix:1" and "/path/socket:1" are local sockets, looked at
// without connecting; "host:1" is a server elsewhere, found only by trying.
bool XSocketExists(const std::string& display) {
  const auto colon = display.rfind(':');
  if (colon == std::string::npos) return false;
  const std::string host = display.substr(0, colon);
  if (!host.empty() && host.front() == '/') return Exists(host);
  if (!host.empty() && host != "unix") return true;
  const std::string number = display.substr(colon + 1, display.find('.', colon) - colon - 1);
  return !number.empty() && Exists("/tmp/.X11-unix/X" + number);
}

}  // namespace

DisplayChoice ChooseDisplayPlatform() {
  const DisplayEnvironment env{Env("QT_QPA_PLATFORM"), Env("DISPLAY"), Env("WAYLAND_DISPLAY")};
  DisplayProbes probes;
  probes.wayland = [&env] {
    const std::string& name = env.waylandDisplay;
    const std::string runtime = Env("XDG_RUNTIME_DIR");
    // A socket file alone may be left by a compositor that ended: it counts
    // when a connection to it opens.
    const bool socket =
        name.front() == '/' ? Answers(name) : !runtime.empty() && Answers(runtime + "/" + name);
    // The toolkit's Wayland plugin is a package of its own.
    const QDir plugins(QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                       QStringLiteral("/platforms"));
    return socket &&
           !plugins.entryList({QStringLiteral("libqwayland-*.so")}, QDir::Files).isEmpty();
  };
  probes.xSocket = [&env] { return XSocketExists(env.display); };
  probes.xConnects = [] {
    int screen = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screen);
    const bool ok = xcb_connection_has_error(c) == 0;
    xcb_disconnect(c);
    return ok;
  };
  return ChooseDisplay(env, probes);
}

}  // namespace mametan
