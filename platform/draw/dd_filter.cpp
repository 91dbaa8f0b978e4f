#include "platform/draw/dd_filter.h"

#include <algorithm>
#include <vector>

#include "app/base/report_log.h"
#include "platform/draw/dd_effect.h"
#include "platform/draw/pixels/effect_rows.h"
#include "platform/draw/pixels/filter_rows.h"
#include "platform/draw/pixels/pixel_format.h"

namespace {

// The pixels of one depth of one back end as the filters see them.
enum class eFilterPixels { kNone, kGpu32, kGpu16, kSurface8, kSurface16, kSurface32 };

eFilterPixels FilterPixels(const cEffectLock& lock) {
  switch (lock.m_nBpp) {
    case 32:
      return lock.m_bGpu ? eFilterPixels::kGpu32 : eFilterPixels::kSurface32;
    case 16:
      return lock.m_bGpu ? eFilterPixels::kGpu16 : eFilterPixels::kSurface16;
    case 8:
      return lock.Draws() ? eFilterPixels::kSurface8 : eFilterPixels::kNone;
    default:
      return eFilterPixels::kNone;
  }
}

// One call of a filter: its locked surfaces, its rectangle, and the part of
// the rectangle that is read (inside the source) and written (inside both).
struct FILTERCALL {
  const cEffectLock& lock;
  eFilterPixels kind;
  PIXELKEY key;
  int x, y, sx, sy;
  EFFECTRANGE readRows, readCols, rows, cols;
  mutable cReciprocal reciprocal;

  FILTERCALL(const cEffectLock& l, int x_, int y_, int w, int h, int sx_, int sy_, bool bKey)
      : lock(l),
        kind(FilterPixels(l)),
        key(l.Key(bKey)),
        x(x_),
        y(y_),
        sx(sx_),
        sy(sy_),
        readRows(DDEffectRange(h, sy_, l.m_src.m_nHeight, sy_, l.m_src.m_nHeight)),
        readCols(DDEffectRange(w, sx_, l.m_src.m_nWidth, sx_, l.m_src.m_nWidth)),
        rows(l.Range(true, h, y_, sy_)),
        cols(l.Range(false, w, x_, sx_)) {}

