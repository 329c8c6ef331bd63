#include "qt/WindowFrame.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace mametan {

std::optional<QPoint> FrameTopLeftOnScreen(const QWidget* window) {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  xcb_connection_t* c = x11 ? x11->connection() : nullptr;
  if (!c || !window || !window->isVisible() || !window->windowHandle()) return std::nullopt;
  const auto id = static_cast<xcb_window_t>(window->winId());
  const xcb_setup_t* setup = xcb_get_setup(c);
  const xcb_screen_t* screen = xcb_setup_roots_iterator(setup).data;
  if (!screen) return std::nullopt;

  xcb_translate_coordinates_reply_t* at = xcb_translate_coordinates_reply(
      c, xcb_translate_coordinates(c, id, screen->root, 0, 0), nullptr);
  if (!at) return std::nullopt;
  QPoint client(at->dst_x, at->dst_y);
  std::free(at);

  // _NET_FRAME_EXTENTS: left, right, top, bottom, set by the window manager.
  static const char kExtents[] = "_NET_FRAME_EXTENTS";
  xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
      c, xcb_intern_atom(c, 1, static_cast<std::uint16_t>(std::strlen(kExtents)), kExtents),
      nullptr);
  if (!atom) return client;
  const xcb_atom_t extentsAtom = atom->atom;
  std::free(atom);
  if (extentsAtom == XCB_ATOM_NONE) return client;
  xcb_get_property_reply_t* prop = xcb_get_property_reply(
      c, xcb_get_property(c, 0, id, extentsAtom, XCB_ATOM_CARDINAL, 0, 4), nullptr);
  if (!prop) return client;
  if (prop->format == 32 && xcb_get_property_value_length(prop) >= 16) {
    const auto* e = static_cast<const std::uint32_t*>(xcb_get_property_value(prop));
    client -= QPoint(static_cast<int>(e[0]), static_cast<int>(e[2]));
  }
  std::free(prop);
  return client;
}

bool WindowPlacesKnown() {
  return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void PlaceFrameAt(QWidget* window, const QPoint& frameTopLeft) {
  QWindow* handle = window->windowHandle();
  // Not mapped yet: the widget's own place must agree, or mapping it would
  // place the client area there instead. Mapped: moving the widget would ask
  // for the client area first and make the window jump.
  if (!handle || !handle->isVisible()) window->move(frameTopLeft);
  // Asked for the frame, the window hints carry north-west gravity and the
  // window manager reads the place as the frame's. It reads the hints when
  // it frames the window: they must be set before the map, or it may frame
  // a window still hinted with static gravity a title bar higher.
  if (handle) handle->setFramePosition(frameTopLeft);
}

void CentreOnScreen(QWidget* window) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect frame = window->frameGeometry();
  window->move(screen->availableGeometry().center() -
               QPoint(frame.width() / 2, frame.height() / 2));
}

}  // namespace mametan
