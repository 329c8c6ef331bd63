#include "qt/TrayHostWait.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>

#include "qt/SniTray.h"
#include "qt/TrayBackendFactory.h"
#include "qt/XEmbedTray.h"

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
  if (SniTray::BusConfigured()) {
    // A watcher owns its name a moment before a host registers with it: the
    // name alone is no panel yet. Its host's coming is signalled, or read
    // from a watcher that comes with its host already there.
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(QString(), QStringLiteral("/StatusNotifierWatcher"),
                QStringLiteral("org.kde.StatusNotifierWatcher"),
                QStringLiteral("StatusNotifierHostRegistered"), this, SLOT(SniHostCame()));
    m_sni = std::make_unique<QDBusServiceWatcher>(QStringLiteral("org.kde.StatusNotifierWatcher"),
                                                  bus, QDBusServiceWatcher::WatchForRegistration);
    connect(m_sni.get(), &QDBusServiceWatcher::serviceRegistered, this, [this] {
      // Asked on the next turn: the watcher serves its object after taking its name.
      QTimer::singleShot(100, this, [this] {
        if (!m_settled && SniTray::HostRegistered()) Settle();
      });
    });
  }
  const bool present = TrayPlatformHeadless() || SniTray::HostRegistered() ||
                       (m_xembed && m_xembed->ManagerPresent());
  if (waitMs <= 0 || present) {
    QMetaObject::invokeMethod(this, &TrayHostWait::Settle, Qt::QueuedConnection);
  } else {
    m_deadline.start(waitMs);
  }
}

void TrayHostWait::SniHostCame() { Settle(); }

void TrayHostWait::Settle() {
  if (m_settled) return;
  m_settled = true;
  m_deadline.stop();
  // Nothing of the wait listens on once it is over. The watchers may be the
  // senders of this very call, so they go on the next turn (or with us).
  QTimer::singleShot(0, this, [this] {
    m_xembed.reset();
    if (!m_sni) return;
    m_sni.reset();
    QDBusConnection::sessionBus().disconnect(QString(), QStringLiteral("/StatusNotifierWatcher"),
                                             QStringLiteral("org.kde.StatusNotifierWatcher"),
                                             QStringLiteral("StatusNotifierHostRegistered"), this,
                                             SLOT(SniHostCame()));
  });
  emit settled();
}

}  // namespace mametan
