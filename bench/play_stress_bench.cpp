// One play frame of a crowded stage built in code: a 1000 x 200 map with a
// floor every ten rows and a wall every 25 columns, the hero, 500
// characters of 8 factions that walk, turn at walls and jump through their
// flows, and 200 items (20 of them in view, one under the hero, which it
// touches every sub-step), at 20 sub-steps a frame (logic and drawing into
// the back buffer, no present). The budget of a frame is 16.7 ms; the goal
// is under 4 ms with no allocation in steady play. Beside it the same frame
// without the items, and one with characters that have no flows and so
// stand still: the cost of the items' appearance, pickup and drawing, and
// of all that the flows set going; and the same frame with 50 characters on
// the hero's screen running looping character effects, every kind in turn,
// and a looping screen effect: the cost of drawing effects.
//
// The fight: 400 characters of the 8 factions walking around the hero's
// screen and 1,000 shots of two of them spread over it, 500 each, so that
// every sub-step tests shots against characters, characters against each
// other and shots against shots. The shots stand still and do nothing when
// they hit but raise trigger 7, so that the fight stays as it is; beside it
// the same crowd without the shots.

#include <benchmark/benchmark.h>

#include <array>
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
#include "flow/shot_settings.h"
#include "objects/shot.h"
#include "platform/draw/tests/bmp_builder.h"
#include "play/play_scene.h"
#include "records/database.h"
#include "records/effect_db.h"
#include "stagedata/stage_globals.h"

