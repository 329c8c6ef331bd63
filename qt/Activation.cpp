#include "qt/Activation.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/common/InputRequest.h"

namespace mametan {
namespace {

xcb_connection_t* X11Connection() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

xcb_atom_t InternAtom(xcb_connection_t* c, const char* name) {
  auto* r = xcb_intern_atom_reply(
      c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
  const xcb_atom_t atom = r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
  std::free(r);
  return atom;
}

}  // namespace

void PrepareActivation(QWidget* window, const std::string& token) {
  if (!window || token.empty()) return;
  if (QGuiApplication::platformName() == QLatin1String("wayland")) {
    qputenv("XDG_ACTIVATION_TOKEN", QByteArray::fromStdString(token));
    return;
  }
  xcb_connection_t* c = X11Connection();
  const auto time = StartupIdTime(token);
  if (!c || !time) return;
  const auto id = static_cast<xcb_window_t>(window->winId());
  const std::uint32_t value = *time;
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, InternAtom(c, "_NET_WM_USER_TIME"),
                      XCB_ATOM_CARDINAL, 32, 1, &value);
  xcb_flush(c);
}

void RequestActivation(QWidget* window, const std::string& token) {
  if (!window || !window->isVisible() || token.empty()) return;
  xcb_connection_t* c = X11Connection();
  const auto time = StartupIdTime(token);
  if (!c || !time || QGuiApplication::platformName() != QLatin1String("xcb")) return;
  xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  if (!screen) return;
  xcb_client_message_event_t event{};
  event.response_type = XCB_CLIENT_MESSAGE;
  event.format = 32;
  event.window = static_cast<xcb_window_t>(window->winId());
  event.type = InternAtom(c, "_NET_ACTIVE_WINDOW");
  event.data.data32[0] = 1;  // from an application
  event.data.data32[1] = *time;
  xcb_send_event(c, 0, screen->root,
                 XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&event));
  xcb_flush(c);
}

}  // namespace mametan
