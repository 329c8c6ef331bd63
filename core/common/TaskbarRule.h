#pragma once
// When the program has a taskbar entry. The entry follows the windows of the
// program, but only while nobody else moved it: start-up hiding it and the
// tray icon's restore show or hide it directly, and from then on the rule
// leaves it alone until its own idea of the entry matches reality again.
namespace mametan {

class TaskbarEntry {
 public:
  virtual ~TaskbarEntry() = default;
  virtual bool IsShown() const = 0;
  // Shows or hides the entry without activating anything.
  virtual void SetShown(bool shown) = 0;
};

class TaskbarRule {
 public:
  explicit TaskbarRule(TaskbarEntry& entry) : m_entry(entry) {}

  // Applies the rule after one of the program's windows was created, shown,
  // hidden or destroyed; `anyWindowVisible` is true when at least one is
  // visible now.
  void WindowsChanged(bool anyWindowVisible);

  // The visibility the rule itself last gave the entry.
  bool Flag() const { return m_flag; }

 private:
  TaskbarEntry& m_entry;
  bool m_flag = false;
};

}  // namespace mametan
