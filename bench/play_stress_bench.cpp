// One play frame of a crowded stage built in code: a 1000 x 200 map with a
// floor every ten rows and a wall every 25 columns, the hero, and 500
// characters of 8 factions that walk, turn at walls and jump through their
// flows, at 20 sub-steps a frame (logic and drawing into the back buffer, no
// present). The budget of a frame is 16.7 ms; the goal is under 4 ms with no
// allocation in steady play. Beside it the same frame with characters that
// have no flows and so stand still: the cost of all that the flows set going.

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>

#include "app/core/surface_tables.h"
#include "app/scenes/tests/scene_world.h"
#include "bench/alloc_count.h"
#include "flow/runtime/flow_runner.h"
#include "flow/runtime/move_commands.h"
#include "flow/runtime/tests/flow_test_kit.h"
#include "platform/draw/tests/bmp_builder.h"
#include "play/play_scene.h"
#include "stagedata/stage_globals.h"

namespace {

constexpr int kWidth = 1000;  // map cells
constexpr int kHeight = 200;
constexpr int kFloorEvery = 10;  // rows: floors on rows 9, 19, ..., 199
constexpr int kWallEvery = 25;   // columns: a wall cell on each floor
constexpr int kCharas = 500;
constexpr int kSubSteps = 20;
constexpr int kCmdTurn = 9;  // 向き変更

// A computer character's flow step, motion and jump, as far as the bench
// needs them.
class cCrowdChara : public cTestChara {
 public:
  int RunFlows(int bDeathPass) override {
    m_dVX = 0.0;
    m_bNoGravity = 0;
    m_bDecelX = m_bDecelY = 1;
    if (StepCharaFlows(*this, bDeathPass)) return 1;
    EndFlowStep(*this);
    return 0;
  }
  int StepX() override {
    if (m_dWalkVX != 0.0) {
      Decelerate(m_dWalkVX, m_bDecelX);
      m_dVX += m_dWalkVX;
    }
    return MoveX(2);
  }
  void Jump(COMMANDSTATE* lpState) override {
    if (m_bAirborne || m_bJumpBlocked || m_nAirTime) return;
    m_dVY = lpState->m_dSpeed;
    m_bJumpRise = m_bJumping = 1;
  }
};

// Walk forward for about a second, rest; turn at a wall on either side; jump
// now and then. The times differ from character to character (by n), so the
// crowd does not move in step.
std::vector<cFlow> CrowdFlows(int n) {
  std::vector<cFlow> flows;
  flows.push_back(MakeFlow(0, {MakeMove(CMD_MOVE_STRAIGHT, 6 + n % 8, false,
                                        [](cEdMove& m) {
                                          m.m_nDirection = DIRCODE_FORWARD;
                                          m.m_nSpeed = 20;
                                          m.m_bFollowTurn = 1;
                                        }),
                               MakeCommand(CMD_WAIT, 1 + n % 4)}));
  flows.push_back(MakeFlow(11, {MakeCommand(kCmdTurn, 0, false, {1})}));
  flows.push_back(MakeFlow(12, {MakeCommand(kCmdTurn, 0, false, {0})}));
  flows.push_back(MakeFlow(
      0, {MakeCommand(CMD_WAIT, 10 + n % 11), MakeCommand(CMD_JUMP, 0, false, {0, 0, 3})}));
  return flows;
}

// Every picture the play scene loads that the front-end world does not
// write: 256 x 256 of stripes in the test palette, so that whatever is drawn
// from them is drawn for real.
void WritePlayPictures(const cTestGameFolder& folder) {
  std::set<std::string> written;
  for (int n = 0; n < kSurfaceCount; ++n) {
    const char* pszFile = g_SurfaceInfoTable[n].szFileName;
    if (pszFile[0] == 0 || std::strcmp(pszFile, "E") == 0) continue;
    if (folder.ReadFile(pszFile) != "<missing>" || !written.insert(pszFile).second) continue;
    BmpDesc desc;
    desc.nWidth = desc.nHeight = 256;
    for (int i = 0; i < 256; ++i)
      desc.colours.push_back(uint32_t(i) << 16 | uint32_t(255 - i) << 8 | 128);
    desc.pixel = [](int x, int y) { return 1 + static_cast<uint32_t>((x / 4 + y / 8) % 200); };
    folder.WriteFile(pszFile, MakeBmp(desc));
  }
}

int WorldOf(int nCell) { return (nCell + kMapBorderCells) * kCellSize; }

// The stage in g_Stage: floors, walls and the hero's placement.
void BuildStage() {
  g_Stage.m_nWidth = kWidth;
  g_Stage.m_nHeight = kHeight;
  g_Stage.m_nCollisionLevel = kSubSteps;
  for (int y = kFloorEvery - 1; y < kHeight; y += kFloorEvery) {
    for (int x = 0; x < kWidth; ++x) {
      for (int dy : {0, -1}) {
        if (dy == -1 && x % kWallEvery != 0) continue;
        cEdBlock& block = g_Stage.m_vPlacedBlock.emplace_back();
        block.m_nTileX = static_cast<int16_t>(x);
        block.m_nTileY = static_cast<int16_t>(y + dy);
        block.m_nGraphic = 1;
      }
    }
  }
  cEdChara& hero = g_Stage.m_vPlacedChara.emplace_back();
  hero.m_nKind = CHARAKIND_PLAYER;
  hero.m_nGraphic = 1;
  hero.m_nTileX = kWidth / 2 + 3;
  hero.m_nTileY = kFloorEvery - 2;
}

class cCrowdStage {
 public:
  explicit cCrowdStage(bool bFlows) {
    BuildStage();
    m_lpScene = std::make_unique<cPlayScene>();
    g_lpPlayScene = m_lpScene.get();
    cPlayScene& scene = *m_lpScene;
    scene.Init();
    if (scene.Hero() == nullptr) return;
    for (int i = 0; i < kCharas; ++i) {
      const int nFloor = (i % (kHeight / kFloorEvery) + 1) * kFloorEvery - 1;
      int nCol = 3 + (i * 37) % (kWidth - 6);
      if (nCol % kWallEvery == 0) ++nCol;
      auto lpChara = std::make_unique<cCrowdChara>();
      cCrowdChara& c = *lpChara;
      const int nId = scene.NewCharaId();
      cPlayFixture::SetupChara(c, nId, WorldOf(nCol), WorldOf(nFloor) - 24, 16, 24, OBJKIND_COM,
                               i % kFactions);
      c.m_nHp = c.m_Def.m_nMaxHp = 100;
      c.m_nFacing = i % 2;
      c.m_bAppeared = 1;
      c.m_nMisc2 = 1;
      if (bFlows) {
        c.m_Def.m_vFlow.clear();
        for (cFlow& f : CrowdFlows(i)) c.m_Def.m_vFlow.push_back(std::move(f));
        c.SetFlows(c.m_Def.m_vFlow, c.m_nFacing, 0, 0);
      }
      scene.AddCharacter(std::move(lpChara));
    }
    scene.m_nState = 2;
    m_bReady = true;
  }
  ~cCrowdStage() {
    m_lpScene.reset();
    g_lpPlayScene = nullptr;
  }

