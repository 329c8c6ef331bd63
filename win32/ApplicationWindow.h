#pragma once
// The application's own top-level window. It carries the program's taskbar
// entry, titled with the application title, and owns the program's other
// windows, which therefore have no taskbar buttons of their own. It has no
// size: shown, it is the entry and nothing else on the screen.
#include <windows.h>

#include <functional>

#include "core/common/TaskbarRule.h"
#include "win32/DialogWindow.h"

namespace mametan::win32 {

class ApplicationWindow : public TaskbarEntry {
 public:
  explicit ApplicationWindow(HINSTANCE instance) : m_instance(instance) {}
  ~ApplicationWindow() override;
  ApplicationWindow(const ApplicationWindow&) = delete;
  ApplicationWindow& operator=(const ApplicationWindow&) = delete;

  // Makes the hidden window; from then on it owns the windows made after it.
  void Create();
  HWND Handle() const { return m_hwnd; }
  // The program's windows: the entry follows their visibility.
  void Watch(const WindowTable* windows) { m_windows = windows; }
  // One of them is being shown.
  std::function<void(ProgramWindow)> onShown;
  // The entry's close command.
  std::function<void()> onClose;
  // The entry was chosen: the window that is open comes forward.
  std::function<void()> onActivate;

  // TaskbarEntry
  bool IsShown() const override;
  void SetShown(bool shown) override;

 private:
  friend void WindowShownOrHidden(HWND window, bool shown);
  friend HWND WindowOwner();
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void WindowsChanged(HWND window, bool shown);

  HINSTANCE m_instance;
  HWND m_hwnd = nullptr;
  const WindowTable* m_windows = nullptr;
  TaskbarRule m_rule{*this};
};

}  // namespace mametan::win32
