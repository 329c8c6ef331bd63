#include "tray/SniTray.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QStyleHints>
#include <QTimer>

#include "tray/TrayDispatch.h"

namespace mametan {
namespace {
const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");

// Without an address libdbus may try to launch a bus of its own.
bool SessionBusConfigured() {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  return !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") ||
         (!runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus")));
}
}  // namespace

SniTray::SniTray() : m_icon(new QSystemTrayIcon(this)) {
  connect(m_icon, &QSystemTrayIcon::activated, this, &SniTray::Activated);
  // With no bus configured (widget tests) there is no watcher to follow.
  if (!SessionBusConfigured()) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (bus.isConnected()) {
    auto* watcher =
        new QDBusServiceWatcher(kWatcher, bus, QDBusServiceWatcher::WatchForRegistration, this);
    connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] { RegisterAgain(); });
  }
}

void SniTray::RegisterAgain() {
  // The toolkit registers its item once, from a bus connection of its own
  // named after our process id and the icon's number; a new watcher knows
  // nothing of it. The item is that connection's unique bus name.
  if (!m_added) return;
  for (int n = 1; n <= 16; ++n) {
    const QDBusConnection own(QStringLiteral("org.kde.StatusNotifierItem-%1-%2")
                                  .arg(QCoreApplication::applicationPid())
                                  .arg(n));
    if (own.isConnected()) Register(own.baseService(), 25);
  }
}

void SniTray::Register(const QString& name, int attemptsLeft) {
  QDBusMessage call =
      QDBusMessage::createMethodCall(kWatcher, QStringLiteral("/StatusNotifierWatcher"), kWatcher,
                                     QStringLiteral("RegisterStatusNotifierItem"));
  call << name;
  auto* reply = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
  connect(reply, &QDBusPendingCallWatcher::finished, this, [this, reply, name, attemptsLeft] {
    reply->deleteLater();
    // A watcher may own its name a moment before it serves its object.
    if (reply->isError() && attemptsLeft > 1) {
      QTimer::singleShot(200, this, [this, name, attemptsLeft] {
        if (m_added) Register(name, attemptsLeft - 1);
      });
    }
  });
}

bool SniTray::WatcherPresent() {
  if (!SessionBusConfigured()) return false;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface()) return false;
  return bus.interface()->isServiceRegistered(kWatcher);
}

bool SniTray::Add(const QIcon& icon, const QString& tip) {
  if (m_added) return false;
  m_icon->setIcon(icon);
  m_icon->setToolTip(tip);
  m_icon->show();
  m_added = true;
  return true;
}

void SniTray::Modify(const QIcon& icon, const QString& tip) {
  m_icon->setIcon(icon);
  m_icon->setToolTip(tip);
}

bool SniTray::Remove() {
  if (!m_added) return false;
  m_icon->hide();
  m_added = false;
  return true;
}

void SniTray::SetMenu(QMenu* menu) { m_icon->setContextMenu(menu); }

void SniTray::Activated(QSystemTrayIcon::ActivationReason reason) {
  using namespace traymsg;
  const QPoint pos = QCursor::pos();
  const Qt::KeyboardModifiers mods = QGuiApplication::queryKeyboardModifiers();
  if (reason == QSystemTrayIcon::DoubleClick) {
    m_lastClick.invalidate();
    emit mouseMessage(kLButtonDblClk, pos, mods);
    return;
  }
  const QStyleHints* hints = QGuiApplication::styleHints();
  // The protocol has no double click: a second click of the same button
  // within the interval and near the first stands for it, as the press of a
  // double click does on a tray that reports raw buttons.
  const bool second = m_lastClick.isValid() && m_lastReason == reason &&
                      !m_lastClick.hasExpired(hints->mouseDoubleClickInterval()) &&
                      (pos - m_lastPos).manhattanLength() <= hints->startDragDistance();
  if (second) {
    m_lastClick.invalidate();
  } else {
    m_lastClick.start();
    m_lastReason = reason;
    m_lastPos = pos;
  }
  const auto click = [&](unsigned down, unsigned up, unsigned dblclk) {
    emit mouseMessage(second ? dblclk : down, pos, mods);
    emit mouseMessage(up, pos, mods);
  };
  switch (reason) {
    case QSystemTrayIcon::Trigger:
      click(kLButtonDown, kLButtonUp, kLButtonDblClk);
      break;
    case QSystemTrayIcon::Context:
      click(kRButtonDown, kRButtonUp, kRButtonDblClk);
      break;
    case QSystemTrayIcon::MiddleClick:
      click(kMButtonDown, kMButtonUp, kMButtonDblClk);
      break;
    default:
      m_lastClick.invalidate();
      break;
  }
}

}  // namespace mametan
