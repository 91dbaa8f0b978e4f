#include "app/core/main_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "app/core/tests/shell_test_util.h"

namespace {

// Serves requests on the calling thread until `n` have been run.
void ServeUntil(int n) {
  int nServed = 0;
  while (nServed < n) {
    if (WaitForRequests(5000)) nServed += ServeRequests();
    ASSERT_FALSE(IsShuttingDown());
  }
}

}  // namespace

TEST(RequestQueue, SendReturnsAfterTheMainThreadRanTheHandler) {
  cShellTestGuard guard;
  const std::thread::id main = std::this_thread::get_id();
  std::vector<int> order;
  std::thread::id handlerThread;
  SetRequestHandler([&](uint32_t nMsg, intptr_t w, intptr_t l) -> intptr_t {
    handlerThread = std::this_thread::get_id();
    order.push_back(static_cast<int>(nMsg));
    return w * 10 + l;
  });
  BecomeRequestServer();
  intptr_t nResult = 0;
  std::thread sender([&] {
    PostRequest(1);
    nResult = SendRequest(2, 4, 2);
    order.push_back(-2);  // the send has returned
  });
  ServeUntil(2);
  sender.join();
  EXPECT_EQ(nResult, 42);
  EXPECT_EQ(handlerThread, main);
  // Posted before the send, served first; the send returned after its handler.
  EXPECT_EQ(order, (std::vector<int>{1, 2, -2}));
}

TEST(RequestQueue, SendsRunAtOnceOnTheMainThreadAndWhileNothingServes) {
  cShellTestGuard guard;
  int nCalls = 0;
  SetRequestHandler([&](uint32_t, intptr_t w, intptr_t) -> intptr_t { return ++nCalls + w; });
  // No serving thread yet (start-up, tests): the handler runs on the caller.
  EXPECT_EQ(SendRequest(7, 100), 101);
  BecomeRequestServer();
  // The serving thread sending to itself is not queued.
  EXPECT_EQ(SendRequest(7, 100), 102);
  EXPECT_TRUE(IsMainThread());
  bool bWorkerIsMain = true;
  std::thread([&] { bWorkerIsMain = IsMainThread(); }).join();
  EXPECT_FALSE(bWorkerIsMain);
}

TEST(RequestQueue, ShutdownReleasesABlockedSenderAndRefusesNewRequests) {
  cShellTestGuard guard;
  std::atomic<int> nHandled{0};
  SetRequestHandler([&](uint32_t, intptr_t, intptr_t) -> intptr_t { return ++nHandled; });
  BecomeRequestServer();
  std::atomic<intptr_t> nResult{-1};
  std::thread sender([&] { nResult = SendRequest(WM_GAME_PLAYSE, 1); });
  // Wait until the request is queued, then shut down without serving it.
  while (!WaitForRequests(5000)) {
  }
  BeginShutdown();
  sender.join();
  EXPECT_EQ(nResult.load(), 0);
  // New sends and posts from any thread do nothing.
  std::thread([&] {
    EXPECT_EQ(SendRequest(WM_GAME_PLAYSE, 1), 0);
    PostRequest(SHELLREQ_CLOSE);
  }).join();
  EXPECT_EQ(ServeRequests(), 0);
  EXPECT_EQ(nHandled.load(), 0);
}
