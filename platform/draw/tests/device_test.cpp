// Start-up, release, present and the texture size rules of the drawing device.

#include <gtest/gtest.h>

#include <cstring>

#include "platform/draw/tests/draw_fixture.h"

namespace {

class DeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DDResetForTests();
    SetPresenter(&m_presenter);
    SetFramePacer([](int, int, uint32_t) { return true; });
  }
  void TearDown() override {
    DDResetForTests();
    SetPresenter(nullptr);
  }
  bool Init(int bUseD3D, int nBpp, int nWindowMode, int bVSync = 0) {
    return DDInit(bUseD3D, nullptr, 640, 480, nBpp, bVSync, nWindowMode, 1, 60, bVSync, nullptr,
                  nullptr, 0);
  }
  cTestGameFolder m_folder;
  cNullPresenter m_presenter;
};

TEST_F(DeviceTest, TexturedStartFailsAt24BitsAndTheSurfaceRetrySucceeds) {
  EXPECT_FALSE(Init(1, 24, 1));
  EXPECT_NE(lpDTCon, nullptr);  // left for the release
  DDRelease();
  EXPECT_EQ(lpDTCon, nullptr);
  DDrawSetup().nDesktopBpp = 24;
  ASSERT_TRUE(Init(0, 24, 1));
  EXPECT_EQ(lpDTCon, nullptr);
  EXPECT_NE(lpDDCon, nullptr);
  EXPECT_EQ(g_bDDInitialized, 1);
}

TEST_F(DeviceTest, OldDriverRefusesTheTexturedBackEnd) {
  SetDriverVersionQuery([] { return 8; });
  EXPECT_FALSE(Init(1, 32, 1));
  EXPECT_NE(
      m_folder.ReportLogText().find("ビデオカードのドライバがDirectX9をサポートしていません！ 8"),
      std::string::npos);
}

TEST_F(DeviceTest, TexturedFormatsFollowDepthAndMode) {
  struct Case {
    int nBpp, nWindowMode;
    GPUFORMAT fmtBack, fmtTexture;
    CHANNELFORMAT pixel, back;
  } cases[] = {
      {16,
       1,
       GPUFMT_A1R5G5B5,
       GPUFMT_A1R5G5B5,
       {10, 5, 0, 15, 31, 31, 31, 1},
       {10, 5, 0, 15, 31, 31, 31, 1}},
      {16,
       0,
       GPUFMT_R5G6B5,
       GPUFMT_A1R5G5B5,
       {10, 5, 0, 15, 31, 31, 31, 1},
       {11, 5, 0, 16, 31, 63, 31, 0}},
      {32, 1, GPUFMT_X8R8G8B8, GPUFMT_A8R8G8B8, {16, 8, 0, 24, 255, 255, 255, 255}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.nBpp << " bits, window mode " << c.nWindowMode);
    DDResetForTests();
    ASSERT_TRUE(Init(1, c.nBpp, c.nWindowMode));
    EXPECT_EQ(lpDTCon->fmtBackBuffer, c.fmtBack);
    EXPECT_EQ(lpDTCon->fmtTexture, c.fmtTexture);
    EXPECT_EQ(0, std::memcmp(&g_PixelFormat, &c.pixel, sizeof(CHANNELFORMAT)));
    EXPECT_EQ(0, std::memcmp(&g_BackBufferFormat, &c.back, sizeof(CHANNELFORMAT)));
    // The standard surfaces: the back buffer unlisted, the other two listed.
    EXPECT_STREQ(g_BackBufferSD.szSurfaceType, "BackBuffer");
    EXPECT_EQ(g_BackBufferSD.lpDT->nNumber, 0);
    EXPECT_STREQ(g_VirBackBufferSD.szSurfaceType, "VirBackBuffer");
    EXPECT_STREQ(g_WorkSD.szSurfaceType, "WorkSD");
    EXPECT_EQ(g_SurfaceList, (std::list<DDSURFACEDATA*>{&g_VirBackBufferSD, &g_WorkSD}));
    EXPECT_EQ(lpDTCon->nSurfaceNumber, 3);
    EXPECT_EQ(lpDTCon->dwAlphaOp, static_cast<uint32_t>(GPUTOP_SELECTARG1));
  }
}