namespace {

constexpr int kWidth = 1000;  // map cells
constexpr int kHeight = 200;
constexpr int kFloorEvery = 10;  // rows: floors on rows 9, 19, ..., 199
constexpr int kWallEvery = 25;   // columns: a wall cell on each floor
constexpr int kCharas = 500;
constexpr int kItems = 200;
constexpr int kItemsInView = 20;
constexpr int kSubSteps = 20;
constexpr int kCmdTurn = 9;  // 向き変更
constexpr int kEffectCharas = 50;
constexpr int kCastCharas = 200;
constexpr int kCastBlockCharas = 50;
constexpr int8_t kViewAnywhere = 3;  // active wherever it is
constexpr int kFightCharas = 400;
constexpr int kFightShots = 1000;

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

// The stage in g_Stage: floors, walls, the hero's placement and, with
// bItems, the item placements: kItemsInView on the hero's row around it
// (the one under the hero taken once per contact, so that it stays), the
// rest spread over the floors.
void BuildStage(bool bItems) {
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
  if (!bItems) return;
  for (int i = 0; i < kItems; ++i) {
    cEdItem& item = g_Stage.m_vPlacedItem.emplace_back();
    item.m_nGraphic = 1;
    if (i < kItemsInView) {
      item.m_nTileX = static_cast<int16_t>(hero.m_nTileX - kItemsInView / 2 + i);
      item.m_nTileY = hero.m_nTileY;
      if (item.m_nTileX == hero.m_nTileX) item.m_nTakeMode = TAKEMODE_REPEAT;
    } else {
      item.m_nTileX = static_cast<int16_t>(5 + (i * 53) % (kWidth - 10));
      item.m_nTileY = static_cast<int16_t>((i % (kHeight / kFloorEvery) + 1) * kFloorEvery - 2);
    }
  }
}

// CharaEffect rows 1..16 of kinds 1..16, a second each, with parameters
// that make every kind draw something, and ScrEffect row 1, a wave of the
// screen.
void BuildEffectRows() {
  const std::array<int32_t, kEffectParams> params[CHARAEFFECT_KINDS] = {
      {},
      {10, 0, 16},           // 破裂
      {10, 0, 16, 4},        // 分割（横）
      {10, 0, 16, 4},        // 分割（縦）
      {10, 0, 8, 2, 2},      // 波（横）
      {10, 0, 8, 2, 2},      // 波（縦）
      {10, 4},               // 点滅
      {10, 0, 360},          // 回転A
      {10, 0, 360},          // 回転B
      {10, 0, 32},           // 回転（奥）
      {10, 16, 4, 2},        // 円
      {10, 32, 64},          // 拡大
      {10, 100, 20, 4, -4},  // レンズ
      {10, 1, 4, 250},       // 色変化
      {10, 4},               // 半透明
      {10, 1, 8},            // モザイク
      {10, 1, 4},            // ぼかし
  };
  g_Database.m_CharaEffect.assign(CHARAEFFECT_KINDS, cCharaEffectDef());
  for (int k = 0; k < CHARAEFFECT_KINDS; ++k) {
    cCharaEffectDef& row = g_Database.m_CharaEffect[static_cast<size_t>(k)];
    row.m_nKind = k;
    for (int p = 0; p < kEffectParams; ++p) row.m_anParam[p] = params[k][static_cast<size_t>(p)];
  }
  g_Database.m_ScrEffect.assign(2, cScrEffectDef());
  cScrEffectDef& wave = g_Database.m_ScrEffect[1];
  wave.m_nKind = SCREFFECT_WAVE_H;
  wave.m_anParam[0] = 10;
  wave.m_anParam[1] = 0;
  wave.m_anParam[2] = 8;
  wave.m_anParam[3] = 2;
  wave.m_anParam[4] = 4;
  BuildDatabaseTables();
}

// The cast's placements in g_Stage: the block characters spread over the
// floors, each a few rows above a floor with a walker standing on it, and
// the other walkers on the floors.
void PlaceCast() {
  const int nFloors = kHeight / kFloorEvery;
  for (int i = 0; i < kCastBlockCharas; ++i) {
    cEdChara& lift = g_Stage.m_vPlacedChara.emplace_back();
    lift.m_nKind = CHARAKIND_COM;
    lift.m_nGraphic = 1;
    lift.m_nFaction = 0;
    lift.m_nFly = MOVEMODE_FLY;
    lift.m_bBlockChara = 1;
    lift.m_nGiant = 2;
    lift.m_nActRange = kViewAnywhere;
    int nCol = 10 + (i * 97) % (kWidth - 20);
    if (nCol % kWallEvery >= kWallEvery - 4) nCol -= 4;
    lift.m_nTileX = static_cast<int16_t>(nCol);
    lift.m_nTileY = static_cast<int16_t>((i % nFloors + 1) * kFloorEvery - 4);
    // Right at a pixel a frame, then left as long.
    const int nTenths = 10 + i % 7;
    auto move = [nTenths](int nDirection) {
      return MakeMove(CMD_MOVE_STRAIGHT, nTenths, false, [nDirection](cEdMove& m) {
        m.m_nDirection = static_cast<uint8_t>(nDirection);
        m.m_nSpeed = 10;
      });
    };
    lift.m_vFlow.push_back(MakeFlow(0, {move(DIRCODE_RIGHT), move(DIRCODE_LEFT)}));
  }
  for (int i = 0; i < kCastCharas; ++i) {
    cEdChara& walker = g_Stage.m_vPlacedChara.emplace_back();
    walker.m_nKind = CHARAKIND_COM;
    walker.m_nGraphic = 1;
    walker.m_nDir = static_cast<int8_t>(i % 2);
    walker.m_nActRange = kViewAnywhere;
    if (i < kCastBlockCharas) {
      // A rider, standing still on its lift: it falls onto it from above.
      const cEdChara& lift = g_Stage.m_vPlacedChara[static_cast<size_t>(1 + i)];
      walker.m_nTileX = lift.m_nTileX;
      walker.m_nTileY = static_cast<int16_t>(lift.m_nTileY - 3);
      continue;
    }
    int nCol = 3 + (i * 37) % (kWidth - 6);
    if (nCol % kWallEvery == 0) ++nCol;
    walker.m_nTileX = static_cast<int16_t>(nCol);
    walker.m_nTileY = static_cast<int16_t>((i % nFloors + 1) * kFloorEvery - 2);
    for (cFlow& f : CrowdFlows(i)) walker.m_vFlow.push_back(std::move(f));
  }
}

// Plays 240 frames into steady play (every flow has run through at least
// once), then one frame per iteration, and reports the allocations of those;
// false, with the error set, when play did not go on.
template <class Stage>
bool MeasureFrames(benchmark::State& state, Stage& stage) {
  for (int i = 0; i < 240; ++i) {
    if (!stage.Frame()) {
      state.SkipWithError("play did not go on");
      return false;
    }
  }
  const long long nBefore = g_nBenchAllocs.load();
  for (auto _ : state) {
    if (!stage.Frame()) {
      state.SkipWithError("play did not go on");
      return false;
    }
  }
  ReportAllocs(state, nBefore);
  return true;
}

class cCastStage {
 public:
  explicit cCastStage(bool bCast) {
    BuildStage(bCast);
    if (bCast) PlaceCast();
    m_lpScene = std::make_unique<cPlayScene>();
    g_lpPlayScene = m_lpScene.get();
    cPlayScene& scene = *m_lpScene;
    scene.Init();
    m_nCharas = scene.CharaList().size();
    m_nItems = scene.ItemList().size();
    if (scene.Hero() == nullptr || m_nCharas != (bCast ? kCastCharas + kCastBlockCharas : 0u))
      return;
    scene.m_nState = 2;
    m_bReady = true;
  }
  ~cCastStage() {
    m_lpScene.reset();
    g_lpPlayScene = nullptr;
  }

