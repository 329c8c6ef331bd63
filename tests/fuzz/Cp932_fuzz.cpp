// Any bytes decode, and the decoded text always encodes again, byte for byte
// unless the bytes hold a character that code page 932 codes twice (rows
// 0x87, 0xED-0xEE and 0xFA-0xFC), which comes back as Windows writes it.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/Cp932.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mametan::cp932;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const auto back = Encode(Decode(bytes));
  if (!back) std::abort();
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
