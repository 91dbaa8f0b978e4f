// The software device's row loops, chosen per quad from the states, against
// its per-pixel shading and blending: random quads, textures and states drawn
// on two devices (one of them on the reference path) must leave the same
// bytes in the target.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "platform/draw/devices/gpu_device.h"
#include "platform/draw/devices/gpu_shading.h"
#include "platform/draw/pixels/pixel_rows.h"
#include "platform/draw/present/presenter.h"

namespace {

class cRandom {
 public:
  explicit cRandom(uint32_t nSeed) : m_gen(nSeed) {}
  uint32_t Below(uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(m_gen); }
  int Between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_gen); }
  template <class T, size_t N>
  T Pick(const T (&values)[N]) {
    return values[Below(N)];
  }
  // Alpha weighted to the values the row loops treat apart.
  uint32_t Alpha() {
    switch (Below(4)) {
      case 0:
        return 0;
      case 1:
        return 255;
      default:
        return Below(256);
    }
  }
  uint32_t Colour() { return Alpha() << 24 | (m_gen() & 0xFFFFFF); }

 private:
  std::mt19937 m_gen;
};

struct QUADSETUP {
  GPUFORMAT texFormat = GPUFMT_A8R8G8B8;
  int nTexWidth = 1, nTexHeight = 1;
  std::vector<uint8_t> texBytes;
  bool bBindTexture = true;
  uint32_t stage[GPUTSS_COUNT] = {};
  uint32_t dwFactor = 0, dwBlendEnable = 1, dwSrcBlend = 0, dwDestBlend = 0;
  GPUVERTEX v[4] = {};
};

