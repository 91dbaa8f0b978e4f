#pragma once
// The shell's globals put back around a test: the request queue, the shell
// flags and the main window's state, with a throw-away game folder.

#include "app/core/main_thread.h"
#include "app/core/shell_state.h"
#include "app/main_window.h"
#include "testing/game_folder.h"

class cShellGuard {
 public:
  cShellGuard() { Reset(); }
  ~cShellGuard() { Reset(); }
  cShellGuard(const cShellGuard&) = delete;
  cShellGuard& operator=(const cShellGuard&) = delete;

  cTestGameFolder m_folder;

 private:
  static void Reset() {
    ResetRequestQueue();
    ResetShellState();
    ResetMainWindow();
  }
};
