#include <gtest/gtest.h>

#include <string>

#include "core/platform/DisplayCheck.h"

namespace mametan {
namespace {

TEST(DisplayChoice, PlatformFromTheSession) {
  struct Case {
    DisplayEnvironment env;  // QT_QPA_PLATFORM, DISPLAY, WAYLAND_DISPLAY
    bool wayland, xSocket, xConnects;
    std::string platform, problem;
    bool mayConnect;  // whether an X connection may be tried
  };
  const std::string noServer = "cannot connect to the X display \":0\"";
  // clang-format off
  const Case cases[] = {
      {{"", ":0", ""},                   false, true,  true,  "xcb",     "",       true},
      {{"", ":0", ""},                   false, true,  false, "",        noServer, true},
      {{"", "", ""},                     false, false, false, "",
       "cannot connect to the X display: DISPLAY is not set",                     false},
      {{"", ":1", "wayland-1"},          true,  true,  true,  "xcb",     "",       true},
      {{"", "", "wayland-1"},            true,  false, false, "wayland", "",       false},
      // A DISPLAY left from elsewhere has no socket: nothing is woken, Wayland is used.
      {{"", ":9", "wayland-1"},          true,  false, false, "wayland", "",       false},
      {{"", ":1", "wayland-1"},          true,  true,  false, "wayland", "",       true},
      {{"", ":0", "wayland-1"},          false, true,  true,  "xcb",     "",       true},
      // Asked for by name: Wayland never touches X; a list falls back to Wayland.
      {{"wayland", ":1", "wayland-1"},   true,  true,  true,  "",        "",       false},
      {{"xcb", ":0", ""},                false, true,  false, "",        noServer, true},
      {{"xcb;wayland", ":9", "wayland-1"}, true, false, false, "",       "",       true},
      // A Wayland socket nobody answers on (its compositor ended) and no X.
      {{"", "", "wayland-1"},            false, false, false, "",
       "cannot connect to the X display: DISPLAY is not set (no usable Wayland display \"wayland-1\")", false},
      {{"wayland", ":0", "wayland-1"},   false, true,  true,  "",
       "cannot connect to the Wayland display \"wayland-1\"",                      false},
      {{"wayland;xcb", ":0", "wayland-1"}, false, true, true, "",        "",       true},
  };
  // clang-format on
  for (const Case& c : cases) {
    const std::string name = c.env.qpaPlatform + "|" + c.env.display + "|" + c.env.waylandDisplay;
    bool connected = false;
    const DisplayProbes probes{[&] { return c.wayland; }, [&] { return c.xSocket; },
                               [&] { return (connected = true) && c.xConnects; }};
    const DisplayChoice got = ChooseDisplay(c.env, probes);
    EXPECT_EQ(got.platform, c.platform) << name;
    EXPECT_EQ(got.problem.value_or(""), c.problem) << name;
    EXPECT_TRUE(c.mayConnect || !connected) << name << ": connected to X needlessly";
  }
}

}  // namespace
}  // namespace mametan
