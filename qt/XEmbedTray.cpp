#include "qt/XEmbedTray.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QStyleHints>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/tray/TrayDispatch.h"

// From Xlib; its header's macros clash with Qt's, so only this is declared.
extern "C" int XDefaultScreen(Display* display);

namespace mametan {
namespace {

constexpr std::uint32_t kRequestDock = 0;
constexpr std::uint32_t kXEmbedMapped = 1;

template <typename T>
struct Reply {
  T* p;
  ~Reply() { std::free(p); }
  T* operator->() const { return p; }
  explicit operator bool() const { return p != nullptr; }
};

unsigned MessageFor(int button, bool press, bool dbl) {
  using namespace traymsg;
  switch (button) {
    case 1:
      return press ? (dbl ? kLButtonDblClk : kLButtonDown) : kLButtonUp;
    case 2:
      return press ? (dbl ? kMButtonDblClk : kMButtonDown) : kMButtonUp;
    case 3:
      return press ? (dbl ? kRButtonDblClk : kRButtonDown) : kRButtonUp;
    default:
      return 0;  // wheel and extra buttons mean nothing to the icon
  }
}

Qt::KeyboardModifiers ModifiersOf(unsigned state) {
  Qt::KeyboardModifiers m;
  if (state & XCB_MOD_MASK_SHIFT) m |= Qt::ShiftModifier;
  if (state & XCB_MOD_MASK_CONTROL) m |= Qt::ControlModifier;
  if (state & XCB_MOD_MASK_1) m |= Qt::AltModifier;
  return m;
}

}  // namespace

bool XEmbedTray::PlatformIsX11() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 && x11->connection();
}

XEmbedTray::XEmbedTray() {
  m_redock.setSingleShot(true);
  m_redock.setInterval(1000);
  connect(&m_redock, &QTimer::timeout, this, &XEmbedTray::DockAgain);
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  m_conn = x11->connection();
  const int screen = x11->display() ? XDefaultScreen(x11->display()) : 0;
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_conn));
  for (int i = 0; i < screen && it.rem > 0; ++i) xcb_screen_next(&it);
  m_root = it.data->root;
  m_selection = Atom(("_NET_SYSTEM_TRAY_S" + std::to_string(screen)).c_str());
  m_managerAtom = Atom("MANAGER");

  // A new tray manager announces itself with a client message to the root
  // window, sent to StructureNotify listeners.
  Reply<xcb_get_window_attributes_reply_t> attrs{
      xcb_get_window_attributes_reply(m_conn, xcb_get_window_attributes(m_conn, m_root), nullptr)};
  const std::uint32_t mask = (attrs ? attrs->your_event_mask : 0) | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
  xcb_change_window_attributes(m_conn, m_root, XCB_CW_EVENT_MASK, &mask);
  xcb_flush(m_conn);
  qGuiApp->installNativeEventFilter(this);
}

XEmbedTray::~XEmbedTray() {
  if (qGuiApp) qGuiApp->removeNativeEventFilter(this);
  DestroyWindow();
}

std::uint32_t XEmbedTray::Atom(const char* name) {
  Reply<xcb_intern_atom_reply_t> r{xcb_intern_atom_reply(
      m_conn, xcb_intern_atom(m_conn, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
      nullptr)};
  return r ? r->atom : 0;
}

std::uint32_t XEmbedTray::FindManager() {
  Reply<xcb_get_selection_owner_reply_t> r{
      xcb_get_selection_owner_reply(m_conn, xcb_get_selection_owner(m_conn, m_selection), nullptr)};
  return r ? r->owner : 0;
}

bool XEmbedTray::ManagerPresent() { return FindManager() != 0; }

bool XEmbedTray::Add(const QIcon& icon, const QString&) {
  if (m_added) return false;
  m_icon = icon;
  if (!FindManager()) return false;
  m_added = true;
  Dock();
  return true;
}

void XEmbedTray::Modify(const QIcon& icon, const QString&) {
  m_icon = icon;
  if (m_window) {
    xcb_clear_area(m_conn, 1, m_window, 0, 0, 0, 0);  // repaint through Expose
    xcb_flush(m_conn);
  }
}

bool XEmbedTray::Remove() {
  if (!m_added) return false;
  m_added = false;
  DestroyWindow();
  return true;
}

void XEmbedTray::DestroyWindow() {
  m_redock.stop();
  if (!m_window) return;
  xcb_free_gc(m_conn, m_gc);
  xcb_destroy_window(m_conn, m_window);
  xcb_flush(m_conn);
  m_window = 0;
  m_gc = 0;
}

void XEmbedTray::Dock() {
  DestroyWindow();
  m_manager = FindManager();
  if (!m_manager) return;
  CreateIconWindow(ChooseVisual());
  SetIconProperties();
  // Watch the manager so that its end takes our window out of sight.
  const std::uint32_t managerEvents = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
  xcb_change_window_attributes(m_conn, m_manager, XCB_CW_EVENT_MASK, &managerEvents);
  m_embedded = false;
  m_dockAttempts = 0;
  SendDockRequest();
  // A tray that has just taken its selection may not be serving it yet: a
  // request it dropped is sent again until the window is taken in.
  m_redock.start();
}

void XEmbedTray::DockAgain() {
  if (!m_added || m_embedded || !m_window) return;
  if (++m_dockAttempts > 5) return;
  SendDockRequest();
  m_redock.start();
}

// The manager may ask for a visual with alpha; otherwise the window takes its
// parent's background and the icon is blended over it when painted. Sets
// m_depth to go with the visual returned.
std::uint32_t XEmbedTray::ChooseVisual() {
  const xcb_screen_t* scr = nullptr;
  for (auto it = xcb_setup_roots_iterator(xcb_get_setup(m_conn)); it.rem; xcb_screen_next(&it)) {
    if (it.data->root == m_root) scr = it.data;
  }
  std::uint32_t visual = scr->root_visual;
  m_depth = scr->root_depth;
  Reply<xcb_get_property_reply_t> vis{
      xcb_get_property_reply(m_conn,
                             xcb_get_property(m_conn, 0, m_manager, Atom("_NET_SYSTEM_TRAY_VISUAL"),
                                              XCB_ATOM_VISUALID, 0, 1),
                             nullptr)};
  if (!vis || vis->format != 32 || xcb_get_property_value_length(vis.p) < 4) return visual;
  const std::uint32_t wanted = *static_cast<std::uint32_t*>(xcb_get_property_value(vis.p));
  for (auto d = xcb_screen_allowed_depths_iterator(scr); d.rem; xcb_depth_next(&d)) {
    for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
      if (v.data->visual_id == wanted && d.data->depth == 32) {
        visual = wanted;
        m_depth = 32;
      }
    }
  }
  return visual;
}

