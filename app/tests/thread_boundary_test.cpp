// The main thread's boundary, and the end of the program when a thread
// cannot be stopped.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <future>
#include <stdexcept>
#include <thread>

#include "app/base/close_request.h"
#include "app/base/message_box.h"
#include "app/core/main_thread.h"
#include "app/core/shell_state.h"
#include "app/core/system_ini.h"
#include "app/core/thread.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "app/tests/shell_guard.h"
#include "records/data_path.h"
#include "stagedata/stage_file.h"
#include "testing/wait.h"

// An exception in a pass of the main loop (here a request's handler) is
// reported where the main thread begins: one report-log line and the box.
// The sender still gets its answer, and the next pass runs the close.
TEST(MainThread, AnExceptionInAPassIsReportedAndTheNextPassCloses) {
  cShellGuard guard;
  int nBoxes = 0;
  SetMessageBoxProvider([&](const std::string&, const std::string&, MsgBoxType) {
    ++nBoxes;
    return static_cast<int>(kMsgBoxOk);
  });
  SetCloseRequestHandler([] { PostRequest(SHELLREQ_CLOSE); });
  constexpr uint32_t kBroken = 0x7777;
  SetRequestHandler([](uint32_t nMsg, intptr_t wParam, intptr_t lParam) -> intptr_t {
    if (nMsg == kBroken) throw std::runtime_error("broken request");
    return HandleShellRequest(nMsg, wParam, lParam);
  });
  BecomeRequestServer();
  std::atomic<bool> bAnswered{false};
  std::thread sender([&] {
    SendRequest(kBroken);
    bAnswered = true;
  });
  EXPECT_TRUE(WaitUntil([&] {
    PumpMainThread();
    return bAnswered.load();
  }));
  sender.join();
  EXPECT_EQ(guard.m_folder.ReportLogLineCount(), 1);
  EXPECT_EQ(guard.m_folder.ReportLogLineCount("main thread: uncaught exception: broken request"),
            1);
  EXPECT_EQ(nBoxes, 1);
  EXPECT_FALSE(PumpMainThread());  // the close has run
  EXPECT_TRUE(IsMainLoopOver());
  SetCloseRequestHandler(nullptr);
}

// The window closes while the game thread waits for a stage load whose read
// does not end (a slow disk). The game thread's wait ends on the stop
// request, but the loader cannot be stopped: rather than tear down what the
// loader uses, the program ends in the close sequence, its user files saved.
TEST(CloseDeathTest, ALoaderThatDoesNotStopEndsTheProgramWithTheUserFilesSaved) {
  // The child works in this test's game folder.
  GTEST_FLAG_SET(death_test_style, "fast");
  cShellGuard guard;
  guard.m_folder.WriteFile("user_data\\keep", "");
  EXPECT_EXIT(
      {
        g_SystemIni.WindowMode = 1;
        g_bInitDone.store(1);
        g_MainWindow.Move(120, 80);
        std::promise<void> never;
        const std::shared_future<void> disk = never.get_future().share();
        std::atomic<bool> bReading{false};
        SetStageLoadRunner([&](const std::function<void()>& read) {
          return RunStageLoad([read, disk, &bReading] {
            bReading = true;
            disk.wait();
            read();
          });
        });
        thGame.Start([] { return LoadStageForPlay("data\\stg4\\a.stg4_695", 0, nullptr); });
        WaitUntil([&] { return bReading.load(); });
        g_MainWindow.WindowProc(UIMSG_CLOSE, 0, 0);
        std::exit(3);  // the close came back with threads still running
      },
      testing::ExitedWithCode(0), "");
  cWindowRecord saved;
  ASSERT_TRUE(saved.LoadFromFile(g_DataPath[DATAPATH_WINDOW]));
  EXPECT_EQ(saved.m_nX, 120);
  EXPECT_EQ(guard.m_folder.ReportLogLineCount("thGame did not stop"), 0);
  EXPECT_EQ(guard.m_folder.ReportLogLineCount("thLoad did not stop"), 1);
  EXPECT_EQ(guard.m_folder.ReportLogLineCount("the program ends without releasing anything"), 1);
  g_SystemIni = SYSTEMINIDATA{};
}

// However the program comes to its end, nothing is released under a thread
// that was let go because it would not stop: it may be drawing with the very
// fonts and pictures the teardown frees.
TEST(CloseDeathTest, NothingIsTornDownWhileAThreadLetGoStillRuns) {
  GTEST_FLAG_SET(death_test_style, "fast");
  cShellGuard guard;
  EXPECT_EXIT(
      {
        static cThread stubborn("stubborn");
        std::promise<void> never;
        const std::shared_future<void> wait = never.get_future().share();
        stubborn.Start([wait] {
          wait.wait();
          return 0;
        });
        stubborn.Exit(1);
        UnInitGame();
        std::exit(3);  // the teardown ran under the thread
      },
      testing::ExitedWithCode(1), "");
  EXPECT_EQ(guard.m_folder.ReportLogLineCount("a thread still runs at the teardown"), 1);
}
