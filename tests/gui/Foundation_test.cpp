// The INI settings file, the application's top-level error handling and the
// host window's close path.
#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include "GuiTestSupport.h"
#include "app/Application.h"
#include "app/Formmain.h"
#include "app/SettingsStore.h"
#include "common/ApSystem.h"
#include "common/AppError.h"
#include "platform/IniRegistry.h"

namespace mametan {
namespace {

class IniSettingsTest : public ::testing::Test {
 protected:
  QString Path() const { return dir.filePath("VelmaroSoftware.ini"); }
  void Write(const QByteArray& content) {
    QFile f(Path());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
  }
  QByteArray Read() {
    QFile f(Path());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  QTemporaryDir dir;
};

TEST_F(IniSettingsTest, NoFileGivesDefaultsAndWritesNothing) {
  IniRegistry registry(Path());
  TApSystem r;
  LoadSettings(registry, r);
  EXPECT_EQ(r.File_Kakeibo, "kakeibo.csv");
  EXPECT_EQ(r.Tax, 5);
  EXPECT_FALSE(QFile::exists(Path()));
}

TEST_F(IniSettingsTest, SaveThenLoadKeepsJapaneseAndOtherSections) {
  Write("[Other]\nkeep=1\n");
  IniRegistry registry(Path());
  TApSystem r;
  r.File_Kakeibo = "/home/u/家計簿, 2026.csv";
  r.File_Kind = "";
  r.Tax = 8;
  r.InputWindow_Left = -5;
  SaveSettings(registry, r);
  TApSystem back;
  LoadSettings(registry, back);
  EXPECT_EQ(back, r);
  EXPECT_TRUE(Read().contains("[Other]")) << Read().toStdString();
  EXPECT_TRUE(Read().contains("Tax=8")) << Read().toStdString();
}

TEST_F(IniSettingsTest, ValueThatIsNotPlainTextIsWronglyTyped) {
  Write("[Mametan]\nFile_Kakeibo=a.csv\nTax=1, 2\nEnterToNext=1\n");
  IniRegistry registry(Path());
  TApSystem r;
  try {
    LoadSettings(registry, r);
    FAIL() << "a list value passed as text";
  } catch (const AppError& e) {
    EXPECT_STREQ(e.what(), "'Tax' のデータ型が不正です");
  }
  EXPECT_EQ(r.File_Kakeibo, "a.csv");
  EXPECT_EQ(r.Tax, 0);
  EXPECT_FALSE(r.EnterToNext);
}

TEST_F(IniSettingsTest, EmptyValueAndTextForms) {
  Write("[Mametan]\nFile_Kakeibo=\nTax=\" 8\"\nAutoTax=-1\nNextInput=yes\n");
  IniRegistry registry(Path());
  TApSystem r;
  LoadSettings(registry, r);
  EXPECT_EQ(r.File_Kakeibo, "");
  EXPECT_EQ(r.Tax, 8);
  EXPECT_TRUE(r.AutoTax);
  EXPECT_FALSE(r.NextInput);
}

TEST_F(IniSettingsTest, DeleteRemovesSectionAndItsSubsectionsOnly) {
  Write("[Mametan]\nTax=3\n[Mametan/Sub]\nx=1\n[Mametan/Sub/Deeper]\ny=2\n[Other]\nkeep=1\n");
  IniRegistry registry(Path());
  DeleteSettingsKey(registry);
  const QByteArray after = Read();
  EXPECT_FALSE(after.contains("Mametan")) << after.toStdString();
  EXPECT_TRUE(after.contains("keep=1"));
  TApSystem r;
  LoadSettings(registry, r);
  EXPECT_EQ(r.Tax, 5);
}

TEST_F(IniSettingsTest, UnwritableFileFailsTheSaveLoudly) {
  if (geteuid() == 0) {
    // root writes anywhere: make the settings path a directory instead.
    ASSERT_TRUE(QDir(dir.path()).mkdir("VelmaroSoftware.ini"));
  } else {
    Write("");
    QFile::setPermissions(Path(), QFile::ReadOwner);
  }
  IniRegistry registry(Path());
  EXPECT_THROW(SaveSettings(registry, TApSystem{}), AppError);
}

TEST(Application, ExceptionInAnEventHandlerShowsTheErrorBoxAndGoesOn) {
  test::RecordingMessages messages;
  class Thrower : public QObject {
   public:
    bool event(QEvent* e) override {
      if (e->type() == QEvent::User) throw AppError("ファイル x は開けません");
      return QObject::event(e);
    }
  } thrower;
  QEvent e(QEvent::User);
  QCoreApplication::sendEvent(&thrower, &e);
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_EQ(messages.boxes[0].caption, "まめたん家計簿");
  EXPECT_EQ(messages.boxes[0].text, "ファイル x は開けません.");
  EXPECT_EQ(messages.boxes[0].icon, MsgIcon::Stop);
}

TEST(HostWindow, FailingSaveKeepsTheProgramRunningAndRetries) {
  test::RecordingMessages messages;
  QTemporaryDir dir;
  ASSERT_TRUE(QDir(dir.path()).mkdir("VelmaroSoftware.ini"));
  IniRegistry registry(dir.filePath("VelmaroSoftware.ini"));
  SettingsRecord = TApSystem{};
  Tform_Main form(registry);
  EXPECT_EQ(SettingsRecord.Tax, 5) << "created: settings loaded";
  QCloseEvent close;
  QCoreApplication::sendEvent(&form, &close);
  EXPECT_FALSE(close.isAccepted());
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_EQ(messages.boxes[0].caption, "まめたん家計簿");
  EXPECT_TRUE(messages.boxes[0].text.startsWith("キー Mametan の作成に失敗しました") ||
              messages.boxes[0].text.startsWith("'File_Kakeibo' の設定に失敗しました"))
      << messages.boxes[0].text.toStdString();

  // Once the file can be written, the next exit saves.
  ASSERT_TRUE(QDir(dir.path()).rmdir("VelmaroSoftware.ini"));
  SettingsRecord.DelRegistry = false;
  EXPECT_TRUE(form.FormClose());
  EXPECT_TRUE(QFile::exists(dir.filePath("VelmaroSoftware.ini")));
  SettingsRecord.DelRegistry = true;
  EXPECT_TRUE(form.FormClose());
  SettingsRecord = TApSystem{};
}

}  // namespace
}  // namespace mametan
