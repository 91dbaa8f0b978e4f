// The start-up choice, "user_data\Boot.dat", read as start-up reads it when
// System.ini asks for the choice. Without a display the dialog closes as
// stopped; a file that says not to ask chooses a back end, 0 or 1.

#include <cstdlib>

#include "app/core/system_ini.h"
#include "app/game_dialogs.h"
#include "fuzz/fuzz_support.h"
#include "records/record.h"

void FuzzTargetSetUp() { RegisterGameDialogTemplates(); }

void FuzzOneInput(const uint8_t* lpData, size_t nSize) {
  WriteFuzzInput("user_data\\Boot.dat", lpData, nSize);
  g_SystemIni.Direct3D = 2;
  if (RunStartupChoice() && g_SystemIni.Direct3D != 0 && g_SystemIni.Direct3D != 1) std::abort();
  ResetRecordGlobals();
  g_SystemIni = SYSTEMINIDATA();
  RemakeGlobal(g_BootRecord);
}
