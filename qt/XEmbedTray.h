#pragma once
// Our own icon window in an XEmbed system tray (the freedesktop system tray
// protocol): docked with the manager that owns _NET_SYSTEM_TRAY_S<screen>,
// asked again while the manager has not taken the window in, docked again
// whenever a new manager announces itself, and reporting raw
// press, release and double click of every button.
#include <QAbstractNativeEventFilter>
#include <QSize>
#include <QTimer>
#include <cstdint>

#include "qt/TrayBackend.h"

struct xcb_connection_t;

namespace mametan {

class XEmbedTray : public TrayBackend, public QAbstractNativeEventFilter {
  Q_OBJECT
 public:
  // Requires the xcb platform.
  XEmbedTray();
  ~XEmbedTray() override;

  static bool PlatformIsX11();
  // True when a system tray manager exists on the default screen.
  bool ManagerPresent();

  bool Add(const QIcon& icon, const QString& tip) override;
  void Modify(const QIcon& icon, const QString& tip) override;
  bool Remove() override;
  bool HostPresent() override { return ManagerPresent(); }

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 signals:
  // A tray manager announced itself on the root window.
  void managerAppeared();

 private:
  std::uint32_t Atom(const char* name);
  std::uint32_t FindManager();
  void Dock();
  std::uint32_t ChooseVisual();
  void CreateIconWindow(std::uint32_t visual);
  void SetIconProperties();
  void SendDockRequest();
  void DockAgain();
  void DestroyWindow();
  void Paint();
  void Mouse(bool press, int button, int rootX, int rootY, unsigned state, std::uint32_t time);

  xcb_connection_t* m_conn = nullptr;
  std::uint32_t m_root = 0;
  std::uint32_t m_selection = 0;  // _NET_SYSTEM_TRAY_S<screen>
  std::uint32_t m_manager = 0;    // the window owning it, 0 while none
  std::uint32_t m_managerAtom = 0;
  std::uint32_t m_window = 0;  // our icon window, 0 while undocked
  std::uint32_t m_gc = 0;
  std::uint8_t m_depth = 0;
  bool m_added = false;
  bool m_embedded = false;  // the tray has taken the window in
  int m_dockAttempts = 0;
  QTimer m_redock;
  QIcon m_icon;
  QSize m_size{22, 22};
  // The last press, to tell a double click from two presses.
  int m_lastButton = 0;
  std::uint32_t m_lastTime = 0;
  QPoint m_lastPos;
  bool m_lastWasDouble = false;
};

}  // namespace mametan
