#pragma once
// A clean shell for one test: a throw-away game folder, the request queue,
// the scene manager, the shell flags and the worker gate put back, and all
// of it put back again afterwards.

#include "app/core/main_thread.h"
#include "app/core/scene.h"
#include "app/core/shell_state.h"
#include "app/core/thread.h"
#include "testing/game_folder.h"

class cShellTestGuard {
 public:
  cShellTestGuard() { Reset(); }
  ~cShellTestGuard() { Reset(); }
  cShellTestGuard(const cShellTestGuard&) = delete;
  cShellTestGuard& operator=(const cShellTestGuard&) = delete;

  cTestGameFolder m_folder;

 private:
  static void Reset() {
    ResetRequestQueue();
    ResumeWorkers();
    g_SceneManager.Reset();
    for (int n = 0; n < kSceneCount; ++n) SetSceneCreator(n, nullptr);
    ResetShellState();
  }
};
