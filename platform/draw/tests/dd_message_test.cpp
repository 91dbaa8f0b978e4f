#include "platform/draw/dd_message.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/draw/tests/draw_fixture.h"

TEST(DebugText, CellsComeFromTheSheetRowsOfTheirBytes) {
  struct CASE {
    const char* pszText;
    int nColumn, nRow;  // the sheet cell that must be used
    int x, y;           // where it must land
  };
  const CASE kCases[] = {
      {"A", 1, 4, 10, 20},            // ASCII rows 2..7 hold 0x20..0x7F
      {"A\nB", 2, 4, 10, 36},         // a line feed starts the next line
      {"\xB1", 1, 1, 10, 20},         // half-width katakana 0xA6..0xBF: rows 0..1
      {"\xC1", 1, 8, 10, 20},         // 0xC0..0xDD: rows 8..9
      {"xyzZ", 10, 5, 34, 20},        // the fourth cell, 3 x 8 pixels along
      {"0123456789A", 1, 4, 10, 36},  // a line reaching the screen width wraps
  };
  for (eBackend b : {eBackend::DD32, eBackend::Gpu32}) {
    cDrawLibrary lib(b, 80, 64);
    ASSERT_TRUE(lib.m_bStarted) << BackendName(b);
    DDSURFACEDATA sheet;
    ASSERT_TRUE(DDCreateSurface(&sheet, 16 * 8, 10 * 16, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
    for (const CASE& c : kCases) {
      DDPalFillSurface(&sheet, 0);
      DDPalFillRect(&sheet, c.nColumn * 8, c.nRow * 16, 8, 16, 1);
      DDPalFillSurface(&g_BackBufferSD, 7);
      DDDrawDebugText(&g_BackBufferSD, 10, 20, 8, 16, &sheet, c.pszText);
      EXPECT_EQ(lib.Rgb(&g_BackBufferSD, c.x, c.y), kTestColours[1])
          << BackendName(b) << " " << c.pszText;
      EXPECT_EQ(lib.Rgb(&g_BackBufferSD, c.x + 7, c.y + 15), kTestColours[1]);
      // Nothing else was taken from the marked cell.
      int nRed = 0;
      for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 80; ++x) nRed += lib.Rgb(&g_BackBufferSD, x, y) == kTestColours[1];
      EXPECT_EQ(nRed, 8 * 16) << BackendName(b) << " " << c.pszText;
    }
    DDReleaseSurface(&sheet);
  }
}

TEST(DebugText, JoinsTheCallersSortedBatch) {
  // A registered sheet (colour 3) queued under the first 'A', the text, then a
  // plain sheet (colour 2). The textured back end keeps the caller's batch
  // and its sort: the registered sheet lands last, over the text. The other
  // back end draws each blit at once.
  for (eBackend b : {eBackend::DD32, eBackend::Gpu32}) {
    cDrawLibrary lib(b, 80, 64);
    ASSERT_TRUE(lib.m_bStarted) << BackendName(b);
    DDSURFACEDATA sheet, reg, plain;
    ASSERT_TRUE(DDCreateSurface(&sheet, 16 * 8, 10 * 16, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
    ASSERT_TRUE(DDCreateSurface(&reg, 8, 16, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
    ASSERT_TRUE(DDCreateSurface(&plain, 8, 16, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
    DDPalFillSurface(&sheet, 0);
    DDPalFillRect(&sheet, 1 * 8, 4 * 16, 8, 16, 1);  // 'A'
    DDPalFillSurface(&reg, 3);
    DDPalFillSurface(&plain, 2);
    DDPalFillSurface(&g_BackBufferSD, 7);
    DDBeginBatch(1);
    DDRegisterBatchSource(&reg);
    DDBlt(&g_BackBufferSD, 0, 0, 8, 16, &reg, 0, 0, 0);
    EXPECT_EQ(DDDrawDebugText(&g_BackBufferSD, 0, 0, 8, 16, &sheet, "AA"), 0);
    DDBlt(&g_BackBufferSD, 16, 0, 8, 16, &plain, 0, 0, 0);
    EXPECT_EQ(DDIsBatching(), IsGpu(b)) << BackendName(b);
    EXPECT_EQ(DDEndBatch(), IsGpu(b) ? 4 : 0) << BackendName(b);
    EXPECT_EQ(lib.Rgb(&g_BackBufferSD, 3, 8), kTestColours[IsGpu(b) ? 3 : 1]) << BackendName(b);
    EXPECT_EQ(lib.Rgb(&g_BackBufferSD, 11, 8), kTestColours[1]) << BackendName(b);
    EXPECT_EQ(lib.Rgb(&g_BackBufferSD, 19, 8), kTestColours[2]) << BackendName(b);
    for (DDSURFACEDATA* lpSD : {&sheet, &reg, &plain}) DDReleaseSurface(lpSD);
  }
}

TEST(DialogBoxMode, ShowsTheCursorOnlyInFullScreen) {
  for (eBackend b : {eBackend::Gpu32, eBackend::Gpu16Full}) {
    cDrawLibrary lib(b);
    ASSERT_TRUE(lib.m_bStarted);
    const bool bFull = b == eBackend::Gpu16Full;
    lib.m_presenter.m_bCursor = false;
    std::vector<bool> cursorDuringBox;
    SetMessageBoxProvider([&](const std::string&, const std::string&, MsgBoxType) {
      cursorDuringBox.push_back(lib.m_presenter.m_bCursor);
      return kMsgBoxOk;
    });
    EXPECT_EQ(DDMesBox("text", "caption", MsgBoxType{}), 1);
    EXPECT_EQ(cursorDuringBox, std::vector<bool>{bFull});
    EXPECT_FALSE(lib.m_presenter.m_bCursor);
    SetMessageBoxProvider(nullptr);
  }
}
