#include "app/scenes/option_scene.h"

#include <algorithm>

#include "app/base/sjis.h"
#include "app/core/colour_animation.h"
#include "app/core/game_requests.h"
#include "app/core/menu_cursor.h"
#include "app/core/option_data.h"
#include "app/core/surface_tables.h"
#include "app/scenes/scene_common.h"
#include "app/scenes/title_scene.h"
#include "platform/draw/font/font.h"
#include "platform/input/input_state.h"
#include "records/system.h"

namespace {

constexpr int kRowsX = 48;
constexpr int kRowsY = 96;
constexpr int kValueX = 208;

}  // namespace

cOptionScene::~cOptionScene() {
  ReleaseSceneSurfaces(kOptionSurfaces);
  ReleaseSceneWork();
}

void cOptionScene::Run() {
  static constexpr void (cOptionScene::*kHandlers[])() = {
      &cOptionScene::FadeIn, &cOptionScene::Options, &cOptionScene::FadeOut};
  ReadMenuInput(kButton1 | kButton2);
  RunStates<cOptionScene>(kHandlers);
}

void cOptionScene::Init() {
  RequestSceneBgm(3);
  LoadSceneSurfaces(kOptionSurfaces);
  ResetMenuCursor();
  m_nRowCount = CollectShownItems(g_System.m_OptionMenu, m_anRows, kOptionItems);
  ReleaseSceneWork();
  m_lpOptions = CreateSceneWork(640, 480, 0);
  DrawOptions();
  m_nSubState = SUB_SETUP;
}

void cOptionScene::FadeIn() {
  if (IsPaletteDisplay()) DrawOptions();
  DrawScreen();
  if (SceneFadeIn()) m_nState = STATE_OPTIONS;
}

void cOptionScene::FadeOut() {
  if (!SceneFadeOut()) return;
  DDPalFillSurface(BackBuffer(), kSceneFillColour);
  ApplyMusicSwitch();
  SaveOptionData();
  FinishSceneFadeOut(SCENE_OPTION);
}

void cOptionScene::ApplyMusicSwitch() {
  if (RequestMusicSwitch(g_OptionData.m_bBgm) != 0) g_SceneManager.m_nBgm = 0;
}

void cOptionScene::Options() {
  if (m_nSubState == SUB_SETUP) {
    g_MenuCursor.Current() = MENUCURSOR();
    m_nSubState = SUB_CHOOSE;
  }
  if (m_nSubState == SUB_CHOOSE)
    Choose();
  else
    Change();
}

void cOptionScene::Choose() {
  const cInputState& input = g_InputStates.At(0);
  MoveGridCursor(input.m_wDir, kRowsX, kRowsY, 0, 16, 1, m_nRowCount);
  PlayCursorSE(input.m_wDir, kCursorAxisVertical, 0);
  const MENUCURSOR& cursor = g_MenuCursor.Current();
  if (input.m_wButtons & kButton1) {
    PlaySE(1);
    m_nItem = m_anRows[std::clamp(cursor.nRow, 0, m_nRowCount - 1)];
    switch (m_nItem) {
      case OPTION_PALETTE:
      case OPTION_MUSIC:
      case OPTION_SE_VOLUME:
      case OPTION_RANK_MODE: {
        static constexpr int kMax[] = {kPaletteNumberMax, 1, kSeVolumeLevelMax, kRankModeMax};
        int32_t* const apnValue[] = {&g_OptionData.m_nPalette, &g_OptionData.m_bBgm,
                                     &g_OptionData.m_nSeVolume, &g_OptionData.m_nRankMode};
        m_pnValue = apnValue[m_nItem];
        m_nMin = 0;
        m_nMax = kMax[m_nItem];
        m_nSaved = *m_pnValue;
        PushMenuCursor(0);
        m_nSubState = SUB_CHANGE;
        return;
      }
      case OPTION_RANK_NAME:
        RequestNameEntry();
        DrawOptions();
        DrawScreen();
        DrawArrowCursor(cursor.x, cursor.y);
        return;
      case OPTION_BACK:
        g_SceneManager.m_nNextScene = SCENE_TITLE;
        m_nSubState = SUB_SETUP;
        m_nState = STATE_FADEOUT;
        return;
      default:
        return;
    }
  }
  if (input.m_wButtons & kButton2) {
    PlaySE(2);
    g_SceneManager.m_nNextScene = SCENE_TITLE;
    m_nSubState = SUB_SETUP;
    m_nState = STATE_FADEOUT;
    return;
  }
  DrawScreen();
  DrawArrowCursor(cursor.x, cursor.y);
}

