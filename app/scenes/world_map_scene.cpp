#include "app/scenes/world_map_scene.h"

#include <algorithm>
#include <cstring>

#include "app/base/close_request.h"
#include "app/base/format.h"
#include "app/base/message_box.h"
#include "app/base/sjis.h"
#include "app/core/colour_animation.h"
#include "app/core/game_requests.h"
#include "app/core/menu_text.h"
#include "app/core/ranking.h"
#include "app/core/surface_tables.h"
#include "app/scenes/scene_common.h"
#include "platform/draw/font/font.h"
#include "platform/input/input_state.h"
#include "records/system.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/progress/world_map.h"
#include "stagedata/stage_file.h"
#include "stagedata/stage_globals.h"

int cWorldMapScene::s_nDrawnScrollX = -1;
int cWorldMapScene::s_nDrawnScrollY = -1;
int cWorldMapScene::s_nHeroAnime = 0;

namespace {

constexpr int kConfirmY = 260;
constexpr int kScreenColumns = 20;
constexpr int kScreenRows = 15;
constexpr int kCell = 32;

// The ranking window of the stage under the hero.
constexpr int kRankingX = 367;
constexpr int kRankingY = 64;
constexpr int kRankingWidth = 272;
constexpr int kRankingHeight = 352;

// The confirmation's two System texts: take the stage, or not.
constexpr int kConfirmText = 10;

void StageFileError(const std::string& strFile) {
  ErrorBoxf("ステージファイル %s が読み込めません！", strFile.c_str());
}

}  // namespace

cWorldMapScene::~cWorldMapScene() {
  ReleaseSceneSurfaces(kWorldMapSurfaces);
  ReleaseSceneWork();
}

void cWorldMapScene::Run() {
  static constexpr void (cWorldMapScene::*kHandlers[])() = {
      &cWorldMapScene::FadeIn, &cWorldMapScene::Walk, &cWorldMapScene::Confirm,
      &cWorldMapScene::FadeOut};
  ReadMenuInput(kButton1 | kButton2 | kButton3 | kButton4);
  RunStates<cWorldMapScene>(kHandlers);
}

void cWorldMapScene::Init() {
  RequestSceneBgm(1);
  DDSURFACEINFO& back = g_SurfaceInfoTable[SURFACE_WORLDBACK];
  std::strncpy(back.szFileName, g_WorldMap.m_strBackPicture.c_str(), sizeof(back.szFileName) - 1);
  back.szFileName[sizeof(back.szFileName) - 1] = '\0';
  LoadSceneSurfaces(kWorldMapSurfaces);
  ResetMenuCursor();
  g_PlayData.RecountTotalScore();
  Hero().nColumn = g_PlayData.m_nMapX;
  Hero().nRow = g_PlayData.m_nMapY;
  Hero().x = kHeroScreenX;
  Hero().y = kHeroScreenY;
  SetScroll();
  m_nFacing = g_PlayData.m_nMapDir;
  ChooseEventAtHero();
  m_Saved = Hero();
  ReleaseSceneWork();
  m_lpRanking = CreateSceneWork(kRankingWidth, kRankingHeight, 1);
  DrawRanking();
  if (IsStageEntry()) Arrive();
  if (g_PlayData.m_bAutoSave && g_SceneManager.m_nPrevScene == SCENE_PLAY)
    g_PlayData.SaveSlot(g_PlayData.m_nSlot);
  DrawMap();
  m_nSubState = 0;
}

