#include "platform/draw/dd_pattern.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/draw/dd_blit.h"
#include "platform/draw/dd_internal.h"

void DDFrameRect(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nThick,
                 uint32_t dwPalNum) {
  DDBeginFill();
  DDPalFillRect(lpDstSD, x, y, nWidth, nThick, dwPalNum);
  DDPalFillRect(lpDstSD, x, y + nHeight - nThick, nWidth, nThick, dwPalNum);
  DDPalFillRect(lpDstSD, x, y, nThick, nHeight, dwPalNum);
  DDPalFillRect(lpDstSD, x + nWidth - nThick, y, nThick, nHeight, dwPalNum);
  DDEndFill();
}

void DDBltNumber(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight,
                 DDSURFACEDATA* lpSrcSD, int sx, int sy, uint32_t dwFlags, int nNumber,
                 int nMinDigits, int bCentre) {
  // At most ten digits; a negative number has no meaning here and is drawn
  // by the digits of its magnitude.
  uint32_t v = nNumber < 0 ? 0u - static_cast<uint32_t>(nNumber) : static_cast<uint32_t>(nNumber);
  int aDigits[10];
  int n = 0;
  do {
    aDigits[n++] = static_cast<int>(v % 10);
    v /= 10;
  } while (v != 0 && n < 10);
  int nOffset = 0;
  if (n < nMinDigits) {
    nOffset = (nMinDigits - n) * nWidth;
    if (bCentre) nOffset /= 2;
  }
  for (int k = 0; k < n; ++k) {
    const int d = aDigits[n - 1 - k];
    DDBlt(lpDstSD, x + nOffset + k * nWidth, y, nWidth, nHeight, lpSrcSD, sx + d * nWidth, sy,
          dwFlags);
  }
}

int DDBltInterlace(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nBand,
                   int nShift, DDSURFACEDATA* lpSrcSD, int sx, int sy, uint32_t dwFlags,
                   int bVertical) {
  if (nBand == 0) return DDBlt(lpDstSD, x, y, nWidth, nHeight, lpSrcSD, sx, sy, dwFlags);
  if (nBand < 0) return 0;
  DDBeginBatch(0);
  const int n = (bVertical ? nWidth : nHeight) / nBand;
  // Odd strips first, then the even ones.
  for (int nFirst = 1; nFirst >= 0; --nFirst) {
    const int d = nFirst == 1 ? -nShift : nShift;
    for (int k = nFirst; k < n; k += 2) {
      if (bVertical)
        DDBlt(lpDstSD, x + k * nBand, y + d, nBand, nHeight, lpSrcSD, sx + k * nBand, sy, dwFlags);
      else
        DDBlt(lpDstSD, x + d, y + k * nBand, nWidth, nBand, lpSrcSD, sx, sy + k * nBand, dwFlags);
    }
  }
  return DDEndBatch();
}

namespace {

// A position worked out in 64 bits, brought back into an int. Nothing beyond
// 2^29 pixels from the origin lies on a surface (none is wider than 32767),
// so the blits clip such a position away as they would the true one.
int ClampPosition(long long v) { return static_cast<int>(std::clamp(v, -(1LL << 29), 1LL << 29)); }

// A displacement in pixels, truncated toward zero; NaN moves nothing.
long long TruncateOffset(double d) {
  if (!(d == d)) return 0;
  return static_cast<long long>(std::clamp(d, -1e12, 1e12));
}

// Floor and ceiling of a / b for b > 0.
long long FloorDiv(long long a, long long b) { return a / b - (a % b != 0 && a < 0 ? 1 : 0); }
long long CeilDiv(long long a, long long b) { return -FloorDiv(-a, b); }

// The surface a blit reads when given lpSD.
const DDSURFACEDATA* ReadSurface(DDSURFACEDATA* lpSD) {
  DDResolveParentSD(&lpSD);
  DDRedirectBackBuffer(&lpSD);
  return lpSD;
}

// An unscaled blit of the part of the source rectangle that lies in the
// source, each pixel drawn where it would be drawn whole: positions worked
// out in 64 bits come back into ints only once they are within a surface's
// reach.
int BltPart(DDSURFACEDATA* lpDstSD, long long x, long long y, long long w, long long h,
            DDSURFACEDATA* lpSrcSD, long long sx, long long sy, uint32_t dwFlags) {
  if (!lpSrcSD) return 0;
  const DDSURFACEDATA* lpRead = ReadSurface(lpSrcSD);
  const long long l = std::max(sx, 0LL), t = std::max(sy, 0LL);
  const long long r = std::min<long long>(sx + w, lpRead->nWidth);
  const long long b = std::min<long long>(sy + h, lpRead->nHeight);
  if (r <= l || b <= t) return 0;
  return DDBlt(lpDstSD, ClampPosition(x + (l - sx)), ClampPosition(y + (t - sy)),
               static_cast<int>(r - l), static_cast<int>(b - t), lpSrcSD, static_cast<int>(l),
               static_cast<int>(t), dwFlags);
}

}  // namespace

