#pragma once
// The icon as a StatusNotifierItem, for desktops whose panel hosts those
// (through QSystemTrayIcon). The host reports gestures rather than raw
// buttons; each becomes the press and release it stands for.
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

 private:
  void Activated(QSystemTrayIcon::ActivationReason reason);

  QSystemTrayIcon* m_icon;
  bool m_added = false;
};

}  // namespace mametan
