#pragma once
// What the host window is made of, the same in both front ends: its popup
// menu, its designed place, and its tray icon's stored properties.
#include <array>
#include <string>
#include <vector>

#include "core/app/MainPresenter.h"
#include "core/tray/TrayDispatch.h"

namespace mametan {

struct MenuItem {
  const char* name;     // the item's name
  const char* caption;  // null for a separator; "&" marks the access key
  MenuCommand command;  // unused for a separator
  const char* image;    // the picture's name; null for a separator
  bool visible;
};

// The popup menu, top to bottom. The list item is there but never shown.
inline constexpr std::array<MenuItem, 7> kHostMenu{{
    {"I1", "入力(&I)...", MenuCommand::Input, "menu_input", true},
    {"List1", "一覧(&V)...", MenuCommand::List, "menu_list", false},
    {"S1", "設定(&S)...", MenuCommand::Setup, "menu_setup", true},
    {"Help1", "ヘルプ(&H)", MenuCommand::Help, "menu_help", true},
    {"N1", nullptr, MenuCommand::Input, nullptr, true},
    {"About1", "バージョン情報(&A)...", MenuCommand::About, "menu_about", true},
    {"pm_Exit", "終了(&E)", MenuCommand::Exit, "menu_exit", true},
}};

// The character after the "&" of a caption, upper-cased; 0 when there is none.
char AccessKey(const char* caption);

// The host window's designed place and outer size, in pixels at 96 DPI; it
// is seen in debug mode only.
struct WindowPlaceDesign {
  int left, top, width, height;
};
inline constexpr WindowPlaceDesign kHostWindowPlace{234, 118, 174, 166};

// The start of the error shown when the notification area refuses the icon
// while the host window is read.
inline constexpr const char* kTrayLoadError = "TrayIcon.Visible の読み込み中のエラー : ";

// How long start-up waits for a notification area before that error. A start
// at login (the autostart entry passes "/autostart") waits long: on a slow
// login, or a desktop that loads its tray late, the panel comes well after
// us. A start by hand finds the panel already up and waits briefly.
inline constexpr int kTrayWaitMs = 5000;
inline constexpr int kTrayWaitAtLoginMs = 120000;
int TrayWaitMs(const std::vector<std::string>& args);

// Sets the host's tray icon's stored properties in the order the component
// reads them, then ends its loading: visible, hidden taskbar entry, restore
// on a double click, no menu of its own, the one image, presses reported to
// the host's presenter. Throws AppError (kTrayLoadError and the reason) when
// the notification area refuses the icon.
void LoadHostTrayIcon(TrayIconRules& icon, TrayImageList* images, MainPresenter& host);

}  // namespace mametan
