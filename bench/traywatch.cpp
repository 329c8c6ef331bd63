// Measures a tray program from the X server's side.
//   traywatch dock PROGRAM [ARGS...]
//     starts PROGRAM and prints "pid=N icon=W dock_ms=T": the time from the
//     exec until the tray took the icon window off the root window. The
//     program is left running.
//   traywatch click ICON [N]
//     N times (default 5): a left click on the icon, the time until a new
//     top-level window is mapped, then the window is asked to close. Prints
//     "click_ms=a,b,c,..."
#include <fcntl.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
  auto* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
  xcb_atom_t a = r ? r->atom : 0;
  std::free(r);
  return a;
}

// Waits for the next event of `type` that `accept` likes, up to `limitMs`.
template <typename F>
xcb_generic_event_t* WaitFor(xcb_connection_t* c, F accept, int limitMs) {
  const auto end = Clock::now() + std::chrono::milliseconds(limitMs);
  while (Clock::now() < end) {
    xcb_generic_event_t* ev = xcb_poll_for_event(c);
    if (!ev) {
      usleep(200);
      continue;
    }
    if (accept(ev)) return ev;
    std::free(ev);
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: traywatch dock PROGRAM [ARGS...] | click ICON [N]\n");
    return 2;
  }
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) return 2;
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
  xcb_flush(c);

  if (std::strcmp(argv[1], "dock") == 0) {
    const auto t0 = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
      // The program outlives us: it must not hold our caller's output open.
      const int null = open("/dev/null", O_RDWR);
      dup2(null, 1);
      dup2(null, 2);
      execv(argv[2], argv + 2);
      _exit(127);
    }
    xcb_generic_event_t* ev = WaitFor(
        c,
        [&](xcb_generic_event_t* e) {
          if ((e->response_type & 0x7f) != XCB_REPARENT_NOTIFY) return false;
          auto* r = reinterpret_cast<xcb_reparent_notify_event_t*>(e);
          return r->event == root && r->parent != root;
        },
        15000);
    if (!ev) {
      std::printf("pid=%d icon=0 dock_ms=-1\n", pid);
      return 1;
    }
    const auto t1 = Clock::now();
    std::printf("pid=%d icon=%u dock_ms=%.1f\n", pid,
                reinterpret_cast<xcb_reparent_notify_event_t*>(ev)->window, Ms(t0, t1));
    return 0;
  }

  const xcb_window_t icon = static_cast<xcb_window_t>(std::strtoul(argv[2], nullptr, 0));
  const int rounds = argc > 3 ? std::atoi(argv[3]) : 5;
  auto* at =
      xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, icon, root, 4, 4), nullptr);
  if (!at) return 1;
  const int x = at->dst_x, y = at->dst_y;
  std::free(at);
  const xcb_atom_t protocols = Atom(c, "WM_PROTOCOLS"), del = Atom(c, "WM_DELETE_WINDOW");
  std::string out;
  for (int i = 0; i < rounds; ++i) {
    xcb_test_fake_input(c, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root, x, y, 0);
    xcb_flush(c);
    usleep(100000);
    const auto t0 = Clock::now();
    xcb_test_fake_input(c, XCB_BUTTON_PRESS, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_test_fake_input(c, XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(c);
    xcb_window_t shown = 0;
    xcb_generic_event_t* ev = WaitFor(
        c,
        [&](xcb_generic_event_t* e) {
          if ((e->response_type & 0x7f) != XCB_MAP_NOTIFY) return false;
          auto* m = reinterpret_cast<xcb_map_notify_event_t*>(e);
          if (m->event != root || m->override_redirect) return false;
          // A window parked off the screen (a taskbar entry's carrier) is
          // not the one the click opened.
          auto* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, m->window), nullptr);
          const bool onScreen = g && g->x > -1000 && g->y > -1000;
          std::free(g);
          if (!onScreen) return false;
          shown = m->window;
          return true;
        },
        5000);
    const auto t1 = Clock::now();
    if (!out.empty()) out += ",";
    out += ev ? std::to_string(Ms(t0, t1)).substr(0, 6) : "-1";
    std::free(ev);
    if (shown) {
      xcb_client_message_event_t cm{};
      cm.response_type = XCB_CLIENT_MESSAGE;
      cm.format = 32;
      cm.window = shown;
      cm.type = protocols;
      cm.data.data32[0] = del;
      xcb_send_event(c, 0, shown, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&cm));
      xcb_flush(c);
      std::free(WaitFor(
          c, [](xcb_generic_event_t* e) { return (e->response_type & 0x7f) == XCB_UNMAP_NOTIFY; },
          2000));
    }
    usleep(600000);  // no double click
  }
  std::printf("click_ms=%s\n", out.c_str());
  xcb_disconnect(c);
  return 0;
}
