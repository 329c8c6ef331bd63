// The setup dialog and the classification file editor it opens, driven by
// keys and clicks; the open-file dialog and the message boxes are seams.
#include "qt/SetupDialog.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "../support/FileRights_posix.h"
#include "../support/ScratchFiles.h"
#include "GuiTestSupport.h"
#include "core/common/ApSystem.h"
#include "qt/FileDialog.h"
#include "qt/KindEditorDialog.h"
#include "qt/KindMemo.h"
#include "ui_KindEditorDialog.h"
#include "ui_SetupDialog.h"

namespace mametan {
namespace {

const QString kMissing = QStringLiteral("ファイルが存在しません。新規に設定ファイルを作成します。");

// Answers each open-file dialog with the next prepared choice (nothing = Cancel)
// and, like some platform dialogs, moves the working directory.
struct ScriptedFileDialog : FileDialogSeam {
  ScriptedFileDialog() { SetFileDialogSeam(this); }
  ~ScriptedFileDialog() override { SetFileDialogSeam(nullptr); }
  std::optional<QString> OpenFile(QWidget*, const OpenFileRequest& request) override {
    requests.push_back(request);
    QDir::setCurrent(QDir::tempPath());
    return answers[requests.size() - 1];
  }
  std::vector<std::optional<QString>> answers;
  std::vector<OpenFileRequest> requests;
};

class SetupDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SettingsRecord = TApSystem{};
    SettingsRecord.File_Kakeibo = "kakeibo.csv";
    SettingsRecord.File_Kind = dir / "item.txt";
    SettingsRecord.SaveWindowPos = true;
    SettingsRecord.Tax = 5;
    setup = std::make_unique<Tform_Setup>();
    editor = new Tform_EditKindFile(setup.get());
    setup->SetKindEditor(editor);
    ui = setup->ui();
  }
  void TearDown() override {
    setup.reset();
    SettingsRecord = TApSystem{};
  }
  void Open() {
    setup->show();
    QApplication::setActiveWindow(setup.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(setup.get()));
  }
  // Opens the editor from the setup dialog; `inside` runs in its modal loop.
  void RunEditor(std::function<void()> inside) {
    QTimer::singleShot(0, [&] {
      inside();
      if (editor->isVisible()) editor->reject();
    });
    ui->spbtn_Edit_Kind->click();
  }

  test::ScratchDir dir;
  test::RecordingMessages messages;
  std::unique_ptr<Tform_Setup> setup;
  Tform_EditKindFile* editor = nullptr;
  Ui::Tform_Setup* ui = nullptr;
};

TEST_F(SetupDialogTest, OkCopiesEveryControlAndCancelOrEscCopiesNothing) {
  SettingsRecord.Tax = 150;  // possible from the settings file
  Open();
  EXPECT_EQ(ui->csedt_Tax->text(), "100") << "a stored tax outside 0..100 shows as the bound";
  EXPECT_EQ(QApplication::focusWidget(), ui->edt_File_Kakeibo);
  EXPECT_FALSE(ui->cb_DelRegistry->isChecked());

  const TApSystem before = SettingsRecord;
  ui->edt_File_Kakeibo->setText("other.csv");
  setup->show();
  EXPECT_EQ(ui->edt_File_Kakeibo->text(), "other.csv")
      << "showing a visible dialog reloads nothing";
  ui->cb_SaveWindowPos->click();
  ui->cb_DelRegistry->click();
  QTest::keyClick(ui->edt_File_Kakeibo, Qt::Key_Escape);
  EXPECT_FALSE(setup->isVisible());
  EXPECT_EQ(SettingsRecord, before);
  Open();
  EXPECT_EQ(ui->edt_File_Kakeibo->text(), "kakeibo.csv") << "a new showing reloads the record";
  EXPECT_TRUE(ui->cb_SaveWindowPos->isChecked());

  // No hidden length limit; empty names are stored as they are.
  const QString longName = QString(40000, QLatin1Char('a'));
  ui->edt_File_Kakeibo->setText(longName);
  ui->edt_File_Kind->clear();
  ui->cb_DelRegistry->click();
  ui->cb_EnterToNext->click();
  ui->bbtn_Ok->click();
  EXPECT_FALSE(setup->isVisible());
  EXPECT_EQ(SettingsRecord.File_Kakeibo, longName.toStdString());
  EXPECT_EQ(SettingsRecord.File_Kind, "");
  EXPECT_EQ(SettingsRecord.Tax, 100);
  EXPECT_TRUE(SettingsRecord.DelRegistry && SettingsRecord.EnterToNext);
  EXPECT_TRUE(SettingsRecord.SaveWindowPos);

  // The focus comes back where it was; the tab order is not the visual one.
  Open();
  QString seen;
  for (int i = 0; i < 8; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    seen += QApplication::focusWidget()->objectName() + " ";
  }
  EXPECT_EQ(seen,
            "cb_DelRegistry bbtn_Ok BitBtn2 edt_File_Kind cb_SaveWindowPos cb_OpenWindowAtBoot "
            "cb_EnterToNext csedt_Tax ");
  // Alt+O with the focus still in the tax box takes the tax as typed.
  QTest::keyClicks(ui->csedt_Tax, "42");
  QTest::keyClick(ui->csedt_Tax, Qt::Key_O, Qt::AltModifier);
  QTest::qWait(300);
  EXPECT_EQ(SettingsRecord.Tax, 42);
}

