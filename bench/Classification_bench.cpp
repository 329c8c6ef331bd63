// Splitting a large classification file: 100,000 lines of mixed kinds.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/entry/Classification.h"

namespace {

std::string KindFile(int lines) {
  static const char* const names[] = {"\x90\x48\x94\xEF", "\x8E\x47\x89\xDD  ", "",
                                      "\x90\x85\x93\xB9\x8C\xF5\x94\x4D\x94\xEF", "misc"};
  std::string text;
  for (int i = 0; i < lines; ++i) {
    text += names[i % 5];
    text += std::to_string(i);
    text += (i % 7 == 0) ? "\n" : "\r\n";
  }
  return text;
}

void BM_ParseClassificationText(benchmark::State& state) {
  const std::string text = KindFile(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    auto kinds = mametan::ParseClassificationText(text);
    benchmark::DoNotOptimize(kinds);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseClassificationText)->Arg(100000)->Unit(benchmark::kMillisecond);

// The same from a file on disk: open, read all, close, split.
void BM_ReadClassificationFile(benchmark::State& state) {
  const auto path = std::filesystem::temp_directory_path() / "mametan-bench-item.txt";
  std::ofstream(path, std::ios::binary) << KindFile(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    auto file = mametan::ReadClassificationFile(path.string());
    benchmark::DoNotOptimize(file);
  }
  std::filesystem::remove(path);
}
BENCHMARK(BM_ReadClassificationFile)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
