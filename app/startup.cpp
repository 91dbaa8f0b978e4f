#include "app/startup.h"

#include <SDL.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/base/clock.h"
#include "app/base/encoding.h"
#include "app/base/file_system.h"
#include "app/base/format.h"
#include "app/base/message_box.h"
#include "app/base/path_utils.h"
#include "app/base/random.h"
#include "app/base/report_log.h"
#include "app/close_sequence.h"
#include "app/core/colour_animation.h"
#include "app/core/frame_pace.h"
#include "app/core/game_start.h"
#include "app/core/main_thread.h"
#include "app/core/option_data.h"
#include "app/core/scene.h"
#include "app/core/shell_state.h"
#include "app/core/sound_lists.h"
#include "app/core/surface_tables.h"
#include "app/core/thread.h"
#include "app/editor_notify.h"
#include "app/game_dialogs.h"
#include "app/main_window.h"
#include "app/program_icon.h"
#include "app/report_display.h"
#include "flow/flow.h"
#include "platform/draw/dd_device.h"
#include "platform/draw/present/sdl_presenter.h"
#include "platform/draw/surface/dd_image.h"
#include "platform/input/input_state.h"
#include "platform/sound/sound_effects.h"
#include "records/data_path.h"
#include "records/database.h"
#include "records/record_file.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/progress/world_map.h"
#include "stagedata/stage_file.h"
#include "stagedata/stage_globals.h"

namespace {

// The folders a game folder needs, made when missing.
constexpr const char* kFolders[] = {"user_data",
                                    "user_data\\story",
                                    "user_data\\challenge",
                                    "user_data\\free",
                                    "user_data\\rpl4",
                                    "data",
                                    "data\\database",
                                    "data\\stg4",
                                    "data\\stg4\\old_ver",
                                    "data\\work",
                                    "data\\plt4",
                                    "bmp",
                                    "bmp\\back",
                                    "bmp\\chara_sp",
                                    "bmp\\effect",
                                    "bmp\\picture",
                                    "bmp\\sword",
                                    "bmp\\convert",
                                    "bmp\\plt",
                                    "bmp\\hbt",
                                    "wave",
                                    "bgm"};

// The desktop's depth: the window shows 32-bit pixels whatever SDL reports.
constexpr int kDesktopBpp = 32;

std::unique_ptr<cSdlPresenter> g_pPresenter;

// A start-up failure the user sees no box for: a report-log line and a line
// on stderr, so that it is never silent.
void StartupFailed(const char* pszFormat, ...) PLAYER_PRINTF(1, 2);
void StartupFailed(const char* pszFormat, ...) {
  va_list args;
  va_start(args, pszFormat);
  const std::string strText = FormatStringV(kLogTextMax, pszFormat, args);
  va_end(args);
  TraceLogText(strText.c_str());
  ReportLog("%s", strText.c_str());
  std::fprintf(stderr, "player: %s\n", Cp932ToUtf8(strText).c_str());
}

int DisplayRefreshRate() {
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0 || mode.refresh_rate <= 0) return 60;
  return mode.refresh_rate;
}

bool StartDrawing(const DISPLAYMODE& mode) {
  SDL_Window* pWindow = g_MainWindow.m_hWnd;
  g_pPresenter = std::make_unique<cSdlPresenter>(pWindow);
  g_pPresenter->SetFrameSignal(WakeMainThread);
  SetPresenter(g_pPresenter.get());
  SetMainPresenter(g_pPresenter.get());
  SetFramePacer(FramePace);
  auto init = [&] {
    return DDInit(g_SystemIni.Direct3D, pWindow, 640, 480, g_nStartBpp, mode.bVSync, mode.bWindowed,
                  1, 60, mode.bVSync, g_SurfaceTable, g_SurfaceInfoTable, kSurfaceCount, 0);
  };
  if (init()) return true;
  if (g_SystemIni.Direct3D != 0) {
    // The textured back end could not start: the surface back end instead.
    DDRelease();
    g_SystemIni.Direct3D = 0;
    if (init()) return true;
  }
  StartupFailed("DDInit失敗");
  return false;
}