QUADSETUP RandomQuad(cRandom& rnd, int nTargetWidth, int nTargetHeight) {
  static const GPUFORMAT kTexFormats[] = {GPUFMT_A8R8G8B8, GPUFMT_A8R8G8B8, GPUFMT_X8R8G8B8,
                                          GPUFMT_A1R5G5B5, GPUFMT_R5G6B5};
  static const uint32_t kOps[] = {GPUTOP_DISABLE,           GPUTOP_SELECTARG1,
                                  GPUTOP_SELECTARG2,        GPUTOP_MODULATE,
                                  GPUTOP_MODULATE,          GPUTOP_MODULATE2X,
                                  GPUTOP_MODULATE4X,        GPUTOP_ADD,
                                  GPUTOP_ADDSIGNED,         GPUTOP_SUBTRACT,
                                  GPUTOP_BLENDDIFFUSEALPHA, GPUTOP_BLENDTEXTUREALPHA,
                                  GPUTOP_BLENDFACTORALPHA,  9};
  static const uint32_t kArgs[] = {GPUTA_DIFFUSE, GPUTA_CURRENT, GPUTA_TEXTURE,
                                   GPUTA_TEXTURE, GPUTA_TFACTOR, 0x12};
  static const uint32_t kBlends[] = {
      GPUBLEND_ZERO,      GPUBLEND_ONE,         GPUBLEND_SRCCOLOR,  GPUBLEND_INVSRCCOLOR,
      GPUBLEND_SRCALPHA,  GPUBLEND_INVSRCALPHA, GPUBLEND_DESTALPHA, GPUBLEND_INVDESTALPHA,
      GPUBLEND_DESTCOLOR, GPUBLEND_INVDESTCOLOR};
  QUADSETUP q;
  q.texFormat = rnd.Pick(kTexFormats);
  q.nTexWidth = rnd.Between(1, 24);
  q.nTexHeight = rnd.Between(1, 12);
  const int nBytes = GpuFormatBytes(q.texFormat);
  q.texBytes.resize(static_cast<size_t>(q.nTexWidth) * q.nTexHeight * nBytes);
  for (size_t i = 0; i < q.texBytes.size(); i += nBytes) {
    uint32_t c = rnd.Colour();
    if (nBytes == 2 && rnd.Below(2)) c = (c & 0x7FFF) | (rnd.Below(2) << 15);
    std::memcpy(&q.texBytes[i], &c, nBytes);
  }
  q.bBindTexture = rnd.Below(8) != 0;
  // Mostly what the drawing library sets, often anything.
  const bool bUsual = rnd.Below(2) != 0;
  q.stage[GPUTSS_COLOROP] = bUsual ? GPUTOP_MODULATE : rnd.Pick(kOps);
  q.stage[GPUTSS_COLORARG1] = bUsual ? GPUTA_TEXTURE : rnd.Pick(kArgs);
  q.stage[GPUTSS_COLORARG2] = bUsual ? GPUTA_DIFFUSE : rnd.Pick(kArgs);
  q.stage[GPUTSS_ALPHAOP] =
      bUsual ? rnd.Pick({GPUTOP_MODULATE, GPUTOP_SELECTARG1}) : rnd.Pick(kOps);
  q.stage[GPUTSS_ALPHAARG1] = bUsual ? GPUTA_TEXTURE : rnd.Pick(kArgs);
  q.stage[GPUTSS_ALPHAARG2] = bUsual ? GPUTA_DIFFUSE : rnd.Pick(kArgs);
  q.dwFactor = rnd.Colour();
  q.dwBlendEnable = rnd.Below(6) != 0;
  const bool bSourceAlpha = rnd.Below(4) != 0;
  q.dwSrcBlend = bSourceAlpha ? GPUBLEND_SRCALPHA : rnd.Pick(kBlends);
  q.dwDestBlend = bSourceAlpha ? GPUBLEND_INVSRCALPHA : rnd.Pick(kBlends);

  const uint32_t diffuse = rnd.Below(3) == 0 ? 0xFFFFFFFFu : rnd.Colour();
  // Pixel edges, partly off the target, any order (mirroring); texel edges
  // inside or beyond the texture (wrapping), scaled or not, and now and then
  // coordinates between texels.
  const int x0 = rnd.Between(-6, nTargetWidth), y0 = rnd.Between(-4, nTargetHeight);
  const int w = rnd.Between(-30, 30), h = rnd.Between(-12, 12);
  const int u0 = rnd.Between(-q.nTexWidth, 2 * q.nTexWidth);
  const int v0 = rnd.Between(-q.nTexHeight, 2 * q.nTexHeight);
  const int du = rnd.Below(2) ? w : rnd.Between(-q.nTexWidth, q.nTexWidth);
  const int dv = rnd.Below(2) ? h : rnd.Between(-q.nTexHeight, q.nTexHeight);
  const float fu0 = static_cast<float>(u0) / q.nTexWidth;
  const float fv0 = static_cast<float>(v0) / q.nTexHeight;
  float fu1 = static_cast<float>(u0 + du) / q.nTexWidth;
  const float fv1 = static_cast<float>(v0 + dv) / q.nTexHeight;
  if (rnd.Below(8) == 0) fu1 += 0.37f / q.nTexWidth;
  const float l = x0 - 0.5f, t = y0 - 0.5f, r = x0 + w - 0.5f, b = y0 + h - 0.5f;
  q.v[0] = {l, t, 0, 1, diffuse, fu0, fv0};
  q.v[1] = {l, b, 0, 1, diffuse, fu0, fv1};
  q.v[2] = {r, t, 0, 1, diffuse, fu1, fv0};
  q.v[3] = {r, b, 0, 1, diffuse, fu1, fv1};
  return q;
}

