// The masked date field as the input window uses it: mask "!9999/99/00;1;-".
#include "qt/MaskedEdit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QVBoxLayout>
#include <memory>

#include "GuiTestSupport.h"
#include "core/controls/EDBEditError.h"
#include "core/controls/MaskEngine.h"

namespace mametan {
namespace {

const QString kInvalid = QStringLiteral("入力値が不正です。エスケープキーで変更を取り消せます");

class MaskEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetLocaleSeparators('/', ':');
    window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(window.get());
    edit = new TMaskEdit(window.get());
    other = new QLineEdit(window.get());
    layout->addWidget(edit);
    layout->addWidget(other);
    // As the form loads it: mask, stored length, stored text.
    edit->SetEditMask(QStringLiteral("!9999/99/00;1;-"));
    edit->setMaxLength(10);
    edit->setText(QStringLiteral("    /  /  "));
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    other->setFocus(Qt::OtherFocusReason);
  }

  // Focus into the date field without the entry selection, cursor on p.
  void EnterAt(int p) {
    edit->setFocus(Qt::MouseFocusReason);
    edit->PlaceCursor(p);
  }
  void Type(const char* keys) { QTest::keyClicks(edit, QString::fromLatin1(keys)); }
  void Commit(const QString& text) {
    QInputMethodEvent ime;
    ime.setCommitString(text);
    QApplication::sendEvent(edit, &ime);
  }
  QString Display() const { return edit->DisplayText(); }
  int Cursor() const { return edit->CursorEditPosition(); }
  int Selected() const { return static_cast<int>(edit->selectedText().size()); }
  void Flush() { QCoreApplication::processEvents(); }

  test::RecordingMessages messages;
  std::unique_ptr<QWidget> window;
  TMaskEdit* edit = nullptr;
  QLineEdit* other = nullptr;
};

TEST_F(MaskEditTest, LoadedFieldAndTextProperty) {
  EXPECT_EQ(Display(), "----/--/--");
  EXPECT_EQ(edit->Text(), "    /  /  ");
  EXPECT_EQ(edit->MaxLength(), 10);
  EXPECT_FALSE(edit->Modified());
  edit->setMaxLength(30);
  EXPECT_EQ(edit->MaxLength(), 10);

  struct Case {
    const char* set;
    const char* display;
    const char* text;
  } cases[] = {
      {"2001/11/29", "2001/11/29", "2001/11/29"},
      {"2001/1/5", "2001/-1/-5", "2001/ 1/ 5"},
      {"", "----/--/--", "    /  /  "},
      {"2001/11", "2001/11/--", "2001/11/  "},
  };
  for (const auto& c : cases) {
    edit->SetText(QString::fromLatin1(c.set));
    EXPECT_EQ(Display(), c.display) << c.set;
    EXPECT_EQ(edit->Text(), c.text) << c.set;
    EXPECT_FALSE(edit->Modified()) << c.set;
  }
  edit->SetText(QStringLiteral("2001/11/29"));
  edit->clear();
  EXPECT_EQ(Display(), "----/--/--");
}

TEST_F(MaskEditTest, TypingFillsDigitsAndSkipsSeparators) {
  EnterAt(0);
  Type("20011129");
  EXPECT_EQ(Display(), "2001/11/29");
  EXPECT_EQ(Cursor(), 10);
  EXPECT_EQ(Selected(), 0);
  EXPECT_TRUE(edit->Modified());
  EXPECT_EQ(messages.beeps, 0);
  EXPECT_EQ(edit->Text(), "2001/11/29");
}

TEST_F(MaskEditTest, SeparatorKeyJumpsToNextSubfield) {
  EnterAt(1);
  Type("/");
  EXPECT_EQ(Cursor(), 5);
  EXPECT_EQ(Display(), "----/--/--");

  edit->SetText(QString());
  EnterAt(0);
  Type("2001/11/29");
  EXPECT_EQ(Display(), "2001/--/11");
  EXPECT_EQ(Cursor(), 10);
  EXPECT_EQ(messages.beeps, 0);
}

