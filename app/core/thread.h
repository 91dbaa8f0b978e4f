#pragma once
// Worker threads: the game thread and the threads of the nested loops and of
// the stage loader.
//
// A thread is never killed or suspended. Stopping is cooperative: Exit asks
// the thread to stop (its loops see IsQuitRequested() and return), waits for
// its end up to a grace period, and when it has not ended by then writes a
// report-log line and lets it go (detached) instead of terminating it. A
// thread let go may still use anything of the program: nothing is torn down
// while one runs (LiveThreadCount).
// Suspending the workers around a modal dialog is a gate that the frame
// loops pass in WaitFrame (WaitWorkerGate).
//
// At most one thread runs game logic at a time: the thread that starts a
// nested loop joins it, and the caller of the loader serves its requests
// until the load has ended. Start and Join of one object happen on that one
// game-logic thread; Exit and RequestStop may come from the main thread.

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

// How long Exit waits for a thread asked to stop. Every loop and every wait
// of a worker ends on the stop request within a frame, so this is time for a
// machine under load, not for the threads: the only way left to stop a
// thread that overstays it is to end the process.
inline constexpr int kStopGraceMs = 2000;

class cThread {
 public:
  explicit cThread(const char* pszName = "thread") : m_strName(pszName) {}
  ~cThread();
  cThread(const cThread&) = delete;
  cThread& operator=(const cThread&) = delete;

  // Starts the routine on a new thread; it runs when Start returns (there is
  // no hand-shake to make). False when no thread could be made, while an
  // earlier thread of this object still runs, or once shutdown has begun.
  bool Start(std::function<int()> routine);
  // Waits until the routine has returned; the object is idle again.
  void Join();
  // Asks the thread to stop and waits for its end up to nGraceMs; a thread
  // still running then is logged and left to end on its own. Nothing when
  // the object is idle. True when no thread of this object runs any more;
  // false when one was left running (nothing it uses may be torn down then).
  bool Exit(int nGraceMs = kStopGraceMs);
  // Asks the thread to stop without waiting for it.
  void RequestStop();

  // Started and not yet joined or exited (the thread may have ended).
  bool IsRunning() const { return m_bStarted.load(); }
  // The routine's result once it has returned (0 before).
  int Result() const;
  const std::string& Name() const { return m_strName; }

  // Routines of every cThread that have not returned yet, those let go by
  // Exit included. The teardown runs only when it is 0.
  static int LiveThreadCount();

 private:
  struct cShared {
    std::atomic<bool> bStop{false};
    std::atomic<bool> bDone{false};
    std::atomic<int> nResult{0};
    std::mutex doneMutex;  // with doneSignal, wakes Exit at the routine's end
    std::condition_variable doneSignal;
  };
  std::string m_strName;
  mutable std::mutex m_mutex;  // guards m_thread and m_shared
  std::thread m_thread;
  std::shared_ptr<cShared> m_shared;
  std::atomic<bool> m_bStarted{false};
};

// A thread's boundary: runs fn and catches what escapes it. An exception
// gets one report-log line naming the thread, the error box and a close
// request (the close saves the user files). False when one escaped. Every
// cThread's routine runs inside one; the main loop has its own.
bool RunAtThreadBoundary(const char* pszThread, const std::function<void()>& fn);

// True on a worker thread asked to stop (its cThread's Exit or RequestStop),
// and on every thread once shutdown has begun (main_thread.h). The nested
// loops return when it turns true, as they did on finding the quit message.
bool IsQuitRequested();

// The modal-dialog gate: while the workers are suspended, WaitWorkerGate
// blocks the frame loops (not a thread asked to stop).
void SuspendWorkers();
void ResumeWorkers();
void WaitWorkerGate();

// The four worker threads of the program.
extern cThread thGame;
extern cThread thPause;
extern cThread thRanking;
extern cThread thLoad;
