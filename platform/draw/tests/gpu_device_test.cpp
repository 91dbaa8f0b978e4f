// The software graphics device on its own: sampling, blending, loss.

#include "platform/draw/devices/gpu_device.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "platform/draw/present/presenter.h"

namespace {

struct cDevice {
  explicit cDevice(GPUFORMAT fmt = GPUFMT_X8R8G8B8, int w = 8, int h = 8) {
    GPUPRESENTPARAMS pp;
    pp.BackBufferWidth = w;
    pp.BackBufferHeight = h;
    pp.BackBufferFormat = fmt;
    p = new cGpuDevice(pp, w, h, 1 << 20);
    p->SetPresenter(&presenter);
    p->SetRenderState(GPURS_ALPHABLENDENABLE, 1);
    p->SetRenderState(GPURS_SRCBLEND, GPUBLEND_SRCALPHA);
    p->SetRenderState(GPURS_DESTBLEND, GPUBLEND_INVSRCALPHA);
    p->CreateVertexBuffer(4 * sizeof(GPUVERTEX), 0, GPUFVF_SCREENQUAD, GPUPOOL_MANAGED, &vb);
  }
  ~cDevice() {
    vb->Release();
    p->Release();
  }
  void Draw(const GPUVERTEX (&v)[4]) {
    void* pData;
    vb->Lock(0, sizeof(v), &pData);
    std::memcpy(pData, v, sizeof(v));
    p->SetStreamSource(0, vb, 0, sizeof(GPUVERTEX));
    p->DrawPrimitive(5, 0, 2);
  }
  uint32_t At(int x, int y) {
    cGpuSurface* bb;
    p->GetBackBuffer(0, 0, 0, &bb);
    return bb->ReadArgb(x, y) & 0xFFFFFF;
  }
  cNullPresenter presenter;
  cGpuDevice* p;
  cGpuVertexBuffer* vb = nullptr;
};

TEST(GpuDeviceTest, QuadTurnedAQuarterSamplesEveryTexelOnce) {
  cDevice dev;
  cGpuTexture* tex;
  ASSERT_EQ(dev.p->CreateTexture(4, 4, 1, 0, GPUFMT_A8R8G8B8, GPUPOOL_MANAGED, &tex), GPU_OK);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      tex->GetSurfaceLevel(0)->WriteArgb(x, y, 0xFF000000u | (y * 4 + x + 1));
  dev.p->Clear(0, nullptr, 1, 0xFF000000u, 1, 0);
  dev.p->SetTexture(0, tex);
  // Positions of the square (2,2)-(6,6); texture corners turned a quarter.
  const float l = 1.5f, t = 1.5f, r = 5.5f, b = 5.5f;
  dev.Draw({{l, t, 0, 1, 0xFFFFFFFF, 0, 1},
            {l, b, 0, 1, 0xFFFFFFFF, 1, 1},
            {r, t, 0, 1, 0xFFFFFFFF, 0, 0},
            {r, b, 0, 1, 0xFFFFFFFF, 1, 0}});
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      uint32_t expected = 0;
      if (x >= 2 && x < 6 && y >= 2 && y < 6)
        expected = static_cast<uint32_t>((5 - x) * 4 + (y - 2) + 1);
      EXPECT_EQ(dev.At(x, y), expected) << x << "," << y;
    }
  }
  tex->Release();
}

TEST(GpuDeviceTest, SourceAlphaBlendingRoundsEachChannel) {
  cDevice dev;
  dev.p->Clear(0, nullptr, 1, 0xFF204060u, 1, 0);
  dev.p->SetTexture(0, nullptr);
  dev.p->SetTextureStageState(0, GPUTSS_COLOROP, GPUTOP_SELECTARG2);
  dev.p->SetTextureStageState(0, GPUTSS_COLORARG2, GPUTA_DIFFUSE);
  dev.p->SetTextureStageState(0, GPUTSS_ALPHAOP, GPUTOP_SELECTARG2);
  dev.p->SetTextureStageState(0, GPUTSS_ALPHAARG2, GPUTA_DIFFUSE);
  const uint32_t c = 0x80FF8001u;
  dev.Draw({{-0.5f, -0.5f, 0, 1, c, 0, 0},
            {-0.5f, 7.5f, 0, 1, c, 0, 0},
            {7.5f, -0.5f, 0, 1, c, 0, 0},
            {7.5f, 7.5f, 0, 1, c, 0, 0}});
  auto mix = [](int s, int d, int a) {
    return static_cast<uint32_t>(std::lround(s * a / 255.0) + std::lround(d * (255 - a) / 255.0));
  };
  EXPECT_EQ(dev.At(3, 3),
            mix(0xFF, 0x20, 0x80) << 16 | mix(0x80, 0x40, 0x80) << 8 | mix(0x01, 0x60, 0x80));
}

