#include "app/base/close_request.h"

#include <atomic>
#include <mutex>

namespace {
std::atomic<int> g_nCloseRequests{0};
std::atomic<int> g_bCloseSignalled{0};
static_assert(std::atomic<int>::is_always_lock_free, "set in a signal handler");
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

void NoteCloseSignal() { g_bCloseSignalled.store(1); }

bool IsCloseSignalled() { return g_bCloseSignalled.load() != 0; }

void ResetCloseSignal() { g_bCloseSignalled.store(0); }

int GetCloseRequestCount() { return g_nCloseRequests.load(std::memory_order_relaxed); }

void ResetCloseRequestCount() { g_nCloseRequests.store(0, std::memory_order_relaxed); }
