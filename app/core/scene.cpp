#include "app/core/scene.h"

#include <algorithm>
#include <exception>
#include <new>
#include <string>

#include "app/base/clock.h"
#include "app/base/message_box.h"
#include "app/base/timing.h"
#include "app/core/frame_pace.h"
#include "app/core/game_requests.h"
#include "app/core/main_thread.h"
#include "app/core/shell_state.h"
#include "app/core/surface_tables.h"
#include "app/core/system_ini.h"
#include "app/core/thread.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/dd_device.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/stage_globals.h"

cSceneManager g_SceneManager;
cPlayScene* g_lpPlayScene = nullptr;

std::atomic<int> g_nFrameCount{0};
std::atomic<int> g_nSceneRunning{-1};
int g_nFps = 0;
int g_nWorkTime = 0;

namespace {

SceneCreator g_apfnCreate[kSceneCount] = {};
PlaySceneFpsCopier g_pfnCopyFps = nullptr;

// The 16 last work times behind the frame-rate read-out, and their average.
struct WORKRING {
  int anTimes[16] = {};
  int nNext = 0;
  int nAverage = 0;
};
WORKRING g_workRing;

bool SurfaceBackEnd() { return g_bDDInitialized && lpDTCon == nullptr; }

// A stage playing faster than 60 frames a second is shown without waiting
// for the display.
bool FastStagePlaying() {
  return g_SceneManager.Scene(SCENE_PLAY) != nullptr && g_Stage.m_nFrameRate > 60;
}

void DrawFrameRate() {
  g_workRing.anTimes[g_workRing.nNext] = g_nWorkTime;
  if (++g_workRing.nNext == 16) {
    g_workRing.nNext = 0;
    int nSum = 0;
    for (int n : g_workRing.anTimes) nSum += n;
    g_workRing.nAverage = nSum / 16;
  }
  if (g_SystemIni.ShowFps == 2)
    g_Fonts[0].Printf(&g_BackBufferSD, 549, 469, "FPS%2d(%2d)", g_nFps, g_workRing.nAverage);
  else
    g_Fonts[1].PrintfBox(&g_BackBufferSD, 495, 463, 0, 0, "FPS%2d(%2d)", g_nFps,
                         g_workRing.nAverage);
}

template <class Container>
bool RestoreSurfaces(Container& surfaces) {
  for (DDSURFACEDATA& sd : surfaces)
    if (!RestoreLostSurface(sd)) return false;
  return true;
}

void RestoreFontSurfaces() {
  for (int i = 0; i < kFontCount; ++i) {
    DDSURFACEDATA& sd = g_FontWorkSD[i];
    cDDrawSurface* pSurface = sd.DDSurface();
    if (pSurface == nullptr || pSurface->IsLost() != DDERR_SURFACELOST) continue;
    pSurface->Restore();
    if (sd.lpParentSD == nullptr) DrawDigits(&sd, &g_Fonts[i]);
  }
}

}  // namespace

bool RestoreLostSurface(DDSURFACEDATA& sd) {
  cDDrawSurface* pSurface = sd.DDSurface();
  if (pSurface == nullptr || pSurface->IsLost() != DDERR_SURFACELOST) return true;
  pSurface->Restore();
  if (sd.lpParentSD != nullptr) return true;
  sd.bLost = 1;
  return DDReloadSurface(&sd, g_nBpp);
}

void cScene::RunInitGuarded() {
  try {
    Init();
  } catch (const char* pszText) {
    TraceFatal("%s", pszText);
  } catch (const std::string& strText) {
    TraceFatal("%s", strText.c_str());
  } catch (const std::exception& e) {
    TraceFatal("%s", e.what());
  }
}

cSceneManager::cSceneManager() : m_nGameKind(g_nGameKind) {}

cSceneManager::~cSceneManager() { DeleteScenes(); }

void SetSceneCreator(int nScene, SceneCreator creator) {
  if (nScene >= 0 && nScene < kSceneCount) g_apfnCreate[nScene] = creator;
}

void SetPlaySceneFpsCopier(PlaySceneFpsCopier copier) { g_pfnCopyFps = copier; }

cScene* cSceneManager::Scene(int nScene) const {
  return nScene >= 0 && nScene < kSceneCount ? m_lpScenes[nScene] : nullptr;
}

void cSceneManager::ChangeScene(int nScene) {
  // The order in which the other scenes go.
  static constexpr int kDeleteOrder[kSceneCount] = {
      SCENE_TITLE, SCENE_GAMEMENU, SCENE_WORLDMAP, SCENE_STAGESELECT, SCENE_PLAY, SCENE_OPTION};
  for (int n : kDeleteOrder) {
    if (n == nScene || m_lpScenes[n] == nullptr) continue;
    cScene* p = m_lpScenes[n];
    m_lpScenes[n] = nullptr;
    if (n == SCENE_PLAY) g_lpPlayScene = nullptr;
    delete p;
  }
  if (nScene < 0 || nScene >= kSceneCount || m_lpScenes[nScene] != nullptr) return;
  if (g_apfnCreate[nScene] == nullptr) {
    ReportLog("scene %d has no creator", nScene);
    return;
  }
  m_lpScenes[nScene] = g_apfnCreate[nScene]();
  if (m_lpScenes[nScene] == nullptr) NoMemoryError();
}

