#include "fuzz/fuzz_project.h"

#include "records/database.h"
#include "records/record.h"
#include "records/tests/table_files.h"
#include "stagedata/stage_globals.h"
#include "stagedata/tests/stage_generator.h"

void SetUpFuzzProject() {
  FillSampleDatabase(g_Database, 8);
  BuildDatabaseTables();
  ResetFuzzProjectStage();
}

void ResetFuzzProjectStage() {
  ResetRecordGlobals();
  ResetStageGlobals();
  GenerateCommonPalette(g_CommonPalette);
}
