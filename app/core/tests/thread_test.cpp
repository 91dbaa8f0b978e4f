#include "app/core/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/base/clock.h"
#include "app/base/close_request.h"
#include "app/base/message_box.h"
#include "app/core/tests/shell_test_util.h"
#include "testing/wait.h"

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
  EXPECT_TRUE(loop.Exit());
  EXPECT_FALSE(loop.IsRunning());
  EXPECT_EQ(cThread::LiveThreadCount(), 0);
  EXPECT_EQ(loop.Result(), 7);
  // The stop request belongs to that thread only.
  EXPECT_FALSE(IsQuitRequested());
  EXPECT_EQ(guard.m_folder.ReportLogText().find("did not stop"), std::string::npos);
  // The object can run a thread again.
  ASSERT_TRUE(loop.Start([] { return 1; }));
  loop.Join();
  EXPECT_EQ(loop.Result(), 1);
}

TEST(Thread, ExitLetsGoOfAThreadThatDoesNotStopWithOneLogLineAndCountsItLive) {
  cShellTestGuard guard;
  std::atomic<bool> bRelease{false};
  {
    cThread stubborn("stubborn");
    ASSERT_TRUE(stubborn.Start([&] {
      while (!bRelease.load()) SleepMs(1);
      return 0;
    }));
    EXPECT_FALSE(stubborn.Exit(20));
    EXPECT_FALSE(stubborn.IsRunning());
  }
  EXPECT_EQ(guard.m_folder.ReportLogLineCount("stubborn did not stop within 20 ms"), 1);
  // The thread was let go, not killed: it still counts until it ends, which
  // it does once it decides to.
  EXPECT_EQ(cThread::LiveThreadCount(), 1);
  bRelease = true;
  EXPECT_TRUE(WaitUntil([] { return cThread::LiveThreadCount() == 0; }));
}

// Whatever escapes a thread's routine is caught at its boundary: one
// report-log line, the error box and a close request.
TEST(Thread, AnExceptionLeavingARoutineIsReportedAndClosesTheProgram) {
  cShellTestGuard guard;
  std::vector<std::string> boxes;
  SetMessageBoxProvider([&](const std::string& strText, const std::string&, MsgBoxType) {
    boxes.push_back(strText);
    return static_cast<int>(kMsgBoxOk);
  });
  const std::function<int()> throwers[] = {
      []() -> int { throw std::runtime_error("broken frame"); },
      []() -> int { throw "broken frame"; },
  };
  for (const std::function<int()>& thrower : throwers) {
    guard.m_folder.ClearReportLog();
    boxes.clear();
    ResetCloseRequestCount();
    cThread thread("thrower");
    ASSERT_TRUE(thread.Start(thrower));
    thread.Join();
    EXPECT_EQ(guard.m_folder.ReportLogLineCount(), 1);
    EXPECT_EQ(guard.m_folder.ReportLogLineCount("thrower: uncaught exception: broken frame"), 1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("broken frame"), std::string::npos);
    EXPECT_EQ(GetCloseRequestCount(), 1);
  }
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
