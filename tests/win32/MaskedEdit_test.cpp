// The subclassed EDIT behind the input window's date: the keys and characters
// that reach the real control go through the mask engine, and the engine's
// byte offsets land on the control's UTF-16 text.
#include "win32/MaskedEdit.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace mametan::win32 {
namespace {

class MaskedEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 50, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 0, 150, 20, parent, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    field.Attach(edit);
    field.Engine().SetEditMask("!9999/99/00;1;-");
    field.Engine().SetText("2026/12/08");
  }
  void TearDown() override { DestroyWindow(parent); }

  std::wstring Shown() const {
    wchar_t text[64] = {};
    GetWindowTextW(edit, text, 64);
    return text;
  }
  void Type(const std::wstring& chars) {
    for (wchar_t c : chars) SendMessageW(edit, WM_CHAR, c, 0);
  }
  void Key(WPARAM vk) { SendMessageW(edit, WM_KEYDOWN, vk, 0); }
  void Select(int from, int to) { SendMessageW(edit, EM_SETSEL, from, to); }

  HWND parent = nullptr;
  HWND edit = nullptr;
  MaskedEdit field;
};

// What reaches the control: typed digits overwrite and step over the
// separators, misfits and characters without a code-page-932 form change
// nothing, Backspace and Delete blank positions (the mask's blank is "-") instead of
// closing them up.
TEST_F(MaskedEditTest, KeysAndCharactersGoThroughTheMask) {
  struct Case {
    const char* name;
    int from, to;
    std::wstring typed;
    WPARAM key;
    std::wstring shown;
  } cases[] = {
      {"digits overwrite and skip the separator", 5, 5, L"0301", 0, L"2026/03/01"},
      {"a letter is refused", 5, 5, L"x", 0, L"2026/12/08"},
      {"a full-width digit is refused", 5, 5, L"\xFF11", 0, L"2026/12/08"},
      {"a character outside code page 932 is refused", 0, 0, L"\x00E9", 0, L"2026/12/08"},
      {"Backspace blanks the position before the caret", 7, 7, L"", VK_BACK, L"2026/1-/08"},
      {"Delete blanks the selection, separators stay", 0, 10, L"", VK_DELETE, L"----/--/--"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    field.Engine().SetText("2026/12/08");
    Select(c.from, c.to);
    Type(c.typed);
    if (c.key) Key(c.key);
    EXPECT_EQ(Shown(), c.shown);
  }
}

// Esc belongs to the field only while it has a change to undo; otherwise the
// dialog manager gives it to the window's Cancel.
TEST_F(MaskedEditTest, ClaimsEscOnlyWhileModified) {
  MSG esc{edit, WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
  const auto wants = [&] {
    return (SendMessageW(edit, WM_GETDLGCODE, VK_ESCAPE, reinterpret_cast<LPARAM>(&esc)) &
            DLGC_WANTMESSAGE) != 0;
  };
  SetFocus(edit);
  EXPECT_FALSE(wants());
  Select(5, 5);
  Type(L"0");
  EXPECT_EQ(Shown(), L"2026/02/08");
  EXPECT_TRUE(wants());
  Key(VK_ESCAPE);
  EXPECT_EQ(Shown(), L"2026/12/08");
  EXPECT_FALSE(wants());
}

}  // namespace
}  // namespace mametan::win32
