// One frame of flows for a crowd: 2,000 characters with three running flows
// each (a parallel straight move beside a blocking wait) at 10 sub-steps a
// frame, every sub-step as the play frame runs it: the trigger-0 scan, the
// flow step and its end. Beside it the bare work those steps stand for: the
// same number of countdowns decremented and velocities added in flat arrays,
// so the figure of interest is the ratio.
//
// A line of コードの実行 of 40 tokens (two assignments of 19 operands between
// them), run as the command runs it, beside a plain integer loop doing the
// same arithmetic on the same values.

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "bench/alloc_count.h"
#include "flow/command_table.h"
#include "flow/flow.h"
#include "flow/runtime/expression.h"
#include "flow/runtime/flow_runner.h"
#include "objects/chara.h"
#include "play/play_scene.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/stage_globals.h"

namespace {

constexpr int kCharas = 2000;
constexpr int kFlows = 3;
constexpr int kSubSteps = 10;

cFlow MovingFlow(int nDirection) {
  cFlow flow;
  flow.m_cTrigger = 0;
  cFlowCommand move;
  move.m_cType = CMD_MOVE_STRAIGHT;
  move.m_sUseTime = 30000;
  move.m_bParallel = 1;
  CreateMove(move.m_pMove);
  move.m_pMove->m_nDirection = static_cast<uint8_t>(nDirection);
  move.m_pMove->m_nSpeed = 20;
  cFlowCommand wait;
  wait.m_cType = CMD_WAIT;
  wait.m_sUseTime = 30000;
  flow.m_Commands.push_back(move);
  flow.m_Commands.push_back(wait);
  return flow;
}

class cCrowd {
 public:
  cCrowd() {
    g_Stage.SetCollisionLevel(kSubSteps);
    m_lpScene = std::make_unique<cPlayScene>();
    g_lpPlayScene = m_lpScene.get();
    for (int i = 0; i < kCharas; ++i) {
      auto lpChara = std::make_unique<cChara>();
      cChara& c = *lpChara;
      c.Reset(nullptr, 400.0 + i, 400.0, 0);
      c.m_nHp = c.m_Def.m_nMaxHp = 100;
      c.m_bFly = 1;
      for (int f = 0; f < kFlows; ++f) c.m_Def.m_vFlow.push_back(MovingFlow(2 + f));
      c.SetFlows(c.m_Def.m_vFlow, 0, 0, 0);
      m_Charas.push_back(std::move(lpChara));
    }
    Frame();  // every flow starts
  }
  ~cCrowd() {
    m_Charas.clear();
    g_lpPlayScene = nullptr;
  }

  void Frame() {
    for (auto& lp : m_Charas) lp->ResetTriggerLatches();
    for (int s = 0; s < kSubSteps; ++s) {
      for (auto& lp : m_Charas) {
        cChara& c = *lp;
        c.RaiseTrigger(0);
        c.m_dVX = c.m_dVY = 0.0;
        StepCharaFlows(c, 0);
        EndFlowStep(c);
      }
    }
  }

  // Restarts every flow, so that no wait runs out however long the
  // benchmark runs.
  void Restart() {
    for (auto& lp : m_Charas)
      for (cFlowRunner& r : lp->m_vRunners) r.Start(*lp);
  }

  double Sum() const {
    double d = 0.0;
    for (const auto& lp : m_Charas) d += lp->m_dVX + lp->m_dVY;
    return d;
  }

 private:
  std::unique_ptr<cPlayScene> m_lpScene;
  std::vector<std::unique_ptr<cChara>> m_Charas;
};

void BM_FlowFrame(benchmark::State& state) {
  cCrowd crowd;
  const long long nBefore = g_nBenchAllocs.load();
  int nFrames = 0;
  for (auto _ : state) {
    crowd.Frame();
    benchmark::DoNotOptimize(crowd.Sum());
    if (++nFrames == 1000) {
      state.PauseTiming();
      crowd.Restart();
      nFrames = 0;
      state.ResumeTiming();
    }
  }
  ReportAllocs(state, nBefore);
}
BENCHMARK(BM_FlowFrame)->Unit(benchmark::kMicrosecond);

// The same commands as bare data: a countdown and a velocity per running
// command, the velocities summed per character.
void BM_FlatCountdownPeer(benchmark::State& state) {
  constexpr int kCommands = kCharas * kFlows * 2;
  std::vector<int> countdowns(kCommands, 1 << 30);
  std::vector<double> speeds(kCommands, 0.2);
  std::vector<double> velocities(kCharas, 0.0);
  for (auto _ : state) {
    for (int s = 0; s < kSubSteps; ++s) {
      for (int c = 0; c < kCharas; ++c) {
        double v = 0.0;
        for (int k = c * kFlows * 2; k < (c + 1) * kFlows * 2; ++k) {
          --countdowns[static_cast<size_t>(k)];
          v += speeds[static_cast<size_t>(k)];
        }
        velocities[static_cast<size_t>(c)] = v;
      }
    }
    benchmark::DoNotOptimize(velocities.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_FlatCountdownPeer)->Unit(benchmark::kMicrosecond);

constexpr const char* kCodeLine =
    "C1 = 1 + 2 * 3 - 4 / 2 + 5 * 6 - 7 % 4 + 8 C2 = 9 * 3 - 10 / 3 + 11 * 2 - 12 % 5 + 13";

void BM_ExecuteCode40Tokens(benchmark::State& state) {
  g_PlayData.Reset();
  cFlowContext context;
  cChara chara;
  chara.Reset(nullptr, 0.0, 0.0, 0);
  const std::string strLine = kCodeLine;
  const long long nBefore = g_nBenchAllocs.load();
  for (auto _ : state) {
    ExecuteCode(strLine, chara);
    benchmark::DoNotOptimize(g_PlayData.m_CommonVars.data());
  }
  ReportAllocs(state, nBefore);
  if (g_PlayData.m_CommonVars[1] != 40 || g_PlayData.m_CommonVars[2] != 57)
    state.SkipWithError("the line computed something else");
}
BENCHMARK(BM_ExecuteCode40Tokens);

// The same arithmetic on the same operands, read through the optimiser's
// blind spot each time.
void BM_PlainIntegerPeer(benchmark::State& state) {
  int32_t v[19] = {1, 2, 3, 4, 2, 5, 6, 7, 4, 8, 9, 3, 10, 3, 11, 2, 12, 5, 13};
  int32_t c1 = 0;
  int32_t c2 = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(v);
    c1 = v[0] + v[1] * v[2] - v[3] / v[4] + v[5] * v[6] - v[7] % v[8] + v[9];
    c2 = v[10] * v[11] - v[12] / v[13] + v[14] * v[15] - v[16] % v[17] + v[18];
    benchmark::DoNotOptimize(c1);
    benchmark::DoNotOptimize(c2);
  }
  if (c1 != 40 || c2 != 57) state.SkipWithError("the loop computed something else");
}
BENCHMARK(BM_PlainIntegerPeer);

}  // namespace
