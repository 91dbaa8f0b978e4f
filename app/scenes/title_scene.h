#pragma once
// The title scene (scene 0): the title picture with the project's title menu,
// where every game starts (new story, a story continued from a save slot, a
// challenge run, a free play of a stage file, a replay), and the way to the
// options and out of the program.

#include "app/core/scene.h"

struct DDSURFACEDATA;

inline constexpr int kTitleMenuItems = 7;
inline constexpr int kSlotListRows = 10;

// Title menu choices: the index of the item in the System record's title menu.
enum : int {
  TITLE_NEW_STORY = 0,
  TITLE_CONTINUE = 1,
  TITLE_CHALLENGE = 2,
  TITLE_FREE_PLAY = 3,
  TITLE_REPLAY = 4,
  TITLE_OPTIONS = 5,
  TITLE_QUIT = 6,
};

class cTitleScene : public cScene {
 public:
  enum : int { STATE_FADEIN = 0, STATE_MENU = 1, STATE_LOAD_SLOT = 2, STATE_FADEOUT = 3 };

  ~cTitleScene() override;
  void Run() override;
  void Init() override;
  void FadeIn() override;
  void FadeOut() override;
  void Menu();
  void LoadSlotMenu();

  int m_nItemCount = 0;
  int m_anItems[kTitleMenuItems] = {};  // title menu index of each shown row
  int m_nFirst = 0;                     // first visible row of the slot list
  int m_nVisible = 0;                   // rows the slot list shows
  int m_nMenuX = 192;                   // top-left of the menu window
  int m_nMenuY = 240;

 private:
  // Carries out the choice of a row; the scene leaves, opens a sub-menu or
  // stays in the menu.
  void Choose(int nChoice);
  void DrawTitle();
  void CreateMenuWindow();
  void DrawMenuWindow();

  DDSURFACEDATA* m_lpWindow = nullptr;
  int m_nWindowWidth = 0;
  int m_nWindowHeight = 0;
};
