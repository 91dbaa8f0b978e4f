#include "app/scenes/stage_select_scene.h"

#include <algorithm>

#include "app/base/format.h"
#include "app/base/message_box.h"
#include "app/base/sjis.h"
#include "app/core/colour_animation.h"
#include "app/core/game_requests.h"
#include "app/core/game_start.h"
#include "app/core/menu_cursor.h"
#include "app/core/ranking.h"
#include "app/core/surface_tables.h"
#include "app/scenes/scene_common.h"
#include "app/scenes/title_scene.h"
#include "platform/draw/font/font.h"
#include "platform/input/input_state.h"
#include "records/system.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/stage_file.h"
#include "stagedata/stage_globals.h"

namespace {

constexpr int kListRows = 10;
constexpr int kRowsY = 160;
constexpr int kRowHeight = 32;
constexpr int kCursorX = 32;
// The ranking window of the stage under the cursor.
constexpr int kRankingX = 292;
constexpr int kRankingY = 108;

}  // namespace

cStageSelectScene::~cStageSelectScene() {
  ReleaseSceneSurfaces(kStageSelectSurfaces);
  ReleaseSceneWork();
}

void cStageSelectScene::Run() {
  static constexpr void (cStageSelectScene::*kHandlers[])() = {
      &cStageSelectScene::FadeIn, &cStageSelectScene::List, &cStageSelectScene::FadeOut};
  ReadMenuInput(kButton1 | kButton2 | kButton3 | kButton4);
  RunStates<cStageSelectScene>(kHandlers);
}

int cStageSelectScene::StageCount() {
  return g_System.m_bSelectAllStages ? g_System.m_nStageCount : g_PlayData.m_nChallengeOpen;
}

void cStageSelectScene::Init() {
  RequestSceneBgm(2);
  LoadSceneSurfaces(kStageSelectSurfaces);
  ResetMenuCursor();
  g_MenuCursor.Current().nRow = g_SceneManager.m_nSelectCursor;
  m_nFirst = g_SceneManager.m_nSelectTop;
  m_nStageCount = StageCount();
  SelectStage(g_MenuCursor.Current().nRow + 1);
  ReleaseSceneWork();
  m_lpList = CreateSceneWork(640, 480, 0);
  DrawList();
  m_nSubState = 0;
}

void cStageSelectScene::FadeIn() {
  if (IsPaletteDisplay()) DrawList();
  DrawScreen();
  if (SceneFadeIn()) m_nState = STATE_LIST;
}

void cStageSelectScene::FadeOut() {
  if (!SceneFadeOut()) return;
  FinishSceneFadeOut(SCENE_STAGESELECT);
}

void cStageSelectScene::SelectStage(int nStage) {
  g_PlayData.SetStagePath(ChallengeStagePath(nStage).c_str());
  if (g_SceneManager.m_bRanking)
    LoadRanking(g_RankTable, g_SceneManager.m_nGameKind, g_PlayData.m_strStageKey);
}

