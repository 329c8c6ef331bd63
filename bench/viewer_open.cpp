// The ledger viewer on a generated ledger: the time from nothing to its
// latest month shown, a change of month, the reading of one appended line,
// and the process's memory. The ledger spans ten years in date order with
// eight kinds, about 40 bytes a line; "shuffled" puts the dates in random
// order, so that every month's lines spread over the whole file; "month" puts
// every line in one month (November 2026), the month that is shown, so that
// the table holds them all; "longline" follows the lines with 2 GiB without
// a line end, a last line the viewer must skip without holding it. Offscreen
// unless QT_QPA_PLATFORM says otherwise; prints one line of figures.
//   bench_viewer [lines=1000000] [shuffled|month|longline]
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "core/entry/Ledger.h"
#include "qt/ViewerWindow.h"

namespace {

// Written a piece at a time, so that the file costs this process no memory.
enum class Spread { Years, Shuffled, Month, LongLine };

void WriteLedger(const std::string& path, long lines, Spread spread) {
  static const char* const kinds[] = {"\x90\x48\x94\xEF",         "\x93\xFA\x97\x70\x95\x69",
                                      "\x8C\xF0\x92\xCA\x94\xEF", "\x8A\x4F\x90\x48",
                                      "\x8C\xF5\x94\x4D\x94\xEF", "\x88\xE3\x97\xC3\x94\xEF",
                                      "\x8E\xEF\x96\xA1",         "\x88\xDF\x95\x9E"};
  std::ofstream out(path, std::ios::binary);
  out << mametan::kLedgerHeader;
  const long days = 3650;
  std::string chunk;
  unsigned seed = 12345;
  for (long i = 0; i < lines; ++i) {
    seed = seed * 1103515245u + 12345u;
    const long day = spread == Spread::Shuffled ? static_cast<long>(seed >> 4) % days
                     : spread == Spread::Month  ? 9 * 365 + 10 * 31 + i * 28 / std::max(lines, 1L)
                                                : i * days / std::max(lines, 1L);
    const int year = 2017 + static_cast<int>(day / 365);
    const int month = static_cast<int>(day % 365 / 31) + 1;
    const int date = static_cast<int>(day % 365 % 31 % 28) + 1;
    seed = seed * 1103515245u + 12345u;
    char line[128];
    std::snprintf(line, sizeof line, "%04d/%02d/%02d,%s,goods number %ld,%u\r\n", year,
                  std::min(month, 12), date, kinds[seed >> 29], i % 100000, (seed >> 8) % 5000);
    chunk += line;
    if (chunk.size() > (1u << 20)) {
      out << chunk;
      chunk.clear();
    }
  }
  out << chunk;
  if (spread == Spread::LongLine) {
    const std::string nothing(std::size_t{1} << 20, '\0');
    for (int i = 0; i < 2048; ++i) out << nothing;
  }
}

// Lets the window run until the ledger is read; the reading is done in
// steps between the window's events.
void WaitForRead(mametan::Tform_View& view) {
  while (view.presenter().page().status.rfind(mametan::viewer_text::kReading, 0) == 0) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  QCoreApplication::processEvents();
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
  const long lines = argc > 1 ? std::atol(argv[1]) : 1000000;
  QApplication app(argc, argv);
  QTemporaryDir dir;
  const std::string path = dir.filePath("kakeibo.csv").toStdString();
  const char* spreadName = argc > 2 ? argv[2] : "";
  const Spread spread = std::strcmp(spreadName, "shuffled") == 0   ? Spread::Shuffled
                        : std::strcmp(spreadName, "month") == 0    ? Spread::Month
                        : std::strcmp(spreadName, "longline") == 0 ? Spread::LongLine
                                                                   : Spread::Years;
  WriteLedger(path, lines, spread);
  const double fileMb = static_cast<double>(std::ifstream(path, std::ios::ate).tellg()) / 1e6;
  const double baseMb = StatusMb("VmRSS:");

  QElapsedTimer timer;
  timer.start();
  mametan::Tform_View view(mametan::MonthKey(2026, 12));
  view.presenter().Open(path);
  view.show();
  WaitForRead(view);
  const qint64 openMs = timer.elapsed();
  const std::size_t shownRows = view.presenter().page().rowCount;

  // Back a year, month by month, and then to the first month shown again:
  // the slowest change counts.
  qint64 worstChangeMs = 0;
  for (int i = 0; i < 13; ++i) {
    timer.restart();
    if (i < 12)
      view.presenter().PreviousMonth();
    else
      view.presenter().SetYear(view.presenter().page().year + 1);
    WaitForRead(view);
    worstChangeMs = std::max(worstChangeMs, timer.elapsed());
  }

  // An append to the month shown.
  timer.restart();
  char appendDate[16];
  std::snprintf(appendDate, sizeof appendDate, "%04d/%02d/28", view.presenter().page().year,
                view.presenter().page().month);
  mametan::WriteLedgerRecord({appendDate, "x", "appended", 1}, path);
  view.presenter().FileChanged();
  WaitForRead(view);
  const qint64 appendMs = timer.elapsed();

  std::printf(
      "lines=%ld%s%s file=%.1fMB rows_shown=%zu open+show=%lldms month_change_worst=%lldms "
      "append=%lldms rss_before=%.1fMB rss=%.1fMB peak=%.1fMB\n",
      lines, *spreadName ? " " : "", spreadName, fileMb, shownRows, static_cast<long long>(openMs),
      static_cast<long long>(worstChangeMs), static_cast<long long>(appendMs), baseMb,
      StatusMb("VmRSS:"), StatusMb("VmHWM:"));
  return 0;
}
