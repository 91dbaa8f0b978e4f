#pragma once
// "System.ini": the display and debug switches of one installation.
//
// The key names and defaults come from the System record's option list
// (m_IniEntries, entries 0..9), not from the program. The file is 8-bit text
// of key=value lines; a line without "=" is a comment; the line "Exit" or a
// NUL byte ends it, and so does the end of the file. A value ends at a
// space, tab, "/", line end or NUL. Keys are compared case-sensitively.
// Unknown keys are ignored; a number that is not a whole decimal number (or
// does not fit an int) leaves the field at its default.

#include <cstdint>

#include "app/base/checked_containers.h"
#include "records/system.h"

struct SYSTEMINIDATA {
  int Direct3D = 0;    // 0 surface back end, 1 textured back end, 2+ ask at start-up
  int WindowMode = 0;  // 0 full screen, 1 window, 2 resizable window (textured only)
  int Bpp = 0;         // 8, 16 or 32; 0 chosen by start-up
  int VSync = 0;       // 0 off, 1 on, 2+ automatic
  int D3D_FontCache = 0;
  int DD_FontCache = 0;
  int DD_VideoStretch = 0;
  int ShowFps = 0;           // 0 none, 1 or 2 the frame-rate read-out
  int English = 0;           // English dialog titles
  char FreeStage[260] = {};  // a stage to play at once; empty: the title menu
};

extern SYSTEMINIDATA g_SystemIni;

// Fields 0..7 and FreeStage from entries 0..8 of the option list (a missing
// entry leaves its field at 0 or empty); English 0.
void SetSystemIniDefaults(SYSTEMINIDATA& ini, const cCheckedVector<cIniEntry>& entries);

// Reads the file over the settings. 1 when it was read to its end (the line
// "Exit", a NUL byte or the end of the file, or 10,000 keys); 0 when it
// cannot be opened or a key or value is longer than 2,047 bytes, in which
// case the caller applies the defaults again.
int ReadSystemIni(const char* pszFile, SYSTEMINIDATA& ini,
                  const cCheckedVector<cIniEntry>& entries);
