#pragma once
// Key codes of the keyboard table. They are the Windows virtual-key numbers,
// because "user_data\KeyConfig.dat" stores keys by those numbers; the names
// are ours.

#include <cstdint>

namespace vkey {

inline constexpr int kCount = 256;  // size of the key table

inline constexpr int kBack = 8;
inline constexpr int kTab = 9;
inline constexpr int kReturn = 13;
inline constexpr int kShift = 16;
inline constexpr int kControl = 17;
inline constexpr int kAlt = 18;
inline constexpr int kPause = 19;
inline constexpr int kCapsLock = 20;
inline constexpr int kEscape = 27;
inline constexpr int kSpace = 32;
inline constexpr int kPageUp = 33;
inline constexpr int kPageDown = 34;
inline constexpr int kEnd = 35;
inline constexpr int kHome = 36;
inline constexpr int kLeft = 37;
inline constexpr int kUp = 38;
inline constexpr int kRight = 39;
inline constexpr int kDown = 40;
inline constexpr int kPrintScreen = 44;
inline constexpr int kInsert = 45;
inline constexpr int kDelete = 46;
inline constexpr int k0 = 48;  // '0'..'9' are 48..57
inline constexpr int kA = 65;  // 'A'..'Z' are 65..90
inline constexpr int kC = 67;
inline constexpr int kD = 68;
inline constexpr int kF = 70;
inline constexpr int kS = 83;
inline constexpr int kV = 86;
inline constexpr int kX = 88;
inline constexpr int kZ = 90;
inline constexpr int kLeftWin = 91;
inline constexpr int kRightWin = 92;
inline constexpr int kMenu = 93;
inline constexpr int kNumpad0 = 96;  // numeric keypad 0..9 are 96..105
inline constexpr int kMultiply = 106;
inline constexpr int kAdd = 107;
inline constexpr int kSubtract = 109;
inline constexpr int kDecimal = 110;
inline constexpr int kDivide = 111;
inline constexpr int kF1 = 112;  // F1..F24 are 112..135
inline constexpr int kNumLock = 144;
inline constexpr int kScrollLock = 145;
inline constexpr int kLeftShift = 160;
inline constexpr int kRightShift = 161;
inline constexpr int kLeftControl = 162;
inline constexpr int kRightControl = 163;
inline constexpr int kLeftAlt = 164;
inline constexpr int kRightAlt = 165;
inline constexpr int kSemicolon = 186;  // the punctuation keys of a US layout
inline constexpr int kEquals = 187;
inline constexpr int kComma = 188;
inline constexpr int kMinus = 189;
inline constexpr int kPeriod = 190;
inline constexpr int kSlash = 191;
inline constexpr int kGrave = 192;
inline constexpr int kLeftBracket = 219;
inline constexpr int kBackslash = 220;
inline constexpr int kRightBracket = 221;
inline constexpr int kApostrophe = 222;

}  // namespace vkey
