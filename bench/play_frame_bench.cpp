// One play frame of the sample game's first stage (the play logic and the
// drawing into the back buffer, no present) on both back ends, at one and at
// twenty sub-steps a frame. The hero walks back and forth and jumps, so the
// camera, the backgrounds and the map cells move. The budget of a frame is
// 16.7 ms; the goal is under 0.5 ms with no allocation in steady play.
// Beside it the frame of a stage of one floor row with a new stage's plain
// background: what the sample's pictures and map add.

#include <benchmark/benchmark.h>

#include "bench/alloc_count.h"
#include "stagedata/stage_globals.h"
#include "testing/play_world.h"

namespace {

constexpr int kPeriod = 120;  // frames of walking right, then left again

void PlayFrame(benchmark::State& state, bool bSample) {
  const bool bGpu = state.range(0) != 0;
  const int nLevel = static_cast<int>(state.range(1)) == 1 ? 11 : 20;  // 1 or 20 sub-steps
  cPlayWorld world({.rows = {"#.........................................#",
                             "#.........................................#",
                             "#.........................................#",
                             "#.........................................#",
                             "#.........................................#",
                             "#.H.......................................#",
                             "###########################################"},
                    .bGpu = bGpu});
  if (!world.m_bStarted) {
    state.SkipWithError("the drawing library did not start");
    return;
  }
  if (bSample && !world.LoadSampleStage("data\\stg4\\w01-1.stg4")) {
    state.SkipWithError("the sample stage did not load");
    return;
  }
  g_Stage.m_nCollisionLevel = g_StageStart.m_nCollisionLevel = nLevel;
  // No time limit: the measuring may run longer than the stage's time.
  g_Stage.m_bTimeLimit = g_StageStart.m_bTimeLimit = 0;
  world.Start();
  if (!world.RunUntilPlay()) {
    state.SkipWithError("play did not start");
    return;
  }
  int nFrame = 0;
  auto frame = [&] {
    const int t = nFrame++ % (2 * kPeriod);
    const uint16_t wDir = t < kPeriod ? kKeyRight : kKeyLeft;
    const uint16_t wButtons = (t % 40) < 10 ? kButtonJump : 0;
    world.Frame(wDir, wButtons);
    return world.Scene().m_nState == 2;
  };
  // Into steady play: a whole period, every flow and surface used once.
  for (int i = 0; i < 2 * kPeriod; ++i) {
    if (!frame()) {
      state.SkipWithError("play did not go on");
      return;
    }
  }
  const long long nBefore = g_nBenchAllocs.load();
  for (auto _ : state) {
    if (!frame()) {
      state.SkipWithError("play did not go on");
      return;
    }
  }
  ReportAllocs(state, nBefore);
}

void BM_SampleStageFrame(benchmark::State& state) { PlayFrame(state, true); }
BENCHMARK(BM_SampleStageFrame)
    ->ArgNames({"gpu", "substeps"})
    ->ArgsProduct({{0, 1}, {1, 20}})
    ->Unit(benchmark::kMicrosecond);

void BM_BareStageFrame(benchmark::State& state) { PlayFrame(state, false); }
BENCHMARK(BM_BareStageFrame)
    ->ArgNames({"gpu", "substeps"})
    ->ArgsProduct({{0, 1}, {1, 20}})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
