// The screen effects: the handler of each ScrEffect kind and the play
// scene's step that runs the effect of the frame.

#include "play/screen_effects.h"

#include <algorithm>
#include <cstdint>
#include <numbers>

#include "app/core/surface_tables.h"
#include "objects/draw_source.h"
#include "objects/world.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/dd_device.h"
#include "platform/draw/dd_filter.h"
#include "platform/draw/dd_geometry.h"
#include "platform/draw/dd_pattern.h"
#include "play/play_scene.h"

namespace {

constexpr int kScreenW = 640;
constexpr int kScreenH = 480;
// Palette colour of what the transformed picture leaves uncovered.
constexpr uint32_t kUncovered = 16;
// The work surfaces the frame is copied to: one for the blits, one in
// system memory for the effects that work on its pixels.
constexpr int kWork = 67;
constexpr int kPixelWork = 68;

// A position or an offset on the screen from a value of the effect:
// truncated toward zero, a NaN moves nothing, and whatever lies beyond a
// million pixels, which draws as off the screen as the true value, is held
// there, so that its sum with a screen position stays within int.
constexpr int64_t kFar = 1 << 20;
int ScreenInt(double d) {
  return TruncInt(std::clamp(d, -static_cast<double>(kFar), static_cast<double>(kFar)));
}

const int32_t* Params(const cPlayScene& scene) { return scene.m_ScrEffect.lpRow->m_anParam; }

// The finished frame, copied aside to work surface n; the back buffer then
// shows colour 16 wherever the copy is not drawn back.
DDSURFACEDATA* TakeFrame(int nWork) {
  DDSURFACEDATA* lpCopy = &g_SurfaceTable[nWork];
  DDBlt(lpCopy, 0, 0, kScreenW, kScreenH, &g_BackBufferSD, 0, 0, DDBLT_OPAQUE);
  DDPalFillRect(&g_BackBufferSD, 0, 0, kScreenW, kScreenH, kUncovered);
  return lpCopy;
}

// Draws the copy back: its texels' alpha is not used, so the copy is opaque.
template <class Draw>
void DrawBack(Draw draw) {
  DDSetAlphaOp(GPUTOP_DISABLE);
  draw();
  DDResetAlphaOp();
}

// The value moves on toward P2 unless the frame is frozen; 1 once it has
// passed it.
int StepRange(cPlayScene& scene, int bFrozen) {
  const int32_t* p = Params(scene);
  return bFrozen ? 0 : scene.m_ScrEffect.StepToward(p[1], p[2]);
}

// The centre of the hero's sprite on the screen.
void HeroCentre(cPlayScene& scene, int64_t& x, int64_t& y) {
  const cPlayer& hero = *scene.Hero();
  x = std::clamp<int64_t>(int64_t{hero.m_rcScreen.left} + hero.m_nSpriteW / 2, -kFar, kFar);
  y = std::clamp<int64_t>(int64_t{hero.m_rcScreen.top} + hero.m_nSpriteH / 2, -kFar, kFar);
}

// Distances from a point to the screen edges farther from it.
int64_t FarX(int64_t x) { return x >= kScreenW / 2 ? x : kScreenW - x; }
int64_t FarY(int64_t y) { return y >= kScreenH / 2 ? y : kScreenH - y; }

int ScrEffectNone(cPlayScene&, int) {
  if (lpDTCon != nullptr && lpDTCon->bVirBackBuffer) DDSetVirBackBuffer(0);
  return 0;
}

// The picture at (a, b), which follow the way from (P1, P2) to (P3, P4) one
// frame late.
int ScrEffectMove(cPlayScene& scene, int bFrozen) {
  cEffectPlayback& e = scene.m_ScrEffect;
  DDSURFACEDATA* lpCopy = TakeFrame(kWork);
  DrawBack(
      [&] { DDBlt(&g_BackBufferSD, e.nA, e.nB, kScreenW, kScreenH, lpCopy, 0, 0, DDBLT_OPAQUE); });
  if (bFrozen) return 0;
  const int32_t* p = Params(scene);
  // The value counts tenths of a second of the run time P0; without a run
  // time the picture is at the end of its way (and the effect ends).
  auto along = [&](int32_t nFrom, int32_t nTo) {
    if (p[0] <= 0) return ScreenInt(nTo);
    return ScreenInt((static_cast<double>(nTo) - nFrom) / p[0] * e.dValue + nFrom);
  };
  e.nA = along(p[1], p[3]);
  e.nB = along(p[2], p[4]);
  return e.StepToward(0, p[0]);
}

// The picture swings by the shake offset between -P1 and +P1, P2 full swings
// in the run time.
int Shake(cPlayScene& scene, int bFrozen, bool bVertical) {
  cEffectPlayback& e = scene.m_ScrEffect;
  DDSURFACEDATA* lpCopy = TakeFrame(kWork);
  const double dShake = std::clamp(e.dShake, -static_cast<double>(kFar), static_cast<double>(kFar));
  const int s = ScreenInt(dShake);
  DrawBack([&] {
    DDBlt(&g_BackBufferSD, bVertical ? 0 : s, bVertical ? s : 0, kScreenW, kScreenH, lpCopy, 0, 0,
          DDBLT_OPAQUE);
  });
  // The strip the picture leaves is filled with colour 16 once more, one
  // line wider: it also covers the picture's first line on that side,
  // unless a negative offset is whole.
  if (dShake != 0) {
    const int nSize = bVertical ? kScreenH : kScreenW;
    const int nAt = dShake > 0 ? 0 : TruncInt(dShake + nSize);
    const int nWidth = dShake > 0 ? TruncInt(dShake + 1) : TruncInt(1 - dShake);
    if (bVertical)
      DDPalFillRect(&g_BackBufferSD, 0, nAt, kScreenW, nWidth, kUncovered);
    else
      DDPalFillRect(&g_BackBufferSD, nAt, 0, nWidth, kScreenH, kUncovered);
  }
  if (bFrozen) return 0;
  const int32_t* p = Params(scene);
  // Pixels a frame: P1 x 4 per swing, P2 swings in P0 x 6 frames, worked out
  // in double (the product of two stored values overflows int). Without a
  // run time the one frame stands still.
  const double c =
      p[0] > 0 ? static_cast<double>(p[2]) * p[1] * 4 / (static_cast<double>(p[0]) * 6) : 0.0;
  const double dAmplitude = p[1];
  if (e.nA == 1) {
    e.dShake -= c;
    if (e.dShake <= -dAmplitude) {
      e.dShake = -dAmplitude;
      e.nA = 0;
    }
  } else {
    e.dShake += c;
    if (e.dShake >= dAmplitude) {
      e.dShake = dAmplitude;
      e.nA = 1;
    }
  }
  return e.StepToward(0, p[0]);
}

int ScrEffectShakeX(cPlayScene& scene, int bFrozen) { return Shake(scene, bFrozen, false); }
int ScrEffectShakeY(cPlayScene& scene, int bFrozen) { return Shake(scene, bFrozen, true); }

// Strips (P3 of them, the last one cut) shifted alternately by the value.
int Split(cPlayScene& scene, int bFrozen, bool bVertical) {
  const int32_t nStrips = Params(scene)[3];
  DDSURFACEDATA* lpCopy = TakeFrame(kWork);
  // Strips of ceil(size / P3) pixels; without strips the picture is drawn
  // as it is (band 0).
  const int nSize = bVertical ? kScreenW : kScreenH;
  const int nBand = nStrips > 0 ? 1 + (nSize - 1) / nStrips : 0;
  const int nShift = ScreenInt(scene.m_ScrEffect.dValue);
  DrawBack([&] {
    DDBltInterlace(&g_BackBufferSD, 0, 0, kScreenW, kScreenH, nBand, nShift, lpCopy, 0, 0,
                   DDBLT_OPAQUE, bVertical ? 1 : 0);
  });
  return StepRange(scene, bFrozen);
}

int ScrEffectSplitX(cPlayScene& scene, int bFrozen) { return Split(scene, bFrozen, false); }
int ScrEffectSplitY(cPlayScene& scene, int bFrozen) { return Split(scene, bFrozen, true); }

// P3 waves of the value's amplitude over the screen, bands of P4 pixels;
// the phase a runs one degree a frame.
int Wave(cPlayScene& scene, int bFrozen, bool bVertical) {
  cEffectPlayback& e = scene.m_ScrEffect;
  const int32_t* p = Params(scene);
  DDSURFACEDATA* lpCopy = TakeFrame(kWork);
  DrawBack([&] {
    DDBltWave(&g_BackBufferSD, 0, 0, kScreenW, kScreenH, p[3], e.dValue, e.nA, p[4], lpCopy, 0, 0,
              DDBLT_OPAQUE, bVertical ? 1 : 0);
  });
  if (bFrozen) return 0;
  if (++e.nA >= 360) e.nA = 0;
  return StepRange(scene, bFrozen);
}

int ScrEffectWaveX(cPlayScene& scene, int bFrozen) { return Wave(scene, bFrozen, false); }
int ScrEffectWaveY(cPlayScene& scene, int bFrozen) { return Wave(scene, bFrozen, true); }

// The backgrounds hide the stage's objects in every other phase of P1
// frames, starting hidden (a counts the frames of a phase, b is 1 while the
// stage shows); the status display and what follows it stay.
int ScrEffectBlink(cPlayScene& scene, int bFrozen) {
  cEffectPlayback& e = scene.m_ScrEffect;
  if (e.nB == 0) {
    scene.DrawBackgrounds(&g_BackBufferSD, 0);
    scene.DrawBackgrounds(&g_BackBufferSD, 1);
  }
  if (bFrozen) return 0;
  const int32_t* p = Params(scene);
  if (e.nA >= p[1]) {
    e.nA = 0;
    e.nB = e.nB ? 0 : 1;
  }
  ++e.nA;
  return e.StepToward(0, p[0]);
}

// The screen turned about its centre by the value in degrees.
int ScrEffectRotate(cPlayScene& scene, int bFrozen) {
  DDSURFACEDATA* lpCopy = TakeFrame(kPixelWork);
  const int nAngle = TruncInt(scene.m_ScrEffect.dValue);
  DrawBack([&] {
    DDBltRotate(&g_BackBufferSD, kScreenW / 2, kScreenH / 2, kScreenW, kScreenH, kScreenW / 2,
                kScreenH / 2, nAngle, lpCopy, 0, 0, 0);
  });
  return StepRange(scene, bFrozen);
}

// Only a disc of the value's radius around the hero shows, in bands of P3
// rows.
int ScrEffectCircle(cPlayScene& scene, int bFrozen) {
  int64_t x, y;
  HeroCentre(scene, x, y);
  DDSURFACEDATA* lpCopy = TakeFrame(kWork);
  const int nRadius = TruncInt(scene.m_ScrEffect.dValue);
  const int nBand = Params(scene)[3];
  DrawBack([&] {
    DDBltCircle(&g_BackBufferSD, static_cast<int>(x), static_cast<int>(y),
                static_cast<int>(FarX(x)), static_cast<int>(FarY(y)), nRadius, nBand, lpCopy,
                static_cast<int>(x), static_cast<int>(y), DDBLT_OPAQUE);
  });
  return StepRange(scene, bFrozen);
}

// The view zoomed by value / 640 around the hero: above life size a part of
// the picture, held inside it, fills the screen; below, the whole picture
// shrinks about the screen's centre, to nothing at 0 and below.
int ScrEffectZoom(cPlayScene& scene, int bFrozen) {
  DDSURFACEDATA* lpCopy = TakeFrame(SelectCharaSheets().nWork);
  const double f = scene.m_ScrEffect.dValue * 0.0015625;  // 640 is life size
  if (f >= 1) {
    int64_t cx, cy;
    HeroCentre(scene, cx, cy);
    const double w = kScreenW / f, h = kScreenH / f;
    // The source rectangle, moved back inside the frame at either edge.
    auto place = [](double dCentre, double dSize, int nScreen) {
      const int n = TruncInt(dCentre - dSize / 2);
      if (n + TruncInt(dSize) > nScreen - 1) return TruncInt(nScreen - dSize);
      return std::max(n, 0);
    };
    const int sx = place(static_cast<double>(cx), w, kScreenW);
    const int sy = place(static_cast<double>(cy), h, kScreenH);
    DrawBack([&] {
      DDStretchBlt(&g_BackBufferSD, 0, 0, kScreenW, kScreenH, lpCopy, sx, sy, TruncInt(w),
                   TruncInt(h), DDBLT_TRANSPARENT);
    });
  } else if (f > 0) {
    DrawBack([&] {
      DDStretchBlt(&g_BackBufferSD, TruncInt((kScreenW - kScreenW * f) / 2),
                   TruncInt((kScreenH - kScreenH * f) / 2), TruncInt(kScreenW * f),
                   TruncInt(kScreenH * f), lpCopy, 0, 0, kScreenW, kScreenH, DDBLT_TRANSPARENT);
    });
  }
  return StepRange(scene, bFrozen);
}

// A lens of the value's depth over the whole screen, centred on the hero
// moved by (P3, P4).
int ScrEffectLens(cPlayScene& scene, int bFrozen) {
  const int32_t* p = Params(scene);
  int64_t x, y;
  HeroCentre(scene, x, y);
  x = std::clamp<int64_t>(x + p[3], -kFar, kFar);
  y = std::clamp<int64_t>(y + p[4], -kFar, kFar);
  const double dRadius = std::numbers::sqrt2 * static_cast<double>(std::max(FarX(x), FarY(y)));
  DDSURFACEDATA* lpCopy = TakeFrame(kPixelWork);
  const int nDepth = TruncInt(scene.m_ScrEffect.dValue);
  DrawBack([&] {
    DDBltLens(&g_BackBufferSD, static_cast<int>(x), static_cast<int>(y), TruncInt(dRadius), nDepth,
              lpCopy, static_cast<int>(x), static_cast<int>(y), 0, 0);
  });
  return StepRange(scene, bFrozen);
}

// Blocks of the value's size.
int ScrEffectMosaic(cPlayScene& scene, int bFrozen) {
  DDSURFACEDATA* lpCopy = TakeFrame(kPixelWork);
  const int nSize = TruncInt(scene.m_ScrEffect.dValue);
  DrawBack([&] {
    DDMosaic(&g_BackBufferSD, 0, 0, kScreenW, kScreenH, nSize, lpCopy, 0, 0, DDBLT_OPAQUE);
  });
  return StepRange(scene, bFrozen);
}

}  // namespace

const SCREFFECTPROC g_apfnScreenEffect[SCREFFECT_KINDS] = {
    ScrEffectNone,   ScrEffectMove,  ScrEffectShakeX, ScrEffectShakeY, ScrEffectSplitX,
    ScrEffectSplitY, ScrEffectWaveX, ScrEffectWaveY,  ScrEffectBlink,  ScrEffectRotate,
    ScrEffectCircle, ScrEffectZoom,  ScrEffectLens,   ScrEffectMosaic,
};

void cPlayScene::RunScreenEffect(int bFrozen) {
  if (!m_ScrEffect.IsRunning()) return;
  // A kind the table does not know (or no row) draws as none.
  const int nKind = m_ScrEffect.lpRow ? m_ScrEffect.lpRow->m_nKind : SCREFFECT_NONE;
  const SCREFFECTPROC pfn =
      g_apfnScreenEffect[nKind >= 0 && nKind < SCREFFECT_KINDS ? nKind : SCREFFECT_NONE];
  if (pfn(*this, bFrozen) != 1) return;
  m_ScrEffect.Reset();
  DDSetVirBackBuffer(0);
}
