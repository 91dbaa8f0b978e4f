#pragma once
// The blend table of 8-bit surface displays: a 256 x 256 table of palette
// indices whose byte a * 256 + b stands for the half-and-half mix of colours
// a and b. It is read from a file for the palette in use, never computed.

#include <cstdint>

inline constexpr int kBlendTableSize = 65536;
extern uint8_t g_BlendTable[kBlendTableSize];

// Surface back end: reads up to 65,536 bytes of the file into the table (a
// shorter file leaves the rest as it was); false only when the file cannot
// be opened. The textured back end needs no table: true, nothing read.
bool DDLoadBlendTable(uint8_t* lpBlendTable, const char* szFileName);
