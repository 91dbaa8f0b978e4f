#pragma once
// The end-to-end harness: the real player on a private X server.
//
// cXServer starts its own Xvfb (any free display) for the test, so tests may
// run side by side. A test whose server did not start skips, except in CI
// (the environment variable CI set, as CI services and .ci/run set it):
// there the failure to start is a fatal failure of the test that made the
// server (a fixture's test does not run), so that the end-to-end tests
// cannot pass by running nothing.
//
// cPlayerSession runs the player binary in a game folder on that display and
// talks to it the way a user would: it finds windows by their title, focuses
// them and types keys (xdotool), takes screenshots (ImageMagick's import) and
// reads the figures the player writes to its stats file (PLAYER_STATS_FILE).
// Every wait has a deadline and polls its condition; nothing sleeps blindly.
//
// Extending: a test makes a game folder (MakeSampleGameFolder), starts a
// session in it, then uses WaitFor* and the key and screenshot helpers.

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// Texts in this harness are UTF-8 (window titles, key names); write them as
// u8 literals and pass them through Utf8.
inline std::string Utf8(const char8_t* psz) { return reinterpret_cast<const char*>(psz); }

// Window titles of the sample game.
inline const std::string kCreateDataCaption = Utf8(u8"デフォルトデータ作成の確認");
inline const std::string kSampleGameTitle = Utf8(u8"サンプルアドベンチャー");

class cXServer {
 public:
  cXServer();
  ~cXServer();
  cXServer(const cXServer&) = delete;
  cXServer& operator=(const cXServer&) = delete;

  bool IsRunning() const { return m_nDisplay >= 0; }
  std::string Display() const { return ":" + std::to_string(m_nDisplay); }
  // Runs a command line with DISPLAY set; its standard output, or "" when
  // it failed.
  bool Run(const std::string& strCommand, std::string* pOutput = nullptr) const;

 private:
  // Starts Xvfb and reads the display it took; why not, "" when it did.
  std::string Start();

  pid_t m_pid = -1;
  int m_nDisplay = -1;
};

// Polls cond every 20 ms until it holds or nTimeoutMs passed.
bool WaitUntil(const std::function<bool()>& cond, int nTimeoutMs);

// A fresh temporary folder holding the sample game as it ships (default\,
// System.ini, bmp\, wave\, bgm\); removed by RemoveFolder.
std::string MakeSampleGameFolder();
void RemoveFolder(const std::string& strFolder);

// What the player writes to its stats file.
struct PLAYERSTATS {
  uint32_t dwMs = 0;
  int nFrames = 0;
  int nShown = 0;
  int nScene = -1;
  int bActive = 0;
};

class cPlayerSession {
 public:
  // Starts the player in the folder on the server; extra environment
  // variables as "NAME=value" (replacing the harness's own, e.g.
  // PLAYER_STATS_FILE). A launcher is a command line that runs the rest of
  // its arguments (the player and its arguments), such as ReadOnlyLauncher.
  cPlayerSession(const cXServer& server, const std::string& strFolder,
                 std::vector<std::string> extraEnv = {}, std::vector<std::string> args = {},
                 std::vector<std::string> launcher = {});
  ~cPlayerSession();  // kills the player if it still runs
  cPlayerSession(const cPlayerSession&) = delete;
  cPlayerSession& operator=(const cPlayerSession&) = delete;

  // The visible windows with a class: their ids and titles.
  std::vector<std::pair<uint64_t, std::string>> VisibleWindows() const;
  // The id of a visible window with this title, 0 when none.
  uint64_t FindWindow(const std::string& strTitle) const;
  // The titles of the visible windows, for a failure message.
  std::string DescribeWindows() const;
  uint64_t WaitForWindow(const std::string& strTitle, int nTimeoutMs) const;
  // A first start in a fresh folder: answers the default-data question yes
  // and returns the game's window, 0 when either did not appear in time
  // (which one is written to stderr).
  uint64_t AnswerFirstStart(int nTimeoutMs) const;
  // Focuses the window and types the keys (xdotool key names, e.g. "Return",
  // "Escape", "Down", "z").
  bool SendKeys(uint64_t nWindow, const std::string& strKeys) const;
  // Holds each key for about 120 ms, long enough for frames that read the
  // keyboard's state (the scenes), then waits as long before the next.
  bool TapKeys(uint64_t nWindow, const std::vector<std::string>& keys) const;
  // Focuses the window and types UTF-8 text (xdotool type), characters that
  // no key of the keyboard map has included. No single quotes.
  bool TypeText(uint64_t nWindow, const std::string& strUtf8) const;
  // Holds one key down while the game runs nFrames frames (a held key moves
  // the hero), then lets it go.
  bool HoldKey(uint64_t nWindow, const std::string& strKey, int nFrames) const;
  // Waits until the game has run nFrames more frames.
  bool WaitForFrames(int nFrames, int nTimeoutMs) const;

  bool ReadStats(PLAYERSTATS& stats) const;
  bool WaitForScene(int nScene, int nTimeoutMs) const;

  // A 640 x 480 screenshot of the window as RGB bytes, empty on failure.
  std::vector<uint8_t> Screenshot(uint64_t nWindow) const;
  static uint32_t PixelAt(const std::vector<uint8_t>& rgb, int nWidth, int x, int y);

  // The processes the player has started (its children now).
  std::vector<pid_t> Children() const;
  // Sends the player a signal, as a second copy or the system would.
  bool Signal(int nSignal) const;
  // Whether the player still runs, and its exit status once it ended (-1
  // while running, 128 + signal when killed).
  bool IsRunning();
  bool WaitForExit(int nTimeoutMs);
  int ExitStatus() const { return m_nExitStatus; }
  // What the player wrote to stderr.
  std::string ErrorOutput() const;
  const std::string& Folder() const { return m_strFolder; }

 private:
  const cXServer& m_server;
  std::string m_strFolder;
  std::string m_strStats;
  std::string m_strStderr;
  pid_t m_pid = -1;
  int m_nExitStatus = -1;
};

// A launcher that runs the player with the folder on a read-only file system
// of its own (a private mount namespace of a user namespace); empty when this
// machine allows none.
std::vector<std::string> ReadOnlyLauncher(const std::string& strFolder);

// Reads a file of the folder (native path relative to it), "" when missing.
std::string ReadFolderFile(const std::string& strFolder, const std::string& strName);