// A device drawing into a back buffer of the given format.
class cTarget {
 public:
  cTarget(GPUFORMAT fmt, int w, int h, bool bReference) {
    GPUPRESENTPARAMS pp;
    pp.BackBufferWidth = w;
    pp.BackBufferHeight = h;
    pp.BackBufferFormat = fmt;
    m_pDevice = new cGpuDevice(pp, w, h, 1 << 24);
    m_pDevice->SetPresenter(&m_presenter);
    m_pDevice->SetReferencePath(bReference);
    m_pDevice->CreateVertexBuffer(4 * sizeof(GPUVERTEX), 0, GPUFVF_SCREENQUAD, GPUPOOL_MANAGED,
                                  &m_pVB);
    m_pDevice->GetBackBuffer(0, 0, 0, &m_pBackBuffer);
  }
  ~cTarget() {
    m_pVB->Release();
    m_pDevice->Release();
  }
  std::vector<uint8_t> Bytes() const {
    const uint8_t* p = m_pBackBuffer->Bits();
    return std::vector<uint8_t>(
        p, p + static_cast<size_t>(m_pBackBuffer->Pitch()) * m_pBackBuffer->Height());
  }
  void Fill(const std::vector<uint8_t>& bytes) {
    std::memcpy(m_pBackBuffer->Bits(), bytes.data(), bytes.size());
  }
  void Draw(const QUADSETUP& q) {
    cGpuTexture* pTexture = nullptr;
    ASSERT_EQ(m_pDevice->CreateTexture(q.nTexWidth, q.nTexHeight, 1, 0, q.texFormat,
                                       GPUPOOL_MANAGED, &pTexture),
              GPU_OK);
    cGpuSurface* pLevel = pTexture->GetSurfaceLevel(0);
    const size_t nRow = static_cast<size_t>(q.nTexWidth) * GpuFormatBytes(q.texFormat);
    if (q.texBytes.size() >= nRow * q.nTexHeight)
      for (int y = 0; y < q.nTexHeight; ++y)
        std::memcpy(pLevel->Row(y), q.texBytes.data() + y * nRow, nRow);
    m_pDevice->SetTexture(0, q.bBindTexture ? pTexture : nullptr);
    for (int i = 0; i < GPUTSS_COUNT; ++i)
      m_pDevice->SetTextureStageState(0, static_cast<GPUSTAGESTATE>(i), q.stage[i]);
    m_pDevice->SetRenderState(GPURS_TEXTUREFACTOR, q.dwFactor);
    m_pDevice->SetRenderState(GPURS_ALPHABLENDENABLE, q.dwBlendEnable);
    m_pDevice->SetRenderState(GPURS_SRCBLEND, q.dwSrcBlend);
    m_pDevice->SetRenderState(GPURS_DESTBLEND, q.dwDestBlend);
    void* pData;
    m_pVB->Lock(0, sizeof(q.v), &pData);
    std::memcpy(pData, q.v, sizeof(q.v));
    m_pDevice->SetStreamSource(0, m_pVB, 0, sizeof(GPUVERTEX));
    m_pDevice->DrawPrimitive(5, 0, 2);
    m_pDevice->SetTexture(0, nullptr);
    pTexture->Release();
  }

 private:
  cNullPresenter m_presenter;
  cGpuDevice* m_pDevice;
  cGpuVertexBuffer* m_pVB = nullptr;
  cGpuSurface* m_pBackBuffer = nullptr;
};

std::vector<uint8_t> RandomBytes(cRandom& rnd, size_t n) {
  std::vector<uint8_t> bytes(n);
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(rnd.Below(256));
  return bytes;
}

// The row loops with and without their AVX2 parts.
class GpuPathsTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { UseAvx2RowLoops(GetParam()); }
  void TearDown() override { UseAvx2RowLoops(true); }
};

