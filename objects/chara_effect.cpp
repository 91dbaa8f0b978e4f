#include "objects/chara_effect.h"

#include <algorithm>
#include <cstdint>
#include <numbers>

#include "app/core/surface_tables.h"
#include "objects/chara.h"
#include "objects/draw_source.h"
#include "objects/world.h"
#include "platform/draw/dd_blend.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/dd_device.h"
#include "platform/draw/dd_filter.h"
#include "platform/draw/dd_geometry.h"
#include "platform/draw/dd_pattern.h"

namespace {

constexpr double kSqrt2 = std::numbers::sqrt2;
constexpr int kTenthFrames = 6;
// Work surfaces named by number rather than chosen for the back end.
constexpr int kWork67 = 67;
constexpr int kWork68 = 68;
constexpr int kWork69 = 69;
// The colour the blur becomes on an 8-bit display.
constexpr int kBlurTintColour = 31;

// Places and sizes are held within this many pixels (see the header).
constexpr int64_t kSpan = int64_t{1} << 20;

int Span(int64_t n) { return static_cast<int>(std::clamp(n, -kSpan, kSpan)); }
int Span(double d) { return Span(int64_t{TruncInt(d)}); }

DDSURFACEDATA* Surface(int n) { return &g_SurfaceTable[n]; }
bool TexturedVirtualBackBuffer() { return lpDTCon != nullptr && lpDTCon->bVirBackBuffer != 0; }

// What the handlers of one drawing share.
struct CELL {
  cChara& c;
  DDSURFACEDATA* lpDst;
  DRAWSOURCE& src;
  int x, y;    // the screen rectangle's left and top
  int W, H;    // the sprite as scaled
  int uW, uH;  // unscaled
  int G;       // giant factor
  int K;       // the source's cell scale
  bool bResized;
  double v;  // the playback's value
  const int32_t* P;

  CELL(cChara& chara, DDSURFACEDATA* lpDstIn, DRAWSOURCE& srcIn)
      : c(chara),
        lpDst(lpDstIn),
        src(srcIn),
        x(chara.m_rcScreen.left),
        y(chara.m_rcScreen.top),
        W(chara.m_nSpriteW),
        H(chara.m_nSpriteH),
        uW(chara.m_nBaseSpriteW),
        uH(chara.m_nBaseSpriteH),
        G(std::max<int>(chara.m_Def.m_nGiant, 1)),
        K(srcIn.cCellScale),
        bResized(srcIn.bLargeCells ? G != K : G > 1),
        v(chara.m_CharaEffect.dValue),
        P(chara.m_CharaEffect.lpRow ? chara.m_CharaEffect.lpRow->m_anParam : kNoParams) {}

  // The stored size of the cell, K x uW by K x uH.
  int StoredW() const { return Span(int64_t{K} * uW); }
  int StoredH() const { return Span(int64_t{K} * uH); }
  // G x the value, and G x n, as ints.
  int GV() const { return Span(G * v); }
  int GTimes(int32_t n) const { return Span(int64_t{G} * n); }
  // The centre of the sprite on the screen.
  int CX() const { return x + (W >> 1); }
  int CY() const { return y + (H >> 1); }
  const DDBLTSTATE* State() {
    state.dwDiffuse = src.dwDiffuse;
    state.dwColorOp = src.dwColourOp;
    return src.bColour ? &state : nullptr;
  }

  static constexpr int32_t kNoParams[kEffectParams] = {};
  DDBLTSTATE state;
};

// The colour state set around a composite blit.
class cColourState {
 public:
  explicit cColourState(const DRAWSOURCE& src) : m_bOn(src.bColour != 0) {
    if (!m_bOn) return;
    DDSetDiffuse(src.dwDiffuse);
    DDSetColorOp(src.dwColourOp);
  }
  ~cColourState() {
    if (!m_bOn) return;
    DDResetDiffuse();
    DDResetColorOp();
  }
  cColourState(const cColourState&) = delete;
  cColourState& operator=(const cColourState&) = delete;

