#pragma once
#include <optional>
#include <string>
#include <vector>

namespace mametan {

// True when any argument, with ASCII letters lower-cased, is exactly "/debug".
bool HasDebugSwitch(const std::vector<std::string>& args);

// "/folder-error <folder> <reason>": the launcher could not use the account-book
// folder. The program then shows the standard error box with this message and
// ends without starting, so that no ledger is made in another folder.
// Nothing when the switch is absent or lacks its two arguments.
std::optional<std::string> UnusableFolderMessage(const std::vector<std::string>& args);

// Debug mode: no single-instance lock, form_Main visible. Fixed once start-up
// has read the command line.
extern bool DebugMode;

}  // namespace mametan