  template <class T>
  const T* SourceRow(int r) const {
    return lock.m_src.Row<T>(sy + r) + sx;
  }
  template <class T>
  T* DestRow(int r) const {
    return lock.m_dst.Row<T>(y + r) + x;
  }
  bool Counts(int c, int r) const {
    switch (kind) {
      case eFilterPixels::kGpu32:
      case eFilterPixels::kSurface32:
        return !key.IsTransparent(SourceRow<uint32_t>(r)[c]);
      case eFilterPixels::kGpu16:
      case eFilterPixels::kSurface16:
        return !key.IsTransparent(SourceRow<uint16_t>(r)[c]);
      default:
        return !key.IsTransparent(SourceRow<uint8_t>(r)[c]);
    }
  }
  // Adds (or takes away) the lanes of rectangle row r, columns readCols.
  void Accumulate(LANES* acc, int r, const CHANNELEXPAND16& expand, bool bSubtract) const {
    const int c0 = readCols.nFirst, n = readCols.Size();
    if (lock.m_nBpp == 32)
      AccumulateRow32(acc, SourceRow<uint32_t>(r) + c0, n, key, bSubtract);
    else
      AccumulateRow16(acc, SourceRow<uint16_t>(r) + c0, n, expand, key, bSubtract);
  }
};

// The lanes of 16-bit pixels: raw channel values, or scaled to 0..255.
CHANNELEXPAND16 Expand16(bool bScaled) {
  EFFECTCHANNEL ch[3];
  DDEffectChannels(g_PixelFormat, ch);
  CHANNELEXPAND16 e;
  for (int k = 0; k < 3; ++k) {
    e.anShift[k] = ch[k].nShift;
    e.anMask[k] = ch[k].nMax;
    for (uint32_t v = 0; v <= ch[k].nMax; ++v)
      e.aTable[k][v] = static_cast<uint8_t>(bScaled ? ScaleChannelTo8(v, ch[k].nMax) : v);
  }
  return e;
}

// A 16-bit pixel from three channel values (red, green, blue): textured
// pixels are opaque texels, or R5G6B5 with green doubled on the full-screen
// back buffer; the surface display's in its own format.
uint16_t Pack16(const cEffectLock& lock, const uint32_t rgb[3]) {
  const CHANNELFORMAT& f = lock.m_bTo565 ? g_BackBufferFormat : g_PixelFormat;
  const uint32_t g = lock.m_bTo565 ? 2 * rgb[1] : rgb[1];
  return static_cast<uint16_t>(rgb[0] << f.nRedShift | g << f.nGreenShift | rgb[2] << f.nBlueShift |
                               lock.m_wAlphaBit);
}

// The average of a block's or a box's lanes as a pixel of the call's kind;
// bScaled16: the 16-bit lanes hold channels scaled to 0..255.
uint32_t AveragePixel(const FILTERCALL& f, const SUM64& sum, bool bScaled16) {
  uint32_t avg[3];
  AverageSum(sum, f.reciprocal, avg);
  switch (f.kind) {
    case eFilterPixels::kGpu32:
      return 0xFF000000u | avg[2] << 16 | avg[1] << 8 | avg[0];
    case eFilterPixels::kSurface32:
      return avg[2] << 16 | avg[1] << 8 | avg[0];
    default: {
      if (bScaled16) {
        EFFECTCHANNEL ch[3];
        DDEffectChannels(g_PixelFormat, ch);
        for (int k = 0; k < 3; ++k) avg[k] = ScaleChannelFrom8(avg[k], ch[k].nMax);
      }
      return Pack16(f.lock, avg);
    }
  }
}

// The colour of one mosaic block from its top-left pixel (read rows and
// columns [r0, ...), [c0, ...)); false when it is left out.
template <class T>
bool TopLeftColour(const FILTERCALL& f, int r0, int c0, T* pColour) {
  const T t = f.SourceRow<T>(r0)[c0];
  if (f.key.IsTransparent(t)) return false;
  *pColour = t;
  if constexpr (sizeof(T) == 2) {
    if (f.lock.m_bTo565) *pColour = TexelTo565(t, DDBackBufferShifts());
  }
  return true;
}

// A band's sums down the columns read (readCols): in 16 bits for a band of
// 32-bit pixels up to 257 rows high, in LANES otherwise.
class cBandSums {
 public:
  void Sum(const FILTERCALL& f, int r0, int r1) {
    const int c0 = f.readCols.nFirst, n = f.readCols.Size();
    m_nFirst = c0;
    m_b16 = f.lock.m_nBpp == 32 && r1 - r0 <= 257;
    if (m_b16) {
      m_sums16.resize(4 * static_cast<size_t>(n));
      for (int r = r0; r < r1; ++r)
        AccumulateColumns16(m_sums16.data(), f.SourceRow<uint32_t>(r) + c0, n, f.key, r != r0);
      return;
    }
    m_lanes.assign(static_cast<size_t>(n), LANES());
    if (f.lock.m_nBpp != 32) {
      const CHANNELEXPAND16 expand = Expand16(true);
      for (int r = r0; r < r1; ++r)
        AccumulateRow16(m_lanes.data(), f.SourceRow<uint16_t>(r) + c0, n, expand, f.key, false);
      return;
    }
    // 257 rows at a time in 16 bits, then added up in LANES.
    for (int rFrom = r0; rFrom < r1; rFrom += 257) {
      m_sums16.resize(4 * static_cast<size_t>(n));
      for (int r = rFrom; r < std::min(r1, rFrom + 257); ++r)
        AccumulateColumns16(m_sums16.data(), f.SourceRow<uint32_t>(r) + c0, n, f.key, r != rFrom);
      for (int k = 0; k < n; ++k)
        for (int i = 0; i < 4; ++i) m_lanes[k].a[i] += m_sums16[4 * static_cast<size_t>(k) + i];
    }
  }
  // The sum over the rectangle's columns [c0, c1).
  SUM64 Block(int c0, int c1) const {
    if (m_b16)
      return SumColumns16(m_sums16.data() + 4 * static_cast<size_t>(c0 - m_nFirst), c1 - c0);
    return SumLanes(m_lanes.data() + (c0 - m_nFirst), c1 - c0);
  }

