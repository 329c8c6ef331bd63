// The cost of one appended record must not grow with the ledger: the writer
// never reads the file, so a 1 GB ledger (sparse) costs what an empty one does.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "core/entry/Ledger.h"

namespace {

void BM_AppendRecord(benchmark::State& state) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("mametan-bench-" + std::to_string(state.range(0)) + ".csv");
  std::filesystem::remove(path);
  std::ofstream(path, std::ios::binary).close();
  std::filesystem::resize_file(path, static_cast<std::uintmax_t>(state.range(0)));
  const mametan::LedgerRecord record{"2001/11/29", "\x90\x48\x94\xEF", "\x8B\x8D\x93\xFB", 105};
  for (auto _ : state) {
    if (mametan::WriteLedgerRecord(record, path.string()) != mametan::LedgerOutcome::Written) {
      state.SkipWithError("the record was not written");
      break;
    }
  }
  std::filesystem::remove(path);
}
// Empty ledger against a 1 GB one.
BENCHMARK(BM_AppendRecord)->Arg(0)->Arg(std::int64_t{1} << 30)->Unit(benchmark::kMicrosecond);

}  // namespace
