#include "flow/runtime/effect_commands.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "app/base/close_request.h"
#include "app/base/message_box.h"
#include "app/base/report_log.h"
#include "app/core/shell_state.h"
#include "app/core/system_ini.h"
#include "flow/flow.h"
#include "flow/runtime/flow_runner.h"
#include "objects/chara.h"
#include "objects/effect_object.h"
#include "platform/draw/dd_device.h"
#include "platform/draw/surface/dd_surface.h"
#include "play/play_scene.h"
#include "records/database.h"

namespace {

enum : int {
  POS_SCREEN_CENTRE = 0,
  POS_CHARA_CENTRE = 1,
  POS_HERO_CENTRE = 2,
  POS_SCREEN_CELL = 3,
  POS_STAGE_CELL = 4,
};

// Parameters of エフェクトの実行.
enum : int {
  EFFPARAM_EFFECT = 0,
  EFFPARAM_POSITION = 1,
  EFFPARAM_CELL_X = 2,
  EFFPARAM_CELL_Y = 3,
  EFFPARAM_DOT_X = 4,
  EFFPARAM_DOT_Y = 5,
  EFFPARAM_SIZE = 6,
  EFFPARAM_STOP_GAME = 7,
};

// Parameters of ピクチャーの表示.
enum : int {
  PICPARAM_PICTURE = 0,
  PICPARAM_POSITION = 1,
  PICPARAM_CELL_X = 2,
  PICPARAM_CELL_Y = 3,
  PICPARAM_DOT_X = 4,
  PICPARAM_DOT_Y = 5,
  PICPARAM_LAYER = 6,
  PICPARAM_SIZE = 7,
  PICPARAM_DISPLAY = 8,
  PICPARAM_TIME = 9,  // tenths
  PICPARAM_STOP_GAME = 10,
  PICPARAM_FIX_ON_SCREEN = 11,
  PICPARAM_HAS_ID = 12,
  PICPARAM_ID = 13,
};

// A size scaled by a percentage, to the nearest pixel with halves away from
// zero, kept within the int range whatever the stored values.
int ScaledSize(int32_t nPercent, int32_t nSize) {
  const double d = std::round(static_cast<double>(nPercent) * nSize * 0.01);
  return static_cast<int>(std::clamp(d, static_cast<double>(std::numeric_limits<int>::min()),
                                     static_cast<double>(std::numeric_limits<int>::max())));
}

}  // namespace

void EffectPosition(double& x, double& y, int w, int h, const cChara& chara, int nMode, int cx,
                    int cy, int dx, int dy) {
  const cPlayScene& scene = *g_lpPlayScene;
  const double sx = scene.m_ScrollX.m_dPos;
  const double sy = scene.m_ScrollY.m_dPos;
  const bool bHero = nMode == POS_HERO_CENTRE && !scene.Player.empty();
  const cChara* lpCentre = bHero ? &scene.Player.front() : &chara;
  switch (nMode) {
    case POS_SCREEN_CENTRE:
      x = sx + 320 - w / 2 + dx;
      y = sy + 240 - h / 2 + dy;
      break;
    case POS_HERO_CENTRE:
    case POS_CHARA_CENTRE:
      x = lpCentre->m_rcScreen.left + lpCentre->m_nSpriteW / 2 + sx - w / 2 + dx;
      y = lpCentre->m_rcScreen.top + lpCentre->m_nSpriteH / 2 + sy - h / 2 + dy;
      break;
    case POS_SCREEN_CELL:
      x = sx + 32.0 * cx + dx;
      y = sy + 32.0 * cy + dy;
      break;
    case POS_STAGE_CELL:
      x = 32.0 * (static_cast<double>(cx) + scene.m_ScrollX.m_nMargin) + dx;
      y = 32.0 * (static_cast<double>(cy) + scene.m_ScrollY.m_nMargin) + dy;
      break;
    default:
      x = y = 0.0;
      break;
  }
}

void DoRunEffect(cChara& chara, const cFlowCommand& cmd) {
  if (g_lpPlayScene == nullptr || IsPlayQuitRequested()) return;
  cPlayScene& scene = *g_lpPlayScene;
  const int nEffect = cmd.Param(EFFPARAM_EFFECT);
  if (nEffect == 0) {
    scene.m_EffectList.clear();
    return;
  }
  const cEffectAnimDef& row = g_Database.m_Effect.At(static_cast<int16_t>(nEffect));
  const int w = ScaledSize(cmd.Param(EFFPARAM_SIZE), row.m_nCellWidth);
  const int h = ScaledSize(cmd.Param(EFFPARAM_SIZE), row.m_nCellHeight);
  double x, y;
  EffectPosition(x, y, w, h, chara, cmd.Param(EFFPARAM_POSITION), cmd.Param(EFFPARAM_CELL_X),
                 cmd.Param(EFFPARAM_CELL_Y), cmd.Param(EFFPARAM_DOT_X), cmd.Param(EFFPARAM_DOT_Y));
  const int bStopsGame = cmd.Param(EFFPARAM_STOP_GAME) != 0 ? 1 : 0;
  scene.m_EffectList.emplace_back(nEffect, x, y, w, h, bStopsGame);
  if (bStopsGame) {
    scene.m_WaitRequest.Set(WAITKIND_EFFECT, 0, cEffectObject::Length(nEffect), 0);
    scene.RunWaitRequest();
  }
}

