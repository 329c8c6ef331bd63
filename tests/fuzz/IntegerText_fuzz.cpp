// The integer rule against an independent reading of the same rule.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/common/IntegerText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto value = mametan::StrToInt32(text);
  if (value) {
    // Whatever is accepted is blanks then a number: its plain decimal form
    // must read back to the same value.
    const auto again = mametan::StrToInt32(mametan::IntToStr(*value));
    if (!again || *again != *value) std::abort();
    if (text.find_first_not_of(' ') == std::string::npos) std::abort();
    if (text.back() == ' ') std::abort();
  }
  return 0;
}
