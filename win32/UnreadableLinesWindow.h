#pragma once
// The ledger's lines that could not be read, listed with their numbers in a
// window of their own over the viewer, which is disabled until it closes.
// Ctrl+A selects them all, Ctrl+C copies the selected ones, Esc closes it.
#include <windows.h>

#include <vector>

#include "core/viewer/ViewerPresenter.h"

namespace mametan::win32 {

class UnreadableLinesWindow {
 public:
  UnreadableLinesWindow() = default;
  ~UnreadableLinesWindow() { Close(); }
  UnreadableLinesWindow(const UnreadableLinesWindow&) = delete;
  UnreadableLinesWindow& operator=(const UnreadableLinesWindow&) = delete;

  // Opens the window over `owner` with the lines of `count` unreadable ones.
  void Show(HINSTANCE instance, HWND owner, HFONT font, std::vector<ViewerUnreadable> lines,
            std::uint64_t count);
  void Close();
  HWND Handle() const { return m_hwnd; }
  void SetFont(HFONT font);
  // Its keys, before its controls see them; true when used.
  bool PreTranslate(const MSG& msg);

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  int Scale(int pixels) const;
  void CopyLines();

  HWND m_owner = nullptr;
  HWND m_hwnd = nullptr;
  HWND m_list = nullptr;
  HWND m_note = nullptr;
  HWND m_close = nullptr;
  HFONT m_font = nullptr;
  std::vector<ViewerUnreadable> m_lines;
};

}  // namespace mametan::win32
