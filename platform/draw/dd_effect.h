#pragma once
// What every pixel-level effect of the drawing library shares (the blend
// blits, mosaic and blur, lens and rotation):
//  1. Under the textured back end the destination and the source are
//     replaced by their parents and redirected from the back buffer to the
//     virtual back buffer (DDPrepareEffect); blits that read mirrored cells
//     map the source rectangle through DDMirrorSourceRect first.
//  2. The textured back end draws a quad when the destination is a render
//     target and the source no system-memory texture (DDEffectUsesQuad);
//     otherwise, and always under the surface back end, the effect works on
//     locked pixels.
//  3. The quad is drawn from the source's own vertex buffer with the
//     effect's stage 0 (DDBeginSourceQuad, dd_internal.h); the device blends
//     it by alpha.
//  4. Locked pixels: the destination is locked first, then the source, and
//     unlocked the other way round (cEffectLock).
//  5. A rectangle pixel is read and written only where its source position
//     lies inside the source and its destination position inside the
//     destination (cEffectLock::Range).
//  6. Transparent source pixels, with the colour key: a 32-bit texel with
//     alpha 0, a 16-bit texel with bits 15 and 13 both clear, a surface
//     display pixel equal to g_dwTransmitPixel (cEffectLock::Key).
//  7. A 16-bit textured destination that is the full-screen back buffer
//     (R5G6B5) takes source texels (A1R5G5B5) with their green doubled and no
//     alpha bit; any other 16-bit textured destination gets every written
//     pixel with the alpha bit (cEffectLock::m_bTo565, m_wAlphaBit).

#include <cstdint>
#include <vector>

#include "platform/draw/dd_blend.h"
#include "platform/draw/pixels/blend_rows.h"
#include "platform/draw/pixels/pixel_format.h"
#include "platform/draw/surface/dd_surface.h"

// Rule 1 (the textured back end only; surfaces may be null).
void DDPrepareEffect(DDSURFACEDATA** lplpDstSD, DDSURFACEDATA** lplpSrcSD);

// Rule 2.
bool DDEffectUsesQuad(const DDSURFACEDATA* lpDstSD, const DDSURFACEDATA* lpSrcSD);

// Where the channels of the full-screen back buffer's R5G6B5 pixel go.
RGB565SHIFTS DDBackBufferShifts();

// A channel of a CHANNELFORMAT (red, green, blue in this order): where it
// sits and its largest value, kept within 1 .. nLargest (at 16 bits 63, which
// tables by channel value hold).
struct EFFECTCHANNEL {
  int nShift;
  uint32_t nMax;
};
void DDEffectChannels(const CHANNELFORMAT& f, EFFECTCHANNEL out[3], int nLargest = 63);

// Offsets k of 0 .. n - 1 for which a + k lies in 0 .. nA - 1 and b + k in
// 0 .. nB - 1, as [nFirst, nEnd).
struct EFFECTRANGE {
  int nFirst = 0, nEnd = 0;
  bool Empty() const { return nFirst >= nEnd; }
  int Size() const { return nEnd - nFirst; }
};
EFFECTRANGE DDEffectRange(int n, long long a, int nA, long long b, int nB);

// Rules 4 to 7: the two surfaces of an effect locked, and what the rules
// make of them.
class cEffectLock {
 public:
  cEffectLock(DDSURFACEDATA* lpDstSD, DDSURFACEDATA* lpSrcSD);
  bool IsLocked() const { return m_dst.IsLocked() && m_src.IsLocked(); }
  // Whether the locked effects draw at this depth: the textured back end's
  // 16 and 32 bits, the surface display's 8, 16 and 32 (0 bits: the two
  // surfaces differ).
  bool Draws() const { return m_nBpp == 16 || m_nBpp == 32 || (m_nBpp == 8 && !m_bGpu); }

  // Rule 5 for the rows (bRows) or columns of an n-pixel side of a rectangle
  // at destination position a read from source position b.
  EFFECTRANGE Range(bool bRows, int n, long long a, long long b) const {
    return bRows ? DDEffectRange(n, a, m_dst.m_nHeight, b, m_src.m_nHeight)
                 : DDEffectRange(n, a, m_dst.m_nWidth, b, m_src.m_nWidth);
  }
  // Rule 6: the transparent source pixels with the colour key.
  PIXELKEY Key(bool bColorKey) const;

  cSurfaceLock m_dst;  // locked first, unlocked last
  cSurfaceLock m_src;
  int m_nBpp = 0;            // bits per pixel of both
  bool m_bGpu = false;       // the textured back end's pixels
  bool m_bTo565 = false;     // rule 7: the R5G6B5 full-screen back buffer
  uint16_t m_wAlphaBit = 0;  // rule 7: set in other 16-bit textured pixels
};

// Rule 5: the rows of a w x h rectangle at (x, y) of the destination read
// from (sx, sy) of the source, as runs of pixels inside both surfaces:
// fnRow(destination pixels, source pixels, count). With bMirrorX (bMirrorY)
// the source runs leftwards from column sx - 1 (upwards from row sy - 1), as
// a mirrored cell's rectangle maps (DDMirrorSourceRect); a mirrored row is
// handed over reversed.
template <class T, class ROW>
void DDForEachEffectRow(const cEffectLock& lock, int x, int y, int w, int h, int sx, int sy,
                        bool bMirrorX, bool bMirrorY, ROW&& fnRow) {
  const int nSrcW = lock.m_src.m_nWidth, nSrcH = lock.m_src.m_nHeight;
  const EFFECTRANGE rows = DDEffectRange(h, y, lock.m_dst.m_nHeight,
                                         bMirrorY ? static_cast<long long>(nSrcH) - sy : sy, nSrcH);
  const EFFECTRANGE cols = DDEffectRange(w, x, lock.m_dst.m_nWidth,
                                         bMirrorX ? static_cast<long long>(nSrcW) - sx : sx, nSrcW);
  if (rows.Empty() || cols.Empty()) return;
  thread_local std::vector<T> reversed;
  if (bMirrorX) reversed.resize(static_cast<size_t>(cols.Size()));
  for (int i = rows.nFirst; i < rows.nEnd; ++i) {
    const T* s = lock.m_src.Row<T>(bMirrorY ? sy - 1 - i : sy + i);
    T* d = lock.m_dst.Row<T>(y + i) + (x + cols.nFirst);
    if (bMirrorX) {
      for (int k = 0; k < cols.Size(); ++k) reversed[k] = s[sx - 1 - (cols.nFirst + k)];
      fnRow(d, reversed.data(), cols.Size());
    } else {
      fnRow(d, s + (sx + cols.nFirst), cols.Size());
    }
  }
}
