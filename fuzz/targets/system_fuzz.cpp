// The System record, "data\System.dat", loaded as start-up loads it, then
// fitted to the database and asked what the title and menus ask of it.

#include "fuzz/fuzz_support.h"
#include "records/data_path.h"
#include "records/system.h"

void FuzzOneInput(const uint8_t* lpData, size_t nSize) {
  const std::string& strPath = g_DataPath[DATAPATH_SYSTEM];
  WriteFuzzInput(strPath, lpData, nSize);
  if (g_System.LoadFromFile(strPath)) {
    g_System.ClampBgmIndices();
    for (int nMode = 0; nMode < 3; ++nMode) g_System.CountRankingGenres(nMode);
  }
  ResetRecordGlobals();
  RemakeGlobal(g_System);
}