  // One frame; false when play did not go on (the hero died, the stage
  // ended, or a character or an item was lost).
  bool Frame() {
    cPlayScene& scene = *m_lpScene;
    scene.PlayFrame();
    return scene.m_nState == 2 && !scene.Hero()->m_bDead && scene.CharaList().size() == m_nCharas &&
           scene.ItemList().size() == m_nItems;
  }

  template <class Test>
  double Count(Test test) const {
    int n = 0;
    for (const auto& lp : m_lpScene->CharaList()) n += test(*lp) ? 1 : 0;
    return n;
  }

  bool m_bReady = false;

 private:
  size_t m_nCharas = 0;
  size_t m_nItems = 0;
  std::unique_ptr<cPlayScene> m_lpScene;
};

void CastFrame(benchmark::State& state, bool bCast) {
  cSceneWorld world;
  if (!world.m_bStarted) {
    state.SkipWithError("the drawing library did not start");
    return;
  }
  WritePlayPictures(world.Folder());
  cCastStage stage(bCast);
  if (!stage.m_bReady) {
    state.SkipWithError(("the stage was not set up: " + world.ReportLog()).c_str());
    return;
  }
  if (!MeasureFrames(state, stage)) return;
  state.counters["active"] = stage.Count([](const cComChara& c) { return c.IsActive() != 0; });
  state.counters["riding"] = stage.Count([](const cComChara& c) { return c.m_bOnChara != 0; });
  state.counters["walking"] =
      stage.Count([](const cComChara& c) { return !c.m_Def.m_bBlockChara && c.m_dVX != 0.0; });
}

// What a crowd stage holds besides its characters.
struct CROWD {
  bool bFlows = true;
  bool bItems = true;
  bool bEffects = false;
  bool bFight = false;  // kFightCharas around the hero's screen
  int nShots = 0;       // the fight's shots
};

class cCrowdStage {
 public:
  explicit cCrowdStage(const CROWD& crowd)
      : m_nCharas(crowd.bFight ? kFightCharas : kCharas), m_nItems(crowd.bItems ? kItems : 0) {
    const bool bFlows = crowd.bFlows, bItems = crowd.bItems, bEffects = crowd.bEffects;
    if (bEffects) BuildEffectRows();
    BuildStage(bItems);
    m_lpScene = std::make_unique<cPlayScene>();
    g_lpPlayScene = m_lpScene.get();
    cPlayScene& scene = *m_lpScene;
    scene.Init();
    if (scene.Hero() == nullptr || scene.ItemList().size() != m_nItems) return;
    for (int i = 0; i < m_nCharas; ++i) {
      int nFloor = (i % (kHeight / kFloorEvery) + 1) * kFloorEvery - 1;
      int nCol = 3 + (i * 37) % (kWidth - 6);
      if (crowd.bFight) {
        // Between the walls left and right of the hero, on its floor.
        nFloor = kFloorEvery - 1;
        nCol = kWidth / 2 - kWallEvery + 1 + (i * 7) % (2 * kWallEvery - 1);
      }
      if (nCol % kWallEvery == 0) ++nCol;
      // The characters with effects stand side by side on the hero's floor,
      // right of the hero, all on its screen.
      const bool bEffect = bEffects && i < kEffectCharas;
      const int x = bEffect ? WorldOf(kWidth / 2 + 1) + 7 * i : WorldOf(nCol);
      const int y = WorldOf(bEffect ? kFloorEvery - 1 : nFloor) - 24;
      auto lpChara = std::make_unique<cCrowdChara>();
      cCrowdChara& c = *lpChara;
      const int nId = scene.NewCharaId();
      cPlayFixture::SetupChara(c, nId, x, y, 16, 24, OBJKIND_COM, i % kFactions);
      c.m_nHp = c.m_Def.m_nMaxHp = 100;
      c.m_nFacing = i % 2;
      // Active wherever it is: the whole crowd moves every sub-step.
      c.m_bSkipViewX = c.m_bSkipViewY = 1;
      if (bEffect) {
        c.m_Def.m_nGraphic = 1;
        c.m_CharaEffect.StartCharaEffect(1 + i % (CHARAEFFECT_KINDS - 1), 0, 1);
      } else if (bFlows) {
        c.m_Def.m_vFlow.clear();
        for (cFlow& f : CrowdFlows(i)) c.m_Def.m_vFlow.push_back(std::move(f));
        c.SetFlows(c.m_Def.m_vFlow, c.m_nFacing, 0, 0);
      }
      scene.AddCharacter(std::move(lpChara));
    }
    if (bEffects) scene.m_ScrEffect.StartScrEffect(1, 0, 1);
    // The shots: a grid over the hero's screen, the two factions' side by
    // side, fired by a character of each.
    const cChara* lpShooters[2] = {nullptr, nullptr};
    for (const auto& lp : scene.CharaList())
      if (lp->m_nFaction == 1 || lp->m_nFaction == 2) lpShooters[lp->m_nFaction - 1] = lp.get();
    cEdShotPtr lpSettings;
    CreateShot(lpSettings);
    const cPlayer& hero = *scene.Hero();
    for (int i = 0; i < crowd.nShots; ++i) {
      SHOTSPAWN spawn;
      spawn.nX = static_cast<int32_t>(hero.m_dX) - 300 + (i % 40) * 15;
      spawn.nY = static_cast<int32_t>(hero.m_dY) - 250 + (i / 40) * 9;
      cShot shot;
      shot.Init(scene.NextShotId(), *lpShooters[i % 2], kShotCommand, *lpSettings, spawn);
      if (scene.AddShot(shot) == nullptr) return;
    }
    m_nShots = static_cast<size_t>(crowd.nShots);
    scene.m_nState = 2;
    m_bReady = true;
  }
  ~cCrowdStage() {
    m_lpScene.reset();
    g_lpPlayScene = nullptr;
  }