TEST_F(MaskEditTest, RefusedCharactersBeepAndChangeNothing) {
  edit->SetText(QStringLiteral("2001/11/29"));
  EnterAt(5);
  Type("a");
  Type(" ");
  Commit(QStringLiteral("１"));  // full-width digit
  Commit(QStringLiteral("😀"));   // no code page 932 form
  EXPECT_EQ(messages.beeps, 4);
  EXPECT_EQ(Display(), "2001/11/29");
  EXPECT_EQ(Cursor(), 5);
  EXPECT_EQ(Selected(), 1);
  EXPECT_FALSE(edit->Modified());
}

TEST_F(MaskEditTest, DeleteAndBackspace) {
  edit->SetText(QStringLiteral("2001/11/29"));
  EnterAt(2);
  QTest::keyClick(edit, Qt::Key_Delete);
  EXPECT_EQ(Display(), "20-1/11/29");
  EXPECT_EQ(Cursor(), 2);
  EXPECT_EQ(Selected(), 1);

  edit->PlaceCursor(5);
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_EQ(Display(), "20--/11/29");
  EXPECT_EQ(Cursor(), 3);

  edit->PlaceCursor(0);
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_EQ(Display(), "20--/11/29");
  EXPECT_EQ(Cursor(), 0);

  QTest::keyClick(edit, Qt::Key_End);
  QTest::keyClick(edit, Qt::Key_Delete);
  EXPECT_EQ(Display(), "20--/11/29");
  EXPECT_EQ(Cursor(), 10);
  EXPECT_TRUE(edit->Modified());
}

TEST_F(MaskEditTest, TabEntrySelectsAllAndFirstDigitClearsIt) {
  edit->SetText(QStringLiteral("2001/11/29"));
  QTest::keyClick(other, Qt::Key_Tab);
  ASSERT_TRUE(edit->hasFocus());
  EXPECT_EQ(edit->selectedText(), "2001/11/29");
  Type("7");
  EXPECT_EQ(Display(), "7---/--/--");
  EXPECT_EQ(Cursor(), 1);
}

TEST_F(MaskEditTest, ClickOnSeparatorSelectsItAndDigitMovesOn) {
  edit->SetText(QStringLiteral("2001/11/29"));
  const int y = edit->height() / 2;
  int x = 0;
  while (x < edit->width() && edit->cursorPositionAt(QPoint(x, y)) < 4) ++x;
  ASSERT_LT(x, edit->width());
  QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(x + 1, y));
  EXPECT_EQ(Cursor(), 4);
  EXPECT_EQ(edit->selectedText(), "/");
  Type("5");
  EXPECT_EQ(Display(), "2001/11/29");
  EXPECT_EQ(Cursor(), 5);
  EXPECT_EQ(messages.beeps, 0);
}

TEST_F(MaskEditTest, CursorKeys) {
  edit->SetText(QStringLiteral("2001/11/29"));
  EnterAt(2);
  struct Step {
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    int cursor, selected;
  } steps[] = {
      {Qt::Key_Up, {}, 2, 1},
      {Qt::Key_Down, {}, 2, 1},
      {Qt::Key_Right, {}, 3, 1},
      {Qt::Key_Right, {}, 5, 1},  // over the separator
      {Qt::Key_Left, {}, 3, 1},
      {Qt::Key_Home, {}, 0, 1},
      {Qt::Key_Left, {}, 0, 1},
      {Qt::Key_End, {}, 10, 0},
      {Qt::Key_Right, {}, 10, 0},
      {Qt::Key_Left, {}, 9, 1},
      {Qt::Key_Left, Qt::ShiftModifier, 8, 2},
      {Qt::Key_Right, {}, 8, 1},  // a longer selection collapses
  };
  for (const auto& s : steps) {
    QTest::keyClick(edit, s.key, s.mods);
    EXPECT_EQ(Cursor(), s.cursor) << s.key;
    EXPECT_EQ(Selected(), s.selected) << s.key;
  }
  EXPECT_EQ(Display(), "2001/11/29");
  EXPECT_FALSE(edit->Modified());
}

