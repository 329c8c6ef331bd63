#include "qt/SniTray.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QStyleHints>
#include <QTimer>
#include <algorithm>

#include "core/tray/TrayDispatch.h"

namespace mametan {
namespace {
const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString kItem = QStringLiteral("org.kde.StatusNotifierItem");

// The last Activate, SecondaryActivate or ContextMenu call of a host, with
// the place it gave (screen coordinates of the pointer, by the protocol).
struct HostCall {
  QSystemTrayIcon::ActivationReason reason = QSystemTrayIcon::Unknown;
  QPoint pos;
  QElapsedTimer when;
};
HostCall g_lastHostCall;

QDBusMessage WatcherProperty(const QString& name) {
  QDBusMessage get = QDBusMessage::createMethodCall(
      kWatcher, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
      QStringLiteral("Get"));
  get << kWatcher << name;
  return get;
}

// Keeps a point a host sent on a screen: some hosts send their own
// surface's coordinates or none at all.
QPoint OnScreen(QPoint p) {
  const QScreen* screen = QGuiApplication::screenAt(p);
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return p;
  const QRect g = screen->geometry();
  return {std::clamp(p.x(), g.left(), g.right()), std::clamp(p.y(), g.top(), g.bottom())};
}

bool PlatformIsWayland() {
  return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

}  // namespace

}  // namespace mametan

// The toolkit's bus layer lets a program see each incoming call before it is
// delivered; the item's adaptor drops the coordinates of the calls it passes on.
Q_DBUS_EXPORT void qDBusAddSpyHook(void (*)(const QDBusMessage&));

namespace mametan {

bool SniTray::BusConfigured() {
  // Without an address libdbus may try to launch a bus of its own.
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  return !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") ||
         (!runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus")));
}

SniTray::SniTray() : m_icon(new QSystemTrayIcon(this)) {
  connect(m_icon, &QSystemTrayIcon::activated, this, &SniTray::Activated);
  // With no bus configured (widget tests) there is no watcher to follow.
  if (!BusConfigured()) return;
  static const bool spying = [] {
    qDBusAddSpyHook(&SniTray::SpyOnItemCalls);
    return true;
  }();
  Q_UNUSED(spying);
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  // A new watcher knows nothing of the item: tell it, and once it serves its
  // list, check that it took the item.
  auto* watcher =
      new QDBusServiceWatcher(kWatcher, bus, QDBusServiceWatcher::WatchForRegistration, this);
  connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] {
    if (!m_added) return;
    for (const QString& name : OwnItemNames()) Register(name, 25);
  });
  // A host that comes (a panel started late, or again) reads the watcher's
  // list: the item must be on it.
  bus.connect(QString(), kWatcherPath, kWatcher, QStringLiteral("StatusNotifierHostRegistered"),
              this, SLOT(CheckRegistered()));
}

void SniTray::SpyOnItemCalls(const QDBusMessage& message) {
  if (message.interface() != kItem || message.arguments().size() != 2) return;
  const QString member = message.member();
  QSystemTrayIcon::ActivationReason reason;
  if (member == QLatin1String("ContextMenu")) {
    reason = QSystemTrayIcon::Context;
  } else if (member == QLatin1String("Activate")) {
    reason = QSystemTrayIcon::Trigger;
  } else if (member == QLatin1String("SecondaryActivate")) {
    reason = QSystemTrayIcon::MiddleClick;
  } else {
    return;
  }
  g_lastHostCall.reason = reason;
  g_lastHostCall.pos = QPoint(message.arguments().at(0).toInt(), message.arguments().at(1).toInt());
  g_lastHostCall.when.start();
}

QStringList SniTray::OwnItemNames() const {
  // The toolkit registers its item once, from a bus connection of its own
  // named after our process id and the icon's number. Each such connection
  // gives two names, in pairs: its unique bus name, by which we register the
  // item, and the connection's own name, by which the toolkit did.
  QStringList names;
  if (!m_added) return names;
  for (int n = 1; n <= 16; ++n) {
    const QDBusConnection own(QStringLiteral("org.kde.StatusNotifierItem-%1-%2")
                                  .arg(QCoreApplication::applicationPid())
                                  .arg(n));
    if (own.isConnected()) names << own.baseService() << own.name();
  }
  return names;
}

void SniTray::CheckRegistered() {
  if (!m_added) return;
  auto* reply = new QDBusPendingCallWatcher(
      QDBusConnection::sessionBus().asyncCall(
          WatcherProperty(QStringLiteral("RegisteredStatusNotifierItems")), 2000),
      this);
  connect(reply, &QDBusPendingCallWatcher::finished, this, [this, reply] {
    reply->deleteLater();
    // Without a watcher there is no list; the next one is told when it comes.
    if (reply->isError() || !m_added) return;
    const QStringList listed =
        QDBusPendingReply<QDBusVariant>(*reply).value().variant().toStringList();
    const QStringList own = OwnItemNames();
    // Pairs of the connection's unique name and its well-known one; a
    // watcher lists either, perhaps followed by the object path.
    for (qsizetype i = 0; i + 1 < own.size(); i += 2) {
      const bool found = std::any_of(listed.begin(), listed.end(), [&](const QString& entry) {
        const QString service = entry.section(QLatin1Char('/'), 0, 0);
        return service == own.at(i) || service == own.at(i + 1);
      });
      if (!found) Register(own.at(i), 25);
    }
  });
}

void SniTray::Register(const QString& name, int attemptsLeft) {
  QDBusMessage call = QDBusMessage::createMethodCall(kWatcher, kWatcherPath, kWatcher,
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

bool SniTray::HostRegistered() {
  if (!BusConfigured()) return false;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface()) return false;
  // Asked only of a watcher that is there: a call to its name could start one.
  if (!bus.interface()->isServiceRegistered(kWatcher)) return false;
  const QDBusMessage reply = bus.call(
      WatcherProperty(QStringLiteral("IsStatusNotifierHostRegistered")), QDBus::Block, 2000);
  return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
         reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

bool SniTray::Add(const QIcon& icon, const QString& tip) {
  if (m_added) return false;
  m_icon->setIcon(icon);
  m_icon->setToolTip(tip);
  m_icon->show();
  m_added = true;
  // The toolkit registers the item without waiting for an answer.
  QTimer::singleShot(1000, this, &SniTray::CheckRegistered);
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
  QPoint pos = QCursor::pos();
  // A call a host made just now gives the place; the pointer may be over
  // another client's surface, where the window system does not report it.
  const bool fromHost = g_lastHostCall.when.isValid() && g_lastHostCall.reason == reason &&
                        !g_lastHostCall.when.hasExpired(1000);
  if (fromHost) {
    pos = OnScreen(g_lastHostCall.pos);
    g_lastHostCall.when.invalidate();
    // A Wayland menu is a popup of one of our surfaces, which there is not
    // while only the icon shows; the host draws the exported menu instead.
    if (reason == QSystemTrayIcon::Context && PlatformIsWayland() &&
        !QApplication::activeWindow()) {
      return;
    }
  }
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
