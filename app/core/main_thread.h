#pragma once
// The main thread's request queue: the private window messages of the game.
//
// Work that must happen on the main thread (sounds, music, dialogs, the
// device reset, message boxes, the close sequence) is asked for with a
// request. SendRequest is synchronous: it returns after the main thread ran
// the handler, with the handler's result. PostRequest only queues (the close
// request). The main loop calls ServeRequests once per pass.
//
// Three rules keep every thread free of deadlock:
// - a send from the main thread itself, or while no thread serves the queue
//   (start-up, tests), runs the handler at once on the calling thread;
// - once shutdown has begun, pending and new sends return 0 at once and
//   posts are dropped, so a worker the main thread is stopping never waits
//   on it;
// - the handler never waits for a worker thread.

#include <cstdint>
#include <functional>

// Message numbers: the interface between the threads.
enum : uint32_t {
  WM_GAME_NAMEENTRY = 0x401,
  WM_GAME_OPENSTAGE = 0x402,
  WM_GAME_OPENREPLAY = 0x403,
  WM_GAME_SAVEREPLAY = 0x404,
  WM_GAME_PLAYSE = 0x405,
  WM_GAME_PLAYBGM = 0x406,
  WM_GAME_RESETDEVICE = 0x464,
  // Of our own: the options' music switch. The music player is made and
  // released on the main thread, where every music request plays.
  WM_GAME_MUSICSWITCH = 0x466,
  // Of the shell itself: the close request (posted) and a message box shown
  // for a worker thread (lParam points at its parameters).
  SHELLREQ_CLOSE = 0x10,
  SHELLREQ_MESSAGEBOX = 0x465,
};

using RequestHandler = std::function<intptr_t(uint32_t nMsg, intptr_t wParam, intptr_t lParam)>;

// Installs the handler that serves every request (the main window's). An
// empty function puts back the default, HandleGameRequest (game_requests.h),
// which knows every request but the close.
void SetRequestHandler(RequestHandler handler);

// Makes the calling thread the one that serves the queue (the main loop).
void BecomeRequestServer();
// True on the thread that serves the queue, or on any thread while none does.
bool IsMainThread();

intptr_t SendRequest(uint32_t nMsg, intptr_t wParam = 0, intptr_t lParam = 0);
void PostRequest(uint32_t nMsg, intptr_t wParam = 0, intptr_t lParam = 0);

// Main thread: runs every request queued so far, in order; returns how many.
int ServeRequests();
// Main thread: waits until a request is queued, WakeMainThread is called or
// nMs milliseconds have passed. True when a request is queued.
bool WaitForRequests(uint32_t nMs);
// Wakes WaitForRequests early (a finished frame is waiting to be shown).
void WakeMainThread();

// From now on sends return 0 at once, blocked senders are released and
// posts are dropped. Worker loops see IsQuitRequested() (thread.h).
void BeginShutdown();
bool IsShuttingDown();

// Forgets the serving thread, the queue, the handler and the shutdown (tests).
void ResetRequestQueue();
