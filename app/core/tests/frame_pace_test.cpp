// The frame limiter's schedule against a clock driven by hand.

#include "app/core/frame_pace.h"

#include <gtest/gtest.h>

#include "app/base/clock.h"
#include "app/base/timing.h"
#include "platform/draw/dd_device.h"

namespace {

class FramePaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFramePace();
    ResetTimingState();
    SetClockSource([this] { return m_now; });
    m_savedUseD3D = g_bUseD3D;
    m_savedCon = lpDTCon;
    g_bUseD3D = 1;
    lpDTCon = &m_con;  // the limiter only asks whether the back end runs
  }
  void TearDown() override {
    lpDTCon = m_savedCon;
    g_bUseD3D = m_savedUseD3D;
    SetClockSource(nullptr);
    ResetFramePace();
  }
  uint32_t m_now = 5000;
  DTCON m_con{};
  DTCON* m_savedCon = nullptr;
  int m_savedUseD3D = 0;
};

TEST_F(FramePaceTest, FramesFollowAFixedScheduleWithinEachWindow) {
  // At 60 frames a window, frame n is due at n x 16.67 ms.
  int nShown = 0;
  for (; m_now < 6000; ++m_now)
    if (FramePace(60, 0, 0)) ++nShown;
  EXPECT_EQ(nShown, 60);
  EXPECT_EQ(GetFramePaceStats().nFrameIndex, 0u);  // the window restarted
}

TEST_F(FramePaceTest, ALateFrameIsShownAtOnceAndTheNextOnesCatchUp) {
  EXPECT_TRUE(FramePace(60, 0, 0));  // frame 0 at 5000
  m_now += 100;                      // late by about five frames
  int nBurst = 0;
  while (FramePace(60, 0, 0)) ++nBurst;
  EXPECT_EQ(nBurst, 6);  // frames 1..6 were all due by 5100
  EXPECT_FALSE(FramePace(60, 0, 0));
}

TEST_F(FramePaceTest, AlwaysDueWithoutTheTexturedBackEndOrARate) {
  EXPECT_TRUE(FramePace(0, 0, 0));
  g_bUseD3D = 0;
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(FramePace(60, 0, 0));
}

TEST_F(FramePaceTest, ClockWrapDoesNotStallTheSchedule) {
  m_now = 0xFFFFFFF0u;
  EXPECT_TRUE(FramePace(60, 0, 0));
  m_now += 17;  // past zero
  EXPECT_TRUE(FramePace(60, 0, 0));
}

}  // namespace
