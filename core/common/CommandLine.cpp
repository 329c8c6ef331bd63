#include "core/common/CommandLine.h"

#include "core/common/AppError.h"

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

std::optional<std::string> UnusableFolderMessage(const std::vector<std::string>& args) {
  for (std::size_t i = 0; i + 2 < args.size(); ++i) {
    if (args[i] == "/folder-error") {
      return FormatMessage("家計簿のフォルダ %s が使えません", args[i + 1]) + "\n" + args[i + 2];
    }
  }
  return std::nullopt;
}

}  // namespace mametan
