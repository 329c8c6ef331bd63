#pragma once
// Code page 932 at the boundaries of the program: the ledger, the classification
// file and the Windows registry. Inside, text is UTF-8.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace mametan::cp932 {

// Bytes that are not valid code page 932 decode to one private-use code point
// each (U+F780 + byte - 0x80), which encodes back to the same byte, so foreign
// bytes survive a decode/encode round trip unchanged.
inline constexpr char32_t kRawByteBase = 0xF700;

// True for the code points that stand for a raw byte 0x80-0xFF.
inline constexpr bool IsRawByteCodePoint(char32_t cp) {
  return cp >= kRawByteBase + 0x80 && cp <= kRawByteBase + 0xFF;
}

// The byte classes of code page 932: a lead byte starts a double-byte
// character whose second byte is a trail byte; 0xA1-0xDF are the half-width
// katakana, one byte each.
inline constexpr bool IsLeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
inline constexpr bool IsTrailByte(unsigned char b) {
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}
inline constexpr bool IsSingleByteKana(unsigned char b) { return b >= 0xA1 && b <= 0xDF; }

// True when `bytes`, read from the start, ends in a lead byte with no byte
// after it: such a text would swallow whatever is written after it.
inline constexpr bool EndsInLoneLeadByte(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    if (!IsLeadByte(static_cast<unsigned char>(bytes[i]))) {
      ++i;
    } else if (i + 1 == bytes.size()) {
      return true;
    } else {
      i += 2;
    }
  }
  return false;
}

// Decodes code page 932 bytes to UTF-8. Never fails.
std::string Decode(std::string_view bytes);

// Encodes UTF-8 text to code page 932. Returns nothing when a character has no
// code page 932 form (or the UTF-8 is malformed), or when the bytes would read
// back as other text (a raw byte joined to the next character); `badOffset`
// then receives the UTF-8 offset of the first such character. Never
// substitutes "?" or a look-alike, save for the one-way mappings of the
// code page's table (U+301C wave dash to 0x8160, the yen sign to 0x5C, ...).
std::optional<std::string> Encode(std::string_view utf8, std::size_t* badOffset = nullptr);

namespace detail {
// The platform's conversion, one character at a time, as Encode before its
// read-back check.
std::optional<std::string> EncodeChars(std::string_view utf8, std::size_t* badOffset);
}  // namespace detail

inline bool CanEncode(std::string_view utf8) { return Encode(utf8).has_value(); }

}  // namespace mametan::cp932
