#pragma once
#include <string>
#include <vector>

namespace mametan {

// True when any argument, with ASCII letters lower-cased, is exactly "/debug".
bool HasDebugSwitch(const std::vector<std::string>& args);

// Debug mode: no single-instance lock, form_Main visible. Fixed once start-up
// has read the command line.
extern bool DebugMode;

}  // namespace mametan
