#pragma once
// Flags of the shell that several threads read. Each one that another thread
// writes is an atomic.

#include <atomic>

// 1 when the editor started the program for a test play (written once before
// any worker starts).
extern int g_bEditorLaunch;
// 1 when a stage file was given on the command line (written once at start).
extern int g_bCommandLineStage;
// 1 once start-up has succeeded, before the game thread starts.
extern std::atomic<int> g_bInitDone;
// 0 while the program is inactive: the frame loops then run no frames.
extern std::atomic<int> g_bActive;

// The display chosen at start-up: 1 in a window; the depth handed to DDInit;
// 1 when the surface back end in full screen presents by a copy instead of
// a flip. Written before any worker starts.
extern int g_bWindowed;
extern int g_nStartBpp;
extern int g_bBlitPresent;

// Done flags and the result of the dialog requests (game_requests.h).
extern std::atomic<int> g_bNameDone;
extern std::atomic<int> g_bFileDialogDone;
extern std::atomic<int> g_bFileDialogResult;

// The play scene's quit request: set by the close sequence while a nested
// loop runs; the play frame then closes the program.
void RequestPlayQuit();
bool IsPlayQuitRequested();
void ClearPlayQuitRequest();

// Puts every flag above back to its start value (tests).
void ResetShellState();
