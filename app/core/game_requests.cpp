#include "app/core/game_requests.h"

#include <mutex>

#include "app/base/report_log.h"
#include "app/core/game_start.h"
#include "app/core/main_thread.h"
#include "app/core/scene.h"
#include "app/core/shell_state.h"
#include "app/core/sound_lists.h"
#include "app/core/system_ini.h"
#include "app/core/thread.h"
#include "platform/draw/dd_blit.h"
#include "platform/input/input_devices.h"
#include "platform/input/virtual_keys.h"
#include "records/database.h"
#include "records/system.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/progress/replay.h"
#include "stagedata/stage_globals.h"

int g_nReplayKeyWait = 0;

namespace {

std::mutex g_dialogMutex;
FileDialogFn g_openDialog;
FileDialogFn g_saveDialog;
NameDialogFn g_nameDialog;

bool RunFileDialog(bool bSave, FILEDIALOGPARAMS& params) {
  FileDialogFn dialog;
  {
    std::lock_guard lock(g_dialogMutex);
    dialog = bSave ? g_saveDialog : g_openDialog;
  }
  if (!dialog) {
    ReportLog("%s: no file dialog yet; answered as cancelled", params.strTitle.c_str());
    return false;
  }
  return dialog(params);
}

// Sends a dialog request and reads its answer; a request that shutdown
// released reads as cancelled.
int SendDialogRequest(uint32_t nMsg, intptr_t wParam) {
  g_bFileDialogDone.store(0);
  g_bFileDialogResult.store(0);
  SendRequest(nMsg, wParam, 0);
  return g_bFileDialogDone.load() != 0 && g_bFileDialogResult.load() != 0 ? 1 : 0;
}

void HandleNameEntry() {
  NameDialogFn dialog;
  {
    std::lock_guard lock(g_dialogMutex);
    dialog = g_nameDialog;
  }
  SuspendWorkers();
  if (dialog)
    dialog();
  else
    ReportLog("name entry: no dialog yet; answered as cancelled");
  ResumeWorkers();
  g_bNameDone.store(1);
}

int HandleOpenStage() {
  FILEDIALOGPARAMS params;
  params.strFolder = "data\\stg4\\";
  params.strTitle = g_SystemIni.English ? "Load stage file" : "ステージファイルの読み込み";
  params.strFilterName = "StageFile ( *.stg4_*;*.rpl4_* )";
  params.strFilterPattern = "stg4_*;rpl4_*";
  params.strDefaultExt = "stg4_*;rpl4_*";
  if (!RunFileDialog(false, params)) return 0;
  // A stage that does not start is reported by its loader; the scene that
  // asked stays where it is.
  return StartStageFile(params.strPath.c_str(), 0) != 0 ? 1 : 0;
}

int HandleOpenReplay() {
  FILEDIALOGPARAMS params;
  params.strFolder = "user_data\\rpl4";
  params.strTitle = g_SystemIni.English ? "Load replay file" : "リプレイファイルの読み込み";
  params.strFilterName = "ReplayFile ( *.rpl4_* )";
  params.strFilterPattern = "rpl4_*";
  params.strDefaultExt = "rpl4_*";
  if (!RunFileDialog(false, params)) return 0;
  if (!g_Replay.LoadReplayFile(params.strPath.c_str(), &g_Stage, &g_StageStart, &g_PlayData)) {
    ReportLogBox("リプレイファイル %s の読み込みに失敗しました！", params.strPath.c_str());
    return 0;
  }
  g_Stage.m_strLoadPath = params.strPath;
  return 1;
}

int HandleSaveReplay(intptr_t nWhich) {
  FILEDIALOGPARAMS params;
  const std::string strExt = ReplayExtension();
  params.strFolder = "user_data\\rpl4\\";
  params.strTitle = g_SystemIni.English ? "Save replay file" : "リプレイファイルの保存";
  params.strFilterName = "ReplayFile ( *." + strExt + " )";
  params.strFilterPattern = "*." + strExt;
  params.strDefaultExt = strExt;
  params.strPath = ProposeReplayFileName(g_PlayData.m_strStageKey);
  if (!RunFileDialog(true, params)) return 0;
  cReplayData& replay = nWhich == 0 ? g_Replay : g_ReplayPrev;
  cPlayData& play = nWhich == 0 ? g_PlayDataStart : g_PlayDataPrev;
  if (!replay.SaveReplayFile(params.strPath.c_str(), &g_Stage, &g_StageStart, &play)) {
    ReportLogBox("リプレイファイル %s の保存に失敗しました！", params.strPath.c_str());
    return 0;
  }
  return 1;
}

void HandlePlayBgm(intptr_t nSlot, intptr_t nBgm) {
  if (nSlot >= 0 && nSlot <= 3) {
    const int n = g_System.m_anSceneBgm.At(static_cast<int>(nSlot));
    if (n == 0) {
      g_BgmPlayer.Stop();
      return;
    }
    const cBgmDef& row = g_Database.m_Bgm.At(n);
    g_BgmPlayer.SetTrack(static_cast<int>(nSlot), row.m_strFile.c_str());
    g_BgmPlayer.Play(0, static_cast<int>(nSlot), g_System.m_abBgmRepeat.At(static_cast<int>(nSlot)),
                     0, 1);
  } else if (nSlot == 4) {
    g_PlayData.m_nBgmNo = static_cast<int32_t>(nBgm);
    g_BgmPlayer.SetTrack(4, g_Database.m_Bgm.At(static_cast<int>(nBgm)).m_strFile.c_str());
    if (nBgm == 0)
      g_BgmPlayer.Stop();
    else
      g_BgmPlayer.Play(0, 4, g_PlayData.m_nBgmLoop, 0, 1);
  }
}

int HandleMusicSwitch(intptr_t bOn) {
  if (g_BgmPlayer.m_bInit && bOn == 0) {
    g_BgmPlayer.Release();
    return 1;
  }
  if (!g_BgmPlayer.m_bInit && bOn != 0) {
    g_BgmPlayer.Release();
    InitMusicPlayer();
    return 1;
  }
  return 0;
}

}  // namespace

