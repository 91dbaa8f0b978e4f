#pragma once
// The game's requests to the main thread and their handlers.
//
// The requester side (any worker thread, or the main thread itself) sends
// one of the private messages of main_thread.h and returns once the main
// thread has handled it. The dialog requests answer through the done flags
// and g_bFileDialogResult of shell_state.h; a request released by shutdown
// reads as cancelled.

#include <cstdint>
#include <functional>
#include <string>

// ---- requester side -----------------------------------------------------------
// Plays run-time sound n (0..16 the system sounds, k + 16 Sound row k).
int PlaySE(int n);
// Plays Sound row k (taken as a signed 16-bit number); 0 plays nothing.
int PlayDatabaseSE(int k);
// Music slot request: slot 0 title, 1 world map, 2 challenge, 3 options with
// the System record's Bgm of the slot; 4 stage with Bgm row nBgm (0 stops).
void RequestBgm(int nSlot, int nBgm);
// A scene's music on entry: sends slot nSlot (0..3) when its Bgm is 0 or
// differs from the scene manager's m_nBgm, which then takes it.
void RequestSceneBgm(int nSlot);
// The music switch of the options: releases the music player when bOn is 0
// and it runs, starts it when bOn is set and it does not. 1 when it was
// started or released (the next scene asks for its music again).
int RequestMusicSwitch(int bOn);
// The name-entry dialog; 1 when it ran (the entered name is where the
// dialog stores it).
int RequestNameEntry();
// Open-file dialog for a stage file, started with StartStageFile; 1 when a
// stage was chosen and started.
int RequestStageFile();
// Open-file dialog for a replay, loaded into g_Replay, g_Stage, g_StageStart
// and g_PlayData; 1 when one was loaded.
int RequestReplayLoad();
// Save dialog and save of the current (0) or previous (1) attempt's replay;
// 1 when it was saved.
int RequestReplaySave(int nWhich);
// F1 / F2 during play: saves the current or previous attempt's replay. 1
// when a save was asked for this frame.
int PollReplayKeys();
// Recovery of the lost textured device.
void RequestDeviceReset();

// Frames left before the "nothing recorded" sound may repeat.
extern int g_nReplayKeyWait;

// ---- main-thread side --------------------------------------------------------------
// Serves one game request (the WM_GAME_* numbers); 0 for other numbers.
intptr_t HandleGameRequest(uint32_t nMsg, intptr_t wParam, intptr_t lParam);

// The dialogs behind the requests, run on the main thread. Each file dialog
// fills strPath and returns true, or returns false when cancelled.
struct FILEDIALOGPARAMS {
  std::string strFolder;  // initial folder, stored form
  std::string strTitle;
  std::string strFilterName;
  std::string strFilterPattern;
  std::string strDefaultExt;
  std::string strPath;  // save: the proposed name on entry; the chosen path on return
};
using FileDialogFn = std::function<bool(FILEDIALOGPARAMS& params)>;
using NameDialogFn = std::function<void()>;
// Until the dialogs exist each answers "cancelled" with one report-log line.
// Empty functions put that back.
void SetFileDialogs(FileDialogFn openDialog, FileDialogFn saveDialog);
void SetNameEntryDialog(NameDialogFn dialog);
