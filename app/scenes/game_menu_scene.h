#pragma once
// The game menu scene (scene 2), the story's menu opened from the world map:
// save the story into a save slot, switch auto-save, go back to the map or
// back to the title.

#include "app/core/scene.h"

inline constexpr int kGameMenuItems = 4;

class cGameMenuScene : public cScene {
 public:
  enum : int {
    STATE_FADEIN = 0,
    STATE_MENU = 1,
    STATE_SAVE = 2,
    STATE_AUTOSAVE = 3,
    STATE_TO_MAP = 4,
    STATE_TO_TITLE = 5,
    STATE_FADEOUT = 6
  };

  ~cGameMenuScene() override;
  void Run() override;
  void Init() override;
  void FadeIn() override;
  void FadeOut() override;
  void Menu();
  void Save();
  void AutoSave();
  void ToMap();
  void ToTitle();

  int m_nItemCount = 0;
  int m_anItems[kGameMenuItems] = {};  // game menu index of each shown row
  int m_nFirst = 0;                    // first visible row of the slot list
  int m_nVisible = 0;

 private:
  void DrawMenuScreen();
  void DrawSlotList();
  void BackToMenu();
};
