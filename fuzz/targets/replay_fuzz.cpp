// A replay file: the stage as it was at the attempt's start, the input
// streams and the play data, read as the replay menu loads them against the
// project's database and common palette, then played back.

#include "fuzz/fuzz_project.h"
#include "fuzz/fuzz_support.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/progress/replay.h"
#include "stagedata/stage_globals.h"

namespace {
// More frames than a test stage takes; a replay of hostile run lengths may
// hold billions.
constexpr int kMaxPlaybackFrames = 100000;
constexpr const char* kPath = "user_data\\rpl4\\fuzz.rpl4_695";
}  // namespace

void FuzzTargetSetUp() { SetUpFuzzProject(); }

void FuzzOneInput(const uint8_t* lpData, size_t nSize) {
  WriteFuzzInput(kPath, lpData, nSize);
  if (g_Replay.LoadReplayFile(kPath, &g_Stage, &g_StageStart, &g_PlayData)) {
    g_Replay.ResetCursors();
    int16_t words[2];
    for (int i = 0; i < kMaxPlaybackFrames && g_Replay.PlayFrame(words) == 0; ++i) {
    }
  }
  ResetFuzzProjectStage();
  RemakeGlobal(g_Replay);
  RemakeGlobal(g_PlayData);
}
