#include "app/scenes/game_menu_scene.h"

#include <algorithm>

#include "app/base/format.h"
#include "app/base/sjis.h"
#include "app/core/colour_animation.h"
#include "app/core/game_requests.h"
#include "app/core/menu_cursor.h"
#include "app/core/menu_text.h"
#include "app/core/surface_tables.h"
#include "app/scenes/scene_common.h"
#include "app/scenes/title_scene.h"
#include "platform/draw/font/font.h"
#include "platform/input/input_state.h"
#include "records/system.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/progress/save_slots.h"

namespace {

constexpr int kMenuX = 264;
constexpr int kMenuY = 192;
constexpr int kSlotListX = 152;
constexpr int kSlotListY = 160;

// System texts of the questions.
constexpr int kSaveQuestion = 12;
constexpr int kAutoSaveQuestion = 14;
constexpr int kNoSlotMessage = 16;
constexpr int kTitleQuestion = 17;

void FillScreen() { DDPalFillRect(BackBuffer(), 0, 0, 640, 480, kSceneFillColour); }

}  // namespace

cGameMenuScene::~cGameMenuScene() { ReleaseSceneSurfaces(kGameMenuSurfaces); }

void cGameMenuScene::Run() {
  static constexpr void (cGameMenuScene::*kHandlers[])() = {
      &cGameMenuScene::FadeIn,   &cGameMenuScene::Menu,  &cGameMenuScene::Save,
      &cGameMenuScene::AutoSave, &cGameMenuScene::ToMap, &cGameMenuScene::ToTitle,
      &cGameMenuScene::FadeOut};
  ReadMenuInput(kButton1 | kButton2);
  RunStates<cGameMenuScene>(kHandlers);
}

void cGameMenuScene::Init() {
  RequestSceneBgm(1);
  LoadSceneSurfaces(kGameMenuSurfaces);
  m_nItemCount = CollectShownItems(g_System.m_GameMenu, m_anItems, kGameMenuItems);
  ResetMenuCursor();
}

void cGameMenuScene::FadeIn() {
  DrawMenuScreen();
  DrawArrowCursor(kMenuX, kMenuY);
  if (SceneFadeIn()) m_nState = STATE_MENU;
}

void cGameMenuScene::FadeOut() {
  if (!SceneFadeOut()) return;
  FinishSceneFadeOut(SCENE_GAMEMENU);
  m_nState = -1;
}

void cGameMenuScene::Menu() {
  const cInputState& input = g_InputStates.At(0);
  MoveGridCursor(input.m_wDir, kMenuX, kMenuY, 0, 16, 1, m_nItemCount);
  PlayCursorSE(input.m_wDir, kCursorAxisVertical, 0);
  if (input.m_wButtons & kButton1) {
    PlaySE(1);
    m_nState = m_anItems[std::clamp(g_MenuCursor.Current().nRow, 0, m_nItemCount - 1)] + 2;
    PushMenuCursor(0);
    return;
  }
  if (input.m_wButtons & kButton2) {
    PlaySE(2);
    m_nState = STATE_TO_MAP;
    return;
  }
  DrawMenuScreen();
  DrawArrowCursor(g_MenuCursor.Current().x, g_MenuCursor.Current().y);
}

void cGameMenuScene::BackToMenu() {
  PopMenuCursor(1);
  m_nSubState = 0;
  m_nState = STATE_MENU;
}

void cGameMenuScene::Save() {
  const cInputState& input = g_InputStates.At(0);
  const int nSlots = static_cast<int>(g_SaveSlots.size());
  if (m_nSubState == 0) {
    g_MenuCursor.Current() = MENUCURSOR();
    g_MenuCursor.Current().nRow = g_PlayData.m_nSlot;
    m_nSubState = 1;
    LoadSaveSlotList(g_SaveSlots);
    m_nVisible = std::min(nSlots, kSlotListRows);
    m_nFirst = g_PlayData.m_nSlot;  // the list movement clamps it
  }
  if (m_nSubState == 1) {
    MoveListCursor(input.m_wDir, 1, m_nFirst, kSlotListY, 16, kSlotListX, m_nVisible, nSlots, 1);
    PlayCursorSE(input.m_wDir, kCursorAxisBoth, 0);
    if (input.m_wButtons & kButton1) {
      PlaySE(1);
      PushMenuCursor(0);
      m_nSubState = 2;
      g_MenuCursor.Current().nRow = 1;
      return;
    }
    if (input.m_wButtons & kButton2) {
      PlaySE(2);
      BackToMenu();
      return;
    }
    FillScreen();
    DrawSlotList();
    DrawArrowCursor(g_MenuCursor.Current().x, g_MenuCursor.Current().y);
    return;
  }
  // The question: save into the chosen slot, or not.
  const int x = CenterSystemTextBlock(320, kSaveQuestion, 2, 1);
  MoveGridCursor(input.m_wDir, x, 400, 0, 16, 1, 2);
  PlayCursorSE(input.m_wDir, kCursorAxisVertical, 0);
  if (input.m_wButtons & kButton1) {
    if (g_MenuCursor.Current().nRow == 0) {
      PlaySE(5);
      g_PlayData.m_nSlot = g_MenuCursor.Previous()->nRow;
      g_PlayData.SaveSlot(g_PlayData.m_nSlot);
    } else {
      PlaySE(1);
    }
    PopMenuCursor(1);
    m_nSubState = 1;
    return;
  }
  if (input.m_wButtons & kButton2) {
    PlaySE(2);
    PopMenuCursor(1);
    m_nSubState = 1;
    return;
  }
  FillScreen();
  DrawSlotList();
  DrawSystemTextBlock(SceneFont(1), x, 400, kSaveQuestion, 2, 1);
  DrawChosenMark(g_MenuCursor.Previous()->x, g_MenuCursor.Previous()->y);
  DrawArrowCursor(g_MenuCursor.Current().x, g_MenuCursor.Current().y);
}