void cWorldMapScene::FadeIn() {
  if (IsPaletteDisplay()) DrawRanking();
  DrawFrame(g_PlayData.m_bLeftStage == 0);
  if (!SceneFadeIn()) return;
  if (IsStageEntry()) {
    if (g_PlayData.m_bLeftStage) {
      // The stage was given up: the hero goes back to where he came from
      // unless he cleared it.
      g_PlayData.m_bLeftStage = 0;
      if (!IsCleared(*m_lpEntry)) {
        Hero().nColumn = g_PlayData.m_nPrevMapX;
        Hero().nRow = g_PlayData.m_nPrevMapY;
        SetScroll();
        DrawMap();
      }
    } else if (g_SceneManager.m_nPrevScene != SCENE_GAMEMENU && !IsCleared(*m_lpEntry) &&
               m_lpEntry->m_bNeedsButton == 0) {
      // A stage that starts by itself on arrival.
      if (!LoadStageForPlay(m_lpEntry->m_strStageFile.c_str(), 1, &g_StageStart)) {
        StageFileError(m_lpEntry->m_strStageFile);
        RequestClose();
      } else {
        StartStage();
        g_PlayData.m_nPrevMapX = Hero().nColumn;
        g_PlayData.m_nPrevMapY = Hero().nRow;
        g_SceneManager.m_nNextScene = SCENE_PLAY;
        m_nState = STATE_FADEOUT;
        return;
      }
    }
  }
  m_nState = STATE_WALK;
}

void cWorldMapScene::FadeOut() {
  DrawFrame(true);
  if (!SceneFadeOut()) return;
  FinishSceneFadeOut(SCENE_WORLDMAP);
}

// ---- Walking ----------------------------------------------------------------

cEdWorldEntry* cWorldMapScene::ChooseEntry(cEdWorldEvent* lpEvent) {
  if (lpEvent == nullptr) return nullptr;
  const cPlayData& data = g_PlayData;
  for (cEdWorldEntry& entry : lpEvent->m_Entries) {
    if (entry.m_nNeedStage > 0 && data.m_ClearedFlags.At(entry.m_nNeedStage) == 0) continue;
    if (entry.m_nVarNo != 0 &&
        !CompareWorldVar(data.m_CommonVars.At(entry.m_nVarNo), entry.m_nVarOp, entry.m_nVarValue))
      continue;
    if (data.m_nBestTotal < entry.m_nNeedScore) continue;
    return &entry;
  }
  return nullptr;
}

bool cWorldMapScene::IsCleared(const cEdWorldEntry& entry) {
  return g_PlayData.m_ClearedFlags.At(entry.m_nStageNo) != 0;
}

void cWorldMapScene::ChooseEventAtHero() {
  m_lpEvent = g_WorldMap.FindEventAt(Hero().nColumn, Hero().nRow);
  m_lpEntry = ChooseEntry(m_lpEvent);
}

bool cWorldMapScene::IsStageEntry() const {
  return m_lpEntry != nullptr && m_lpEntry->m_nKind == WORLDENTRY_STAGE;
}

void cWorldMapScene::SetScroll() {
  m_nScrollX = Hero().nColumn - 9;
  m_nScrollY = Hero().nRow - 7;
}

void cWorldMapScene::Step(uint16_t wDir) {
  MENUCURSOR& hero = Hero();
  if (wDir & (kDirLeft | kDirRight | kDirUp | kDirDown)) {
    g_PlayData.m_nPrevMapX = hero.nColumn;
    g_PlayData.m_nPrevMapY = hero.nRow;
    m_Saved = hero;
  }
  if (wDir & kDirLeft) {
    m_nFacing = FACING_LEFT;
    hero.nColumn = std::max(hero.nColumn - 1, 0);
  } else if (wDir & kDirRight) {
    m_nFacing = FACING_RIGHT;
    hero.nColumn = std::min(hero.nColumn + 1, g_WorldMap.m_nWidth - 1);
  } else if (wDir & kDirUp) {
    m_nFacing = FACING_UP;
    hero.nRow = std::max(hero.nRow - 1, 0);
  } else if (wDir & kDirDown) {
    m_nFacing = FACING_DOWN;
    hero.nRow = std::min(hero.nRow + 1, g_WorldMap.m_nHeight - 1);
  }
  ChooseEventAtHero();
  bool bBlocked;
  if (m_lpEntry != nullptr) {
    bBlocked = m_lpEntry->m_nKind == WORLDENTRY_WALL;
  } else {
    const int nColumn = std::clamp(hero.nColumn, 0, g_WorldMap.m_nWidth - 1);
    const int nRow = std::clamp(hero.nRow, 0, g_WorldMap.m_nHeight - 1);
    bBlocked = g_WorldMap.m_Chips.At(g_WorldMap.CellAt(nColumn, nRow)).m_bWall != 0;
  }
  if (bBlocked) {
    hero = m_Saved;
  } else {
    SetScroll();
    g_PlayData.m_nMapDir = m_nFacing;
    if (m_nScrollX != s_nDrawnScrollX || m_nScrollY != s_nDrawnScrollY) DrawMap();
    s_nDrawnScrollX = m_nScrollX;
    s_nDrawnScrollY = m_nScrollY;
  }
  hero.x = kHeroScreenX;
  hero.y = kHeroScreenY;
}

