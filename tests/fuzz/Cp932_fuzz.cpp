// Any bytes decode, and the decoded text encodes to bytes that decode to the
// same text; invalid bytes come back unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/Cp932.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string text = mametan::cp932::Decode(bytes);
  const auto back = mametan::cp932::Encode(text);
  if (!back) std::abort();
  if (mametan::cp932::Decode(*back) != text) std::abort();
  // Arbitrary input read as UTF-8 either encodes or is refused, never crashes.
  (void)mametan::cp932::Encode(bytes);
  return 0;
}
