#pragma once
// Picks the notification area the tray icon lives in.
#include <memory>

#include "tray/TrayBackend.h"

namespace mametan {

// The desktop's notification area: a StatusNotifierItem host when one is on
// the session bus, else an XEmbed system tray. When neither is there yet,
// waits up to `waitMs` for one to appear (a panel that starts after us), and
// returns nullptr when none did. Leaves no timer behind.
std::unique_ptr<TrayBackend> CreateDesktopTrayBackend(int waitMs = 5000);

}  // namespace mametan
