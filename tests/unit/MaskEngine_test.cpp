#include "core/controls/MaskEngine.h"

#include <gtest/gtest.h>

namespace mametan {
namespace {

constexpr const char* kDate = "!9999/99/00;1;-";
const std::string kA = "\x82\xa0";  // あ in code page 932

class MaskEngineTest : public ::testing::Test {
 protected:
  void SetUp() override { SetLocaleSeparators('/', ':'); }
  void TearDown() override { SetLocaleSeparators('/', ':'); }
};

TEST_F(MaskEngineTest, ClassifiesMaskCharacters) {
  using K = MaskCharKind;
  struct Case {
    std::string mask;
    int position;
    K kind;
  } cases[] = {
      {kDate, 1, K::Directive},       {kDate, 2, K::Optional},
      {kDate, 6, K::LocaleLiteral},   {kDate, 10, K::Required},
      {kDate, 12, K::FieldSeparator}, {kDate, 13, K::FieldValue},
      {kDate, 14, K::FieldSeparator}, {kDate, 15, K::FieldValue},
      {kDate, 16, K::None},           {kDate, 0, K::None},
      {"\\(999\\)", 1, K::Directive}, {"\\(999\\)", 2, K::Literal},
      {"\\(999\\)", 7, K::Literal},   {"\\\\0", 2, K::Literal},  // escaped backslash
      {"\\\\0", 3, K::Required},      {"a;b", 2, K::Literal},    // too short for fields
      {"9;99999", 2, K::Literal},  // ";" before the last four characters
      {"9" + kA, 2, K::Literal},      {"9" + kA, 3, K::Literal},
      {"9\x83\\0", 3, K::Literal},  // 0x5C as second byte is no escape
      {"9\x83\\0", 4, K::Required},   {"#cCaAlL", 1, K::Optional},
      {"#cCaAlL", 3, K::Required},    {"x:y", 2, K::LocaleLiteral},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ClassifyMaskChar(c.mask, c.position), c.kind) << c.mask << " @" << c.position;
  }
}

TEST_F(MaskEngineTest, DirectivesInForce) {
  const std::string mask = ">LL<ll<>l";
  EXPECT_TRUE(DirectivesAt(mask, 2).upperCase);
  EXPECT_FALSE(DirectivesAt(mask, 1).upperCase);
  EXPECT_TRUE(DirectivesAt(mask, 5).lowerCase);
  EXPECT_FALSE(DirectivesAt(mask, 5).upperCase);
  const auto off = DirectivesAt(mask, 9);
  EXPECT_FALSE(off.upperCase || off.lowerCase);
  EXPECT_TRUE(DirectivesAt(kDate, 2).rightAlign);
  EXPECT_FALSE(DirectivesAt("9\\!9", 3).rightAlign);  // an escaped "!" is a literal
}

TEST_F(MaskEngineTest, MaskFields) {
  struct Case {
    std::string mask;
    bool saves;
    char blank;
  } cases[] =
      {
          {kDate, true, '-'},      {"999;0;_", false, '_'}, {"999;0", false, '_'},
          {"999;1;*", true, '*'},  {"9999", true, '_'},     {"99;;x", true, 'x'},
          {"9;", true, '_'},       {"", true, '_'},         {"99;1;", true, '_'},
          {"99\\;0;*", true, '_'},  // the escaped ";" is no separator, so neither field exists
      };
  for (const auto& c : cases) {
    EXPECT_EQ(MaskSavesLiterals(c.mask), c.saves) << c.mask;
    EXPECT_EQ(MaskBlankChar(c.mask), c.blank) << c.mask;
  }
}

TEST_F(MaskEngineTest, EditPositions) {
  EXPECT_EQ(EditPositionCount(kDate), 10);
  EXPECT_EQ(CountEditPositions(kDate, 6), 5);
  EXPECT_EQ(EditToMaskPosition(kDate, 0), 2);
  EXPECT_EQ(EditToMaskPosition(kDate, 4), 6);
  EXPECT_EQ(EditToMaskPosition(kDate, 10), 12);
  EXPECT_EQ(EditToMaskPosition(kDate, 11), -1);
  EXPECT_EQ(EditToMaskPosition(kDate, -1), -1);
  EXPECT_EQ(EditToMaskPosition("99>L", 2), 4);
  EXPECT_EQ(EditToMaskPosition("99>", 2), 4);
  for (int e = 0; e < 10; ++e) EXPECT_EQ(IsLiteralPosition(kDate, e), e == 4 || e == 7) << e;
  EXPECT_EQ(NextEditPosition(kDate, 4), 5);
  EXPECT_EQ(PriorEditPosition(kDate, 7), 6);
  // Nothing editable before a leading literal: rest on the first digit.
  EXPECT_EQ(PriorEditPosition("\\(999\\)", 0), 1);
  EXPECT_EQ(EditPositionCount("99"), 2);
  EXPECT_EQ(EditPositionCount("LL" + kA), 4);
}

TEST_F(MaskEngineTest, FormatsRawTextForDisplay) {
  struct Case {
    std::string mask, raw, display;
  } cases[] = {
      {kDate, "", "----/--/--"},           {kDate, "20011129", "2001/11/29"},
      {kDate, "1129", "----/11/29"},        // right-aligned: blanks in front
      {kDate, "9920011129", "2001/11/29"},  // too long: the front is cut
      {"99-99;0;_", "12", "12-__"},        {"99-99;0;_", "123456", "12-34"},
      {"\\(999\\)", "12", "(12_)"},        {"99", "", "__"},
  };
  for (const auto& c : cases) {
    const char blank = MaskBlankChar(c.mask);
    EXPECT_EQ(FormatForDisplay(c.mask, c.raw, blank), c.display) << c.mask << " " << c.raw;
  }
}

TEST_F(MaskEngineTest, StripsDisplayToRawText) {
  EXPECT_EQ(StripForText(kDate, "----/--/--", '-'), "");
  EXPECT_EQ(StripForText(kDate, "2001/-1/-5", '-'), "2001 1 5");
  EXPECT_EQ(StripForText(kDate, "----/11/29", '-'), "1129");
  EXPECT_EQ(StripForText("99-99;0;_", "1_-3_", '_'), "1 3");
}

TEST_F(MaskEngineTest, AlignsTextThatCarriesLiterals) {
  struct Case {
    std::string mask, value, display;
  } cases[] = {
      {kDate, "2001/11/29", "2001/11/29"}, {kDate, "2001/1/5", "2001/-1/-5"},
      {kDate, "", "----/--/--"},           {kDate, "    /  /  ", "----/--/--"},
      {kDate, "12345/1/1", "2345/-1/-1"},  // right-aligned subfields keep their end
      {kDate, "2001/11", "2001/11/--"},    {"99/99;1;_", "123/4", "12/4_"},
      {"99/99;1;_", "1", "1_/__"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AlignToLiterals(c.mask, c.value, MaskBlankChar(c.mask)), c.display)
        << c.mask << " " << c.value;
  }
}

TEST_F(MaskEngineTest, FitsSubFields) {
  // Right-aligned masks pad and cut at the front, others at the end.
  EXPECT_EQ(FitSubField("!99", "ab/c", 1, 3, 4, '-'), "--ab/c");
  EXPECT_EQ(FitSubField("99", "ab/c", 1, 3, 4, '-'), "ab--/c");
  EXPECT_EQ(FitSubField("!99", "abcd/", 1, 5, 2, '-'), "cd/");
  EXPECT_EQ(FitSubField("99", "abcd/", 1, 5, 2, '-'), "ab/");
  EXPECT_EQ(FitSubField("99", "ab", 1, 3, 2, '-'), "ab");
  EXPECT_EQ(FitSubField("99", "ab", 7, 9, 1, '-'), "ab-");  // out of range start clamps
}

TEST_F(MaskEngineTest, LocaleSeparatorsShowInDisplay) {
  SetLocaleSeparators('.', '-');
  EXPECT_EQ(LocaleLiteralChar('/'), '.');
  EXPECT_EQ(LocaleLiteralChar(':'), '-');
  EXPECT_EQ(LocaleLiteralChar('x'), 'x');
  EXPECT_EQ(AlignToLiterals(kDate, "2001.1.5", '-'), "2001.-1.-5");
  EXPECT_EQ(FormatForDisplay("99:99", "1234", '_'), "12-34");
}

TEST_F(MaskEngineTest, BlankRangeKeepsLiterals) {
  EXPECT_EQ(BlankRange(kDate, "2001/11/29", 3, 3, '-'), "200-/-1/29");
  EXPECT_EQ(BlankRange(kDate, "2001/11/29", 0, 99, '-'), "----/--/--");
}

TEST_F(MaskEngineTest, MergesPastedText) {
  struct Case {
    std::string before, pasted;
    int at;
    std::string after;
    int cursor;
  } cases[] = {
      {"----/--/--", "20011129", 0, "2001/11/29", 10},
      {"----/--/--", "2001-11-29", 0, "2001/-1/1-", 10},
      {"----/--/--", "2001/11/29", 0, "2001/11/29", 10},
      {"----/--/--", "11", 5, "----/11/--", 7},
      {"----/--/--", "x", 0, "----/--/--", 1},
      {"2001/11/29", "", 3, "2001/11/29", 3},
      {"2001/11/29", "777", 8, "2001/11/77", 10},  // cut at the end of the field
      {"----/--/--", kA, 2, "----/--/--", 4},      // a double-byte digit is two blanks
  };
  for (const auto& c : cases) {
    std::string display = c.before;
    EXPECT_EQ(MergePasted(kDate, display, c.pasted, c.at, '-'), c.cursor) << c.pasted;
    EXPECT_EQ(display, c.after) << c.pasted;
  }
}

TEST_F(MaskEngineTest, ChecksRequiredPositions) {
  struct Case {
    std::string mask, display;
    bool ok;
    int p;
  } cases[] = {
      {kDate, "2001/11/--", false, 8},  {kDate, "2001/--/29", true, -1},
      {kDate, "----/--/2 ", false, 9},  {kDate, "----/--/29", true, -1},
      {"CC;1;_", "a ", true, -1},       {"LL;1;_", "a ", false, 1},
      {"\\(000\\)", "(1_3)", false, 2}, {"00", "", true, -1},
  };
  for (const auto& c : cases) {
    int p = -1;
    EXPECT_EQ(CheckRequired(c.mask, c.display, MaskBlankChar(c.mask), p), c.ok) << c.display;
    EXPECT_EQ(p, c.p) << c.display;
  }
}

TEST_F(MaskEngineTest, CharacterRules) {
  struct Case {
    std::string mask;
    int m;
    std::string ch;
    bool fits;
    std::string stored;
  } cases[] = {
      {">LL<ll", 2, "a", true, "A"},  {">LL<ll", 5, "B", true, "b"}, {">LL<ll", 2, "1", false, ""},
      {"L", 1, "\xb1", true, "\xb1"},  // half-width katakana
      {"a", 1, "7", true, "7"},       {"a", 1, "-", false, ""},      {"#", 1, "+", true, "+"},
      {"#", 1, " ", true, " "},       {"#", 1, "x", false, ""},      {"0", 1, " ", false, ""},
      {"C", 1, "%", true, "%"},       {"C", 1, "\x01", false, ""},   {"CC", 1, kA, true, kA},
      {"CC", 2, kA, false, ""},  // no room for its second byte
      {"C/C", 1, kA, false, ""},      {"LL", 1, kA, true, kA},       {"99", 1, kA, false, ""},
      {kDate, 6, "7", true, "/"},  // a literal keeps itself
      {kDate, 12, "x", true, "x"},
  };
  for (const auto& c : cases) {
    std::string ch = c.ch;
    EXPECT_EQ(CharFitsPosition(c.mask, c.m, ch), c.fits) << c.mask << " @" << c.m;
    if (c.fits) {
      EXPECT_EQ(ch, c.stored) << c.mask << " @" << c.m;
    }
  }
}

TEST_F(MaskEngineTest, JumpsOnlyToTheNextLiteral) {
  EXPECT_EQ(JumpToLiteral(kDate, 3, '/'), 6);
  EXPECT_EQ(JumpToLiteral(kDate, 7, '/'), 9);
  EXPECT_EQ(JumpToLiteral(kDate, 10, '/'), -1);
  EXPECT_EQ(JumpToLiteral("99-99/99", 1, '/'), -1);  // only the first literal counts
}

TEST_F(MaskEngineTest, NormalFormKeepsLengthAndWholeCharacters) {
  EXPECT_EQ(NormalizeDisplay(kDate, "2001", '-'), "2001/--/--");
  EXPECT_EQ(NormalizeDisplay("C/C", "\x82/x", '_'), "_/x");
  EXPECT_EQ(NormalizeDisplay("CCCC", kA + "\x82", '_'), kA + "__");
  EXPECT_EQ(NormalizeDisplay("", "free text", '_'), "free text");
}

}  // namespace
}  // namespace mametan
