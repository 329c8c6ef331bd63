// The editor's text box: no 32,767-character limit of its own, and its CR LF
// lines handed to the logic as "\n" lines and back.
#include "win32/KindEditorDialog.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "win32/Resource.h"

namespace mametan::win32 {
namespace {

TEST(KindEditorDialogTest, LongTextKeepsTakingTypedCharacters) {
  KindEditorDialog editor;
  editor.Create(GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(editor.Window(), nullptr);
  const std::string text = std::string(40000, 'a') + "\n食費\n";
  editor.SetText(text);
  ASSERT_TRUE(editor.Text() == text) << "the lines come back as they went in";

  HWND box = GetDlgItem(editor.Handle(), IDC_KIND_TEXT);
  const int end = GetWindowTextLengthW(box);
  SendMessageW(box, EM_SETSEL, static_cast<WPARAM>(end), end);
  for (wchar_t c : {L'雑', L'\r', L'x'}) SendMessageW(box, WM_CHAR, c, 0);
  const std::string typed = editor.Text();
  ASSERT_GE(typed.size(), 40000u);
  EXPECT_EQ(typed.substr(40000), "\n食費\n雑\nx");
}

}  // namespace
}  // namespace mametan::win32