TEST_F(MaskEditTest, ShiftArrowsExtendTheSelection) {
  edit->SetText(QStringLiteral("2001/11/29"));
  EnterAt(1);
  QTest::keyClick(edit, Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(edit->selectedText(), "00");
  QTest::keyClick(edit, Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(edit->selectedText(), "001");
  QTest::keyClick(edit, Qt::Key_Delete);
  EXPECT_EQ(Display(), "2---/11/29");
  EXPECT_EQ(Cursor(), 1);
}

TEST_F(MaskEditTest, PastingDigitsAndForeignSeparators) {
  struct Case {
    const char* clip;
    const char* display;
  } cases[] = {{"20011129", "2001/11/29"}, {"2001-11-29", "2001/-1/1-"}};
  for (const auto& c : cases) {
    edit->SetText(QString());
    EnterAt(0);
    QGuiApplication::clipboard()->setText(QString::fromLatin1(c.clip));
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Display(), c.display) << c.clip;
    EXPECT_EQ(Cursor(), 10) << c.clip;
  }
  // Cut copies the selected characters and blanks the digits among them.
  edit->SetText(QStringLiteral("2001/11/29"));
  EnterAt(3);
  QTest::keyClick(edit, Qt::Key_Right, Qt::ShiftModifier);
  QTest::keyClick(edit, Qt::Key_Right, Qt::ShiftModifier);
  QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "1/1");
  EXPECT_EQ(Display(), "200-/-1/29");
}

TEST_F(MaskEditTest, LeavingWithoutDayIsRefused) {
  EnterAt(0);
  Type("200111");
  ASSERT_EQ(Display(), "2001/11/--");
  QTest::keyClick(edit, Qt::Key_Tab);
  EXPECT_TRUE(edit->hasFocus());
  EXPECT_EQ(Cursor(), 8);
  EXPECT_EQ(messages.beeps, 1);
  Flush();
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_TRUE(messages.boxes[0].text.startsWith(kInvalid));
  EXPECT_EQ(messages.boxes[0].icon, MsgIcon::Stop);
  EXPECT_EQ(Display(), "2001/11/--");  // the typed text stays

  // Esc then goes back to the value the field was entered with.
  QTest::keyClick(edit, Qt::Key_Escape);
  EXPECT_EQ(Display(), "----/--/--");
  EXPECT_FALSE(edit->Modified());
  QTest::keyClick(edit, Qt::Key_Tab);
  EXPECT_TRUE(other->hasFocus());
  Flush();
  EXPECT_EQ(messages.boxes.size(), 1u);
}

TEST_F(MaskEditTest, DayWithoutMonthPasses) {
  EnterAt(0);
  Type("2001");
  edit->PlaceCursor(8);
  Type("29");
  ASSERT_EQ(Display(), "2001/--/29");
  QTest::keyClick(edit, Qt::Key_Tab);
  Flush();
  EXPECT_TRUE(other->hasFocus());
  EXPECT_TRUE(messages.boxes.empty());
  EXPECT_EQ(edit->Text(), "2001/  /29");
}

TEST_F(MaskEditTest, EnterChecksAndOkCheckRefusesUnfilledDay) {
  EnterAt(8);
  Type("3");
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
  QApplication::sendEvent(edit, &enter);
  EXPECT_TRUE(enter.isAccepted());  // refused: the default button must not act
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_EQ(Cursor(), 9);
  EXPECT_THROW(edit->CheckOnLeave(), EDBEditError);

  // Unmodified, the leave check stays quiet; the OK check does not.
  edit->SetText(QStringLiteral("2001/11/"));
  EXPECT_NO_THROW(edit->CheckOnLeave());
  EXPECT_EQ(edit->FirstUnfilledPosition(), 8);
  other->setFocus();
  EXPECT_FALSE(edit->ValidateEdit());
  EXPECT_TRUE(edit->hasFocus());
  EXPECT_EQ(Cursor(), 8);
  EXPECT_EQ(messages.boxes.size(), 2u);  // the direct throw above is the caller's to show
  edit->SetText(QStringLiteral("2001/11/29"));
  EXPECT_TRUE(edit->ValidateEdit());

  QKeyEvent ok(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
  QApplication::sendEvent(edit, &ok);
  EXPECT_FALSE(ok.isAccepted());  // complete: Enter goes on to the window
}

TEST_F(MaskEditTest, EscBelongsToTheWindowUnlessModified) {
  EnterAt(0);
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(edit, &esc);
  EXPECT_FALSE(esc.isAccepted());
  QKeyEvent over(QEvent::ShortcutOverride, Qt::Key_Escape, Qt::NoModifier);
  over.ignore();
  QApplication::sendEvent(edit, &over);
  EXPECT_FALSE(over.isAccepted());

  Type("2");
  QKeyEvent over2(QEvent::ShortcutOverride, Qt::Key_Escape, Qt::NoModifier);
  over2.ignore();
  QApplication::sendEvent(edit, &over2);
  EXPECT_TRUE(over2.isAccepted());
}

TEST_F(MaskEditTest, OwnerKeyHandlersRunFirst) {
  std::vector<QChar> seen;
  edit->OnKeyPress = [&](QChar& c) {
    seen.push_back(c);
    if (c == QLatin1Char('5')) c = QChar(0);
    if (c == QLatin1Char('x')) c = QLatin1Char('7');
    if (c == QLatin1Char('\r')) c = QChar(0);  // Enter to the next control
  };
  int downs = 0;
  edit->OnKeyDown = [&](int& key, Qt::KeyboardModifiers) {
    ++downs;
    if (key == Qt::Key_Delete) key = 0;
  };
  EnterAt(0);
  Type("5x");
  EXPECT_EQ(Display(), "7---/--/--");
  EXPECT_EQ(messages.beeps, 0);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], QLatin1Char('5'));

  edit->PlaceCursor(0);
  QTest::keyClick(edit, Qt::Key_Delete);
  EXPECT_EQ(Display(), "7---/--/--");
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_TRUE(messages.boxes.empty());  // swallowed: no check
  EXPECT_EQ(downs, 4);
}

