#pragma once
// The records' global state: the data and file versions, CR stripping, the
// database's tables and the System record.

#include "records/database.h"
#include "records/record_file.h"
#include "records/system.h"
#include "testing/reset_guard.h"

inline void ResetRecordTestGlobals() {
  ResetRecordGlobals();
  ResetDatabaseGlobals();
  ResetSystemRecord();
}

using cRecordGlobalsGuard = cResetGuard<&ResetRecordTestGlobals>;
