#include "core/common/CommandLine.h"

#include "core/common/AppError.h"

namespace mametan {

bool DebugMode = false;

namespace {

std::string AsciiLower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

bool HasDebugSwitch(const std::vector<std::string>& args) {
  return ReadSwitches(args, false).debug;
}

Switches ReadSwitches(const std::vector<std::string>& args, bool dashForms) {
  Switches switches;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string arg = AsciiLower(args[i]);
    if (arg == "/debug") {
      switches.debug = true;
    } else if (arg == "/input" || (dashForms && arg == "--input")) {
      switches.input = true;
    } else if (args[i] == "/folder-error") {
      // The launcher's report: its folder and reason are no switches even
      // when they start with '/'.
      i += 2;
    } else if (!arg.empty() && (arg[0] == '/' || arg[0] == '-')) {
      switches.unknown.push_back(args[i]);
    }
  }
  return switches;
}

std::string UnknownSwitchesLine(const Switches& switches) {
  if (switches.unknown.empty()) return {};
  std::string line = switches.unknown.size() == 1 ? "unknown switch" : "unknown switches";
  for (const std::string& arg : switches.unknown) line += " \"" + arg + "\"";
  return line + " ignored; the switches are /input and /debug";
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
