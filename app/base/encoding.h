#pragma once
// Conversion between the program's CP932 text and UTF-8, used only at the
// edges: fonts, window title, message boxes and file names.

#include <string>
#include <string_view>

// Bytes that cannot be converted become '?' (a lone lead byte, an unmapped
// code); the conversion never fails.
std::string Cp932ToUtf8(std::string_view cp932);
std::string Utf8ToCp932(std::string_view utf8);
