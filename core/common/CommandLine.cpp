#include "core/common/CommandLine.h"

namespace mametan {

bool DebugMode = false;

bool HasDebugSwitch(const std::vector<std::string>& args) {
  for (std::string arg : args) {
    for (char& c : arg) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    if (arg == "/debug") return true;
  }
  return false;
}

}  // namespace mametan
