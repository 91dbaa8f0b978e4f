#include "objects/effect_object.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>

#include "app/base/random.h"
#include "app/core/surface_tables.h"
#include "app/core/system_ini.h"
#include "objects/world.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/dd_device.h"
#include "records/database.h"

namespace {

int32_t Saturate(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

}  // namespace

// ---- Effects ---------------------------------------------------------------------

cEffectObject::cEffectObject(int nEffect, double x, double y, int nWidth, int nHeight,
                             int bStopsGame)
    : m_nEffect(nEffect),
      m_dX(x),
      m_dY(y),
      m_nWidth(nWidth),
      m_nHeight(nHeight),
      m_bStopsGame(bStopsGame) {
  const cEffectAnimDef& row = g_Database.m_Effect.At(Row());
  m_bScaled = row.m_nCellWidth != nWidth ? 1 : 0;
  LoadPattern(nEffect);
}

void cEffectObject::LoadPattern(int nEffect) {
  m_Anime.m_Patterns.assign(1, g_EffectPatterns.At(static_cast<int16_t>(nEffect)));
  m_Anime.SetPattern(0, 1);
}

void cEffectObject::CreateHitEffect(int nEffect, const DRECT& box1, const DRECT& box2, int nScale) {
  m_Anime.Clear();
  m_nEffect = nEffect;
  m_bStopsGame = 0;
  m_bEnded = 0;
  const cEffectAnimDef& row = g_Database.m_Effect.At(Row());

  // A scale below 1 counts as 1: the scatter range stays a range.
  const int k = row.m_bScale ? std::max(nScale, 1) : 1;
  m_bScaled = k > 1 ? 1 : 0;
  m_nWidth = Saturate(int64_t{k} * row.m_nCellWidth);
  m_nHeight = Saturate(int64_t{k} * row.m_nCellHeight);

  double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
  if (IsDRectOverlap(box1, box2)) {
    x1 = std::max(box1.x1, box2.x1);
    y1 = std::max(box1.y1, box2.y1);
    x2 = std::min(box1.x2, box2.x2);
    y2 = std::min(box1.y2, box2.y2);
  }
  m_dX = x1 + (TruncInt(x2 - x1 + 1) >> 1) - (m_nWidth >> 1);
  m_dY = y1 + (TruncInt(y2 - y1 + 1) >> 1) - (m_nHeight >> 1);
  const int64_t nSpan = 8 * int64_t{k} + 1;
  m_dX += static_cast<double>(Rand() % nSpan - 4 * int64_t{k});
  m_dY += static_cast<double>(Rand() % nSpan - 4 * int64_t{k});
  LoadPattern(nEffect);
}

int32_t cEffectObject::Length(int nEffect) {
  int64_t nFrames = 0;
  for (const cEffectFrame& frame : g_Database.m_Effect.At(static_cast<int16_t>(nEffect)).m_Frames)
    nFrames += TenthsToFrames(frame.m_nDuration);
  return Saturate(std::max<int64_t>(nFrames, 0));
}

int cEffectObject::Draw(DDSURFACEDATA* lpTarget, int bFrozen) {
  const cEffectAnimDef& row = g_Database.m_Effect.At(Row());
  if (row.m_Frames.empty()) return 1;
  int nCell;
  if (m_bStopsGame || !bFrozen) {
    nCell = m_Anime.Step();
    if (nCell == -4) return 1;
  } else {
    nCell = m_Anime.GetValue();
  }
  const cPlayScene& scene = PlayScene();
  const int x = TruncInt(m_dX - scene.m_ScrollX.m_dPos);
  const int y = TruncInt(m_dY - scene.m_ScrollY.m_dPos);
  const int nSheet = 2 * Row() - 2;
  const int w = row.m_nCellWidth;
  if (m_bScaled) {
    const bool bFirstSet = !g_bUseD3D && g_SystemIni.DD_VideoStretch;
    DDSURFACEDATA* lpSheet = &g_EffectSD.At(bFirstSet ? nSheet : nSheet + 1);
    DDStretchBlt(lpTarget, x, y, m_nWidth, m_nHeight, lpSheet, Saturate(int64_t{nCell} * w), 0, w,
                 row.m_nCellHeight, 1);
  } else {
    DDBlt(lpTarget, x, y, m_nWidth, m_nHeight, &g_EffectSD.At(nSheet),
          Saturate(int64_t{nCell} * m_nWidth), 0, 1);
  }
  return 0;
}

// ---- Pictures --------------------------------------------------------------------

cPictureObject::cPictureObject(const PICTURESETUP& setup, DDSURFACEDATA&& surface)
    : m_Surface(std::move(surface)),
      m_nPicture(setup.nPicture),
      m_dX(setup.dX),
      m_dY(setup.dY),
      m_nWidth(setup.nWidth),
      m_nHeight(setup.nHeight),
      m_bScaled(setup.nSizePercent != 100 ? 1 : 0),
      m_nLayer(setup.nLayer),
      m_nDisplayMode(setup.nDisplayMode),
      m_nCountdown(setup.nCountdown),
      m_bStopsGame(setup.bStopsGame),
      m_bFixOnScreen(setup.bFixOnScreen),
      m_bHasId(setup.bHasId),
      m_nId(setup.nId) {}

cPictureObject::~cPictureObject() { DDReleaseSurface(&m_Surface); }

int cPictureObject::Draw(DDSURFACEDATA* lpTarget, int bFrozen) {
  if (m_nDisplayMode == PICDISPLAY_TIME && (m_bStopsGame || !bFrozen) && --m_nCountdown < 0)
    return 1;
  const cPlayScene& scene = PlayScene();
  int x = TruncInt(m_dX) - TruncInt(scene.m_ScrollX.m_dPos);
  int y = TruncInt(m_dY) - TruncInt(scene.m_ScrollY.m_dPos);
  if (m_bFixOnScreen) {
    if (!m_bPlaced) {
      m_bPlaced = 1;
      m_nScreenX = x;
      m_nScreenY = y;
    }
    x = m_nScreenX;
    y = m_nScreenY;
  }
  if (m_bScaled)
    DDStretchBlt(lpTarget, x, y, m_nWidth, m_nHeight, &m_Surface, 0, 0, m_Surface.nWidth,
                 m_Surface.nHeight, 1);
  else
    DDBlt(lpTarget, x, y, m_nWidth, m_nHeight, &m_Surface, 0, 0, 1);
  return 0;
}
