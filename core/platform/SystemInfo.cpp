#include "core/platform/SystemInfo.h"

namespace mametan {

std::optional<std::string> WindowsVersionText(std::uint32_t platformId, std::uint32_t minorVersion,
                                              std::uint32_t buildNumber) {
  switch (platformId) {
    case 0:
      return "Win32s on Windows 3.1";
    case 1: {
      // The high word of the Windows 95 family's build field repeats the
      // major and minor version.
      const std::uint32_t build = buildNumber & 0xFFFF;
      if (minorVersion == 0)
        return build <= 1000 ? "Win32 on Windows 95" : "Win32 on Windows 95 OSR2";
      if (minorVersion == 10) return "Win32 on Windows 98";
      return "Win32 on Windows";
    }
    case 2:
      return "Windows NT/2000";
    default:
      return std::nullopt;
  }
}

namespace {

// One shell-style value: double quotes with backslash escapes, single quotes
// taken literally, or a bare word.
std::string Unquote(std::string_view value) {
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r')) {
    value.remove_suffix(1);
  }
  if (value.empty()) return std::string();
  std::string out;
  const char quote = value.front();
  if (quote == '\'') {
    const std::size_t end = value.find('\'', 1);
    return std::string(value.substr(1, end == std::string_view::npos ? end : end - 1));
  }
  if (quote != '"') return std::string(value);
  for (std::size_t i = 1; i < value.size() && value[i] != '"'; ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) ++i;
    out += value[i];
  }
  return out;
}

}  // namespace

std::string OsReleasePrettyName(std::string_view osRelease) {
  constexpr std::string_view kKey = "PRETTY_NAME=";
  std::string name;
  std::size_t start = 0;
  while (start < osRelease.size()) {
    std::size_t end = osRelease.find('\n', start);
    if (end == std::string_view::npos) end = osRelease.size();
    std::string_view line = osRelease.substr(start, end - start);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (line.substr(0, kKey.size()) == kKey) name = Unquote(line.substr(kKey.size()));
    start = end + 1;
  }
  return name.empty() ? "Linux" : name;
}

}  // namespace mametan
