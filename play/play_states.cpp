// cPlayScene: construction, the state machine, the menus and the banners.

#include "app/base/close_request.h"
#include "app/base/sjis.h"
#include "app/core/game_requests.h"
#include "app/core/game_start.h"
#include "app/core/menu_cursor.h"
#include "app/core/menu_text.h"
#include "app/core/option_data.h"
#include "app/core/ranking.h"
#include "app/core/scene.h"
#include "app/core/shell_state.h"
#include "app/core/surface_tables.h"
#include "objects/draw_source.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/dd_device.h"
#include "platform/draw/dd_fade.h"
#include "platform/draw/dd_pattern.h"
#include "platform/input/input_devices.h"
#include "platform/input/input_state.h"
#include "platform/input/virtual_keys.h"
#include "play/play_scene.h"
#include "records/system.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/progress/replay.h"
#include "stagedata/stage_globals.h"

namespace {

constexpr int kAccessorySheet = 49;
constexpr int kWordSheet = 51;
constexpr uint16_t kDecide = 1;
constexpr uint16_t kCancel = 2;

// The play scene's surfaces: 2 to 47, 49, 50, 51 and 55 to 70.
constexpr int kPlaySurfaces[] = {2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18,
                                 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35,
                                 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 49, 50, 51, 55, 56,
                                 57, 58, 59, 60, 61, 62, 63, 64, 65, 66, 67, 68, 69, 70};
static_assert(std::size(kPlaySurfaces) == 65);
constexpr int kBackgroundSurfaces[] = {55, 56, 57, 58, 59, 60, 61, 62};

bool IsReplay() { return g_SceneManager.m_nTitleChoice == 4; }

DDSURFACEDATA* Sheet(int n) { return &g_SurfaceTable[n]; }

// Player 1's input for a menu frame: key repeat, decide and cancel one-shot.
cInputState& MenuInput() {
  cInputState& input = g_InputStates.At(0);
  input.ApplyRepeat();
  input.LatchButtons(kDecide | kCancel);
  return input;
}

// A vertical menu of System texts nFirst.. at (x, 272) with its cursor.
void DrawMenu(int x, int nFirst, int nCount) {
  DrawSystemTextBlock(g_Fonts[1], x, 272, nFirst, nCount, 1);
  const MENUCURSOR& cursor = g_MenuCursor.Current();
  DDBlt(&g_BackBufferSD, cursor.x, cursor.y, 16, 16, Sheet(kAccessorySheet), 64, 0, 1);
}

}  // namespace

cPlayScene::cPlayScene()
    : m_vGroupActive(kActivationGroups, 0), m_vFactionChara(kFactions), m_vFactionShot(kFactions) {
  g_PlayData.m_nBgmNo = 0;
}

cPlayScene::~cPlayScene() {
  ClearPictures();
  m_MessageList.clear();
  for (const int n : kPlaySurfaces) DDReleaseSurface(&g_SurfaceTable[n]);
  DDReleaseSurfaceVector(g_CharaExcSD);
  g_CharaExcSD.clear();
  g_CharaExcSDInfo.clear();
  DDReleaseSurfaceVector(g_SwordSD);
  g_SwordSD.clear();
  g_SwordSDInfo.clear();
  DDReleaseSurfaceVector(g_EffectSD);
  g_EffectSD.clear();
  g_EffectSDInfo.clear();
  if (g_SceneManager.m_nFrameRate != 60) g_SceneManager.m_nFrameRate = 60;
}

// ---- States ----------------------------------------------------------------------

void cPlayScene::Run() {
  static void (cPlayScene::*const kStates[])() = {
      &cPlayScene::FadeIn,    &cPlayScene::ShowStageStart, &cPlayScene::PlayFrame,
      &cPlayScene::PauseMenu, &cPlayScene::StageClear,     &cPlayScene::RetryMenu,
      &cPlayScene::GameOver,  &cPlayScene::FadeOut};
  RunStates(kStates);
}