  // One frame; false when play did not go on (the hero died, the stage
  // ended, or a character was lost).
  bool Frame() {
    cPlayScene& scene = *m_lpScene;
    scene.PlayFrame();
    return scene.m_nState == 2 && !scene.Hero()->m_bDead &&
           scene.CharaList().size() == static_cast<size_t>(kCharas);
  }

  // Characters for which the test holds (the crowd is seen to move).
  template <class Test>
  double Count(Test test) const {
    int n = 0;
    for (const auto& lp : m_lpScene->CharaList()) n += test(*lp) ? 1 : 0;
    return n;
  }

  bool m_bReady = false;

 private:
  std::unique_ptr<cPlayScene> m_lpScene;
};

void StressFrame(benchmark::State& state, bool bFlows) {
  cSceneWorld world;
  if (!world.m_bStarted) {
    state.SkipWithError("the drawing library did not start");
    return;
  }
  WritePlayPictures(world.Folder());
  cCrowdStage stage(bFlows);
  if (!stage.m_bReady) {
    state.SkipWithError(("the stage was not set up: " + world.ReportLog()).c_str());
    return;
  }
  // Into steady play: every flow has run through at least once.
  for (int i = 0; i < 240; ++i) {
    if (!stage.Frame()) {
      state.SkipWithError("play did not go on");
      return;
    }
  }
  const long long nBefore = g_nBenchAllocs.load();
  for (auto _ : state) {
    if (!stage.Frame()) {
      state.SkipWithError("play did not go on");
      return;
    }
  }
  ReportAllocs(state, nBefore);
  state.counters["walking"] = stage.Count([](const cChara& c) { return c.m_dVX != 0.0; });
  state.counters["airborne"] = stage.Count([](const cChara& c) { return c.m_bAirborne != 0; });
  state.counters["facing_right"] = stage.Count([](const cChara& c) { return c.m_nFacing == 1; });
}

void BM_StressFrame(benchmark::State& state) { StressFrame(state, true); }
BENCHMARK(BM_StressFrame)->Unit(benchmark::kMillisecond);

void BM_StressFrameWithoutFlows(benchmark::State& state) { StressFrame(state, false); }
BENCHMARK(BM_StressFrameWithoutFlows)->Unit(benchmark::kMillisecond);

}  // namespace