// The palette of the pictures and the transparent colour, in every mode:
// scene fills, window frames and the world map's back colour take palette
// colours on every display.
bool LoadPaletteAndTransparency() {
  if (!DDLoadPaletteFromFile(g_Palette, g_SurfaceInfoTable, g_bWindowed)) {
    StartupFailed("DDLoadPaletteFromFile失敗 (%s)", g_SurfaceInfoTable[0].szFileName);
    return false;
  }
  std::memcpy(g_PaletteBase, g_Palette, sizeof g_PaletteBase);
  std::memcpy(g_PaletteShown, g_Palette, sizeof g_PaletteShown);
  const DDRGBTRIPLE rgb{g_System.m_cbTransBlue, g_System.m_cbTransGreen, g_System.m_cbTransRed};
  if (g_System.m_nBitmapFormat == 0 || g_nBpp == 16) {
    if (!DDSetTransmit(g_SurfaceInfoTable)) {
      StartupFailed("DDSetTransmit失敗 (%s)", g_SurfaceInfoTable[0].szFileName);
      return false;
    }
    if (g_System.m_nBitmapFormat != 0) {
      if (lpDTCon != nullptr) lpDTCon->rgbTransmit = rgb;
      if (lpDDCon != nullptr) lpDDCon->rgbTransmit = rgb;
    }
  } else {
    DDSetTransmit(g_System.m_cbTransRed, g_System.m_cbTransGreen, g_System.m_cbTransBlue);
  }
  return true;
}

bool MakeFonts() {
  const int nFace = g_System.m_nFontFace;
  const std::string& strFace = nFace >= 0 && nFace < kFontFaceCount
                                   ? g_szFontFace[static_cast<size_t>(nFace)]
                                   : g_szFontFace[kDefaultFontFace];
  for (FONTINFO& info : g_FontTable) {
    info.strFace = strFace;
    if (info.nCache == 2)
      info.nCache = lpDTCon != nullptr ? g_SystemIni.D3D_FontCache : g_SystemIni.DD_FontCache;
  }
  if (!CreateFonts(g_Fonts, g_FontTable, kFontCount)) {
    StartupFailed("CreateFonts failed");
    return false;
  }
  g_Fonts[1].m_bGlyphImage = g_System.m_bMainFontFlag;
  g_Fonts[1].m_bCenter = g_System.m_nFontSetting;
  if (!CreateDigitSurfaces(g_FontWorkSD, g_FontWorkInfo, kFontCount, g_Fonts, g_FontTable)) {
    StartupFailed("CreateDigitSurfaces failed");
    return false;
  }
  return true;
}

void RestorePlacement(DISPLAYMODE& mode, bool& bMaximize) {
  if (!g_bWindowed) return;
  if (!g_WindowRecord.LoadFromFile(g_DataPath[DATAPATH_WINDOW])) return;
  g_MainWindow.Move(g_WindowRecord.m_nX, g_WindowRecord.m_nY);
  if (lpDTCon != nullptr && mode.bResizable && g_WindowRecord.m_nWidth >= 100 &&
      g_WindowRecord.m_nHeight >= 100)
    g_MainWindow.SetClientSize(g_WindowRecord.m_nWidth, g_WindowRecord.m_nHeight);
  bMaximize = g_WindowRecord.m_bMaximized != 0;
}

void StartSound() {
  if (g_OptionData.m_bBgm) InitMusicPlayer();
  BuildSoundList();
  if (!DS_Init(g_MainWindow.m_hWnd, 22050, 8, 1)) {
    // No sound device: the game runs without sound effects.
    TraceLogText("DS_Init失敗！");
    ReportLog("DS_Init failed: sound effects are off");
    return;
  }
  // No frame before the first key press plays an effect: they are read and
  // converted while the first frames are made.
  DS_LoadSoundsInBackground(&g_SoundData, &g_SoundInfo, SeVolumeOfLevel(g_OptionData.m_nSeVolume));
}

// A stage named on the command line or in System.ini: played at once.
bool StartNamedStage() {
  if (g_SystemIni.FreeStage[0] == '\0') return true;
  std::string strName = g_SystemIni.FreeStage;
  std::string strNewest;
  if (FindNewestVersion(strNewest, strName, "stg4")) strName = strNewest;
  if (!FileExists(strName)) {
    ReportLogTrace("「%s」の読み込みに失敗しました！", strName.c_str());
    g_SystemIni.FreeStage[0] = '\0';
    return true;
  }
  g_bTestPlay = 1;
  if (!StartStageFile(strName.c_str(), 1)) {
    StartupFailed("the stage %s could not be started", strName.c_str());
    return false;
  }
  g_PlayData.m_bMultiPart = 0;
  g_SceneManager.m_nGameKind = GAMEKIND_FREE;
  g_bCommandLineStage = 1;
  g_SceneManager.m_bRanking = 1;
  g_SceneManager.m_nTitleChoice = 3;
  g_SceneManager.m_nScene = SCENE_PLAY;
  g_SceneManager.m_nPrevScene = SCENE_TITLE;
  return true;
}

}  // namespace

