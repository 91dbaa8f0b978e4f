// A stage file, loaded for play as a stage is entered: against the project's
// database and common palette, with the end-marker check, the hero check and
// the copy of its settings.

#include "fuzz/fuzz_project.h"
#include "fuzz/fuzz_support.h"
#include "stagedata/stage_file.h"
#include "stagedata/stage_globals.h"

namespace {
constexpr const char* kPath = "data\\stg4\\fuzz.stg4_695";
}  // namespace

void FuzzTargetSetUp() { SetUpFuzzProject(); }

void FuzzOneInput(const uint8_t* lpData, size_t nSize) {
  WriteFuzzInput(kPath, lpData, nSize);
  LoadStageForPlay(kPath, 0, &g_StageStart);
  ResetFuzzProjectStage();
}
