#include "app/tests/e2e/player_session.h"

#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/base/clock.h"
#include "sample/sample_game.h"
#include "testing/ci.h"

namespace fs = std::filesystem;

namespace {

int ExitStatusOf(int nStatus) {
  if (WIFEXITED(nStatus)) return WEXITSTATUS(nStatus);
  if (WIFSIGNALED(nStatus)) return 128 + WTERMSIG(nStatus);
  return -1;
}

// A fatal failure: a fixture whose server failed does not run its test.
void FailForCi(const std::string& strFailure) {
  FAIL() << "Xvfb did not start: " << strFailure << " (in CI the end-to-end tests run)";
}

}  // namespace

bool WaitUntil(const std::function<bool()>& cond, int nTimeoutMs) {
  const uint32_t dwStart = GetTimeMs();
  for (;;) {
    if (cond()) return true;
    if (GetTimeMs() - dwStart >= static_cast<uint32_t>(nTimeoutMs)) return false;
    SleepMs(20);
  }
}

cXServer::cXServer() {
  const std::string strFailure = Start();
  if (!strFailure.empty() && InCi()) FailForCi(strFailure);
}

std::string cXServer::Start() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return std::string("no pipe: ") + std::strerror(errno);
  m_pid = ::fork();
  if (m_pid == 0) {
    // The write end must survive exec: Xvfb writes the display number to it.
    ::dup2(fds[1], 3);
    const int nNull = ::open("/dev/null", O_WRONLY);
    ::dup2(nNull, 1);
    ::dup2(nNull, 2);
    // No reset when the last client leaves: the harness's short xdotool
    // calls would reset the server over and over, and a player connecting
    // during a reset finds no display.
    ::execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", "1024x768x24", "-nolisten", "tcp",
             "-noreset", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(fds[1]);
  if (m_pid < 0) {
    ::close(fds[0]);
    return std::string("no fork: ") + std::strerror(errno);
  }
  std::string strNumber;
  pollfd pfd{fds[0], POLLIN, 0};
  const uint32_t dwStart = GetTimeMs();
  while (strNumber.find('\n') == std::string::npos && GetTimeMs() - dwStart < 10000) {
    if (::poll(&pfd, 1, 100) <= 0) continue;
    char buf[16];
    const ssize_t n = ::read(fds[0], buf, sizeof buf);
    if (n <= 0) break;
    strNumber.append(buf, static_cast<size_t>(n));
  }
  ::close(fds[0]);
  if (strNumber.find('\n') != std::string::npos) {
    m_nDisplay = std::atoi(strNumber.c_str());
    return "";
  }
  // A server that ended closed the pipe on its way out: give it a moment to
  // be reaped.
  int nStatus = 0;
  const pid_t pid = m_pid;
  if (!WaitUntil([&] { return ::waitpid(pid, &nStatus, WNOHANG) == pid; }, 1000))
    return "no display number within 10 s";
  m_pid = -1;  // reaped: its number may go to another process
  const int nExit = ExitStatusOf(nStatus);
  return nExit == 127 ? "no program Xvfb" : "it ended with status " + std::to_string(nExit);
}

cXServer::~cXServer() {
  if (m_pid > 0) {
    ::kill(m_pid, SIGTERM);
    ::waitpid(m_pid, nullptr, 0);
  }
}

bool cXServer::Run(const std::string& strCommand, std::string* pOutput) const {
  const std::string strLine = "DISPLAY=" + Display() + " " + strCommand + " 2>/dev/null";
  FILE* fp = ::popen(strLine.c_str(), "r");
  if (fp == nullptr) return false;
  std::string strOut;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, fp)) > 0) strOut.append(buf, n);
  const int nStatus = ::pclose(fp);
  if (pOutput != nullptr) *pOutput = std::move(strOut);
  return nStatus == 0;
}

std::string MakeSampleGameFolder() {
  std::string strTemplate = (fs::temp_directory_path() / "player-e2e-XXXXXX").string();
  if (::mkdtemp(strTemplate.data()) == nullptr) return "";
  const fs::path previous = fs::current_path();
  fs::current_path(strTemplate);
  const bool bWritten = WriteSampleGame();
  fs::current_path(previous);
  return bWritten ? strTemplate : "";
}

void RemoveFolder(const std::string& strFolder) {
  std::error_code ec;
  if (!strFolder.empty()) fs::remove_all(strFolder, ec);
}

std::vector<std::string> ReadOnlyLauncher(const std::string& strFolder) {
  // Binds the folder over itself, makes that binding read-only and enters
  // it (the working folder the player was given is the writable one below).
  std::vector<std::string> launcher = {
      "unshare",
      "-rm",
      "sh",
      "-c",
      "mount --bind \"$0\" \"$0\" && mount -o remount,ro,bind \"$0\" && cd \"$0\" && "
      "exec \"$@\"",
      strFolder};
  std::vector<std::string> probe = launcher;
  probe.push_back("true");
  std::string strLine;
  for (const std::string& s : probe) strLine += "'" + s + "' ";
  return std::system((strLine + ">/dev/null 2>&1").c_str()) == 0 ? launcher
                                                                 : std::vector<std::string>{};
}

