// Frame timers and counters against a clock driven by hand.

#include "app/base/timing.h"

#include <gtest/gtest.h>

#include "app/base/clock.h"
#include "app/base/random.h"

namespace {

class TimingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetTimingState();
    SetClockSource([this] { return m_now; });
  }
  void TearDown() override {
    SetClockSource(nullptr);
    ResetTimingState();
  }
  uint32_t m_now = 1000;
};

TEST_F(TimingTest, WaitRateOpensOncePerIntervalFromTheMomentItOpened) {
  int nOpened = 0;
  for (m_now = 1000; m_now < 2000; ++m_now) nOpened += WaitRate(60) ? 1 : 0;
  EXPECT_EQ(nOpened, 1000 / 16 + (1000 % 16 != 0));
  EXPECT_TRUE(WaitRate(0));
}

TEST_F(TimingTest, WaitRateSurvivesTheClockWrapping) {
  m_now = 0xFFFFFFF0u;
  EXPECT_TRUE(WaitRate(60));  // deadline now wraps past zero
  m_now += 10;
  EXPECT_FALSE(WaitRate(60));
  m_now += 6;  // 0x00000000
  EXPECT_TRUE(WaitRate(60));
}

TEST_F(TimingTest, CountEveryReturnsOneOnEveryNthCall) {
  EXPECT_EQ(CountEvery(0, 60), 0);
  EXPECT_EQ(CountEvery(2, 60), 1);
  for (int round = 0; round < 3; ++round) {
    for (int i = 1; i < 60; ++i) ASSERT_EQ(CountEvery(1, 60), 0) << i;
    EXPECT_EQ(CountEvery(1, 60), 1);
  }
}

TEST_F(TimingTest, CountFpsClosesOneSecondWindows) {
  EXPECT_EQ(CountFPS(0), 0);
  for (int i = 0; i < 59; ++i) {
    CountFPS(1);
    m_now += 16;  // 59 frames counted in 944 ms
  }
  EXPECT_EQ(CountFPS(0), 0);
  m_now = 2000;
  EXPECT_EQ(CountFPS(1), 59);  // the closing frame counts in neither window
  EXPECT_EQ(CountFPS(0), 59);
}

TEST_F(TimingTest, StopwatchMeasuresWorkTime) {
  EXPECT_EQ(GetStopwatch(0), 1u);
  StartStopwatch();
  m_now += 7;
  EXPECT_EQ(GetStopwatch(1), 7u);
  m_now += 5;
  EXPECT_EQ(GetStopwatch(0), 7u);
}

TEST(Random, FollowsTheLinearCongruentialSequence) {
  SeedRand(1);
  // The classic sequence of this generator for seed 1.
  EXPECT_EQ(Rand(), 41);
  EXPECT_EQ(Rand(), 18467);
  EXPECT_EQ(Rand(), 6334);
  EXPECT_EQ(GetRandSeed(), (((1u * 214013 + 2531011) * 214013 + 2531011) * 214013 + 2531011));
}

}  // namespace