TEST_P(GpuPathsTest, RowLoopsMatchThePerPixelPathOnRandomQuads) {
  const GPUFORMAT kTargets[] = {GPUFMT_X8R8G8B8, GPUFMT_A8R8G8B8, GPUFMT_R5G6B5, GPUFMT_A1R5G5B5};
  cRandom rnd(20240611);
  for (GPUFORMAT fmt : kTargets) {
    for (int nTrial = 0; nTrial < 400; ++nTrial) {
      cTarget fast(fmt, 40, 20, false), reference(fmt, 40, 20, true);
      const std::vector<uint8_t> start = RandomBytes(rnd, fast.Bytes().size());
      fast.Fill(start);
      reference.Fill(start);
      for (int nQuad = 0; nQuad < 3; ++nQuad) {
        const QUADSETUP q = RandomQuad(rnd, 40, 20);
        fast.Draw(q);
        reference.Draw(q);
        ASSERT_EQ(fast.Bytes(), reference.Bytes())
            << GpuFormatName(fmt) << " trial " << nTrial << " quad " << nQuad << ": texture "
            << GpuFormatName(q.texFormat) << (q.bBindTexture ? "" : " (unbound)") << ", ops "
            << q.stage[GPUTSS_COLOROP] << "/" << q.stage[GPUTSS_ALPHAOP] << ", args "
            << q.stage[GPUTSS_COLORARG1] << "," << q.stage[GPUTSS_COLORARG2] << "/"
            << q.stage[GPUTSS_ALPHAARG1] << "," << q.stage[GPUTSS_ALPHAARG2] << ", blend "
            << q.dwBlendEnable << ":" << q.dwSrcBlend << "," << q.dwDestBlend << ", diffuse "
            << std::hex << q.v[0].diffuse;
      }
    }
  }
}

// Quads that are not axis-aligned go through the triangle rasteriser: its
// spans and its row of sampled texels must match its per-pixel path. The
// corners are turned by any angle, sheared, moved off the target, or made
// into a thin sliver; the texture is read partly outside itself (wrapping).
TEST_P(GpuPathsTest, TurnedQuadsMatchThePerPixelPath) {
  const GPUFORMAT kTargets[] = {GPUFMT_X8R8G8B8, GPUFMT_A8R8G8B8, GPUFMT_R5G6B5, GPUFMT_A1R5G5B5};
  cRandom rnd(20241211);
  for (GPUFORMAT fmt : kTargets) {
    for (int nTrial = 0; nTrial < 300; ++nTrial) {
      cTarget fast(fmt, 48, 32, false), reference(fmt, 48, 32, true);
      const std::vector<uint8_t> start = RandomBytes(rnd, fast.Bytes().size());
      fast.Fill(start);
      reference.Fill(start);
      QUADSETUP q = RandomQuad(rnd, 48, 32);
      const double a = rnd.Between(0, 359) * 3.14159265358979 / 180;
      const double cx = rnd.Between(-10, 58) + rnd.Below(4) * 0.25;
      const double cy = rnd.Between(-8, 40) + rnd.Below(4) * 0.25;
      const double hw = rnd.Between(0, 30) + 0.5,
                   hh = rnd.Below(8) == 0 ? 0.01 : rnd.Between(1, 20);
      const double shear = rnd.Below(3) == 0 ? rnd.Between(-10, 10) / 10.0 : 0;
      const float du = rnd.Between(-2, 2) + rnd.Below(8) / 8.0f, dv = rnd.Between(-2, 2) + 0.5f;
      for (int k = 0; k < 4; ++k) {
        // Strip order: left-top, left-bottom, right-top, right-bottom.
        const double x = (k & 2 ? hw : -hw) + (k & 1 ? shear * hh : 0), y = k & 1 ? hh : -hh;
        q.v[k].x = static_cast<float>(cx + x * std::cos(a) - y * std::sin(a) + rnd.Below(3) * 0.1);
        q.v[k].y = static_cast<float>(cy + x * std::sin(a) + y * std::cos(a));
        q.v[k].u = (k & 2 ? du : 0) + 0.125f;
        q.v[k].v = k & 1 ? dv : 0;
      }
      fast.Draw(q);
      reference.Draw(q);
      ASSERT_EQ(fast.Bytes(), reference.Bytes())
          << GpuFormatName(fmt) << " trial " << nTrial << ": texture " << GpuFormatName(q.texFormat)
          << (q.bBindTexture ? "" : " (unbound)") << ", ops " << q.stage[GPUTSS_COLOROP] << "/"
          << q.stage[GPUTSS_ALPHAOP] << ", blend " << q.dwBlendEnable << ":" << q.dwSrcBlend << ","
          << q.dwDestBlend;
    }
  }
}

