#include "core/dialogs/KindFileText.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/platform/Cp932.h"

namespace mametan {
namespace {

std::string Bytes(std::initializer_list<int> list) {
  std::string s;
  for (int b : list) s += static_cast<char>(b);
  return s;
}

TEST(KindFileText, LineEndsBecomeCrLf) {
  EXPECT_EQ(NormalizeLineEnds("a\nb\rc\r\nd\n\re"), "a\r\nb\r\nc\r\nd\r\n\r\ne");
  const KindFileText file("a\nb\r");
  EXPECT_EQ(file.Text(), "a\nb\n");
  EXPECT_EQ(file.Encode(file.Text()), "a\r\nb\r\n");
}

// Every valid double-byte code, one per line, with an edit at the front:
// every other line keeps its bytes, the two codes of one character included.
TEST(KindFileText, UntouchedLinesKeepEveryDoubleByteCode) {
  std::string bytes;
  int codes = 0;
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      const std::string code = Bytes({lead, trail});
      if (trail == 0x7F || cp932::IsRawByteCodePoint(cp932::Decode(code).front())) continue;
      if (cp932::Decode(code).size() != 3) continue;
      bytes += code + "\r\n";
      ++codes;
    }
  }
  ASSERT_GT(codes, 7000);
  const KindFileText file(bytes);
  EXPECT_EQ(file.Encode(file.Text()), bytes);
  EXPECT_EQ(file.Encode("新\n" + file.Text()), Bytes({0x90, 0x56, 0x0D, 0x0A}) + bytes);
  std::string text = file.Text();
  text.erase(0, text.find('\n') + 1);
  EXPECT_EQ(file.Encode(text), bytes.substr(4));
}

TEST(KindFileText, EditsKeepTheBytesOfLinesLeftAlone) {
  // 87 90 / ED 40 / EE F9 / FA 54 are second codes of ≒, 纊, ￢, ￢; ED 95 9C
  // is a UTF-8 line.
  const std::string file = Bytes({0x87, 0x90, 0x0D, 0x0A, 0xED, 0x40, 0x0D, 0x0A, 0xEE, 0xF9, 0x0D,
                                  0x0A, 0xFA, 0x54, 0x0D, 0x0A, 0xED, 0x95, 0x9C});
  const KindFileText kinds(file);
  const std::string t = kinds.Text();
  ASSERT_EQ(std::count(t.begin(), t.end(), '\n'), 4);
  const auto line = [&](int i) {
    std::size_t p = 0;
    for (int k = 0; k < i; ++k) p = t.find('\n', p) + 1;
    return t.substr(p, t.find('\n', p) - p);
  };
  const std::string L0 = Bytes({0x87, 0x90}), L1 = Bytes({0xED, 0x40}), L2 = Bytes({0xEE, 0xF9}),
                    L3 = Bytes({0xFA, 0x54}), L4 = Bytes({0xED, 0x95, 0x9C}),
                    A = Bytes({0x82, 0xA0});  // あ, typed
  const std::string crlf = "\r\n";
  const struct {
    std::string edited, bytes;
  } cases[] = {
      {t, file},
      {line(0) + "\n" + line(1) + "\nあ\n" + line(2) + "\n" + line(3) + "\n" + line(4),
       L0 + crlf + L1 + crlf + A + crlf + L2 + crlf + L3 + crlf + L4},
      {line(4) + "\n" + line(1) + "\n" + line(0), L4 + crlf + L1 + crlf + L0},  // moved
      // A copied line is a new line: it takes the code page's own code.
      {line(0) + "\n" + line(0) + "\n" + line(4) + "\n",
       L0 + crlf + Bytes({0x81, 0xE0}) + crlf + L4 + crlf},
      {line(1) + "あ\n" + line(4), Bytes({0xFA, 0x5C, 0x82, 0xA0}) + crlf + L4},  // changed
      {t + "\n", file + crlf},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(kinds.Encode(c.edited), c.bytes) << c.edited;
  }
}

TEST(KindFileText, CharactersTheFileCannotHoldAreRefused) {
  const KindFileText kinds(Bytes({0x81, 0x0D, 0x0A, 0x41}));  // a raw lead byte, then A
  EXPECT_EQ(kinds.Encode(kinds.Text()), Bytes({0x81, 0x0D, 0x0A, 0x41}));
  const struct {
    std::string edited;
    std::size_t bad;
  } cases[] = {{"\uF781\nA\nx\u00A0", 7}, {"\uF781\nA\nx😀", 7}, {"\uF781B\nA\nx", 0}};
  for (const auto& c : cases) {
    std::size_t bad = 99;
    EXPECT_FALSE(kinds.Encode(c.edited, &bad).has_value()) << c.edited;
    EXPECT_EQ(bad, c.bad) << c.edited;
  }
}

}  // namespace
}  // namespace mametan
