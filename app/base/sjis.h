#pragma once
// Shift-JIS (code page 932) text helpers. Text inside the program is CP932
// bytes; a double-byte character is a lead byte followed by a trail byte.

#include <cstddef>
#include <string>
#include <string_view>

inline constexpr bool IsLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
inline constexpr bool IsTrailByte(unsigned char c) {
  return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

// True when the text starts with a lead byte followed by a trail byte.
bool IsDoubleByte(const char* pszText);

// Characters of a NUL-terminated text: a double-byte pair counts 1, a line
// feed 0, every other byte 1. A lone lead byte at the end counts 1.
int CountChars(const char* pszText);

// Largest length <= nMaxBytes that does not split a double-byte character of
// text (scanned from its start).
size_t CharBoundaryAtOrBefore(std::string_view text, size_t nMaxBytes);

// Cuts str to at most nMaxBytes bytes without splitting a double-byte character.
void CutToCharBoundary(std::string& str, size_t nMaxBytes);

// Cuts the string at its first NUL byte and returns the new length.
int RecalcLength(std::string& str);

// Substring with clamped bounds: a negative start shortens the count, a start
// past the end or a count of 0 gives "", a count that runs past the end or is
// negative runs to the end.
std::string SubStringClamped(const std::string& strSource, int nStart, int nCount);
