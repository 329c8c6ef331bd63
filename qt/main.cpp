#include "qt/Startup.h"

int main(int argc, char** argv) { return mametan::RunMametan(argc, argv); }