// Quads large enough for the streaming stores and whole-block paths, over a
// texture with long opaque, transparent and partial runs.
TEST_P(GpuPathsTest, FullScreenQuadsMatchThePerPixelPath) {
  constexpr int kW = 512, kH = 256;
  cRandom rnd(7);
  for (GPUFORMAT fmt : {GPUFMT_X8R8G8B8, GPUFMT_A8R8G8B8}) {
    cTarget fast(fmt, kW, kH, false), reference(fmt, kW, kH, true);
    const std::vector<uint8_t> start = RandomBytes(rnd, fast.Bytes().size());
    fast.Fill(start);
    reference.Fill(start);
    QUADSETUP q;
    q.nTexWidth = kW;
    q.nTexHeight = kH;
    q.texBytes.resize(static_cast<size_t>(kW) * kH * 4);
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        const int nRun = (x / 37 + y) % 4;
        const uint32_t a = nRun == 0 ? 255 : nRun == 1 ? 0 : nRun == 2 ? rnd.Alpha() : 255;
        const uint32_t c = a << 24 | (rnd.Colour() & 0xFFFFFF);
        std::memcpy(&q.texBytes[(static_cast<size_t>(y) * kW + x) * 4], &c, 4);
      }
    }
    q.stage[GPUTSS_COLOROP] = GPUTOP_MODULATE;
    q.stage[GPUTSS_COLORARG1] = GPUTA_TEXTURE;
    q.stage[GPUTSS_COLORARG2] = GPUTA_DIFFUSE;
    q.stage[GPUTSS_ALPHAOP] = GPUTOP_MODULATE;
    q.stage[GPUTSS_ALPHAARG1] = GPUTA_TEXTURE;
    q.stage[GPUTSS_ALPHAARG2] = GPUTA_DIFFUSE;
    q.dwSrcBlend = GPUBLEND_SRCALPHA;
    q.dwDestBlend = GPUBLEND_INVSRCALPHA;
    // Unscaled over the whole target, enlarged twice from an odd offset (the
    // first column is the second half of a pair), and shrunk to 7/8 (runs of
    // neighbouring texels).
    for (int nScale : {1, 2, 0}) {
      for (uint32_t diffuse : {0xFFFFFFFFu, 0x80FFFFFFu, 0xFF80C040u, 0x00000000u}) {
        const float l = nScale == 1 ? -0.5f : -3.5f;
        const float r = nScale ? l + kW * nScale : l + kW * 7 / 8;
        const float b = nScale ? -0.5f + kH * nScale : -0.5f + kH * 7 / 8;
        q.v[0] = {l, -0.5f, 0, 1, diffuse, 0, 0};
        q.v[1] = {l, b, 0, 1, diffuse, 0, 1};
        q.v[2] = {r, -0.5f, 0, 1, diffuse, 1, 0};
        q.v[3] = {r, b, 0, 1, diffuse, 1, 1};
        fast.Draw(q);
        reference.Draw(q);
        ASSERT_EQ(fast.Bytes(), reference.Bytes())
            << GpuFormatName(fmt) << " scale " << nScale << std::hex << " diffuse " << diffuse;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Avx2, GpuPathsTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? std::string("WithAvx2") : std::string("Sse2Only");
                         });

