#pragma once
// Scenes and the scene manager.
//
// Everything the player shows is a scene: 0 title, 1 world map, 2 game menu,
// 3 stage select, 4 play, 5 options. The manager owns at most one object per
// scene and runs one frame of the current scene per RunFrame. A scene asks
// for a switch by setting m_nNextScene and entering its fade-out; the end of
// its fade-out sets m_nPrevScene to its own number and m_nScene to the next.
// The next frame deletes every other scene and creates the new one, so a
// scene never runs in the frame of its deletion.
//
// The manager lives below the game library and the front-end scenes: it makes
// scenes through the creator functions the program registers per number.
//
// Every scene follows one pattern: a state number that is -1 until Init has
// run, a sub-state, and a table of state handlers whose first is the fade-in
// and whose last is the fade-out (RunStates).

#include <atomic>
#include <cstddef>

#include "app/base/report_log.h"
#include "platform/input/input_state.h"

struct DDSURFACEDATA;

enum : int {
  SCENE_TITLE = 0,
  SCENE_WORLDMAP = 1,
  SCENE_GAMEMENU = 2,
  SCENE_STAGESELECT = 3,
  SCENE_PLAY = 4,
  SCENE_OPTION = 5,
  kSceneCount = 6
};

class cScene {
 public:
  virtual ~cScene() = default;
  // One frame; the manager calls it once per frame for the current scene.
  virtual void Run() {}
  // Set-up on entry, called in the scene's first frame.
  virtual void Init() {}
  // The first state handler: fades in, then moves to state 1.
  virtual void FadeIn() {}
  // The last state handler: fades out, then makes the next scene current.
  virtual void FadeOut() {}
  // Surface back end: brings back the lost surfaces the scene holds beyond
  // the program's tables (RestoreLostSurface each); false when that fails.
  virtual bool RestoreOwnSurfaces() { return true; }

  int m_nState = -1;
  int m_nSubState = 0;

 protected:
  // The body of Run after the scene's input handling: Init once (state -1;
  // a thrown text or exception is traced and closes the program, and the
  // scene goes on in state 0), then the handler of the current state. A
  // state outside the table runs nothing.
  template <class Scene, size_t N>
  void RunStates(void (Scene::*const (&handlers)[N])()) {
    if (m_nState == -1) {
      RunInitGuarded();
      m_nState = 0;
    }
    if (m_nState < 0 || static_cast<size_t>(m_nState) >= N) return;
    // Taken out first: g++ 12 with UBSan miscompiles a call through an
    // indexed member pointer.
    void (Scene::*const pfnHandler)() = handlers[m_nState];
    (static_cast<Scene*>(this)->*pfnHandler)();
  }

 private:
  void RunInitGuarded();
};

class cPlayScene;
// The running play scene, null when none exists. Set by the play scene's
// creator (RegisterPlayScene) and cleared when the manager deletes it. Used
// only by the thread that runs game logic.
extern cPlayScene* g_lpPlayScene;

using SceneCreator = cScene* (*)();

class cSceneManager {
 public:
  cSceneManager();
  ~cSceneManager();
  cSceneManager(const cSceneManager&) = delete;
  cSceneManager& operator=(const cSceneManager&) = delete;

  // One frame: wait, count, restore lost surfaces, read input, make the
  // current scene, run it, frame figures (the play scene gets a copy of the
  // frames per second), present. 0 when lost surfaces cannot be restored
  // (the game thread then closes the program).
  int RunFrame();
  // Deletes every scene but nScene and makes nScene when it does not exist;
  // a number outside 0..5 deletes every scene.
  void ChangeScene(int nScene);
  void DeleteScenes();
  // The live object of a scene number, or null.
  cScene* Scene(int nScene) const;

  // Presents the finished back buffer (also called by the nested loops).
  void Flip();
  // Surface back end: brings back lost surfaces; false when that fails.
  bool RestoreLostSurfaces();
  // Polls player 1 with the fixed layout or the key configuration.
  void ReadInput(cInputStateList& states);

  // Back to the start values, every scene deleted (tests).
  void Reset();

  int m_nScene = 0;
  int m_nNextScene = 0;
  int m_nPrevScene = 0;
  int m_nTitleChoice = 0;  // 0 new story, 1 continue, 2 stage select, 3 stage file, 4 replay
  int& m_nGameKind;        // g_nGameKind: 0 story, 1 challenge, 2 free, 3 replay
  int m_nSelectCursor = 0;
  int m_nSelectTop = 0;
  int m_bRanking = 0;
  int m_nFrameRate = 0;  // start-up sets 60; the play scene its stage's rate
  int m_nFadeStep = 0;   // start-up sets 10
  int m_nBgm = 0;        // the Bgm the scenes last asked for

 private:
  cScene* m_lpScenes[kSceneCount] = {};
};

extern cSceneManager g_SceneManager;

// A lost surface gets its memory back and, when it has no parent, its
// picture reloaded (a work surface is only marked lost); false when the
// picture cannot be reloaded.
bool RestoreLostSurface(DDSURFACEDATA& sd);

// Registers the creator of a scene number (the program does, once, before
// the first frame). The play scene registers with RegisterPlayScene.
void SetSceneCreator(int nScene, SceneCreator creator);
template <class Scene>
void RegisterScene(int nScene) {
  SetSceneCreator(nScene, []() -> cScene* { return new Scene; });
}
// Every frame the manager hands the running play scene the frames counted in
// the last second (its m_nFps); the play scene's registration says how.
using PlaySceneFpsCopier = void (*)(int nFps);
void SetPlaySceneFpsCopier(PlaySceneFpsCopier copier);
template <class PlayScene>
void RegisterPlayScene() {
  SetSceneCreator(SCENE_PLAY, []() -> cScene* {
    PlayScene* p = new PlayScene;
    g_lpPlayScene = p;
    return p;
  });
  SetPlaySceneFpsCopier([](int nFps) {
    if (g_lpPlayScene != nullptr) static_cast<PlayScene*>(g_lpPlayScene)->m_nFps = nFps;
  });
}

// The frame wait: surface back end only (the textured back end paces in its
// present), after the worker gate.
void WaitFrame();

// Frame figures: frames run since start, frames in the last full second and
// the last frame's work time in ms. Written by the thread that runs frames;
// the frame count is also read by the main thread.
extern std::atomic<int> g_nFrameCount;
// The scene the last frame ran (-1 before the first), for other threads.
extern std::atomic<int> g_nSceneRunning;
extern int g_nFps;
extern int g_nWorkTime;
