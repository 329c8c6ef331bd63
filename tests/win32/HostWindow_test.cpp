// The hidden host window's message routing: the icon's callback message
// through the tray rules to the host presenter, and the end of the session.
#include "win32/HostWindow.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "common/ApSystem.h"
#include "tests/support/MemoryRegistry.h"

namespace mametan::win32 {
namespace {

// A window built when the host first needs it, as the dialogs are.
struct PlainWindow : HostedDialog {
  ~PlainWindow() override {
    if (hwnd) DestroyWindow(hwnd);
  }
  HWND Handle() const override { return hwnd; }
  HWND Window() override {
    if (!hwnd) {
      hwnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    }
    return hwnd;
  }
  HWND hwnd = nullptr;
};

class HostWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host.Create();
    HostedWindows windows;
    windows.input = &input;
    windows.about = &about;
    windows.inputFormHide = [this] { ++inputHides; };
    host.SetHostedWindows(windows);
  }
  LRESULT Send(UINT msg, WPARAM wParam, LPARAM lParam) {
    return SendMessageW(host.Handle(), msg, wParam, lParam);
  }
  void Press(UINT mouseMessage) { Send(traymsg::kCallback, 1, mouseMessage); }

  MemoryRegistry registry;
  TApSystem settings;
  HostWindow host{GetModuleHandleW(nullptr), registry, settings};
  PlainWindow input;
  PlainWindow about;
  int inputHides = 0;
};

// A left press shows the input window; the middle button, a move and the
// right button's release show nothing; the about command shows its box.
TEST_F(HostWindowTest, IconPressesAndMenuCommandsReachTheWindows) {
  for (UINT idle : {WM_MBUTTONDOWN, WM_MOUSEMOVE, WM_RBUTTONUP, WM_LBUTTONUP}) {
    Press(idle);
    EXPECT_FALSE(IsWindowVisible(input.Handle())) << idle;
  }
  Press(WM_LBUTTONDOWN);
  EXPECT_TRUE(IsWindowVisible(input.Handle()));
  EXPECT_FALSE(IsWindowVisible(about.Handle()));
  Send(WM_COMMAND, kCmdAbout, 0);
  EXPECT_TRUE(IsWindowVisible(about.Handle()));
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
