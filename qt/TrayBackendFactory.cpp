#include "qt/TrayBackendFactory.h"

#include <QGuiApplication>
#include <utility>

#include "qt/SniTray.h"
#include "qt/XEmbedTray.h"

namespace mametan {
namespace {

// Without a display there is no notification area to refuse the icon.
class HeadlessTray : public TrayBackend {
 public:
  bool Add(const QIcon&, const QString&) override { return !std::exchange(m_added, true); }
  void Modify(const QIcon&, const QString&) override {}
  bool Remove() override { return std::exchange(m_added, false); }

 private:
  bool m_added = false;
};

}  // namespace

bool TrayPlatformHeadless() {
  const QString platform = QGuiApplication::platformName();
  return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

std::unique_ptr<TrayBackend> CreateDesktopTrayBackend() {
  if (TrayPlatformHeadless()) return std::make_unique<HeadlessTray>();
  if (SniTray::HostRegistered()) return std::make_unique<SniTray>();
  if (XEmbedTray::PlatformIsX11()) {
    auto xembed = std::make_unique<XEmbedTray>();
    if (xembed->ManagerPresent()) return xembed;
  }
  return nullptr;
}

}  // namespace mametan
