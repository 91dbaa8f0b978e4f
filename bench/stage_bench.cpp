// Loading a large stage beside the cost of just getting its bytes: the whole
// stage file read and parsed (palettes, 50,000 placed blocks, 2,000
// characters with flows) against one fread of the same file.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/base/file_system.h"
#include "stagedata/common_palette.h"
#include "stagedata/stage.h"
#include "stagedata/stage_file.h"
#include "stagedata/tests/stage_generator.h"

namespace {

constexpr const char* kStagePath = "data\\stg4\\big.stg4_695";

// A temporary game folder holding one large generated stage file.
class StageFolder {
 public:
  StageFolder() {
    namespace fs = std::filesystem;
    m_Previous = fs::current_path();
    std::string strTemplate = (fs::temp_directory_path() / "player-bench-stage-XXXXXX").string();
    if (::mkdtemp(strTemplate.data()) == nullptr) std::abort();
    m_Root = strTemplate;
    fs::current_path(m_Root);
    fs::create_directories("data/stg4");
    GenerateCommonPalette(m_common);
    cEdStage stage;
    GenerateStage(stage, cStageGenOptions{.nWidth = 1000,
                                          .nHeight = 200,
                                          .nPlacedBlocks = 50000,
                                          .nPlacedCharas = 2000,
                                          .nPlacedItems = 300,
                                          .nFlowsPerChara = 3,
                                          .nCommandsPerFlow = 4});
    if (!WriteStageFile(stage, kStagePath, Refs())) std::abort();
    ReadWholeFile(kStagePath, m_bytes);
  }
  ~StageFolder() {
    std::filesystem::current_path(m_Previous);
    std::filesystem::remove_all(m_Root);
  }
  cStageRefs Refs() const { return GeneratorRefs(&m_common, nullptr); }
  size_t Size() const { return m_bytes.size(); }

 private:
  std::filesystem::path m_Root, m_Previous;
  cCommonPalette m_common;
  cFileBytes m_bytes;
};

StageFolder& Folder() {
  static StageFolder s_folder;
  return s_folder;
}

void BM_StageLoad(benchmark::State& state) {
  StageFolder& folder = Folder();
  const cStageRefs refs = folder.Refs();
  for (auto _ : state) {
    // A fresh stage for each load; making and destroying it is not the load.
    state.PauseTiming();
    auto pStage = std::make_unique<cEdStage>();
    state.ResumeTiming();
    eStageRead result = ReadStageFile(*pStage, kStagePath, refs);
    benchmark::DoNotOptimize(result);
    if (result != eStageRead::Ok) state.SkipWithError("load failed");
    state.PauseTiming();
    pStage.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * folder.Size()));
  state.counters["file_bytes"] = static_cast<double>(folder.Size());
}
BENCHMARK(BM_StageLoad)->Unit(benchmark::kMillisecond);

// Load into the same stage again, as the program does with g_Stage: the
// previous stage's lists are released on the way.
void BM_StageReload(benchmark::State& state) {
  StageFolder& folder = Folder();
  const cStageRefs refs = folder.Refs();
  cEdStage stage;
  for (auto _ : state) {
    eStageRead result = ReadStageFile(stage, kStagePath, refs);
    benchmark::DoNotOptimize(result);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * folder.Size()));
}
BENCHMARK(BM_StageReload)->Unit(benchmark::kMillisecond);

// Peer: open the same file through the same path mapping, one fread, close.
void BM_StageFileFread(benchmark::State& state) {
  StageFolder& folder = Folder();
  std::vector<char> buffer(folder.Size());
  for (auto _ : state) {
    FILE* fp = OpenFile(kStagePath, "rb");
    size_t n = std::fread(buffer.data(), 1, buffer.size(), fp);
    std::fclose(fp);
    benchmark::DoNotOptimize(n);
    benchmark::DoNotOptimize(buffer.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * folder.Size()));
}
BENCHMARK(BM_StageFileFread)->Unit(benchmark::kMillisecond);

}  // namespace