void cWorldMapScene::Arrive() {
  g_PlayData.SetStagePath(m_lpEntry->m_strStageFile.c_str());
  m_nBestScore = g_PlayData.GetBestScore(g_PlayData.m_strStageKey);
  if (!g_SceneManager.m_bRanking) return;
  LoadRanking(g_RankTable, g_SceneManager.m_nGameKind, g_PlayData.m_strStageKey);
  g_PlayData.StepRankingGenre(g_SceneManager.m_nGameKind, 0);
  DrawRanking();
}

void cWorldMapScene::Walk() {
  const cInputState& input = g_InputStates.At(0);
  Step(input.m_wDir);
  PlayCursorSE(input.m_wDir, kCursorAxisBoth, 0);
  ChooseEventAtHero();
  if (IsStageEntry()) {
    if (Hero().nColumn != m_Arrival.nColumn || Hero().nRow != m_Arrival.nRow) {
      Arrive();
      m_Arrival = Hero();
    }
    const bool bCleared = IsCleared(*m_lpEntry);
    if (m_lpEntry->m_bNeedsButton == 0 && !bCleared) {
      OpenConfirmation();
      return;
    }
    if (input.m_wButtons & kButton1) {
      if (m_lpEntry->m_bReplay != 0 || !bCleared) {
        OpenConfirmation();
        return;
      }
    } else {
      RankingButtons(input.m_wButtons);
    }
  }
  if (input.m_wButtons & kButton2) {
    PlaySE(4);
    g_PlayData.m_nMapX = Hero().nColumn;
    g_PlayData.m_nMapY = Hero().nRow;
    g_SceneManager.m_nNextScene = SCENE_GAMEMENU;
    m_nState = STATE_FADEOUT;
    return;
  }
  DrawFrame(true);
}

void cWorldMapScene::RankingButtons(uint16_t wButtons) {
  const int bEnabled = g_System.m_RankGenres.At(PLAYMODE_STORY).m_bEnabled;
  if (wButtons & kButton3) {
    if (bEnabled) {
      PlaySE(6);
      g_PlayData.m_bShowRanking = g_PlayData.m_bShowRanking ? 0 : 1;
    } else {
      g_PlayData.m_bShowRanking = 0;
    }
    DrawRanking();
  } else if ((wButtons & kButton4) && bEnabled) {
    if (g_System.CountRankingGenres(g_SceneManager.m_nGameKind) >= 2) {
      PlaySE(6);
      g_PlayData.StepRankingGenre(g_SceneManager.m_nGameKind, 1);
    }
    DrawRanking();
  }
}

// ---- Stage confirmation -------------------------------------------------------

void cWorldMapScene::OpenConfirmation() {
  g_PlayData.m_nMapX = Hero().nColumn;
  g_PlayData.m_nMapY = Hero().nRow;
  PushMenuCursor(0);
  m_nSubState = 0;
  m_nState = STATE_CONFIRM;
}

