#include "app/core/thread.h"

#include <condition_variable>
#include <exception>
#include <system_error>

#include "app/base/close_request.h"
#include "app/base/message_box.h"
#include "app/base/report_log.h"
#include "app/core/main_thread.h"

cThread thGame("thGame");
cThread thPause("thPause");
cThread thRanking("thRanking");
cThread thLoad("thLoad");

namespace {

// The stop flag of the cThread running on this thread (null elsewhere).
thread_local const std::atomic<bool>* t_pStop = nullptr;

// Routines started and not yet returned.
std::atomic<int> g_nLiveThreads{0};

std::mutex g_gateMutex;
std::condition_variable g_gateSignal;
bool g_bSuspended = false;

}  // namespace

cThread::~cThread() { Exit(); }

bool cThread::Start(std::function<int()> routine) {
  std::lock_guard lock(m_mutex);
  if (IsShuttingDown()) return false;
  if (m_thread.joinable()) {
    if (!m_shared->bDone.load()) {
      ReportLog("%s: started again while it still runs", m_strName.c_str());
      return false;
    }
    m_thread.join();
  }
  auto shared = std::make_shared<cShared>();
  g_nLiveThreads.fetch_add(1);
  try {
    m_thread = std::thread([shared, strName = m_strName, routine = std::move(routine)]() mutable {
      t_pStop = &shared->bStop;
      RunAtThreadBoundary(strName.c_str(), [&] { shared->nResult.store(routine()); });
      t_pStop = nullptr;
      // What the routine holds goes while the thread still counts as live.
      routine = nullptr;
      {
        std::lock_guard done(shared->doneMutex);
        shared->bDone.store(true);
      }
      shared->doneSignal.notify_all();
      g_nLiveThreads.fetch_sub(1);
    });
  } catch (const std::system_error&) {
    g_nLiveThreads.fetch_sub(1);
    ReportLog("%s: no thread could be made", m_strName.c_str());
    return false;
  }
  m_shared = std::move(shared);
  m_bStarted.store(true);
  return true;
}

void cThread::Join() {
  std::thread thread;
  {
    std::lock_guard lock(m_mutex);
    thread = std::move(m_thread);
  }
  if (thread.joinable()) thread.join();
  m_bStarted.store(false);
}

void cThread::RequestStop() {
  std::lock_guard lock(m_mutex);
  if (m_shared) m_shared->bStop.store(true);
}

bool cThread::Exit(int nGraceMs) {
  std::shared_ptr<cShared> shared;
  {
    std::lock_guard lock(m_mutex);
    if (!m_bStarted.load() || !m_shared) return true;
    shared = m_shared;
  }
  shared->bStop.store(true);
  // A thread waiting at the gate passes it once asked to stop.
  g_gateSignal.notify_all();
  {
    std::unique_lock done(shared->doneMutex);
    shared->doneSignal.wait_for(done, std::chrono::milliseconds(nGraceMs),
                                [&] { return shared->bDone.load(); });
  }
  std::thread thread;
  {
    std::lock_guard lock(m_mutex);
    thread = std::move(m_thread);
  }
  bool bStopped = true;
  if (thread.joinable()) {
    if (shared->bDone.load()) {
      thread.join();
    } else {
      ReportLog("%s did not stop within %d ms; it is left to end on its own", m_strName.c_str(),
                nGraceMs);
      thread.detach();
      bStopped = false;
    }
  }
  m_bStarted.store(false);
  return bStopped;
}

int cThread::LiveThreadCount() { return g_nLiveThreads.load(); }

int cThread::Result() const {
  std::lock_guard lock(m_mutex);
  return m_shared ? m_shared->nResult.load() : 0;
}

bool RunAtThreadBoundary(const char* pszThread, const std::function<void()>& fn) {
  std::string strWhat;
  try {
    fn();
    return true;
  } catch (const std::exception& e) {
    strWhat = e.what();
  } catch (const char* pszText) {
    strWhat = pszText != nullptr ? pszText : "";
  } catch (const std::string& strText) {
    strWhat = strText;
  } catch (...) {
    strWhat = "an exception of unknown kind";
  }
  ReportLog("%s: uncaught exception: %s", pszThread, strWhat.c_str());
  ErrorBoxf("予期しないエラーが発生したため終了します。\n%s", strWhat.c_str());
  RequestClose();
  return false;
}

bool IsQuitRequested() { return IsShuttingDown() || (t_pStop != nullptr && t_pStop->load()); }

void SuspendWorkers() {
  std::lock_guard lock(g_gateMutex);
  g_bSuspended = true;
}

void ResumeWorkers() {
  {
    std::lock_guard lock(g_gateMutex);
    g_bSuspended = false;
  }
  g_gateSignal.notify_all();
}

void WaitWorkerGate() {
  std::unique_lock lock(g_gateMutex);
  // Woken by ResumeWorkers or an Exit; shutdown is noticed within 10 ms.
  while (g_bSuspended && !IsQuitRequested())
    g_gateSignal.wait_for(lock, std::chrono::milliseconds(10));
}
