#include <gtest/gtest.h>

#include <string>

#include "platform/DisplayCheck.h"

namespace mametan {
namespace {

struct Case {
  const char* name;
  DisplayEnvironment env;
  bool waylandSocket, xSocket, xConnects;
  std::string platform;  // expected
  std::string problem;   // expected, empty for none
  bool xConnectAsked;    // whether an X connection may be tried
};

TEST(DisplayChoice, PlatformFromTheSession) {
  const Case cases[] = {
      {"X session", {"", ":0", ""}, false, true, true, "xcb", "", true},
      {"X session, server gone",
       {"", ":0", ""},
       false,
       true,
       false,
       "",
       "cannot connect to the X display \":0\"",
       true},
      {"no display at all",
       {"", "", ""},
       false,
       false,
       false,
       "",
       "cannot connect to the X display: DISPLAY is not set",
       false},
      {"Wayland with Xwayland", {"", ":1", "wayland-1"}, true, true, true, "xcb", "", true},
      {"Wayland alone", {"", "", "wayland-1"}, true, false, false, "wayland", "", false},
      // A DISPLAY left over from elsewhere: no socket, so nothing is woken
      // or waited for, and Wayland is used.
      {"stale DISPLAY beside Wayland",
       {"", ":9", "wayland-1"},
       true,
       false,
       false,
       "wayland",
       "",
       false},
      {"socket without a server beside Wayland",
       {"", ":1", "wayland-1"},
       true,
       true,
       false,
       "wayland",
       "",
       true},
      {"WAYLAND_DISPLAY without a compositor",
       {"", ":0", "wayland-1"},
       false,
       true,
       true,
       "xcb",
       "",
       true},
      // Asked for by name: Wayland never touches X; X is checked, and a list
      // falls back to Wayland.
      {"wayland asked for", {"wayland", ":1", "wayland-1"}, true, true, true, "", "", false},
      {"xcb asked for, no server",
       {"xcb", ":0", ""},
       false,
       true,
       false,
       "",
       "cannot connect to the X display \":0\"",
       true},
      {"xcb;wayland asked for, no X",
       {"xcb;wayland", ":9", "wayland-1"},
       true,
       false,
       false,
       "",
       "",
       true},
      {"offscreen asked for", {"offscreen", "", ""}, false, false, false, "", "", false},
  };
  for (const Case& c : cases) {
    bool connectAsked = false;
    DisplayProbes probes{[&] { return c.waylandSocket; }, [&] { return c.xSocket; },
                         [&] {
                           connectAsked = true;
                           return c.xConnects;
                         }};
    const DisplayChoice got = ChooseDisplay(c.env, probes);
    EXPECT_EQ(got.platform, c.platform) << c.name;
    EXPECT_EQ(got.problem.value_or(""), c.problem) << c.name;
    if (!c.xConnectAsked) {
      EXPECT_FALSE(connectAsked) << c.name << ": connected to X needlessly";
    }
  }
}

}  // namespace
}  // namespace mametan
