#pragma once
// The display lines of the report log, written once the display runs.

// "Mode : Window" or "Mode : Fullscreen" and "Bpp : %d". Both back ends are
// software devices here, so there is no video memory, refresh-rate or
// adapter report to add. 0 without a report log.
int ReportDisplayInfo(int nDetail);

// Total and free video memory in MB: always 0 and 0, since the drawing
// devices keep their surfaces in system memory.
void GetVideoMemoryMB(int* pnTotal, int* pnFree);
