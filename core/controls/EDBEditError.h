#pragma once
// Raised when a masked field is left (or confirmed) with a required position
// unfilled. Its text is what the standard error box shows.
#include <stdexcept>
#include <string>

namespace mametan {

inline constexpr const char* kInvalidInputMessage =
    "入力値が不正です。エスケープキーで変更を取り消せます";

class EDBEditError : public std::runtime_error {
 public:
  explicit EDBEditError(const std::string& message = kInvalidInputMessage)
      : std::runtime_error(message) {}
};

}  // namespace mametan
