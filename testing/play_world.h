#pragma once
// A whole play scene for tests and benchmarks: the drawing library started
// headless (frames are drawn into memory), the pictures of the play scene
// written into a throw-away game folder, a stage built in code from rows of
// text, and player 1's input words set frame by frame. Every global it
// touches is put back when it goes.
//
// Stage rows: '#' a solid block, 'X' a block that is fatal to the hero,
// 'H' the hero (with flows: the arrows walk while held, button 1 jumps,
// higher while held, and stage variable 1 counts the jumps), '$' a coin
// (an item taken on touch that adds kCoinScore to the score), 'E' a pacer
// (a harmless computer character that paces its ground at a pixel a frame),
// 'L' a lift (a flying block character that goes right for a second at a
// pixel a frame, then left as long), '.' nothing.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/draw/present/presenter.h"
#include "play/play_scene.h"
#include "testing/game_folder.h"

struct PLAYWORLDOPTIONS {
  std::vector<std::string> rows;
  std::optional<int> nLevel = {};  // collision level; a new stage's when not given
  bool bGpu = false;               // the textured back end instead of the surface one
  int nBpp = 32;                   // the display's bits per pixel (8: full screen)
  uint32_t nSeed = 12345;
};

inline constexpr int kCoinScore = 100;

// Player 1's input words.
inline constexpr uint16_t kKeyLeft = 1;
inline constexpr uint16_t kKeyRight = 2;
inline constexpr uint16_t kKeyUp = 4;
inline constexpr uint16_t kKeyDown = 8;
inline constexpr uint16_t kButtonJump = 1;

// The colour (0xRRGGBB) of palette index n in a world, and a bitmap in the
// world's palette whose pixel(x, y) is a palette index (0 is transparent).
uint32_t WorldRgb(int n);
std::string WorldBitmap(int nWidth, int nHeight, const std::function<uint32_t(int, int)>& pixel);
// A pixel of a world's back buffer as 0xRRGGBB (32 bits per pixel only).
uint32_t BackBufferRgb(int x, int y);

// The presenter of a world: it keeps the last frame and calls back on every
// frame presented, so that tests of the nested draw-only loops can count the
// frames a wait shows, look at the scene between them and press keys for the
// next one. The call runs on the thread that presents (the pause thread in a
// nested loop) while the game thread waits for that loop.
class cPresentHook : public cNullPresenter {
 public:
  void Present(const PRESENTFRAME& frame, bool bVSync) override {
    cNullPresenter::Present(frame, bVSync);
    if (m_onPresent) m_onPresent(m_nPresents);
  }
  // Called with the number of frames presented so far, this one included.
  std::function<void(int nPresent)> m_onPresent;
};

class cPlayWorld {
 public:
  explicit cPlayWorld(const PLAYWORLDOPTIONS& options);
  ~cPlayWorld();
  cPlayWorld(const cPlayWorld&) = delete;
  cPlayWorld& operator=(const cPlayWorld&) = delete;

  // Makes the play scene current (a free play of the stage; in replay
  // playback when bReplay).
  void Start(bool bReplay = false);
  // One frame of the scene with the given input words (ignored in playback).
  void Frame(uint16_t wDir, uint16_t wButtons);
  // Frames until the scene is in state 2 (play); false after 200.
  bool RunUntilPlay();
  // Presents the frame drawn last, as the scene manager does after every
  // frame, and returns the checksum of what the presenter was given (golden
  // files of drawn frames hold it).
  uint64_t PresentChecksum();

  cPlayScene& Scene() { return *m_lpScene; }
  cTestGameFolder& Folder() { return m_Folder; }
  cPresentHook& Presenter() { return m_Presenter; }
  bool m_bStarted = false;

  // The hero's flows as the world gives them (also for other tests' heroes).
  static void AddHeroFlows(cEdChara& hero);
  // g_Stage (and g_StageStart) built from rows: a new stage record with its
  // size, blocks and hero, and the collision level when given.
  static void BuildStage(const std::vector<std::string>& rows, std::optional<int> nLevel = {});
  // The sample game written into the folder and its project loaded as
  // start-up loads it, then a stage of it (stored path under "data\", as
  // the world map names it) loaded for play; false with a report-log line.
  bool LoadSampleStage(const char* pszStage);

 private:
  void WriteBitmaps();

  cTestGameFolder m_Folder;
  cPresentHook m_Presenter;
  std::unique_ptr<cPlayScene> m_lpScene;
};
