#include "platform/draw/dd_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <type_traits>
#include <vector>

#include "platform/draw/dd_blit.h"
#include "platform/draw/dd_effect.h"
#include "platform/draw/dd_internal.h"
#include "platform/draw/pixels/pixel_format.h"
#include "platform/draw/pixels/warp_rows.h"

namespace {

// Floor and ceiling of a / b for b > 0.
long long FloorDiv(long long a, long long b) { return a / b - (a % b != 0 && a < 0 ? 1 : 0); }
long long CeilDiv(long long a, long long b) { return -FloorDiv(-a, b); }

// What a locked effect does with one source pixel: which pixels count as
// transparent (and are left out, or written as 0 where the effect clears),
// and whether the texel becomes the full-screen back buffer's R5G6B5 pixel.
struct LANDING {
  PIXELKEY key;
  bool bTo565 = false;
  bool bClear = false;
};

// LANDING with its choices made at compile time, for the row loops.
template <class T, PIXELKEY::eKind kKey, bool bTo565, bool bClear>
struct cLand {
  T key;
  RGB565SHIFTS shifts;
  void operator()(T p, T& d) const {
    if constexpr (kKey == PIXELKEY::kValue) {
      if (p == key) return;
    } else if constexpr (kKey == PIXELKEY::kAlpha0) {
      if ((static_cast<uint32_t>(p) >> 24) == 0) {
        if constexpr (bClear) d = 0;
        return;
      }
    } else if constexpr (kKey == PIXELKEY::kBits16) {
      if ((p & 0xA000) == 0) return;
    }
    if constexpr (bTo565)
      d = static_cast<T>(TexelTo565(p, shifts));
    else
      d = p;
  }
};

// Calls f with the cLand of the pixel type T for l. Only the choices each
// depth can make are instantiated: 565 at 16 bits, alpha and clearing at 32.
template <class T, class F>
void WithLand(const LANDING& l, F f) {
  const T key = static_cast<T>(l.key.dwValue);
  const RGB565SHIFTS shifts = DDBackBufferShifts();
  auto pick = [&](auto kind) {
    constexpr PIXELKEY::eKind kKey = decltype(kind)::value;
    if constexpr (sizeof(T) == 2) {
      if (l.bTo565)
        f(cLand<T, kKey, true, false>{key, shifts});
      else
        f(cLand<T, kKey, false, false>{key, shifts});
    } else if constexpr (sizeof(T) == 4 && kKey == PIXELKEY::kAlpha0) {
      if (l.bClear)
        f(cLand<T, kKey, false, true>{key, shifts});
      else
        f(cLand<T, kKey, false, false>{key, shifts});
    } else {
      f(cLand<T, kKey, false, false>{key, shifts});
    }
  };
  switch (l.key.kind) {
    case PIXELKEY::kNone:
      pick(std::integral_constant<PIXELKEY::eKind, PIXELKEY::kNone>{});
      break;
    case PIXELKEY::kValue:
      pick(std::integral_constant<PIXELKEY::eKind, PIXELKEY::kValue>{});
      break;
    case PIXELKEY::kAlpha0:
      if constexpr (sizeof(T) == 4)
        pick(std::integral_constant<PIXELKEY::eKind, PIXELKEY::kAlpha0>{});
      break;
    case PIXELKEY::kBits16:
      if constexpr (sizeof(T) == 2)
        pick(std::integral_constant<PIXELKEY::eKind, PIXELKEY::kBits16>{});
      break;
  }
}

// Calls f with the pixel type of the locked surfaces' depth.
template <class F>
void WithPixelType(int nBytes, F f) {
  switch (nBytes) {
    case 1:
      f(uint8_t{});
      break;
    case 2:
      f(uint16_t{});
      break;
    default:
      f(uint32_t{});
      break;
  }
}

// ---- lens ---------------------------------------------------------------------------

// Offsets of one row (and of its mirror row's v), kept between calls.
std::vector<int32_t> g_LensU, g_LensV, g_LensVMirror;

// The disc pixels of row i between columns a and b, from offsets pU, pV.
template <class T, class Land>
void LensRow(const cSurfaceLock& dst, const cSurfaceLock& src, long long cx, long long y,
             long long a, long long b, long long scx, long long scy, const int32_t* pU,
             const int32_t* pV, const Land& land) {
  // An offset of kLensNoOffset puts the pixel before the source whatever
  // the centre, as an int32 sum with it cannot reach 0.
  const uint64_t nSrcW = static_cast<uint64_t>(src.m_nWidth);
  const uint64_t nSrcH = static_cast<uint64_t>(src.m_nHeight);
  const T* s = src.Row<T>(0);
  const ptrdiff_t nPitch = src.m_nPitch;
  T* d = dst.Row<T>(static_cast<int>(y)) + (cx + a);
  const int n = static_cast<int>(b - a + 1);
  for (int k = 0; k < n; ++k) {
    const uint64_t x = static_cast<uint64_t>(scx + pU[k]), v = static_cast<uint64_t>(scy + pV[k]);
    if (x < nSrcW && v < nSrcH)
      land(s[static_cast<ptrdiff_t>(v) * nPitch + static_cast<ptrdiff_t>(x)], d[k]);
  }
}

template <class T, class Land>
void LensRows(const cSurfaceLock& dst, const cSurfaceLock& src, long long cx, long long cy,
              long long R, long long F, int nDepth, long long scx, long long scy, bool bClear,
              const Land& land) {
  const long long nDstW = dst.m_nWidth, nDstH = dst.m_nHeight;
  // The square around the disc, clipped to the destination.
  const long long i0 = std::max(-R, -cy), i1 = std::min(R, nDstH - 1 - cy);
  const long long j0 = std::max(-R, -cx), j1 = std::min(R, nDstW - 1 - cx);
  if (i0 > i1 || j0 > j1) return;
  const size_t nColumns = static_cast<size_t>(j1 - j0 + 1);
  g_LensU.resize(nColumns);
  g_LensV.resize(nColumns);
  g_LensVMirror.resize(nColumns);
  if (bClear)
    for (long long i = i0; i <= i1; ++i)
      std::fill_n(dst.Row<T>(static_cast<int>(cy + i)) + (cx + j0), nColumns, T{0});
  // Rows i and -i share their columns and square roots: one pass draws both.
  const long long mEnd = std::max(std::abs(i0), std::abs(i1));
  const long long mFirst = i0 > 0 ? i0 : i1 < 0 ? -i1 : 0;
  for (long long m = mFirst; m <= mEnd; ++m) {
    const bool bDown = m <= i1 && m >= i0, bUp = m > 0 && -m >= i0 && -m <= i1;
    if (!bDown && !bUp) continue;
    // The disc's columns in these rows.
    const long long h = static_cast<long long>(ISqrt(static_cast<uint64_t>(R * R - m * m)));
    const long long a = std::max(j0, -h), b = std::min(j1, h);
    if (a > b) continue;
    LensRowOffsets(g_LensU.data(), g_LensV.data(), bUp ? g_LensVMirror.data() : nullptr,
                   static_cast<int>(m), static_cast<int>(a), static_cast<int>(b - a + 1),
                   static_cast<double>(F * F - m * m), nDepth);
    if (bDown)
      LensRow<T>(dst, src, cx, cy + m, a, b, scx, scy, g_LensU.data(), g_LensV.data(), land);
    if (bUp)
      LensRow<T>(dst, src, cx, cy - m, a, b, scx, scy, g_LensU.data(), g_LensVMirror.data(), land);
  }
}

// ---- rotation -------------------------------------------------------------------------

// The range of steps k in [0, n) with lo <= P + k dP < hi.
void ClampSteps(long long P, long long dP, long long lo, long long hi, long long& k0,
                long long& k1) {
  if (dP == 0) {
    if (P < lo || P >= hi) k1 = k0;
    return;
  }
  if (dP > 0) {
    k0 = std::max(k0, CeilDiv(lo - P, dP));
    k1 = std::min(k1, CeilDiv(hi - P, dP));
  } else {
    k0 = std::max(k0, FloorDiv(P - hi, -dP) + 1);
    k1 = std::min(k1, FloorDiv(P - lo, -dP) + 1);
  }
}

// One axis of the rectangle as the source holds it: the rectangle's offset u
// reads source column (or row) nBase + nDir u.
struct AXIS {
  long long nBase = 0;
  int nDir = 1;
  // The offsets whose column lies in [0, nSize), within [0, nLength).
  void Inside(long long nLength, long long nSize, long long& lo, long long& hi) const {
    lo = nDir > 0 ? -nBase : nBase - nSize + 1;
    hi = nDir > 0 ? nSize - nBase : nBase + 1;
    lo = std::max(lo, 0LL);
    hi = std::min(hi, nLength);
  }
};

// The source rectangle as mapped for mirrored variants: an offset runs
// backwards from the far edge where the mapped size is negative.
AXIS MappedAxis(int nPos, int nSize) {
  return nSize < 0 ? AXIS{static_cast<long long>(nPos) - 1, -1} : AXIS{nPos, 1};
}

struct ROTATION {
  long long W, H, pX, pY;
  long long Kc, Ks;
  AXIS col, row;
};

template <class T, class Land>
void RotateRows(const cSurfaceLock& dst, const cSurfaceLock& src, long long cx, long long cy,
                const ROTATION& r, const Land& land) {
  const long long nDstW = dst.m_nWidth, nDstH = dst.m_nHeight;
  // The rectangle's corner pixels turned: the box around them, two pixels
  // wider each way, clipped to the destination (offsets from the pivot).
  long long xMin = 0, xMax = 0, yMin = 0, yMax = 0;
  for (int c = 0; c < 4; ++c) {
    const long long dx = ((c & 1) ? r.W - 1 : 0) - r.pX, dy = ((c & 2) ? r.H - 1 : 0) - r.pY;
    const long long X = (r.Kc * dx - r.Ks * dy) >> 10, Y = (r.Ks * dx + r.Kc * dy) >> 10;
    xMin = c ? std::min(xMin, X) : X;
    xMax = c ? std::max(xMax, X) : X;
    yMin = c ? std::min(yMin, Y) : Y;
    yMax = c ? std::max(yMax, Y) : Y;
  }
  const long long x0 = std::max(xMin - 2, -cx), x1 = std::min(xMax + 2, nDstW - cx);
  const long long y0 = std::max(yMin - 2, -cy), y1 = std::min(yMax + 2, nDstH - cy);
  if (x0 >= x1 || y0 >= y1) return;
  // Offsets of the rectangle that lie in it and in the source.
  long long uLo, uHi, vLo, vHi;
  r.col.Inside(r.W, src.m_nWidth, uLo, uHi);
  r.row.Inside(r.H, src.m_nHeight, vLo, vHi);
  if (uLo >= uHi || vLo >= vHi) return;
  ROTATEWALK w;
  w.dU = r.Kc;
  w.dV = -r.Ks;
  w.nRowStep = static_cast<ptrdiff_t>(r.row.nDir) * src.m_nPitch;
  w.nColStep = r.col.nDir;
  // Index of the rectangle's offset (pivot + a, pivot + b) is nOrigin +
  // nRowStep b + nColStep a.
  w.nOrigin = static_cast<ptrdiff_t>((r.row.nBase + r.row.nDir * r.pY) * src.m_nPitch +
                                     r.col.nBase + r.col.nDir * r.pX);
  const T* s = src.Row<T>(0);
  for (long long dy = y0; dy < y1; ++dy) {
    const long long U = r.Kc * x0 + r.Ks * dy, V = r.Kc * dy - r.Ks * x0;
    long long k0 = 0, k1 = x1 - x0;
    ClampSteps(U, w.dU, (uLo - r.pX) * 1024, (uHi - r.pX) * 1024, k0, k1);
    ClampSteps(V, w.dV, (vLo - r.pY) * 1024, (vHi - r.pY) * 1024, k0, k1);
    if (k0 >= k1) continue;
    w.U = U + k0 * w.dU;
    w.V = V + k0 * w.dV;
    RotateRow(dst.Row<T>(static_cast<int>(cy + dy)) + (cx + x0 + k0), s, static_cast<int>(k1 - k0),
              w, land);
  }
}

// The textured back end's turned quad: the part of the rectangle inside the
// source, its corners turned about the pivot, which lands on (cx, cy) as on
// the locked path (for the centre pivot every caller uses, also where the
// quad's first rule put it).
void DrawTurnedQuad(DDSURFACEDATA* lpDstSD, int cx, int cy, const ROTATION& r, double c, double s,
                    DDSURFACEDATA* lpSrcSD) {
  long long uLo, uHi, vLo, vHi;
  r.col.Inside(r.W, lpSrcSD->nWidth, uLo, uHi);
  r.row.Inside(r.H, lpSrcSD->nHeight, vLo, vHi);
  if (uLo >= uHi || vLo >= vHi) return;
  const double px = cx, py = cy;
  // Texture coordinate of the edge before offset u (or after, read backwards).
  auto edge = [](const AXIS& a, long long u, int nTexSize) {
    return static_cast<float>(static_cast<double>(a.nDir > 0 ? a.nBase + u : a.nBase + 1 - u) /
                              nTexSize);
  };
  GPUVERTEX v[4];
  for (int k = 0; k < 4; ++k) {
    // Strip order: top-left, bottom-left, top-right, bottom-right.
    const long long u = k & 2 ? uHi : uLo, t = k & 1 ? vHi : vLo;
    const double dx = static_cast<double>(u - r.pX), dy = static_cast<double>(t - r.pY);
    v[k] = GPUVERTEX{static_cast<float>(px + dx * c - dy * s - 0.5),
                     static_cast<float>(py + dx * s + dy * c - 0.5),
                     0,
                     1,
                     lpDTCon->dwDiffuse,
                     edge(r.col, u, lpSrcSD->nTextureWidth),
                     edge(r.row, t, lpSrcSD->nTextureHeight)};
  }
  if (!DDBeginSourceQuad(lpDstSD, lpSrcSD, v)) return;
  DDSetTextureStage(lpDTCon->dwColorOp, lpDTCon->dwAlphaOp);
  DDEndSourceQuad(lpSrcSD);
}

}  // namespace

