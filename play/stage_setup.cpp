// cPlayScene::SetStage: the loaded stage prepared for an attempt.

#include <string>
#include <vector>

#include "app/base/close_request.h"
#include "app/base/message_box.h"
#include "app/base/random.h"
#include "app/base/report_log.h"
#include "app/core/attempt_seed.h"
#include "app/core/menu_cursor.h"
#include "app/core/scene.h"
#include "app/core/shell_state.h"
#include "platform/draw/dd_device.h"
#include "platform/draw/dd_fade.h"
#include "platform/input/input_state.h"
#include "play/map_cells.h"
#include "play/play_scene.h"
#include "records/system.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/progress/replay.h"
#include "stagedata/stage_globals.h"

namespace {

constexpr int kTriggerStageStart = 18;
constexpr int kNoTimeLimit = 999;

bool IsReplay() { return g_SceneManager.m_nTitleChoice == 4; }

// The hero placement of the stage; null (with a report) when it has none.
cEdChara* HeroPlacement() {
  cCheckedVector<cEdChara>& placed = g_Stage.m_vPlacedChara;
  if (placed.empty()) {
    ReportLog("ステージに主人公がいません");
    RequestClose();
    return nullptr;
  }
  return &placed.At(g_Stage.FindHero());
}

}  // namespace