void DDBltWave(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nCycles,
               double dAmplitude, int nPhase, int nBand, DDSURFACEDATA* lpSrcSD, int sx, int sy,
               uint32_t dwFlags, int bVertical) {
  const int nSize = bVertical ? nWidth : nHeight;
  if (nBand <= 0 || nSize <= 0 || !lpSrcSD) return;
  const double k = nCycles * std::numbers::pi / 180.0;
  const double dStep = 360.0 / nSize * nBand;
  // Only bands that reach into the source can show: offsets o with
  // 0 <= s + o < the source's size along the wave, s being sx (sy).
  const DDSURFACEDATA* lpSource = ReadSurface(lpSrcSD);
  const long long s = bVertical ? sx : sy;
  const long long nLimit = bVertical ? lpSource->nWidth : lpSource->nHeight;
  const long long bFirst = std::max(0LL, FloorDiv(-s, nBand));
  const long long bEnd = std::min(CeilDiv(nSize, nBand), CeilDiv(nLimit - s, nBand));
  // Neighbouring bands moved alike make one rectangle: drawn as one blit,
  // which puts every pixel where the bands would.
  long long oRun = 0, nRun = 0, dRun = 0;
  auto draw = [&] {
    if (nRun == 0) return;
    if (bVertical)
      BltPart(lpDstSD, x + oRun, y + dRun, nRun, nHeight, lpSrcSD, sx + oRun, sy, dwFlags);
    else
      BltPart(lpDstSD, x + dRun, y + oRun, nWidth, nRun, lpSrcSD, sx, sy + oRun, dwFlags);
  };
  DDBeginBatch(0);
  for (long long b = bFirst; b < bEnd; ++b) {
    const long long o = b * nBand;
    const long long n = std::min<long long>(nBand, nSize - o);
    const long long d = TruncateOffset(dAmplitude * std::sin(k * (nPhase + (b + 1) * dStep)));
    if (nRun > 0 && d == dRun) {
      nRun += n;
      continue;
    }
    draw();
    oRun = o;
    nRun = n;
    dRun = d;
  }
  draw();
  DDEndBatch();
}

void DDBltFlipCard(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight,
                   DDSURFACEDATA* lpSrcSD, int sx, int sy, DDSURFACEDATA* lpSrcSD2, int sx2,
                   int sy2, int nSrcWidth, int nSrcHeight, uint32_t dwFlags, int nFrame,
                   int nMode) {
  if (nMode != 0 && nMode != 1) return;
  const int nSize = nMode == 0 ? nWidth : nHeight;
  const long long u = nSize >> 1;
  if (u < 1) return;
  // The inset runs 0, 1, ... u - 1 and back down (a triangle wave); frames
  // before 0 continue the turn backwards.
  const long long q = FloorDiv(nFrame, u), r = nFrame - q * u;
  const long long v = (q & 1) == 0 ? r : u - r - 1;
  const bool bBack = (FloorDiv(u + nFrame, nSize) & 1) != 0;
  DDSURFACEDATA* lpImage = bBack ? lpSrcSD2 : lpSrcSD;
  const int ix = bBack ? sx2 : sx, iy = bBack ? sy2 : sy;
  const int nInner = static_cast<int>(nSize - 2 * v);
  if (nMode == 0)
    DDStretchBlt(lpDstSD, ClampPosition(x + v), y, nInner, nHeight, lpImage, ix, iy, nSrcWidth,
                 nSrcHeight, dwFlags);
  else
    DDStretchBlt(lpDstSD, x, ClampPosition(y + v), nWidth, nInner, lpImage, ix, iy, nSrcWidth,
                 nSrcHeight, dwFlags);
}

