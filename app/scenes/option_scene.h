#pragma once
// The option scene (scene 5), reached from the title: the user's settings in
// a list. The palette and the sound volume take effect at once, the music
// switch when the scene is left; "user_data\Option.dat" is saved then.

#include <cstdint>

#include "app/core/scene.h"

struct DDSURFACEDATA;

inline constexpr int kOptionItems = 6;

// Option menu items: the index of the item in the System record's list.
enum : int {
  OPTION_PALETTE = 0,
  OPTION_MUSIC = 1,
  OPTION_SE_VOLUME = 2,
  OPTION_RANK_MODE = 3,
  OPTION_RANK_NAME = 4,
  OPTION_BACK = 5,
};

class cOptionScene : public cScene {
 public:
  enum : int { STATE_FADEIN = 0, STATE_OPTIONS = 1, STATE_FADEOUT = 2 };
  enum : int { SUB_SETUP = 0, SUB_CHOOSE = 1, SUB_CHANGE = 2 };

  ~cOptionScene() override;
  void Run() override;
  void Init() override;
  void FadeIn() override;
  void FadeOut() override;
  void Options();

  // Applies the music switch of the options when the scene is left: stops
  // and releases the music player when music was turned off, starts it when
  // it was turned on (the next scene then asks for its music again).
  static void ApplyMusicSwitch();

  int m_nRowCount = 0;
  int m_anRows[kOptionItems] = {};  // option menu index of each shown row
  int m_nItem = 0;                  // the item being changed
  int32_t m_nSaved = 0;             // its value before the change
  int32_t* m_pnValue = nullptr;     // the option being changed
  int m_nMin = 0, m_nMax = 0;

 private:
  void Choose();
  void Change();
  // The palette and the sound volume take effect as they change.
  void ApplyValue();
  void DrawOptions();
  void DrawScreen();

  DDSURFACEDATA* m_lpOptions = nullptr;
};
