#pragma once
// The program's taskbar entry on X11: a carrier window titled with the
// application title that a window manager lists in its taskbar. It is mapped
// iconic and far off screen, so a desktop shows it only as an entry and a
// bare X server shows nothing. The program's own windows skip the taskbar,
// so this entry is the only one. On other platforms the entry is only
// remembered.
#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

#include "core/common/TaskbarRule.h"

struct xcb_connection_t;

namespace mametan {

class TaskbarCarrier : public QObject, public QAbstractNativeEventFilter, public TaskbarEntry {
  Q_OBJECT
 public:
  TaskbarCarrier();
  ~TaskbarCarrier() override;

  bool IsShown() const override { return m_shown; }
  void SetShown(bool shown) override;
  // The carrier's X window, 0 when there is none.
  std::uint32_t WindowId() const { return m_window; }

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 signals:
  // The close command of the taskbar entry.
  void closeRequested();

 private:
  std::uint32_t Atom(const char* name);
  void Create();

  xcb_connection_t* m_conn = nullptr;
  std::uint32_t m_root = 0;
  std::uint32_t m_window = 0;
  std::uint32_t m_protocols = 0;
  std::uint32_t m_delete = 0;
  bool m_shown = false;
};

// Keeps the program's windows out of the taskbar and applies the taskbar
// entry rule whenever one of them is shown or hidden.
class WindowWatcher : public QObject {
  Q_OBJECT
 public:
  WindowWatcher(TaskbarRule& rule, QObject* parent = nullptr);
  // One of the program's windows, in creation order; applies the rule.
  void AddWindow(QWidget* window);
  bool AnyVisible(const QWidget* except = nullptr) const;
  // One of the windows was shown: its place in creation order.
  std::function<void(std::size_t index)> onShown;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TaskbarRule& m_rule;
  // Guarded: a window may be destroyed before the watcher.
  std::vector<QPointer<QWidget>> m_windows;
};

// Marks a top-level window to be left out of taskbars and pagers; takes
// effect when the window is next mapped.
void SkipTaskbar(QWidget* window);

}  // namespace mametan
