#include <cstdio>
#include <string>
#include <vector>

#include "core/common/CommandLine.h"
#include "core/platform/DisplayCheck.h"
#include "qt/Application.h"
#include "qt/MessageBox.h"
#include "qt/Startup.h"

int main(int argc, char** argv) {
  using namespace mametan;
  // The launcher's report of an account-book folder it could not use: the
  // box says which and why, and nothing starts.
  if (const auto message = UnusableFolderMessage(std::vector<std::string>(argv + 1, argv + argc))) {
    std::fprintf(stderr, "mametan: %s\n", message->c_str());
    const DisplayChoice display = ChooseDisplayPlatform();
    if (display.problem) return 1;
    if (!display.platform.empty()) qputenv("QT_QPA_PLATFORM", display.platform.c_str());
    TApplication app(argc, argv);
    ShowErrorBox(QString::fromStdString(*message));
    return 1;
  }
  return RunMametan(argc, argv);
}