void XEmbedTray::CreateIconWindow(std::uint32_t visual) {
  m_window = xcb_generate_id(m_conn);
  const std::uint32_t events = XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_BUTTON_PRESS |
                               XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
  if (m_depth == 32) {
    const xcb_colormap_t cmap = xcb_generate_id(m_conn);
    xcb_create_colormap(m_conn, XCB_COLORMAP_ALLOC_NONE, cmap, m_root, visual);
    const std::uint32_t values[] = {0, 0, events, cmap};
    xcb_create_window(m_conn, 32, m_window, m_root, 0, 0, m_size.width(), m_size.height(), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_EVENT_MASK | XCB_CW_COLORMAP,
                      values);
    xcb_free_colormap(m_conn, cmap);
  } else {
    const std::uint32_t values[] = {XCB_BACK_PIXMAP_PARENT_RELATIVE, events};
    xcb_create_window(m_conn, XCB_COPY_FROM_PARENT, m_window, m_root, 0, 0, m_size.width(),
                      m_size.height(), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                      XCB_CW_BACK_PIXMAP | XCB_CW_EVENT_MASK, values);
  }
  m_gc = xcb_generate_id(m_conn);
  xcb_create_gc(m_conn, m_gc, m_window, 0, nullptr);
}

void XEmbedTray::SetIconProperties() {
  const std::uint32_t info[] = {0, kXEmbedMapped};  // protocol version 0, map me
  const std::uint32_t infoAtom = Atom("_XEMBED_INFO");
  xcb_change_property(m_conn, XCB_PROP_MODE_REPLACE, m_window, infoAtom, infoAtom, 32, 2, info);
  const char title[] = "まめたん家計簿";
  xcb_change_property(m_conn, XCB_PROP_MODE_REPLACE, m_window, Atom("_NET_WM_NAME"),
                      Atom("UTF8_STRING"), 8, sizeof title - 1, title);
  const char wmClass[] = "mametan-tray\0Mametan";
  xcb_change_property(m_conn, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING,
                      8, sizeof wmClass, wmClass);
  xcb_change_property(m_conn, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                      12, "mametan-tray");

  // Trays size their socket from the minimum size; without one the icon
  // would get a single pixel.
  std::uint32_t sizeHints[18] = {};
  sizeHints[0] = 16 | 256;  // PMinSize | PBaseSize
  sizeHints[5] = sizeHints[15] = static_cast<std::uint32_t>(m_size.width());
  sizeHints[6] = sizeHints[16] = static_cast<std::uint32_t>(m_size.height());
  xcb_change_property(m_conn, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_NORMAL_HINTS,
                      XCB_ATOM_WM_SIZE_HINTS, 32, 18, sizeHints);
}

void XEmbedTray::SendDockRequest() {
  xcb_client_message_event_t ev{};
  ev.response_type = XCB_CLIENT_MESSAGE;
  ev.format = 32;
  ev.window = m_manager;
  ev.type = Atom("_NET_SYSTEM_TRAY_OPCODE");
  ev.data.data32[0] = XCB_CURRENT_TIME;
  ev.data.data32[1] = kRequestDock;
  ev.data.data32[2] = m_window;
  xcb_send_event(m_conn, 0, m_manager, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&ev));
  xcb_flush(m_conn);
}

