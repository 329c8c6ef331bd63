#pragma once
// The program's windows, one list for both front ends: the order they are
// created in, which of them the taskbar entry follows, and which one comes
// forward when the tray icon restores the program or its taskbar entry is
// chosen.
#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace mametan {

// In start-up order, the host first: it loads the settings the later windows
// read while they are created. The windows go in reverse order. The taskbar
// entry follows every one of them. A window's value is its place in the list.
enum class ProgramWindow { Main, Setup, Input, KindEditor, About };

inline constexpr std::array<ProgramWindow, 5> kProgramWindows{
    ProgramWindow::Main, ProgramWindow::Setup, ProgramWindow::Input, ProgramWindow::KindEditor,
    ProgramWindow::About};

// The order in which the windows were last opened. Windows never opened
// count in start-up order, before any opened one.
class OpenOrder {
 public:
  OpenOrder() : m_order(kProgramWindows.begin(), kProgramWindows.end()) {}

  // A window was shown (again, or brought forward while shown).
  void Opened(ProgramWindow window);

  // The window opened last of those `visible` names, or none: it comes
  // forward and takes the keyboard. A modal editor opened from a dialog is
  // chosen over the dialog.
  std::optional<ProgramWindow> Forward(const std::function<bool(ProgramWindow)>& visible) const;

 private:
  std::vector<ProgramWindow> m_order;
};

}  // namespace mametan
