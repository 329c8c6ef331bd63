#pragma once
// The one text-to-integer rule of the program, shared by the settings store,
// the input window's price and the spin edit:
//   leading blanks (0x20 only), then either an optional "+" or "-" and one or
//   more decimal digits within the signed 32-bit range, or one of the prefixes
//   "$", "x", "X", "0x", "0X" (no sign) and hexadecimal digits whose value fits
//   in 32 bits, read as a signed 32-bit pattern ($FFFFFFFF is -1).
//   Nothing may follow the number, trailing blanks included.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mametan {

std::optional<std::int32_t> StrToInt32(std::string_view text);

// Plain decimal: "-" before negative numbers, no leading zeros or blanks.
std::string IntToStr(std::int64_t value);

}  // namespace mametan