 private:
  bool m_bOn;
};

// The work surfaces chosen for the back end.
DDSURFACEDATA* FirstWork() { return Surface(SelectCharaSheets().nWork); }
DDSURFACEDATA* SecondWork() { return Surface(SelectCharaSheets().nWork2); }

// The square (0, 0, n, n) of a work surface in the transparent colour, cut
// to the surface.
void ClearSquare(DDSURFACEDATA* lpWork, int64_t n) {
  const int w = static_cast<int>(std::clamp<int64_t>(n, 0, lpWork->nWidth));
  const int h = static_cast<int>(std::clamp<int64_t>(n, 0, lpWork->nHeight));
  if (w > 0 && h > 0) DDPalFillRect(lpWork, 0, 0, w, h, 0);
}

// The playback one frame on, unless frozen: 1 when the effect has finished.
int Advance(cChara& c, int bFrozen) {
  if (bFrozen) return 0;
  cEffectPlayback& e = c.m_CharaEffect;
  ++e.nFrame;
  return e.Step();
}

// ---- the handlers ------------------------------------------------------------------

void DrawPlain(CELL& d) {
  const DDBLTSTATE* lpState = d.State();
  if (d.bResized)
    DDBltWithState(d.lpDst, d.x, d.y, d.W, d.H, d.src.lpUse, d.src.nSrcX, d.src.nSrcY, d.StoredW(),
                   d.StoredH(), 1, lpState);
  else
    DDBltEx(d.lpDst, d.x, d.y, d.W, d.H, d.src.lpSrc, d.src.nSrcX, d.src.nSrcY, 1, lpState);
}

int EffectNone(cChara& c, DDSURFACEDATA* lpDst, DRAWSOURCE* lpSrc, int, int bDraw) {
  if (!bDraw) return 0;
  CELL d(c, lpDst, *lpSrc);
  DrawPlain(d);
  return 0;
}

// 破裂: the quarters move apart by the value.
int EffectBurst(cChara& c, DDSURFACEDATA* lpDst, DRAWSOURCE* lpSrc, int bFrozen, int bDraw) {
  if (bDraw) {
    CELL d(c, lpDst, *lpSrc);
    if (d.bResized) {
      DDSURFACEDATA* lpWork = FirstWork();
      c.BlitCell(lpWork, d.src);
      DDBltQuarters(d.lpDst, d.x, d.y, d.W, d.H, lpWork, 0, 0, d.GV(), 1);
    } else {
      cColourState colour(d.src);
      DDBltQuarters(d.lpDst, d.x, d.y, d.W, d.H, d.src.lpSrc, d.src.nSrcX, d.src.nSrcY, Span(d.v),
                    1);
    }
  }
  return Advance(c, bFrozen);
}

// 分割: strips of ceil(H / P3) move apart by the value; P3 of 0 or less
// gives no strips and draws the character plainly.
int Split(cChara& c, DDSURFACEDATA* lpDst, DRAWSOURCE* lpSrc, int bFrozen, int bDraw,
          int bVertical) {
  if (bDraw) {
    CELL d(c, lpDst, *lpSrc);
    const int32_t nParts = d.P[3];
    if (nParts <= 0) {
      DrawPlain(d);
    } else {
      // The band is taken from the height for both directions.
      const int nBand =
          static_cast<int>((int64_t{std::max(d.H, 0)} + nParts - 1) / int64_t{nParts});
      if (d.bResized) {
        DDSURFACEDATA* lpWork = FirstWork();
        c.BlitCell(lpWork, d.src);
        DDBltInterlace(d.lpDst, d.x, d.y, d.W, d.H, nBand, d.GV(), lpWork, 0, 0, 1, bVertical);
      } else {
        cColourState colour(d.src);
        DDBltInterlace(d.lpDst, d.x, d.y, d.W, d.H, nBand, Span(d.v), d.src.lpSrc, d.src.nSrcX,
                       d.src.nSrcY, 1, bVertical);
      }
    }
  }
  return Advance(c, bFrozen);
}
int EffectSplitH(cChara& c, DDSURFACEDATA* lpDst, DRAWSOURCE* lpSrc, int bFrozen, int bDraw) {
  return Split(c, lpDst, lpSrc, bFrozen, bDraw, 0);
}
int EffectSplitV(cChara& c, DDSURFACEDATA* lpDst, DRAWSOURCE* lpSrc, int bFrozen, int bDraw) {
  return Split(c, lpDst, lpSrc, bFrozen, bDraw, 1);
}

// 波: rows (columns) move along a wave of amplitude v, P3 waves, bands of
// P4; the phase a turns by a degree a frame.
int Wave(cChara& c, DDSURFACEDATA* lpDst, DRAWSOURCE* lpSrc, int bFrozen, int bDraw,
         int bVertical) {
  cEffectPlayback& e = c.m_CharaEffect;
  if (bDraw) {
    CELL d(c, lpDst, *lpSrc);
    if (d.bResized) {
      DDSURFACEDATA* lpWork = FirstWork();
      c.BlitCell(lpWork, d.src);
      DDBltWave(d.lpDst, d.x, d.y, d.W, d.H, d.P[3], d.G * d.v, e.nA, d.GTimes(d.P[4]), lpWork, 0,
                0, 1, bVertical);
    } else {
      cColourState colour(d.src);
      DDBltWave(d.lpDst, d.x, d.y, d.W, d.H, d.P[3], d.v, e.nA, d.P[4], d.src.lpSrc, d.src.nSrcX,
                d.src.nSrcY, 1, bVertical);
    }
  }
  if (bFrozen) return 0;
  if (++e.nA >= 360) e.nA = 0;
  return Advance(c, bFrozen);
}
int EffectWaveH(cChara& c, DDSURFACEDATA* lpDst, DRAWSOURCE* lpSrc, int bFrozen, int bDraw) {
  return Wave(c, lpDst, lpSrc, bFrozen, bDraw, 0);
}
int EffectWaveV(cChara& c, DDSURFACEDATA* lpDst, DRAWSOURCE* lpSrc, int bFrozen, int bDraw) {
  return Wave(c, lpDst, lpSrc, bFrozen, bDraw, 1);
}

// The turns of 点滅 and 半透明: b toggles every P1 frames, counted by a; the
// first turn is one frame longer. The toggle happens in frozen frames too
// once the count has reached the interval.
int Blink(cChara& c, int bFrozen) {
  cEffectPlayback& e = c.m_CharaEffect;
  const int32_t nInterval = e.lpRow ? e.lpRow->m_anParam[1] : 0;
  if (e.nA >= nInterval) {
    e.nA = 0;
    e.nB = e.nB ? 0 : 1;
  }
  if (bFrozen) return 0;
  ++e.nA;
  return Advance(c, bFrozen);
}

// 点滅: drawn plainly while b (visible) is set.
int EffectBlink(cChara& c, DDSURFACEDATA* lpDst, DRAWSOURCE* lpSrc, int bFrozen, int bDraw) {
  if (bDraw && c.m_CharaEffect.nB == 1) EffectNone(c, lpDst, lpSrc, bFrozen, bDraw);
  return Blink(c, bFrozen);
}

// 回転B: the cell turned by the value about its centre.
int EffectRotateB(cChara& c, DDSURFACEDATA* lpDst, DRAWSOURCE* lpSrc, int bFrozen, int bDraw) {
  if (bDraw) {
    CELL d(c, lpDst, *lpSrc);
    if (d.bResized) {
      DDSURFACEDATA* lpWork = Surface(g_bUseD3D ? kWork67 : kWork68);
      c.BlitCell(lpWork, d.src);
      DDBltRotate(d.lpDst, d.CX(), d.CY(), d.W, d.H, d.W >> 1, d.H >> 1, Span(d.v), lpWork, 0, 0,
                  1);
    } else {
      cColourState colour(d.src);
      DDBltRotate(d.lpDst, d.CX(), d.CY(), d.W, d.H, d.W >> 1, d.H >> 1, Span(d.v), d.src.lpSrc2,
                  d.src.nSrcX, d.src.nSrcY, 1);
    }
  }
  return Advance(c, bFrozen);
}

// 回転A: as 回転B under the textured back end. On the surface display a
// resized cell is turned at its stored size in the middle of a square of
// side q = K uW sqrt 2 and that square is stretched over the sprite's.
int EffectRotateA(cChara& c, DDSURFACEDATA* lpDst, DRAWSOURCE* lpSrc, int bFrozen, int bDraw) {
  if (g_bUseD3D) return EffectRotateB(c, lpDst, lpSrc, bFrozen, bDraw);
  if (bDraw) {
    CELL d(c, lpDst, *lpSrc);
    if (d.bResized) {
      DDSURFACEDATA* lpWork = FirstWork();
      const int sw = d.StoredW(), sh = d.StoredH();
      const int q = Span(sw * kSqrt2);
      ClearSquare(lpWork, q);
      DDBltRotate(lpWork, q >> 1, q >> 1, sw, sh, sw >> 1, sh >> 1, Span(d.v), d.src.lpSrc2,
                  d.src.nSrcX, d.src.nSrcY, 0);
      const int n = Span(kSqrt2 * d.W);
      DDStretchBlt(d.lpDst, d.CX() - (n >> 1), d.CY() - (n >> 1), n, n, lpWork, 0, 0, q, q, 1);
    } else {
      DDBltRotate(d.lpDst, d.CX(), d.CY(), d.W, d.H, d.W >> 1, d.H >> 1, Span(d.v), d.src.lpSrc2,
                  d.src.nSrcX, d.src.nSrcY, 1);
    }
  }
  return Advance(c, bFrozen);
}

// 回転（奥）: a card turning about its vertical axis, the character on its
// front and the character facing the other way on its back.
int EffectRotateDepth(cChara& c, DDSURFACEDATA* lpDst, DRAWSOURCE* lpSrc, int bFrozen, int bDraw) {
  if (bDraw) {
    CELL d(c, lpDst, *lpSrc);
    cColourState colour(d.src);
    DDBltFlipCard(d.lpDst, d.x, d.y, d.W, d.H, d.src.lpUse, d.src.nSrcX, d.src.nSrcY,
                  d.src.lpUseOther, d.src.nSrcX, d.src.nSrcY, d.StoredW(), d.StoredH(), 1,
                  Span(d.v), 0);
  }
  return Advance(c, bFrozen);
}

// 円: the disc of radius v around the sprite's centre, in bands of P3 rows.
int EffectCircle(cChara& c, DDSURFACEDATA* lpDst, DRAWSOURCE* lpSrc, int bFrozen, int bDraw) {
  if (bDraw) {
    CELL d(c, lpDst, *lpSrc);
    const int hw = d.W >> 1, hh = d.H >> 1;
    if (!g_bUseD3D && !d.bResized) {
      DDBltCircle(d.lpDst, d.CX(), d.CY(), hw, hh, Span(d.v), d.P[3], d.src.lpSrc, d.src.nSrcX + hw,
                  d.src.nSrcY + hh, 1);
    } else {
      DDSURFACEDATA* lpWork = FirstWork();
      c.BlitCell(lpWork, d.src);
      DDBltCircle(d.lpDst, d.CX(), d.CY(), hw, hh, d.GV(), d.GTimes(d.P[3]), lpWork, hw, hh, 1);
    }
  }
  return Advance(c, bFrozen);
}

// 拡大: the sprite stretched about its centre to v pixels (a normal
// character; 32 is its size). A resized cell grows by (v - 32) G / 2.
int EffectZoom(cChara& c, DDSURFACEDATA* lpDst, DRAWSOURCE* lpSrc, int bFrozen, int bDraw) {
  if (bDraw) {
    CELL d(c, lpDst, *lpSrc);
    if (d.bResized) {
      const int e = Span((d.v - 32) * d.G) >> 1;
      DDSURFACEDATA* lpWork = FirstWork();
      c.BlitCell(lpWork, d.src);
      DDStretchBlt(d.lpDst, d.x - e / 2, d.y - e / 2, d.W + e, d.H + e, lpWork, 0, 0, d.W, d.H, 1);
    } else {
      const int e = Span(d.v - 32);
      cColourState colour(d.src);
      DDStretchBlt(d.lpDst, d.x - e / 2, d.y - e / 2, d.W + e, d.H + e, d.src.lpSrc2, d.src.nSrcX,
                   d.src.nSrcY, d.W, d.H, 1);
    }
  }
  return Advance(c, bFrozen);
}

// レンズ: a lens of depth v over the sprite, its centre moved by (P3, P4).
int EffectLens(cChara& c, DDSURFACEDATA* lpDst, DRAWSOURCE* lpSrc, int bFrozen, int bDraw) {
  if (bDraw) {
    CELL d(c, lpDst, *lpSrc);
    const int cx = d.GTimes(d.P[3]), cy = d.GTimes(d.P[4]);
    const int R = Span(kSqrt2 * (std::max(std::abs(cx), std::abs(cy)) + (d.W >> 1)));
    DDSURFACEDATA* lpWork = SecondWork();
    ClearSquare(lpWork, g_bUseD3D || g_nBpp == 16 ? 4 * int64_t{R} : 2 * int64_t{R});
    int o;
    if (d.bResized) {
      c.BlitCell(lpWork, d.src);
      o = Span(int64_t{TruncInt(d.v)} * d.G);
    } else {
      cColourState colour(d.src);
      DDBlt(lpWork, 0, 0, d.W, d.H, d.src.lpSrc, d.src.nSrcX, d.src.nSrcY, 0);
      o = Span(d.v);
    }
    const int scx = cx + (d.W >> 1), scy = cy + (d.H >> 1);
    const int lx = d.CX() + cx, ly = d.CY() + cy;
    const bool bColour = g_bUseD3D && d.src.bColour;
    if (bColour || (g_bUseD3D && TexturedVirtualBackBuffer())) {
      // Through surface 69, drawn onto the frame with the colour state.
      DDSURFACEDATA* lpLens = Surface(kWork69);
      ClearSquare(lpLens, 4 * int64_t{R});
      const int bClear = bColour || (g_bWindowMode == 1 && g_nBpp == 32) ? 1 : 0;
      DDBltLens(lpLens, R, R, R, o, lpWork, scx, scy, 1, bClear);
      DDBltEx(d.lpDst, lx - R, ly - R, 2 * R, 2 * R, lpLens, 0, 0, 1,
              bColour ? d.State() : nullptr);
    } else {
      DDBltLens(d.lpDst, lx, ly, R, o, lpWork, scx, scy, 1, 0);
    }
  }
  return Advance(c, bFrozen);
}

// Where the tint and the half transparency read the cell: the second copy
// at the cell, or, when it must be copied first (resized, or for the colour
// state), surface 68 at (0, 0) after BlitCell or BlitPlain.
struct PIXELSOURCE {
  DDSURFACEDATA* lpSurface;
  int x, y;
};
PIXELSOURCE PixelSource(CELL& d, bool bCopy) {
  if (!bCopy) return {d.src.lpSrc2, d.src.nSrcX, d.src.nSrcY};
  DDSURFACEDATA* lpWork = Surface(kWork68);
  if (d.bResized)
    d.c.BlitCell(lpWork, d.src);
  else
    d.c.BlitPlain(lpWork, d.src);
  return {lpWork, 0, 0};
}

// 色変化: the cell tinted toward palette colour P3 at level v.
int EffectTint(cChara& c, DDSURFACEDATA* lpDst, DRAWSOURCE* lpSrc, int bFrozen, int bDraw) {
  if (bDraw) {
    CELL d(c, lpDst, *lpSrc);
    const PIXELSOURCE s = PixelSource(d, d.bResized || d.src.bColour);
    DDBltTint(d.lpDst, d.x, d.y, d.W, d.H, s.lpSurface, s.x, s.y, 1, g_PaletteShown, g_BlendTable,
              d.P[3], TruncInt(d.v));
  }
  return Advance(c, bFrozen);
}

// 半透明: drawn half transparent while b (hidden) is clear, blinking every
// P1 frames.
int EffectTranslucent(cChara& c, DDSURFACEDATA* lpDst, DRAWSOURCE* lpSrc, int bFrozen, int bDraw) {
  if (bDraw && c.m_CharaEffect.nB == 0) {
    CELL d(c, lpDst, *lpSrc);
    const PIXELSOURCE s = PixelSource(d, d.bResized || (g_bUseD3D && d.src.bColour));
    DDBltHalf(d.lpDst, d.x, d.y, d.W, d.H, s.lpSurface, s.x, s.y, 1, g_BlendTable);
  }
  return Blink(c, bFrozen);
}

// モザイク and ぼかし: a pixel filter of the cell. Resized, the cell is
// filtered from the second work surface. The surface display filters
// straight onto the frame. The textured back end filters from the second
// work surface, through surface 69 when the colour state or the virtual
// back buffer is on.
template <class FILTER>
void DrawFiltered(CELL& d, FILTER&& filter) {
  DDSURFACEDATA* lpWork = SecondWork();
  if (d.bResized)
    d.c.BlitCell(lpWork, d.src);
  else if (g_bUseD3D)
    d.c.BlitPlain(lpWork, d.src);
  if (!d.bResized && !g_bUseD3D) {
    filter(d.lpDst, d.x, d.y, d.src.lpSrc2, d.src.nSrcX, d.src.nSrcY);
    return;
  }
  if (g_bUseD3D && (d.src.bColour || TexturedVirtualBackBuffer())) {
    DDSURFACEDATA* lpFilter = Surface(kWork69);
    const int w = static_cast<int>(std::clamp<int64_t>(2 * int64_t{d.W}, 0, lpFilter->nWidth));
    const int h = static_cast<int>(std::clamp<int64_t>(2 * int64_t{d.H}, 0, lpFilter->nHeight));
    if (w > 0 && h > 0) DDPalFillRect(lpFilter, 0, 0, w, h, 0);
    filter(lpFilter, 0, 0, lpWork, 0, 0);
    DDBltEx(d.lpDst, d.x, d.y, d.W, d.H, lpFilter, 0, 0, 1, d.State());
  } else {
    filter(d.lpDst, d.x, d.y, lpWork, 0, 0);
  }
}

int EffectMosaic(cChara& c, DDSURFACEDATA* lpDst, DRAWSOURCE* lpSrc, int bFrozen, int bDraw) {
  if (bDraw) {
    CELL d(c, lpDst, *lpSrc);
    const int n = Span(d.v);
    DrawFiltered(d, [&](DDSURFACEDATA* lpTo, int x, int y, DDSURFACEDATA* lpFrom, int sx, int sy) {
      DDMosaic(lpTo, x, y, d.W, d.H, n, lpFrom, sx, sy, 1);
    });
  }
  return Advance(c, bFrozen);
}

// ぼかし: on an 8-bit display, which has no blur, a tint toward colour 31.
int EffectBlur(cChara& c, DDSURFACEDATA* lpDst, DRAWSOURCE* lpSrc, int bFrozen, int bDraw) {
  if (bDraw) {
    CELL d(c, lpDst, *lpSrc);
    const int r = Span(d.v);
    if (g_nBpp == 8) {
      DDSURFACEDATA* lpSource = d.src.lpSrc2;
      int sx = d.src.nSrcX, sy = d.src.nSrcY;
      if (d.bResized) {
        lpSource = SecondWork();
        sx = sy = 0;
        c.BlitCell(lpSource, d.src);
      }
      DDBltTint(d.lpDst, d.x, d.y, d.W, d.H, lpSource, sx, sy, 1, g_PaletteShown, g_BlendTable,
                kBlurTintColour, r);
    } else {
      DrawFiltered(d, [&](DDSURFACEDATA* lpTo, int x, int y, DDSURFACEDATA* lpFrom, int sx,
                          int sy) { DDBlur(lpTo, x, y, d.W, d.H, r, r, lpFrom, sx, sy, 1); });
    }
  }
  return Advance(c, bFrozen);
}

}  // namespace