bool ChooseDisplayMode(SYSTEMINIDATA& ini, const cSystem& system, int nDesktopBpp,
                       DISPLAYMODE& mode, std::string& strError) {
  const bool bD3D = ini.Direct3D != 0;
  const bool bPaletteBitmaps = system.m_nBitmapFormat == 0;
  mode.bWindowed = ini.WindowMode != 0 ? 1 : 0;
  if (bD3D) {
    if (ini.VSync >= 2) ini.VSync = 1;
  } else if (mode.bWindowed) {
    ini.VSync = 0;
  } else if (ini.VSync >= 2) {
    // Automatic on a current system: off.
    ini.VSync = 0;
  }
  int nBpp = ini.Bpp;
  if (nBpp == 0) {
    if (mode.bWindowed)
      nBpp = nDesktopBpp;
    else if (bD3D)
      nBpp = system.m_nD3DDepth == 1 ? 16 : 32;
    else
      nBpp = system.m_nDDDepth == 1 ? 16 : (system.m_nDDDepth == 2 && bPaletteBitmaps ? 8 : 32);
  }
  ini.Bpp = nBpp;
  const bool bAllowed =
      nBpp == 16 || nBpp == 32 || (nBpp == 8 && !bD3D && bPaletteBitmaps && !mode.bWindowed);
  if (mode.bWindowed && (nBpp == 16 || nBpp == 32) && nBpp != nDesktopBpp) {
    strError =
        "画面モードが不正です！\nウインドウモードではSystem.iniの設定と画面の色の設定を合わせて"
        "下さい！";
    return false;
  }
  if (!bAllowed || (mode.bWindowed && nBpp != nDesktopBpp)) {
    strError = "画面モードが不正です！\nSystem.iniと画面の設定を見直して下さい！";
    return false;
  }
  mode.nBpp = nBpp;
  mode.bVSync = ini.VSync != 0 ? 1 : 0;
  mode.bResizable = bD3D && ini.WindowMode == 2 ? 1 : 0;
  return true;
}

bool InitGame(const std::string& strCommandLine) {
  SeedRand(GetTimeMs());
  g_nDataVersion = DATA_VERSION;
  g_bStripCR = 1;
  if (!CreateDefaultData()) {
    ReportLogBox(
        "「data」フォルダの作成に失敗…\n「default」フォルダに問題がある可能性があります。");
    return false;
  }
  for (const char* pszFolder : kFolders) MakeDirectory(pszFolder);
  if (!g_Database.LoadAll()) {
    ReportLogBox("データベースの読み込みに失敗…");
    return false;
  }
  BuildDatabaseTables();
  InstallShellDialogs();
  const std::string& strSystem = g_DataPath[DATAPATH_SYSTEM];
  if (!g_System.LoadFromFile(strSystem)) {
    ReportLogBox("%s の読み込みに失敗…", strSystem.c_str());
    return false;
  }
  SetKeepTestFlows(g_bEditorLaunch != 0 || g_System.m_bKeepMarkedFlows != 0);
  SetSystemIniDefaults(g_SystemIni, g_System.m_IniEntries);
  if (!ReadSystemIni("System.ini", g_SystemIni, g_System.m_IniEntries)) {
    ReportLogBox("System.ini の読み込みに失敗しました！");
    SetSystemIniDefaults(g_SystemIni, g_System.m_IniEntries);
  }
  if (g_SystemIni.Direct3D >= 2) {
    // The choice is asked in the main window, under the game's title.
    SDL_SetWindowTitle(g_MainWindow.m_hWnd, Cp932ToUtf8(g_System.m_strTitle).c_str());
    SDL_ShowWindow(g_MainWindow.m_hWnd);
    if (!RunStartupChoice()) {
      StartupFailed("start-up choice: the start was stopped");
      return false;
    }
  }
  if (!strCommandLine.empty()) {
    std::memset(g_SystemIni.FreeStage, 0, sizeof g_SystemIni.FreeStage);
    std::memcpy(g_SystemIni.FreeStage, strCommandLine.data(),
                std::min(strCommandLine.size(), sizeof g_SystemIni.FreeStage - 1));
  }
  g_SceneManager.m_nFrameRate = 60;
  g_SceneManager.m_nFadeStep = 10;
  for (cInputState& state : g_InputStates) state.SetRepeat(18, 6);

  DISPLAYMODE mode;
  std::string strError;
  if (!ChooseDisplayMode(g_SystemIni, g_System, kDesktopBpp, mode, strError)) {
    ErrorBox(strError);
    return false;
  }
  g_bWindowed = mode.bWindowed;
  g_nStartBpp = mode.nBpp;
  if (mode.bResizable) g_MainWindow.AddStyle(UISTYLE_THICKFRAME);
  SDL_SetWindowTitle(g_MainWindow.m_hWnd, Cp932ToUtf8(g_System.m_strTitle).c_str());
  SetProgramIcon(g_MainWindow.m_hWnd);
  if (mode.nBpp == 8) g_SystemIni.DD_VideoStretch = 0;

  if (!StartDrawing(mode)) return false;
  if (lpDTCon != nullptr) {
    lpDTCon->strAdvice =
        "テクスチャの作成に失敗しました！\nビデオカードの性能が十分ではないかもしれません。\n"
        "System.iniファイルで「Direct3D=0」に変更してDirect3Dを無効にすれば改善される可能性が"
        "あります。";
    LinkSurfaceVariants();
  }
  bool bMaximize = false;
  RestorePlacement(mode, bMaximize);
  SDL_ShowWindow(g_MainWindow.m_hWnd);
  if (bMaximize) SDL_MaximizeWindow(g_MainWindow.m_hWnd);
  ReportDisplayInfo(1);
  TraceLogText("DDInit成功");

  if (!LoadPaletteAndTransparency()) return false;
  if (lpDTCon == nullptr)
    g_bBlitPresent = g_bWindowed || !mode.bVSync || DisplayRefreshRate() < 60 ? 1 : 0;
  if (!DDLoadSurfaceTable(g_SurfaceTable, kStartupSurfaces, 1)) {
    StartupFailed("the start-up surfaces could not be loaded");
    return false;
  }
  if (!MakeFonts()) return false;
  for (cInputState& state : g_InputStates) state.InitButtonMasks();
  if (!LoadKeyConfig(kKeyConfigPath, g_KeyConfig)) SetDefaultKeyConfig(g_KeyConfig);
  LoadOptionData();
  if (g_nBpp == 8 && lpDTCon == nullptr && !LoadHbtPalette(g_OptionData.m_nPalette)) return false;
  StartSound();

  const std::string& strWorldMap = g_DataPath[DATAPATH_WORLD_MAP];
  if (!g_WorldMap.LoadFromFile(strWorldMap)) {
    ReportLogBox("%s のロードに失敗！", strWorldMap.c_str());
    return false;
  }
  const std::string& strPalette = g_DataPath[DATAPATH_COMMON_PALETTE];
  if (!LoadCommonPalette(strPalette.c_str())) {
    ReportLogBox("%s のロードに失敗！", strPalette.c_str());
    return false;
  }
  TraceLogText("4");
  return StartNamedStage();
}