// What the quad kinds the drawing library uses reduce to.
TEST(GpuShadingTest, StatesResolveToTheirShading) {
  auto stage = [](uint32_t cop, uint32_t c1, uint32_t c2, uint32_t aop, uint32_t a1, uint32_t a2) {
    return std::vector<uint32_t>{cop, c1, c2, aop, a1, a2};
  };
  struct CASE {
    const char* pszName;
    std::vector<uint32_t> st;
    uint32_t diffuse;
    bool bGeneral, bUsesTexel;
    uint32_t dwMul, dwAdd;
    uint32_t dwFactor = 0xFF00FF00u;
  } cases[] = {
      {"sprite, white diffuse",
       stage(GPUTOP_MODULATE, GPUTA_TEXTURE, GPUTA_DIFFUSE, GPUTOP_MODULATE, GPUTA_TEXTURE,
             GPUTA_DIFFUSE),
       0xFFFFFFFF, false, true, 0xFFFFFFFF, 0},
      {"sprite, tinted and translucent",
       stage(GPUTOP_MODULATE, GPUTA_TEXTURE, GPUTA_DIFFUSE, GPUTOP_MODULATE, GPUTA_TEXTURE,
             GPUTA_DIFFUSE),
       0x80FF4020, false, true, 0x80FF4020, 0},
      {"veil: diffuse only",
       stage(GPUTOP_SELECTARG2, GPUTA_TEXTURE, GPUTA_DIFFUSE, GPUTOP_SELECTARG2, GPUTA_TEXTURE,
             GPUTA_DIFFUSE),
       0x7F000000, false, false, 0, 0x7F000000},
      {"silhouette: diffuse colour, texel alpha",
       stage(GPUTOP_SELECTARG2, GPUTA_TEXTURE, GPUTA_DIFFUSE, GPUTOP_SELECTARG1, GPUTA_TEXTURE,
             GPUTA_DIFFUSE),
       0x40123456, false, true, 0xFF000000, 0x00123456},
      {"alpha disabled keeps the diffuse alpha",
       stage(GPUTOP_SELECTARG1, GPUTA_TEXTURE, GPUTA_DIFFUSE, GPUTOP_DISABLE, GPUTA_TEXTURE,
             GPUTA_DIFFUSE),
       0x40123456, false, true, 0x00FFFFFF, 0x40000000},
      {"additive colour needs the per-pixel path",
       stage(GPUTOP_ADD, GPUTA_TEXTURE, GPUTA_DIFFUSE, GPUTOP_SELECTARG1, GPUTA_TEXTURE,
             GPUTA_DIFFUSE),
       0xFF202020, true, true, 0, 0},
      {"tint: the texel blended with the factor by the factor's alpha",
       stage(GPUTOP_BLENDFACTORALPHA, GPUTA_TEXTURE, GPUTA_TFACTOR, GPUTOP_SELECTARG1,
             GPUTA_TEXTURE, GPUTA_DIFFUSE),
       0xFFFFFFFF, false, true, 0xFF505050, 0x00AF0000, 0x50FF0000},
      {"the diffuse colour blended with the texel by the diffuse alpha",
       stage(GPUTOP_BLENDDIFFUSEALPHA, GPUTA_DIFFUSE, GPUTA_TEXTURE, GPUTOP_SELECTARG1,
             GPUTA_TEXTURE, GPUTA_DIFFUSE),
       0x40FFFFFF, false, true, 0xFFBFBFBF, 0x00404040},
      {"texture alpha blend reads the texel",
       stage(GPUTOP_BLENDTEXTUREALPHA, GPUTA_DIFFUSE, GPUTA_TFACTOR, GPUTOP_SELECTARG2,
             GPUTA_TEXTURE, GPUTA_DIFFUSE),
       0xFF202020, true, true, 0, 0},
  };
  for (const CASE& c : cases) {
    const GPUSHADING s = ResolveGpuShading(c.st.data(), c.dwFactor, c.diffuse);
    EXPECT_EQ(s.bGeneral, c.bGeneral) << c.pszName;
    EXPECT_EQ(s.bUsesTexel, c.bUsesTexel) << c.pszName;
    if (!c.bGeneral) {
      EXPECT_EQ(s.dwMul, c.dwMul) << c.pszName;
      EXPECT_EQ(s.dwAdd, c.dwAdd) << c.pszName;
    }
  }
}

