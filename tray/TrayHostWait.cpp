#include "tray/TrayHostWait.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>

#include "tray/SniTray.h"
#include "tray/TrayBackendFactory.h"
#include "tray/XEmbedTray.h"

namespace mametan {

TrayHostWait::TrayHostWait(QObject* parent) : QObject(parent) {
  m_deadline.setSingleShot(true);
  connect(&m_deadline, &QTimer::timeout, this, &TrayHostWait::Settle);
}

TrayHostWait::~TrayHostWait() = default;

void TrayHostWait::Start(int waitMs) {
  // Listening first: a host that comes while we look is not missed.
  if (XEmbedTray::PlatformIsX11()) {
    m_xembed = std::make_unique<XEmbedTray>();
    connect(m_xembed.get(), &XEmbedTray::managerAppeared, this, &TrayHostWait::Settle);
  }
  if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
    m_sni = std::make_unique<QDBusServiceWatcher>(QStringLiteral("org.kde.StatusNotifierWatcher"),
                                                  QDBusConnection::sessionBus(),
                                                  QDBusServiceWatcher::WatchForRegistration);
    connect(m_sni.get(), &QDBusServiceWatcher::serviceRegistered, this, &TrayHostWait::Settle);
  }
  const bool present = TrayPlatformHeadless() || SniTray::WatcherPresent() ||
                       (m_xembed && m_xembed->ManagerPresent());
  if (waitMs <= 0 || present) {
    QMetaObject::invokeMethod(this, &TrayHostWait::Settle, Qt::QueuedConnection);
  } else {
    m_deadline.start(waitMs);
  }
}

void TrayHostWait::Settle() {
  if (m_settled) return;
  m_settled = true;
  m_deadline.stop();
  // Nothing of the wait listens on once it is over. The watchers may be the
  // senders of this very call, so they go on the next turn (or with us).
  QTimer::singleShot(0, this, [this] {
    m_xembed.reset();
    m_sni.reset();
  });
  emit settled();
}

}  // namespace mametan
