#pragma once

namespace mametan {

// The whole run: command line, single instance, windows, event loop. Returns
// the process exit code (1 when another instance runs, 0 otherwise).
int RunMametan(int argc, char** argv);

}  // namespace mametan