  // One frame; false when play did not go on (the hero died, the stage
  // ended, or a character or an item was lost).
  bool Frame() {
    cPlayScene& scene = *m_lpScene;
    scene.PlayFrame();
    return scene.m_nState == 2 && !scene.Hero()->m_bDead &&
           scene.CharaList().size() == static_cast<size_t>(m_nCharas) &&
           scene.ItemList().size() == m_nItems && scene.ShotList().size() == m_nShots;
  }

  // Characters for which the test holds (the crowd is seen to move).
  template <class Test>
  double Count(Test test) const {
    int n = 0;
    for (const auto& lp : m_lpScene->CharaList()) n += test(*lp) ? 1 : 0;
    return n;
  }

  // Items the hero touches (in its list of touched items).
  double Touched() const { return static_cast<double>(m_lpScene->Hero()->m_TouchedIds.size()); }

  // Shots on the hero's screen.
  double ShotsOnScreen() const {
    int n = 0;
    for (const cShot& shot : m_lpScene->ShotList()) n += shot.m_bOnScreen ? 1 : 0;
    return n;
  }

  bool m_bReady = false;

 private:
  int m_nCharas;
  size_t m_nItems;
  size_t m_nShots = 0;
  std::unique_ptr<cPlayScene> m_lpScene;
};

void StressFrame(benchmark::State& state, const CROWD& crowd) {
  cSceneWorld world;
  if (!world.m_bStarted) {
    state.SkipWithError("the drawing library did not start");
    return;
  }
  WritePlayPictures(world.Folder());
  cCrowdStage stage(crowd);
  if (!stage.m_bReady) {
    state.SkipWithError(("the stage was not set up: " + world.ReportLog()).c_str());
    return;
  }
  if (!MeasureFrames(state, stage)) return;
  state.counters["walking"] = stage.Count([](const cChara& c) { return c.m_dVX != 0.0; });
  state.counters["airborne"] = stage.Count([](const cChara& c) { return c.m_bAirborne != 0; });
  state.counters["facing_right"] = stage.Count([](const cChara& c) { return c.m_nFacing == 1; });
  state.counters["touched_items"] = stage.Touched();
  if (crowd.bFight) {
    state.counters["on_screen"] = stage.Count([](const cChara& c) { return c.m_bOnScreen != 0; });
    state.counters["shots_on_screen"] = stage.ShotsOnScreen();
  }
  if (crowd.bEffects) {
    state.counters["effects"] =
        stage.Count([](const cChara& c) { return c.m_CharaEffect.IsRunning() && c.IsOnScreen(); });
  }
}

void BM_StressFrame(benchmark::State& state) { StressFrame(state, {}); }
BENCHMARK(BM_StressFrame)->Unit(benchmark::kMillisecond);

void BM_StressFrameWithoutItems(benchmark::State& state) { StressFrame(state, {.bItems = false}); }
BENCHMARK(BM_StressFrameWithoutItems)->Unit(benchmark::kMillisecond);

void BM_StressFrameWithoutFlows(benchmark::State& state) { StressFrame(state, {.bFlows = false}); }
BENCHMARK(BM_StressFrameWithoutFlows)->Unit(benchmark::kMillisecond);

void BM_StressFrameWithEffects(benchmark::State& state) { StressFrame(state, {.bEffects = true}); }
BENCHMARK(BM_StressFrameWithEffects)->Unit(benchmark::kMillisecond);

// A fixed count of frames after the 240 of warming up: at frame 361 the
// cast loses its first walker, which would end the measurement.
void BM_CastFrame(benchmark::State& state) { CastFrame(state, true); }
BENCHMARK(BM_CastFrame)->Unit(benchmark::kMillisecond)->Iterations(100);

void BM_CastFrameHeroAlone(benchmark::State& state) { CastFrame(state, false); }
BENCHMARK(BM_CastFrameHeroAlone)->Unit(benchmark::kMillisecond)->Iterations(100);
void BM_BulletFightFrame(benchmark::State& state) {
  StressFrame(state, {.bItems = false, .bFight = true, .nShots = kFightShots});
}
BENCHMARK(BM_BulletFightFrame)->Unit(benchmark::kMillisecond);

void BM_BulletFightFrameWithoutShots(benchmark::State& state) {
  StressFrame(state, {.bItems = false, .bFight = true});
}
BENCHMARK(BM_BulletFightFrameWithoutShots)->Unit(benchmark::kMillisecond);

}  // namespace
