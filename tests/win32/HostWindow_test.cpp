// The hidden host window's message routing: the icon's callback message
// through the tray rules to the host presenter, and the end of the session.
#include "win32/HostWindow.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "core/common/ApSystem.h"
#include "tests/support/MemoryRegistry.h"
#include "win32/ApplicationWindow.h"

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

// A dialog of the program, from an empty template through the program's
// dialog procedure, owned by the application window.
struct EmptyDialog : HostedDialog {
  ~EmptyDialog() override {
    if (hwnd) DestroyWindow(hwnd);
  }
  HWND Handle() const override { return hwnd; }
  HWND Window() override {
    alignas(DWORD) static const WORD kTemplate[] = {LOWORD(WS_POPUP | WS_CAPTION),
                                                    HIWORD(WS_POPUP | WS_CAPTION),
                                                    0,
                                                    0,
                                                    0,
                                                    0,
                                                    0,
                                                    100,
                                                    50,
                                                    0,
                                                    0,
                                                    0};
    if (!hwnd) {
      CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                 reinterpret_cast<LPCDLGTEMPLATEW>(kTemplate), WindowOwner(),
                                 &DialogProcOf<EmptyDialog, &EmptyDialog::hwnd, &EmptyDialog::Proc>,
                                 reinterpret_cast<LPARAM>(this));
    }
    return hwnd;
  }
  INT_PTR Proc(UINT, WPARAM, LPARAM) { return FALSE; }
  HWND hwnd = nullptr;
};

// Runs the messages that wait, as the program's loop would.
void Settle() {
  MSG msg{};
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// The program's taskbar entry is there while one of its windows is open,
// and its windows have no buttons of their own. After start-up hid it
// directly with a window open, it stays away whatever opens and closes.
TEST(ApplicationWindowTest, TaskbarEntryFollowsTheWindows) {
  ApplicationWindow application(GetModuleHandleW(nullptr));
  application.Create();
  EmptyDialog input;
  EmptyDialog about;
  WindowTable windows{};
  WindowIn(windows, ProgramWindow::Input) = &input;
  WindowIn(windows, ProgramWindow::About) = &about;
  application.Watch(&windows);
  ShowWindow(input.Window(), SW_SHOW);
  EXPECT_EQ(GetWindow(input.Handle(), GW_OWNER), application.Handle());
  EXPECT_TRUE(application.IsShown());
  ShowWindow(about.Window(), SW_SHOW);
  ShowWindow(input.Handle(), SW_HIDE);
  Settle();
  EXPECT_TRUE(application.IsShown());
  ShowWindow(about.Handle(), SW_HIDE);
  Settle();
  EXPECT_FALSE(application.IsShown());

  ShowWindow(input.Handle(), SW_SHOW);
  application.SetShown(false);
  ShowWindow(about.Handle(), SW_SHOW);
  ShowWindow(input.Handle(), SW_HIDE);
  Settle();
  EXPECT_FALSE(application.IsShown());
}

class HostWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host.Create();
    HostedWindows windows;
    WindowIn(windows.windows, ProgramWindow::Input) = &input;
    WindowIn(windows.windows, ProgramWindow::About) = &about;
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
  Send(WM_COMMAND, static_cast<WPARAM>(MenuCommand::About), 0);
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