bool DDBltLens(DDSURFACEDATA* lpDstSD, int cx, int cy, int nRadius, int nDepth,
               DDSURFACEDATA* lpSrcSD, int scx, int scy, int bColorKey, int bClearOutside) {
  if (nDepth < 0 || nRadius < 0) return false;
  const long long R = nRadius;
  const long long F = static_cast<long long>(
      ISqrt(static_cast<uint64_t>(R * R) + static_cast<uint64_t>(nDepth) * nDepth));
  if (F <= nDepth) return false;
  // The locks resolve parents and redirect the back buffer.
  const cEffectLock lock(lpDstSD, lpSrcSD);
  if (!lock.IsLocked()) return false;
  if (!lock.Draws()) return true;
  // Which source pixels the lens leaves out is its own: the colour key
  // decides only at 16 textured bits.
  LANDING l;
  if (!lpDTCon) {
    l.key = PIXELKEY{PIXELKEY::kValue, g_dwTransmitPixel};
  } else if (lock.m_nBpp == 32) {
    l.key = PIXELKEY{PIXELKEY::kAlpha0, 0};
    l.bClear = bClearOutside != 0;
  } else {
    l.key = lock.Key(bColorKey == 1);
    l.bTo565 = lock.m_bTo565;
  }
  WithPixelType(lock.m_dst.m_nBytesPerPixel, [&](auto t) {
    using T = decltype(t);
    WithLand<T>(l, [&](const auto& land) {
      LensRows<T>(lock.m_dst, lock.m_src, cx, cy, R, F, nDepth, scx, scy, l.bClear, land);
    });
  });
  return true;
}

