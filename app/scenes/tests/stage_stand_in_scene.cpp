#include "app/scenes/tests/stage_stand_in_scene.h"

#include "app/base/sjis.h"
#include "app/core/menu_cursor.h"
#include "app/scenes/scene_common.h"
#include "platform/draw/font/font.h"
#include "platform/input/input_state.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/stage_globals.h"

void cStageStandInScene::Run() {
  static constexpr void (cStageStandInScene::*kHandlers[])() = {
      &cStageStandInScene::FadeIn, &cStageStandInScene::Show, &cStageStandInScene::FadeOut};
  ReadMenuInput(kButton1 | kButton2);
  RunStates<cStageStandInScene>(kHandlers);
}

void cStageStandInScene::Init() { ResetMenuCursor(); }

int cStageStandInScene::ReturnScene() {
  switch (g_SceneManager.m_nGameKind) {
    case GAMEKIND_STORY:
      return SCENE_WORLDMAP;
    case GAMEKIND_CHALLENGE:
      return SCENE_STAGESELECT;
    default:
      return SCENE_TITLE;
  }
}

void cStageStandInScene::FadeIn() {
  Draw();
  if (SceneFadeIn()) m_nState = STATE_SHOW;
}

void cStageStandInScene::Show() {
  const cInputState& input = g_InputStates.At(0);
  if (input.m_wButtons & (kButton1 | kButton2)) {
    const int nNext = ReturnScene();
    if (nNext == SCENE_WORLDMAP) g_PlayData.m_bLeftStage = 1;
    g_SceneManager.m_nNextScene = nNext;
    m_nState = STATE_FADEOUT;
    return;
  }
  Draw();
}

void cStageStandInScene::FadeOut() {
  if (!SceneFadeOut()) return;
  FinishSceneFadeOut(SCENE_PLAY);
}

void cStageStandInScene::Draw() {
  DDPalFillSurface(BackBuffer(), kSceneFillColour);
  const std::string& strName = g_Stage.m_strName;
  SceneFont(2).Printf(BackBuffer(), 320 - 16 * CountChars(strName.c_str()), 224, "%s",
                      strName.c_str());
}
