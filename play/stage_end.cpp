// The end of a stage: the clear and its totals and extra lives, what follows
// the stage-clear display, the stage music, and the nested draw-only loop
// that commands which stop play run on the pause thread.

#include <algorithm>
#include <string>

#include "app/base/close_request.h"
#include "app/base/format.h"
#include "app/base/path_utils.h"
#include "app/core/game_requests.h"
#include "app/core/main_thread.h"
#include "app/core/menu_cursor.h"
#include "app/core/option_data.h"
#include "app/core/ranking.h"
#include "app/core/scene.h"
#include "app/core/shell_state.h"
#include "app/core/thread.h"
#include "platform/input/input_state.h"
#include "play/play_scene.h"
#include "records/record_file.h"
#include "records/system.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/progress/replay.h"
#include "stagedata/progress/world_map.h"
#include "stagedata/stage_file.h"
#include "stagedata/stage_globals.h"

namespace {

constexpr int kMaxLives = 99;

}  // namespace

void cPlayScene::RequestStageBgm(int nBgm, int nLoop) {
  g_PlayData.m_nBgmLoop = nLoop;
  RequestBgm(4, nBgm);
}

void cPlayScene::AddClearTotals() {
  cPlayData& data = g_PlayData;
  const int nOldTotal = data.m_nGameScore;
  data.m_nGameScore = std::min(data.m_nGameScore + data.m_nScore, 999999);
  if (!m_bNoTimeLimit) data.m_nTimeLeftSum += m_nTimeLeft;
  data.m_nClearTimeSum += m_nPlayTime;
  data.m_nHpSum += Hero()->m_nHp;
  data.m_nSpSum += Hero()->m_nSp;

  const int p = g_System.m_nExtraLifeScore;
  if (data.m_nLives == kInfiniteLives || !g_System.m_bExtraLife || p <= 0) return;
  const int nGranted = data.m_nGameScore / p - nOldTotal / p;
  for (int i = 0; i < nGranted; ++i) {
    data.m_nLives = std::min(data.m_nLives + 1, kMaxLives);
    PlaySE(15);
    // The one-up icon above the hero for the 30 frames of the pause.
    const uint32_t nSerial = AddMessage(MESSAGESETUP{.nKind = MSGKIND_ONEUP,
                                                     .nPosition = MSGPOS_ABOVE_HERO,
                                                     .bFixOnScreen = 1,
                                                     .nDisplayMode = MSGDISPLAY_TIME,
                                                     .nCountdown = 30,
                                                     .bStopsGame = 1,
                                                     .nAnchorId = Hero()->m_nId})
                                 .m_nSerial;
    m_WaitRequest.Set(WAITKIND_EXTRALIFE, 0, 30, 0);
    RunWaitRequest();
    RemoveMessage(nSerial);
    if (IsPlayQuitRequested()) {
      RequestClose();
      return;
    }
  }
}

void cPlayScene::FinishClearedStage() {
  PlaySE(14);
  AddClearTotals();
  m_bRegistered = 0;
  m_bRanked = 0;
  m_vRankPos.assign(5, -1);
  m_vRankValue.assign(5, 0);
  if (!g_bCommandLineStage && (!g_SceneManager.m_bRanking || !IsLastPart(m_nNextPart))) return;
  const cPlayData& data = g_PlayData;
  m_vRankValue[0] = data.m_nGameScore;
  m_vRankValue[1] = data.m_nTimeLeftSum;
  m_vRankValue[2] = data.m_nClearTimeSum;
  m_vRankValue[3] = data.m_nHpSum;
  m_vRankValue[4] = data.m_nSpSum;
  if (g_bEditorLaunch) return;
  // Where each genre that the game kind ranks and the stage shows would enter.
  const cGenreFlags& ranked = g_System.m_RankGenres.At(g_SceneManager.m_nGameKind);
  for (int i = 0; i < kRankGenreCount; ++i) {
    if (ranked.m_abGenres.At(i) == 0 || g_Stage.m_vResultItem.At(i) == 0) continue;
    m_vRankPos.At(i) = g_RankTable.m_Lists.At(i).FindInsertPos(m_vRankValue.At(i));
    if (m_vRankPos.At(i) != -1) m_bRanked = 1;
  }
}

