// The host window: tray icon, popup menu, the commands, and how it ends.
#include "qt/HostWindow.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>

#include "GuiTestSupport.h"
#include "core/app/HostDesign.h"
#include "core/common/ApSystem.h"
#include "core/common/AppError.h"
#include "core/platform/IniRegistry.h"
#include "core/tray/TrayDispatch.h"
#include "qt/TaskbarCarrier.h"

namespace mametan {
namespace {

using namespace traymsg;

// A notification area that takes or refuses the icon and can be clicked.
class FakeTray : public TrayBackend {
 public:
  explicit FakeTray(bool accept) : m_accept(accept) {}
  bool Add(const QIcon& icon, const QString&) override {
    if (!m_accept || added) return false;
    added = true;
    shown = icon;
    return true;
  }
  void Modify(const QIcon& icon, const QString&) override { shown = icon; }
  bool Remove() override { return std::exchange(added, false); }
  void Click(unsigned message, QPoint at = {900, 10}) { emit mouseMessage(message, at, {}); }

  bool added = false;
  QIcon shown;

 private:
  bool m_accept;
};

struct Host {
  QTemporaryDir dir;
  IniRegistry registry{dir.filePath("VelmaroSoftware.ini").toStdString()};
  FakeTray* tray = nullptr;
  QWidget input, setup, about;
  std::unique_ptr<Tform_Main> form;
  std::vector<QString> calls;

