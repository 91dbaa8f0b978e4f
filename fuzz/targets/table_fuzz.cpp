// One database table file (FUZZ_TABLE: 0 AnimeSet .. 9 Bgm, in load order).
// The other nine hold their default rows, so every input is loaded by the
// whole start-up sequence: all ten tables, then the tables built from them.

#include "fuzz/fuzz_support.h"
#include "records/database.h"
#include "records/tests/table_files.h"

static_assert(FUZZ_TABLE >= 0 && FUZZ_TABLE < 10);

void FuzzTargetSetUp() {
  cDatabase defaults;
  std::string files[10];
  TableFilesOf(defaults, files);
  for (int i = 0; i < 10; ++i)
    WriteFuzzInput(kTablePaths[i], reinterpret_cast<const uint8_t*>(files[i].data()),
                   files[i].size());
}

void FuzzOneInput(const uint8_t* lpData, size_t nSize) {
  WriteFuzzInput(kTablePaths[FUZZ_TABLE], lpData, nSize);
  if (g_Database.LoadAll()) BuildDatabaseTables();
  ResetDatabaseGlobals();
  ResetRecordGlobals();
}