void cPlayScene::RegisterRanking() {
  if (!g_SceneManager.m_bRanking || !m_bRanked || m_bRegistered) return;
  const int nMode = g_OptionData.m_nRankMode;
  if (nMode == 1 || nMode == 3) {
    m_strEntryName = g_OptionData.m_strRankName;
  } else {
    // The name last entered is offered; the dialog edits m_strEntryName.
    m_strEntryName = g_PlayData.m_strPlayerName;
    RequestNameEntry();
    g_PlayData.m_strPlayerName = m_strEntryName;
  }
  PlaySE(16);
  for (int i = 0; i < kRankGenreCount; ++i)
    if (m_vRankPos.At(i) != -1)
      g_RankTable.m_Lists.At(i).Insert(m_strEntryName, m_vRankValue.At(i));
  SaveRanking(g_RankTable, g_SceneManager.m_nGameKind, g_PlayData.m_strStageKey);
  m_bRegistered = 1;
  if (!thRanking.Start([this] { return RankingThreadProc(this); })) return;
  thRanking.Join();
}

int cPlayScene::MakePartFileName(std::string& strName, int nPart) {
  strName.clear();
  if (!g_PlayData.m_bMultiPart || m_nNextPart == 0) return 0;
  const std::string& strKey = g_PlayData.m_strStageKey;
  if (strKey.empty()) return 0;
  std::string strPath;
  FormatString(strPath, "%s-%d.stg4", strKey.substr(0, strKey.size() - 1).c_str(), nPart);
  if (!FindNewestVersion(strName, strPath, "stg4")) {
    strName.clear();
    return 0;
  }
  return 1;
}

int cPlayScene::IsLastPart(int nPart) {
  std::string strName;
  return MakePartFileName(strName, nPart) ? 0 : 1;
}

int cPlayScene::FinishStage() {
  cPlayData& data = g_PlayData;
  if (g_Stage.m_bStoreHeroStatus) {
    const cPlayer& hero = *Hero();
    data.StoreHeroStatus(0, hero.m_Def, hero.m_nHp, hero.m_nSp, 0, 0, 0, m_nTimeLeft, data.m_nLives,
                         data.m_nBgmNo);
  }
  const int nPart = data.m_nPartNo;
  // The next part of a stage in several files, when it exists and loads.
  auto nextPart = [&]() {
    std::string strName;
    if (!data.m_bMultiPart || m_nNextPart == 0 || !MakePartFileName(strName, m_nNextPart))
      return false;
    if (!LoadStageForPlay(strName.c_str(), 0, &g_StageStart)) return false;
    data.m_nPartNo = m_nNextPart;
    g_Replay.Clear();
    g_ReplayPrev.Clear();
    return true;
  };
  switch (g_SceneManager.m_nTitleChoice) {
    case 0:
    case 1: {
      if (nextPart()) return SCENE_PLAY;
      const int nStage = data.m_nStageNo;
      if (nStage >= 0 && static_cast<size_t>(nStage) < data.m_ClearedFlags.size())
        data.m_ClearedFlags[static_cast<size_t>(nStage)] = 1;
      data.UpdateBestScore(data.m_strStageKey, data.m_nGameScore);
      const int nAfter = data.m_pEntry != nullptr ? data.m_pEntry->m_nAfterClear : 0;
      if (nAfter == AFTERCLEAR_TO_TITLE) {
        g_MenuCursor.Current().nRow = g_SceneManager.m_nTitleChoice;
        return SCENE_TITLE;
      }
      if (nAfter == AFTERCLEAR_RESTART_WORLD) data.RestartWorld();
      data.m_nPartNo = nPart;
      return SCENE_WORLDMAP;
    }
    case 2: {
      if (nextPart()) return SCENE_PLAY;
      const int k = data.m_nStageNo - 1;
      if (k >= 0 && static_cast<size_t>(k) < data.m_StageResults.size()) {
        cStageClear& entry = data.m_StageResults[static_cast<size_t>(k)];
        entry.m_bCleared = 1;
        if (entry.m_nBest < data.m_nGameScore) {
          data.m_nBestTotal += data.m_nGameScore - entry.m_nBest;
          entry.m_nBest = data.m_nGameScore;
        }
      }
      if (data.m_nStageNo >= data.m_nChallengeOpen)
        data.m_nChallengeOpen = std::min(data.m_nStageNo + 1, g_System.m_nStageCount);
      data.SaveToFile("user_data\\challenge\\Challenge.dat");
      data.m_nPartNo = nPart;
      return SCENE_STAGESELECT;
    }
    case 3:
      if (!data.m_bMultiPart || g_bCommandLineStage) {
        data.m_bStartOverride = 0;
        return SCENE_PLAY;
      }
      if (nextPart()) return SCENE_PLAY;
      data.m_nPartNo = nPart;
      return SCENE_TITLE;
    case 4:
      data.RestoreStageStart(1);
      return SCENE_PLAY;
    default:
      return SCENE_STAGESELECT;
  }
}

