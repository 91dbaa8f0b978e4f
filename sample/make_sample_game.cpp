// make_sample_game <folder>: writes the sample game into a game folder.
//
// The folder is made afresh: the game is written into a sibling folder that
// then takes the old one's place, so a failed run leaves the old game as it
// was. Only the user's files ("user_data\") move over from the old folder;
// "data\" (the working copy of "default\") and the logs do not, so the next
// start of the player makes "data\" from the new "default\" again.

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/base/file_system.h"
#include "app/base/report_log.h"
#include "sample/sample_game.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_sample_game <game folder>\n");
    return 2;
  }
  const fs::path target = fs::absolute(argv[1]);
  const fs::path staging = target.string() + ".new";
  const fs::path log = target.string() + ".log";
  std::error_code ec;
  fs::remove_all(staging, ec);
  fs::create_directories(staging, ec);
  if (ec) {
    std::fprintf(stderr, "make_sample_game: cannot make %s\n", staging.c_str());
    return 1;
  }
  OpenReportLog(ToStoredPath(log.string()).c_str());
  const fs::path previous = fs::current_path();
  fs::current_path(staging);
  const bool bOk = WriteSampleGame();
  fs::current_path(previous);
  CloseReportLog();
  if (!bOk) {
    std::fprintf(stderr, "make_sample_game: failed; see %s\n", log.c_str());
    return 1;
  }
  fs::remove(log, ec);

  if (fs::is_directory(target / "user_data"))
    fs::rename(target / "user_data", staging / "user_data", ec);
  fs::remove_all(target, ec);
  fs::rename(staging, target, ec);
  if (ec) {
    std::fprintf(stderr, "make_sample_game: cannot move %s to %s\n", staging.c_str(),
                 target.c_str());
    return 1;
  }
  return 0;
}
