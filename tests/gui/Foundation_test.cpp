// The INI settings file, the application's top-level error handling and the
// host window's close path.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>

#include "GuiTestSupport.h"
#include "core/app/SettingsStore.h"
#include "core/common/ApSystem.h"
#include "core/common/AppError.h"
#include "core/platform/IniRegistry.h"
#include "qt/Application.h"
#include "qt/HostWindow.h"
#include "tests/support/FileRights_posix.h"

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
  IniRegistry registry(Path().toStdString());
  TApSystem r;
  LoadSettings(registry, r);
  EXPECT_EQ(r.File_Kakeibo, "kakeibo.csv");
  EXPECT_EQ(r.Tax, 5);
  EXPECT_FALSE(QFile::exists(Path()));
}

TEST_F(IniSettingsTest, SaveThenLoadKeepsJapaneseAndOtherSections) {
  Write("[Other]\nkeep=1\n");
  IniRegistry registry(Path().toStdString());
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

TEST_F(IniSettingsTest, ValuesAreTheLiteralTextAfterTheEqualsSign) {
  // Commas, semicolons, backslashes, quotes and inner blanks mean nothing:
  // hand edits read as typed, blanks around "=" are not part of the value,
  // and what the program writes reads back the same.
  Write(
      "[Other]\nkeep=a, b\n[Mametan]\r\nFile_Kakeibo = kakeibo, 2024.csv\r\n"
      "File_Kind=C:\\data\\kake;bo.txt\nTax= 8\nAutoTax=-1\nNextInput=yes\n"
      "InputWindow_Left=\"3\"\n; comment\nSaveWindowPos = 1\n");
  IniRegistry registry(Path().toStdString());
  TApSystem r;
  LoadSettings(registry, r);
  EXPECT_EQ(r.File_Kakeibo, "kakeibo, 2024.csv");
  EXPECT_EQ(r.File_Kind, "C:\\data\\kake;bo.txt");
  EXPECT_EQ(r.Tax, 8);
  EXPECT_TRUE(r.AutoTax);
  EXPECT_FALSE(r.NextInput);
  EXPECT_EQ(r.InputWindow_Left, 0);
  EXPECT_TRUE(r.SaveWindowPos);

  r.File_Kakeibo = "\"a\\b\", #c; d=e ";
  r.File_Kind = "";
  SaveSettings(registry, r);
  TApSystem back;
  LoadSettings(registry, back);
  EXPECT_EQ(back, r);
  EXPECT_TRUE(Read().contains("keep=a, b\n")) << Read().toStdString();

  // A line break has no literal form: the text before it is stored, and the
  // exit's save goes on with the other values.
  r.File_Kind = "a\nTax=99";
  r.Tax = 7;
  EXPECT_NO_THROW(SaveSettings(registry, r));
  LoadSettings(registry, back);
  EXPECT_EQ(back.File_Kind, "a");
  EXPECT_EQ(back.Tax, 7);
}

TEST_F(IniSettingsTest, WhatOtherProgramsLeaveNeverFailsTheSave) {
  const QByteArray files[] = {"[OtherApp]\r\r\nname=abc\r\r\n", "[OtherApp]\rname=abc\r",
                              QByteArray("\x00\xff\r\x80=\x1a\n[\r]=\r\r", 14)};
  for (const QByteArray& file : files) {
    Write(file);
    IniRegistry registry(Path().toStdString());
    TApSystem r;
    r.Tax = 9;
    EXPECT_NO_THROW(SaveSettings(registry, r)) << file.toHex().toStdString();
    EXPECT_TRUE(Read().startsWith(file)) << Read().toHex().toStdString();
    TApSystem back;
    LoadSettings(registry, back);
    EXPECT_EQ(back, r);
  }
}

TEST_F(IniSettingsTest, UnreadableFileWarnsGivesDefaultsAndIsNotRewritten) {
  // root reads anything: a directory in the file's place cannot be read.
  ASSERT_TRUE(QDir(dir.path()).mkdir("VelmaroSoftware.ini"));
  IniRegistry registry(Path().toStdString());
  TApSystem r;
  try {
    LoadSettings(registry, r);
    FAIL() << "no warning";
  } catch (const AppError& e) {
    EXPECT_EQ(std::string(e.what()), "設定ファイル " + Path().toStdString() +
                                         " が読み込めません。標準の設定を使用します\n" +
                                         Path().toStdString() + ": Is a directory");
  }
  EXPECT_EQ(r.File_Kakeibo, "kakeibo.csv");
  EXPECT_EQ(r.Tax, 5);
  if (geteuid() != 0) {
    // A file without read rights keeps its content through a save and a delete.
    QDir(dir.path()).rmdir("VelmaroSoftware.ini");
    Write("[Mametan]\nTax=9\n");
    QFile::setPermissions(Path(), QFile::WriteOwner);
    EXPECT_THROW(SaveSettings(registry, r), AppError);
    DeleteSettingsKey(registry);
    QFile::setPermissions(Path(), QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(Read(), "[Mametan]\nTax=9\n");
  }
}

TEST_F(IniSettingsTest, DeleteRemovesSectionAndItsSubsectionsOnly) {
  Write("[Mametan]\nTax=3\n[Mametan/Sub]\nx=1\n[Mametan/Sub/Deeper]\ny=2\n[Other]\nkeep=1\n");
  IniRegistry registry(Path().toStdString());
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
  IniRegistry registry(Path().toStdString());
  EXPECT_THROW(SaveSettings(registry, TApSystem{}), AppError);
}

// What a save does to the file and its folder, as an ordinary user.
TEST_F(IniSettingsTest, SaveMeetsTheFileSystem) {
  const std::string path = Path().toStdString();
  const std::string saved =
      "[Other]\nk=v\n[Mametan]\nFile_Kakeibo=kakeibo.csv\nFile_Kind=item.txt\n"
      "SaveWindowPos=0\nOpenWindowAtBoot=0\nInputWindow_Left=0\n"
      "InputWindow_Top=0\nAutoTax=0\nNextInput=0\nTax=5\nEnterToNext=0\n";
  TApSystem defaults;
  LoadSettings(*std::make_unique<IniRegistry>(path), defaults);
  TApSystem changed = defaults;
  changed.Tax = 8;
  const auto saveError = [&](const TApSystem& r) {
    try {
      IniRegistry registry(path);
      SaveSettings(registry, r);
    } catch (const AppError& e) {
      return ErrorBoxText(e.what());
    }
    return std::string();
  };
  test::WithoutFileRightsOverride asUser;

  // A read-only file: an unchanged save writes nothing and succeeds; a
  // change fails, names the file and the reason, and leaves it as it was.
  Write(saved.c_str());
  QFile::setPermissions(Path(), QFile::ReadOwner);
  const auto inode = QFileInfo(Path()).fileTime(QFileDevice::FileMetadataChangeTime);
  EXPECT_EQ(saveError(defaults), "");
  EXPECT_EQ(saveError(changed), "'Tax' の設定に失敗しました.\n" + path + ": Permission denied");
  EXPECT_EQ(Read().toStdString(), saved);
  EXPECT_EQ(QFileInfo(Path()).fileTime(QFileDevice::FileMetadataChangeTime), inode);
  QFile::setPermissions(Path(), QFile::ReadOwner | QFile::WriteOwner);

  // A read-only folder: the error names the folder the new file could not go to.
  QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
  EXPECT_EQ(saveError(changed), "'Tax' の設定に失敗しました.\n" + path + ": " +
                                    dir.path().toStdString() + ": Permission denied");
  QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  EXPECT_EQ(Read().toStdString(), saved);

  // Another program's lock: the save gives up, all ten values or none.
  {
    QFile holder(Path());
    ASSERT_TRUE(holder.open(QIODevice::ReadOnly));
    ASSERT_EQ(flock(holder.handle(), LOCK_EX), 0);
    EXPECT_EQ(saveError(changed),
              "キー Mametan の作成に失敗しました.\n" + path + ": 他のプログラムがロックしています");
  }
  EXPECT_EQ(Read().toStdString(), saved);

  // Temporary files of copies killed during a save go; a running one's stays.
  const pid_t dead = fork();
  if (dead == 0) _exit(0);
  waitpid(dead, nullptr, 0);
  const QString stale = Path() + ".tmp-" + QString::number(dead);
  const QString running = Path() + ".tmp-" + QString::number(getppid());
  for (const QString& name : {stale, running}) {
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  EXPECT_EQ(saveError(changed), "");
  EXPECT_FALSE(QFile::exists(stale));
  EXPECT_TRUE(QFile::remove(running));
  EXPECT_TRUE(Read().contains("\nTax=8\n"));

  // A dangling link is written through: its target is made, the link stays.
  QFile::remove(Path());
  ASSERT_TRUE(QFile::link(dir.filePath("dotfiles/kept.ini"), Path()));
  ASSERT_TRUE(QDir(dir.path()).mkdir("dotfiles"));
  EXPECT_EQ(saveError(changed), "");
  EXPECT_TRUE(QFileInfo(Path()).isSymLink());
  QFile target(dir.filePath("dotfiles/kept.ini"));
  ASSERT_TRUE(target.open(QIODevice::ReadOnly));
  EXPECT_TRUE(target.readAll().contains("Tax=8"));

  // A UTF-16 file: named at the load, defaults used, never rewritten.
  QFile::remove(Path());
  const QByteArray utf16("\xFF\xFE[\0M\0a\0m\0e\0t\0a\0n\0]\0\n\0T\0a\0x\0=\0\x39\0\n\0", 32);
  Write(utf16);
  TApSystem r;
  IniRegistry registry(path);
  try {
    LoadSettings(registry, r);
    ADD_FAILURE() << "no warning";
  } catch (const AppError& e) {
    EXPECT_EQ(std::string(e.what()), "設定ファイル " + path +
                                         " が読み込めません。標準の設定を使用します\n" + path +
                                         ": UTF-16 のファイルです");
  }
  EXPECT_EQ(r.Tax, 5);
  EXPECT_NE(saveError(changed), "");
  EXPECT_EQ(Read(), utf16);
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

TEST(Application, TheToolkitsOwnTextsAreJapanese) {
  QMessageBox box;
  box.setStandardButtons(QMessageBox::Yes | QMessageBox::Cancel);
  EXPECT_EQ(box.button(QMessageBox::Cancel)->text().toStdString(), "キャンセル");
  QFileDialog dialog;
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  const auto labels = dialog.findChildren<QLabel*>();
  EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [](QLabel* l) {
    return l->text().contains(QStringLiteral("ファイル名"));
  }));
}

TEST(HostWindow, FailingSaveKeepsTheProgramRunningAndRetries) {
  test::RecordingMessages messages;
  QTemporaryDir dir;
  ASSERT_TRUE(QDir(dir.path()).mkdir("VelmaroSoftware.ini"));
  IniRegistry registry(dir.filePath("VelmaroSoftware.ini").toStdString());
  SettingsRecord = TApSystem{};
  Tform_Main form(registry);
  EXPECT_EQ(SettingsRecord.Tax, 5) << "created: settings loaded";
  ASSERT_EQ(messages.boxes.size(), 1u) << "the unreadable file is named at start";
  EXPECT_TRUE(messages.boxes[0].text.startsWith("設定ファイル "));
  messages.boxes.clear();
  SettingsRecord.Tax = 8;  // a change the store cannot take
  QCloseEvent close;
  QCoreApplication::sendEvent(&form, &close);
  EXPECT_FALSE(close.isAccepted());
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_EQ(messages.boxes[0].caption, "まめたん家計簿");
  EXPECT_EQ(messages.boxes[0].text.toStdString(),
            "キー Mametan の作成に失敗しました.\n" +
                dir.filePath("VelmaroSoftware.ini").toStdString() + ": Is a directory");

  // Nothing changed since the store could not be read: the exit leaves it.
  messages.boxes.clear();
  SettingsRecord.Tax = 5;
  EXPECT_TRUE(form.FormClose());
  EXPECT_TRUE(messages.boxes.empty());
  EXPECT_TRUE(QFileInfo(dir.filePath("VelmaroSoftware.ini")).isDir());

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
