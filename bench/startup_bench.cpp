// Start-up of the real player on the sample game, headless (SDL's dummy
// drivers, or the video driver PLAYER_BENCH_VIDEODRIVER names, x11 under
// Xvfb, say): from starting the process to the first title frame shown,
// with the player's peak resident memory beside it. Peers in the same
// binary: a bare SDL program that opens its window and presents one frame
// (the goal: the player within 1.15 times it), starting and ending a
// process that does nothing (the floor of any start), and reading every
// file of the game folder once (the floor of loading it).
//
// The player is the binary built beside this benchmark; it writes the clock
// of its first title frame to its stats file and closes (PLAYER_QUIT_ON_TITLE).

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/base/clock.h"
#include "sample/sample_game.h"

namespace fs = std::filesystem;

namespace {

// The sample game in a temporary folder, its "data\" already made, so that
// no first-start question comes.
class cSampleFolder {
 public:
  cSampleFolder() {
    std::string strTemplate = (fs::temp_directory_path() / "player-startup-XXXXXX").string();
    if (::mkdtemp(strTemplate.data()) == nullptr) return;
    const fs::path previous = fs::current_path();
    fs::current_path(strTemplate);
    const bool bWritten = WriteSampleGame();
    fs::current_path(previous);
    std::error_code ec;
    fs::copy(fs::path(strTemplate) / "default", fs::path(strTemplate) / "data",
             fs::copy_options::recursive, ec);
    if (bWritten && !ec) m_strPath = strTemplate;
  }
  ~cSampleFolder() {
    std::error_code ec;
    if (!m_strPath.empty()) fs::remove_all(m_strPath, ec);
  }
  std::string m_strPath;
};

const cSampleFolder& SampleFolder() {
  static const cSampleFolder folder;
  return folder;
}

struct RUNRESULT {
  bool bOk = false;
  uint32_t dwStart = 0;
  std::string strStats;
  long nPeakRssKb = 0;
};

// Runs a program in the folder with the environment added, to its end.
RUNRESULT RunProgram(const std::string& strFolder, const char* pszProgram,
                     const std::vector<std::string>& env) {
  RUNRESULT result;
  std::vector<std::string> vars = env;
  for (char** p = environ; *p != nullptr; ++p) vars.emplace_back(*p);
  result.dwStart = GetTimeMs();
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(strFolder.c_str()) != 0) ::_exit(126);
    const int nNull = ::open("/dev/null", O_WRONLY);
    ::dup2(nNull, 1);
    ::dup2(nNull, 2);
    std::vector<char*> envp;
    for (std::string& s : vars) envp.push_back(s.data());
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(pszProgram), nullptr};
    ::execve(pszProgram, argv, envp.data());
    ::_exit(127);
  }
  if (pid < 0) return result;
  int nStatus = 0;
  rusage usage{};
  if (::wait4(pid, &nStatus, 0, &usage) != pid) return result;
  result.nPeakRssKb = usage.ru_maxrss;
  result.bOk = WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0;
  return result;
}

// The value of "name=" in the stats line, 0 when missing.
uint32_t StatsValue(const std::string& strLine, const std::string& strName) {
  const size_t i = strLine.find(" " + strName + "=");
  return i == std::string::npos ? 0
                                : static_cast<uint32_t>(std::strtoul(
                                      strLine.c_str() + i + strName.size() + 2, nullptr, 10));
}

std::string VideoDriver() {
  const char* pszDriver = std::getenv("PLAYER_BENCH_VIDEODRIVER");
  return pszDriver != nullptr && *pszDriver != '\0' ? pszDriver : "dummy";
}

// Runs a program in the sample folder until it has shown its first frame:
// the time from its start to the clock it wrote to its stats file.
void StartToFirstFrame(benchmark::State& state, const char* pszProgram) {
  const std::string& strFolder = SampleFolder().m_strPath;
  if (strFolder.empty()) {
    state.SkipWithError("the sample game could not be written");
    return;
  }
  const std::string strStats = strFolder + "/stats.txt";
  const std::vector<std::string> env = {"SDL_VIDEODRIVER=" + VideoDriver(), "SDL_AUDIODRIVER=dummy",
                                        "PLAYER_QUIT_ON_TITLE=1", "PLAYER_STATS_FILE=" + strStats,
                                        "PLAYER_LOCK_DIR=" + strFolder};
  long nPeakRssKb = 0;
  for (auto _ : state) {
    std::remove(strStats.c_str());
    const RUNRESULT run = RunProgram(strFolder, pszProgram, env);
    std::ifstream in(strStats);
    std::string strLine;
    std::getline(in, strLine);
    const uint32_t dwTitle = StatsValue(" " + strLine, "title");
    if (!run.bOk || dwTitle == 0) {
      state.SkipWithError("the program did not show its first frame");
      return;
    }
    state.SetIterationTime((dwTitle - run.dwStart) / 1000.0);
    nPeakRssKb = std::max(nPeakRssKb, run.nPeakRssKb);
  }
  state.counters["peak_rss_MB"] = static_cast<double>(nPeakRssKb) / 1024.0;
}

void BM_PlayerStartToFirstTitleFrame(benchmark::State& state) {
  StartToFirstFrame(state, PLAYER_BINARY);
}
BENCHMARK(BM_PlayerStartToFirstTitleFrame)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_BareSdlStartToFirstFrame(benchmark::State& state) {
  StartToFirstFrame(state, BARE_SDL_BINARY);
}
BENCHMARK(BM_BareSdlStartToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_StartAndEndAnEmptyProcess(benchmark::State& state) {
  for (auto _ : state) {
    const RUNRESULT run = RunProgram("/", "/bin/true", {});
    if (!run.bOk) {
      state.SkipWithError("/bin/true failed");
      return;
    }
  }
}
BENCHMARK(BM_StartAndEndAnEmptyProcess)->Unit(benchmark::kMillisecond);

void BM_ReadTheGameFolderOnce(benchmark::State& state) {
  const std::string& strFolder = SampleFolder().m_strPath;
  std::vector<char> buffer(1 << 16);
  int64_t nBytes = 0;
  for (auto _ : state) {
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(strFolder)) {
      if (!entry.is_regular_file()) continue;
      FILE* fp = std::fopen(entry.path().c_str(), "rb");
      if (fp == nullptr) continue;
      size_t n;
      while ((n = std::fread(buffer.data(), 1, buffer.size(), fp)) > 0) nBytes += n;
      std::fclose(fp);
    }
  }
  state.SetBytesProcessed(nBytes);
}
BENCHMARK(BM_ReadTheGameFolderOnce)->Unit(benchmark::kMillisecond);

}  // namespace