// ---- The nested loop of the pause thread -------------------------------------------

int PauseThreadProc(cPlayScene* lpScene) {
  cPlayScene& scene = *lpScene;
  if (IsPlayQuitRequested()) return 0;
  // A private copy of the input, so that the game's histories stay as they
  // were when play stopped.
  cInputStateList input(g_InputStates.size());
  for (size_t i = 0; i < input.size(); ++i) input[i] = g_InputStates[i];
  cInputState& first = input.At(0);
  first.ClearHistory();
  first.ClearKeyEvents();
  first.ClearDirection();
  first.ClearButtons();

  WAITREQUEST& request = scene.m_WaitRequest;
  while (!IsQuitRequested()) {
    if (IsPlayQuitRequested()) break;
    WaitFrame();
    if (!g_SceneManager.RestoreLostSurfaces()) RequestClose();
    g_SceneManager.ReadInput(input);
    first.RecordHistory();
    first.LatchButtons(0);
    if (PollReplayKeys() == 1) continue;
    if (request.nDelay > 0) {
      --request.nDelay;
    } else if (request.bKeyWait) {
      const bool bNow = (first.m_wButtons & 1) != 0;
      const bool bBefore = (first.GetHistoryValue(1, 1) & 1) != 0;
      if (bNow && !bBefore) {
        PlaySE(request.nKind == WAITKIND_MESSAGE ? 12 : 1);
        scene.m_bSwallowDecide = 1;
        break;
      }
    } else if (--request.nDuration < 0) {
      break;
    }
    scene.DrawFrame(0, 1, 0, 1);
    g_SceneManager.Flip();
  }
  return 1;
}

// The rankings after a registration: the list of one genre with the new
// place marked, over the frozen play frame; button 8 steps through the
// genres the game kind ranks, decide leaves.
int RankingThreadProc(cPlayScene* lpScene) {
  cPlayScene& scene = *lpScene;
  const int nKind = g_SceneManager.m_nGameKind;
  g_PlayData.StepRankingGenre(nKind, 0);
  cInputStateList input(g_InputStates.size());
  for (size_t i = 0; i < input.size(); ++i) input[i] = g_InputStates[i];
  cInputState& first = input.At(0);
  first.ClearButtons();
  constexpr uint16_t kNextGenre = 0x100;
  while (!IsQuitRequested()) {
    if (IsPlayQuitRequested()) break;
    WaitFrame();
    if (!g_SceneManager.RestoreLostSurfaces()) RequestClose();
    g_SceneManager.ReadInput(input);
    first.ApplyRepeat();
    first.LatchButtons(1 | kNextGenre);
    if (first.m_wButtons & 1) break;
    if ((first.m_wButtons & kNextGenre) && g_System.CountRankingGenres(nKind) > 1) {
      PlaySE(6);
      g_PlayData.StepRankingGenre(nKind, 1);
    }
    scene.DrawFrame(0, 1, 0, 1);
    const int nGenre = g_PlayData.m_nRankingGenre;
    g_RankTable.Draw(&g_BackBufferSD, 184, 64, nGenre, scene.m_vRankPos.At(nGenre));
    g_SceneManager.Flip();
  }
  PlaySE(1);
  return 1;
}

void cPlayScene::RunWaitRequest() {
  if (!thPause.Start([this] { return PauseThreadProc(this); })) return;
  thPause.Join();
}