const CHARAEFFECTFN g_apfnCharaEffect[CHARAEFFECT_KINDS] = {
    EffectNone,         // 0
    EffectBurst,        // 1 破裂
    EffectSplitH,       // 2 分割（横）
    EffectSplitV,       // 3 分割（縦）
    EffectWaveH,        // 4 波（横）
    EffectWaveV,        // 5 波（縦）
    EffectBlink,        // 6 点滅
    EffectRotateA,      // 7 回転A
    EffectRotateB,      // 8 回転B
    EffectRotateDepth,  // 9 回転（奥）
    EffectCircle,       // 10 円
    EffectZoom,         // 11 拡大
    EffectLens,         // 12 レンズ
    EffectTint,         // 13 色変化
    EffectTranslucent,  // 14 半透明
    EffectMosaic,       // 15 モザイク
    EffectBlur,         // 16 ぼかし
};

int CharaEffectKind(const cEffectPlayback& effect) {
  if (effect.nEffect == 0 || effect.lpRow == nullptr) return CHARAEFFECT_NONE;
  const int32_t nKind = effect.lpRow->m_nKind;
  return nKind > CHARAEFFECT_NONE && nKind < CHARAEFFECT_KINDS ? nKind : CHARAEFFECT_NONE;
}

bool CharaEffectOutlasted(const cEffectPlayback& effect) {
  if (effect.lpRow == nullptr) return true;
  const int64_t nRunTime = std::max<int64_t>(effect.lpRow->m_anParam[0], 0);
  return effect.nFrame > kTenthFrames * nRunTime + 1;
}

