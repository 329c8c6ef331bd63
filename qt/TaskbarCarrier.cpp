#include "qt/TaskbarCarrier.h"

#include <xcb/xcb.h>

#include <QEvent>
#include <QGuiApplication>
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace mametan {
namespace {

xcb_connection_t* X11Connection() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

xcb_atom_t InternAtom(xcb_connection_t* c, const char* name) {
  auto* r = xcb_intern_atom_reply(
      c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
  const xcb_atom_t a = r ? r->atom : 0;
  std::free(r);
  return a;
}

}  // namespace

TaskbarCarrier::TaskbarCarrier() {
  m_conn = X11Connection();
  if (m_conn) {
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_conn)).data->root;
    qGuiApp->installNativeEventFilter(this);
  }
}

TaskbarCarrier::~TaskbarCarrier() {
  if (!m_conn) return;
  qGuiApp->removeNativeEventFilter(this);
  if (m_window) {
    xcb_destroy_window(m_conn, m_window);
    xcb_flush(m_conn);
  }
}

std::uint32_t TaskbarCarrier::Atom(const char* name) { return InternAtom(m_conn, name); }

void TaskbarCarrier::Create() {
  m_window = xcb_generate_id(m_conn);
  const std::uint32_t values[] = {0, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
  xcb_create_window(m_conn, XCB_COPY_FROM_PARENT, m_window, m_root, -10000, -10000, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                    XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
  const QByteArray title = QStringLiteral("まめたん家計簿").toUtf8();
  xcb_change_property(m_conn, XCB_PROP_MODE_REPLACE, m_window, Atom("_NET_WM_NAME"),
                      Atom("UTF8_STRING"), 8, title.size(), title.constData());
  xcb_change_property(m_conn, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_NAME,
                      Atom("UTF8_STRING"), 8, title.size(), title.constData());
  const char wmClass[] = "mametan\0Mametan";
  xcb_change_property(m_conn, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING,
                      8, sizeof wmClass, wmClass);
  // WM_HINTS: input and initial state iconic, so a window manager lists the
  // entry without showing the window.
  const std::uint32_t hints[9] = {1 | 2, 1, 3, 0, 0, 0, 0, 0, 0};
  xcb_change_property(m_conn, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS,
                      32, 9, hints);
  // WM_NORMAL_HINTS with a user position keeps it where it was put.
  std::uint32_t sizeHints[18] = {};
  sizeHints[0] = 1;  // USPosition
  sizeHints[1] = static_cast<std::uint32_t>(-10000);
  sizeHints[2] = static_cast<std::uint32_t>(-10000);
  xcb_change_property(m_conn, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_NORMAL_HINTS,
                      XCB_ATOM_WM_SIZE_HINTS, 32, 18, sizeHints);
  m_protocols = Atom("WM_PROTOCOLS");
  m_delete = Atom("WM_DELETE_WINDOW");
  xcb_change_property(m_conn, XCB_PROP_MODE_REPLACE, m_window, m_protocols, XCB_ATOM_ATOM, 32, 1,
                      &m_delete);
  const std::uint32_t normal = Atom("_NET_WM_WINDOW_TYPE_NORMAL");
  xcb_change_property(m_conn, XCB_PROP_MODE_REPLACE, m_window, Atom("_NET_WM_WINDOW_TYPE"),
                      XCB_ATOM_ATOM, 32, 1, &normal);
}

void TaskbarCarrier::SetShown(bool shown) {
  if (shown == m_shown) return;
  m_shown = shown;
  if (!m_conn) return;
  if (shown) {
    if (!m_window) Create();
    xcb_map_window(m_conn, m_window);
  } else if (m_window) {
    xcb_unmap_window(m_conn, m_window);
    // An iconic window is already unmapped; the synthetic notice tells the
    // window manager to drop it (ICCCM withdrawal).
    xcb_unmap_notify_event_t ev{};
    ev.response_type = XCB_UNMAP_NOTIFY;
    ev.event = m_root;
    ev.window = m_window;
    xcb_send_event(m_conn, 0, m_root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&ev));
  }
  xcb_flush(m_conn);
}

bool TaskbarCarrier::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (!m_window || eventType != "xcb_generic_event_t") return false;
  auto* ev = static_cast<xcb_generic_event_t*>(message);
  const int type = ev->response_type & 0x7f;
  if (type == XCB_CLIENT_MESSAGE) {
    auto* cm = reinterpret_cast<xcb_client_message_event_t*>(ev);
    if (cm->window != m_window) return false;
    if (cm->type == m_protocols && cm->data.data32[0] == m_delete) emit closeRequested();
    return true;
  }
  if (type == XCB_MAP_NOTIFY || type == XCB_UNMAP_NOTIFY || type == XCB_CONFIGURE_NOTIFY ||
      type == XCB_REPARENT_NOTIFY || type == XCB_DESTROY_NOTIFY) {
    auto* mn = reinterpret_cast<xcb_map_notify_event_t*>(ev);
    return mn->window == m_window;
  }
  return false;
}

WindowWatcher::WindowWatcher(TaskbarRule& rule, QObject* parent) : QObject(parent), m_rule(rule) {}

void WindowWatcher::AddWindow(QWidget* window) {
  m_windows.push_back(window);
  window->installEventFilter(this);
  // A window that showed itself while it was created was mapped before we
  // could mark it; marked now, a window manager honours it from its next
  // showing on.
  if (window->isVisible()) SkipTaskbar(window);
  m_rule.WindowsChanged(AnyVisible());
}

bool WindowWatcher::AnyVisible(const QWidget* except) const {
  for (const QPointer<QWidget>& w : m_windows) {
    if (w && w != except && w->isVisible()) return true;
  }
  return false;
}

bool WindowWatcher::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Show) {
    SkipTaskbar(static_cast<QWidget*>(watched));
    if (onShown) {
      for (std::size_t i = 0; i < m_windows.size(); ++i) {
        if (m_windows[i] == watched) onShown(i);
      }
    }
    m_rule.WindowsChanged(true);
  } else if (event->type() == QEvent::Hide) {
    m_rule.WindowsChanged(AnyVisible(static_cast<QWidget*>(watched)));
  }
  return false;
}

void SkipTaskbar(QWidget* window) {
  xcb_connection_t* c = X11Connection();
  if (!c || !window->isWindow()) return;
  const auto id = static_cast<xcb_window_t>(window->winId());
  const xcb_atom_t state = InternAtom(c, "_NET_WM_STATE");
  const xcb_atom_t wanted[] = {InternAtom(c, "_NET_WM_STATE_SKIP_TASKBAR"),
                               InternAtom(c, "_NET_WM_STATE_SKIP_PAGER")};
  // Keep the states already there; the toolkit adds its own before mapping.
  auto* r =
      xcb_get_property_reply(c, xcb_get_property(c, 0, id, state, XCB_ATOM_ATOM, 0, 64), nullptr);
  std::vector<xcb_atom_t> atoms;
  if (r && r->format == 32) {
    const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(r));
    atoms.assign(data, data + xcb_get_property_value_length(r) / 4);
  }
  std::free(r);
  for (const xcb_atom_t a : wanted) {
    if (std::find(atoms.begin(), atoms.end(), a) == atoms.end()) atoms.push_back(a);
  }
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32,
                      static_cast<std::uint32_t>(atoms.size()), atoms.data());
  xcb_flush(c);
}

}  // namespace mametan
