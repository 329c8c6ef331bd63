// The hidden host window's message routing: the icon's callback message
// through the tray rules to the host presenter, and the end of the session.
#include "win32/HostWindow.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "common/ApSystem.h"
#include "tests/support/MemoryRegistry.h"

namespace mametan::win32 {
namespace {

HWND HiddenWindow() {
  return CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

class HostWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host.Create();
    input = HiddenWindow();
    about = HiddenWindow();
    HostedWindows windows;
    windows.input = input;
    windows.about = about;
    windows.inputFormHide = [this] { ++inputHides; };
    host.SetHostedWindows(windows);
  }
  void TearDown() override {
    DestroyWindow(input);
    DestroyWindow(about);
  }
  LRESULT Send(UINT msg, WPARAM wParam, LPARAM lParam) {
    return SendMessageW(host.Handle(), msg, wParam, lParam);
  }
  void Press(UINT mouseMessage) { Send(traymsg::kCallback, 1, mouseMessage); }

  MemoryRegistry registry;
  TApSystem settings;
  HostWindow host{GetModuleHandleW(nullptr), registry, settings};
  HWND input = nullptr;
  HWND about = nullptr;
  int inputHides = 0;
};

// A left press shows the input window; the middle button, a move and the
// right button's release show nothing; the about command shows its box.
TEST_F(HostWindowTest, IconPressesAndMenuCommandsReachTheWindows) {
  for (UINT idle : {WM_MBUTTONDOWN, WM_MOUSEMOVE, WM_RBUTTONUP, WM_LBUTTONUP}) {
    Press(idle);
    EXPECT_FALSE(IsWindowVisible(input)) << idle;
  }
  Press(WM_LBUTTONDOWN);
  EXPECT_TRUE(IsWindowVisible(input));
  EXPECT_FALSE(IsWindowVisible(about));
  Send(WM_COMMAND, kCmdAbout, 0);
  EXPECT_TRUE(IsWindowVisible(about));
}

// The end of the session saves the settings with the input window's state
// taken first, and ends the loop; the query lets the session end.
TEST_F(HostWindowTest, SessionEndSavesAndQuits) {
  settings.File_Kakeibo = "ledger.csv";
  EXPECT_EQ(Send(WM_QUERYENDSESSION, 0, 0), TRUE);
  EXPECT_EQ(registry.Find("Mametan"), nullptr);
  Send(WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(inputHides, 1);
  ASSERT_NE(registry.Find("Mametan"), nullptr);
  EXPECT_TRUE(registry.Find("Mametan")->values.count("File_Kakeibo"));
  EXPECT_TRUE(host.Presenter().Closed());
  MSG msg{};
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

}  // namespace
}  // namespace mametan::win32
