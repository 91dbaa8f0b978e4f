// Recovery after a lost device (textured) or lost surfaces (surface display).

#include <gtest/gtest.h>

#include <cstring>

#include "platform/draw/tests/bmp_builder.h"
#include "platform/draw/tests/draw_fixture.h"

namespace {

class GpuRestoreTest : public ::testing::TestWithParam<eBackend> {
 protected:
  cTestGameFolder m_folder;
};

TEST_P(GpuRestoreTest, ResetWaitsUntilTheDeviceIsResettableThenRecreatesOnce) {
  cDrawLibrary lib(GetParam(), 16, 12);
  ASSERT_TRUE(lib.m_bStarted);
  DDSURFACEDATA work, system;
  ASSERT_TRUE(DDCreateSurface(&work, 8, 8, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  ASSERT_TRUE(DDCreateSurface(&system, 8, 8, 1, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
  DDPalFillSurface(&work, 2);
  DDPalFillSurface(&system, 3);
  cGpuTexture* pSystemTexture = system.lpDT->lpTexture;
  const int nDefaultTextures = lpDevice->LiveDefaultPoolTextures();
  EXPECT_EQ(nDefaultTextures, 3);  // virtual back buffer, work surface, ours

  lpDevice->InjectDeviceLost();
  EXPECT_EQ(DDFlip(60, 0, 0), 0);
  EXPECT_EQ(DDRestoreSurface(), 0);  // still lost: released, not reset
  EXPECT_EQ(work.lpDT->lpTexture, nullptr);
  EXPECT_EQ(lpDevice->LiveDefaultPoolTextures(), 0);
  EXPECT_EQ(DDRestoreSurface(), 0);  // a second attempt finds nothing to release
  // Draws while the device is lost do nothing and write nothing.
  DDPalFillSurface(&work, 4);
  DDBlt(&g_BackBufferSD, 0, 0, 8, 8, &work, 0, 0, 0);
  EXPECT_EQ(m_folder.ReportLogText().find("SetRenderTarget Err"), std::string::npos);

  lpDevice->MakeResettable();
  EXPECT_EQ(DDRestoreSurface(), 1);
  EXPECT_EQ(lpDevice->LiveDefaultPoolTextures(), nDefaultTextures);
  EXPECT_EQ(work.bLost, 1);
  EXPECT_EQ(system.bLost, 0);
  EXPECT_EQ(system.lpDT->lpTexture, pSystemTexture);  // kept, with its pixels
  EXPECT_EQ(lib.Rgb(&system, 4, 4), kTestColours[3]);
  // A re-created keyed work surface starts filled with the opaque transparent colour.
  EXPECT_EQ(lib.Rgb(&work, 4, 4), kMagenta);
  EXPECT_EQ(g_SurfaceList.size(), 4u);

  // Drawing and presenting work again.
  DDPalFillSurface(&g_BackBufferSD, 5);
  DDBlt(&g_BackBufferSD, 0, 0, 8, 8, &system, 0, 0, 0);
  EXPECT_EQ(DDFlip(60, 0, 0), 1);
  EXPECT_EQ(lib.m_presenter.At(2, 2), kTestColours[3]);
  EXPECT_EQ(lib.m_presenter.At(12, 2), kTestColours[5]);
  DDReleaseSurface(&work);
  DDReleaseSurface(&system);
}

TEST_P(GpuRestoreTest, ResetOfADeviceThatIsNotLostChangesNothing) {
  cDrawLibrary lib(GetParam(), 16, 12);
  ASSERT_TRUE(lib.m_bStarted);
  DDSURFACEDATA work;
  ASSERT_TRUE(DDCreateSurface(&work, 8, 8, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  DDPalFillSurface(&work, 2);
  EXPECT_EQ(DDRestoreSurface(), 1);
  EXPECT_EQ(work.bLost, 0);
  EXPECT_EQ(lib.Rgb(&work, 1, 1), kTestColours[2]);
  DDReleaseSurface(&work);
}

INSTANTIATE_TEST_SUITE_P(TexturedBackEnds, GpuRestoreTest,
                         ::testing::Values(eBackend::Gpu32, eBackend::Gpu16Window,
                                           eBackend::Gpu16Full),
                         [](const auto& info) { return std::string(BackendName(info.param)); });

TEST(RestoreTest, FontHooksRunAroundTheReset) {
  cTestGameFolder folder;
  cDrawLibrary lib(eBackend::Gpu32, 16, 12);
  ASSERT_TRUE(lib.m_bStarted);
  std::string order;
  SetFontDeviceHooks([&] { order += "lost "; }, [&] { order += "restore "; });
  lpDevice->InjectDeviceLost();
  lpDevice->MakeResettable();
  EXPECT_EQ(DDRestoreSurface(), 1);
  EXPECT_EQ(order, "lost restore ");
  SetFontDeviceHooks(nullptr, nullptr);
}

TEST(RestoreTest, SurfaceDisplayRestoresTheTableAndThePalette) {
  cTestGameFolder folder;
  cDrawLibrary lib(eBackend::DD8, 16, 12);
  ASSERT_TRUE(lib.m_bStarted);
  DDSURFACEDATA table[3];
  DDSURFACEINFO info[3];
  SetSurfaceInfo(info[0], "E", 0, 0, 0, 0, 0, 0, 0, 0, 8, 8);  // video work surface
  SetSurfaceInfo(info[1], "E", 0, 1, 0, 0, 0, 0, 0, 0, 8, 8);  // system work surface
  SetSurfaceInfo(info[2], "E", 0, 0, 0, 0, 0, 0, 0, 0, 8, 8);
  g_lpSDTable = table;
  g_lpSurfaceInfo = info;
  g_nSurfaceCount = 3;
  const int all[] = {0, 1, 2};
  ASSERT_TRUE(DDLoadSurfaceTable(table, all, 3));
  std::strcpy(table[2].szFileName, "bmp\\picture.bmp");  // as an image surface would hold
  DDPalFillSurface(&table[1], 6);

  // Nothing lost: nothing changes.
  EXPECT_TRUE(DDRestore());
  EXPECT_EQ(table[0].bLost, 0);

  g_lpDD->InjectSurfaceLoss();
  g_PaletteShown[7] = PALENTRY{1, 2, 3, 0};
  EXPECT_EQ(g_PrimarySD.DDSurface()->IsLost(), DDERR_SURFACELOST);
  EXPECT_TRUE(DDRestore());
  EXPECT_EQ(g_PrimarySD.DDSurface()->IsLost(), DD_OK);
  EXPECT_EQ(g_BackBufferSD.DDSurface()->IsLost(), DD_OK);
  EXPECT_EQ(table[0].bLost, 1);  // its owner redraws it
  EXPECT_EQ(table[1].bLost, 0);  // system memory kept its pixels
  EXPECT_EQ(lib.Rgb(&table[1], 3, 3), kTestColours[6]);
  EXPECT_EQ(table[2].bLost, 0);  // reloaded from its file instead
  EXPECT_EQ(table[2].DDSurface()->IsLost(), DD_OK);
  DDPALETTEENTRY e;
  g_lpDDPalette->GetEntries(0, 7, 1, &e);
  EXPECT_EQ(e.peRed, 1);
  EXPECT_EQ(e.peBlue, 3);
}

TEST(RestoreTest, EachBackEndTracesTheOtherOnesRecovery) {
  cTestGameFolder folder;
  SetTraceLog(true, kTraceLogName);
  {
    cDrawLibrary lib(eBackend::DD32, 16, 12);
    EXPECT_EQ(DDRestoreSurface(), 1);
  }
  {
    cDrawLibrary lib(eBackend::Gpu32, 16, 12);
    EXPECT_TRUE(DDRestore());
  }
  SetTraceLog(false, kTraceLogName);
  std::string trace = folder.ReadFile(kTraceLogName);
  EXPECT_NE(trace.find("DDではDDRestoreSurfaceは未対応"), std::string::npos);
  EXPECT_NE(trace.find("D3DではDDRestoreは未対応"), std::string::npos);
}

// Image surfaces come back from their files after a loss.
TEST(RestoreTest, ImageSurfacesAreReloadedNotMarkedLost) {
  cTestGameFolder folder;
  BmpDesc desc;
  desc.nBitCount = 24;
  desc.pixel = [](int x, int) { return x < 4 ? 0x00FF00u : 0x0000FFu; };
  folder.WriteFile("bmp\\pic.bmp", MakeBmp(desc));
  for (eBackend b : {eBackend::Gpu32, eBackend::DD32}) {
    SCOPED_TRACE(BackendName(b));
    cDrawLibrary lib(b, 16, 12);
    ASSERT_TRUE(lib.m_bStarted);
    DDSURFACEDATA table[1];
    DDSURFACEINFO info[1];
    SetSurfaceInfo(info[0], "bmp\\pic.bmp", 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0, 0, 0, 0, 0, 0);
    g_lpSDTable = table;
    g_lpSurfaceInfo = info;
    g_nSurfaceCount = 1;
    const int all[] = {0};
    ASSERT_TRUE(DDLoadSurfaceTable(table, all, 1));
    ASSERT_EQ(lib.Rgb(&table[0], 6, 3), 0x0000FFu);
    if (IsGpu(b)) {
      lpDevice->InjectDeviceLost();
      lpDevice->MakeResettable();
      ASSERT_EQ(DDRestoreSurface(), 1);
    } else {
      g_lpDD->InjectSurfaceLoss();
      ASSERT_TRUE(DDRestore());
    }
    EXPECT_EQ(table[0].bLost, 0);
    EXPECT_EQ(lib.Rgb(&table[0], 1, 3), 0x00FF00u);
    EXPECT_EQ(lib.Rgb(&table[0], 6, 3), 0x0000FFu);
  }
}

}  // namespace
