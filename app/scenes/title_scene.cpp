#include "app/scenes/title_scene.h"

#include <algorithm>

#include "app/base/close_request.h"
#include "app/base/sjis.h"
#include "app/core/colour_animation.h"
#include "app/core/game_requests.h"
#include "app/core/game_start.h"
#include "app/core/menu_cursor.h"
#include "app/core/menu_text.h"
#include "app/core/surface_tables.h"
#include "app/scenes/scene_common.h"
#include "platform/input/input_state.h"
#include "records/system.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/progress/save_slots.h"

namespace {

constexpr int kSlotListX = 152;
constexpr int kSlotListY = 160;
constexpr int kRowHeight = 32;

}  // namespace

cTitleScene::~cTitleScene() {
  ReleaseSceneSurfaces(kTitleSurfaces);
  ReleaseSceneWork();
}

void cTitleScene::Run() {
  static constexpr void (cTitleScene::*kHandlers[])() = {
      &cTitleScene::FadeIn, &cTitleScene::Menu, &cTitleScene::LoadSlotMenu, &cTitleScene::FadeOut};
  ReadMenuInput(kButton1 | kButton2);
  RunStates<cTitleScene>(kHandlers);
}

void cTitleScene::Init() {
  RequestSceneBgm(0);
  LoadSceneSurfaces(kTitleSurfaces);
  ResetMenuCursor();
  m_nItemCount = CollectShownItems(g_System.m_TitleMenu, m_anItems, kTitleMenuItems);
  // The row of the choice made on the last visit; when it is hidden, the
  // row numbered like it (the first move wraps it into range).
  const int nChoice = g_SceneManager.m_nTitleChoice;
  const int* pBegin = m_anItems;
  const int* pEnd = pBegin + m_nItemCount;
  const int* pFound = std::find(pBegin, pEnd, nChoice);
  g_MenuCursor.Current().nRow = pFound != pEnd ? static_cast<int>(pFound - pBegin) : nChoice;
  if (g_System.m_bMenuPicture) m_nMenuX = 288 - SceneSurface(SURFACE_GAMEMODE)->nWidth / 2;
  CreateMenuWindow();
  m_nSubState = 0;
}

void cTitleScene::FadeIn() {
  if (IsPaletteDisplay()) DrawMenuWindow();
  DrawTitle();
  if (SceneFadeIn()) m_nState = STATE_MENU;
}

void cTitleScene::FadeOut() {
  if (!SceneFadeOut()) return;
  FinishSceneFadeOut(SCENE_TITLE);
}

void cTitleScene::Menu() {
  const cInputState& input = g_InputStates.At(0);
  MoveGridCursor(input.m_wDir, m_nMenuX, m_nMenuY, 0, kRowHeight, 1, m_nItemCount);
  PlayCursorSE(input.m_wDir, kCursorAxisVertical, 0);
  if (input.m_wButtons & kButton1) {
    PlaySE(1);
    const int nRow = std::clamp(g_MenuCursor.Current().nRow, 0, m_nItemCount - 1);
    Choose(m_anItems[nRow]);
    return;
  }
  DrawTitle();
  DrawAccessory(0, 0, 32, 32, g_MenuCursor.Current().x, g_MenuCursor.Current().y);
}

void cTitleScene::Choose(int nChoice) {
  cSceneManager& manager = g_SceneManager;
  manager.m_nTitleChoice = nChoice;
  auto startGame = [&](int nKind) {
    manager.m_nGameKind = nKind;
    manager.m_bRanking = g_System.m_RankGenres.At(nKind).m_bEnabled;
  };
  auto leave = [&](int nScene) {
    manager.m_nNextScene = nScene;
    m_nState = STATE_FADEOUT;
  };
  switch (nChoice) {
    case TITLE_NEW_STORY:
      startGame(GAMEKIND_STORY);
      NewStoryGame();
      leave(SCENE_WORLDMAP);
      break;
    case TITLE_CONTINUE:
      startGame(GAMEKIND_STORY);
      PushMenuCursor(0);
      m_nState = STATE_LOAD_SLOT;
      m_nSubState = 0;
      break;
    case TITLE_CHALLENGE:
      startGame(GAMEKIND_CHALLENGE);
      if (!g_PlayData.LoadChallenge()) {
        // No challenge progress yet: every stage unplayed.
        g_PlayData.Reset();
        g_PlayData.m_StageResults.resize(static_cast<size_t>(std::max(g_System.m_nStageCount, 0)));
      }
      leave(SCENE_STAGESELECT);
      break;
    case TITLE_FREE_PLAY:
      startGame(GAMEKIND_FREE);
      if (RequestStageFile()) leave(SCENE_PLAY);
      break;
    case TITLE_REPLAY:
      startGame(GAMEKIND_REPLAY);
      if (RequestReplayLoad()) leave(SCENE_PLAY);
      break;
    case TITLE_OPTIONS:
      leave(SCENE_OPTION);
      break;
    case TITLE_QUIT:
      RequestClose();  // the scene stays as it is until the program closes
      break;
    default:
      break;
  }
}