void cWorldMapScene::CloseConfirmation() {
  PopMenuCursor(1);
  // A confirmation that opened by itself on an uncleared stage sends the hero
  // back to the cell he came from.
  if (m_lpEntry->m_bNeedsButton == 0 && !IsCleared(*m_lpEntry)) Hero() = m_Saved;
  m_nSubState = 0;
  m_nState = STATE_WALK;
}

void cWorldMapScene::Confirm() {
  const cInputState& input = g_InputStates.At(0);
  if (m_nSubState == 0) {
    PlaySE(1);
    // A stage that cannot be played is refused here; the map goes on.
    m_bStageLoaded =
        LoadStageForPlay(m_lpEntry->m_strStageFile.c_str(), 1, &g_StageStart, false) != 0;
    if (!m_bStageLoaded) StageFileError(m_lpEntry->m_strStageFile);
    g_MenuCursor.Current().nRow = 1;
    m_nSubState = 1;
  }
  const int x = CenterSystemTextBlock(304, kConfirmText, 2, 1);
  MoveGridCursor(input.m_wDir, x, kConfirmY, 0, 16, 1, 2);
  PlayCursorSE(input.m_wDir, kCursorAxisVertical, 0);
  if (input.m_wButtons & kButton1) {
    PlaySE(1);
    if (g_MenuCursor.Current().nRow == 0 && m_bStageLoaded) {
      g_PlayData.m_nMapDir = m_nFacing;
      StartStage();
      m_nSubState = 0;
      g_SceneManager.m_nNextScene = SCENE_PLAY;
      m_nState = STATE_FADEOUT;
    } else {
      CloseConfirmation();
    }
    return;
  }
  if (input.m_wButtons & kButton2) {
    PlaySE(2);
    CloseConfirmation();
    return;
  }
  RankingButtons(input.m_wButtons);
  DrawFrame(true);
  DrawSystemTextBlock(SceneFont(1), x, kConfirmY, kConfirmText, 2, 1);
  DrawArrowCursor(g_MenuCursor.Current().x, g_MenuCursor.Current().y);
}

void cWorldMapScene::StartStage() {
  cPlayData& data = g_PlayData;
  data.SetStagePath(g_Stage.m_strLoadPath.c_str());
  data.m_nStageNo = m_lpEntry->m_nStageNo;
  data.m_nPartNo = 1;
  if (g_System.m_bCarryLives)
    data.m_nStartLives =
        g_System.m_abInfiniteLives.At(PLAYMODE_STORY) ? kInfiniteLives : data.m_nLives + 1;
  else
    data.m_nStartLives = g_System.m_anLives.At(PLAYMODE_STORY);
  data.m_pEntry = m_lpEntry;
}

// ---- Drawing ----------------------------------------------------------------------

void cWorldMapScene::DrawRanking() {
  if (m_lpRanking != nullptr) g_RankTable.Draw(m_lpRanking, 0, 0, g_PlayData.m_nRankingGenre, -1);
}

void cWorldMapScene::DrawMap() {
  DDSURFACEDATA* lpMap = SceneSurface(SURFACE_MAPWORK);
  const cEdWorldMap& map = g_WorldMap;
  DDPalFillSurface(lpMap, static_cast<uint32_t>(map.m_nBackColor));
  if (map.m_bBackPicture)
    DDBlt(lpMap, std::max(-m_nScrollX, 0) * kCell, std::max(-m_nScrollY, 0) * kCell, 640, 480,
          SceneSurface(SURFACE_WORLDBACK), std::max(m_nScrollX, 0) * kCell,
          std::max(m_nScrollY, 0) * kCell, DDBLT_OPAQUE);

  DDSURFACEDATA* lpChips = SceneSurface(SURFACE_WORLDMAPCHIP);
  DDBeginBatch(0);
  for (int j = 0; j < kScreenRows; ++j) {
    const int nRow = m_nScrollY + j;
    if (nRow < 0 || nRow >= map.m_nHeight) continue;
    for (int i = 0; i < kScreenColumns; ++i) {
      const int nColumn = m_nScrollX + i;
      if (nColumn < 0 || nColumn >= map.m_nWidth) continue;
      const int g = map.m_Chips.At(g_WorldMap.CellAt(nColumn, nRow)).m_nPicture;
      DDBlt(lpMap, i * kCell, j * kCell, kCell, kCell, lpChips, (g % 5) * kCell, (g / 5) * kCell,
            DDBLT_TRANSPARENT);
    }
  }
  DDEndBatch();

  DDSURFACEDATA* lpEvents = SceneSurface(SURFACE_WORLDEVENT);
  DDBeginBatch(0);
  for (cEdWorldEvent& event : g_WorldMap.m_Events) {
    const cEdWorldEntry* lpEntry = ChooseEntry(&event);
    if (lpEntry == nullptr) continue;
    DDBlt(lpMap, (event.m_nX - m_nScrollX) * kCell, (event.m_nY - m_nScrollY) * kCell, kCell, kCell,
          lpEvents, IsCleared(*lpEntry) ? kCell : 0, lpEntry->m_nIcon * kCell, DDBLT_TRANSPARENT);
  }
  DDEndBatch();
}

