#include "core/app/HostDesign.h"

#include <cctype>
#include <string>

#include "core/common/AppError.h"

namespace mametan {

char AccessKey(const char* caption) {
  if (!caption) return 0;
  for (const char* c = caption; *c; ++c) {
    if (*c == '&' && c[1] && c[1] != '&') {
      return static_cast<char>(std::toupper(static_cast<unsigned char>(c[1])));
    }
    if (*c == '&' && c[1] == '&') ++c;
  }
  return 0;
}

int TrayWaitMs(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "/autostart") return kTrayWaitAtLoginMs;
  }
  return kTrayWaitMs;
}

void LoadHostTrayIcon(TrayIconRules& icon, TrayImageList* images, MainPresenter& host) {
  icon.SetLoading(true);
  try {
    icon.SetVisible(true);
  } catch (const TrayError& e) {
    throw AppError(std::string(kTrayLoadError) + e.what());
  }
  icon.SetHide(true);
  icon.RestoreOn = imDoubleClick;
  icon.PopupMenuOn = imNone;
  icon.Icons = images;
  icon.SetIconIndex(0);
  icon.OnMouseDown = [&host](TMouseButton button, TShiftState, int x, int y) {
    host.TrayIconMouseDown(button, x, y);
  };
  icon.Loaded();
}

}  // namespace mametan
