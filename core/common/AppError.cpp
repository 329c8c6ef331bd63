#include "core/common/AppError.h"

namespace mametan {

std::string FormatMessage(const std::string& format, const std::string& arg) {
  std::string out = format;
  const std::size_t at = out.find("%s");
  if (at != std::string::npos) out.replace(at, 2, arg);
  return out;
}

std::string ErrorBoxText(const std::string& full) {
  // The rule holds for the first line; a second one (the system's account of
  // the failure) is shown as it is.
  const std::size_t eol = full.find('\n');
  if (eol != std::string::npos) return ErrorBoxText(full.substr(0, eol)) + full.substr(eol);
  const std::string& message = full;
  if (message.empty()) return message;
  // Every character outside ASCII starts with a byte of 0x80 or more in code
  // page 932, so only an ASCII last character can sort at or before ".".
  std::size_t last = message.size() - 1;
  while (last > 0 && (static_cast<unsigned char>(message[last]) & 0xC0) == 0x80) --last;
  const auto lead = static_cast<unsigned char>(message[last]);
  return lead > '.' ? message + "." : message;
}

}  // namespace mametan
