#include "app/core/main_thread.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "app/core/game_requests.h"

namespace {

struct cRequest {
  uint32_t nMsg = 0;
  intptr_t wParam = 0, lParam = 0;
  intptr_t nResult = 0;
  bool bDone = false;
};

struct cRequestQueue {
  std::mutex mutex;
  std::condition_variable serverSignal;  // a request or a wake for the main loop
  std::condition_variable senderSignal;  // a request was served, or shutdown
  std::deque<std::shared_ptr<cRequest>> pending;
  bool bHasServer = false;
  std::thread::id server;
  bool bWake = false;
  RequestHandler handler;
};

cRequestQueue g_queue;
std::atomic<bool> g_bShutdown{false};

intptr_t Dispatch(const RequestHandler& handler, uint32_t nMsg, intptr_t wParam, intptr_t lParam) {
  return handler ? handler(nMsg, wParam, lParam) : HandleGameRequest(nMsg, wParam, lParam);
}

}  // namespace

void SetRequestHandler(RequestHandler handler) {
  std::lock_guard lock(g_queue.mutex);
  g_queue.handler = std::move(handler);
}

void BecomeRequestServer() {
  std::lock_guard lock(g_queue.mutex);
  g_queue.bHasServer = true;
  g_queue.server = std::this_thread::get_id();
}

bool IsMainThread() {
  std::lock_guard lock(g_queue.mutex);
  return !g_queue.bHasServer || g_queue.server == std::this_thread::get_id();
}

intptr_t SendRequest(uint32_t nMsg, intptr_t wParam, intptr_t lParam) {
  std::unique_lock lock(g_queue.mutex);
  if (g_bShutdown.load()) return 0;
  if (!g_queue.bHasServer || g_queue.server == std::this_thread::get_id()) {
    const RequestHandler handler = g_queue.handler;
    lock.unlock();
    return Dispatch(handler, nMsg, wParam, lParam);
  }
  auto request = std::make_shared<cRequest>();
  request->nMsg = nMsg;
  request->wParam = wParam;
  request->lParam = lParam;
  g_queue.pending.push_back(request);
  g_queue.serverSignal.notify_all();
  g_queue.senderSignal.wait(lock, [&] { return request->bDone || g_bShutdown.load(); });
  return request->bDone ? request->nResult : 0;
}

void PostRequest(uint32_t nMsg, intptr_t wParam, intptr_t lParam) {
  std::lock_guard lock(g_queue.mutex);
  if (g_bShutdown.load()) return;
  auto request = std::make_shared<cRequest>();
  request->nMsg = nMsg;
  request->wParam = wParam;
  request->lParam = lParam;
  g_queue.pending.push_back(std::move(request));
  g_queue.serverSignal.notify_all();
}

int ServeRequests() {
  int nServed = 0;
  for (;;) {
    std::shared_ptr<cRequest> request;
    RequestHandler handler;
    {
      std::lock_guard lock(g_queue.mutex);
      if (g_queue.pending.empty()) break;
      request = std::move(g_queue.pending.front());
      g_queue.pending.pop_front();
      handler = g_queue.handler;
    }
    // The sender gets its answer (0) also when the handler throws: the
    // exception goes on to the main loop's boundary, the sender must not
    // wait for ever.
    struct cAnswer {
      cRequest& request;
      intptr_t nResult = 0;
      ~cAnswer() {
        std::lock_guard lock(g_queue.mutex);
        request.nResult = nResult;
        request.bDone = true;
        g_queue.senderSignal.notify_all();
      }
    } answer{*request};
    answer.nResult = Dispatch(handler, request->nMsg, request->wParam, request->lParam);
    ++nServed;
  }
  return nServed;
}

bool WaitForRequests(uint32_t nMs) {
  std::unique_lock lock(g_queue.mutex);
  g_queue.serverSignal.wait_for(lock, std::chrono::milliseconds(nMs), [] {
    return !g_queue.pending.empty() || g_queue.bWake || g_bShutdown.load();
  });
  g_queue.bWake = false;
  return !g_queue.pending.empty();
}

void WakeMainThread() {
  std::lock_guard lock(g_queue.mutex);
  g_queue.bWake = true;
  g_queue.serverSignal.notify_all();
}

void BeginShutdown() {
  std::lock_guard lock(g_queue.mutex);
  g_bShutdown.store(true);
  // Senders still queued get 0; their requests are never run.
  g_queue.pending.clear();
  g_queue.senderSignal.notify_all();
  g_queue.serverSignal.notify_all();
}

bool IsShuttingDown() { return g_bShutdown.load(); }

void ResetRequestQueue() {
  std::lock_guard lock(g_queue.mutex);
  g_queue.pending.clear();
  g_queue.bHasServer = false;
  g_queue.server = std::thread::id();
  g_queue.bWake = false;
  g_queue.handler = nullptr;
  g_bShutdown.store(false);
}
