// The sprite batch: queued draws, sorting by registered source, runs.

#include <gtest/gtest.h>

#include "platform/draw/tests/draw_fixture.h"

namespace {

class BatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_lib.m_bStarted);
    // Two 4x4 sources of one colour each (1 red, 3 blue) and a keyed one with
    // a transparent left half.
    ASSERT_TRUE(DDCreateSurface(&m_red, 4, 4, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
    ASSERT_TRUE(DDCreateSurface(&m_blue, 4, 4, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
    ASSERT_TRUE(DDCreateSurface(&m_keyed, 4, 4, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
    DDPalFillSurface(&m_red, 1);
    DDPalFillSurface(&m_blue, 3);
    DDPalFillSurface(&m_keyed, 2);
    DDPalFillRect(&m_keyed, 0, 0, 2, 4, 0);
    DDPalFillSurface(&g_BackBufferSD, 7);
  }
  void TearDown() override {
    DDReleaseSurface(&m_red);
    DDReleaseSurface(&m_blue);
    DDReleaseSurface(&m_keyed);
  }
  char At(int x, int y) { return m_lib.Picture(&g_BackBufferSD)[static_cast<size_t>(y) * 17 + x]; }

  cTestGameFolder m_folder;
  cDrawLibrary m_lib{eBackend::Gpu32, 16, 12};
  DDSURFACEDATA m_red, m_blue, m_keyed;
};

TEST_F(BatchTest, EmptyBatchOnlyEnds) {
  DDBeginBatch(1);
  EXPECT_TRUE(DDIsBatching());
  EXPECT_EQ(DDEndBatch(), 0);
  EXPECT_FALSE(DDIsBatching());
  EXPECT_EQ(DDLastBatchRunCount(), 0);
}

TEST_F(BatchTest, DrawsWaitForTheEndAndKeepSubmissionOrder) {
  DDBeginBatch(0);
  DDBlt(&g_BackBufferSD, 0, 0, 4, 4, &m_red, 0, 0, 0);
  DDBlt(&g_BackBufferSD, 2, 0, 4, 4, &m_blue, 0, 0, 0);  // over the red one
  DDBlt(&g_BackBufferSD, 8, 0, 4, 4, &m_blue, 0, 0, 0);
  EXPECT_EQ(At(0, 0), '7');  // nothing drawn yet
  EXPECT_EQ(DDEndBatch(), 3);
  EXPECT_EQ(DDLastBatchRunCount(), 2);  // red, then both blue ones
  EXPECT_EQ(At(1, 1), '1');
  EXPECT_EQ(At(2, 1), '3');
  EXPECT_EQ(At(9, 1), '3');
}

TEST_F(BatchTest, RegisteredSourceIsDrawnLastInOneRun) {
  DDBeginBatch(1);
  DDRegisterBatchSource(&m_red);
  DDRegisterBatchSource(&m_red);  // once is enough
  for (int i = 0; i < 3; ++i) {
    DDBlt(&g_BackBufferSD, 4 * i, 0, 4, 4, &m_red, 0, 0, 0);
    DDBlt(&g_BackBufferSD, 4 * i + 2, 0, 4, 4, &m_blue, 0, 0, 0);  // queued later, drawn below
  }
  DDEndBatch();
  EXPECT_EQ(DDLastBatchRunCount(), 2);
  for (int x = 0; x < 12; ++x) EXPECT_EQ(At(x, 1), '1') << x;
  EXPECT_EQ(At(13, 1), '3');
}

TEST_F(BatchTest, VertexColourChangesSplitRuns) {
  DDBeginBatch(0);
  DDBlt(&g_BackBufferSD, 0, 0, 4, 4, &m_red, 0, 0, 0);
  DDSetDiffuse(0xFF000000);  // modulated to black
  DDBlt(&g_BackBufferSD, 4, 0, 4, 4, &m_red, 0, 0, 0);
  DDResetDiffuse();
  DDEndBatch();
  EXPECT_EQ(DDLastBatchRunCount(), 2);
  EXPECT_EQ(At(0, 0), '1');
  EXPECT_EQ(At(4, 0), '7');
}

TEST_F(BatchTest, OpaqueDrawOfAKeyedSourceClearsEachRectangleFirst) {
  DDBeginBatch(0);
  DDBlt(&g_BackBufferSD, 0, 0, 4, 4, &m_keyed, 0, 0, 0);
  DDBlt(&g_BackBufferSD, 8, 0, 4, 4, &m_keyed, 0, 0, 1);
  DDEndBatch();
  EXPECT_EQ(At(0, 0), '0');  // the transparent colour, copied
  EXPECT_EQ(At(2, 0), '2');
  EXPECT_EQ(At(8, 0), '7');  // keyed: left as it was
  EXPECT_EQ(At(10, 0), '2');
}

TEST_F(BatchTest, SortOrderHoldsPastOneHundredThousandDraws) {
  DDBeginBatch(1);
  DDRegisterBatchSource(&m_red);
  DDBlt(&g_BackBufferSD, 0, 0, 4, 4, &m_red, 0, 0, 0);
  for (int i = 0; i < 100000; ++i) DDBlt(&g_BackBufferSD, 12, 8, 1, 1, &m_blue, 0, 0, 0);
  DDBlt(&g_BackBufferSD, 0, 0, 4, 4, &m_blue, 0, 0, 0);  // the 100002nd draw, unregistered
  DDEndBatch();
  EXPECT_EQ(At(1, 1), '1');  // the registered sheet still comes last
}

TEST_F(BatchTest, FillBatchDrawsInSubmissionOrder) {
  DDBeginFill();
  DDPalFillRect(&g_BackBufferSD, 0, 0, 4, 4, 1);
  DDPalFillRect(&g_BackBufferSD, 2, 2, 4, 4, 3);
  EXPECT_EQ(At(0, 0), '7');
  DDEndFill();
  EXPECT_EQ(At(0, 0), '1');
  EXPECT_EQ(At(3, 3), '3');
}

TEST_F(BatchTest, ShorterBatchesAfterLongerOnesDrawOnlyTheirOwnQuads) {
  // The run buffers outlive a batch: a later, shorter run must not draw the
  // quads an earlier, longer one left in them.
  DDBeginBatch(0);
  for (int i = 0; i < 3; ++i) DDBlt(&g_BackBufferSD, 4 * i, 0, 4, 4, &m_red, 0, 0, 0);
  DDEndBatch();
  DDPalFillSurface(&g_BackBufferSD, 7);
  DDBeginBatch(1);
  DDRegisterBatchSource(&m_blue);
  DDBlt(&g_BackBufferSD, 4, 8, 4, 4, &m_blue, 0, 0, 0);
  EXPECT_EQ(DDEndBatch(), 1);
  EXPECT_EQ(At(1, 1), '7');
  EXPECT_EQ(At(5, 1), '7');
  EXPECT_EQ(At(5, 9), '3');
  DDBeginFill();
  for (int i = 0; i < 4; ++i) DDPalFillRect(&g_BackBufferSD, 4 * i, 0, 4, 4, 1);
  DDEndFill();
  DDPalFillSurface(&g_BackBufferSD, 7);
  DDBeginFill();
  DDPalFillRect(&g_BackBufferSD, 0, 8, 2, 2, 2);
  DDEndFill();
  EXPECT_EQ(At(1, 1), '7');
  EXPECT_EQ(At(1, 9), '2');
}

TEST_F(BatchTest, FillBatchPastTheIndexRangeDrawsEveryItem) {
  // 16-bit indices reach 16384 quads; a longer run of fills onto one target
  // is drawn in several runs, not with indices that wrap to the first quads.
  DDBeginFill();
  DDPalFillRect(&g_BackBufferSD, 0, 0, 2, 2, 1);
  for (int i = 0; i < 16384; ++i) DDPalFillRect(&g_BackBufferSD, 12, 8, 1, 1, 3);
  DDPalFillRect(&g_BackBufferSD, 4, 4, 2, 2, 2);  // item 16386
  DDEndFill();
  EXPECT_EQ(At(0, 0), '1');
  EXPECT_EQ(At(12, 8), '3');
  EXPECT_EQ(At(4, 4), '2');
}

TEST(BatchSurfaceBackEndTest, BlitsDrawAtOnce) {
  cTestGameFolder folder;
  cDrawLibrary lib(eBackend::DD32, 16, 12);
  ASSERT_TRUE(lib.m_bStarted);
  DDSURFACEDATA src;
  ASSERT_TRUE(DDCreateSurface(&src, 4, 4, 0, 1, 0, 0, 0));
  DDPalFillSurface(&src, 5);
  DDBeginBatch(1);
  EXPECT_FALSE(DDIsBatching());
  DDBlt(&g_BackBufferSD, 0, 0, 4, 4, &src, 0, 0, 0);
  EXPECT_EQ(lib.Rgb(&g_BackBufferSD, 1, 1), kTestColours[5]);
  EXPECT_EQ(DDEndBatch(), 0);
  DDReleaseSurface(&src);
}

}  // namespace