void DDBltQuarters(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight,
                   DDSURFACEDATA* lpSrcSD, int sx, int sy, int nOffset, uint32_t dwFlags) {
  const long long hw = nWidth >> 1, hh = nHeight >> 1, o = nOffset;
  DDBeginBatch(0);
  for (int nQuarter = 0; nQuarter < 4; ++nQuarter) {
    const long long nRight = nQuarter & 1, nBottom = nQuarter >> 1;
    BltPart(lpDstSD, x + nRight * hw + (nRight ? o : -o), y + nBottom * hh + (nBottom ? o : -o), hw,
            hh, lpSrcSD, sx + nRight * hw, sy + nBottom * hh, dwFlags);
  }
  DDEndBatch();
}

int DDBltCircle(DDSURFACEDATA* lpDstSD, int cx, int cy, int nHalfW, int nHalfH, int nRadius,
                int nBand, DDSURFACEDATA* lpSrcSD, int scx, int scy, uint32_t dwFlags) {
  if (nRadius <= 0 || nBand <= 0 || !lpSrcSD) return 0;
  DDResolveParentSD(&lpDstSD);
  DDResolveParentSD(&lpSrcSD);
  const long long R = nRadius, H = nHalfH, nRows = nBand;
  const long long nLeft = std::max<long long>(static_cast<long long>(scx) - nHalfW, 0);
  const long long nRight =
      std::min<long long>(static_cast<long long>(scx) + nHalfW, lpSrcSD->nWidth);
  // The rows of the source lie at offsets [nTop, nBottom) from the centre.
  const long long nTop = -static_cast<long long>(scy), nBottom = lpSrcSD->nHeight + nTop;
  // The span nRows high whose top is t, as wide as the disc at row m.
  auto span = [&](long long t, long long m) {
    long long h =
        static_cast<long long>(ISqrt(static_cast<uint64_t>(std::max(0LL, R * R - m * m))));
    if (h == R) h = R - 1;
    long long s = scx - h, xd = cx - h, w = 2 * h;
    if (s < nLeft) {
      w -= nLeft - s;
      xd += nLeft - s;
      s = nLeft;
    }
    if (s + w >= nRight) w = nRight - s;
    BltPart(lpDstSD, xd, cy + t, w, nRows, lpSrcSD, s, scy + t, dwFlags);
  };
  DDBeginBatch(0);
  if (nRows == 1) {
    // Rows R - 1 down to -R, those at or below nHalfH left out, ending above
    // -nHalfH; only the rows of the source are visited.
    const long long tFirst = std::min({R - 1, H - 1, nBottom - 1});
    const long long tLast = std::max({-R, -H, nTop});
    for (long long t = tFirst; t >= tLast; --t) span(t, t);
  } else {
    // Bands with tops R - n, R - 2n, ... while the top is at least -R: those
    // starting at or below nHalfH are left out, and the walk ends with the
    // first band ending above -nHalfH. A band reaching past nHalfH moves up
    // to end there; one starting above -nHalfH moves down to start there
    // (the walk goes on from the moved top). Only the first band can move
    // up and only the last down, so the bands between them form a run of
    // which only those with rows in the source are drawn.
    long long t = R - nRows;
    if (t >= H) t -= ((t - H) / nRows + 1) * nRows;
    const long long half = nRows >> 1;
    if (t >= -R && t + nRows > -H) {
      if (t + nRows > H) t = H - nRows;
      if (t < -H) {
        span(-H, -H + half);
      } else {
        span(t, t + half);
        // Further tops t - k n for k = 1 .. kEnd - 1.
        const long long kEnd =
            std::min(FloorDiv(t + R, nRows), CeilDiv(t + nRows + H, nRows) - 1) + 1;
        long long kBeg = std::max(1LL, FloorDiv(t - nBottom, nRows) + 1);
        long long kStop = std::min(kEnd, CeilDiv(t + nRows - nTop, nRows));
        const bool bLastMoves = kEnd > 1 && t - (kEnd - 1) * nRows < -H;
        if (bLastMoves) kStop = std::min(kStop, kEnd - 1);
        for (long long k = kBeg; k < kStop; ++k) span(t - k * nRows, t - k * nRows + half);
        if (bLastMoves) span(-H, -H + half);
      }
    }
  }
  return DDEndBatch();
}