int cPlayScene::SetStage(int bRestore, int bRestartBgm) {
  TraceLog("In SetStage");
  m_nFrame = 0;

  // 2. Empty the objects.
  ClearShots();
  ClearCharacters();
  ClearItems();

  // 3. The settings as at the start of play.
  if (bRestore) {
    if (IsReplay()) {
      const std::string strPath = g_Stage.m_strLoadPath;
      cEdStage scratch;
      if (!g_Replay.LoadReplayFile(strPath.c_str(), &g_Stage, &scratch, &g_PlayData))
        RequestClose();
      g_Stage.m_strLoadPath = strPath;
    }
    g_Stage.CopySettingsFrom(g_StageStart);
  }

  // 4. The seed of the attempt.
  if (IsReplay()) {
    m_nSeed = static_cast<uint32_t>(g_Replay.m_nSeed);
    g_Replay.ResetCursors();
  } else if (g_System.m_bReplay) {
    g_PlayDataPrev = g_PlayDataStart;
    g_PlayDataStart = g_PlayData;
    g_ReplayPrev = g_Replay;
    g_Replay.Clear();
    m_nSeed = NewAttemptSeed();
    g_Replay.m_nSeed = static_cast<int32_t>(m_nSeed);
  }
  SeedRand(m_nSeed);

  // 5. The hero's carried-over status.
  cEdChara* lpPlacement = HeroPlacement();
  if (lpPlacement == nullptr) return 0;
  if (g_Stage.m_bUseHeroStatus) g_PlayData.RestoreHeroStatus(0, *lpPlacement, &g_Stage);

  // 6. Music.
  const int b = g_Stage.m_nBgm;
  const int c = g_PlayData.m_nBgmNo;
  if (bRestartBgm) {
    if (!g_Stage.m_bBgmContinue || c != b)
      RequestStageBgm(b, g_Stage.m_nBgmOption);
    else if (b == 0 && c == 0)
      RequestStageBgm(0, g_Stage.m_nBgmOption);
  } else if (c != b) {
    RequestStageBgm(b, g_Stage.m_nBgmOption);
  }

  // 7, 8. Ids and the sub-step values.
  g_SceneManager.m_nBgm = 0;
  m_nNextId = m_nNextItemId = m_nNextShotId = 0;
  g_Stage.SetCollisionLevel(g_Stage.m_nCollisionLevel);

  // 9, 10. The camera axes (positions stay until the hero places them).
  SetupScrollAxes(g_Stage, m_ScrollX, m_ScrollY);

  // 11. The map grid, with no cell toggled by a block summon yet.
  if (!BuildMapCells(g_Stage)) {
    ErrorBoxf("メモリ不足により、ステージの初期設定に失敗しました！");
    RequestClose();
    return 0;
  }
  m_vChangedCells.clear();

  // 12. The hero.
  m_nPlayers = 1;
  Player.assign(1, cPlayer());
  TraceLog("A");
  {
    cEdChara& placement = *lpPlacement;
    const bool bOverride = g_PlayData.m_bStartOverride != 0;
    if (bOverride) placement.m_nDir = static_cast<int8_t>(g_PlayData.m_nStartOverrideDir);
    cPlayer& hero = Player.front();
    hero.Init(NewCharaId(), &placement, (placement.m_nTileX + kMapBorderCells) * 32 + 16,
              (placement.m_nTileY + kMapBorderCells) * 32 + 16);
    if (bOverride) {
      placement.m_nTileX = static_cast<int16_t>(g_PlayData.m_nStartOverrideX);
      placement.m_nTileY = static_cast<int16_t>(g_PlayData.m_nStartOverrideY);
    }
    hero.SetTile(placement.m_nTileX, placement.m_nTileY);
    hero.ShiftBy(placement.GetOffsetX(0, hero.m_nFacing), placement.GetOffsetY(0, hero.m_nFacing));
    if (g_Stage.m_bUseHeroStatus) g_PlayData.RestoreHeroExtra(0, &hero.m_nHp, &hero.m_nSp);
    hero.m_Anime.SetPattern(hero.m_bFly ? 2 : 0, 1);
  }

  // 13. The camera on the hero.
  TraceLog("B");
  {
    cPlayer& hero = Player.front();
    m_ScrollX.m_dPos = hero.m_dX - 320 + hero.m_nBoxW / 2;
    m_ScrollX.Clamp();
    m_ScrollY.m_dPos = hero.m_dY - 240 + hero.m_nBoxH / 2;
    m_ScrollY.Clamp();
    hero.UpdateScreenRect();
  }

  // 14. Stage variables and the requests of flows.
  ResetFlowState();

  // 15. The computer characters of the placements (the hero's placement
  // and others of player kind are not spawned here). An item placement
  // that one of them carries is theirs: each copy of the character gets the
  // item, which takes the next item id (whether a copy is made or not), and
  // the placement is marked and not spawned on the map.
  TraceLog("10");
  std::vector<uint8_t> carried(g_Stage.m_vPlacedItem.size(), 0);
  for (const cEdChara& placement : g_Stage.m_vPlacedChara) {
    if (placement.m_nKind != CHARAKIND_COM) continue;
    const cEdItem* lpItem = g_Stage.GetCarriedItem(placement);
    if (lpItem == nullptr) {
      SpawnStageCharacters(placement.m_nTileX, placement.m_nTileY, placement);
      continue;
    }
    cItem item;
    item.Init(m_nNextItemId++, *lpItem, 1);
    SpawnStageCharacters(placement.m_nTileX, placement.m_nTileY, placement, &item);
    carried[static_cast<size_t>(placement.m_nPlaceData)] = 1;
  }

  // 16. The items that no character carries.
  for (size_t k = 0; k < g_Stage.m_vPlacedItem.size(); ++k) {
    if (carried[k]) continue;
    const cEdItem& placement = g_Stage.m_vPlacedItem[k];
    SpawnStageItems(placement.m_nTileX, placement.m_nTileY, placement);
  }

  // 17. Faction lists: the hero first, then the characters in list order, as
  // AddCharacter put them there.
  TraceLog("11");
  TraceLog("12");
  TraceLog("C");
  TraceLog("D");
  ListHero();

  // 18. Which objects the erase areas remove.
  auto anySide = [](const cEdEraseArea& a) {
    return (a.m_bLeft || a.m_bRight || a.m_bTop || a.m_bBottom) ? 1 : 0;
  };
  m_bEraseChara = anySide(g_Stage.m_EraseChara);
  m_bEraseBlockChara = anySide(g_Stage.m_EraseBlockChara);
  m_bEraseItem = anySide(g_Stage.m_EraseItem);

  // 19. No effects, messages, screen effect, screen colour or pictures; a
  // message's surface goes with it.
  m_EffectList.clear();
  m_MessageList.clear();
  m_ScrEffect.Reset();
  m_ScreenColor = SCREENCOLOR{};
  m_WaitRequest.nLast = 0;
  ClearPictures();

  // 20..22. Hit schedule, end request, banners, time and counters.
  m_vHitSubStep = BuildHitSchedule(g_Stage.m_nSubStep, g_Stage.m_nHitSteps);
  m_nEndRequest = 0;
  m_nBannerCount = m_nStartBannerCount = 0;
  if (g_Stage.m_bTimeLimit) {
    m_bNoTimeLimit = 0;
    m_nTimeLeft = g_Stage.m_nTimeLimit;
  } else {
    m_nTimeLeft = kNoTimeLimit;
    m_bNoTimeLimit = 1;
  }
  m_nPlayFrames = m_nPlayTime = 0;
  m_vGroupActive.assign(kActivationGroups, 0);
  m_nNextPart = m_nSubStepNo = m_nSubStepTotal = 0;

  // 23. Play data of the attempt.
  g_PlayData.m_nScore = 0;
  if (IsReplay() || (g_bEditorLaunch && g_bCommandLineStage)) g_PlayData.ClearStageCounters();
  g_PlayData.SaveStageStart();

  // 24. Input, menu cursor and the counter of seconds.
  for (cInputState& input : g_InputStates) {
    input.ClearHistory();
    input.ClearKeyEvents();
  }
  ResetMenuCursor();
  m_nSecondCount = 0;

  // 25..27. Background offsets, the 8-bit palette, the frame rate. The
  // display shows the loaded palette again, without a screen colour's tint.
  for (cEdBgLayer& layer : g_Stage.m_vBgLayer) layer.m_dOffsetX = layer.m_dOffsetY = 0.0;
  if (lpDTCon == nullptr && g_nBpp == 8) {
    for (int i = 0; i < 256; ++i) g_PaletteBase[i] = g_PaletteShown[i] = g_Palette[i];
    DDShowPaletteEntries(g_PaletteShown, 0, 255);
  }
  g_SceneManager.m_nFrameRate = g_Stage.m_nFrameRate;

  // 28. Trigger 18.
  RaiseStageStart();

  // 29. Status display, appearance, the back buffer.
  m_bShowStatus = g_Stage.m_bShowStatus;
  UpdateAppearance();
  DDSetVirBackBuffer(0);
  TraceLog("Out SetStage");
  return 1;
}

void cPlayScene::RaiseStageStart() {
  Hero()->RaiseTrigger(kTriggerStageStart);
  for (auto it = m_CharaList.begin(); it != m_CharaList.end();) {
    cChara& chara = **it;
    chara.RaiseTrigger(kTriggerStageStart);
    // Its stage-start flows have run: one that vanished or died in them is
    // gone before the first frame. Deleting one of its own flows is no
    // reason to leave.
    if (chara.m_bVanish) {
      it = RemoveCharacter(it);
    } else if (chara.m_nHp < 1) {
      HandleCharaDeath(chara);
      it = RemoveCharacter(it);
    } else {
      ++it;
    }
  }
}
