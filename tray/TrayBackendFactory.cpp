#include "tray/TrayBackendFactory.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>
#include <utility>

#include "tray/SniTray.h"
#include "tray/XEmbedTray.h"

namespace mametan {
namespace {

// Without a display (the offscreen and minimal platforms) there is no
// notification area to refuse the icon; it is kept and never clicked.
class HeadlessTray : public TrayBackend {
 public:
  bool Add(const QIcon&, const QString&) override { return !std::exchange(m_added, true); }
  void Modify(const QIcon&, const QString&) override {}
  bool Remove() override { return std::exchange(m_added, false); }

 private:
  bool m_added = false;
};

}  // namespace

std::unique_ptr<TrayBackend> CreateDesktopTrayBackend(int waitMs) {
  const QString platform = QGuiApplication::platformName();
  if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) {
    return std::make_unique<HeadlessTray>();
  }
  std::unique_ptr<XEmbedTray> xembed;
  if (XEmbedTray::PlatformIsX11()) xembed = std::make_unique<XEmbedTray>();
  const auto pick = [&]() -> std::unique_ptr<TrayBackend> {
    if (SniTray::WatcherPresent()) return std::make_unique<SniTray>();
    if (xembed && xembed->ManagerPresent()) return std::move(xembed);
    return nullptr;
  };
  if (auto backend = pick()) return backend;
  if (waitMs <= 0) return nullptr;

  // At login the panel may start after us. The timer lives only in this
  // scope, so nothing keeps ticking once the wait is over.
  QEventLoop loop;
  QTimer deadline;
  deadline.setSingleShot(true);
  QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
  if (xembed)
    QObject::connect(xembed.get(), &XEmbedTray::managerAppeared, &loop, &QEventLoop::quit);
  std::unique_ptr<QDBusServiceWatcher> watcher;
  if (SniTray::WatcherPresent() || !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
    watcher = std::make_unique<QDBusServiceWatcher>(QStringLiteral("org.kde.StatusNotifierWatcher"),
                                                    QDBusConnection::sessionBus(),
                                                    QDBusServiceWatcher::WatchForRegistration);
    QObject::connect(watcher.get(), &QDBusServiceWatcher::serviceRegistered, &loop,
                     &QEventLoop::quit);
  }
  deadline.start(waitMs);
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  return pick();
}

}  // namespace mametan