void cSceneManager::DeleteScenes() { ChangeScene(-1); }

int cSceneManager::RunFrame() {
  WaitFrame();
  ++g_nFrameCount;
  StartStopwatch();
  if (SurfaceBackEnd() && !RestoreLostSurfaces()) return 0;
  ReadInput(g_InputStates);
  try {
    ChangeScene(m_nScene);
  } catch (const std::bad_alloc&) {
    NoMemoryError();
  } catch (const char* pszText) {
    TraceFatal("%s", pszText);
  } catch (const std::string& strText) {
    TraceFatal("%s", strText.c_str());
  }
  if (cScene* pScene = Scene(m_nScene)) pScene->Run();
  g_nSceneRunning.store(m_nScene);
  g_nFps = CountFPS(1);
  g_nWorkTime = static_cast<int>(GetStopwatch(1));
  if (g_pfnCopyFps != nullptr) g_pfnCopyFps(g_nFps);
  if (g_SystemIni.ShowFps != 0) DrawFrameRate();
  Flip();
  return 1;
}

void cSceneManager::Flip() {
  if (lpDTCon != nullptr) {
    // With vertical sync on, the frame rate still holds on a display faster
    // than it: pace first, then present at the display's next refresh.
    if (g_bVSync)
      while (!FramePace(m_nFrameRate, 0, 0) && !IsQuitRequested()) SleepMs(1);
    if (!DDFlip(m_nFrameRate, 0, 0)) RequestDeviceReset();
    return;
  }
  if (!SurfaceBackEnd()) return;
  cDDrawSurface* pPrimary = g_PrimarySD.DDSurface();
  cDDrawSurface* pBack = g_BackBufferSD.DDSurface();
  if (pPrimary == nullptr || pBack == nullptr) return;
  const bool bFast = FastStagePlaying();
  if (g_bWindowMode) {
    if (!bFast && g_lpDD != nullptr) g_lpDD->WaitForVerticalBlank(1, nullptr);
    pPrimary->Blt(&g_ClientRect, pBack, nullptr, DDBLT_WAIT, 0);
  } else if (g_bBlitPresent || bFast) {
    DDBlt(&g_PrimarySD, 0, 0, 640, 480, &g_BackBufferSD, 0, 0, 0);
  } else {
    pPrimary->Flip(nullptr, DDFLIP_WAIT);
  }
}

bool cSceneManager::RestoreLostSurfaces() {
  if (lpDTCon != nullptr) return true;
  cDDrawSurface* pPrimary = g_PrimarySD.DDSurface();
  if (pPrimary == nullptr || pPrimary->IsLost() != DDERR_SURFACELOST) return true;
  if (!DDRestore()) return false;
  if (!RestoreSurfaces(g_CharaExcSD) || !RestoreSurfaces(g_SwordSD) ||
      !RestoreSurfaces(g_EffectSD) || !RestoreSurfaces(g_SceneSD) || !RestoreSurfaces(Off_Msg))
    return false;
  if (cScene* lpScene = Scene(m_nScene); lpScene != nullptr && !lpScene->RestoreOwnSurfaces())
    return false;
  RestoreFontSurfaces();
  if (!Off_Msg.empty())
    TraceLogf("if ( !RestoreSurface(Off_Msg) ) Off_Msg[0].bLost = %d", Off_Msg.front().bLost);
  return true;
}

void cSceneManager::ReadInput(cInputStateList& states) {
  // Every key read of this frame sees the presses made since the last.
  InputDevices().TakeKeyPresses();
  if (g_KeyConfig.bUseConfig != 0)
    states.At(0).PollConfigured(1, 60);
  else
    states.At(0).PollFixed(0, 3, 60);
}

void cSceneManager::Reset() {
  DeleteScenes();
  m_nScene = m_nNextScene = m_nPrevScene = 0;
  m_nTitleChoice = 0;
  m_nGameKind = 0;
  m_nSelectCursor = m_nSelectTop = 0;
  m_bRanking = 0;
  m_nFrameRate = 0;
  m_nFadeStep = 0;
  m_nBgm = 0;
  g_nFrameCount = 0;
  g_nSceneRunning = -1;
  g_nFps = g_nWorkTime = 0;
  g_workRing = WORKRING{};
}

void WaitFrame() {
  WaitWorkerGate();
  if (!SurfaceBackEnd()) return;
  while (!WaitRate(static_cast<uint32_t>(std::max(g_SceneManager.m_nFrameRate, 0))) &&
         !IsQuitRequested())
    SleepMs(1);
}
