// The classification file editor's text on a 52 MB file of 8.7 million
// lines: showing it (line ends, decoding), and writing it back unchanged and
// with one line changed in the middle.
#include <benchmark/benchmark.h>

#include <string>

#include "core/dialogs/KindFileText.h"

namespace {

const std::string& BigFile() {
  static const std::string bytes = [] {
    static const char* const names[] = {"\x90\x48\x94\xEF", "\x8E\x47\x89\xDD", "\x87\x90", "misc",
                                        "\xED\x40"};
    std::string s;
    s.reserve(53'000'000);
    for (int i = 0; s.size() < 52'000'000; ++i) {
      s += names[i % 5];
      s += "\r\n";
    }
    return s;
  }();
  return bytes;
}

void BM_Show(benchmark::State& state) {
  for (auto _ : state) {
    const mametan::KindFileText file(BigFile());
    std::string text = file.Text();
    benchmark::DoNotOptimize(text);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * BigFile().size()));
}
BENCHMARK(BM_Show)->Unit(benchmark::kMillisecond);

void BM_SaveUnchanged(benchmark::State& state) {
  const mametan::KindFileText file(BigFile());
  const std::string text = file.Text();
  for (auto _ : state) {
    auto bytes = file.Encode(text);
    benchmark::DoNotOptimize(bytes);
    if (!bytes || *bytes != BigFile()) state.SkipWithError("not byte-identical");
  }
}
BENCHMARK(BM_SaveUnchanged)->Unit(benchmark::kMillisecond);

void BM_SaveOneLineChanged(benchmark::State& state) {
  const mametan::KindFileText file(BigFile());
  std::string text = file.Text();
  text.insert(text.find('\n', text.size() / 2) + 1, "\xE6\x96\xB0\n");  // 新
  for (auto _ : state) {
    auto bytes = file.Encode(text);
    benchmark::DoNotOptimize(bytes);
    if (!bytes || bytes->size() != BigFile().size() + 4) state.SkipWithError("wrong size");
  }
}
BENCHMARK(BM_SaveOneLineChanged)->Unit(benchmark::kMillisecond);

}  // namespace
