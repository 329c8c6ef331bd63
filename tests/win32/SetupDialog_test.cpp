// The setup dialog's keys as the program's message loop hands them over:
// the dialog's own keys first, then the dialog manager.
#include "win32/SetupDialog.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "core/common/ApSystem.h"

namespace mametan::win32 {
namespace {

class SetupDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings.Tax = 5;
    dialog.Create(GetModuleHandleW(nullptr));
    ASSERT_NE(dialog.Window(), nullptr);
    ShowWindow(dialog.Handle(), SW_SHOW);
    tax = dialog.TaxField().Handle();
    SetFocus(tax);
    SetWindowTextW(tax, L"150");
  }

  // A key pressed in the tax field, and what it leads to, through the loop.
  void Press(UINT message, WPARAM key) {
    MSG msg{tax, message, key, message == WM_SYSKEYDOWN ? 0x20000000 : 0, 0, {}};
    for (;;) {
      if (!dialog.PreTranslate(msg) && !IsDialogMessageW(dialog.Handle(), &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) break;
    }
  }

  TApSystem settings;
  SetupDialog dialog{settings};
  HWND tax = nullptr;
};

// Enter in the tax field is the field's own (refused there), not OK.
TEST_F(SetupDialogTest, EnterInTheTaxFieldDoesNotPressOk) {
  Press(WM_KEYDOWN, VK_RETURN);
  EXPECT_TRUE(IsWindowVisible(dialog.Handle()));
  EXPECT_EQ(settings.Tax, 5);
}

// Alt+O presses OK while the tax field keeps the focus: the value is read
// from the text as typed.
TEST_F(SetupDialogTest, AltOStoresTheTaxAsTyped) {
  SetWindowTextW(tax, L"42");
  Press(WM_SYSKEYDOWN, 'O');
  EXPECT_FALSE(IsWindowVisible(dialog.Handle()));
  EXPECT_EQ(settings.Tax, 42);
}

}  // namespace
}  // namespace mametan::win32