void cWorldMapScene::DrawFrame(bool bTexts) {
  DDSURFACEDATA* lpMap = SceneSurface(SURFACE_MAPWORK);
  if (TakeLostFlag(lpMap)) DrawMap();
  DDBlt(BackBuffer(), 0, 0, lpMap->nWidth, lpMap->nHeight, lpMap, 0, 0, DDBLT_OPAQUE);

  static constexpr int kHeroCells[4][2] = {{0, 64}, {64, 64}, {64, 96}, {0, 96}};
  const int nFacing = std::clamp(m_nFacing, 0, 3);
  if (++s_nHeroAnime >= 80) s_nHeroAnime = 0;
  const int sx = kHeroCells[nFacing][0] + (s_nHeroAnime > 40 ? 32 : 0);
  DrawAccessory(sx, kHeroCells[nFacing][1], 32, 32, kHeroScreenX, kHeroScreenY);

  Font& font = SceneFont(1);
  if (g_System.m_bMapShowsLives) {
    const int nLives = g_PlayData.m_nLives;
    const bool bInfinite = nLives == kInfiniteLives;
    const int w = ((bInfinite ? 1 : CountDigits(nLives)) + 1) * 16;
    const int x = 621 - w;
    font.DrawWindow(BackBuffer(), x, 17, w, 20);
    DrawAccessory(0, 48, 16, 16, x, 19);
    if (bInfinite)
      font.Printf(BackBuffer(), x + 16, 19, "%s", "∞");
    else
      font.Printf(BackBuffer(), x + 16, 19, "%d", nLives);
  }
  if (!bTexts || !IsStageEntry()) return;

  if (g_System.m_RankGenres.At(PLAYMODE_STORY).m_bEnabled && g_PlayData.m_bShowRanking &&
      m_lpRanking != nullptr) {
    if (TakeLostFlag(m_lpRanking)) DrawRanking();
    DDBlt(BackBuffer(), kRankingX, kRankingY, kRankingWidth, kRankingHeight, m_lpRanking, 0, 0,
          DDBLT_OPAQUE);
  }

  const bool bScore = g_System.m_bMapShowsScore && m_nBestScore > 0;
  const int y = bScore ? 184 : 204;
  const std::string& strTitle = m_lpEntry->m_strTitle;
  const int n = CountChars(strTitle.c_str());
  if (n >= 1)
    font.PrintfBox(BackBuffer(), 304 - (16 * n) / 2, y, 16 * n, 16, "%s", strTitle.c_str());
  if (bScore) {
    const std::string& strLabel = g_System.m_Texts.At(2);
    const int w = 16 * (CountChars(strLabel.c_str()) + CountDigits(m_nBestScore));
    font.PrintfBox(BackBuffer(), 304 - w / 2, y + 20, w, 16, "%s%d", strLabel.c_str(),
                   m_nBestScore);
  }
}