  explicit Host(bool accept = true) {
    SettingsRecord = TApSystem{};
    form = std::make_unique<Tform_Main>(registry, [this, accept] {
      auto t = std::make_unique<FakeTray>(accept);
      tray = t.get();
      return t;
    });
    HostedWindows w;
    w.input = &input;
    w.setup = &setup;
    w.about = &about;
    w.inputFormHide = [this] {
      calls.push_back("FormHide");
      SettingsRecord.InputWindow_Left = 321;
      SettingsRecord.InputWindow_Top = 45;
    };
    form->SetHostedWindows(w);
  }
  ~Host() {
    form.reset();
    SettingsRecord = TApSystem{};
  }
  QString Stored(const char* name) {
    QSettings ini(QString::fromStdString(registry.path()), QSettings::IniFormat);
    return ini.value(QStringLiteral("Mametan/") + QLatin1String(name)).toString();
  }
  bool SectionExists() {
    QSettings ini(QString::fromStdString(registry.path()), QSettings::IniFormat);
    return ini.childGroups().contains("Mametan");
  }
};

TEST(TrayHost, RefusedIconIsAFormReadingErrorAndLoadsNoSettings) {
  test::RecordingMessages messages;
  QTemporaryDir dir;
  {
    QSettings ini(dir.filePath("VelmaroSoftware.ini"), QSettings::IniFormat);
    ini.setValue("Mametan/Tax", "8");
  }
  IniRegistry registry(dir.filePath("VelmaroSoftware.ini").toStdString());
  SettingsRecord = TApSystem{};
  try {
    Tform_Main form(registry, [] { return std::make_unique<FakeTray>(false); });
    FAIL() << "the host window must not be created";
  } catch (const AppError& e) {
    EXPECT_EQ(std::string(e.what()).rfind(kTrayLoadError, 0), 0u) << e.what();
  }
  EXPECT_EQ(SettingsRecord.Tax, 0) << "settings were loaded";
  EXPECT_TRUE(messages.boxes.empty());
}

TEST(TrayHost, IconIsDockedWithTheAccountBookAndLoadsSettings) {
  Host h;
  ASSERT_TRUE(h.tray->added);
  EXPECT_FALSE(h.tray->shown.isNull());
  EXPECT_EQ(h.form->TrayIcon->CurrentIcon().cacheKey(),
            h.form->imglst_TaskTray->Image(0).cacheKey());
  EXPECT_EQ(SettingsRecord.Tax, 5);
  EXPECT_FALSE(h.form->TrayIcon->AnimationTimer()->isActive()) << "the idle program must sleep";
  EXPECT_FALSE(h.form->isVisible());
}

// The menu as the table has it, each item with its picture.
TEST(TrayHost, MenuFollowsTheTableWithPictures) {
  Host h;
  const QList<QAction*> actions = h.form->pmenu_Right->actions();
  ASSERT_EQ(actions.size(), static_cast<qsizetype>(kHostMenu.size()));
  for (std::size_t i = 0; i < kHostMenu.size(); ++i) {
    const MenuItem& item = kHostMenu[i];
    QAction* a = actions[static_cast<qsizetype>(i)];
    EXPECT_EQ(a->objectName(), item.name);
    EXPECT_EQ(a->isVisible(), item.visible) << item.name;
    EXPECT_EQ(a->isSeparator(), item.caption == nullptr) << item.name;
    if (item.caption) {
      EXPECT_EQ(a->text(), QString::fromUtf8(item.caption));
      EXPECT_FALSE(a->icon().isNull()) << item.name;
    }
  }
  EXPECT_EQ(h.form->List1, actions[1]);
}

TEST(TrayHost, LeftPressShowsTheOneInputWindowRightPressTheMenuMiddleNothing) {
  Host h;
  h.tray->Click(kLButtonDown);
  h.tray->Click(kLButtonUp);
  EXPECT_TRUE(h.input.isVisible());
  EXPECT_FALSE(h.form->pmenu_Right->isVisible());
  const auto windows = QApplication::topLevelWidgets().size();
  h.tray->Click(kLButtonDown);
  EXPECT_TRUE(h.input.isVisible());
  EXPECT_EQ(QApplication::topLevelWidgets().size(), windows) << "a second window appeared";
  h.input.hide();

  h.tray->Click(kMButtonDown);
  h.tray->Click(kMButtonUp);
  EXPECT_FALSE(h.input.isVisible());
  EXPECT_FALSE(h.form->pmenu_Right->isVisible());

  h.tray->Click(kRButtonDown, {500, 300});
  EXPECT_TRUE(h.form->pmenu_Right->isVisible());
  EXPECT_FALSE(h.input.isVisible());
  h.form->pmenu_Right->hide();
}

TEST(TrayHost, DoubleClickRestoresTheEntryInsteadOfAPress) {
  Host h;
  int restores = 0;
  h.form->TrayIcon->RestoreApplicationHook = [&] { ++restores; };
  for (unsigned m : {kLButtonDblClk, kRButtonDblClk, kMButtonDblClk}) h.tray->Click(m);
  EXPECT_EQ(restores, 3);
  EXPECT_FALSE(h.input.isVisible());
  EXPECT_FALSE(h.form->pmenu_Right->isVisible());
}

TEST(TrayHost, MenuCommandsShowTheirWindowsAndOpenHelp) {
  Host h;
  QString opened;
  h.form->OpenHelpFile = [&](const QString& path) { opened = path; };
  h.form->I1->trigger();
  h.form->S1->trigger();
  h.form->About1->trigger();
  EXPECT_TRUE(h.input.isVisible());
  EXPECT_TRUE(h.setup.isVisible());
  EXPECT_TRUE(h.about.isVisible());
  {
    // No page where the program looks: a message names the path.
    test::RecordingMessages messages;
    h.form->Help1->trigger();
    EXPECT_TRUE(opened.isEmpty());
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_TRUE(messages.boxes[0].text.contains(HelpFilePath()));
  }
  QFile page(QCoreApplication::applicationDirPath() + "/mametan.html");
  ASSERT_TRUE(page.open(QIODevice::WriteOnly));
  page.close();
  h.form->Help1->trigger();
  page.remove();
  EXPECT_EQ(opened, page.fileName());
  EXPECT_TRUE(h.calls.empty());
  h.input.hide();
  h.setup.hide();
  h.about.hide();
}

TEST(TrayHost, ExitCapturesTheInputWindowThenSavesOrDeletes) {
  {
    Host h;
    h.input.show();
    h.form->pm_Exit->trigger();
    EXPECT_EQ(h.calls, std::vector<QString>{"FormHide"});
    EXPECT_EQ(h.Stored("InputWindow_Left"), "321");
    EXPECT_EQ(h.Stored("InputWindow_Top"), "45");
    EXPECT_EQ(h.Stored("Tax"), "5");
    EXPECT_TRUE(h.input.isVisible()) << "exit does not hide the input window";
    h.input.hide();
  }
  {
    Host h;
    SettingsRecord.Tax = 8;
    ASSERT_TRUE(h.form->FormClose());
    ASSERT_TRUE(h.SectionExists());
    SettingsRecord.DelRegistry = true;
    h.form->pm_Exit->trigger();
    EXPECT_FALSE(h.SectionExists());
    EXPECT_TRUE(QFile::exists(QString::fromStdString(h.registry.path())));
  }
}

TEST(TrayHost, ClosingTheWindowSavesWithoutCapturing) {
  Host h;
  QCloseEvent close;
  QCoreApplication::sendEvent(h.form.get(), &close);
  EXPECT_TRUE(close.isAccepted());
  EXPECT_TRUE(h.calls.empty());
  EXPECT_EQ(h.Stored("InputWindow_Left"), "0");
}

TEST(TrayHost, SessionEndTakesTheExitPathEvenWhenTheSaveFails) {
  {
    Host h;
    h.form->EndSessionRequested();
    EXPECT_EQ(h.calls, std::vector<QString>{"FormHide"});
    EXPECT_EQ(h.Stored("InputWindow_Left"), "321");
  }
  {
    test::RecordingMessages messages;
    Host h;
    ASSERT_TRUE(QDir(h.dir.path()).mkdir("VelmaroSoftware.ini"));
    EXPECT_EQ(h.form->ExitCode(), 0);
    h.form->EndSessionRequested();
    EXPECT_TRUE(messages.boxes.empty()) << "no box that nobody is there to answer";
    EXPECT_EQ(h.form->ExitCode(), 1) << "the failed save is reported in the exit code";
  }
}

// The windows' taskbar entry follows what the rule says as they show and hide.
TEST(TaskbarWatcher, EntryFollowsTheWindows) {
  struct Entry : TaskbarEntry {
    bool shown = false;
    bool IsShown() const override { return shown; }
    void SetShown(bool s) override { shown = s; }
  } entry;
  TaskbarRule rule(entry);
  WindowWatcher watcher(rule);
  QWidget a, b;
  watcher.AddWindow(&a);
  watcher.AddWindow(&b);
  EXPECT_FALSE(entry.shown);
  a.show();
  EXPECT_TRUE(entry.shown);
  b.show();
  a.hide();
  EXPECT_TRUE(entry.shown) << "b is still open";
  b.hide();
  EXPECT_FALSE(entry.shown);

  // A window that opened itself while created: start-up then hides the
  // entry directly and the rule keeps out of it.
  QWidget c;
  c.show();
  watcher.AddWindow(&c);
  EXPECT_TRUE(entry.shown);
  entry.shown = false;
  c.hide();
  a.show();
  EXPECT_FALSE(entry.shown);
  a.hide();
}

}  // namespace
}  // namespace mametan