// An X8R8G8B8 target has no alpha: whatever blends or clears into it leaves
// the top byte opaque, so that a presenter reading ARGB shows it as drawn.
TEST(GpuShadingTest, OpaqueTargetsKeepTheirTopByteOpaque) {
  for (bool bReference : {false, true}) {
    cTarget target(GPUFMT_X8R8G8B8, 8, 4, bReference);
    QUADSETUP q;
    q.bBindTexture = false;
    q.stage[GPUTSS_COLOROP] = GPUTOP_SELECTARG2;
    q.stage[GPUTSS_COLORARG2] = GPUTA_DIFFUSE;
    q.stage[GPUTSS_ALPHAOP] = GPUTOP_SELECTARG2;
    q.stage[GPUTSS_ALPHAARG2] = GPUTA_DIFFUSE;
    q.dwSrcBlend = GPUBLEND_SRCALPHA;
    q.dwDestBlend = GPUBLEND_INVSRCALPHA;
    const uint32_t veil = 0x80000000u;
    q.v[0] = {-0.5f, -0.5f, 0, 1, veil, 0, 0};
    q.v[1] = {-0.5f, 3.5f, 0, 1, veil, 0, 0};
    q.v[2] = {7.5f, -0.5f, 0, 1, veil, 0, 0};
    q.v[3] = {7.5f, 3.5f, 0, 1, veil, 0, 0};
    target.Fill(std::vector<uint8_t>(8 * 4 * 4, 0xC8));
    target.Draw(q);
    const std::vector<uint8_t> bytes = target.Bytes();
    for (size_t i = 0; i < bytes.size(); i += 4) {
      EXPECT_EQ(bytes[i + 3], 0xFF) << "pixel " << i / 4 << (bReference ? " (reference)" : "");
      EXPECT_EQ(bytes[i], 0x64) << "pixel " << i / 4;  // 0xC8 at half strength
    }
  }
}

// Positions far off the target or not numbers at all: the quad is clipped
// (or dropped), never turned into spans the size of its coordinates.
TEST(GpuRasterTest, FarAndInvalidPositionsAreClippedOrDropped) {
  const float kNaN = std::numeric_limits<float>::quiet_NaN();
  const float kInf = std::numeric_limits<float>::infinity();
  struct CASE {
    float l, t, r, b, u1;
    bool bCovers;  // the whole target takes the colour
  } cases[] = {
      {-0.5f, -0.5f, 3e9f, 1e30f, 1, true},
      {-1e12f, -7.5e8f, 2.5e7f + 0.5f, 40.5f, 1e30f, true},
      {-0.5f, -0.5f, kNaN, 7.5f, 1, false},
      {-kInf, -0.5f, 7.5f, 7.5f, 1, false},
  };
  for (bool bReference : {false, true}) {
    for (const CASE& c : cases) {
      cTarget target(GPUFMT_X8R8G8B8, 8, 4, bReference);
      target.Fill(std::vector<uint8_t>(8 * 4 * 4, 0));
      QUADSETUP q;
      q.stage[GPUTSS_COLOROP] = GPUTOP_SELECTARG1;
      q.stage[GPUTSS_COLORARG1] = GPUTA_TEXTURE;
      q.stage[GPUTSS_ALPHAOP] = GPUTOP_SELECTARG1;
      q.stage[GPUTSS_ALPHAARG1] = GPUTA_TEXTURE;
      q.texBytes = {0x33, 0x22, 0x11, 0xFF};
      q.dwSrcBlend = GPUBLEND_SRCALPHA;
      q.dwDestBlend = GPUBLEND_INVSRCALPHA;
      q.v[0] = {c.l, c.t, 0, 1, 0xFFFFFFFF, 0, 0};
      q.v[1] = {c.l, c.b, 0, 1, 0xFFFFFFFF, 0, 1};
      q.v[2] = {c.r, c.t, 0, 1, 0xFFFFFFFF, c.u1, 0};
      q.v[3] = {c.r, c.b, 0, 1, 0xFFFFFFFF, c.u1, 1};
      target.Draw(q);
      const std::vector<uint8_t> bytes = target.Bytes();
      for (size_t i = 0; i < bytes.size(); i += 4) {
        uint32_t px;
        std::memcpy(&px, &bytes[i], 4);
        EXPECT_EQ(px, c.bCovers ? 0xFF112233u : 0u)
            << "pixel " << i / 4 << ", right " << c.r << (bReference ? " (reference)" : "");
      }
    }
  }
}

}  // namespace
