#pragma once
#include <optional>
#include <string>
#include <vector>

namespace mametan {

// True when any argument, with ASCII letters lower-cased, is exactly "/debug".
bool HasDebugSwitch(const std::vector<std::string>& args);

// The switches of one command line. A switch is matched whole, its ASCII
// letters in any case: "/debug", "/input" (and "--input" where
// `dashForms`, the Linux program), "/folder-error" with its two arguments.
// Any other argument that starts with '/' or '-' is an unknown switch; it is
// named on stderr and otherwise ignored, as are arguments that are no switch.
struct Switches {
  bool debug = false;
  // Show the input window: the running copy's, or this one's once it is up.
  bool input = false;
  std::vector<std::string> unknown;
};
Switches ReadSwitches(const std::vector<std::string>& args, bool dashForms);

// The line stderr gets for the unknown switches; empty when there are none.
std::string UnknownSwitchesLine(const Switches& switches);

// "/folder-error <folder> <reason>": the launcher could not use the account-book
// folder. The program then shows the standard error box with this message and
// ends without starting, so that no ledger is made in another folder.
// Nothing when the switch is absent or lacks its two arguments.
std::optional<std::string> UnusableFolderMessage(const std::vector<std::string>& args);

// Debug mode: no single-instance lock, form_Main visible. Fixed once start-up
// has read the command line.
extern bool DebugMode;

}  // namespace mametan