void UnInitGame() {
  // A thread let go because it would not stop may still use everything
  // released below: the program ends without the teardown instead.
  if (cThread::LiveThreadCount() > 0) EndProcessNow(1, "a thread still runs at the teardown");
  if (g_bDDInitialized) {
    if (g_Fonts[0].m_lpFastFont_FullAdd != nullptr)
      ReportLog("Font10 : %d", g_Fonts[0].m_lpFastFont_FullAdd->m_nCount);
    if (g_Fonts[1].m_lpFastFont_FullAdd != nullptr)
      ReportLog("Font16 : %d", g_Fonts[1].m_lpFastFont_FullAdd->m_nCount);
  }
  DS_Release();
  g_BgmPlayer.Release();
  g_SceneManager.DeleteScenes();
  ReleaseFonts();
  if (g_bWindowed)
    DDEnd();
  else
    DDRelease();
  RemoveShellDialogs();
  SetPresenter(nullptr);
  SetMainPresenter(nullptr);
  g_pPresenter.reset();
}

bool RunStageLoad(const std::function<void()>& read) {
  auto pDone = std::make_shared<std::atomic<bool>>(false);
  // The loader runs a copy of the read, which owns what it works on.
  if (!thLoad.Start([read, pDone] {
        read();
        pDone->store(true);
        return 1;
      })) {
    // No loader thread: the caller reads itself.
    read();
    return !IsQuitRequested();
  }
  // The caller waits, serving the main thread's pump meanwhile when it is
  // the main thread, until the read is over or the caller is asked to stop
  // (the close): then the read goes on alone, and the close waits for the
  // loader as for every thread.
  const bool bMain = IsMainThread();
  while (!pDone->load() && !IsQuitRequested()) {
    if (bMain && !IsMainLoopOver()) {
      PumpMainThread();
      WaitForRequests(1);
    } else {
      SleepMs(1);
    }
  }
  if (!pDone->load()) return false;
  thLoad.Join();
  return !IsQuitRequested();
}

void InstallStageLoadRunner() { SetStageLoadRunner(RunStageLoad); }

std::string CommandLineStage(int argc, char** argv) {
  std::string strLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) strLine += ' ';
    strLine += argv[i];
  }
  std::string strCp932 = Utf8ToCp932(strLine);
  std::erase(strCp932, '"');
  return strCp932;
}