void cGameMenuScene::AutoSave() {
  const cInputState& input = g_InputStates.At(0);
  if (m_nSubState == 0) {
    g_MenuCursor.Current() = MENUCURSOR();
    g_MenuCursor.Current().nRow = g_PlayData.m_bAutoSave ? 0 : 1;
    // Auto-save needs a slot: a story never saved gets the message instead.
    m_nSubState = g_PlayData.m_nSlot == -1 ? 2 : 1;
    return;
  }
  if (m_nSubState == 1) {
    const int x = CenterSystemTextBlock(320, kAutoSaveQuestion, 2, 1);
    MoveGridCursor(input.m_wDir, x, 224, 0, 16, 1, 2);
    PlayCursorSE(input.m_wDir, kCursorAxisVertical, 0);
    if (input.m_wButtons & kButton1) {
      PlaySE(1);
      if (g_MenuCursor.Current().nRow == 0) {
        g_PlayData.SaveSlot(g_PlayData.m_nSlot);
        g_PlayData.m_bAutoSave = 1;
      } else {
        g_PlayData.m_bAutoSave = 0;
      }
      BackToMenu();
      return;
    }
    if (input.m_wButtons & kButton2) {
      PlaySE(2);
      BackToMenu();
      return;
    }
    FillScreen();
    DrawSystemTextBlock(SceneFont(1), x, 224, kAutoSaveQuestion, 2, 1);
    DrawArrowCursor(g_MenuCursor.Current().x, g_MenuCursor.Current().y);
    return;
  }
  if (input.m_wButtons & (kButton1 | kButton2)) {
    PlaySE(input.m_wButtons & kButton1 ? 1 : 2);
    BackToMenu();
    return;
  }
  FillScreen();
  DrawSystemTextBlock(SceneFont(1), CenterSystemTextBlock(320, kNoSlotMessage, 1, 0), 232,
                      kNoSlotMessage, 1, 0);
}

void cGameMenuScene::ToMap() {
  m_nSubState = 0;
  g_SceneManager.m_nNextScene = SCENE_WORLDMAP;
  m_nState = STATE_FADEOUT;
}

void cGameMenuScene::ToTitle() {
  const cInputState& input = g_InputStates.At(0);
  if (m_nSubState == 0) {
    g_MenuCursor.Current() = MENUCURSOR();
    g_MenuCursor.Current().nRow = 1;
    m_nSubState = 1;
  }
  const int x = CenterSystemTextBlock(320, kTitleQuestion, 2, 1);
  MoveGridCursor(input.m_wDir, x, 224, 0, 16, 1, 2);
  PlayCursorSE(input.m_wDir, kCursorAxisVertical, 0);
  if (input.m_wButtons & kButton1) {
    PlaySE(1);
    if (g_MenuCursor.Current().nRow == 0) {
      g_SceneManager.m_nNextScene = SCENE_TITLE;
      m_nState = STATE_FADEOUT;
    } else {
      BackToMenu();
    }
    return;
  }
  if (input.m_wButtons & kButton2) {
    PlaySE(2);
    BackToMenu();
    return;
  }
  FillScreen();
  DrawSystemTextBlock(SceneFont(1), x, 224, kTitleQuestion, 2, 1);
  DrawArrowCursor(g_MenuCursor.Current().x, g_MenuCursor.Current().y);
}

void cGameMenuScene::DrawMenuScreen() {
  FillScreen();
  Font& font = SceneFont(1);
  int nWidest = 0;
  for (int i = 0; i < m_nItemCount; ++i)
    nWidest =
        std::max(nWidest, CountChars(g_System.m_GameMenu.At(m_anItems[i]).m_strCaption.c_str()));
  const int w = 16 * (1 + nWidest);
  const int h = 16 * m_nItemCount;
  DDBltFramed(BackBuffer(), kMenuX, kMenuY, w, h, SceneSurface(SURFACE_WINDOW), 1,
              kWindowFrameColour);
  for (int i = 0; i < m_nItemCount; ++i)
    font.Draw(BackBuffer(), kMenuX + 16, kMenuY + 16 * i,
              g_System.m_GameMenu.At(m_anItems[i]).m_strCaption.c_str(), 0);
  const int nTotal = g_PlayData.m_nBestTotal;
  if (g_System.m_bMenuShowsTotal && nTotal > 0) {
    const std::string& strLabel = g_System.m_Texts.At(4);
    const int wBox = 16 * (CountChars(strLabel.c_str()) + CountDigits(nTotal));
    const int x = 320 - wBox / 2;
    font.DrawWindow(BackBuffer(), x, 260, wBox, 16);
    font.Printf(BackBuffer(), x, 260, "%s%d", strLabel.c_str(), nTotal);
  }
  AnimateColours();
}

void cGameMenuScene::DrawSlotList() {
  DrawSaveSlotList(SceneFont(1), BackBuffer(), kSlotListX, kSlotListY, g_SaveSlots,
                   static_cast<unsigned>(m_nFirst), m_nVisible);
}
