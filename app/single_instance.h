#pragma once
// One player per user at a time: a lock file held with an fcntl lock for the
// program's lifetime, its holder's pid written inside (for people; the
// program asks the lock who holds it). The lock goes with
// the process, so a crashed player never blocks the next start.
//
// The file is "player-<uid>.lock" in PLAYER_LOCK_DIR, else XDG_RUNTIME_DIR,
// else /tmp.

#include <string>

class cSingleInstance {
 public:
  cSingleInstance() = default;
  ~cSingleInstance() { Release(); }
  cSingleInstance(const cSingleInstance&) = delete;
  cSingleInstance& operator=(const cSingleInstance&) = delete;

  // True when this process holds the lock (now or already).
  bool TryAcquire();
  // The pid of the process that holds the lock, 0 when none does (or its
  // pid is not visible here).
  int HolderPid() const;
  // Sends the signal to the process that holds the lock, and to no other.
  // True when it was sent or no process holds the lock any more.
  bool SignalHolder(int nSignal) const;
  void Release();

 private:
  int m_fd = -1;
  bool m_bHeld = false;
};

// The start-up check: alone, or another player runs and the user chose to
// end it ("二重起動"): it is asked to end (SIGTERM) and given up to 500 ms,
// then this one goes on. False when the program must end (the user said
// no, or the other one could not be asked).
bool CheckSingleInstance(cSingleInstance& instance);