TEST_F(DeviceTest, HardwareVertexProcessingFallsBackToSoftware) {
  GpuAdapterSetup().dwRefusedCreateFlags = GPUCREATE_HARDWARE_VERTEXPROCESSING;
  ASSERT_TRUE(Init(1, 32, 1));
  std::string log = m_folder.ReportLogText();
  EXPECT_NE(log.find("Device HAL-SOFT"), std::string::npos);
  EXPECT_NE(log.find("X8R8G8B8"), std::string::npos);
  DDResetForTests();
  GpuAdapterSetup().dwRefusedCreateFlags =
      GPUCREATE_HARDWARE_VERTEXPROCESSING | GPUCREATE_SOFTWARE_VERTEXPROCESSING;
  EXPECT_FALSE(Init(1, 32, 1));
}

TEST_F(DeviceTest, WindowVSyncSwitchesTheDesktopOnlyWhenTheTestSucceeds) {
  m_presenter.m_bRefreshTestSucceeds = false;
  ASSERT_TRUE(Init(1, 32, 1, 1));
  EXPECT_EQ(m_presenter.m_nAppliedRefreshRate, 0);
  DDResetForTests();
  SetPresenter(&m_presenter);
  m_presenter.m_bRefreshTestSucceeds = true;
  ASSERT_TRUE(Init(1, 32, 1, 1));
  EXPECT_EQ(m_presenter.m_nAppliedRefreshRate, 60);
}

TEST_F(DeviceTest, FlipPresentsOnlyUnderTheTexturedBackEnd) {
  DDrawSetup().nDesktopBpp = 32;
  ASSERT_TRUE(Init(0, 32, 1));
  const int nBefore = m_presenter.m_nPresents;
  EXPECT_EQ(DDFlip(60, 0, 0), 1);
  EXPECT_EQ(m_presenter.m_nPresents, nBefore);
  DDResetForTests();
  SetPresenter(&m_presenter);
  SetFramePacer([](int, int, uint32_t) { return true; });
  ASSERT_TRUE(Init(1, 32, 0));
  g_Palette[3] = PALENTRY{0x12, 0x34, 0x56, 0};
  DDPalFillSurface(&g_BackBufferSD, 3);
  EXPECT_EQ(DDFlip(60, 0, 0), 1);
  EXPECT_EQ(m_presenter.At(5, 5), 0x123456u);
  lpDevice->InjectDeviceLost();
  EXPECT_EQ(DDFlip(60, 0, 0), 0);
  EXPECT_TRUE(m_presenter.m_bMinimized);  // full screen
}

TEST_F(DeviceTest, FlipWithoutVSyncWaitsForTheFramePacer) {
  int nCalls = 0;
  SetFramePacer([&](int nRate, int, uint32_t) {
    EXPECT_EQ(nRate, 60);
    return ++nCalls == 3;
  });
  ASSERT_TRUE(Init(1, 32, 1, 0));
  EXPECT_EQ(DDFlip(60, 0, 0), 1);
  EXPECT_EQ(nCalls, 3);
}

TEST_F(DeviceTest, VirtualBackBufferCollectsDrawingUntilThePresent) {
  ASSERT_TRUE(Init(1, 32, 1));
  g_Palette[2] = PALENTRY{0, 0xFF, 0, 0};
  g_Palette[3] = PALENTRY{0, 0, 0xFF, 0};
  DDPalFillSurface(&g_BackBufferSD, 2);
  DDSetVirBackBuffer(1);
  DDPalFillRect(&g_BackBufferSD, 0, 0, 10, 10, 3);  // lands in the virtual back buffer
  {
    cSurfaceLock lock(&g_BackBufferSD);
    ASSERT_EQ(lock.m_lpSD, &g_VirBackBufferSD);
    EXPECT_EQ(lock.Row<uint32_t>(0)[0] & 0xFFFFFF, 0x0000FFu);
  }
  EXPECT_EQ(DDFlip(60, 0, 0), 1);
  EXPECT_EQ(m_presenter.At(0, 0), 0x0000FFu);
  EXPECT_EQ(lpDTCon->dwAlphaOp, static_cast<uint32_t>(GPUTOP_SELECTARG1));
}

