#include "qt/ClassificationList.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QComboBox>
#include <QStringList>
#include <QTemporaryDir>

#include "GuiTestSupport.h"
#include "core/entry/Classification.h"
#include "core/platform/Cp932.h"
#include "qt/MessageBox.h"
#include "tests/support/FileRights_posix.h"
#include "tests/support/ScratchFiles.h"

namespace mametan {
namespace {

using test::RecordingMessages;

const QStringList kDefaultNames = {"その他", "教育費", "交通費",     "雑貨",  "趣味",
                                   "書籍",   "食費",   "水道光熱費", "通信費"};

QStringList Texts(const QComboBox& box) {
  QStringList texts;
  for (int i = 0; i < box.count(); ++i) texts << box.itemText(i);
  return texts;
}

std::string Data(const QComboBox& box, int i) {
  return box.itemData(i).toByteArray().toStdString();
}

class ClassificationListTest : public ::testing::Test {
 protected:
  ClassificationListTest() { box.addItems({"left", "over"}); }
  std::string Path(const char* name) const { return dir.filePath(name).toStdString(); }
  void Load(const std::string& path) {
    WindowMessages boxes;
    FillKinds(&box, LoadKindList(path, boxes));
  }

  QTemporaryDir dir;
  QComboBox box;
  RecordingMessages messages;
};

TEST_F(ClassificationListTest, FileKindsWithTheirBytes) {
  // 食費, an empty line, 雑貨 with trailing spaces, 食費 again, and ≒ by its
  // second code (0x8790), which encodes back to its first (0x81E0).
  const std::string nec = "\x87\x90";
  ASSERT_NE(cp932::Encode(cp932::Decode(nec)), nec);
  test::WriteBytes(Path("item.txt"),
                   "\x90\x48\x94\xEF\r\n\r\n\x8E\x47\x89\xDD  \n\x90\x48\x94\xEF\r" + nec);
  Load(Path("item.txt"));
  EXPECT_EQ(Texts(box), QStringList({"食費", "", "雑貨  ", "食費", "≒"}));
  EXPECT_EQ(Data(box, 2), "\x8E\x47\x89\xDD  ");
  EXPECT_EQ(Data(box, 4), nec);
  EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(ClassificationListTest, ZeroByteFileGivesEmptyListAndNoMessage) {
  test::WriteBytes(Path("item.txt"), "");
  Load(Path("item.txt"));
  EXPECT_EQ(box.count(), 0);
  EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(ClassificationListTest, MissingFileKeepsDefaultsAndWarns) {
  QDir(dir.path()).mkdir("folder");
  const std::string paths[] = {"", Path("none.txt"), Path("folder")};
  for (const std::string& path : paths) {
    messages.boxes.clear();
    Load(path);
    EXPECT_EQ(Texts(box), kDefaultNames) << path;
    EXPECT_EQ(Data(box, 6), "\x90\x48\x94\xEF");
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.boxes[0].caption, "Message");
    EXPECT_EQ(messages.boxes[0].text,
              "分類設定ファイルが読み込めません。標準設定の分類を使用します。");
    EXPECT_EQ(messages.boxes[0].icon, MsgIcon::Exclamation);
  }
}

TEST_F(ClassificationListTest, UnreadableFileEmptiesListAndReportsError) {
  const std::string path = Path("item.txt");
  test::WriteBytes(path, "a\r\n");
  chmod(path.c_str(), 0);
  test::WithoutFileRightsOverride asUser;
  if (asUser.CanOpen(path, O_RDONLY)) GTEST_SKIP() << "SKIP: this user can read any file";
  Load(path);
  EXPECT_EQ(box.count(), 0);
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_EQ(messages.boxes[0].caption, kApplicationTitle);
  EXPECT_TRUE(messages.boxes[0].text.startsWith(
      QString::fromStdString("ファイル " + path + " は開けません")))
      << messages.boxes[0].text.toStdString();
  EXPECT_EQ(messages.boxes[0].icon, MsgIcon::Stop);
}

TEST_F(ClassificationListTest, ListedKindBytes) {
  const std::string nec = "\x87\x90";
  test::WriteBytes(Path("item.txt"), "\x81\xE0\r\n" + nec + "\r\n\x85\x40\r\n");
  Load(Path("item.txt"));
  box.setEditable(true);
  struct Case {
    const char* what;
    int index;
    QString typed;  // empty: leave the selected item's text
    std::optional<std::string> bytes;
  };
  const Case cases[] = {
      {"selected item keeps its own code", 1, "", nec},
      {"first of two items with the same text", 0, "", "\x81\xE0"},
      {"invalid byte kept", 2, "", "\x85\x40"},
      {"typed text of an item", -1, "≒", "\x81\xE0"},
      {"typed text not listed", 1, "≒ ", std::nullopt},
  };
  for (const Case& c : cases) {
    box.setCurrentIndex(c.index);
    if (!c.typed.isEmpty()) box.setEditText(c.typed);
    EXPECT_EQ(ListedKindBytes(&box), c.bytes) << c.what;
  }
}

}  // namespace
}  // namespace mametan