void cPlayScene::Init() {
  m_vRankPos.assign(5, 0);
  m_vRankValue.assign(5, 0);
  FillBackgroundSlots();
  if (g_SceneManager.m_nPrevScene != SCENE_PLAY) {
    if (!DDLoadSurfaceTable(g_SurfaceTable, kPlaySurfaces,
                            static_cast<int>(std::size(kPlaySurfaces)))) {
      RequestClose();
      return;
    }
    PrepareShotSheets();
    LoadCharaExcSheets();
    LoadSwordSheets();
    LoadEffectSheets();
    ResetPlayState();
    TakeLife(g_PlayData);
  } else if (!DDLoadSurfaceTable(g_SurfaceTable, kBackgroundSurfaces,
                                 static_cast<int>(std::size(kBackgroundSurfaces)))) {
    RequestClose();
    return;
  }
  SetStage(g_SceneManager.m_nPrevScene == SCENE_PLAY ? 1 : 0, 1);
  ResetMenuCursor();
  m_nSubState = 0;
}

void cPlayScene::ResetPlayState() {
  cPlayData& data = g_PlayData;
  data.m_nLives = data.m_nStartLives;
  data.m_nScore = data.m_nGameScore = 0;
  data.m_nTimeLeftSum = data.m_nClearTimeSum = data.m_nHpSum = data.m_nSpSum = 0;
  data.m_bStartOverride = 0;
  m_ScrollX.m_dPos = m_ScrollY.m_dPos = 0.0;
  m_nSubState = m_nBannerCount = m_nStartBannerCount = 0;
  m_bSwallowDecide = m_nTimeLeft = m_bRegistered = 0;
  if (!IsReplay()) {
    g_Replay.Clear();
    g_ReplayPrev.Clear();
  }
  if (g_bCommandLineStage) data.m_nPartNo = 1;
  if (g_SceneManager.m_bRanking)
    LoadRanking(g_RankTable, g_SceneManager.m_nGameKind, data.m_strStageKey);
}

int cPlayScene::TakeLife(cPlayData& data) {
  if (g_bCommandLineStage) return 1;
  if (data.m_nLives == kInfiniteLives) return 1;
  if (data.m_nLives >= 1) {
    --data.m_nLives;
    return 1;
  }
  return 0;
}

int cPlayScene::CheckPauseKey() {
  if (!InputDevices().IsKeyDown(vkey::kSpace)) return 0;
  PlaySE(4);
  m_nPausedState = m_nState;
  m_nPausedSubState = m_nSubState;
  return 1;
}

void cPlayScene::FadeIn() {
  DrawFrame(0, 1, 0, 1);
  if (DDFadeIn(g_PaletteShown, 0, 255, 0, 0, 0, g_SceneManager.m_nFadeStep, g_PaletteBase, 0))
    m_nState = 1;
}

void cPlayScene::FadeOut() {
  DrawFrame(0, 1, 0, 1);
  if (!DDFadeOut(g_PaletteShown, 0, 255, 0, 0, 0, g_SceneManager.m_nFadeStep, g_PaletteBase, 0))
    return;
  DDPalFillSurface(&g_BackBufferSD, 16);
  if (g_SceneManager.m_nTitleChoice == 3 && !g_PlayData.m_bMultiPart) {
    // A single stage file is read again for the next attempt: the file
    // itself, which the stage key (its path cut after the stem) does not
    // name.
    if (!StartStageFile(g_Stage.m_strLoadPath.c_str(), 0)) RequestClose();
  }
  g_SceneManager.m_nFrameRate = 60;
  g_SceneManager.m_nScene = g_SceneManager.m_nNextScene;
  g_SceneManager.m_nPrevScene = SCENE_PLAY;
  m_nState = -1;
}

