#pragma once
// A drawing library started headless on one back end and depth, in a fresh
// game folder, for the image, palette and fade tests.

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "app/base/report_log.h"
#include "platform/draw/dd_device.h"
#include "platform/draw/dd_fade.h"
#include "platform/draw/surface/dd_surface.h"
#include "testing/game_folder.h"

struct BackEnd {
  const char* pszName;
  int bD3D;
  int nBpp;
};

inline void PrintTo(const BackEnd& be, std::ostream* os) { *os << be.pszName; }

inline std::string BackEndName(const testing::TestParamInfo<BackEnd>& info) {
  return info.param.pszName;
}

inline constexpr BackEnd kD3D16{"D3D16", 1, 16};
inline constexpr BackEnd kD3D32{"D3D32", 1, 32};
inline constexpr BackEnd kDD8{"DD8", 0, 8};
inline constexpr BackEnd kDD16{"DD16", 0, 16};
inline constexpr BackEnd kDD32{"DD32", 0, 32};

class cMediaTest : public testing::TestWithParam<BackEnd> {
 protected:
  void SetUp() override {
    DDResetForTests();
    DDResetFadeAngles();
    SetTraceLog(true, kTraceLogName);
    const BackEnd& be = GetParam();
    // Full screen, so that the display takes the depth asked for.
    ASSERT_TRUE(DDInit(be.bD3D, nullptr, 640, 480, be.nBpp, 0, 0, 1, 60, 0, nullptr, nullptr, 0));
  }
  void TearDown() override {
    DDRelease();
    DDResetForTests();
    DDResetFadeAngles();
  }

  bool IsD3D() const { return GetParam().bD3D != 0; }
  int Bpp() const { return GetParam().nBpp; }

  // The trace log's text without CRs.
  std::string TraceText() const {
    std::string out;
    for (char c : m_folder.ReadFile(kTraceLogName))
      if (c != '\r') out.push_back(c);
    return out;
  }

  cTestGameFolder m_folder;
};

// One pixel of a surface, as stored (8, 16 or 32 bits).
inline uint32_t PixelAt(DDSURFACEDATA* lpSD, int x, int y) {
  cSurfaceLock lock(lpSD);
  if (!lock.IsLocked()) return 0xDEADBEEF;
  switch (lock.m_nBytesPerPixel) {
    case 1:
      return lock.Row<uint8_t>(y)[x];
    case 2:
      return lock.Row<uint16_t>(y)[x];
    default:
      return lock.Row<uint32_t>(y)[x];
  }
}

inline void SetPixelAt(DDSURFACEDATA* lpSD, int x, int y, uint32_t v) {
  cSurfaceLock lock(lpSD);
  if (!lock.IsLocked()) return;
  switch (lock.m_nBytesPerPixel) {
    case 1:
      lock.Row<uint8_t>(y)[x] = static_cast<uint8_t>(v);
      break;
    case 2:
      lock.Row<uint16_t>(y)[x] = static_cast<uint16_t>(v);
      break;
    default:
      lock.Row<uint32_t>(y)[x] = v;
      break;
  }
}
