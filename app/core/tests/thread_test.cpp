#include "app/core/thread.h"

#include <gtest/gtest.h>

#include <atomic>

#include "app/base/clock.h"
#include "app/core/tests/shell_test_util.h"

TEST(Thread, ExitStopsALoopingThreadAndLeavesAnIdleOneAlone) {
  cShellTestGuard guard;
  cThread idle("idle");
  idle.Exit();  // never started: nothing happens
  EXPECT_FALSE(idle.IsRunning());

  cThread loop("loop");
  std::atomic<int> nPasses{0};
  ASSERT_TRUE(loop.Start([&] {
    while (!IsQuitRequested()) {
      ++nPasses;
      SleepMs(1);
    }
    return 7;
  }));
  EXPECT_TRUE(loop.IsRunning());
  while (nPasses.load() < 3) SleepMs(1);
  loop.Exit();
  EXPECT_FALSE(loop.IsRunning());
  EXPECT_EQ(loop.Result(), 7);
  // The stop request belongs to that thread only.
  EXPECT_FALSE(IsQuitRequested());
  EXPECT_EQ(guard.m_folder.ReportLogText().find("did not stop"), std::string::npos);
  // The object can run a thread again.
  ASSERT_TRUE(loop.Start([] { return 1; }));
  loop.Join();
  EXPECT_EQ(loop.Result(), 1);
}

TEST(Thread, ExitLetsGoOfAThreadThatDoesNotStopWithOneLogLine) {
  cShellTestGuard guard;
  std::atomic<bool> bRelease{false};
  std::atomic<bool> bEnded{false};
  {
    cThread stubborn("stubborn");
    ASSERT_TRUE(stubborn.Start([&] {
      while (!bRelease.load()) SleepMs(1);
      bEnded = true;
      return 0;
    }));
    stubborn.Exit();
    EXPECT_FALSE(stubborn.IsRunning());
  }
  EXPECT_NE(guard.m_folder.ReportLogText().find("stubborn did not stop within 200 ms"),
            std::string::npos);
  // The thread was let go, not killed: it ends once it decides to.
  bRelease = true;
  while (!bEnded.load()) SleepMs(1);
}

TEST(Thread, AThreadHeldAtTheWorkerGatePassesItWhenAskedToStop) {
  cShellTestGuard guard;
  SuspendWorkers();
  cThread frames("frames");
  std::atomic<bool> bAtGate{false};
  ASSERT_TRUE(frames.Start([&] {
    bAtGate = true;
    WaitWorkerGate();
    return IsQuitRequested() ? 1 : 0;
  }));
  while (!bAtGate.load()) SleepMs(1);
  frames.Exit();
  EXPECT_EQ(frames.Result(), 1);
  EXPECT_EQ(guard.m_folder.ReportLogText().find("did not stop"), std::string::npos);
  ResumeWorkers();
}

TEST(Thread, NothingStartsOnceShutdownHasBegun) {
  cShellTestGuard guard;
  BeginShutdown();
  EXPECT_TRUE(IsQuitRequested());
  cThread late("late");
  EXPECT_FALSE(late.Start([] { return 0; }));
  EXPECT_FALSE(late.IsRunning());
}