void cPlayScene::ShowStageStart() {
  DrawFrame(0, 1, 0, 1);
  DDSURFACEDATA* lpWord = Sheet(kWordSheet);
  const bool bEditorTest = g_bEditorLaunch && g_bCommandLineStage;
  if (!bEditorTest) {
    if (IsReplay()) {
      if (++m_nBannerCount < 80) {
        DDBlt(&g_BackBufferSD, 256, 224, 128, 32, lpWord, 0, 32, 1);
        return;
      }
    } else {
      if (g_Stage.m_bShowStageNo && ++m_nBannerCount < 80) {
        DDBlt(&g_BackBufferSD, 256, 224, 128, 32, lpWord, 0, 0, 1);
        DDBltNumber(&g_BackBufferSD, 384, 224, 32, 32, lpWord, 0, 128, 1, g_PlayData.m_nPartNo, 1,
                    0);
        return;
      }
      if (g_Stage.m_bShowStart && ++m_nStartBannerCount < 80) {
        DDBlt(&g_BackBufferSD, 280, 224, 80, 32, lpWord, 160, 0, 1);
        return;
      }
    }
  }
  cPlayer& hero = *Hero();
  hero.m_Anime.SetPattern(hero.m_bFly ? 2 : 0, 1);
  m_nBannerCount = 0;
  m_nState = 2;
}

void cPlayScene::PauseMenu() {
  if (PollReplayKeys() == 1) return;
  const int nKind = g_SceneManager.m_nGameKind;
  const int nStageNo = g_PlayData.m_nStageNo;
  bool bRetry = nKind == GAMEKIND_FREE;
  if (nKind == GAMEKIND_STORY && g_System.m_bPauseRetryStory && nStageNo >= 0 &&
      static_cast<size_t>(nStageNo) < g_PlayData.m_ClearedFlags.size())
    bRetry = g_PlayData.m_ClearedFlags[static_cast<size_t>(nStageNo)] != 0;
  if (nKind == GAMEKIND_CHALLENGE && g_System.m_bPauseRetryChallenge && nStageNo >= 1 &&
      static_cast<size_t>(nStageNo - 1) < g_PlayData.m_StageResults.size())
    bRetry = g_PlayData.m_StageResults[static_cast<size_t>(nStageNo - 1)].m_bCleared != 0;
  const int nItems = bRetry ? 3 : 2;
  if (m_nSubState == 0) {
    g_MenuCursor.Current().nRow = 1;
    m_nSubState = 1;
  }
  cInputState& input = MenuInput();
  const int x = CenterSystemTextBlock(320, 19, nItems, 1);
  MoveGridCursor(input.m_wDir, x, 272, 0, 16, 1, nItems);
  PlayCursorSE(input.m_wDir, kCursorAxisVertical, 0);
  if (input.m_wButtons & kDecide) {
    PlaySE(1);
    switch (g_MenuCursor.Current().nRow) {
      case 0:
        m_nState = 7;
        if (nItems == 3 && g_bCommandLineStage) {
          RequestClose();
          return;
        }
        g_SceneManager.m_nNextScene = SCENE_TITLE;
        g_MenuCursor.Current().nRow = g_SceneManager.m_nTitleChoice;
        m_nSubState = 0;
        return;
      case 1:
        m_bSwallowDecide = 1;
        m_nState = m_nPausedState;
        m_nSubState = m_nPausedSubState;
        return;
      default:
        m_bSwallowDecide = 1;
        g_PlayData.RestoreStageStart(1);
        SetStage(1, 0);
        m_nSubState = 0;
        m_nState = 1;
        return;
    }
  }
  if (input.m_wButtons & kCancel) {
    PlaySE(2);
    m_bSwallowDecide = 1;
    m_nState = m_nPausedState;
    m_nSubState = nItems == 3 ? m_nPausedSubState : 0;
    return;
  }
  DrawFrame(0, 1, 0, 1);
  DrawMenu(x, 19, nItems);
}

