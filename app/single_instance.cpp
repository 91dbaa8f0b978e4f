#include "app/single_instance.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "app/base/clock.h"
#include "app/base/message_box.h"
#include "app/base/report_log.h"

namespace {

constexpr uint32_t kWaitForOtherMs = 500;

std::string LockPath() {
  const char* pszDir = std::getenv("PLAYER_LOCK_DIR");
  if (pszDir == nullptr || *pszDir == '\0') pszDir = std::getenv("XDG_RUNTIME_DIR");
  if (pszDir == nullptr || *pszDir == '\0') pszDir = "/tmp";
  return std::string(pszDir) + "/player-" + std::to_string(::getuid()) + ".lock";
}

struct flock WholeFile(short nType) {
  struct flock lock {};
  lock.l_type = nType;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 0;
  return lock;
}

}  // namespace

bool cSingleInstance::TryAcquire() {
  if (m_bHeld) return true;
  if (m_fd < 0) {
    m_fd = ::open(LockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0) {
      // Without a lock file there is nothing to guard with: run.
      ReportLog("%s: %s; no single-instance check", LockPath().c_str(), std::strerror(errno));
      return true;
    }
  }
  struct flock lock = WholeFile(F_WRLCK);
  if (::fcntl(m_fd, F_SETLK, &lock) != 0) return false;
  m_bHeld = true;
  const std::string strPid = std::to_string(::getpid()) + "\n";
  if (::ftruncate(m_fd, 0) == 0) {
    [[maybe_unused]] const ssize_t n = ::pwrite(m_fd, strPid.data(), strPid.size(), 0);
  }
  return true;
}

int cSingleInstance::HolderPid() const {
  if (m_fd < 0) return 0;
  // Only the lock names its holder. The pid written in the file may be that
  // of a player that has just ended, or of whatever process took its pid.
  struct flock lock = WholeFile(F_WRLCK);
  if (::fcntl(m_fd, F_GETLK, &lock) != 0 || lock.l_type == F_UNLCK) return 0;
  return lock.l_pid;
}

bool cSingleInstance::SignalHolder(int nSignal) const {
  const int nPid = HolderPid();
  if (nPid <= 0) return true;  // it has just ended
  // A handle on the process first, then the lock asked again: the signal
  // goes to the process that holds the lock now, never to one that took
  // the pid of a holder that ended in between.
  const int fd = static_cast<int>(::syscall(SYS_pidfd_open, nPid, 0));
  if (fd < 0) {
    if (errno == ESRCH) return true;
    if (errno != ENOSYS) return false;
    return HolderPid() != nPid || ::kill(nPid, nSignal) == 0;
  }
  const bool bOk = HolderPid() != nPid ||
                   ::syscall(SYS_pidfd_send_signal, fd, nSignal, nullptr, 0) == 0 || errno == ESRCH;
  ::close(fd);
  return bOk;
}

void cSingleInstance::Release() {
  if (m_fd >= 0) ::close(m_fd);  // closing releases the lock
  m_fd = -1;
  m_bHeld = false;
}

bool CheckSingleInstance(cSingleInstance& instance) {
  if (instance.TryAcquire()) return true;
  const int nAnswer = ShowMessageBox(
      "既に起動しています。\n実行中のプログラムを閉じて再起動しますか？\n\nRunning this program "
      "now. "
      "Restart?",
      "二重起動", MsgBoxType{MsgBoxButtons::YesNo, MsgBoxIcon::Question});
  if (nAnswer != kMsgBoxYes) return false;
  if (!instance.SignalHolder(SIGTERM)) {
    ShowMessageBox("プログラムの終了に失敗しました。", "二重起動",
                   MsgBoxType{MsgBoxButtons::Ok, MsgBoxIcon::Error});
    return false;
  }
  const uint32_t dwStart = GetTimeMs();
  while (!instance.TryAcquire() && GetTimeMs() - dwStart < kWaitForOtherMs) SleepMs(5);
  return true;
}
