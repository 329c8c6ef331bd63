#include "core/platform/Cp932.h"

#include "core/platform/Utf8.h"

namespace mametan::cp932 {
namespace {

// The one-way mappings of the code page's table: the character typed, and
// the one its bytes read back as.
struct OneWay {
  char32_t typed, read;
};
constexpr OneWay kOneWay[] = {
    {0x00A2, 0xFFE0}, {0x00A3, 0xFFE1}, {0x00A5, 0x005C}, {0x00AC, 0xFFE2}, {0x2014, 0x2015},
    {0x2016, 0x2225}, {0x203E, 0x007E}, {0x2212, 0xFF0D}, {0x301C, 0xFF5E},
};

bool ReadsBackAs(char32_t typed, char32_t read) {
  if (typed == read) return true;
  for (const OneWay& m : kOneWay) {
    if (m.typed == typed) return m.read == read;
  }
  return false;
}

}  // namespace

std::optional<std::string> Encode(std::string_view utf8, std::size_t* badOffset) {
  auto bytes = detail::EncodeChars(utf8, badOffset);
  if (!bytes) return bytes;
  // Every character must come back from the bytes as itself, or as its
  // one-way mapping's target.
  const std::string back = Decode(*bytes);
  std::size_t pos = 0, backPos = 0;
  while (pos < utf8.size()) {
    char32_t typed = 0, read = 0;
    const std::size_t len = utf8::DecodeOne(utf8, pos, typed);
    const std::size_t backLen = utf8::DecodeOne(back, backPos, read);
    if (backLen == 0 || !ReadsBackAs(typed, read)) {
      if (badOffset) *badOffset = pos;
      return std::nullopt;
    }
    pos += len, backPos += backLen;
  }
  return bytes;
}

}  // namespace mametan::cp932
