// The about box: what a showing puts into its labels, and its keys and links.
#include "qt/AboutBox.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "BuildInfo.h"
#include "core/common/CommandLine.h"
#include "ui_AboutBox.h"

namespace mametan {
namespace {

TEST(AboutBox, EveryShowingFillsTheLabelsAfresh) {
  DebugMode = false;
  Tform_About about;
  Ui::Tform_About& ui = *about.ui();
  EXPECT_EQ(about.windowTitle(), "バージョン情報");
  EXPECT_EQ(about.size(), QSize(301, 209));

  // The platform's own answers: the version from the build, the memory in bytes.
  about.show();
  EXPECT_EQ(ui.Version->text(), QStringLiteral("Version " MAMETAN_FILE_VERSION));
  EXPECT_TRUE(QRegularExpression("^[1-9][0-9]* Bytes$").match(ui.lbl_Memory->text()).hasMatch())
      << ui.lbl_Memory->text().toStdString();
  EXPECT_FALSE(ui.lbl_Version->text().isEmpty());
  EXPECT_FALSE(ui.Copyright->text().isEmpty());
  EXPECT_EQ(ui.Version->geometry().right(), 272) << "the version keeps its right edge";
  EXPECT_FALSE(ui.Comments->isVisible()) << "shown in debug mode only";
  EXPECT_TRUE(ui.OKButton->isDefault());
  about.hide();

  // A longer version text grows leftwards.
  about.Queries.programFileVersion = [] { return std::optional<std::string>("10.20.30.40"); };
  about.show();
  EXPECT_EQ(ui.Version->geometry().right(), 272);
  about.hide();
}

TEST(AboutBox, DebugCommentsEnterClosesEscDoesNotLinksOpen) {
  DebugMode = true;
  Tform_About about;
  std::vector<std::string> opened;
  about.Queries.openUrl = [&](const std::string& url) { opened.push_back(url); };
  about.show();
  EXPECT_TRUE(about.ui()->Comments->isVisible());
  QTest::keyClick(&about, Qt::Key_Escape);
  EXPECT_TRUE(about.isVisible()) << "Esc must not close the box";
  QTest::mouseClick(about.ui()->lbl_WWW, Qt::LeftButton);
  QTest::mouseClick(about.ui()->lbl_EMail, Qt::LeftButton);
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[0], about.ui()->lbl_WWW->text().toStdString());
  EXPECT_EQ(opened[1], "mailto:" + about.ui()->lbl_EMail->text().toStdString());
  QTest::keyClick(&about, Qt::Key_Return);
  EXPECT_FALSE(about.isVisible()) << "Enter presses OK";
  DebugMode = false;
}

}  // namespace
}  // namespace mametan