void cStageSelectScene::List() {
  const cInputState& input = g_InputStates.At(0);
  cSceneManager& manager = g_SceneManager;
  m_nStageCount = StageCount();
  m_nVisible = std::min(kListRows, m_nStageCount - m_nFirst);
  MoveListCursor(input.m_wDir, 1, m_nFirst, kRowsY, kRowHeight, kCursorX, m_nVisible, m_nStageCount,
                 1);
  PlayCursorSE(input.m_wDir, kCursorAxisBoth, 0);
  const int nRow = g_MenuCursor.Current().nRow;
  if (input.m_wDir != 0) {
    SelectStage(nRow + 1);
    DrawList();
  }
  if (input.m_wButtons & kButton1) {
    const std::string strPath = ChallengeStagePath(nRow + 1);
    // A stage that cannot be played is refused here; the list goes on.
    if (!LoadStageForPlay(strPath.c_str(), 1, &g_StageStart, false)) {
      PlaySE(3);
      ErrorBoxf("ステージファイル %s が読み込めません！", strPath.c_str());
      return;
    }
    PlaySE(1);
    cPlayData& data = g_PlayData;
    data.SetStagePath(g_Stage.m_strLoadPath.c_str());
    data.m_nPartNo = 1;
    data.m_nStageNo = nRow + 1;
    SetStartLives(data, PLAYMODE_CHALLENGE);
    data.m_bMultiPart = 1;
    manager.m_nSelectCursor = nRow;
    manager.m_nSelectTop = m_nFirst;
    manager.m_nNextScene = SCENE_PLAY;
    manager.m_nPrevScene = SCENE_STAGESELECT;
    m_nState = STATE_FADEOUT;
    return;
  }
  if (input.m_wButtons & kButton2) {
    PlaySE(2);
    manager.m_nNextScene = SCENE_TITLE;
    manager.m_nPrevScene = SCENE_STAGESELECT;
    m_nState = STATE_FADEOUT;
    return;
  }
  const int bRanking = g_System.m_RankGenres.At(PLAYMODE_CHALLENGE).m_bEnabled;
  if (input.m_wButtons & kButton3) {
    if (bRanking) {
      PlaySE(6);
      g_PlayData.m_bShowRanking = g_PlayData.m_bShowRanking ? 0 : 1;
      DrawList();
    } else {
      g_PlayData.m_bShowRanking = 0;
    }
  } else if ((input.m_wButtons & kButton4) && bRanking) {
    if (g_System.CountRankingGenres(manager.m_nGameKind) >= 2) {
      PlaySE(6);
      g_PlayData.StepRankingGenre(manager.m_nGameKind, 1);
    }
    DrawList();
  }
  DrawScreen();
  DrawAccessory(0, 0, 32, 32, g_MenuCursor.Current().x, g_MenuCursor.Current().y);
}

void cStageSelectScene::DrawScreen() {
  if (TakeLostFlag(m_lpList)) DrawList();
  if (m_lpList != nullptr) DDBlt(BackBuffer(), 0, 0, 640, 480, m_lpList, 0, 0, DDBLT_OPAQUE);
  AnimateColours();
}

void cStageSelectScene::DrawList() {
  if (m_lpList == nullptr) return;
  Font& heading = SceneFont(2);
  Font& font = SceneFont(1);
  heading.DrawWindow(m_lpList, 1, 1, 638, 478);
  const std::string& strHeading = g_System.m_TitleMenu.At(TITLE_CHALLENGE).m_strCaption;
  heading.Printf(m_lpList, 320 - 16 * CountChars(strHeading.c_str()), 32, "%s", strHeading.c_str());

  const cPlayData& data = g_PlayData;
  if (g_System.m_bSelectShowsTotal && data.m_nBestTotal > 0) {
    const std::string& strLabel = g_System.m_Texts.At(4);
    const int w = 16 * (CountChars(strLabel.c_str()) + CountDigits(data.m_nBestTotal));
    font.Printf(m_lpList, 320 - w / 2, 88, "%s%d", strLabel.c_str(), data.m_nBestTotal);
  }
  if (!data.m_bShowRanking && g_System.m_bSelectShowsScores)
    heading.Printf(m_lpList, 32, 128, "         %s", g_System.m_Texts.At(3).c_str());

  const std::string& strStage = g_System.m_Texts.At(0);
  const int g = CountChars(strStage.c_str());
  const int nRows = std::min(kListRows, m_nStageCount - m_nFirst);
  for (int i = 0; i < nRows; ++i) {
    const int s = m_nFirst + i + 1;
    const int y = kRowsY + kRowHeight * i;
    heading.Printf(m_lpList, 64, y, "%s%d", strStage.c_str(), s);
    const cStageClear& result = data.m_StageResults.At(s - 1);
    if (result.m_bCleared) DrawAccessory(96, 0, 32, 32, (g + 4) * 32, y, m_lpList);
    if (g_System.m_bSelectShowsScores)
      heading.Printf(m_lpList, 32 * g + 192, y, "%d", result.m_nBest);
  }
  if (g_System.m_RankGenres.At(PLAYMODE_CHALLENGE).m_bEnabled && data.m_bShowRanking)
    g_RankTable.Draw(m_lpList, kRankingX, kRankingY, data.m_nRankingGenre, -1);
}
