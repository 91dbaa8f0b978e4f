#pragma once
// The 256 colours of the sample game, shared by every bitmap it draws.
//
// The layout follows what the program does with palette entries:
// - 0 is the transparent colour of the whole game (a colour no picture uses);
// - 16 fills the screens of the menu scenes;
// - 16 to 207 are twelve ramps of sixteen shades, dark to light, which the
//   8-bit palette choices of the options rearrange;
// - 208 to 239 are eight groups of four that rotate in 8-bit colour and give
//   the hit-box display its colours;
// - 240 frames the text windows, 241 is the text colour.

#include <cstdint>

#include "sample/canvas.h"

namespace pal {

inline constexpr uint8_t kKey = 0;
inline constexpr uint8_t kBlack = 1;
inline constexpr uint8_t kWhite = 2;
inline constexpr uint8_t kFrame = 240;
inline constexpr uint8_t kText = 241;
inline constexpr uint8_t kSceneFill = 16;

// Ramps: entry i (0 darkest .. 15 lightest) of each.
enum Ramp : uint8_t {
  kNight = 16,
  kGrey = 32,
  kRed = 48,
  kGreen = 64,
  kBlue = 80,
  kYellow = 96,
  kOrange = 112,
  kBrown = 128,
  kSkin = 144,
  kPurple = 160,
  kCyan = 176,
  kSky = 192,
};
constexpr uint8_t Shade(Ramp ramp, int i) { return static_cast<uint8_t>(ramp + i); }

}  // namespace pal

const SamplePalette& SampleGamePalette();
