// The host window's menu table, its tray icon's start-up sequence, and which
// window a restore brings forward.
#include "core/app/HostDesign.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/common/AppError.h"
#include "tests/support/MemoryRegistry.h"

namespace mametan {
namespace {

// Each item reachable by its own access key, the Windows identifiers in menu
// order, one picture each; only the list item hidden.
TEST(HostMenu, AccessKeysIdentifiersPicturesAndTheHiddenItem) {
  std::set<char> keys;
  std::set<std::string> images;
  std::string hidden;
  unsigned id = static_cast<unsigned>(MenuCommand::Input);
  for (const MenuItem& item : kHostMenu) {
    if (!item.caption) continue;
    EXPECT_TRUE(keys.insert(AccessKey(item.caption)).second) << item.name;
    EXPECT_TRUE(images.insert(item.image).second) << item.name;
    EXPECT_EQ(static_cast<unsigned>(item.command), id++) << item.name;
    if (!item.visible) hidden += item.name;
  }
  EXPECT_EQ(keys, (std::set<char>{'I', 'V', 'S', 'H', 'A', 'E'}));
  EXPECT_EQ(hidden, "List1");
  EXPECT_EQ(AccessKey("A&&B(&x)"), 'X');
}

TEST(HostTrayWait, LongOnlyForAStartAtLogin) {
  EXPECT_EQ(TrayWaitMs({}), 5000);
  EXPECT_EQ(TrayWaitMs({"/debug"}), 5000);
  EXPECT_EQ(TrayWaitMs({"autostart"}), 5000);
  EXPECT_EQ(TrayWaitMs({"/autostart"}), 120000);
  EXPECT_EQ(TrayWaitMs({"/debug", "/autostart"}), 120000);
}

struct FakeNotificationArea : TrayEnvironment {
  bool accept = true;
  std::vector<TrayNotifyData> added;
  bool AddIcon(const TrayNotifyData& d) override {
    if (accept) added.push_back(d);
    return accept;
  }
  bool ModifyIcon(const TrayNotifyData& d) override {
    added.back() = d;
    return true;
  }
  bool DeleteIcon() override { return true; }
  TPoint CursorPos() override { return {}; }
  TShiftState KeyShiftState() override { return 0; }
  void MinimizeApplication() override {}
  void RestoreApplication() override {}
  void ForegroundActiveForm() override {}
  void SetApplicationHook(bool) override {}
  void SetTimerEnabled(bool) override {}
  void SetTimerInterval(int) override {}
};

struct OneImage : TrayImageList {
  int Count() const override { return 1; }
};

struct ShownWindows : MainView {
  std::vector<HostedWindow> shown;
  void ShowWindow(HostedWindow w) override { shown.push_back(w); }
  void PopupMenu(int, int) override {}
  std::string HelpFilePath() override { return {}; }
  void OpenHelpPage(const std::string&) override {}
  void CloseHost() override {}
  void Quit(int) override {}
  void ShowMessage(const std::string&, MessageIcon) override {}
  void ShowErrorBox(const std::string&) override {}
};

TEST(HostTrayIcon, StoredPropertiesAndTheRefusal) {
  MemoryRegistry registry;
  TApSystem settings;
  ShownWindows view;
  MainPresenter host(view, registry, settings);
  OneImage images;
  {
    FakeNotificationArea area;
    TrayIconRules icon(area);
    LoadHostTrayIcon(icon, &images, host);
    ASSERT_EQ(area.added.size(), 1u);
    EXPECT_EQ(area.added[0].icon, 0) << "the image, not the program's icon";
    EXPECT_TRUE(area.added[0].szTip.empty());
    EXPECT_TRUE(icon.Hide());
    EXPECT_EQ(icon.RestoreOn, imDoubleClick);
    EXPECT_EQ(icon.PopupMenuOn, imNone);
    EXPECT_FALSE(icon.TimerEnabled());
    TMessage press{traymsg::kCallback, 1, traymsg::kLButtonDown, 0};
    icon.DoMessage(press);
    EXPECT_EQ(view.shown, std::vector<HostedWindow>{HostedWindow::Input});
  }
  FakeNotificationArea refusing;
  refusing.accept = false;
  TrayIconRules icon(refusing);
  try {
    LoadHostTrayIcon(icon, &images, host);
    FAIL() << "a refused icon must fail the host window";
  } catch (const AppError& e) {
    EXPECT_STREQ(e.what(),
                 "TrayIcon.Visible の読み込み中のエラー : Cannot Create System Shell "
                 "Notification Icon");
  }
  EXPECT_EQ(icon.Icons, nullptr) << "nothing read after the refusal";
}

// Windows opened one after another, some closed again: the one opened last
// of those still open comes forward, wherever it stands in start-up order.
TEST(RestoreRule, TheWindowOpenedLastThatIsStillOpenComesForward) {
  using W = ProgramWindow;
  struct Run {
    const char* name;
    std::vector<W> opened;  // by the host's commands or by themselves
    std::set<W> open;       // still open at the restore
    std::optional<W> forward;
  };
  const Run runs[] = {
      {"nothing open", {W::Input, W::Setup}, {}, std::nullopt},
      {"setup opened, then the input window by the double click's first press",
       {W::Setup, W::Input},
       {W::Setup, W::Input},
       W::Input},
      {"input opened, then setup", {W::Input, W::Setup}, {W::Setup, W::Input}, W::Setup},
      {"the editor over the setup dialog",
       {W::Setup, W::KindEditor},
       {W::Setup, W::KindEditor},
       W::KindEditor},
      {"an open window brought forward again counts as opened",
       {W::Input, W::Setup, W::Input},
       {W::Setup, W::Input},
       W::Input},
      {"open but never reported: start-up order", {}, {W::Setup, W::Input}, W::Input},
      {"the host in debug mode, under a dialog",
       {W::Main, W::About},
       {W::Main, W::About},
       W::About},
  };
  for (const Run& run : runs) {
    SCOPED_TRACE(run.name);
    MemoryRegistry registry;
    TApSystem settings;
    ShownWindows view;
    MainPresenter host(view, registry, settings);
    for (W w : run.opened) {
      // The host's own commands count as well as a window's own showing.
      if (w == W::Input) {
        host.I1Click();
      } else if (w == W::About) {
        host.MenuCommandChosen(MenuCommand::About);
      } else {
        host.WindowShown(w);
      }
    }
    EXPECT_EQ(host.WindowToRestore([&](W w) { return run.open.count(w) > 0; }), run.forward);
  }
}

}  // namespace
}  // namespace mametan