TEST_F(SetupDialogTest, FileButtonsReplaceTheBoxOnlyOnConfirmAndKeepTheWorkingDirectory) {
  Open();
  ScriptedFileDialog dialogs;
  const QString chosen = QString::fromStdString(dir / "new.csv");
  dialogs.answers = {chosen, std::nullopt, QString::fromStdString(dir / "kinds.vkd")};
  const QString workingDir = QDir::currentPath();
  ui->spbtn_File_Kakeibo->click();
  EXPECT_EQ(ui->edt_File_Kakeibo->text(), chosen);
  ui->spbtn_File_Kakeibo->click();
  EXPECT_EQ(ui->edt_File_Kakeibo->text(), chosen) << "a cancelled dialog changes nothing";
  EXPECT_EQ(dialogs.requests[1].previous, chosen) << "each dialog starts from its last choice";
  ui->spbtn_File_Kind->click();
  EXPECT_EQ(dialogs.requests[2].filter,
            "設定ファイル（テキストファイル）|*.vkd;*.txt|すべてのファイル|*.*");
  EXPECT_EQ(dialogs.requests[2].previous, "");
  EXPECT_EQ(QDir::currentPath(), workingDir);
  EXPECT_EQ(SettingsRecord.File_Kakeibo, "kakeibo.csv") << "nothing is stored before OK";
  EXPECT_EQ(ToDialogFilters("CSVファイル|*.csv;*.txt|すべてのファイル|*.*"),
            "CSVファイル (*.csv *.txt);;すべてのファイル (*)");
}

TEST_F(SetupDialogTest, EditorWritesTheUnconfirmedNameAndCancelLeavesNoFile) {
  Open();
  const std::string fresh = dir / "fresh.txt";
  ui->edt_File_Kind->setText(QString::fromStdString(fresh));
  RunEditor([&] {
    EXPECT_TRUE(editor->isModal());
    EXPECT_EQ(editor->ui()->lbl_KindFile->text(), QString::fromStdString(fresh));
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.boxes[0].text, kMissing);
    QTest::keyClick(editor->ui()->memo_KindFile, Qt::Key_Escape);
    EXPECT_TRUE(editor->isVisible()) << "the text box keeps Esc";
    editor->ui()->bbtn_Cancel->click();
  });
  EXPECT_FALSE(std::filesystem::exists(fresh));

  RunEditor([&] {
    editor->ui()->memo_KindFile->setPlainText(QStringLiteral("食費\n雑貨"));
    editor->ui()->bbtn_Ok->click();
    EXPECT_FALSE(editor->isVisible());
  });
  EXPECT_EQ(test::ReadBytes(fresh), "\x90\x48\x94\xEF\r\n\x8E\x47\x89\xDD");
  ui->BitBtn2->click();
  EXPECT_EQ(SettingsRecord.File_Kind, dir / "item.txt");
}

