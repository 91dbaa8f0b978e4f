#include "app/base/close_request.h"

#include <atomic>
#include <mutex>

namespace {
std::atomic<int> g_nCloseRequests{0};
std::mutex g_handlerMutex;
std::function<void()> g_handler;
}  // namespace

void RequestClose() {
  g_nCloseRequests.fetch_add(1, std::memory_order_relaxed);
  std::function<void()> handler;
  {
    std::lock_guard lock(g_handlerMutex);
    handler = g_handler;
  }
  if (handler) handler();
}

void SetCloseRequestHandler(std::function<void()> handler) {
  std::lock_guard lock(g_handlerMutex);
  g_handler = std::move(handler);
}

int GetCloseRequestCount() { return g_nCloseRequests.load(std::memory_order_relaxed); }

void ResetCloseRequestCount() { g_nCloseRequests.store(0, std::memory_order_relaxed); }