TEST_F(DeviceTest, SecondFullScreenStartReleasesTheFirstDevice) {
  ASSERT_TRUE(Init(0, 16, 0));
  cDDrawObject* pFirst = g_lpDD;
  EXPECT_EQ(g_PixelFormat.nGreenMax, 63);
  ASSERT_TRUE(Init(0, 16, 0));
  EXPECT_NE(lpDDCon, nullptr);  // made for the new device, not deleted by its release
  EXPECT_NE(g_lpDD, nullptr);
  (void)pFirst;
  // Only the new device's surfaces are alive: primary, back buffer, fade.
  EXPECT_EQ(g_lpDD->LiveSurfaces(), 3);
  EXPECT_EQ(m_folder.ReportLogText().find("解放漏れ"), std::string::npos);
}

TEST_F(DeviceTest, FullScreenRefreshRateFallsBackToTheDefault) {
  DDrawSetup().bRefuseRefreshRate = true;
  EXPECT_TRUE(DDInit(0, nullptr, 640, 480, 8, 0, 0, 1, 60, 1, nullptr, nullptr, 0));
  EXPECT_EQ(g_FadeSD.nDDMemory, 1);
  EXPECT_FALSE(m_presenter.m_bCursor);
}

TEST_F(DeviceTest, InitResultCodesAreNamed) {
  SetTraceLog(true, kTraceLogName);
  struct Case {
    int nCode;
    bool bResult;
    const char* pszName;
  } cases[] = {{0, true, nullptr}, {1, false, "CREATEEX_ERR"}, {7, false, "SETPALETTE_ERR"},
               {8, true, nullptr}, {9, true, nullptr},         {12, false, "SETCLIPPER_ERR"},
               {13, true, nullptr}};
  for (const Case& c : cases) {
    EXPECT_EQ(DDCheckInitResult(c.nCode), c.bResult) << c.nCode;
    if (c.pszName) {
      EXPECT_NE(m_folder.ReadFile(kTraceLogName).find(c.pszName), std::string::npos) << c.nCode;
    }
  }
  SetTraceLog(false, kTraceLogName);
}

TEST_F(DeviceTest, SurfaceDisplayStartFailuresReturnTheirCodes) {
  DDrawSetup().bAvailable = false;
  EXPECT_FALSE(Init(0, 32, 1));
  EXPECT_NE(m_folder.ReportLogText().find("DirectDrawCreateEx Err"), std::string::npos);
  DDResetForTests();
  EXPECT_FALSE(
      DDInit(0, nullptr, 640, 480, 12, 0, 0, 1, 60, 0, nullptr, nullptr, 0));  // no such mode
  EXPECT_NE(m_folder.ReportLogText().find("SetDisplayMode Err"), std::string::npos);
}

TEST_F(DeviceTest, TextureSizeRules) {
  DTCON con;
  lpDTCon = &con;
  struct Case {
    int bPow2, bSquare, w, h, ew, eh;
  } cases[] = {
      {1, 0, 640, 480, 1024, 512}, {1, 1, 640, 480, 1024, 1024}, {1, 0, 256, 1, 256, 1},
      {1, 0, 0, 3, 0, 4},          {0, 1, 32, 100, 100, 100},    {0, 0, 640, 480, 640, 480},
  };
  for (const Case& c : cases) {
    con.bPow2 = c.bPow2;
    con.bSquareOnly = c.bSquare;
    int w = c.w, h = c.h;
    DDAdjustTextureSize(&w, &h);
    EXPECT_EQ(w, c.ew) << c.w << "x" << c.h;
    EXPECT_EQ(h, c.eh) << c.w << "x" << c.h;
  }
  con.caps.MaxTextureWidth = 1024;
  con.caps.MaxTextureHeight = 512;
  EXPECT_EQ(DDCheckTextureSize(1024, 512), 1);
  EXPECT_EQ(DDCheckTextureSize(2048, 512), 0);
  EXPECT_EQ(DDCheckTextureSize(1024, 1024), 0);
  lpDTCon = nullptr;
  EXPECT_NE(m_folder.ReportLogText().find(
                "このビデオカードでは縦幅512を超える画像はサポートされていません！"),
            std::string::npos);
}

