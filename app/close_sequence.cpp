#include "app/close_sequence.h"

#include <SDL.h>

#include <csignal>
#include <cstdlib>

#include "app/base/close_request.h"
#include "app/base/report_log.h"
#include "app/core/main_thread.h"
#include "app/core/shell_state.h"
#include "app/core/system_ini.h"
#include "app/core/thread.h"
#include "app/editor_notify.h"
#include "app/main_window.h"
#include "platform/draw/present/sdl_presenter.h"
#include "platform/sound/bgm_player.h"
#include "records/data_path.h"

namespace {

// The noted signal has run the close (it stays noted: close_request.h).
bool g_bSignalServed = false;

extern "C" void OnCloseSignal(int) { NoteCloseSignal(); }

void SavePlacement() {
  if (g_SystemIni.WindowMode == 0 || !g_bInitDone.load()) return;
  const uint32_t dwFlags =
      g_MainWindow.m_hWnd != nullptr ? SDL_GetWindowFlags(g_MainWindow.m_hWnd) : 0;
  if (dwFlags & SDL_WINDOW_MINIMIZED) return;
  const UIPOINT pt = g_MainWindow.GetPosition();
  g_WindowRecord.Set(pt.x, pt.y, g_MainWindow.m_nClientW, g_MainWindow.m_nClientH,
                     (dwFlags & SDL_WINDOW_MAXIMIZED) ? 1 : 0);
  g_WindowRecord.SaveToFile(g_DataPath[DATAPATH_WINDOW]);
}

}  // namespace

void CloseSequence() {
  SavePlacement();
  if (thPause.IsRunning()) {
    // The nested loop ends first; the play frame then asks to close again.
    TraceLogText("WM_CLOSE thPause.m_hThread");
    RequestPlayQuit();
    thPause.RequestStop();
    return;
  }
  TraceLogText("WM_CLOSE 成功！");
  // From here no thread waits on the main thread any more.
  BeginShutdown();
  if (cSdlPresenter* pPresenter = MainPresenter()) pPresenter->Release();
  g_BgmPlayer.Stop();
  bool bStopped = thLoad.Exit();
  bStopped = thPause.Exit() && bStopped;
  bStopped = thRanking.Exit() && bStopped;
  TraceLogText("thPause.Exit()");
  bStopped = thGame.Exit() && bStopped;
  TraceLogText("thGame.Exit()");
  // A thread that would not stop may still use what the teardown releases
  // (the scenes, the fonts, the drawing library, the globals): the program
  // ends here instead.
  if (!bStopped) EndProcessNow(0, "a thread did not stop");
  // No thread draws any more: the renderer goes before the window it draws
  // on, and the window goes now, not after the teardown.
  if (cSdlPresenter* pPresenter = MainPresenter()) pPresenter->ReleaseRenderer();
  g_MainWindow.Destroy();
}

void EndProcessNow(int nStatus, const char* pszWhy) {
  SavePlacement();
  ReportLog("%s: the program ends without releasing anything", pszWhy);
  if (g_bEditorLaunch) NotifyEditorEnd(1);
  std::_Exit(nStatus);
}

void InstallCloseSignals() {
  std::signal(SIGTERM, OnCloseSignal);
  std::signal(SIGINT, OnCloseSignal);
}

bool TakeCloseSignal() {
  if (g_bSignalServed || !IsCloseSignalled()) return false;
  g_bSignalServed = true;
  return true;
}

void ResetCloseSignals() {
  ResetCloseSignal();
  g_bSignalServed = false;
}
