#include "app/single_instance.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/base/message_box.h"
#include "testing/game_folder.h"

namespace {

// A player in another process: it takes the lock when asked, lets it go
// when asked, and lives on until its pipe closes.
class cOtherPlayer {
 public:
  cOtherPlayer() {
    if (::pipe(m_toChild) != 0 || ::pipe(m_toParent) != 0) return;
    m_pid = ::fork();
    // Each side keeps only its own ends, so that closing one is seen.
    ::close(m_pid == 0 ? m_toChild[1] : m_toChild[0]);
    ::close(m_pid == 0 ? m_toParent[0] : m_toParent[1]);
    if (m_pid != 0) return;
    cSingleInstance instance;
    char c = instance.TryAcquire() ? 'L' : 'x';
    if (::write(m_toParent[1], &c, 1) != 1 || ::read(m_toChild[0], &c, 1) != 1) ::_exit(2);
    instance.Release();
    c = 'R';
    if (::write(m_toParent[1], &c, 1) != 1) ::_exit(2);
    while (::read(m_toChild[0], &c, 1) > 0) {
    }
    ::_exit(0);
  }
  ~cOtherPlayer() {
    if (m_pid > 0) End();
  }
  pid_t Pid() const { return m_pid; }
  // The answer the other process gave to the last request ('L', 'R').
  char Answer() const {
    char c = 0;
    return ::read(m_toParent[0], &c, 1) == 1 ? c : 0;
  }
  void ReleaseLock() const {
    const char c = 'r';
    ASSERT_EQ(::write(m_toChild[1], &c, 1), 1);
  }
  // Lets it end; its wait status.
  int End() {
    ::close(m_toChild[1]);
    int nStatus = 0;
    ::waitpid(m_pid, &nStatus, 0);
    m_pid = -1;
    return nStatus;
  }

 private:
  int m_toChild[2] = {-1, -1};
  int m_toParent[2] = {-1, -1};
  pid_t m_pid = -1;
};

}  // namespace

// The other player lets the lock go while this one asks the user whether to
// end it: the lock file still names that process, which lives on. It must
// not be sent the signal.
TEST(SingleInstance, OnlyTheProcessThatHoldsTheLockIsSignalled) {
  cTestGameFolder folder;
  ::setenv("PLAYER_LOCK_DIR", folder.NativePath().c_str(), 1);
  {
    cOtherPlayer other;
    ASSERT_GT(other.Pid(), 0);
    ASSERT_EQ(other.Answer(), 'L');
    cSingleInstance instance;
    ASSERT_FALSE(instance.TryAcquire());
    EXPECT_EQ(instance.HolderPid(), other.Pid());

    int nAsked = 0;
    SetMessageBoxProvider([&](const std::string&, const std::string&, MsgBoxType) {
      ++nAsked;
      other.ReleaseLock();
      EXPECT_EQ(other.Answer(), 'R');
      return static_cast<int>(kMsgBoxYes);
    });
    EXPECT_TRUE(CheckSingleInstance(instance));
    EXPECT_EQ(nAsked, 1);
    EXPECT_EQ(instance.HolderPid(), 0);  // this process holds it now
    const std::string strLock = folder.ReadFile("player-" + std::to_string(::getuid()) + ".lock");
    EXPECT_EQ(strLock, std::to_string(::getpid()) + "\n");

    const int nStatus = other.End();
    EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0)
        << "the other process ended by signal " << (WIFSIGNALED(nStatus) ? WTERMSIG(nStatus) : 0);
  }
  ::unsetenv("PLAYER_LOCK_DIR");
}
