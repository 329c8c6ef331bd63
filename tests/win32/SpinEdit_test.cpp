// The spin edit's Win32 half: which keys, characters, focus changes and
// button presses reach the core spin rules, through real messages.
#include "win32/SpinEdit.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace mametan::win32 {
namespace {

class SpinEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 200, 80, nullptr,
                             nullptr, instance, nullptr);
    ASSERT_NE(parent, nullptr);
    edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL,
                           0, 0, 49, 21, parent, nullptr, instance, nullptr);
    sibling = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 40, 49, 21, parent,
                              nullptr, instance, nullptr);
    other = CreateWindowExW(0, L"EDIT", L"", WS_POPUP | WS_VISIBLE, 300, 0, 49, 21, nullptr,
                            nullptr, instance, nullptr);
    spin.Attach(edit);
    spin.MaxValue = 100;
    spin.SetValue(5);
  }
  void TearDown() override {
    DestroyWindow(parent);
    DestroyWindow(other);
  }

  std::wstring Shown() const {
    wchar_t text[32] = {};
    GetWindowTextW(edit, text, 32);
    return text;
  }
  void Retype(const std::wstring& text) {
    SetWindowTextW(edit, L"");
    for (wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 0);
  }
  static LPARAM Centre(HWND button) {
    RECT r{};
    GetClientRect(button, &r);
    return MAKELPARAM(r.right / 2, r.bottom / 2);
  }

  HWND parent = nullptr;
  HWND edit = nullptr;
  HWND sibling = nullptr;
  HWND other = nullptr;
  SpinEdit spin;
};

// Up and Down step; characters that cannot form a number and Enter are
// dropped.
TEST_F(SpinEditTest, KeysAndCharacters) {
  SendMessageW(edit, WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(Shown(), L"6");
  SendMessageW(edit, WM_KEYDOWN, VK_DOWN, 0);
  SendMessageW(edit, WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(Shown(), L"4");
  spin.SetValue(100);
  SendMessageW(edit, WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(Shown(), L"100");

  Retype(L"1a2\r-");
  EXPECT_EQ(Shown(), L"12-");
}

// Leaving for another control of the window brings the value into range;
// the keyboard going to another window (a message box, another program)
// leaves the text as typed.
TEST_F(SpinEditTest, LeavingTheFieldChecksTheRange) {
  SetFocus(edit);
  Retype(L"150");
  SetFocus(other);
  EXPECT_EQ(Shown(), L"150");
  SetFocus(edit);
  SetFocus(sibling);
  EXPECT_EQ(Shown(), L"100");
  SetFocus(edit);
  Retype(L"");
  SetFocus(sibling);
  EXPECT_EQ(Shown(), L"0") << "an empty field reads as the minimum";
}

// A held arrow clicks at each repeat tick while it is shown down, once more
// on a release inside it, and not after the release; dragged off the arrow
// it neither repeats nor clicks on release. A press puts the focus into the
// field.
TEST_F(SpinEditTest, HeldArrowRepeatsThroughItsTimer) {
  HWND up = spin.UpButton().Handle();
  SetFocus(sibling);
  SendMessageW(up, WM_LBUTTONDOWN, MK_LBUTTON, Centre(up));
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_EQ(Shown(), L"5") << "no click on the press itself";
  for (int tick = 0; tick < 6; ++tick) SendMessageW(up, WM_TIMER, SpeedButton::kRepeatTimer, 0);
  SendMessageW(up, WM_LBUTTONUP, 0, Centre(up));
  EXPECT_EQ(Shown(), L"12") << "six ticks and the release";
  SendMessageW(up, WM_TIMER, SpeedButton::kRepeatTimer, 0);
  EXPECT_EQ(Shown(), L"12") << "the repeat ends with the release";

  HWND down = spin.DownButton().Handle();
  SendMessageW(down, WM_LBUTTONDOWN, MK_LBUTTON, Centre(down));
  SendMessageW(down, WM_TIMER, SpeedButton::kRepeatTimer, 0);
  EXPECT_EQ(Shown(), L"11");
  SendMessageW(down, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(500, 500));
  SendMessageW(down, WM_TIMER, SpeedButton::kRepeatTimer, 0);
  SendMessageW(down, WM_LBUTTONUP, 0, MAKELPARAM(500, 500));
  EXPECT_EQ(Shown(), L"11") << "off the arrow: no repeat, no click on release";
}

}  // namespace
}  // namespace mametan::win32
