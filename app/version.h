#pragma once

// The data version this program reads and writes, as the version line of the
// report log shows it.
inline constexpr int kDataVersion = 695;
inline constexpr const char* kVersionText = "695";

// Writes the head of the report log: the version line and the machine report.
int WriteReportLogHead();
