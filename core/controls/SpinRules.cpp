#include "core/controls/SpinRules.h"

#include "core/common/IntegerText.h"

namespace mametan {

std::int32_t CheckSpinValue(std::int32_t value, std::int32_t minValue, std::int32_t maxValue) {
  if (maxValue == minValue) return value;
  if (value < minValue) return minValue;
  if (value > maxValue) return maxValue;
  return value;
}

SpinRead ReadSpinText(std::string_view text, std::int32_t minValue) {
  if (const auto v = StrToInt32(text)) return {*v, false};
  return {minValue, true};
}

std::int32_t StepSpinValue(std::int32_t value, std::int32_t increment, bool up) {
  const auto a = static_cast<std::uint32_t>(value);
  const auto b = static_cast<std::uint32_t>(increment);
  return static_cast<std::int32_t>(up ? a + b : a - b);
}

bool IsValidSpinChar(char32_t c, char32_t decimalSeparator, bool editorEnabled) {
  bool valid = c == decimalSeparator || c == U'+' || c == U'-' || (c >= U'0' && c <= U'9') ||
               (c < 32 && c != 13);
  if (!editorEnabled && (c >= 32 || c == 8 || c == 46)) valid = false;
  return valid;
}

}  // namespace mametan