TEST_F(SetupDialogTest, EditorWritesLineEndsAsCrLfAndForeignBytesBack) {
  Open();
  const std::string path = dir / "item.txt";
  struct Case {
    std::string stored, written;
  } cases[] = {
      {"", ""},
      {"a\nb\n", "a\r\nb\r\n"},
      {"a\rb", "a\r\nb"},
      {"a\r\n\r\nb\n\rc\r\n", "a\r\n\r\nb\r\n\r\nc\r\n"},
      // Bytes that are not code page 932 go back as they came.
      {"\x85\x40x\xA0\xFF\x81\r\n", "\x85\x40x\xA0\xFF\x81\r\n"},
      // Second codes of one character, and a line of UTF-8.
      {"\x87\x90\r\n\xED\x40\r\n\xEE\xF9\r\n\xFA\x54\r\n\xED\x95\x9C",
       "\x87\x90\r\n\xED\x40\r\n\xEE\xF9\r\n\xFA\x54\r\n\xED\x95\x9C"},
  };
  for (const Case& c : cases) {
    test::WriteBytes(path, c.stored);
    RunEditor([&] { editor->ui()->bbtn_Ok->click(); });
    EXPECT_EQ(test::ReadBytes(path), c.written) << c.stored;
  }
  EXPECT_TRUE(messages.boxes.empty());
  // Only the file's own foreign bytes: a pasted stand-in character is refused.
  QApplication::clipboard()->setText(QString(QChar(0xF785)) + "k");
  RunEditor([&] {
    editor->ui()->memo_KindFile->clear();
    editor->ui()->memo_KindFile->paste();
    EXPECT_EQ(editor->ui()->memo_KindFile->toPlainText(), "k");
    EXPECT_EQ(messages.beeps, 1);
  });
}

// A long file is held in blocks of many lines: the keys still move and
// edit by lines, and the lines left alone keep their bytes.
TEST_F(SetupDialogTest, EditorEditsALongFileByLines) {
  Open();
  const std::string path = dir / "item.txt";
  std::string bytes;
  for (int i = 0; i <= Tform_EditKindFile::kManyLines; ++i) {
    bytes += std::to_string(i) + (i % 3 == 0 && i < 99000 ? "\x87\x90\r\n" : "\r\n");
  }
  test::WriteBytes(path, bytes);
  RunEditor([&] {
    auto* memo = editor->ui()->memo_KindFile;
    QTest::keyClick(memo, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(memo, Qt::Key_Up);
    QTest::keyClick(memo, Qt::Key_Up);
    QTest::keyClick(memo, Qt::Key_Home);
    QTest::keyClick(memo, Qt::Key_Backspace);  // joins the line to the one above
    QTest::keyClicks(memo, "x");
    editor->ui()->bbtn_Ok->click();
  });
  // The line end before the last but one line became "x".
  const std::size_t end = bytes.rfind("\r\n", bytes.rfind("\r\n", bytes.size() - 3) - 1);
  const std::string want = bytes.substr(0, end) + "x" + bytes.substr(end + 2);
  const std::string got = test::ReadBytes(path);
  EXPECT_TRUE(got == want) << got.substr(got.size() > 64 ? got.size() - 64 : 0);
}

TEST_F(SetupDialogTest, AFailedSaveKeepsTheOldFileAndTheEditorOpen) {
  Open();
  const std::string path = dir / "item.txt";
  test::WriteBytes(path, "old\r\n");
  // A character code page 932 cannot hold, or one it would hold only as a
  // look-alike (a no-break space is no space).
  for (const QString& typed : {QStringLiteral("\U0001F600"), QStringLiteral("a\u00A0b")}) {
    messages.boxes.clear();
    RunEditor([&] {
      editor->ui()->memo_KindFile->setPlainText(typed);
      editor->ui()->bbtn_Ok->click();
      EXPECT_TRUE(editor->isVisible());
      ASSERT_EQ(messages.boxes.size(), 1u);
      EXPECT_EQ(messages.boxes[0].text, "分類設定ファイルに保存できない文字があります。");
      EXPECT_EQ(messages.boxes[0].icon, MsgIcon::Exclamation);
    });
  }
  EXPECT_EQ(test::ReadBytes(path), "old\r\n");

  // A folder the user may not write into.
  messages.boxes.clear();
  chmod(dir.path().c_str(), 0555);
  test::WithoutFileRightsOverride asUser;
  if (asUser.CanOpen(dir / "probe", O_WRONLY | O_CREAT)) GTEST_SKIP() << "SKIP: may write anywhere";
  RunEditor([&] {
    editor->ui()->memo_KindFile->setPlainText(QStringLiteral("new"));
    editor->ui()->bbtn_Ok->click();
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->ui()->memo_KindFile->toPlainText(), "new");
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.boxes[0].caption, kApplicationTitle);
    EXPECT_TRUE(messages.boxes[0].text.startsWith(
        QString::fromStdString("ファイル " + path + " を作成できません")));
  });
  EXPECT_EQ(test::ReadBytes(path), "old\r\n");
}

}  // namespace
}  // namespace mametan
