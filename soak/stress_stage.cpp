#include "soak/stress_stage.h"

#include <string>

#include "app/base/report_log.h"
#include "flow/command_table.h"
#include "flow/shot_settings.h"
#include "records/database.h"
#include "records/effect_db.h"
#include "records/record.h"
#include "sample/sample_flows.h"
#include "stagedata/stage_file.h"
#include "stagedata/stage_globals.h"

namespace {

constexpr int kWidth = 100;  // cells
constexpr int kHeight = 15;
constexpr int kGroundRow = 13;  // and the row under it
constexpr int kStandRow = 12;   // where a character on the ground stands
constexpr int kPlatformRow = 9;
constexpr int kCollisionLevel = 20;  // 20 sub-steps a frame
constexpr int kTimeLimit = 120;      // seconds: attempts end, and start again
constexpr int kViewAnywhere = 3;     // active wherever it is
constexpr int8_t kTriggerAlways = 0;

bool IsPit(int x) { return x > 20 && x % 40 >= 30 && x % 40 <= 32; }
bool IsPlatform(int x) { return x % 16 >= 4 && x % 16 <= 9; }
bool IsWall(int x) { return x > 10 && x % 25 == 20; }
bool IsSpike(int x) { return x > 10 && x % 50 == 45; }

// The palette entries of a kind: blocks of a hit kind, characters that are
// not the hero, items that are not the goal (whose commands clear the stage).
template <class T, class Test>
std::vector<const T*> Entries(const cCheckedVector<T>& list, Test test) {
  std::vector<const T*> found;
  for (size_t i = 1; i < list.size(); ++i)
    if (test(list[i])) found.push_back(&list[i]);
  return found;
}

bool ClearsStage(const cEdItem& item) {
  for (const cFlowCommand& cmd : item.m_vItemCommand)
    if (cmd.m_cType == CMD_STAGE_CLEAR - kItemCommandOffset) return true;
  return false;
}

// Every two to four seconds (by n): a shot forward, the effect row where the
// character stands and a character effect of the palette's rows; for n = 0
// the effect stops the game for its length.
cFlow StressFlow(int n, int nEffectRow) {
  cFlowCommand shot = Command(CMD_SHOT, 1);
  CreateShot(shot.m_pShot);
  cEdShot& s = *shot.m_pShot;
  s.m_nCount = 1;
  s.m_nGraphic = 1;
  s.m_nSpeed = 40;
  s.m_bRange = 1;
  s.m_nRange = 16;
  s.m_nPower = 1;
  cFlowCommand effect = Command(CMD_RUN_EFFECT, 0);
  effect.m_Params.At(0) = nEffectRow;
  effect.m_Params.At(1) = 1;  // at the character
  effect.m_Params.At(6) = 100;
  effect.m_Params.At(7) = n == 0 ? 1 : 0;
  cFlowCommand chara = Command(CMD_CHARA_EFFECT, 0);
  const int nRows = static_cast<int>(g_Database.m_CharaEffect.size());
  chara.m_Params.At(0) = nRows > 1 ? 1 + n % (nRows - 1) : 0;
  return Flow(kTriggerAlways, {},
              {Command(CMD_WAIT, static_cast<int16_t>(20 + n % 21)), shot, effect, chara});
}

}  // namespace

