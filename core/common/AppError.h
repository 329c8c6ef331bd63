#pragma once
// The program's own errors: their text is what the standard error box shows.
#include <stdexcept>
#include <string>

namespace mametan {

class AppError : public std::runtime_error {
 public:
  explicit AppError(const std::string& message) : std::runtime_error(message) {}
};

// Replaces the first "%s" of `format` with `arg`.
std::string FormatMessage(const std::string& format, const std::string& arg);

// The text of the standard error box: a full stop is appended when the last
// character sorts after "." in code page 932 byte order (so Japanese texts,
// even those ending in "。", get one). For a message of two lines the rule
// is applied to the first.
std::string ErrorBoxText(const std::string& message);

}  // namespace mametan