 private:
  int m_nFirst = 0;
  bool m_b16 = false;
  std::vector<uint16_t> m_sums16;
  std::vector<LANES> m_lanes;
};

// Rows [r0, r1) of the rectangle take colours[c - c0] at the columns c of
// [c0, c1) where the source is not left out.
template <class T>
void CopyColours(const FILTERCALL& f, int r0, int r1, int c0, int c1, const T* colours) {
  for (int r = r0; r < r1; ++r) {
    T* d = f.DestRow<T>(r) + c0;
    const T* s = f.SourceRow<T>(r) + c0;
    if constexpr (sizeof(T) == 4) {
      SelectRow32(d, colours, s, c1 - c0, f.key);
    } else {
      WithPixelKey(f.key, [&](auto isLeftOut) {
        for (int k = 0; k < c1 - c0; ++k)
          if (!isLeftOut(s[k])) d[k] = colours[k];
      });
    }
  }
}

template <class T>
void Mosaic(const FILTERCALL& f, int nSize) {
  // Blocks start every nSize pixels from the rectangle's corner; only those
  // over written pixels are worked out.
  const long long nStep = nSize;
  auto blockStart = [nStep](long long v) { return v / nStep * nStep; };
  thread_local cBandSums sums;
  thread_local std::vector<T> colours;
  colours.resize(static_cast<size_t>(f.cols.Size()));
  const bool bTopLeft = f.kind == eFilterPixels::kGpu16 || f.kind == eFilterPixels::kSurface8;
  for (long long br = blockStart(f.rows.nFirst); br < f.rows.nEnd; br += nStep) {
    // The band's rows: read from r0, written from w0.
    const int r0 = static_cast<int>(std::max<long long>(br, f.readRows.nFirst));
    const int r1 = static_cast<int>(std::min<long long>(br + nStep, f.readRows.nEnd));
    const int w0 = static_cast<int>(std::max<long long>(br, f.rows.nFirst));
    const int w1 = static_cast<int>(std::min<long long>(br + nStep, f.rows.nEnd));
    if (!bTopLeft) sums.Sum(f, r0, r1);
    // Each block's colour over its written columns; the rows are copied in
    // runs of blocks that take a colour.
    int nRun = f.cols.nFirst;
    for (long long bc = blockStart(f.cols.nFirst); bc < f.cols.nEnd; bc += nStep) {
      const int c0 = static_cast<int>(std::max<long long>(bc, f.readCols.nFirst));
      const int c1 = static_cast<int>(std::min<long long>(bc + nStep, f.readCols.nEnd));
      const int v0 = static_cast<int>(std::max<long long>(bc, f.cols.nFirst));
      const int v1 = static_cast<int>(std::min<long long>(bc + nStep, f.cols.nEnd));
      T colour = 0;
      bool bDrawn;
      if (bTopLeft) {
        bDrawn = TopLeftColour(f, r0, c0, &colour);
      } else {
        const SUM64 sum = sums.Block(c0, c1);
        const uint32_t v = sum.a[3] ? AveragePixel(f, sum, true) : 0;
        colour = static_cast<T>(v);
        // With the key, the surface display's 16-bit average of the
        // transparent colour is not written.
        bDrawn = sum.a[3] != 0 && !(f.kind == eFilterPixels::kSurface16 &&
                                    f.key.kind != PIXELKEY::kNone && v == g_dwTransmitPixel);
      }
      if (bDrawn) {
        std::fill(colours.begin() + (v0 - f.cols.nFirst), colours.begin() + (v1 - f.cols.nFirst),
                  colour);
        continue;
      }
      CopyColours(f, w0, w1, nRun, v0, colours.data() + (nRun - f.cols.nFirst));
      nRun = v1;
    }
    CopyColours(f, w0, w1, nRun, f.cols.nEnd, colours.data() + (nRun - f.cols.nFirst));
  }
}

void Blur(const FILTERCALL& f, int nRadiusX, int nRadiusY) {
  const CHANNELEXPAND16 expand = Expand16(false);
  const int nW = f.readCols.Size();
  // A box reaching past the rectangle is the rectangle.
  const int rx = std::min(nRadiusX, nW), ry = std::min(nRadiusY, f.readRows.Size());
  // Sums down each column of the box of the row being written.
  thread_local std::vector<LANES> column;
  column.assign(static_cast<size_t>(nW), LANES());
  const int rFirst = f.rows.nFirst;
  for (int r = std::max(f.readRows.nFirst, rFirst - ry); r < std::min(f.readRows.nEnd, rFirst + ry);
       ++r)
    f.Accumulate(column.data(), r, expand, false);
  for (int r = rFirst; r < f.rows.nEnd; ++r) {
    BoxSumRow(column.data(), nW, rx, f.cols.nFirst - f.readCols.nFirst,
              f.cols.nEnd - f.readCols.nFirst, [&](int k, const SUM64& sum) {
                const int c = f.readCols.nFirst + k;
                if (sum.a[3] == 0 || (f.key.kind != PIXELKEY::kNone && !f.Counts(c, r))) return;
                const uint32_t v = AveragePixel(f, sum, false);
                if (f.lock.m_nBpp == 32)
                  f.DestRow<uint32_t>(r)[c] = v;
                else
                  f.DestRow<uint16_t>(r)[c] = static_cast<uint16_t>(v);
              });
    if (r + ry < f.readRows.nEnd) f.Accumulate(column.data(), r + ry, expand, false);
    if (r - ry >= f.readRows.nFirst) f.Accumulate(column.data(), r - ry, expand, true);
  }
}

}  // namespace

