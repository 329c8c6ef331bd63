// Any bytes decode, and the decoded text encodes again to bytes that read
// back as the same text: byte for byte unless the bytes hold a character
// that code page 932 codes twice (rows 0x87, 0xED-0xEE and 0xFA-0xFC), which
// comes back as Windows writes it. Such a character's other code after an
// invalid lead byte would join it: that text is refused.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/platform/Cp932.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mametan::cp932;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string text = Decode(bytes);
  const auto back = Encode(text);
  // Refused only where a raw byte would join the next character's code into
  // another character; what is written always reads back as the same text.
  if (!back) {
    bool raw = false;
    for (std::size_t i = 0; i + 2 < text.size(); ++i) {
      raw = raw || (text[i] == '\xEF' && (text[i + 1] == '\x9E' || text[i + 1] == '\x9F'));
    }
    if (!raw) std::abort();
    return 0;
  }
  if (Decode(*back) != text) std::abort();
  bool duplicateRows = false;
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint8_t b = data[i];
    duplicateRows = duplicateRows || b == 0x87 || b == 0xED || b == 0xEE || b >= 0xFA;
  }
  if (!duplicateRows && *back != bytes) std::abort();
  // Arbitrary input read as UTF-8 either encodes or is refused, never crashes.
  (void)Encode(bytes);
  return 0;
}
