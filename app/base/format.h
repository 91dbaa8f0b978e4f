#pragma once
// printf-style formatting into std::string.

#include <cstdarg>
#include <string>

#define PLAYER_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))

// Longest text FormatString produces (its buffer is 5,120 bytes with the NUL).
inline constexpr int kFormatStringMax = 5119;

// Formats into strOut, replacing its contents. Output longer than
// kFormatStringMax bytes is cut there, on a Shift-JIS character boundary.
void FormatString(std::string& strOut, const char* pszFormat, ...) PLAYER_PRINTF(2, 3);

// The va_list form, with an explicit limit in bytes (cut on a character
// boundary). A limit below 0 means no limit.
std::string FormatStringV(int nMaxBytes, const char* pszFormat, va_list args);

// Decimal digits of the value's magnitude: 1 for 0, at most 10.
int CountDigits(int nValue);
