#include "app/entry.h"

#include <SDL.h>

#include <cstdio>

#include "app/base/clock.h"
#include "app/base/close_request.h"
#include "app/base/message_box.h"
#include "app/base/report_log.h"
#include "app/close_sequence.h"
#include "app/core/main_thread.h"
#include "app/core/scene.h"
#include "app/core/shell_state.h"
#include "app/core/thread.h"
#include "app/editor_notify.h"
#include "app/main_window.h"
#include "app/scenes/front_end.h"
#include "app/single_instance.h"
#include "app/startup.h"
#include "app/stats_file.h"
#include "app/version.h"
#include "platform/draw/font/font_raster.h"
#include "platform/input/input_sdl.h"
#include "platform/ui/message_box_window.h"

namespace {

constexpr uint32_t kMainStyle =
    UISTYLE_POPUP | UISTYLE_CAPTION | UISTYLE_SYSMENU | UISTYLE_MINIMIZEBOX | UISTYLE_MAXIMIZEBOX;

// What ends the run once the window exists.
int EndRun(int nStatus) {
  UnInitGame();
  if (nStatus != 0 && g_bEditorLaunch) NotifyEditorEnd(0);
  g_MainWindow.DestroyNativeWindow();
  CloseInputDevices();
  SDL_Quit();
  return nStatus;
}

}  // namespace

int GameLoop() {
  for (;;) {
    if (IsQuitRequested()) {
      TraceLogText("GameLoop WM_QUIT!");
      return 1;
    }
    if (g_bActive.load() == 0) {
      SleepMs(1);
      continue;
    }
    if (!g_SceneManager.RunFrame()) {
      RequestClose();
      return 1;
    }
  }
}

int RunPlayer(int argc, char** argv) {
  SetTraceLog(false, kTraceLogName);
  if (!OpenReportLog(kReportLogName)) {
    // A game folder that cannot be written (a read-only file system) still
    // plays: what cannot be written is said on the standard error.
    std::fprintf(stderr, "player: the report log %s cannot be written here; its lines follow\n",
                 kReportLogName);
    SendReportLogToStderr(true);
  }
  WriteReportLogHead();
  g_bEditorLaunch = IsEditorLaunch() ? 1 : 0;

  // The main thread serves the other threads' requests from here on; boxes
  // show with SDL, and a close request is a posted request.
  BecomeRequestServer();
  SetRequestHandler(HandleShellRequest);
  SetMessageBoxFontFile(FindFontFile("ＭＳ Ｐゴシック"));
  SetMessageBoxProvider(ShowShellMessageBox);
  SetCloseRequestHandler([] { PostRequest(SHELLREQ_CLOSE); });
  InstallCloseSignals();

  cSingleInstance instance;
  if (!CheckSingleInstance(instance)) return 0;

  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    ReportLog("SDL_Init: %s", SDL_GetError());
    ErrorBox("ウインドウが生成出来ません！");
    std::fprintf(stderr, "player: no display: %s\n", SDL_GetError());
    return 1;
  }
  OpenInputDevices();
  g_MainWindow.SetCreateParams(640, 480, 100, 100, 640, 480, kMainStyle, 0, 0, 0, 0, 0);
  if (!g_MainWindow.CreateNativeWindow("")) {
    ErrorBox("ウインドウが生成出来ません！");
    SDL_Quit();
    return 1;
  }
  g_MainWindow.WindowProc(UIMSG_CREATE, 0, 0);
  g_MainWindow.CenterOnDesktop();
  if (g_bEditorLaunch) NotifyEditorStart();

  RegisterFrontEndScenes();
  InstallStageLoadRunner();
  bool bStarted = false;
  RunAtThreadBoundary("start-up", [&] { bStarted = InitGame(CommandLineStage(argc, argv)); });
  if (!bStarted) return EndRun(1);
  g_bInitDone.store(1);
  if (!thGame.Start(GameLoop)) {
    ReportLog("the game thread could not be started");
    std::fprintf(stderr, "player: the game thread could not be started\n");
    return EndRun(1);
  }
  cStatsFile stats;
  while (PumpMainThread()) {
    stats.Update();
    // Wakes at once for a request or a finished frame.
    WaitForRequests(g_bActive.load() ? 1 : 10);
  }
  UnInitGame();
  TraceLogText("UnInitGame後");
  CloseInputDevices();
  SDL_Quit();
  return 0;
}
