#include "core/platform/Cp932.h"

#include <gtest/gtest.h>

namespace mametan::cp932 {
namespace {

std::string Bytes(std::initializer_list<int> list) {
  std::string s;
  for (int b : list) s += static_cast<char>(b);
  return s;
}

TEST(Cp932, LedgerHeaderRoundTrips) {
  const std::string header =
      Bytes({0x93, 0xFA, 0x95, 0x74, 0x2C, 0x8E, 0xED, 0x97, 0xDE, 0x2C, 0x8F, 0xA4,
             0x95, 0x69, 0x96, 0xBC, 0x2C, 0x89, 0xBF, 0x8A, 0x69, 0x0D, 0x0A});
  EXPECT_EQ(Decode(header), "日付,種類,商品名,価格\r\n");
  EXPECT_EQ(Encode("日付,種類,商品名,価格\r\n"), header);
}

TEST(Cp932, MicrosoftTableNotJis) {
  // 0x5C is the backslash, 0x8160 the full-width tilde; the wave dash that
  // Linux input methods type for 〜 maps one way onto it.
  EXPECT_EQ(Decode("\\"), "\\");
  EXPECT_EQ(Decode(Bytes({0x81, 0x60})), "～");
  EXPECT_EQ(Encode("～"), Bytes({0x81, 0x60}));
  EXPECT_EQ(Encode("〜"), Bytes({0x81, 0x60}));
  // NEC and IBM rows are present.
  EXPECT_EQ(Encode("①"), Bytes({0x87, 0x40}));
  EXPECT_EQ(Decode(Bytes({0xFA, 0x40})), "ⅰ");
  // Half-width katakana are single bytes.
  EXPECT_EQ(Encode("ｱ"), Bytes({0xB1}));
}

TEST(Cp932, UnrepresentableIsRefusedNotReplaced) {
  std::size_t bad = 99;
  EXPECT_FALSE(Encode("牛乳😀", &bad).has_value());
  EXPECT_EQ(bad, std::string("牛乳").size());
  EXPECT_FALSE(Encode("한국").has_value());
  EXPECT_FALSE(Encode("\xFF\xFE").has_value()) << "malformed UTF-8";
  EXPECT_FALSE(CanEncode("a\u00A0b")) << "no-break space";
  // A raw lead byte before a character it would join: the bytes 81 42 read
  // back as 。, so the text cannot be written as it is.
  bad = 99;
  EXPECT_FALSE(Encode("x\uF781B", &bad).has_value());
  EXPECT_EQ(bad, 1u);
  EXPECT_EQ(Encode("\uF781 "), Bytes({0x81, 0x20}));
  // So is an invalid lead byte before a character coded twice: its other
  // code (FB 6D for EE 51) would join the lead byte into ￤.
  EXPECT_FALSE(Encode(Decode(Bytes({0xEE, 0xEE, 0x51}))).has_value());
  // The one-way mappings of the table are written.
  EXPECT_EQ(Encode("\u00A5\u203E\u2212\u00AC"), Bytes({0x5C, 0x7E, 0x81, 0x7C, 0x81, 0xCA}));
  EXPECT_TRUE(CanEncode(""));
}

TEST(Cp932, InvalidBytesRoundTrip) {
  const std::string samples[] = {
      Bytes({0x80}),
      Bytes({0xA0}),
      Bytes({0xFD, 0xFE, 0xFF}),
      Bytes({0x81}),                    // lone lead at end
      Bytes({0x81, 0x20, 0x41}),        // lead + bad trail
      Bytes({0x85, 0x40, 0x8B, 0x8D}),  // unassigned row, then 牛
      Bytes({0x90, 0x48, 0xFF, 0x94, 0xEF, 0x00, 0x0D, 0x0A}),
  };
  for (const std::string& s : samples) {
    const std::string text = Decode(s);
    const auto back = Encode(text);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, s);
  }
}

TEST(Cp932, EveryTwoByteSequenceSurvivesDecodeEncode) {
  // Byte-exact except where code page 932 itself has two codes for one
  // character (NEC and IBM rows): those come back as Windows writes them.
  int duplicates = 0;
  for (int a = 0; a < 256; ++a) {
    for (int b = 0; b < 256; ++b) {
      const std::string s = Bytes({a, b});
      const std::string text = Decode(s);
      const auto back = Encode(text);
      ASSERT_TRUE(back.has_value()) << a << " " << b;
      if (*back != s) {
        ++duplicates;
        ASSERT_EQ(Decode(*back), text) << a << " " << b;
      }
    }
  }
  EXPECT_LT(duplicates, 400);
}

}  // namespace
}  // namespace mametan::cp932