TEST_F(DeviceTest, EightBitFramesShowThroughTheCurrentPalette) {
  DDrawSetup().nDesktopBpp = 8;
  DDrawSetup().nClientWidth = 8;
  DDrawSetup().nClientHeight = 8;
  ASSERT_TRUE(DDInit(0, nullptr, 8, 8, 8, 0, 0, 1, 60, 0, nullptr, nullptr, 0));
  DDPalFillSurface(&g_BackBufferSD, 7);
  DDPALETTEENTRY e{0x10, 0x20, 0x30, 0};
  g_lpDDPalette->SetEntries(0, 7, 1, &e);
  ASSERT_EQ(g_PrimarySD.DDSurface()->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  EXPECT_EQ(m_presenter.At(3, 3), 0x102030u);
  e = DDPALETTEENTRY{0x40, 0x50, 0x60, 0};
  g_lpDDPalette->SetEntries(0, 7, 1, &e);
  g_PrimarySD.DDSurface()->Flip(nullptr, DDFLIP_WAIT);  // the same picture flipped back and forth
  g_PrimarySD.DDSurface()->Flip(nullptr, DDFLIP_WAIT);
  EXPECT_EQ(m_presenter.At(3, 3), 0x405060u);
}

TEST_F(DeviceTest, WindowPrimaryTakesTheClientRectangleInScreenCoordinates) {
  DDrawSetup().nDesktopBpp = 16;
  DDrawSetup().nClientX = 100;
  DDrawSetup().nClientY = 50;
  DDrawSetup().nClientWidth = 16;
  DDrawSetup().nClientHeight = 12;
  ASSERT_TRUE(DDInit(0, nullptr, 16, 12, 16, 0, 1, 1, 60, 0, nullptr, nullptr, 0));
  EXPECT_EQ(g_ClientRect.left, 100);
  EXPECT_EQ(g_ClientRect.bottom, 62);
  g_Palette[2] = PALENTRY{0, 63, 0, 0};  // native 16-bit channel values
  DDPalFillSurface(&g_BackBufferSD, 2);
  DDPalFillRect(&g_BackBufferSD, 15, 11, 1, 1, 7);
  ASSERT_EQ(g_PrimarySD.DDSurface()->Blt(&g_ClientRect, g_BackBufferSD.DDSurface(), nullptr,
                                         DDBLT_WAIT, 0),
            DD_OK);
  ASSERT_EQ(m_presenter.m_nWidth, 16);
  EXPECT_EQ(m_presenter.At(0, 0), 0x00FF00u);
  EXPECT_EQ(m_presenter.At(15, 11), 0x000000u);
}

TEST_F(DeviceTest, FullScreenCopyToThePrimaryShowsAtOnce) {
  DDrawSetup().nClientWidth = 16;
  DDrawSetup().nClientHeight = 12;
  ASSERT_TRUE(DDInit(0, nullptr, 640, 480, 32, 0, 0, 1, 60, 0, nullptr, nullptr, 0));
  g_Palette[1] = PALENTRY{0xFF, 0, 0, 0};
  DDPalFillSurface(&g_BackBufferSD, 1);
  const int nBefore = m_presenter.m_nPresents;
  DDBlt(&g_PrimarySD, 0, 0, 640, 480, &g_BackBufferSD, 0, 0, 0);
  EXPECT_GT(m_presenter.m_nPresents, nBefore);
  EXPECT_EQ(m_presenter.At(320, 240), 0xFF0000u);
}

}  // namespace