// ---- requester side -----------------------------------------------------------------

int PlaySE(int n) { return static_cast<int>(SendRequest(WM_GAME_PLAYSE, n, 0)); }

int PlayDatabaseSE(int k) {
  const int nRow = static_cast<int16_t>(k);
  if (nRow == 0) return 0;
  return PlaySE(nRow + 16);
}

void RequestBgm(int nSlot, int nBgm) { SendRequest(WM_GAME_PLAYBGM, nSlot, nBgm); }

void RequestSceneBgm(int nSlot) {
  const int n = g_System.m_anSceneBgm.At(nSlot);
  if (n != 0 && n == g_SceneManager.m_nBgm) return;
  g_SceneManager.m_nBgm = n;
  RequestBgm(nSlot, 0);
}

int RequestMusicSwitch(int bOn) {
  return static_cast<int>(SendRequest(WM_GAME_MUSICSWITCH, bOn != 0 ? 1 : 0, 0));
}

int RequestNameEntry() {
  g_bNameDone.store(0);
  SendRequest(WM_GAME_NAMEENTRY, 0, 0);
  return g_bNameDone.load();
}

int RequestStageFile() { return SendDialogRequest(WM_GAME_OPENSTAGE, 0); }

int RequestReplayLoad() { return SendDialogRequest(WM_GAME_OPENREPLAY, 0); }

int RequestReplaySave(int nWhich) { return SendDialogRequest(WM_GAME_SAVEREPLAY, nWhich); }

int PollReplayKeys() {
  if (g_SceneManager.m_nTitleChoice == 4 || g_System.m_bReplay == 0) return 0;
  if (g_nReplayKeyWait > 0) --g_nReplayKeyWait;
  int nWhich;
  if (InputDevices().IsKeyDown(vkey::kF1))
    nWhich = 0;
  else if (InputDevices().IsKeyDown(vkey::kF1 + 1))
    nWhich = 1;
  else
    return 0;
  const cReplayData& target = nWhich == 0 ? g_Replay : g_ReplayPrev;
  if (target.m_vValueA.empty()) {
    if (g_nReplayKeyWait <= 0) {
      PlaySE(3);
      g_nReplayKeyWait = 60;
    }
    return 0;
  }
  PlaySE(1);
  RequestReplaySave(nWhich);
  return 1;
}

void RequestDeviceReset() { SendRequest(WM_GAME_RESETDEVICE, 0, 0); }

// ---- main-thread side ----------------------------------------------------------------

intptr_t HandleGameRequest(uint32_t nMsg, intptr_t wParam, intptr_t lParam) {
  switch (nMsg) {
    case WM_GAME_NAMEENTRY:
      HandleNameEntry();
      return 0;
    case WM_GAME_OPENSTAGE:
    case WM_GAME_OPENREPLAY:
    case WM_GAME_SAVEREPLAY: {
      int nResult = 0;
      if (nMsg == WM_GAME_OPENSTAGE)
        nResult = HandleOpenStage();
      else if (nMsg == WM_GAME_OPENREPLAY)
        nResult = HandleOpenReplay();
      else
        nResult = HandleSaveReplay(wParam);
      g_bFileDialogResult.store(nResult);
      g_bFileDialogDone.store(1);
      return 0;
    }
    case WM_GAME_PLAYSE:
      DS_Play(g_SoundData.At(static_cast<int>(wParam)), 0);
      return 0;
    case WM_GAME_PLAYBGM:
      HandlePlayBgm(wParam, lParam);
      return 0;
    case WM_GAME_MUSICSWITCH:
      return HandleMusicSwitch(wParam);
    case WM_GAME_RESETDEVICE:
      DDRestoreSurface();
      return 0;
  }
  return 0;
}

void SetFileDialogs(FileDialogFn openDialog, FileDialogFn saveDialog) {
  std::lock_guard lock(g_dialogMutex);
  g_openDialog = std::move(openDialog);
  g_saveDialog = std::move(saveDialog);
}

void SetNameEntryDialog(NameDialogFn dialog) {
  std::lock_guard lock(g_dialogMutex);
  g_nameDialog = std::move(dialog);
}
