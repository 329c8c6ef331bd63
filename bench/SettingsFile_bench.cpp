// The settings file's share of start and exit when other programs keep many
// sections in it: the load at start and the save at exit of the ten values,
// on a file of 64,000 sections (8 MB) with the program's section last, and on
// one of 770,000 sections (100 MB). Argument: sections.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "core/app/SettingsStore.h"
#include "core/platform/IniRegistry.h"

namespace {

std::string MakeFile(std::int64_t sections) {
  const std::string path = "/tmp/mametan-settings-bench-" + std::to_string(getpid()) + "-" +
                           std::to_string(sections) + ".ini";
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (std::int64_t i = 0; i < sections; ++i) {
    out << "[Program" << i << "]\nwindow=10,20,300,400\nrecent=/home/u/file" << i
        << ".txt\nmode=1\nfont=Noto Sans CJK JP,10,normal\ngeometry=0,0,1920,1080\n\n";
  }
  out << "[Mametan]\nFile_Kakeibo=kakeibo.csv\nFile_Kind=item.txt\nTax=5\n";
  return path;
}

void BM_LoadAtStart(benchmark::State& state) {
  const std::string path = MakeFile(state.range(0));
  for (auto _ : state) {
    mametan::IniRegistry registry(path);
    mametan::TApSystem r;
    mametan::LoadSettings(registry, r);
    benchmark::DoNotOptimize(r);
  }
  std::remove(path.c_str());
}
BENCHMARK(BM_LoadAtStart)->Arg(64'000)->Arg(770'000)->Unit(benchmark::kMillisecond);

// Every exit writes a changed position: the worst case, one replace.
void BM_SaveAtExit(benchmark::State& state) {
  const std::string path = MakeFile(state.range(0));
  int left = 0;
  for (auto _ : state) {
    mametan::IniRegistry registry(path);
    mametan::TApSystem r;
    r.InputWindow_Left = ++left;
    mametan::SaveSettings(registry, r);
  }
  std::remove(path.c_str());
}
BENCHMARK(BM_SaveAtExit)->Arg(64'000)->Arg(770'000)->Unit(benchmark::kMillisecond);

void BM_SaveUnchanged(benchmark::State& state) {
  const std::string path = MakeFile(state.range(0));
  mametan::TApSystem r;
  {
    mametan::IniRegistry registry(path);
    mametan::LoadSettings(registry, r);
    mametan::SaveSettings(registry, r);
  }
  for (auto _ : state) {
    mametan::IniRegistry registry(path);
    mametan::SaveSettings(registry, r);
  }
  std::remove(path.c_str());
}
BENCHMARK(BM_SaveUnchanged)->Arg(64'000)->Unit(benchmark::kMillisecond);

}  // namespace