void cOptionScene::ApplyValue() {
  if (m_nItem == OPTION_PALETTE) LoadHbtPalette(*m_pnValue);
  if (m_nItem == OPTION_SE_VOLUME) ApplySeVolume(*m_pnValue);
}

void cOptionScene::Change() {
  const cInputState& input = g_InputStates.At(0);
  int32_t& nValue = *m_pnValue;
  auto change = [&](int nDelta) {
    nValue += nDelta;
    if (nValue < m_nMin)
      nValue = m_nMax;
    else if (nValue > m_nMax)
      nValue = m_nMin;
    ApplyValue();
    DrawOptions();
  };
  if (input.m_wDir & kDirUp) change(1);
  if (input.m_wDir & kDirDown) change(-1);
  PlayCursorSE(input.m_wDir, kCursorAxisVertical, 0);
  if (input.m_wButtons & kButton1) {
    PlaySE(1);
    PopMenuCursor(1);
    m_nSubState = SUB_CHOOSE;
    return;
  }
  if (input.m_wButtons & kButton2) {
    PlaySE(2);
    nValue = m_nSaved;
    ApplyValue();
    PopMenuCursor(1);
    m_nSubState = SUB_CHOOSE;
    DrawOptions();
    return;
  }
  DrawScreen();
  const MENUCURSOR* lpParent = g_MenuCursor.Previous();
  if (lpParent == nullptr) return;
  DrawChosenMark(lpParent->x, lpParent->y);
  DrawArrowCursor(kValueX - 16, lpParent->y);
}

void cOptionScene::DrawScreen() {
  if (TakeLostFlag(m_lpOptions)) DrawOptions();
  if (m_lpOptions != nullptr) DDBlt(BackBuffer(), 0, 0, 640, 480, m_lpOptions, 0, 0, DDBLT_OPAQUE);
  AnimateColours();
}

void cOptionScene::DrawOptions() {
  if (m_lpOptions == nullptr) return;
  Font& heading = SceneFont(2);
  Font& font = SceneFont(1);
  heading.DrawWindow(m_lpOptions, 1, 1, 638, 478);
  const std::string& strHeading = g_System.m_TitleMenu.At(TITLE_OPTIONS).m_strCaption;
  heading.Printf(m_lpOptions, 320 - 16 * CountChars(strHeading.c_str()), 32, "%s",
                 strHeading.c_str());
  const cOptionData& options = g_OptionData;
  for (int i = 0; i < m_nRowCount; ++i) {
    const int y = kRowsY + 16 * i;
    const int nItem = m_anRows[i];
    font.Printf(m_lpOptions, 64, y, "%s", g_System.m_OptionMenu.At(nItem).m_strCaption.c_str());
    switch (nItem) {
      case OPTION_PALETTE:
        font.Printf(m_lpOptions, kValueX, y, "%d", options.m_nPalette);
        break;
      case OPTION_MUSIC:
        font.Printf(m_lpOptions, kValueX, y, "%s", options.m_bBgm ? "ON" : "OFF");
        break;
      case OPTION_SE_VOLUME:
        font.Printf(m_lpOptions, kValueX, y, "%d", options.m_nSeVolume);
        break;
      case OPTION_RANK_MODE:
        font.Printf(m_lpOptions, kValueX, y, "%s",
                    g_System.m_RankModeNames.At(options.m_nRankMode).c_str());
        break;
      case OPTION_RANK_NAME:
        font.Printf(m_lpOptions, kValueX, y, "%s", options.m_strRankName.c_str());
        break;
      default:
        break;
    }
  }
}
