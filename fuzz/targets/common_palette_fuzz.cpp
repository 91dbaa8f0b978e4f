// The common palette, "data\CommonPalette.cplt4", loaded as start-up loads
// it against the project's database.

#include "fuzz/fuzz_project.h"
#include "fuzz/fuzz_support.h"
#include "records/data_path.h"
#include "stagedata/stage_globals.h"

void FuzzTargetSetUp() { SetUpFuzzProject(); }

void FuzzOneInput(const uint8_t* lpData, size_t nSize) {
  const std::string& strPath = g_DataPath[DATAPATH_COMMON_PALETTE];
  WriteFuzzInput(strPath, lpData, nSize);
  ResetStageGlobals();
  LoadCommonPalette(strPath.c_str());
  ResetFuzzProjectStage();
}
