// The surface display's blits against a per-pixel model of their rule, on
// random rectangles at every depth: unscaled rows (narrow ones moved without
// a call, overlapping ones within a surface), and stretches (each pixel takes
// the texel under its centre; shrinks copy runs of neighbouring texels),
// opaque and colour-keyed.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/draw/devices/ddraw_device.h"
#include "testing/test_random.h"

namespace {

struct cDisplay {
  explicit cDisplay(int nBpp) {
    DDrawSetup().nDesktopBpp = nBpp;
    p = CreateDDrawObject();
    p->SetCooperativeLevel(nullptr, DDSCL_NORMAL);
  }
  ~cDisplay() {
    p->Release();
    ResetDDrawSetup();
  }
  cDDrawSurface* Surface(int w, int h) {
    DDSURFACEDESC2 desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.nWidth = w;
    desc.nHeight = h;
    desc.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    cDDrawSurface* s = nullptr;
    p->CreateSurface(&desc, &s, nullptr);
    return s;
  }
  cDDrawObject* p;
};

// A surface's pixels as values.
std::vector<uint32_t> Pixels(const cDDrawSurface* s) {
  std::vector<uint32_t> v;
  for (int y = 0; y < s->Height(); ++y)
    for (int x = 0; x < s->Width(); ++x) v.push_back(s->ReadPixel(x, y));
  return v;
}

TEST(DDrawBltTest, BlitsMatchTheirPerPixelRule) {
  cTestRandom random(31);
  for (int nBpp : {8, 16, 24, 32}) {
    cDisplay display(nBpp);
    const uint32_t nMask = nBpp == 32 ? 0xFFFFFFFFu : (1u << nBpp) - 1;
    for (int nTrial = 0; nTrial < 300; ++nTrial) {
      cDDrawSurface* src = display.Surface(random.Between(1, 40), random.Between(1, 12));
      cDDrawSurface* dst = random.Below(4) == 0 ? src : display.Surface(48, 14);
      // Few distinct values, so that the key matches some pixels.
      for (cDDrawSurface* s : {src, dst})
        for (int y = 0; y < s->Height(); ++y)
          for (int x = 0; x < s->Width(); ++x)
            s->WritePixel(x, y, (static_cast<uint32_t>(random.Below(5)) * 0x9E3779B9u) & nMask);
      const uint32_t key = (static_cast<uint32_t>(random.Below(5)) * 0x9E3779B9u) & nMask;
      DDCOLORKEY ck{key, key};
      src->SetColorKey(DDCKEY_SRCBLT, &ck);
      // (Within one surface only opaque rows: a keyed row reads pixels it
      // has just written where it overlaps itself.)
      const bool bKeyed = dst != src && random.Below(2) == 0;
      const bool bScaled = dst != src && random.Below(2) == 0;
      DDRECT rs;
      rs.left = random.Between(0, src->Width() - 1);
      rs.top = random.Between(0, src->Height() - 1);
      rs.right = random.Between(rs.left + 1, src->Width());
      rs.bottom = random.Between(rs.top + 1, src->Height());
      const int sw = rs.right - rs.left, sh = rs.bottom - rs.top;
      const int dw = bScaled ? random.Between(1, dst->Width()) : std::min(sw, dst->Width());
      const int dh = bScaled ? random.Between(1, dst->Height()) : std::min(sh, dst->Height());
      DDRECT rd;
      rd.left = random.Between(0, dst->Width() - dw);
      rd.top = random.Between(0, dst->Height() - dh);
      rd.right = rd.left + dw;
      rd.bottom = rd.top + dh;
      if (!bScaled) {
        rs.right = rs.left + dw;
        rs.bottom = rs.top + dh;
      }
      // The rule, row by row from the top as the display copies them (rows
      // of one surface read what earlier rows wrote).
      std::vector<uint32_t> want = Pixels(dst);
      const std::vector<uint32_t> before = Pixels(src);
      const std::vector<uint32_t>& from = dst == src ? want : before;
      for (int y = 0; y < dh; ++y) {
        const int ty = rs.top + static_cast<int>((2LL * y + 1) * sh / (2LL * dh));
        std::vector<uint32_t> row(static_cast<size_t>(dw));
        for (int x = 0; x < dw; ++x) {
          const int tx = rs.left + static_cast<int>((2LL * x + 1) * sw / (2LL * dw));
          row[x] = from[static_cast<size_t>(ty) * src->Width() + tx];
        }
        for (int x = 0; x < dw; ++x)
          if (!bKeyed || row[x] != key)
            want[static_cast<size_t>(rd.top + y) * dst->Width() + rd.left + x] = row[x];
      }
      ASSERT_EQ(dst->Blt(&rd, src, &rs, bKeyed ? DDBLT_KEYSRC : 0, 0), DD_OK);
      ASSERT_EQ(Pixels(dst), want)
          << nBpp << " bits, trial " << nTrial << ": " << sw << "x" << sh << " to " << dw << "x"
          << dh << (bKeyed ? " keyed" : "") << (dst == src ? " within one surface" : "");
      if (dst != src) dst->Release();
      src->Release();
    }
  }
}

}  // namespace