void CmdRunEffect(cChara& chara, COMMANDSTATE& state) { DoRunEffect(chara, *state.m_lpCommand); }

void DoCharaEffect(cChara& chara, const cFlowCommand& cmd) {
  chara.m_CharaEffect.StartCharaEffect(cmd.Param(0), cmd.Param(1), cmd.Param(2));
}

void CmdCharaEffect(cChara& chara, COMMANDSTATE& state) {
  DoCharaEffect(chara, *state.m_lpCommand);
}

void DoScreenEffect(cChara& chara, const cFlowCommand& cmd) {
  (void)chara;
  if (g_lpPlayScene == nullptr) return;
  cEffectPlayback& effect = g_lpPlayScene->m_ScrEffect;
  effect.StartScrEffect(cmd.Param(0), cmd.Param(1), cmd.Param(2));
  if (!effect.IsRunning() && lpDTCon != nullptr && lpDTCon->bVirBackBuffer) DDSetVirBackBuffer(0);
}

void CmdScreenEffect(cChara& chara, COMMANDSTATE& state) {
  DoScreenEffect(chara, *state.m_lpCommand);
}

void DoScreenColor(cChara&, const cFlowCommand& cmd) {
  if (g_lpPlayScene == nullptr) return;
  g_lpPlayScene->SetScreenColor(cmd.Param(0), cmd.Param(1), cmd.Param(2), cmd.Param(3),
                                cmd.Param(4), cmd.Param(5), cmd.Param(6), cmd.Param(7));
}

void CmdScreenColor(cChara& chara, COMMANDSTATE& state) {
  DoScreenColor(chara, *state.m_lpCommand);
}

void DoShowPicture(cChara& chara, const cFlowCommand& cmd) {
  if (g_lpPlayScene == nullptr || IsPlayQuitRequested()) return;
  cPlayScene& scene = *g_lpPlayScene;
  const int nPicture = cmd.Param(PICPARAM_PICTURE);
  const bool bHasId = cmd.Param(PICPARAM_HAS_ID) != 0;
  if (nPicture == 0 && !bHasId) {
    scene.ClearPictures();
    return;
  }
  // A picture of the same ID goes; the new one takes its place.
  auto where = scene.m_PictureList.end();
  if (bHasId) {
    const int nId = cmd.Param(PICPARAM_ID);
    const auto it = std::ranges::find_if(scene.m_PictureList, [nId](const cPictureObject& p) {
      return p.m_bHasId && p.m_nId == nId;
    });
    if (it != scene.m_PictureList.end()) where = scene.m_PictureList.erase(it);
    if (nPicture == 0) return;
  }

  // Scaled pictures of the surface back end stretch from system memory
  // unless the settings keep them in video memory.
  const int nSize = cmd.Param(PICPARAM_SIZE);
  const int nDDMemory = !g_bUseD3D && nSize != 100 && !g_SystemIni.DD_VideoStretch ? 1 : 0;
  const char* pszFile = g_Database.m_Picture.At(nPicture).m_strFile.c_str();
  DDSURFACEDATA surface;
  if (!DDCheckResult(
          DDCreateSurfaceFromFile(&surface, pszFile, 1, g_nBpp, nDDMemory, 0, 0, 0, 0, 0, 0))) {
    DDReleaseSurface(&surface);
    ErrorBoxf("%s 読み込み失敗！", pszFile);
    TraceLogf("%s 読み込み失敗！", pszFile);
    RequestClose();
    return;
  }

  PICTURESETUP setup{.nPicture = nPicture,
                     .nWidth = ScaledSize(nSize, surface.nWidth),
                     .nHeight = ScaledSize(nSize, surface.nHeight),
                     .bFixOnScreen = cmd.Param(PICPARAM_FIX_ON_SCREEN),
                     .nLayer = cmd.Param(PICPARAM_LAYER),
                     .nSizePercent = nSize,
                     .nDisplayMode = cmd.Param(PICPARAM_DISPLAY),
                     .nCountdown = TenthsToFrames(cmd.Param(PICPARAM_TIME)),
                     .bStopsGame = cmd.Param(PICPARAM_STOP_GAME),
                     .bHasId = cmd.Param(PICPARAM_HAS_ID),
                     .nId = cmd.Param(PICPARAM_ID)};
  EffectPosition(setup.dX, setup.dY, setup.nWidth, setup.nHeight, chara,
                 cmd.Param(PICPARAM_POSITION), cmd.Param(PICPARAM_CELL_X),
                 cmd.Param(PICPARAM_CELL_Y), cmd.Param(PICPARAM_DOT_X), cmd.Param(PICPARAM_DOT_Y));
  const cPictureObject& picture = scene.AddPicture(setup, std::move(surface), where);
  if (!setup.bStopsGame) return;

  // A picture shown until the stage ends would hold the game for good: while
  // it stops the game it waits for the key as one shown until the key does.
  if (setup.nDisplayMode == PICDISPLAY_TIME)
    scene.m_WaitRequest.Set(WAITKIND_PICTURE, 0, setup.nCountdown, 0);
  else
    scene.m_WaitRequest.Set(WAITKIND_PICTURE, 1, 0, 0);
  const uint32_t nSerial = picture.m_nSerial;
  scene.RunWaitRequest();
  scene.RemovePicture(nSerial);
}

void CmdShowPicture(cChara& chara, COMMANDSTATE& state) {
  DoShowPicture(chara, *state.m_lpCommand);
}
