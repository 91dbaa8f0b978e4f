#pragma once
// Figures of the running player for the end-to-end tests and benchmarks:
// when PLAYER_STATS_FILE names a file, the main loop rewrites it about every
// 100 ms with one line
//   ms=<clock> frames=<frames run> shown=<frames shown> scene=<current scene>
//   active=<0|1> title=<clock when the first title frame was shown, 0 before>
// (one line, clock in ms of the monotonic clock). With PLAYER_QUIT_ON_TITLE
// set as well, the program closes once the first title frame was shown (the
// start-up benchmark). Nothing is written without the variables.

#include <cstdint>
#include <string>

class cStatsFile {
 public:
  cStatsFile();
  // Writes when the last write is 100 ms old, or at once when the first
  // title frame has just been shown.
  void Update();

 private:
  void Write(uint32_t dwNow);

  std::string m_strPath;  // native
  bool m_bQuitOnTitle = false;
  uint32_t m_dwLast = 0;
  bool m_bWritten = false;
  // The title's first frame: the frames shown when the title scene was
  // first seen running; the next one shown is the title's.
  bool m_bTitleRunning = false;
  uint64_t m_nShownBeforeTitle = 0;
  uint32_t m_dwTitleShown = 0;
};
