#pragma once
// The icon as a StatusNotifierItem, for desktops whose panel hosts those
// (through QSystemTrayIcon). The host reports gestures rather than raw
// buttons; each becomes the press and release it stands for, and a second
// one of the same button soon after becomes the double click. The host draws
// the icon's menu itself from the exported one. When the watcher comes back
// (a panel restart) the item is registered with it again.
#include <QElapsedTimer>
#include <QSystemTrayIcon>

#include "tray/TrayBackend.h"

namespace mametan {

class SniTray : public TrayBackend {
  Q_OBJECT
 public:
  SniTray();
  // True when org.kde.StatusNotifierWatcher is on the session bus. Never
  // starts a bus: without one configured it answers false.
  static bool WatcherPresent();

  bool Add(const QIcon& icon, const QString& tip) override;
  void Modify(const QIcon& icon, const QString& tip) override;
  bool Remove() override;
  void SetMenu(QMenu* menu) override;

 private:
  void Activated(QSystemTrayIcon::ActivationReason reason);
  void RegisterAgain();
  // Tells the watcher of the item's bus name, trying again while it refuses.
  void Register(const QString& name, int attemptsLeft);

  QSystemTrayIcon* m_icon;
  bool m_added = false;
  // The last single click, which a second one may turn into a double click.
  QElapsedTimer m_lastClick;
  QSystemTrayIcon::ActivationReason m_lastReason = QSystemTrayIcon::Unknown;
  QPoint m_lastPos;
};

}  // namespace mametan
