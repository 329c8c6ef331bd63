#pragma once
// The icon as a StatusNotifierItem, for desktops whose panel hosts those
// (through QSystemTrayIcon). The host reports gestures rather than raw
// buttons; each becomes the press and release it stands for, and a second
// one of the same button soon after becomes the double click. The host draws
// the icon's menu itself from the exported one.
//
// A watcher's name on the bus is not yet a panel: the item is made only once
// the watcher says a host is registered (the toolkit asks once and remembers
// its first answer for the whole run). Afterwards the item checks that the
// watcher lists it, and registers again when it does not: when a watcher or a
// host (re)starts, and a moment after the icon is added.
#include <QElapsedTimer>
#include <QPoint>
#include <QSystemTrayIcon>

#include "qt/TrayBackend.h"

class QDBusMessage;

namespace mametan {

class SniTray : public TrayBackend {
  Q_OBJECT
 public:
  SniTray();
  // True when a session bus is configured; never starts one.
  static bool BusConfigured();
  // True when org.kde.StatusNotifierWatcher is on the session bus and says a
  // host is registered. Never starts a bus or a watcher.
  static bool HostRegistered();

  bool Add(const QIcon& icon, const QString& tip) override;
  void Modify(const QIcon& icon, const QString& tip) override;
  bool Remove() override;
  void SetMenu(QMenu* menu) override;
  bool HostPresent() override { return HostRegistered(); }

 private slots:
  void CheckRegistered();

 private:
  void Activated(QSystemTrayIcon::ActivationReason reason);
  // The bus names of the toolkit's item connections: unique name, own name, ...
  QStringList OwnItemNames() const;
  // Tells the watcher of the item's bus name, trying again while it refuses.
  void Register(const QString& name, int attemptsLeft);
  // Where a host's Activate or ContextMenu call asked for the item's action;
  // the toolkit passes the call on without its place.
  static void SpyOnItemCalls(const QDBusMessage& message);

  QSystemTrayIcon* m_icon;
  bool m_added = false;
  // The last single click, which a second one may turn into a double click.
  QElapsedTimer m_lastClick;
  QSystemTrayIcon::ActivationReason m_lastReason = QSystemTrayIcon::Unknown;
  QPoint m_lastPos;
};

}  // namespace mametan