std::string ReadFolderFile(const std::string& strFolder, const std::string& strName) {
  std::ifstream in(fs::path(strFolder) / strName, std::ios::binary);
  if (!in) return "";
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

cPlayerSession::cPlayerSession(const cXServer& server, const std::string& strFolder,
                               std::vector<std::string> extraEnv, std::vector<std::string> args,
                               std::vector<std::string> launcher)
    : m_server(server),
      m_strFolder(strFolder),
      m_strStats(strFolder + "/stats.txt"),
      m_strStderr(strFolder + "/stderr-" + std::to_string(::getpid()) + "-" +
                  std::to_string(GetTimeMs()) + ".txt") {
  std::vector<std::string> env;
  for (char** p = environ; *p != nullptr; ++p) {
    const std::string strVar = *p;
    // The test's own display settings are not the player's.
    if (strVar.rfind("DISPLAY=", 0) == 0 || strVar.rfind("SDL_VIDEODRIVER=", 0) == 0) continue;
    env.push_back(strVar);
  }
  env.push_back("DISPLAY=" + server.Display());
  env.push_back("SDL_VIDEODRIVER=x11");
  // Xvfb has no graphics card: draw with SDL's software renderer and keep
  // the software GL driver out entirely (its allocations, left behind when
  // SDL unloads it at exit, read as leaks to the leak checker).
  env.push_back("SDL_RENDER_DRIVER=software");
  env.push_back("SDL_FRAMEBUFFER_ACCELERATION=0");
  env.push_back("SDL_AUDIODRIVER=dummy");
  env.push_back("PLAYER_LOCK_DIR=" + strFolder);
  env.push_back("PLAYER_STATS_FILE=" + m_strStats);
  for (std::string& strVar : extraEnv) {
    const std::string strName = strVar.substr(0, strVar.find('=') + 1);
    std::erase_if(env, [&](const std::string& s) { return s.rfind(strName, 0) == 0; });
    if (strName == "PLAYER_STATS_FILE=") m_strStats = strVar.substr(strName.size());
    env.push_back(std::move(strVar));
  }
  args.insert(args.begin(), PLAYER_BINARY);
  args.insert(args.begin(), launcher.begin(), launcher.end());

  m_pid = ::fork();
  if (m_pid == 0) {
    if (::chdir(strFolder.c_str()) != 0) ::_exit(126);
    const int fd = ::open(m_strStderr.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) ::dup2(fd, 2);
    std::vector<char*> argv, envp;
    for (std::string& s : args) argv.push_back(s.data());
    argv.push_back(nullptr);
    for (std::string& s : env) envp.push_back(s.data());
    envp.push_back(nullptr);
    // A launcher is looked up on the PATH.
    ::execvpe(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }
}

cPlayerSession::~cPlayerSession() {
  if (IsRunning()) {
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, nullptr, 0);
  }
}

std::vector<std::pair<uint64_t, std::string>> cPlayerSession::VisibleWindows() const {
  // Every window with a class, then their names: a search by name misses
  // windows whose name is only UTF-8 (SDL's message boxes).
  std::vector<std::pair<uint64_t, std::string>> windows;
  std::string strIds;
  if (!m_server.Run("xdotool search --onlyvisible --classname '.*'", &strIds)) return windows;
  std::istringstream ids(strIds);
  std::string strId;
  while (ids >> strId) {
    std::string strName;
    if (!m_server.Run("xdotool getwindowname " + strId, &strName)) continue;
    if (!strName.empty() && strName.back() == '\n') strName.pop_back();
    windows.emplace_back(std::strtoull(strId.c_str(), nullptr, 10), strName);
  }
  return windows;
}

uint64_t cPlayerSession::FindWindow(const std::string& strTitle) const {
  for (const auto& [nId, strName] : VisibleWindows())
    if (strName == strTitle) return nId;
  return 0;
}

std::string cPlayerSession::DescribeWindows() const {
  std::string str;
  for (const auto& [nId, strName] : VisibleWindows())
    if (!strName.empty()) str += (str.empty() ? "\"" : ", \"") + strName + "\"";
  return str.empty() ? "no named window" : "windows shown: " + str;
}

uint64_t cPlayerSession::WaitForWindow(const std::string& strTitle, int nTimeoutMs) const {
  uint64_t nWindow = 0;
  WaitUntil([&] { return (nWindow = FindWindow(strTitle)) != 0; }, nTimeoutMs);
  return nWindow;
}

uint64_t cPlayerSession::AnswerFirstStart(int nTimeoutMs) const {
  const uint64_t nBox = WaitForWindow(kCreateDataCaption, nTimeoutMs);
  if (nBox == 0) {
    std::fprintf(stderr, "the first start's question did not show (%s)\n",
                 DescribeWindows().c_str());
    return 0;
  }
  if (!SendKeys(nBox, "Return")) return 0;
  const uint64_t nWindow = WaitForWindow(kSampleGameTitle, nTimeoutMs);
  if (nWindow == 0)
    std::fprintf(stderr, "no game window after the first start's question (%s)\n",
                 FindWindow(kCreateDataCaption) != 0 ? "it still shows" : "it is gone");
  return nWindow;
}

bool cPlayerSession::SendKeys(uint64_t nWindow, const std::string& strKeys) const {
  const std::string strId = std::to_string(nWindow);
  return m_server.Run("xdotool windowfocus --sync " + strId + " key --delay 40 " + strKeys);
}

bool cPlayerSession::TapKeys(uint64_t nWindow, const std::vector<std::string>& keys) const {
  std::string strCommand = "xdotool windowfocus --sync " + std::to_string(nWindow);
  for (const std::string& strKey : keys)
    strCommand += " keydown " + strKey + " sleep 0.12 keyup " + strKey + " sleep 0.12";
  return m_server.Run(strCommand);
}

bool cPlayerSession::TypeText(uint64_t nWindow, const std::string& strUtf8) const {
  if (strUtf8.find('\'') != std::string::npos) return false;
  return m_server.Run("xdotool windowfocus --sync " + std::to_string(nWindow) +
                      " type --delay 150 -- '" + strUtf8 + "'");
}

bool cPlayerSession::HoldKey(uint64_t nWindow, const std::string& strKey, int nFrames) const {
  const std::string strFocus = "xdotool windowfocus --sync " + std::to_string(nWindow);
  if (!m_server.Run(strFocus + " keydown " + strKey)) return false;
  const bool bRan = WaitForFrames(nFrames, 60000);
  return m_server.Run(strFocus + " keyup " + strKey) && bRan;
}

bool cPlayerSession::WaitForFrames(int nFrames, int nTimeoutMs) const {
  PLAYERSTATS start, now;
  if (!ReadStats(start)) return false;
  return WaitUntil([&] { return ReadStats(now) && now.nFrames - start.nFrames >= nFrames; },
                   nTimeoutMs);
}

bool cPlayerSession::ReadStats(PLAYERSTATS& stats) const {
  const std::string strLine = ReadFolderFile("/", m_strStats);
  unsigned int dwMs = 0;
  if (std::sscanf(strLine.c_str(), "ms=%u frames=%d shown=%d scene=%d active=%d", &dwMs,
                  &stats.nFrames, &stats.nShown, &stats.nScene, &stats.bActive) != 5)
    return false;
  stats.dwMs = dwMs;
  return true;
}

bool cPlayerSession::WaitForScene(int nScene, int nTimeoutMs) const {
  return WaitUntil(
      [&] {
        PLAYERSTATS stats;
        return ReadStats(stats) && stats.nScene == nScene;
      },
      nTimeoutMs);
}

std::vector<uint8_t> cPlayerSession::Screenshot(uint64_t nWindow) const {
  std::string strOut;
  if (!m_server.Run("import -silent -window " + std::to_string(nWindow) + " -depth 8 rgb:-",
                    &strOut) ||
      strOut.size() != 640u * 480u * 3u)
    return {};
  return std::vector<uint8_t>(strOut.begin(), strOut.end());
}

uint32_t cPlayerSession::PixelAt(const std::vector<uint8_t>& rgb, int nWidth, int x, int y) {
  const size_t i = (static_cast<size_t>(y) * nWidth + x) * 3;
  if (i + 2 >= rgb.size()) return 0xFFFFFFFF;
  return static_cast<uint32_t>(rgb[i]) << 16 | rgb[i + 1] << 8 | rgb[i + 2];
}

std::vector<pid_t> cPlayerSession::Children() const {
  std::vector<pid_t> children;
  std::error_code ec;
  const fs::path tasks = fs::path("/proc") / std::to_string(m_pid) / "task";
  for (const fs::directory_entry& task : fs::directory_iterator(tasks, ec)) {
    std::ifstream in(task.path() / "children");
    pid_t pid = 0;
    while (in >> pid) children.push_back(pid);
  }
  return children;
}

bool cPlayerSession::Signal(int nSignal) const { return m_pid > 0 && ::kill(m_pid, nSignal) == 0; }

bool cPlayerSession::IsRunning() {
  if (m_pid <= 0 || m_nExitStatus >= 0) return false;
  int nStatus = 0;
  if (::waitpid(m_pid, &nStatus, WNOHANG) != m_pid) return true;
  m_nExitStatus = ExitStatusOf(nStatus);
  return false;
}

bool cPlayerSession::WaitForExit(int nTimeoutMs) {
  return WaitUntil([&] { return !IsRunning(); }, nTimeoutMs);
}

std::string cPlayerSession::ErrorOutput() const {
  std::ifstream in(m_strStderr, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}
