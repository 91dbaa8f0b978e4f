// FormatString against snprintf, and the stored-path mapping against one stat.

#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "app/base/file_system.h"
#include "app/base/format.h"

namespace {

void BM_FormatString(benchmark::State& state) {
  std::string s;
  for (auto _ : state) {
    FormatString(s, "err V[%d] ( %d , %d ) %s", 12, 34, 56, "data\\stg4\\w01.stg4_695");
    benchmark::DoNotOptimize(s);
  }
}
BENCHMARK(BM_FormatString);

void BM_Snprintf(benchmark::State& state) {
  char buffer[5120];
  for (auto _ : state) {
    int n = std::snprintf(buffer, sizeof buffer, "err V[%d] ( %d , %d ) %s", 12, 34, 56,
                          "data\\stg4\\w01.stg4_695");
    benchmark::DoNotOptimize(n);
    benchmark::DoNotOptimize(buffer);
  }
}
BENCHMARK(BM_Snprintf);

// A game folder with a stage file under a differently cased folder name.
struct BenchFolder {
  BenchFolder() {
    namespace fs = std::filesystem;
    root = fs::temp_directory_path() / "player-bench-paths";
    fs::create_directories(root / "Data" / "stg4");
    std::ofstream(root / "Data" / "stg4" / "w01.stg4_695") << "x";
    previous = fs::current_path();
    fs::current_path(root);
  }
  ~BenchFolder() {
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(root);
  }
  std::filesystem::path root, previous;
};

void BM_MapPathExact(benchmark::State& state) {
  BenchFolder folder;
  for (auto _ : state) benchmark::DoNotOptimize(MapPath("Data\\stg4\\w01.stg4_695"));
}
BENCHMARK(BM_MapPathExact);

void BM_MapPathOtherCase(benchmark::State& state) {
  BenchFolder folder;
  for (auto _ : state) benchmark::DoNotOptimize(MapPath("data\\STG4\\W01.stg4_695"));
}
BENCHMARK(BM_MapPathOtherCase);

void BM_StatPeer(benchmark::State& state) {
  BenchFolder folder;
  struct stat st;
  for (auto _ : state) benchmark::DoNotOptimize(::stat("Data/stg4/w01.stg4_695", &st));
}
BENCHMARK(BM_StatPeer);

}  // namespace
