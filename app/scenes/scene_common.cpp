#include "app/scenes/scene_common.h"

#include "app/base/close_request.h"
#include "app/core/menu_cursor.h"
#include "app/core/surface_tables.h"
#include "platform/draw/dd_device.h"
#include "platform/draw/dd_fade.h"
#include "platform/input/input_state.h"

cInputState& ReadMenuInput(int nButtonMask) {
  cInputState& input = g_InputStates.At(0);
  input.ApplyRepeat();
  input.LatchButtons(nButtonMask);
  return input;
}

DDSURFACEDATA* SceneSurface(int nNumber) {
  if (nNumber < 0 || nNumber >= kSurfaceCount) nNumber = 0;
  return &g_SurfaceTable[nNumber];
}

DDSURFACEDATA* BackBuffer() { return &g_BackBufferSD; }

Font& SceneFont(int n) { return g_Fonts[n < 0 || n >= kFontCount ? 1 : n]; }

bool LoadSceneSurfaces(std::span<const int> group) {
  if (DDLoadSurfaceTable(g_SurfaceTable, group.data(), static_cast<int>(group.size()))) return true;
  RequestClose();
  return false;
}

void ReleaseSceneSurfaces(std::span<const int> group) {
  for (int n : group) DDReleaseSurface(SceneSurface(n));
}

void ReleaseSceneWork() {
  DDReleaseSurfaceVector(g_SceneSD);
  g_SceneSD.clear();
  g_SceneSDInfo.clear();
}

DDSURFACEDATA* CreateSceneWork(int nWidth, int nHeight, int bColorKey) {
  if (!DDCreateSurfaceInVector(g_SceneSD, g_SceneSDInfo, nWidth, nHeight, bColorKey, 1,
                               DTMEMORYTYPE_VIDEO_RT, 0)) {
    RequestClose();
    return nullptr;
  }
  return &g_SceneSD.back();
}

bool SceneFadeIn() {
  return DDFadeIn(g_PaletteShown, 0, 255, 0, 0, 0, g_SceneManager.m_nFadeStep, g_PaletteBase, 0);
}

bool SceneFadeOut() {
  return DDFadeOut(g_PaletteShown, 0, 255, 0, 0, 0, g_SceneManager.m_nFadeStep, g_PaletteBase, 0);
}

void FinishSceneFadeOut(int nSelf) {
  DDPalFillSurface(BackBuffer(), kSceneFillColour);
  ResetMenuCursor();
  g_SceneManager.m_nPrevScene = nSelf;
  g_SceneManager.m_nScene = g_SceneManager.m_nNextScene;
}

void DrawAccessory(int sx, int sy, int nWidth, int nHeight, int x, int y, DDSURFACEDATA* lpTarget) {
  DDBlt(lpTarget != nullptr ? lpTarget : BackBuffer(), x, y, nWidth, nHeight,
        SceneSurface(SURFACE_ACCESSORY), sx, sy, DDBLT_TRANSPARENT);
}

bool TakeLostFlag(DDSURFACEDATA* lpSD) {
  if (lpSD == nullptr || lpSD->bLost == 0) return false;
  lpSD->bLost = 0;
  return true;
}

bool IsPaletteDisplay() { return lpDTCon == nullptr && g_nBpp == 8; }
