// The input window's first open with a large classification file: the time
// the file takes at start-up, the first show (the kind box is filled then)
// and the first drop-down of the kind list, and the process's memory.
// Offscreen unless QT_QPA_PLATFORM says otherwise (xcb under Xvfb is the
// desktop's path); prints one line of figures.   bench_kindbox [lines=1000000]
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "core/common/ApSystem.h"
#include "qt/InputWindow.h"

namespace {

// Mixed kinds of about 13 bytes a line: Japanese, with blanks, empty, ASCII.
void WriteKindFile(const std::string& path, int lines) {
  static const char* const names[] = {"\x90\x48\x94\xEF", "\x8E\x47\x89\xDD  ", "",
                                      "\x90\x85\x93\xB9\x8C\xF5\x94\x4D\x94\xEF", "misc"};
  std::string text;
  for (int i = 0; i < lines; ++i) {
    text += names[i % 5];
    text += std::to_string(i);
    text += "\r\n";
  }
  std::ofstream(path, std::ios::binary) << text;
}

// A field of /proc/self/status in megabytes.
double StatusMb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::atof(line.c_str() + std::strlen(field) + 1) / 1024;
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const int lines = argc > 1 ? std::atoi(argv[1]) : 1000000;
  QApplication app(argc, argv);
  QTemporaryDir dir;
  const std::string path = dir.filePath("item.txt").toStdString();
  WriteKindFile(path, lines);
  const double fileMb = static_cast<double>(std::ifstream(path, std::ios::ate).tellg()) / 1e6;
  mametan::SettingsRecord.File_Kind = path;
  const double baseMb = StatusMb("VmRSS:");

  QElapsedTimer timer;
  timer.start();
  mametan::Tform_Input input;
  const qint64 readMs = timer.restart();
  // As a left press on the icon does it: show, raise, activate, then let
  // the window be mapped, focused and painted.
  input.show();
  input.raise();
  input.activateWindow();
  QElapsedTimer settle;
  settle.start();
  while (settle.elapsed() < 300) app.processEvents();
  const qint64 openMs = timer.restart() - 300;
  auto* box = input.findChild<QComboBox*>(QStringLiteral("cbbox_Kind"));
  box->showPopup();
  app.processEvents();
  const qint64 dropMs = timer.elapsed();
  box->hidePopup();
  app.processEvents();

  std::printf(
      "%d kinds (%.1f MB file): read at start-up %lld ms, first open %lld ms, first drop-down "
      "%lld ms; RSS %.0f MB (peak %.0f MB; %.0f MB before the window); %d items\n",
      lines, fileMb, static_cast<long long>(readMs), static_cast<long long>(openMs),
      static_cast<long long>(dropMs), StatusMb("VmRSS:"), StatusMb("VmHWM:"), baseMb, box->count());
  return box->count() == lines ? 0 : 1;
}