// ---- cChara ------------------------------------------------------------------------

void cChara::BlitCell(DDSURFACEDATA* lpWork, const DRAWSOURCE& src) {
  const int G = std::max<int>(m_Def.m_nGiant, 1);
  const int K = src.cCellScale;
  DDBLTSTATE state;
  state.dwDiffuse = src.dwDiffuse;
  state.dwColorOp = src.dwColourOp;
  const DDBLTSTATE* lpState = src.bColour ? &state : nullptr;
  if (src.bLargeCells ? G != K : G > 1)
    DDBltWithState(lpWork, 0, 0, m_nSpriteW, m_nSpriteH, src.lpUse, src.nSrcX, src.nSrcY,
                   Span(int64_t{K} * m_nBaseSpriteW), Span(int64_t{K} * m_nBaseSpriteH), 0,
                   lpState);
  else
    DDBltEx(lpWork, 0, 0, m_nSpriteW, m_nSpriteH, src.lpSrc2, src.nSrcX, src.nSrcY, 0, lpState);
}

void cChara::BlitPlain(DDSURFACEDATA* lpWork, const DRAWSOURCE& src) {
  DDBLTSTATE state;
  state.dwDiffuse = src.dwDiffuse;
  state.dwColorOp = src.dwColourOp;
  DDBltEx(lpWork, 0, 0, m_nSpriteW, m_nSpriteH, src.lpSrc, src.nSrcX, src.nSrcY, 0,
          src.bColour ? &state : nullptr);
}

int cChara::RunCharaEffect(DDSURFACEDATA* lpDst, DRAWSOURCE* lpSrc, int bFrozen, int bDraw) {
  // A graphic of no sheet has nothing to draw; its effect still runs.
  if (lpSrc == nullptr || lpSrc->lpSrc == nullptr) bDraw = 0;
  const int r =
      g_apfnCharaEffect[CharaEffectKind(m_CharaEffect)](*this, lpDst, lpSrc, bFrozen, bDraw);
  if (r == 1) m_CharaEffect.nEffect = 0;
  return r;
}
