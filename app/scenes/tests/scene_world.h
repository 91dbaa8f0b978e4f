#pragma once
// A small world for the front-end scene tests: the drawing library started
// headless at 640 x 480 on the surface table, bitmaps whose every part has a
// palette colour of its own (so a pixel of the back buffer tells what was
// drawn there), box-glyph fonts, a sound table whose plays are counted, the
// project records at their defaults with a small world map, and player 1's
// keys pressed and released frame by frame.
//
// Palette entry i is the colour (i, 255 - i, 128): the red byte of a pixel is
// its palette index. Entry 0 is the transparent colour.

#include <cstdint>
#include <string>
#include <vector>

#include "app/core/scene.h"
#include "app/core/tests/core_test_support.h"
#include "app/core/tests/shell_test_util.h"
#include "platform/draw/present/presenter.h"

// Palette colours of the test pictures.
inline constexpr int kColourTitle = 20;
inline constexpr int kColourWindow = 30;
inline constexpr int kColourCursor = 40;     // accessory (0, 0), 32 x 32
inline constexpr int kColourArrow = 41;      // accessory (64, 0), 16 x 16
inline constexpr int kColourMark = 42;       // accessory (80, 0), 16 x 16
inline constexpr int kColourCleared = 43;    // accessory (96, 0), 32 x 32
inline constexpr int kColourLives = 44;      // accessory (0, 48), 16 x 16
inline constexpr int kColourHero = 50;       // accessory hero cells: down, up, left, right
inline constexpr int kColourHeroStep = 54;   // the same, 32 pixels further right
inline constexpr int kColourChip = 60;       // world map chip g: 60 + g
inline constexpr int kColourEvent = 70;      // world event icon k: 70 + k
inline constexpr int kColourEventDone = 80;  // the cleared picture of icon k: 80 + k
inline constexpr int kColourGamemode = 90;   // picture menu strip i: 90 + i

// World map of the tests: 30 x 20 cells of chip 0 (passable, picture 0);
// chip 1 is a wall (picture 1).
inline constexpr int kMapWidth = 30;
inline constexpr int kMapHeight = 20;

class cSceneWorld {
 public:
  // bGpu starts the textured back end instead of the surface one.
  explicit cSceneWorld(bool bGpu = false);
  ~cSceneWorld();
  cSceneWorld(const cSceneWorld&) = delete;
  cSceneWorld& operator=(const cSceneWorld&) = delete;

  // One frame of the current scene: player 1's keys are polled, the scene
  // switch is made and the scene runs (no frame wait, no present).
  void Frame();
  // Presses a key for one frame and lets it go for the next.
  void Tap(int nKey);
  // Frames until the current scene (of that number) is in the state;
  // false after 60 frames.
  bool RunUntilState(int nScene, int nState);
  // Frames until the scene number is current and its fade-in is over.
  bool Enter(int nScene);

  cScene* Current() const { return g_SceneManager.Scene(g_SceneManager.m_nScene); }
  template <class Scene>
  Scene* As() const {
    return dynamic_cast<Scene*>(Current());
  }

  // The colour of a back-buffer pixel as 0xRRGGBB (0xFFFFFFFF when the back
  // buffer cannot be read).
  uint32_t PixelAt(int x, int y) const;
  // The palette index of a back-buffer pixel (-1 when it is none).
  int IndexAt(int x, int y) const;
  // Whether the rectangle of the back buffer is all of one palette colour.
  bool IsFilled(int x, int y, int nWidth, int nHeight, int nIndex) const;

  // Writes a stage file with a hero and a name.
  void WriteStage(const std::string& strPath, const std::string& strName) const;
  // The ways a stage file is refused for play: no end marker (cut at its
  // end), cut in its middle (the end marker kept), no hero.
  enum class eDamage { NoEndMark, CutShort, NoHero };
  // Writes such a stage file; the loader's message for it.
  std::string WriteDamagedStage(const std::string& strPath, eDamage damage) const;

  // Plays of sound n so far (n 0..23).
  int Plays(int n) { return m_Sounds.Plays(n); }
  cTestGameFolder& Folder() { return m_Shell.m_folder; }
  std::string ReportLog() const { return m_Shell.m_folder.ReportLogText(); }

  bool m_bStarted = false;
  // Texts of the message boxes shown, in order.
  std::vector<std::string> m_Boxes;

 private:
  void WriteBitmaps();
  void MakeWorldMap() const;

  cShellTestGuard m_Shell;
  cSoundTableFixture m_Sounds;
  cNullPresenter m_Presenter;
};

// Keys of the fixed layout.
namespace scenekey {
inline constexpr int kDecide = 'Z';  // button 1
inline constexpr int kCancel = 'X';  // button 2
inline constexpr int kButton3 = 'C';
inline constexpr int kButton4 = 'V';
}  // namespace scenekey
