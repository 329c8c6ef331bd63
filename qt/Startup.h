#pragma once

namespace mametan {

// The whole run: command line, single instance, windows, event loop. Returns
// the process exit code (1 when another instance runs or the settings could
// not be saved when the session or a signal ended the program, 0 otherwise).
int RunMametan(int argc, char** argv);

}  // namespace mametan
