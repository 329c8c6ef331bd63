// The ledger book following its file: an in-place edit far before the end of
// a 1,000,000-line ledger (found by the chunk hashes, then read again whole),
// an append to it (the hashes prove the rest unchanged, only the new line is
// read), and a 2 GiB ledger that is one unfinished line (sparse, so that
// writing it costs no disk), with the process's peak memory during its read.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/viewer/LedgerBook.h"

namespace {

std::string LedgerPath(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

void WriteLines(const std::string& path, long lines) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::string chunk;
  char line[96];
  for (long i = 0; i < lines; ++i) {
    std::snprintf(line, sizeof line, "%04ld/%02ld/%02ld,\x90\x48\x94\xEF,goods %ld,%ld\r\n",
                  2017 + i * 10 / lines, i * 120 / lines % 12 + 1, i % 28 + 1, i % 100000,
                  i % 5000);
    chunk += line;
    if (chunk.size() > (1u << 20)) {
      out << chunk;
      chunk.clear();
    }
  }
  out << chunk;
}

// Peak resident memory in MB since the last ResetPeak().
double PeakMb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024;
  }
  return -1;
}

void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

constexpr long kLines = 1000000;

void BM_InPlaceEditOfAMillionLines(benchmark::State& state) {
  const std::string path = LedgerPath("mametan-bench-edit.csv");
  WriteLines(path, kLines);
  const auto size = std::filesystem::file_size(path);
  mametan::LedgerBook book;
  book.Load(path);
  char digit = '1';
  for (auto _ : state) {
    // The first purchase's date changes its day: same size, far before the end.
    digit = digit == '1' ? '2' : '1';
    std::fstream(path, std::ios::binary | std::ios::in | std::ios::out).seekp(9) << digit;
    if (book.Refresh() != mametan::LedgerBook::Status::Ok) state.SkipWithError("not read");
  }
  state.counters["file_MB"] = static_cast<double>(size) / 1e6;
  std::filesystem::remove(path);
}
BENCHMARK(BM_InPlaceEditOfAMillionLines)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_AppendToAMillionLines(benchmark::State& state) {
  const std::string path = LedgerPath("mametan-bench-append.csv");
  WriteLines(path, kLines);
  mametan::LedgerBook book;
  book.Load(path);
  for (auto _ : state) {
    std::ofstream(path, std::ios::binary | std::ios::app) << "2027/01/31,x,appended,1\r\n";
    if (book.Refresh() != mametan::LedgerBook::Status::Ok) state.SkipWithError("not read");
  }
  if (book.months().rbegin()->first != mametan::MonthKey(2027, 1) ||
      book.months().rbegin()->second.count != static_cast<std::uint64_t>(state.iterations())) {
    state.SkipWithError("an append was not counted once");
  }
  std::filesystem::remove(path);
}
BENCHMARK(BM_AppendToAMillionLines)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_TwoGiBUnfinishedLine(benchmark::State& state) {
  const std::string path = LedgerPath("mametan-bench-endless.csv");
  std::filesystem::remove(path);
  std::ofstream(path).close();
  std::filesystem::resize_file(path, std::uintmax_t{2} << 30);
  ResetPeak();
  for (auto _ : state) {
    mametan::LedgerBook book;
    if (book.Load(path) != mametan::LedgerBook::Status::Ok || book.unreadableCount() != 1) {
      state.SkipWithError("not one unreadable line");
    }
  }
  state.counters["peak_MB"] = PeakMb();
  std::filesystem::remove(path);
}
BENCHMARK(BM_TwoGiBUnfinishedLine)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
