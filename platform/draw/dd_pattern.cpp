#include "platform/draw/dd_pattern.h"

#include "platform/draw/dd_blit.h"

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