void cTitleScene::LoadSlotMenu() {
  MENUCURSOR& cursor = g_MenuCursor.Current();
  if (m_nSubState == 0) {
    cursor = MENUCURSOR();
    m_nFirst = 0;
    m_nSubState = 1;
    LoadSaveSlotList(g_SaveSlots);
  }
  const int nSlots = static_cast<int>(g_SaveSlots.size());
  m_nVisible = std::min(nSlots, kSlotListRows);
  const cInputState& input = g_InputStates.At(0);
  MoveListCursor(input.m_wDir, 1, m_nFirst, kSlotListY, 16, kSlotListX, m_nVisible, nSlots, 1);
  PlayCursorSE(input.m_wDir, kCursorAxisBoth, 0);
  if (input.m_wButtons & kButton1) {
    if (g_SaveSlots.At(cursor.nRow).m_bUsed == 0) {
      PlaySE(3);
      return;
    }
    PlaySE(1);
    g_PlayData.LoadSlot(cursor.nRow);
    g_SceneManager.m_nNextScene = SCENE_WORLDMAP;
    m_nState = STATE_FADEOUT;
    return;
  }
  if (input.m_wButtons & kButton2) {
    PlaySE(2);
    PopMenuCursor(1);
    m_nState = STATE_MENU;
    m_nSubState = 0;
    return;
  }
  DDBlt(BackBuffer(), 0, 0, SceneSurface(SURFACE_TITLE)->nWidth,
        SceneSurface(SURFACE_TITLE)->nHeight, SceneSurface(SURFACE_TITLE), 0, 0, DDBLT_OPAQUE);
  AnimateColours();
  DrawSaveSlotList(SceneFont(1), BackBuffer(), kSlotListX, kSlotListY, g_SaveSlots,
                   static_cast<unsigned>(m_nFirst), m_nVisible);
  DrawArrowCursor(cursor.x, cursor.y);
}

void cTitleScene::DrawTitle() {
  DDSURFACEDATA* lpTitle = SceneSurface(SURFACE_TITLE);
  DDBlt(BackBuffer(), 0, 0, lpTitle->nWidth, lpTitle->nHeight, lpTitle, 0, 0, DDBLT_OPAQUE);
  if (TakeLostFlag(m_lpWindow)) DrawMenuWindow();
  if (m_lpWindow != nullptr)
    DDBlt(BackBuffer(), m_nMenuX, m_nMenuY, m_nWindowWidth, m_nWindowHeight, m_lpWindow, 0, 0,
          DDBLT_TRANSPARENT);
  AnimateColours();
}

void cTitleScene::CreateMenuWindow() {
  ReleaseSceneWork();
  m_lpWindow = nullptr;
  if (g_System.m_bMenuPicture) {
    m_nWindowWidth = SceneSurface(SURFACE_GAMEMODE)->nWidth + 32;
  } else {
    int nWidest = 0;
    for (int i = 0; i < m_nItemCount; ++i)
      nWidest =
          std::max(nWidest, CountChars(g_System.m_TitleMenu.At(m_anItems[i]).m_strCaption.c_str()));
    m_nWindowWidth = 32 * nWidest + 34;
  }
  m_nWindowHeight = 32 * m_nItemCount + 2;
  m_lpWindow = CreateSceneWork(m_nWindowWidth, m_nWindowHeight, 1);
  DrawMenuWindow();
}

void cTitleScene::DrawMenuWindow() {
  if (m_lpWindow == nullptr) return;
  if (g_System.m_bMenuPicture) {
    DDPalFillSurface(m_lpWindow, 0);
    DDSURFACEDATA* lpPicture = SceneSurface(SURFACE_GAMEMODE);
    for (int i = 0; i < m_nItemCount; ++i)
      DDBlt(m_lpWindow, 32, 32 * i, lpPicture->nWidth, 32, lpPicture, 0, 32 * m_anItems[i],
            DDBLT_OPAQUE);
    return;
  }
  DDBltFramed(m_lpWindow, 1, 1, m_nWindowWidth - 2, m_nWindowHeight - 2,
              SceneSurface(SURFACE_WINDOW), 1, kWindowFrameColour);
  for (int i = 0; i < m_nItemCount; ++i)
    SceneFont(2).Draw(m_lpWindow, 32, 32 * i,
                      g_System.m_TitleMenu.At(m_anItems[i]).m_strCaption.c_str(), 0);
}
