#pragma once
// Figures of the running player for the end-to-end tests and benchmarks:
// when PLAYER_STATS_FILE names a file, the main loop rewrites it about every
// 100 ms with one line
//   ms=<clock> frames=<frames run> shown=<frames shown> scene=<current scene> active=<0|1>
// Nothing is written without the variable.

#include <cstdint>
#include <string>

class cStatsFile {
 public:
  cStatsFile();
  // Writes when the last write is 100 ms old.
  void Update();

 private:
  std::string m_strPath;  // native
  uint32_t m_dwLast = 0;
  bool m_bWritten = false;
};
