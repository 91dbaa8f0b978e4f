#pragma once
// Start-up and shutdown of the game: from an empty main window to a running
// title menu (or straight into play when a stage is named), and back.

#include <functional>
#include <string>

#include "app/core/system_ini.h"
#include "records/system.h"

// The display that start-up hands to the drawing library.
struct DISPLAYMODE {
  int bWindowed = 1;
  int nBpp = 32;
  int bVSync = 0;
  int bResizable = 0;  // textured back end in a resizable window
};

// Decides window or full screen, depth and vertical sync from the settings
// (which take the chosen depth and sync back) and the project's depths.
// False with the error text when the combination cannot run.
bool ChooseDisplayMode(SYSTEMINIDATA& ini, const cSystem& system, int nDesktopBpp,
                       DISPLAYMODE& mode, std::string& strError);

// Runs on the main thread before any worker starts. The command line is the
// path of a stage to play at once (CP932, may be empty). False when the
// program must end; every failure the user should see has been shown, and
// every one has a report-log line and a line on stderr.
bool InitGame(const std::string& strCommandLine);
// Releases what start-up made, after every worker has stopped; tolerates a
// start-up that failed part-way. While a thread still runs (one let go by
// cThread::Exit) nothing is released: the process ends (EndProcessNow).
void UnInitGame();

// The stage-file loader: reads on the loader thread while the caller keeps
// the main thread's pump running (or, on a worker, waits). The wait ends
// early, with false, when the caller is asked to stop. RunStageLoad is the
// runner InstallStageLoadRunner installs (tests wrap it).
bool RunStageLoad(const std::function<void()>& read);
void InstallStageLoadRunner();

// The command line as the program takes it: the arguments joined with
// spaces, in CP932, quotes removed.
std::string CommandLineStage(int argc, char** argv);
