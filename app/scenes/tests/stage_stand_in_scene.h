#pragma once
// A stand-in for scene 4 in the front-end scenes' tests, so that they need
// no stage play: the stage that the menus loaded is named on the filled
// screen, and button 1 or 2 leaves it the way a stage that was given up
// leaves: back to the world map (the hero returns to the cell he came from),
// the stage select or the title.

#include "app/core/scene.h"

class cStageStandInScene : public cScene {
 public:
  enum : int { STATE_FADEIN = 0, STATE_SHOW = 1, STATE_FADEOUT = 2 };

  void Run() override;
  void Init() override;
  void FadeIn() override;
  void FadeOut() override;
  void Show();

  // The scene a given-up stage of the current game returns to.
  static int ReturnScene();

 private:
  void Draw();
};
