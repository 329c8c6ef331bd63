// Any bytes split into kinds that hold no line break or NUL, whose bytes are
// the text's up to its first NUL minus the breaks, and which split the same
// again when written back one per line with CR LF.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/entry/Classification.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const auto kinds = mametan::ParseClassificationText(bytes);

  std::string joined;
  std::string rewritten;
  for (const std::string& kind : kinds) {
    if (kind.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) std::abort();
    joined += kind;
    rewritten += kind + "\r\n";
  }
  std::string visible = bytes.substr(0, bytes.find('\0'));
  std::string expected;
  for (const char c : visible) {
    if (c != '\r' && c != '\n') expected += c;
  }
  if (joined != expected) std::abort();
  if (visible.empty() != kinds.empty()) std::abort();
  if (mametan::ParseClassificationText(rewritten) != kinds) std::abort();
  return 0;
}