void XEmbedTray::Paint() {
  if (!m_window) return;
  const int w = m_size.width(), h = m_size.height();
  const int side = qMin(w, h);
  const QImage icon = m_icon.pixmap(QSize(side, side))
                          .toImage()
                          .scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  QImage out(w, h, m_depth == 32 ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
  bool haveBackground = false;
  if (m_depth == 32) {
    out.fill(Qt::transparent);
    haveBackground = true;
  } else {
    // The server has just painted the tray's background into the window.
    Reply<xcb_get_image_reply_t> img{xcb_get_image_reply(
        m_conn, xcb_get_image(m_conn, XCB_IMAGE_FORMAT_Z_PIXMAP, m_window, 0, 0, w, h, ~0u),
        nullptr)};
    if (img && xcb_get_image_data_length(img.p) == w * h * 4) {
      std::memcpy(out.bits(), xcb_get_image_data(img.p), static_cast<std::size_t>(w) * h * 4);
      haveBackground = true;
    }
  }
  if (!haveBackground) out.fill(QGuiApplication::palette().color(QPalette::Window));
  {
    QPainter p(&out);
    p.drawImage((w - icon.width()) / 2, (h - icon.height()) / 2, icon);
  }
  xcb_put_image(m_conn, XCB_IMAGE_FORMAT_Z_PIXMAP, m_window, m_gc, w, h, 0, 0, 0, m_depth,
                static_cast<std::uint32_t>(out.sizeInBytes()), out.constBits());
  xcb_flush(m_conn);
}

void XEmbedTray::Mouse(bool press, int button, int rootX, int rootY, unsigned state,
                       std::uint32_t time) {
  const QPoint pos(rootX, rootY);
  bool dbl = false;
  if (press) {
    const QStyleHints* hints = QGuiApplication::styleHints();
    // A press is the second of a double click when it follows a single press
    // of the same button closely in time and place.
    dbl = !m_lastWasDouble && button == m_lastButton &&
          time - m_lastTime < static_cast<std::uint32_t>(hints->mouseDoubleClickInterval()) &&
          (pos - m_lastPos).manhattanLength() <= hints->mouseDoubleClickDistance();
    m_lastButton = button;
    m_lastTime = time;
    m_lastPos = pos;
    m_lastWasDouble = dbl;
  }
  const unsigned message = MessageFor(button, press, dbl);
  if (message) emit mouseMessage(message, pos, ModifiersOf(state));
}

bool XEmbedTray::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t") return false;
  auto* ev = static_cast<xcb_generic_event_t*>(message);
  switch (ev->response_type & 0x7f) {
    case XCB_CLIENT_MESSAGE: {
      auto* cm = reinterpret_cast<xcb_client_message_event_t*>(ev);
      if (cm->window == m_root && cm->format == 32 && cm->data.data32[1] == m_selection &&
          cm->type == m_managerAtom) {
        if (m_added) Dock();
        emit managerAppeared();
        return false;
      }
      return m_window && cm->window == m_window;
    }
    case XCB_EXPOSE: {
      auto* ex = reinterpret_cast<xcb_expose_event_t*>(ev);
      if (!m_window || ex->window != m_window) return false;
      if (ex->count == 0) Paint();
      return true;
    }
    case XCB_CONFIGURE_NOTIFY: {
      auto* cn = reinterpret_cast<xcb_configure_notify_event_t*>(ev);
      if (!m_window || cn->window != m_window) return false;
      m_size = QSize(cn->width, cn->height);
      return true;
    }
    case XCB_REPARENT_NOTIFY: {
      auto* rn = reinterpret_cast<xcb_reparent_notify_event_t*>(ev);
      if (!m_window || rn->window != m_window) return false;
      // Back on the root window: the tray went away and handed the window
      // back mapped. Nothing of it may stay on screen.
      if (rn->parent == m_root) {
        DestroyWindow();
      } else {
        m_embedded = true;
        m_redock.stop();
      }
      return true;
    }
    case XCB_DESTROY_NOTIFY: {
      auto* dn = reinterpret_cast<xcb_destroy_notify_event_t*>(ev);
      if (m_manager && dn->window == m_manager) {
        m_manager = 0;
        DestroyWindow();
        return true;
      }
      return m_window && dn->window == m_window;
    }
    case XCB_BUTTON_PRESS:
    case XCB_BUTTON_RELEASE: {
      auto* be = reinterpret_cast<xcb_button_press_event_t*>(ev);
      if (!m_window || be->event != m_window) return false;
      // The toolkit sees the event too and takes its time as the latest
      // user time: the window shown and activated in answer carries it, and
      // a window manager that prevents focus stealing lets it have the focus.
      // The press is handled once the toolkit has seen it.
      QMetaObject::invokeMethod(
          this,
          [this, press = (ev->response_type & 0x7f) == XCB_BUTTON_PRESS, button = be->detail,
           x = be->root_x, y = be->root_y, state = be->state,
           time = be->time] { Mouse(press, button, x, y, state, time); },
          Qt::QueuedConnection);
      return false;
    }
    case XCB_MAP_NOTIFY:
    case XCB_UNMAP_NOTIFY: {
      auto* mn = reinterpret_cast<xcb_map_notify_event_t*>(ev);
      return m_window && mn->window == m_window;
    }
    default:
      return false;
  }
}

}  // namespace mametan