bool DDMosaic(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nSize,
              DDSURFACEDATA* lpSrcSD, int sx, int sy, uint32_t dwFlags) {
  // A size of 0 does nothing; neither does a negative one.
  if (nSize <= 0) return true;
  DDPrepareEffect(&lpDstSD, &lpSrcSD);
  cEffectLock lock(lpDstSD, lpSrcSD);
  if (!lock.IsLocked()) return false;
  const FILTERCALL f(lock, x, y, nWidth, nHeight, sx, sy, dwFlags == 1);
  if (f.rows.Empty() || f.cols.Empty()) return true;
  switch (f.kind) {
    case eFilterPixels::kGpu32:
    case eFilterPixels::kSurface32:
      Mosaic<uint32_t>(f, nSize);
      break;
    case eFilterPixels::kGpu16:
    case eFilterPixels::kSurface16:
      Mosaic<uint16_t>(f, nSize);
      break;
    case eFilterPixels::kSurface8:
      Mosaic<uint8_t>(f, nSize);
      break;
    default:
      break;
  }
  return true;
}

bool DDBlur(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nRadiusX,
            int nRadiusY, DDSURFACEDATA* lpSrcSD, int sx, int sy, uint32_t dwFlags) {
  if (nRadiusX <= 0 || nRadiusY <= 0) return true;
  DDPrepareEffect(&lpDstSD, &lpSrcSD);
  cEffectLock lock(lpDstSD, lpSrcSD);
  if (!lock.IsLocked()) return false;
  if (g_nBpp == 8) {
    TraceLogf("8ビットぼかしは不可能！");
    return true;
  }
  const FILTERCALL f(lock, x, y, nWidth, nHeight, sx, sy, dwFlags == 1);
  const bool bDrawn = f.kind == eFilterPixels::kGpu32 || f.kind == eFilterPixels::kGpu16 ||
                      f.kind == eFilterPixels::kSurface16 || f.kind == eFilterPixels::kSurface32;
  if (bDrawn && !f.rows.Empty() && !f.cols.Empty()) Blur(f, nRadiusX, nRadiusY);
  return true;
}