bool DDBltRotate(DDSURFACEDATA* lpDstSD, int cx, int cy, int nWidth, int nHeight, int nPivotX,
                 int nPivotY, int nAngle, DDSURFACEDATA* lpSrcSD, int sx, int sy, int bColorKey) {
  if (lpDTCon && (!lpDstSD || !lpSrcSD)) return true;
  int msx = sx, msy = sy, msw = nWidth, msh = nHeight;
  DDMirrorSourceRect(lpSrcSD, &msx, &msy, &msw, &msh);
  const double dAngle = nAngle * std::numbers::pi / 180.0;
  const double c = std::cos(dAngle), s = std::sin(dAngle);
  ROTATION r{nWidth,
             nHeight,
             nPivotX,
             nPivotY,
             static_cast<long long>(1024 * c),
             static_cast<long long>(1024 * s),
             MappedAxis(msx, msw),
             MappedAxis(msy, msh)};
  if (lpDTCon) {
    DDPrepareEffect(&lpDstSD, &lpSrcSD);
    if (!lpDstSD->lpDT || !lpSrcSD->lpDT) return true;
    if (DDEffectUsesQuad(lpDstSD, lpSrcSD)) {
      if (nWidth > 0 && nHeight > 0) DrawTurnedQuad(lpDstSD, cx, cy, r, c, s, lpSrcSD);
      return true;
    }
  }
  const cEffectLock lock(lpDstSD, lpSrcSD);
  if (!lock.IsLocked()) return false;
  if (!lock.Draws() || nWidth <= 0 || nHeight <= 0) return true;
  // The colour key compares with the transparent pixel under both back ends.
  LANDING l;
  if (bColorKey == 1) l.key = PIXELKEY{PIXELKEY::kValue, g_dwTransmitPixel};
  l.bTo565 = lock.m_bTo565;
  WithPixelType(lock.m_dst.m_nBytesPerPixel, [&](auto t) {
    using T = decltype(t);
    WithLand<T>(l,
                [&](const auto& land) { RotateRows<T>(lock.m_dst, lock.m_src, cx, cy, r, land); });
  });
  return true;
}