void cPlayScene::StageClear() {
  const bool bAuto = g_Stage.m_bAutoClear != 0;
  if (!bAuto) {
    if (CheckPauseKey()) {
      m_nSubState = 0;
      m_nState = 3;
      return;
    }
    PollReplayKeys();
    if (g_OptionData.m_nRankMode <= 1 && InputDevices().IsKeyDown(vkey::kF1 + 2)) RegisterRanking();
  }
  if (m_nSubState == 0) {
    m_nBannerCount = 0;
    m_nSubState = 1;
  }
  cInputState& input = MenuInput();
  const bool bDecide = (input.m_wButtons & kDecide) != 0;
  if (m_nBannerCount >= 200 && (bAuto || bDecide)) {
    if (bDecide) {
      if (m_bRanked && g_OptionData.m_nRankMode >= 2)
        RegisterRanking();
      else
        PlaySE(1);
    }
    g_SceneManager.m_nNextScene = FinishStage();
    m_nBannerCount = 0;
    m_nSubState = 0;
    m_nState = 7;
    return;
  }
  // With a result to register by F3, the hint replaces the status display.
  const bool bHint = !bAuto && !m_bRegistered && g_OptionData.m_nRankMode <= 1 &&
                     m_vRankPos.CountValue(-1) < static_cast<int>(m_vRankPos.size());
  if (bHint) {
    DrawFrame(0, 1, 0, 0);
    const std::string& strHint = g_System.m_Texts.At(27);
    g_Fonts[1].Draw(&g_BackBufferSD, 320 - 16 * CountChars(strHint.c_str()) / 2, 456,
                    strHint.c_str(), 0);
  } else {
    DrawFrame(0, 1, 0, 1);
  }
  if (g_Stage.m_bShowClear) {
    m_nBannerCount += 4;
    if (m_nBannerCount < 100)
      DDBltInterlace(&g_BackBufferSD, 256, 192, 128, 32, 4, 100 - m_nBannerCount, Sheet(kWordSheet),
                     0, 64, 1, 0);
    else
      DDBlt(&g_BackBufferSD, 256, 192, 128, 32, Sheet(kWordSheet), 0, 64, 1);
  } else {
    m_nBannerCount = 200;
  }
  if (m_nBannerCount >= 200 && g_SceneManager.m_bRanking && !bAuto)
    DrawResultPanel(&g_BackBufferSD, 336, 224, m_vRankPos);
}

void cPlayScene::RetryMenu() {
  if (PollReplayKeys() == 1) return;
  if (m_nSubState == 0) {
    g_MenuCursor.Current().nRow = 0;
    m_nSubState = 1;
  }
  cInputState& input = MenuInput();
  const int x = CenterSystemTextBlock(320, 22, 2, 1);
  MoveGridCursor(input.m_wDir, x, 272, 0, 16, 1, 2);
  PlayCursorSE(input.m_wDir, kCursorAxisVertical, 0);
  if (input.m_wButtons & kDecide) {
    PlaySE(1);
    if (g_MenuCursor.Current().nRow == 0) {
      SetStage(1, 0);
      m_nState = 1;
    } else {
      g_PlayData.m_bLeftStage = 1;
      g_SceneManager.m_nNextScene = SCENE_WORLDMAP;
      g_MenuCursor.Current().nRow = g_SceneManager.m_nTitleChoice;
      m_nSubState = 0;
      m_nState = 7;
    }
    return;
  }
  DrawFrame(0, 1, 0, 1);
  DrawMenu(x, 22, 2);
}

void cPlayScene::GameOver() {
  if (CheckPauseKey()) {
    m_nSubState = 0;
    m_nState = 3;
    return;
  }
  if (PollReplayKeys() == 1) return;
  cInputState& input = MenuInput();
  if (input.m_wButtons & kDecide) {
    PlaySE(1);
    g_SceneManager.m_nNextScene = SCENE_TITLE;
    m_nState = 7;
    return;
  }
  DrawFrame(0, 1, 0, 1);
  if (g_Stage.m_bShowGameOver)
    DDBlt(&g_BackBufferSD, 248, 224, 144, 32, Sheet(kWordSheet), 0, 96, 1);
}
