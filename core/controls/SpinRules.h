#pragma once
// The spin edit's value and character rules. The value lives only in the
// field's text; these functions say how that text is read, kept in range,
// stepped and typed.
#include <cstdint>
#include <string>
#include <string_view>

namespace mametan {

// A held spin button clicks first after kSpinFirstRepeatMs, then every
// kSpinRepeatMs while it stays down, and once more on a release inside it.
inline constexpr int kSpinFirstRepeatMs = 400;
inline constexpr int kSpinRepeatMs = 100;

// The value brought into [minValue, maxValue]. Equal bounds mean no range at
// all. With maxValue < minValue every value below minValue gives minValue and
// every other value gives maxValue.
std::int32_t CheckSpinValue(std::int32_t value, std::int32_t minValue, std::int32_t maxValue);

// Reads the field's text with the program's integer rule. A text that does
// not convert reads as minValue and `replaced` is set: the field must then
// show minValue. A text that converts is returned as it is, not clamped.
struct SpinRead {
  std::int32_t value = 0;
  bool replaced = false;
};
SpinRead ReadSpinText(std::string_view text, std::int32_t minValue);

// value + increment (or minus), wrapping at the 32-bit ends the way the
// field's arithmetic always has instead of overflowing.
std::int32_t StepSpinValue(std::int32_t value, std::int32_t increment, bool up);

// Whether a typed character may enter the field: the locale's decimal
// separator, "+", "-", digits and control characters other than Enter.
// With the editor disabled only control characters other than Backspace and
// Enter pass (and never code 46).
bool IsValidSpinChar(char32_t c, char32_t decimalSeparator, bool editorEnabled);

}  // namespace mametan
