#pragma once
// Picks the notification area the tray icon lives in.
#include <memory>

#include "qt/TrayBackend.h"

namespace mametan {

// The desktop's notification area: a StatusNotifierItem host when the
// watcher on the session bus has one registered, else an XEmbed system tray; nullptr when neither
// is there. Without a display (the offscreen and minimal platforms) an icon that is kept and never
// clicked.
std::unique_ptr<TrayBackend> CreateDesktopTrayBackend();

// True on the platforms without a display (offscreen, minimal), where the
// icon is kept and never clicked.
bool TrayPlatformHeadless();

}  // namespace mametan
