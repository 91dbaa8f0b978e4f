#pragma once
// The stage select scene (scene 3), the menu of a challenge run: the open
// challenge stages with their cleared signs and best scores and the total
// score; choosing one loads it and starts the play scene.

#include "app/core/scene.h"

struct DDSURFACEDATA;

class cStageSelectScene : public cScene {
 public:
  enum : int { STATE_FADEIN = 0, STATE_LIST = 1, STATE_FADEOUT = 2 };

  ~cStageSelectScene() override;
  void Run() override;
  void Init() override;
  void FadeIn() override;
  void FadeOut() override;
  void List();

  // The stages offered: all of the project's, or those opened so far.
  static int StageCount();

  int m_nFirst = 0;  // first stage row shown
  int m_nStageCount = 0;
  int m_nVisible = 0;

 private:
  void SelectStage(int nStage);
  void DrawList();
  void DrawScreen();

  DDSURFACEDATA* m_lpList = nullptr;
};
