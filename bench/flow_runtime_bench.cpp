// One frame of flows for a crowd: 2,000 characters with three running flows
// each (a parallel straight move beside a blocking wait) at 10 sub-steps a
// frame, every sub-step as the play frame runs it: the trigger-0 scan, the
// flow step and its end. Beside it the bare work those steps stand for: the
// same number of countdowns decremented and velocities added in flat arrays,
// so the figure of interest is the ratio.

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "bench/alloc_count.h"
#include "flow/command_table.h"
#include "flow/flow.h"
#include "flow/runtime/flow_runner.h"
#include "objects/chara.h"
#include "play/play_scene.h"
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

}  // namespace
