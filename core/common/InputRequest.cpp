#include "core/common/InputRequest.h"

namespace mametan {
namespace {

constexpr std::string_view kVerb = "input";

bool IsTokenText(std::string_view token) {
  if (token.empty() || token.size() + kVerb.size() + 2 > kInputRequestMax) return false;
  for (const char c : token) {
    if (c <= ' ' || c > '~') return false;
  }
  return true;
}

}  // namespace

std::string InputRequestLine(std::string_view token) {
  std::string line(kVerb);
  if (IsTokenText(token)) {
    line += ' ';
    line += token;
  }
  return line + "\n";
}

std::optional<std::string> ParseInputRequest(std::string_view line) {
  if (line.size() > kInputRequestMax || line.empty() || line.back() != '\n') return std::nullopt;
  line.remove_suffix(1);
  if (line.substr(0, kVerb.size()) != kVerb) return std::nullopt;
  line.remove_prefix(kVerb.size());
  if (line.empty()) return std::string();
  if (line.front() != ' ' || !IsTokenText(line.substr(1))) return std::nullopt;
  return std::string(line.substr(1));
}

std::optional<std::uint32_t> StartupIdTime(std::string_view id) {
  const std::size_t at = id.rfind("_TIME");
  if (at == std::string_view::npos) return std::nullopt;
  const std::string_view digits = id.substr(at + 5);
  if (digits.empty() || digits.size() > 10) return std::nullopt;
  std::uint64_t time = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    time = time * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (time > 0xFFFFFFFFu) return std::nullopt;
  return static_cast<std::uint32_t>(time);
}

}  // namespace mametan
