// The masked field's behaviour on masks other than the date, through the
// in-memory edit field.
#include "core/controls/MaskEditEngine.h"

#include <gtest/gtest.h>

#include "core/controls/EDBEditError.h"
#include "core/controls/MaskEngine.h"
#include "tests/support/MemoryEditField.h"

namespace mametan {
namespace {

class MaskEditEngineTest : public ::testing::Test {
 protected:
  void SetUp() override { SetLocaleSeparators('/', ':'); }
  void Load(const std::string& mask) {
    engine.SetEditMask(mask);
    field.focused = true;
  }
  void Type(const std::string& keys) {
    for (char c : keys) engine.KeyPress(std::string(1, c));
  }
  int Cursor() const { return std::min(field.anchor, field.caret); }

  MemoryEditField field;
  MaskEditEngine engine{field};
};

TEST_F(MaskEditEngineTest, CaseDirectives) {
  Load(">LL<ll");
  EXPECT_EQ(engine.Display(), "____");
  Type("abCD");
  EXPECT_EQ(engine.Display(), "ABcd");
  EXPECT_EQ(engine.Text(), "ABcd");
  Type("x");  // past the end: nothing, no field to take it
  EXPECT_EQ(engine.Display(), "ABcd");
  EXPECT_EQ(field.beeps, 1);
}

TEST_F(MaskEditEngineTest, EscapedLiteralsAroundDigits) {
  Load("\\(999\\)");
  EXPECT_EQ(engine.EditCount(), 5);
  EXPECT_EQ(engine.Display(), "(___)");
  EXPECT_EQ(Cursor(), 1);  // the leading literal is skipped
  Type("12");
  EXPECT_EQ(engine.Display(), "(12_)");
  engine.KeyDown(MaskKey::Backspace, {});
  EXPECT_EQ(engine.Display(), "(1__)");
  engine.PlaceCursor(1);
  engine.KeyDown(MaskKey::Backspace, {});  // nothing editable before: stays
  EXPECT_EQ(engine.Display(), "(1__)");
  EXPECT_EQ(Cursor(), 1);
  engine.SetText("(7)");
  EXPECT_EQ(engine.Display(), "(7__)");
  EXPECT_EQ(engine.Text(), "(7  )");
}

TEST_F(MaskEditEngineTest, LiteralsLeftOutOfText) {
  Load("(999)999-9999;0;_");
  engine.SetText("5551234567");
  EXPECT_EQ(engine.Display(), "(555)123-4567");
  EXPECT_EQ(engine.Text(), "5551234567");
  engine.SetText("55512");
  EXPECT_EQ(engine.Display(), "(555)12_-____");
  EXPECT_EQ(engine.Text(), "55512");
}

TEST_F(MaskEditEngineTest, ShortMaskHasNoFields) {
  Load("9;9");  // three characters: ";" is a plain literal
  EXPECT_EQ(engine.Display(), "_;_");
  EXPECT_EQ(engine.BlankChar(), '_');
  EXPECT_TRUE(engine.SavesLiterals());
  Type("12");
  EXPECT_EQ(engine.Display(), "1;2");
}

TEST_F(MaskEditEngineTest, BlankFieldAbsentOrSpace) {
  Load("000;1; ");
  EXPECT_EQ(engine.Display(), "   ");
  Type("1");
  int p = -1;
  EXPECT_FALSE(engine.CheckRequired(engine.Display(), p));
  EXPECT_EQ(p, 1);
  engine.SetEditMask("000");
  EXPECT_EQ(engine.Display(), "1__");  // the raw text carries over to the new mask
  EXPECT_FALSE(field.modified);
}

TEST_F(MaskEditEngineTest, RightAlignedTextFitsSubfields) {
  Load("!99:99;1;0");
  engine.SetText("7:5");
  EXPECT_EQ(engine.Display(), "07:05");
  engine.SetText("123:456");
  EXPECT_EQ(engine.Display(), "23:56");
  engine.SetText("1");
  EXPECT_EQ(engine.Display(), "01:00");
}

TEST_F(MaskEditEngineTest, LeaveCheckAndRevert) {
  Load("00/00;1;_");
  engine.BeginFocusEntry();
  engine.EndFocusEntry();
  engine.PlaceCursor(0);
  Type("12");
  field.focused = false;  // the focus is going elsewhere
  EXPECT_THROW(engine.FocusExit(), EDBEditError);
  EXPECT_TRUE(field.focused);
  EXPECT_EQ(Cursor(), 3);
  EXPECT_EQ(field.beeps, 1);
  // The forced re-entry neither renews the revert value nor selects.
  EXPECT_FALSE(engine.BeginFocusEntry());
  engine.EndFocusEntry();
  EXPECT_TRUE(engine.WantsEscape());
  engine.KeyPress("\x1b");
  EXPECT_EQ(engine.Display(), "__/__");
  EXPECT_FALSE(field.modified);
  EXPECT_NO_THROW(engine.FocusExit());  // unmodified: never checked
}

TEST_F(MaskEditEngineTest, DoubleByteCharactersInAnyCharacterPositions) {
  const std::string a = "\x82\xa0", i = "\x82\xa2";
  Load("CCC;1;_");
  engine.KeyPress(a);
  EXPECT_EQ(engine.Display(), a + "_");
  EXPECT_EQ(Cursor(), 2);
  engine.KeyPress(i);  // one position left: refused
  EXPECT_EQ(engine.Display(), a + "_");
  EXPECT_EQ(field.beeps, 1);
  engine.PlaceCursor(0);
  EXPECT_EQ(field.anchor - field.caret, 2);  // the cursor covers the whole character
  engine.KeyDown(MaskKey::Right, {});
  EXPECT_EQ(Cursor(), 2);
  // Typing a single byte over half of a character blanks the other half.
  field.FieldSetSelection(1, 2);
  engine.KeyPress("z");
  EXPECT_EQ(engine.Display().size(), 3u);
  EXPECT_EQ(engine.Display(), "_z_");
}

TEST_F(MaskEditEngineTest, PasteAndCut) {
  Load("LL-99;1;_");
  engine.Paste("ab12");
  EXPECT_EQ(engine.Display(), "ab-12");
  EXPECT_FALSE(field.modified);  // a paste replaces the whole text
  field.FieldSetSelection(1, 4);
  EXPECT_EQ(engine.Cut(), "b-1");
  EXPECT_EQ(engine.Display(), "a_-_2");
}

TEST_F(MaskEditEngineTest, UnmaskedFieldIsLeftAlone) {
  EXPECT_TRUE(engine.KeyDown(MaskKey::Delete, {}));
  EXPECT_TRUE(engine.KeyPress("x"));
  engine.SetText("free");
  EXPECT_EQ(engine.Text(), "free");
  engine.SetMaxLength(7);
  EXPECT_EQ(field.maxLength, 7);
  engine.SetEditMask("999");
  EXPECT_EQ(field.maxLength, 3);
  engine.SetMaxLength(7);
  EXPECT_EQ(field.maxLength, 3);
}

}  // namespace
}  // namespace mametan
