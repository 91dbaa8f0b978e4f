// Surface creation, the surface table, registration and release.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/draw/tests/draw_fixture.h"

namespace {

// Bad-index reports give the stored layout's size, not this machine's.
static_assert(ReportedElementSize<DDSURFACEDATA>::value == 564);

class SurfaceTest : public ::testing::Test {
 protected:
  cTestGameFolder m_folder;
};

bool Listed(const DDSURFACEDATA* lpSD) {
  return std::find(g_SurfaceList.begin(), g_SurfaceList.end(), lpSD) != g_SurfaceList.end();
}

TEST_F(SurfaceTest, VariantHasNoTextureAndReleasesOnlyItsHolder) {
  cDrawLibrary lib(eBackend::Gpu32);
  ASSERT_TRUE(lib.m_bStarted);
  DDSURFACEDATA sheet, variant;
  ASSERT_TRUE(DDCreateSurface(&sheet, 32, 16, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  ASSERT_TRUE(DDCreateSurface(&variant, 32, 16, 1, 0, DTMEMORYTYPE_VIDEO_RT, 1, 0));
  variant.lpParentSD = &sheet;
  EXPECT_EQ(variant.lpDT->nNumber, 0);
  EXPECT_EQ(variant.lpDT->lpVB, nullptr);
  EXPECT_EQ(variant.lpDT->lpTexture, nullptr);
  EXPECT_FALSE(Listed(&variant));
  EXPECT_TRUE(Listed(&sheet));
  DDReleaseSurface(&variant);
  EXPECT_EQ(variant.lpDT, nullptr);
  EXPECT_NE(sheet.lpDT->lpTexture, nullptr);
  EXPECT_TRUE(Listed(&sheet));
  DDReleaseSurface(&sheet);
  EXPECT_FALSE(Listed(&sheet));
  DDReleaseSurface(&sheet);  // a record that holds nothing
}

TEST_F(SurfaceTest, PowerOfTwoDeviceRoundsTheTextureNotTheImage) {
  GpuAdapterSetup().caps.TextureCaps = GPUTEXCAPS_POW2;
  cDrawLibrary lib(eBackend::Gpu32);
  DDResetForTests();
  GpuAdapterSetup().caps.TextureCaps = GPUTEXCAPS_POW2;
  SetPresenter(&lib.m_presenter);
  ASSERT_TRUE(DDInit(1, nullptr, 64, 48, 32, 0, 1, 1, 60, 0, nullptr, nullptr, 0));
  DDSURFACEDATA sd;
  ASSERT_TRUE(DDCreateSurface(&sd, 640, 480, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  EXPECT_EQ(sd.nWidth, 640);
  EXPECT_EQ(sd.nHeight, 480);
  EXPECT_EQ(sd.nTextureWidth, 1024);
  EXPECT_EQ(sd.nTextureHeight, 512);
  DDReleaseSurface(&sd);
}

TEST_F(SurfaceTest, OutOfVideoMemoryGivesASystemTexture) {
  cDrawLibrary lib(eBackend::Gpu32, 16, 12);
  ASSERT_TRUE(lib.m_bStarted);
  GpuAdapterSetup().nVideoMemoryBytes = 0;  // takes effect for the next device
  DDResetForTests();
  SetPresenter(&lib.m_presenter);
  GpuAdapterSetup().nClientWidth = 16;
  GpuAdapterSetup().nClientHeight = 12;
  GpuAdapterSetup().nVideoMemoryBytes = 2 * 16 * 12 * 4;  // the two standard textures
  ASSERT_TRUE(DDInit(1, nullptr, 16, 12, 32, 0, 1, 1, 60, 0, nullptr, nullptr, 0));
  DDSURFACEDATA sd;
  ASSERT_TRUE(DDCreateSurface(&sd, 8, 8, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  EXPECT_EQ(sd.lpDT->nMemoryType, DTMEMORYTYPE_SYSTEM);
  EXPECT_EQ(sd.lpDT->bRenderTarget, 0);
  EXPECT_EQ(sd.lpDT->lpSystemSurface, nullptr);
  EXPECT_NE(
      m_folder.ReportLogText().find("VRAM不足のためシステムメモリにテクスチャを作成します。(空)"),
      std::string::npos);
  DDReleaseSurface(&sd);
}

TEST_F(SurfaceTest, SurfaceDisplayFallsBackToSystemMemory) {
  cDrawLibrary lib(eBackend::DD16, 16, 12);
  ASSERT_TRUE(lib.m_bStarted);
  DDResetForTests();
  SetPresenter(&lib.m_presenter);
  DDrawSetup().nDesktopBpp = 16;
  DDrawSetup().nVideoMemoryBytes = 2 * 640 * 480 * 2;  // the primary and the back buffer
  ASSERT_TRUE(DDInit(0, nullptr, 640, 480, 16, 0, 1, 1, 60, 0, nullptr, nullptr, 0));
  DDSURFACEDATA sd;
  ASSERT_TRUE(DDCreateSurface(&sd, 8, 8, 1, 0, 0, 0, 0));
  EXPECT_EQ(sd.nDDMemory, 1);
  EXPECT_TRUE(sd.DDSurface()->InSystemMemory());
  EXPECT_TRUE(sd.DDSurface()->HasColorKey());
  DDReleaseSurface(&sd);
  DDrawSetup().bRefuseSystemMemory = true;
  EXPECT_FALSE(DDCreateSurface(&sd, 8, 8, 0, 0, 0, 0, 0));
  EXPECT_NE(m_folder.ReportLogText().find("CreateSurface Video -> System Err"), std::string::npos);
  DDReleaseSurface(&sd);  // the holder stays with a record whose creation failed
}

TEST_F(SurfaceTest, RecordsOfASurfaceVectorNeverMove) {
  cDrawLibrary lib(eBackend::Gpu32, 16, 12);
  ASSERT_TRUE(lib.m_bStarted);
  cSurfaceVector vSD;
  cCheckedVector<DDSURFACEINFO> vInfo;
  ASSERT_TRUE(DDCreateSurfaceInVector(vSD, vInfo, 4, 4, 1, 0, 0, 0));
  DDSURFACEDATA* lpFirst = &vSD.At(0);
  for (int i = 1; i < 40; ++i) ASSERT_TRUE(DDCreateSurfaceInVector(vSD, vInfo, 4, 4, 1, 0, 0, 0));
  EXPECT_EQ(&vSD.At(0), lpFirst);
  ASSERT_EQ(vInfo.size(), 40u);
  EXPECT_EQ(vInfo[3].bColorKey, 1);
  EXPECT_EQ(vInfo[3].szFileName[0], '\0');
  EXPECT_EQ(g_SurfaceList.size(), 42u);
  EXPECT_EQ(&vSD.At(40), lpFirst);  // a bad index is reported and gives the first record
  DDReleaseSurfaceVector(vSD);
  EXPECT_EQ(g_SurfaceList.size(), 2u);
}

TEST_F(SurfaceTest, RecordsMovedByAGrowingContainerStayRegistered) {
  cDrawLibrary lib(eBackend::Gpu32, 16, 12);
  ASSERT_TRUE(lib.m_bStarted);
  std::vector<DDSURFACEDATA> vSD;
  for (int i = 0; i < 40; ++i) {
    vSD.emplace_back();
    ASSERT_TRUE(DDCreateSurface(&vSD.back(), 4, 4, 1, 0, 0, 0, 0));
  }
  // Every record is listed at its current address, once.
  for (DDSURFACEDATA& sd : vSD)
    EXPECT_EQ(std::count(g_SurfaceList.begin(), g_SurfaceList.end(), &sd), 1);
  EXPECT_EQ(g_SurfaceList.size(), 42u);
  // The device reset walks the list: it must find every record where it is.
  lpDevice->InjectDeviceLost();
  lpDevice->MakeResettable();
  EXPECT_EQ(DDRestoreSurface(), 1);
  for (DDSURFACEDATA& sd : vSD) EXPECT_EQ(sd.bLost, 1);
  for (DDSURFACEDATA& sd : vSD) DDReleaseSurface(&sd);
  EXPECT_EQ(g_SurfaceList.size(), 2u);
}

TEST_F(SurfaceTest, ReleaseFromListFindsTheRecordByAddress) {
  cDrawLibrary lib(eBackend::DD32, 16, 12);
  ASSERT_TRUE(lib.m_bStarted);
  cCheckedList<DDSURFACEDATA> lSD;
  cCheckedList<DDSURFACEINFO> lInfo;
  ASSERT_TRUE(DDCreateSurfaceInList(lSD, lInfo, 4, 4, 0, 1, 0, 0));
  ASSERT_TRUE(DDCreateSurfaceInList(lSD, lInfo, 6, 6, 1, 1, 0, 0));
  DDSURFACEDATA stranger;
  EXPECT_EQ(DDReleaseSurfaceInList(lSD, lInfo, &stranger), 0);
  EXPECT_EQ(lSD.size(), 2u);
  EXPECT_EQ(DDReleaseSurfaceInList(lSD, lInfo, &lSD.front()), 1);
  ASSERT_EQ(lSD.size(), 1u);
  ASSERT_EQ(lInfo.size(), 1u);
  EXPECT_EQ(lSD.front().nWidth, 6);
  EXPECT_EQ(lInfo.front().bColorKey, 1);
  DDReleaseSurfaceList(lSD);
}

TEST_F(SurfaceTest, TableLoadSkipsMissingOptionalImages) {
  cDrawLibrary lib(eBackend::DD32, 16, 12);
  ASSERT_TRUE(lib.m_bStarted);
  DDSURFACEDATA table[3];
  DDSURFACEINFO info[3];
  SetSurfaceInfo(info[0], "E", 1, 1, 0, 0, 0, 0, 0, 0, 10, 5);
  SetSurfaceInfo(info[1], "bmp\\missing.bmp", 1, 0, 0, 0, 0, 1, 0, 0, 0, 0);
  SetSurfaceInfo(info[2], "bmp\\missing.bmp", 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  g_lpSDTable = table;
  g_lpSurfaceInfo = info;
  g_nSurfaceCount = 3;
  const int first[] = {0, 1};
  EXPECT_TRUE(DDLoadSurfaceTable(table, first, 2));
  EXPECT_EQ(table[0].nWidth, 10);
  EXPECT_NE(table[0].DDSurface(), nullptr);
  EXPECT_EQ(table[1].DDSurface(), nullptr);
  const int second[] = {2};
  EXPECT_FALSE(DDLoadSurfaceTable(table, second, 1));
  const int bad[] = {7};
  EXPECT_FALSE(DDLoadSurfaceTable(table, bad, 1));
  DDRelease();  // releases the table with the device
  EXPECT_EQ(table[0].lpDDraw, nullptr);
}

TEST_F(SurfaceTest, LocksReportPitchAndFormat) {
  for (eBackend b : {eBackend::Gpu16Window, eBackend::DD24}) {
    cDrawLibrary lib(b, 16, 12);
    ASSERT_TRUE(lib.m_bStarted);
    DDSURFACEDATA sd;
    ASSERT_TRUE(DDCreateSurface(&sd, 5, 3, 0, 0, 0, 0, 0));
    {
      cSurfaceLock lock(&sd);
      ASSERT_TRUE(lock.IsLocked());
      EXPECT_EQ(lock.m_nBpp, BackendBpp(b));
      EXPECT_GE(lock.m_nPitch, 5);
      cSurfaceLock second(&sd);  // already locked
      EXPECT_FALSE(second.IsLocked());
    }
    cSurfaceLock again(&sd);
    EXPECT_TRUE(again.IsLocked());
    again.Unlock();
    DDReleaseSurface(&sd);
  }
}

TEST_F(SurfaceTest, CreatingAgainReleasesWhatTheRecordHeld) {
  for (eBackend b : {eBackend::Gpu32, eBackend::DD32}) {
    cDrawLibrary lib(b, 16, 12);
    ASSERT_TRUE(lib.m_bStarted);
    DDSURFACEDATA sd;
    ASSERT_TRUE(DDCreateSurface(&sd, 8, 8, 0, 0, 0, 0, 0));
    ASSERT_TRUE(DDCreateSurface(&sd, 4, 4, 0, 0, 0, 0, 0));
    EXPECT_EQ(sd.nWidth, 4);
    EXPECT_EQ(std::count(g_SurfaceList.begin(), g_SurfaceList.end(), &sd), IsGpu(b) ? 1 : 0);
    if (!IsGpu(b)) {
      EXPECT_EQ(g_lpDD->LiveSurfaces(), 4);  // primary, back buffer, fade surface, ours
    }
    DDReleaseSurface(&sd);
  }
}

TEST_F(SurfaceTest, MovingOverALiveRecordReleasesIt) {
  cDrawLibrary lib(eBackend::Gpu32, 16, 12);
  ASSERT_TRUE(lib.m_bStarted);
  DDSURFACEDATA a, b;
  ASSERT_TRUE(DDCreateSurface(&a, 8, 8, 0, 0, 0, 0, 0));
  ASSERT_TRUE(DDCreateSurface(&b, 4, 4, 0, 0, 0, 0, 0));
  const int nTextures = lpDevice->LiveDefaultPoolTextures();
  a = std::move(b);
  EXPECT_EQ(lpDevice->LiveDefaultPoolTextures(), nTextures - 1);
  EXPECT_EQ(a.nWidth, 4);
  EXPECT_EQ(b.lpDT, nullptr);
  EXPECT_EQ(std::count(g_SurfaceList.begin(), g_SurfaceList.end(), &a), 1);
  EXPECT_EQ(std::count(g_SurfaceList.begin(), g_SurfaceList.end(), &b), 0);
  DDReleaseSurface(&a);
}

TEST_F(SurfaceTest, HugeSizesAreRefusedWithoutAllocating) {
  for (eBackend b : {eBackend::Gpu32, eBackend::DD32}) {
    cDrawLibrary lib(b, 16, 12);
    ASSERT_TRUE(lib.m_bStarted);
    DDSURFACEDATA sd;
    EXPECT_FALSE(DDCreateSurface(&sd, 1 << 20, 1 << 20, 0, 1, 1, 0, 0)) << BackendName(b);
    EXPECT_FALSE(DDCreateSurface(&sd, 100000, 2, 0, 0, 0, 0, 0)) << BackendName(b);
    EXPECT_FALSE(DDCreateSurface(&sd, -4, 8, 0, 0, 0, 0, 0)) << BackendName(b);
    DDReleaseSurface(&sd);
  }
}

}  // namespace