bool WriteStressStage() {
  const cCommonPalette& palette = g_CommonPalette;
  const auto solid = Entries(palette.m_vBlock, [](const cEdBlock& b) {
    return b.m_nHitKind == BLOCKHIT_SOLID && b.m_nGraphic != 0;
  });
  const auto fatal =
      Entries(palette.m_vBlock, [](const cEdBlock& b) { return b.m_nHitKind == BLOCKHIT_FATAL; });
  const auto heroes =
      Entries(palette.m_vChara, [](const cEdChara& c) { return c.m_nKind == CHARAKIND_PLAYER; });
  const auto charas =
      Entries(palette.m_vChara, [](const cEdChara& c) { return c.m_nKind != CHARAKIND_PLAYER; });
  const auto items = Entries(palette.m_vItem, [](const cEdItem& i) { return !ClearsStage(i); });
  const auto goals = Entries(palette.m_vItem, ClearsStage);
  if (solid.empty() || fatal.empty() || heroes.empty() || charas.empty() || items.empty() ||
      goals.empty()) {
    ReportLog("stress stage: the common palette lacks a kind of entry");
    return false;
  }

  // An effect of two cells of the shot sheet, a tenth each.
  cEffectAnimDef& row = g_Database.m_Effect.emplace_back();
  row.m_strBitmap = "bmp\\Shot.bmp";
  row.m_Frames.resize(2);
  row.m_Frames[1].m_nCell = 1;
  const int nEffectRow = static_cast<int>(g_Database.m_Effect.size()) - 1;
  BuildDatabaseTables();

  cEdStage stage;
  stage.SetDefaults();
  stage.m_strName = "stress";
  stage.m_nWidth = kWidth;
  stage.m_nHeight = kHeight;
  stage.SetCollisionLevel(kCollisionLevel);
  stage.m_bTimeLimit = 1;
  stage.m_nTimeLimit = kTimeLimit;
  auto block = [&](const cEdBlock* def, int x, int y) {
    cEdBlock& b = stage.m_vPlacedBlock.emplace_back(*def);
    b.m_nTileX = static_cast<int16_t>(x);
    b.m_nTileY = static_cast<int16_t>(y);
  };
  int nChara = 0, nItem = 0;
  auto chara = [&](int x, int y) {
    cEdChara& c = stage.m_vPlacedChara.emplace_back(*charas[nChara % charas.size()]);
    c.m_nTileX = static_cast<int16_t>(x);
    c.m_nTileY = static_cast<int16_t>(y);
    if (nChara % 2 == 0) c.m_nActRange = kViewAnywhere;
    c.m_vFlow.push_back(StressFlow(nChara, nEffectRow));
    ++nChara;
  };
  auto item = [&](int x, int y) {
    cEdItem& i = stage.m_vPlacedItem.emplace_back(*items[nItem++ % items.size()]);
    i.m_nTileX = static_cast<int16_t>(x);
    i.m_nTileY = static_cast<int16_t>(y);
  };
  for (int x = 0; x < kWidth; ++x) {
    if (x == 0 || x == kWidth - 1) {
      for (int y = 0; y < kHeight; ++y) block(solid.back(), x, y);
      continue;
    }
    if (!IsPit(x)) {
      block(solid[0], x, kGroundRow);
      block(solid[0], x, kGroundRow + 1);
    }
    if (IsPlatform(x)) block(solid[static_cast<size_t>(x) % solid.size()], x, kPlatformRow);
    if (IsWall(x)) {
      block(solid[0], x, kStandRow);
      block(solid[0], x, kStandRow - 1);
    } else if (IsSpike(x)) {
      block(fatal[0], x, kStandRow);
    } else if (x >= 8 && x < kWidth - 4 && x % 2 == 0 && !IsPit(x)) {
      chara(x, kStandRow);
    }
    if (x >= 5 && x < kWidth - 4 && x % 2 == 1) item(x, kStandRow - 2);
    if (IsPlatform(x) && x >= 8) {
      if (x % 2 == 0)
        chara(x, kPlatformRow - 1);
      else
        item(x, kPlatformRow - 2);
    }
  }
  cEdChara& hero = stage.m_vPlacedChara.emplace_back(*heroes[0]);
  hero.m_nTileX = 3;
  hero.m_nTileY = kStandRow;
  cEdItem& goal = stage.m_vPlacedItem.emplace_back(*goals[0]);
  goal.m_nTileX = kWidth - 3;
  goal.m_nTileY = kStandRow;

  const std::string strFile = std::string(kStressStagePath) + "_" + std::to_string(DATA_VERSION);
  if (!WriteStageFile(stage, strFile, MakeProjectRefs().WithStage(&stage))) {
    ReportLog("stress stage: cannot write %s", strFile.c_str());
    return false;
  }
  return true;
}
