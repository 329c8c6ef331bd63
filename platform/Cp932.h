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