TEST(GpuDeviceTest, TextureFactorAndBlendFactorAlpha) {
  cDevice dev;
  cGpuTexture* tex;
  ASSERT_EQ(dev.p->CreateTexture(2, 2, 1, 0, GPUFMT_A8R8G8B8, GPUPOOL_MANAGED, &tex), GPU_OK);
  for (int i = 0; i < 4; ++i) tex->GetSurfaceLevel(0)->WriteArgb(i % 2, i / 2, 0xFFFF0000u);
  dev.p->Clear(0, nullptr, 1, 0xFF000000u, 1, 0);
  dev.p->SetTexture(0, tex);
  // Colour: texture and factor mixed by the factor's alpha (1/3 red, 2/3 blue).
  dev.p->SetRenderState(GPURS_TEXTUREFACTOR, 0x550000FFu);
  dev.p->SetTextureStageState(0, GPUTSS_COLOROP, GPUTOP_BLENDFACTORALPHA);
  dev.p->SetTextureStageState(0, GPUTSS_COLORARG1, GPUTA_TEXTURE);
  dev.p->SetTextureStageState(0, GPUTSS_COLORARG2, GPUTA_TFACTOR);
  dev.p->SetTextureStageState(0, GPUTSS_ALPHAOP, GPUTOP_SELECTARG1);
  dev.p->SetTextureStageState(0, GPUTSS_ALPHAARG1, GPUTA_TEXTURE);
  const uint32_t w = 0xFFFFFFFF;
  dev.Draw({{-0.5f, -0.5f, 0, 1, w, 0, 0},
            {-0.5f, 1.5f, 0, 1, w, 0, 1},
            {1.5f, -0.5f, 0, 1, w, 1, 0},
            {1.5f, 1.5f, 0, 1, w, 1, 1}});
  EXPECT_EQ(dev.At(0, 0), 0x5500AAu);
  tex->Release();
}

TEST(GpuDeviceTest, SixteenBitBackBuffersPresentAsFullColour) {
  for (GPUFORMAT fmt : {GPUFMT_A1R5G5B5, GPUFMT_R5G6B5}) {
    cDevice dev(fmt, 4, 2);
    dev.p->Clear(0, nullptr, 1, 0xFF00FF00u, 1, 0);
    ASSERT_EQ(dev.p->Present(nullptr, nullptr, nullptr, nullptr), GPU_OK);
    EXPECT_EQ(dev.presenter.m_frame[5], 0xFF00FF00u) << GpuFormatName(fmt);
  }
}

TEST(GpuDeviceTest, ResetPoisonsTexturesStillInTheDefaultPool) {
  cDevice dev;
  cGpuTexture* kept;
  cGpuTexture* managed;
  ASSERT_EQ(
      dev.p->CreateTexture(4, 4, 1, GPUUSAGE_RENDERTARGET, GPUFMT_A8R8G8B8, GPUPOOL_DEFAULT, &kept),
      GPU_OK);
  ASSERT_EQ(dev.p->CreateTexture(4, 4, 1, 0, GPUFMT_A8R8G8B8, GPUPOOL_MANAGED, &managed), GPU_OK);
  dev.p->InjectDeviceLost();
  EXPECT_EQ(dev.p->Present(nullptr, nullptr, nullptr, nullptr), GPUERR_DEVICELOST);
  EXPECT_EQ(dev.p->TestCooperativeLevel(), GPUERR_DEVICELOST);
  EXPECT_EQ(dev.p->Reset(dev.p->PresentParams()), GPUERR_DEVICELOST);
  dev.p->MakeResettable();
  EXPECT_EQ(dev.p->TestCooperativeLevel(), GPUERR_DEVICENOTRESET);
  ASSERT_EQ(dev.p->Reset(dev.p->PresentParams()), GPU_OK);
  EXPECT_TRUE(kept->GetSurfaceLevel(0)->IsPoisoned());
  EXPECT_FALSE(managed->GetSurfaceLevel(0)->IsPoisoned());
  uint8_t* pBits;
  int nPitch;
  EXPECT_EQ(kept->GetSurfaceLevel(0)->LockRect(&pBits, &nPitch), GPUERR_INVALIDCALL);
  EXPECT_EQ(dev.p->SetRenderTarget(0, kept->GetSurfaceLevel(0)), GPUERR_INVALIDCALL);
  kept->Release();
  managed->Release();
}

TEST(GpuDeviceTest, DefaultPoolHasABudget) {
  GPUPRESENTPARAMS pp;
  pp.BackBufferWidth = 4;
  pp.BackBufferHeight = 4;
  pp.BackBufferFormat = GPUFMT_X8R8G8B8;
  cGpuDevice* p = new cGpuDevice(pp, 4, 4, 64 * 64 * 4);
  cGpuTexture* a;
  cGpuTexture* b;
  ASSERT_EQ(
      p->CreateTexture(64, 64, 1, GPUUSAGE_RENDERTARGET, GPUFMT_A8R8G8B8, GPUPOOL_DEFAULT, &a),
      GPU_OK);
  EXPECT_EQ(p->CreateTexture(1, 1, 1, GPUUSAGE_RENDERTARGET, GPUFMT_A8R8G8B8, GPUPOOL_DEFAULT, &b),
            GPUERR_OUTOFVIDEOMEMORY);
  EXPECT_EQ(p->CreateTexture(64, 64, 1, GPUUSAGE_DYNAMIC, GPUFMT_A8R8G8B8, GPUPOOL_SYSTEMMEM, &b),
            GPU_OK);
  b->Release();
  a->Release();
  ASSERT_EQ(p->CreateTexture(1, 1, 1, GPUUSAGE_RENDERTARGET, GPUFMT_A8R8G8B8, GPUPOOL_DEFAULT, &b),
            GPU_OK);
  b->Release();
  p->Release();
}

}  // namespace
