// Block collision of a crowded stage for one frame: 500 walking characters
// on a 1000 x 200 map at 10 sub-steps per frame, each sub-step in the play
// frame's order (contacts cleared, step in x, side tests, gravity, step in y,
// bottom and top tests). Beside it the floor of that work: reading, for the
// same characters and sub-steps, the hit kind byte of the cells their edges
// sample, with no decision taken.

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "objects/chara.h"
#include "objects/world.h"
#include "play/map_cells.h"
#include "play/play_scene.h"
#include "records/database.h"
#include "stagedata/stage_globals.h"

namespace {

constexpr int kWidth = 1000;
constexpr int kHeight = 200;
constexpr int kCharas = 500;
constexpr int kLevel = 10;

// Moves by its walk velocity and clamps to the world, as a computer
// character does.
class cWalker : public cComChara {
 public:
  int StepX() override {
    m_dVX = m_dWalkVX;
    return MoveX(2);
  }
  int StepY() override { return MoveY(2); }
};

// A stage of floors every 8 rows, with walls and gaps, and walkers on it
// turning at the walls.
class CrowdedStage {
 public:
  CrowdedStage() {
    ResetDatabaseGlobals();
    ResetStageGlobals();
    g_Stage.m_nWidth = kWidth;
    g_Stage.m_nHeight = kHeight;
    g_Stage.SetCollisionLevel(kLevel);
    for (int ty = 8; ty < kHeight; ty += 8) {
      for (int tx = 0; tx < kWidth; ++tx) {
        if (tx % 37 == 36) continue;  // a gap
        Place(tx, ty);
        if (tx % 23 == 0) Place(tx, ty - 1);  // a wall
      }
    }
    m_Scene = std::make_unique<cPlayScene>();
    g_lpPlayScene = m_Scene.get();
    SetupScrollAxes(g_Stage, m_Scene->m_ScrollX, m_Scene->m_ScrollY);
    BuildMapCells(g_Stage);
    for (int i = 0; i < kCharas; ++i) {
      auto lpWalker = std::make_unique<cWalker>();
      cWalker& w = *lpWalker;
      w.Reset(nullptr, 0, 0, 0);
      w.Setup(i + 1, OBJKIND_COM, 0, 1, 0, nullptr, 0, 8, 8, 16, 24, 32, 32, 0, MOVEMODE_WALK, 0);
      w.m_dX = (10 + (i * 97) % kWidth) * 32.0 + 3.25;
      w.m_dY = (10 + 8 * (1 + i % (kHeight / 8 - 1))) * 32.0 - 40.0;
      w.m_dWalkVX = ((i & 1) ? 2.5 : -2.5) / kLevel;
      w.ClampX(2);
      w.ClampY(2);
      m_Scene->AddCharacter(std::move(lpWalker));
    }
  }
  ~CrowdedStage() {
    g_lpPlayScene = nullptr;
    ResetStageGlobals();
  }

  // One frame of block collision; walkers turn when they meet a wall.
  void CollisionFrame() {
    cPlayScene& scene = *m_Scene;
    for (int n = 0; n < kLevel; ++n) {
      for (const std::unique_ptr<cComChara>& lpChara : scene.CharaList()) {
        cChara& c = *lpChara;
        c.ClearLRUD();
        c.SavePosition();
        c.StepX();
        scene.TestBlocksX(c);
        c.ApplyGravity();
        c.StepY();
        scene.TestBlocksY(c);
        if (c.LRUD[LRUD_LEFT] || c.LRUD[LRUD_RIGHT]) c.m_dWalkVX = c.LRUD[LRUD_LEFT] ? 0.25 : -0.25;
      }
    }
  }

  // The same sub-steps reading the hit kind bytes of the cells the edge
  // tests sample (two per side edge, three along the feet, two along the
  // head) and nothing else.
  int ReadCells() {
    int nSum = 0;
    const int nShift = m_Scene->m_ScrollX.m_nPitchShift;
    for (int n = 0; n < kLevel; ++n) {
      for (const std::unique_ptr<cComChara>& lpChara : m_Scene->CharaList()) {
        const cChara& c = *lpChara;
        const int x1 = TruncInt(c.m_dX) >> 5, x2 = TruncInt(c.m_dRight) >> 5;
        const int y1 = TruncInt(c.m_dY) >> 5, y2 = TruncInt(c.m_dBottom) >> 5;
        const int aCol[9] = {x1, x1, x2, x2, x1, (x1 + x2) >> 1, x2, x1, x2};
        const int aRow[9] = {y1, y2, y1, y2, y2, y2, y2, y1, y1};
        for (int k = 0; k < 9; ++k)
          nSum +=
              g_MapCells[static_cast<size_t>(MapCellIndex(aCol[k], aRow[k], nShift))].m_nHitKind;
      }
    }
    return nSum;
  }

 private:
  static void Place(int tx, int ty) {
    cEdBlock block;
    block.m_nTileX = static_cast<int16_t>(tx);
    block.m_nTileY = static_cast<int16_t>(ty);
    block.m_nGraphic = 1;
    g_Stage.m_vPlacedBlock.push_back(block);
  }

  std::unique_ptr<cPlayScene> m_Scene;
};

CrowdedStage& Stage() {
  static CrowdedStage stage;
  return stage;
}

void BM_CollisionFrame(benchmark::State& state) {
  CrowdedStage& stage = Stage();
  for (auto _ : state) stage.CollisionFrame();
  state.SetItemsProcessed(state.iterations() * kCharas * kLevel);
}
BENCHMARK(BM_CollisionFrame)->Unit(benchmark::kMicrosecond);

void BM_ReadSampledCells(benchmark::State& state) {
  CrowdedStage& stage = Stage();
  for (auto _ : state) benchmark::DoNotOptimize(stage.ReadCells());
  state.SetItemsProcessed(state.iterations() * kCharas * kLevel);
}
BENCHMARK(BM_ReadSampledCells)->Unit(benchmark::kMicrosecond);

}  // namespace