TEST_F(MaskEditTest, DoubleByteCharactersTakeTwoPositions) {
  auto* names = new TMaskEdit(window.get());
  names->SetEditMask(QStringLiteral("CCCC;1;_"));
  names->show();
  names->setFocus(Qt::MouseFocusReason);
  names->PlaceCursor(0);
  QInputMethodEvent ime;
  ime.setCommitString(QStringLiteral("あｱ"));
  QApplication::sendEvent(names, &ime);
  EXPECT_EQ(names->DisplayText(), "あｱ_");
  EXPECT_EQ(names->CursorEditPosition(), 3);
  EXPECT_EQ(names->Text(), "あｱ ");
  names->PlaceCursor(3);
  QInputMethodEvent last;
  last.setCommitString(QStringLiteral("い"));
  QApplication::sendEvent(names, &last);  // no room for its second byte
  EXPECT_EQ(names->DisplayText(), "あｱ_");
  EXPECT_EQ(messages.beeps, 1);
  names->PlaceCursor(1);  // inside あ: the cursor takes the whole character
  EXPECT_EQ(names->CursorEditPosition(), 0);
  EXPECT_EQ(names->selectedText(), "あ");
  QTest::keyClicks(names, QStringLiteral("z"));
  EXPECT_EQ(names->DisplayText(), "z_ｱ_");
}

TEST_F(MaskEditTest, LocaleSeparatorShowsInField) {
  SetLocaleSeparators('.', ':');
  TMaskEdit field;
  field.SetEditMask(QStringLiteral("!9999/99/00;1;-"));
  EXPECT_EQ(field.DisplayText(), "----.--.--");
  field.SetText(QStringLiteral("2001.11.29"));
  EXPECT_EQ(field.Text(), "2001.11.29");
  SetLocaleSeparators('/', ':');
}

}  // namespace
}  // namespace mametan

namespace mametan {
namespace {

// The context menu's commands go through the mask as the keys do.
TEST_F(MaskEditTest, ContextMenuEditsThroughTheMask) {
  EnterAt(0);
  QGuiApplication::clipboard()->setText(QStringLiteral("2001-11-29"));
  std::unique_ptr<QMenu> menu(edit->CreateContextMenu());
  QStringList texts;
  for (QAction* a : menu->actions()) {
    texts << a->text();
    if (a->text() == QLatin1String("&Paste")) a->trigger();
  }
  EXPECT_EQ(Display(), "2001/-1/1-");
  EXPECT_FALSE(texts.contains(QLatin1String("&Undo")));

  edit->selectAll();
  std::unique_ptr<QMenu> again(edit->CreateContextMenu());
  for (QAction* a : again->actions()) {
    if (a->text() == QLatin1String("Delete")) a->trigger();
  }
  EXPECT_EQ(Display(), "----/--/--");
}

}  // namespace
}  // namespace mametan
