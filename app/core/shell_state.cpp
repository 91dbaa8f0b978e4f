#include "app/core/shell_state.h"

int g_bEditorLaunch = 0;
int g_bCommandLineStage = 0;
std::atomic<int> g_bInitDone{0};
int g_bWindowed = 0;
int g_nStartBpp = 0;
int g_bBlitPresent = 0;
std::atomic<int> g_bActive{0};
std::atomic<int> g_bNameDone{0};
std::atomic<int> g_bFileDialogDone{0};
std::atomic<int> g_bFileDialogResult{0};

namespace {
std::atomic<int> g_bPlayQuit{0};
}  // namespace

void RequestPlayQuit() { g_bPlayQuit.store(1); }
bool IsPlayQuitRequested() { return g_bPlayQuit.load() != 0; }
void ClearPlayQuitRequest() { g_bPlayQuit.store(0); }

void ResetShellState() {
  g_bEditorLaunch = 0;
  g_bCommandLineStage = 0;
  g_bInitDone.store(0);
  g_bWindowed = g_nStartBpp = g_bBlitPresent = 0;
  g_bActive.store(0);
  g_bNameDone.store(0);
  g_bFileDialogDone.store(0);
  g_bFileDialogResult.store(0);
  g_bPlayQuit.store(0);
}
