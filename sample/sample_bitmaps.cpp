// The bitmaps of the sample game, drawn cell by cell where the program looks
// for them: every sheet's layout (cell sizes, rows and the cells each scene
// reads) is the one the drawing code expects of that file.

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "sample/canvas.h"
#include "sample/sample_game.h"
#include "sample/sample_palette.h"

using namespace pal;

namespace {

constexpr uint8_t S(Ramp ramp, int i) { return Shade(ramp, i); }

// ---- Palette ----------------------------------------------------------------

SAMPLERGB Mix(SAMPLERGB a, SAMPLERGB b, int i, int n) {
  auto lerp = [&](uint8_t x, uint8_t y) {
    return static_cast<uint8_t>(x + (static_cast<int>(y) - x) * i / n);
  };
  return {lerp(a.r, b.r), lerp(a.g, b.g), lerp(a.b, b.b)};
}

SamplePalette MakePalette() {
  SamplePalette p{};
  p[kKey] = {255, 0, 255};
  const SAMPLERGB basic[15] = {
      {0, 0, 0},       {255, 255, 255}, {64, 64, 64},  {128, 128, 128}, {192, 192, 192},
      {220, 40, 40},   {40, 180, 60},   {40, 80, 220}, {250, 220, 40},  {60, 210, 230},
      {230, 110, 200}, {250, 140, 30},  {140, 90, 40}, {20, 100, 30},   {20, 30, 90},
  };
  for (int i = 0; i < 15; ++i) p[1 + i] = basic[i];
  // Ramps from dark through the pure colour (entry 9) to light.
  struct RampDef {
    Ramp first;
    SAMPLERGB dark, pure, light;
  };
  const RampDef ramps[] = {
      {kNight, {10, 14, 36}, {40, 60, 130}, {120, 150, 220}},
      {kGrey, {16, 16, 16}, {150, 150, 150}, {244, 244, 244}},
      {kRed, {50, 0, 0}, {225, 35, 35}, {255, 190, 180}},
      {kGreen, {0, 32, 4}, {50, 170, 60}, {200, 255, 180}},
      {kBlue, {0, 0, 50}, {45, 95, 230}, {190, 210, 255}},
      {kYellow, {70, 50, 0}, {250, 210, 30}, {255, 255, 200}},
      {kOrange, {70, 25, 0}, {250, 130, 20}, {255, 220, 170}},
      {kBrown, {30, 15, 5}, {150, 95, 45}, {230, 190, 140}},
      {kSkin, {110, 60, 35}, {240, 185, 145}, {255, 235, 215}},
      {kPurple, {30, 0, 50}, {160, 60, 210}, {235, 200, 255}},
      {kCyan, {0, 40, 50}, {30, 200, 220}, {200, 255, 255}},
      {kSky, {30, 60, 150}, {100, 160, 240}, {215, 235, 255}},
  };
  for (const RampDef& r : ramps)
    for (int i = 0; i < 16; ++i)
      p[r.first + i] = i <= 9 ? Mix(r.dark, r.pure, i, 9) : Mix(r.pure, r.light, i - 9, 6);
  // Eight rotating groups of four: a hue from dim to bright.
  const SAMPLERGB hues[8] = {{255, 40, 40},  {255, 230, 40}, {40, 230, 60},   {40, 230, 230},
                             {60, 100, 255}, {230, 60, 230}, {240, 240, 240}, {255, 140, 20}};
  for (int g = 0; g < 8; ++g)
    for (int k = 0; k < 4; ++k) p[208 + 4 * g + k] = Mix({0, 0, 0}, hues[g], 6 + 3 * k, 15);
  p[kFrame] = {225, 232, 255};
  p[kText] = {255, 255, 255};
  for (int i = 242; i < 256; ++i) p[i] = Mix({0, 0, 0}, {255, 255, 255}, i - 242, 13);
  return p;
}

// ---- Helpers ----------------------------------------------------------------

// Key pixels of the box next to a drawn pixel become the outline colour.
void Outline(cCanvas& c, int x, int y, int w, int h, uint8_t col) {
  const cCanvas before = c;
  auto drawn = [&](int px, int py) {
    if (px < x || py < y || px >= x + w || py >= y + h) return false;
    const uint8_t v = before.At(px, py);
    return v != kKey && v != col;
  };
  for (int py = y; py < y + h; ++py)
    for (int px = x; px < x + w; ++px)
      if (before.At(px, py) == kKey &&
          (drawn(px - 1, py) || drawn(px + 1, py) || drawn(px, py - 1) || drawn(px, py + 1)))
        c.Set(px, py, col);
}

void BlitScaled(cCanvas& dst, const cCanvas& src, int sx, int sy, int w, int h, int x, int y,
                int nScale) {
  for (int yy = 0; yy < h; ++yy)
    for (int xx = 0; xx < w; ++xx) {
      const uint8_t v = src.At(sx + xx, sy + yy);
      if (v != kKey) dst.Fill(x + xx * nScale, y + yy * nScale, nScale, nScale, v);
    }
}

// A deterministic scatter of dots (speckles on dirt and stone).
void Speckle(cCanvas& c, int x, int y, int w, int h, uint8_t col, uint32_t nSeed, int nEvery) {
  uint32_t s = nSeed;
  for (int py = y; py < y + h; ++py)
    for (int px = x; px < x + w; ++px) {
      s = s * 214013u + 2531011u;
      if (((s >> 16) & 0x7FFF) % nEvery == 0) c.Set(px, py, col);
    }
}

void Star(cCanvas& c, int cx, int cy, int r, uint8_t col) {
  c.Triangle(cx, cy - r, cx - r * 7 / 8, cy + r / 2, cx + r * 7 / 8, cy + r / 2, col);
  c.Triangle(cx, cy + r, cx - r * 7 / 8, cy - r / 2, cx + r * 7 / 8, cy - r / 2, col);
}

void Heart(cCanvas& c, int x, int y, int s, uint8_t col) {
  // A heart in an s x s box.
  const int r = s / 4;
  c.Disc(x + r, y + r, r, col);
  c.Disc(x + s - 1 - r, y + r, r, col);
  c.Triangle(x - 1 + s / 16, y + r + 1, x + s - s / 16, y + r + 1, x + s / 2, y + s - 1, col);
}

// ---- Characters ---------------------------------------------------------------

// The hero facing left (sheets are drawn facing left) at (ox, oy); frame 0
// stands, 1 to 3 walk.
void DrawHero(cCanvas& c, int ox, int oy, int nFrame) {
  static constexpr int kStride[4] = {0, -3, 0, 3};
  const int d = kStride[nFrame & 3];
  const int bob = (nFrame & 1) ? 1 : 0;
  const int top = oy + bob;
  // Legs and boots.
  c.Fill(ox + 11 + d, top + 24, 4, 5, S(kBlue, 4));
  c.Fill(ox + 17 - d, top + 24, 4, 5, S(kBlue, 3));
  c.Fill(ox + 9 + d, top + 28 - bob, 6, 3, S(kBrown, 4));
  c.Fill(ox + 16 - d, top + 28 - bob, 6, 3, S(kBrown, 3));
  // Back arm, body, belt, front arm.
  c.Fill(ox + 20, top + 16, 3, 6, S(kSkin, 8));
  c.Fill(ox + 10, top + 15, 12, 10, S(kBlue, 10));
  c.Fill(ox + 10, top + 15, 12, 2, S(kBlue, 12));
  c.Fill(ox + 10, top + 21, 12, 2, S(kBrown, 6));
  c.Set(ox + 15, top + 21, S(kYellow, 13));
  c.Fill(ox + 8 - d / 2, top + 16, 3, 7, S(kSkin, 11));
  // Head, hair and face.
  c.Ellipse(ox + 9, top + 2, 14, 14, S(kSkin, 12));
  c.Ellipse(ox + 10, top + 1, 14, 7, S(kBrown, 7));
  c.Fill(ox + 18, top + 3, 5, 8, S(kBrown, 7));
  c.Fill(ox + 11, top + 8, 2, 3, kBlack);
  c.Set(ox + 10, top + 12, S(kRed, 9));
  // A red scarf.
  c.Fill(ox + 12, top + 14, 9, 2, S(kRed, 9));
  c.Fill(ox + 21, top + 14, 3, 3, S(kRed, 8));
  Outline(c, ox, oy, 32, 32, S(kNight, 0));
}

// The slime enemy facing left; frame 0 rests, 1 squashes, 2 stretches.
void DrawSlime(cCanvas& c, int ox, int oy, int nFrame) {
  static constexpr int kBox[3][4] = {{3, 13, 26, 18}, {1, 16, 30, 15}, {5, 9, 22, 22}};
  const int* b = kBox[nFrame % 3];
  c.Ellipse(ox + b[0], oy + b[1], b[2], b[3] + 4, S(kGreen, 8));
  c.Fill(ox, oy + 31, 32, 1, kKey);  // flat underside
  c.Ellipse(ox + b[0] + 3, oy + b[1] + 2, b[2] / 2, b[3] / 3, S(kGreen, 12));
  c.Set(ox + b[0] + 6, oy + b[1] + 4, S(kGreen, 15));
  const int ey = oy + b[1] + b[3] / 3 + 1;
  c.Fill(ox + b[0] + 4, ey, 4, 5, kWhite);
  c.Fill(ox + b[0] + 11, ey, 4, 5, kWhite);
  c.Fill(ox + b[0] + 4, ey + 2, 2, 3, kBlack);
  c.Fill(ox + b[0] + 11, ey + 2, 2, 3, kBlack);
  Outline(c, ox, oy, 32, 32, S(kGreen, 1));
}

// The lift: a plank of wood with iron bands on a steel frame, a whole cell.
// A wooden sign on a post.
void DrawSign(cCanvas& c, int ox, int oy) {
  c.Fill(ox + 14, oy + 16, 4, 16, S(kBrown, 5));
  c.Fill(ox + 3, oy + 3, 26, 15, S(kBrown, 10));
  c.Frame(ox + 3, oy + 3, 26, 15, S(kBrown, 4));
  for (int i = 0; i < 3; ++i) c.Fill(ox + 7, oy + 7 + 4 * i, 18 - 4 * i, 1, S(kBrown, 3));
}

void DrawLift(cCanvas& c, int ox, int oy) {
  c.Fill(ox, oy, 32, 32, S(kGrey, 6));
  c.Frame(ox, oy, 32, 32, S(kGrey, 2));
  c.Fill(ox + 1, oy + 1, 30, 10, S(kBrown, 9));
  c.Fill(ox + 1, oy + 1, 30, 2, S(kBrown, 12));
  for (const int bx : {6, 24}) c.Fill(ox + bx, oy + 1, 2, 10, S(kGrey, 10));
  for (int i = 0; i < 4; ++i) c.Fill(ox + 4 + 7 * i, oy + 15, 3, 13, S(kGrey, 3));
  c.Fill(ox + 1, oy + 29, 30, 2, S(kGrey, 4));
}

// The goal block: a golden block with the word GOAL.
void DrawGoalBlock(cCanvas& c, int ox, int oy) {
  c.Fill(ox, oy, 32, 32, S(kYellow, 10));
  c.Frame(ox, oy, 32, 32, S(kOrange, 4));
  c.Fill(ox + 1, oy + 1, 30, 2, S(kYellow, 14));
  c.Fill(ox + 1, oy + 1, 2, 30, S(kYellow, 14));
  c.Fill(ox + 2, oy + 29, 29, 2, S(kOrange, 7));
  c.Fill(ox + 29, oy + 2, 2, 29, S(kOrange, 7));
  Star(c, ox + 16, oy + 11, 7, S(kOrange, 10));
  c.Text(ox + 5, oy + 20, "GOAL", S(kRed, 4));
}

// Lighter copy of a cell (an invincible character's look).
void Lighten(cCanvas& c, int x, int y) {
  for (int py = y; py < y + 32; ++py)
    for (int px = x; px < x + 32; ++px) {
      const uint8_t v = c.At(px, py);
      if (v >= kNight && v < 208 && (v & 15) < 13) c.Set(px, py, static_cast<uint8_t>(v + 3));
    }
}

cCanvas DrawCharacterSheet() {
  cCanvas c(640, 480);
  // Row 1: the hero; cells 0 stand, 1 to 3 walk; 4 to 7 the same lighter
  // (the anime set's invincible offset is 4).
  for (int f = 0; f < 4; ++f) {
    DrawHero(c, 32 * f, 32, f);
    c.Blit(c, 32 * f, 32, 32, 32, 32 * (4 + f), 32);
    Lighten(c, 32 * (4 + f), 32);
  }
  // Row 2: the slime; cells 0 rest, 1 and 2 move, 4 to 6 lighter.
  for (int f = 0; f < 3; ++f) {
    DrawSlime(c, 32 * f, 64, f);
    c.Blit(c, 32 * f, 64, 32, 32, 32 * (4 + f), 64);
    Lighten(c, 32 * (4 + f), 64);
  }
  // Row 3: the lift, the same in every cell; row 4 the sign.
  for (int f = 0; f < 8; ++f) DrawLift(c, 32 * f, 96);
  for (int f = 0; f < 8; ++f) DrawSign(c, 32 * f, 128);
  return c;
}

// ---- Blocks, items, shots and marks ------------------------------------------

cCanvas DrawBlocks() {
  // 15 cells of 32 pixels per column; cell n at ((n / 15) x 32, (n mod 15) x 32).
  cCanvas c(160, 480);
  auto cell = [](int n, int& x, int& y) {
    x = (n / 15) * 32;
    y = (n % 15) * 32;
  };
  int x, y;
  // 1: grass on earth.
  cell(1, x, y);
  c.Fill(x, y, 32, 32, S(kBrown, 6));
  Speckle(c, x, y + 8, 32, 24, S(kBrown, 4), 11, 9);
  Speckle(c, x, y + 8, 32, 24, S(kBrown, 9), 12, 13);
  c.Fill(x, y, 32, 7, S(kGreen, 9));
  c.Fill(x, y, 32, 2, S(kGreen, 12));
  for (int i = 0; i < 32; i += 4) c.Fill(x + i + 1, y + 7, 2, 2 + (i / 4) % 2, S(kGreen, 7));
  // 2: earth.
  cell(2, x, y);
  c.Fill(x, y, 32, 32, S(kBrown, 6));
  Speckle(c, x, y, 32, 32, S(kBrown, 4), 21, 9);
  Speckle(c, x, y, 32, 32, S(kBrown, 9), 22, 13);
  // 3: bricks.
  cell(3, x, y);
  c.Fill(x, y, 32, 32, S(kGrey, 9));
  for (int row = 0; row < 4; ++row)
    for (int col = -1; col < 2; ++col) {
      const int bx = x + col * 16 + (row % 2) * 8, by = y + row * 8;
      c.Fill(std::max(bx + 1, x), by + 1, std::min(bx + 16, x + 32) - std::max(bx + 1, x), 6,
             S(kRed, 6));
      c.Fill(std::max(bx + 1, x), by + 1, std::min(bx + 16, x + 32) - std::max(bx + 1, x), 1,
             S(kRed, 9));
    }
  // 4: stone platform.
  cell(4, x, y);
  c.Fill(x, y, 32, 32, S(kGrey, 8));
  c.Fill(x, y, 32, 2, S(kGrey, 12));
  c.Fill(x, y, 2, 32, S(kGrey, 11));
  c.Fill(x, y + 30, 32, 2, S(kGrey, 4));
  c.Fill(x + 30, y, 2, 32, S(kGrey, 5));
  Speckle(c, x + 3, y + 3, 26, 26, S(kGrey, 6), 41, 17);
  // 5: spikes (deadly).
  cell(5, x, y);
  c.Fill(x, y + 26, 32, 6, S(kGrey, 5));
  for (int i = 0; i < 4; ++i) {
    c.Triangle(x + 8 * i, y + 26, x + 8 * i + 7, y + 26, x + 8 * i + 3, y + 8, S(kGrey, 11));
    c.Line(x + 8 * i + 3, y + 9, x + 8 * i + 3, y + 25, S(kGrey, 14));
  }
  // 6: wooden planks.
  cell(6, x, y);
  c.Fill(x, y, 32, 32, S(kBrown, 10));
  for (int i = 0; i < 4; ++i) c.Fill(x, y + 8 * i + 7, 32, 1, S(kBrown, 5));
  for (int i = 0; i < 4; ++i) c.Fill(x + ((i * 11) % 29), y + 8 * i + 1, 1, 6, S(kBrown, 6));
  // 7: steel wall.
  cell(7, x, y);
  c.Fill(x, y, 32, 32, S(kBlue, 7));
  c.Frame(x, y, 32, 32, S(kBlue, 3));
  c.Fill(x + 1, y + 1, 30, 1, S(kBlue, 11));
  for (int i : {5, 26}) {
    c.Disc(x + i, y + 5, 1, S(kBlue, 13));
    c.Disc(x + i, y + 26, 1, S(kBlue, 13));
  }
  // 8: a question block.
  cell(8, x, y);
  c.Fill(x, y, 32, 32, S(kOrange, 9));
  c.Frame(x, y, 32, 32, S(kOrange, 3));
  c.Text(x + 9, y + 6, "?", kWhite, 3);
  // 9: the goal block.
  cell(9, x, y);
  DrawGoalBlock(c, x, y);
  return c;
}

// Items: cell n of the item sheet is 64 x 32 at ((n / 15) x 64, (n mod 15) x
// 32), two frames of 32 side by side; the small sheet has 16 x 16 frames at
// ((n / 15) x 32 + 16 f, (n mod 15) x 16).
void DrawCoin(cCanvas& c, int x, int y, int s, int f) {
  const int w = f ? s / 3 : s * 5 / 8;
  c.Ellipse(x + (s - w) / 2, y + s / 8, w, s * 3 / 4, S(kYellow, 11));
  if (!f) c.Ellipse(x + (s - w) / 2 + s / 8, y + s / 4, w - s / 4, s / 2, S(kYellow, 8));
  Outline(c, x, y, s, s, S(kOrange, 3));
}

void DrawGoalFlag(cCanvas& c, int x, int y, int s, int f) {
  c.Fill(x + s / 4, y + s / 16, std::max(s / 16, 1), s * 7 / 8, S(kGrey, 12));
  const int fy = y + s / 8 + (f ? 1 : 0);
  c.Triangle(x + s / 4 + 1, fy, x + s / 4 + 1, fy + s * 3 / 8, x + s * 7 / 8, fy + s * 3 / 16 + f,
             S(kRed, 9));
  c.Fill(x + s / 8, y + s * 7 / 8, s / 3, std::max(s / 16, 1), S(kGrey, 8));
  Outline(c, x, y, s, s, S(kNight, 0));
}

// The item sheet and its small copy.
std::pair<cCanvas, cCanvas> DrawItems() {
  cCanvas big(128, 480);
  cCanvas mini(64, 240);
  for (int f = 0; f < 2; ++f) {
    DrawCoin(big, 32 * f, 32, 32, f);
    Heart(big, 32 * f + 6 - f, 64 + 6 - f, 20 + 2 * f, S(kRed, 9));
    big.Set(32 * f + 11, 64 + 11, S(kRed, 14));
    Outline(big, 32 * f, 64, 32, 32, S(kRed, 2));
    DrawGoalFlag(big, 32 * f, 96, 32, f);

    DrawCoin(mini, 16 * f, 16, 16, f);
    Heart(mini, 16 * f + 2, 32 + 3, 12, S(kRed, 9));
    Outline(mini, 16 * f, 32, 16, 16, S(kRed, 2));
    DrawGoalFlag(mini, 16 * f, 48, 16, f);
  }
  return {big, mini};
}

cCanvas DrawShots() {
  // 16 x 16 cells, eight to a row, 30 rows; shot graphic g takes the two
  // cells at (32 (g / 30), 16 (g mod 30)) and the one right of it.
  cCanvas c(128, 480);
  // Graphic 1: the hero's spark.
  c.Disc(7, 23, 5, S(kOrange, 11));
  c.Disc(7, 23, 3, S(kYellow, 14));
  c.Disc(16 + 7, 23, 6, S(kYellow, 12));
  c.Disc(16 + 7, 23, 3, kWhite);
  // Graphic 2: an enemy pellet.
  c.Disc(7, 39, 4, S(kPurple, 10));
  c.Disc(16 + 7, 39, 5, S(kPurple, 12));
  Outline(c, 0, 16, 32, 32, S(kNight, 0));
  return c;
}

cCanvas DrawMarks() {
  // 32-pixel icons, 15 to a column: icon n at ((n / 15) x 32, (n mod 15) x 32).
  cCanvas c(256, 480);
  auto bubble = [&](int n, const char* psz, uint8_t col) {
    const int x = (n / 15) * 32, y = (n % 15) * 32;
    c.Ellipse(x + 6, y + 2, 20, 20, kWhite);
    c.Triangle(x + 12, y + 19, x + 20, y + 19, x + 16, y + 26, kWhite);
    c.Text(x + 11, y + 5, psz, col, 2);
    Outline(c, x, y, 32, 32, S(kNight, 0));
  };
  bubble(1, "!", S(kRed, 8));
  bubble(2, "?", S(kBlue, 8));
  Heart(c, 8, 3 * 32 + 8, 16, S(kRed, 9));
  Star(c, 16, 4 * 32 + 16, 10, S(kYellow, 12));
  return c;
}

// ---- Front end -------------------------------------------------------------------

cCanvas DrawPaletteBitmap() {
  // Its colour table is the game's palette. Displays without a hardware
  // palette read the colours from its pixels instead: a 16 x 16 grid of
  // one-pixel cells from row 8 down, entry k at (k mod 16, 8 + k / 16). The
  // top-left pixel (index 0) gives the transparent colour.
  cCanvas c(16, 24);
  for (int i = 0; i < 256; ++i) c.Set(i % 16, 8 + i / 16, static_cast<uint8_t>(i));
  return c;
}

cCanvas DrawDebugFont() {
  // 8 x 16 cells, 16 to a row: byte b of 0x20 .. 0x7F in row b / 16.
  cCanvas c(128, 160);
  for (int b = 0x20; b < 0x7F; ++b) {
    const int x = (b % 16) * 8, y = (b / 16) * 16;
    c.Text(x + 2, y + 5, std::string(1, static_cast<char>(b)), kBlack);
    c.Text(x + 1, y + 4, std::string(1, static_cast<char>(b)), kWhite);
  }
  return c;
}

cCanvas DrawSymbols() {
  // The lower-case letters a to z in 16 x 16 cells, for a font that takes
  // them from a picture.
  cCanvas c(416, 16);
  for (int k = 0; k < 26; ++k)
    c.ShadowText(16 * k + 2, 1, std::string(1, static_cast<char>('a' + k)), kWhite, kBlack, 2);
  return c;
}

cCanvas DrawWindow() {
  // The background of every text window: its top-left corner is used.
  cCanvas c(640, 480, S(kNight, 3));
  c.VerticalRamp(0, 0, 640, 240, 22, 19);
  return c;
}

cCanvas DrawTitle(const cCanvas& chars, const cCanvas& blocks) {
  cCanvas c(640, 480);
  c.VerticalRamp(0, 0, 640, 360, Shade(kSky, 2), Shade(kSky, 14));
  // Clouds and hills. The title menu's window opens at (192, 240) below the
  // title: the clouds stay above it, and the hero and the slime beside it.
  for (int i = 0; i < 4; ++i) {
    const int cx = 80 + 160 * i + (i % 2) * 40, cy = 204 + (i % 2) * 24;
    c.Ellipse(cx - 40, cy - 12, 80, 24, S(kGrey, 15));
    c.Ellipse(cx - 20, cy - 24, 44, 30, S(kGrey, 15));
  }
  c.Ellipse(-120, 300, 420, 200, S(kGreen, 6));
  c.Ellipse(280, 290, 480, 220, S(kGreen, 5));
  c.Ellipse(120, 320, 360, 160, S(kGreen, 8));
  // Ground of grass blocks.
  for (int x = 0; x < 640; x += 32) {
    c.Blit(blocks, 0, 32, 32, 32, x, 416, false);
    c.Blit(blocks, 0, 64, 32, 32, x, 448, false);
  }
  // The title.
  const char* pszTop = "SAMPLE";
  const char* pszBottom = "ADVENTURE";
  c.ShadowText(320 - cCanvas::TextWidth(pszTop, 9) / 2, 36, pszTop, S(kYellow, 13), S(kOrange, 2),
               9);
  c.ShadowText(320 - cCanvas::TextWidth(pszBottom, 6) / 2, 118, pszBottom, kWhite, S(kNight, 2), 6);
  // The hero (turned to the right) and a slime, three times their size.
  cCanvas hero(32, 32);
  hero.BlitMirrored(chars, 0, 32, 32, 32, 0, 0);
  BlitScaled(c, hero, 0, 0, 32, 32, 48, 320, 3);
  BlitScaled(c, chars, 0, 64, 32, 32, 496, 320, 3);
  return c;
}

cCanvas DrawGameMode() {
  // The picture menu: one 32-pixel strip per title menu item.
  static const char* const kItems[7] = {"NEW GAME", "CONTINUE", "CHALLENGE", "FREE PLAY",
                                        "REPLAY",   "OPTIONS",  "QUIT"};
  cCanvas c(192, 224);
  for (int i = 0; i < 7; ++i) c.ShadowText(4, 32 * i + 9, kItems[i], kWhite, S(kNight, 1), 2);
  return c;
}

void DrawMapHero(cCanvas& c, int x, int y, int nFacing, int nStep, const cCanvas& chars) {
  // Facing 0 down, 1 up, 2 left, 3 right; two steps each.
  if (nFacing >= 2) {
    cCanvas cell(32, 32);
    cell.Blit(chars, 32 * (nStep ? 3 : 1), 32, 32, 32, 0, 0);
    if (nFacing == 3)
      c.BlitMirrored(cell, 0, 0, 32, 32, x, y);
    else
      c.Blit(cell, 0, 0, 32, 32, x, y);
    return;
  }
  const int d = nStep ? 2 : -2;
  c.Fill(x + 11, y + 24, 4, 6 + d / 2, S(kBlue, 4));
  c.Fill(x + 17, y + 24, 4, 6 - d / 2, S(kBlue, 4));
  c.Fill(x + 9, y + 15, 14, 10, S(kBlue, 10));
  c.Fill(x + 6, y + 16 + d / 2, 3, 7, S(kSkin, 11));
  c.Fill(x + 23, y + 16 - d / 2, 3, 7, S(kSkin, 11));
  c.Ellipse(x + 9, y + 2, 14, 14, S(kSkin, 12));
  if (nFacing == 0) {
    c.Ellipse(x + 9, y + 1, 14, 7, S(kBrown, 7));
    c.Fill(x + 12, y + 8, 2, 3, kBlack);
    c.Fill(x + 18, y + 8, 2, 3, kBlack);
    c.Fill(x + 11, y + 14, 10, 2, S(kRed, 9));
  } else {
    c.Ellipse(x + 9, y + 1, 14, 13, S(kBrown, 7));
    c.Fill(x + 11, y + 14, 10, 2, S(kRed, 9));
  }
  Outline(c, x, y, 32, 32, S(kNight, 0));
}

cCanvas DrawAccessory(const cCanvas& chars) {
  cCanvas c(128, 224);
  // (0, 0) 32 x 32: the large cursor.
  c.Triangle(6, 5, 6, 27, 26, 16, S(kYellow, 13));
  c.Triangle(9, 10, 9, 22, 19, 16, S(kYellow, 15));
  Outline(c, 0, 0, 32, 32, S(kOrange, 2));
  // (64, 0) 16 x 16: the small cursor; (80, 0): the chosen-row flag.
  c.Triangle(66, 2, 66, 13, 76, 7, S(kYellow, 13));
  Outline(c, 64, 0, 16, 16, S(kOrange, 2));
  c.Fill(82, 2, 2, 12, S(kGrey, 12));
  c.Triangle(84, 2, 84, 9, 93, 5, S(kRed, 9));
  // (96, 0) 32 x 32: the cleared sign.
  c.Disc(112, 16, 13, S(kGreen, 9));
  c.Disc(112, 16, 10, S(kGreen, 12));
  for (int t = 0; t < 3; ++t) {
    c.Line(104, 15 + t, 110, 21 + t, kWhite);
    c.Line(110, 21 + t, 121, 9 + t, kWhite);
  }
  Outline(c, 96, 0, 32, 32, S(kGreen, 1));
  // Row 32, 16 x 16 icons: total score, stage score, HP, SP, lives.
  Star(c, 8, 40, 7, S(kYellow, 12));
  Outline(c, 0, 32, 16, 16, S(kOrange, 2));
  DrawCoin(c, 16, 32, 16, 0);
  Heart(c, 34, 34, 12, S(kRed, 9));
  Outline(c, 32, 32, 16, 16, S(kRed, 2));
  c.Triangle(56, 34, 50, 45, 62, 45, S(kBlue, 11));
  c.Disc(56, 42, 3, S(kCyan, 12));
  Outline(c, 48, 32, 16, 16, S(kBlue, 2));
  auto face = [&](int x, int y) {
    c.Ellipse(x + 2, y + 2, 12, 12, S(kSkin, 12));
    c.Ellipse(x + 2, y + 1, 12, 6, S(kBrown, 7));
    c.Fill(x + 5, y + 7, 2, 2, kBlack);
    c.Fill(x + 9, y + 7, 2, 2, kBlack);
    Outline(c, x, y, 16, 16, S(kNight, 0));
  };
  face(64, 32);
  // Row 48: the lives icon and the ranking icon.
  face(0, 48);
  c.Fill(18, 56, 12, 6, S(kYellow, 12));
  c.Triangle(18, 56, 18, 50, 22, 56, S(kYellow, 12));
  c.Triangle(21, 56, 24, 50, 27, 56, S(kYellow, 12));
  c.Triangle(26, 56, 30, 50, 30, 56, S(kYellow, 12));
  Outline(c, 16, 48, 16, 16, S(kOrange, 2));
  // Rows 64 to 127: the hero on the world map, two steps per facing:
  // down (0, 64), up (64, 64), left (64, 96), right (0, 96).
  for (int step = 0; step < 2; ++step) {
    DrawMapHero(c, 32 * step, 64, 0, step, chars);
    DrawMapHero(c, 64 + 32 * step, 64, 1, step, chars);
    DrawMapHero(c, 64 + 32 * step, 96, 2, step, chars);
    DrawMapHero(c, 32 * step, 96, 3, step, chars);
  }
  // Rows 128 to 175: the status bar's gauges, HP at x 0 and SP at x 64:
  // frame (row 128), normal fill (row 144), warning fill (row 160).
  for (int x : {0, 64}) {
    c.Fill(x, 131, 50, 10, S(kNight, 1));
    c.Frame(x, 131, 50, 10, kWhite);
    c.Fill(x + 1, 148, 48, 8, x == 0 ? S(kGreen, 10) : S(kBlue, 11));
    c.Fill(x + 1, 148, 48, 2, x == 0 ? S(kGreen, 13) : S(kBlue, 14));
    c.Fill(x + 1, 164, 48, 8, S(kRed, 9));
    c.Fill(x + 1, 164, 48, 2, S(kRed, 13));
  }
  // Rows 208 to 217: the small gauges over characters, 2 pixels a strip:
  // empty, value, low value, loss, gain.
  for (int x : {0, 64}) {
    c.Fill(x, 208, 50, 2, S(kNight, 1));
    c.Fill(x, 210, 50, 2, x == 0 ? S(kGreen, 11) : S(kBlue, 12));
    c.Fill(x, 212, 50, 2, S(kRed, 10));
    c.Fill(x, 214, 50, 2, S(kRed, 5));
    c.Fill(x, 216, 50, 2, kWhite);
  }
  return c;
}

cCanvas DrawStatusWindow() {
  // The 640 x 20 bar behind the status display.
  cCanvas c(640, 20, S(kNight, 2));
  c.Fill(0, 0, 640, 1, S(kNight, 6));
  c.Fill(0, 19, 640, 1, S(kNight, 8));
  return c;
}

void Digits(cCanvas& c, int x, int y, int nCell, int nScale, uint8_t col, uint8_t shadow) {
  for (int d = 0; d < 10; ++d) {
    const std::string s(1, static_cast<char>('0' + d));
    const int gx = x + d * nCell + (nCell - 5 * nScale) / 2;
    const int gy = y + (nCell - 7 * nScale) / 2;
    c.ShadowText(gx, gy, s, col, shadow, nScale);
  }
}

// The word sheet and the sheet of small digits.
std::pair<cCanvas, cCanvas> DrawWords() {
  // Banners: STAGE (0, 0) 128 x 32, START (160, 0) 80 x 32, REPLAY (0, 32),
  // CLEAR (0, 64) 128 x 32, GAME OVER (0, 96) 144 x 32; digits of 32 x 32
  // in row 128 (stage numbers) and row 160 (time).
  cCanvas c(320, 192);
  auto word = [&](int x, int y, int w, const char* psz, uint8_t col) {
    const int nWidth = static_cast<int>(std::string(psz).size()) * 16;
    const int tx = x + (w - nWidth) / 2;
    for (size_t i = 0; psz[i] != '\0'; ++i)
      c.ShadowText(tx + 16 * static_cast<int>(i), y + 5, std::string(1, psz[i]), col, S(kNight, 0),
                   3);
  };
  word(0, 0, 128, "STAGE", S(kYellow, 13));
  word(160, 0, 80, "START", S(kYellow, 13));
  word(0, 32, 128, "REPLAY", S(kCyan, 12));
  word(0, 64, 128, "CLEAR!", S(kYellow, 14));
  word(0, 96, 144, "GAME OVER", S(kRed, 10));
  Digits(c, 0, 128, 32, 3, S(kYellow, 13), S(kNight, 0));
  Digits(c, 0, 160, 32, 3, kWhite, S(kNight, 0));
  cCanvas n(160, 16);
  Digits(n, 0, 0, 16, 2, kWhite, S(kNight, 0));
  return {c, n};
}

// ---- World map ------------------------------------------------------------------

cCanvas DrawWorldChips() {
  // Ten 32 x 32 chips, five to a row: chip n at ((n mod 5) x 32, (n / 5) x 32).
  cCanvas c(160, 64);
  auto at = [](int n, int& x, int& y) {
    x = (n % 5) * 32;
    y = (n / 5) * 32;
  };
  int x, y;
  at(0, x, y);  // water
  c.Fill(x, y, 32, 32, S(kBlue, 8));
  for (int i = 0; i < 4; ++i) {
    c.Fill(x + 4 + (i % 2) * 12, y + 5 + 8 * i, 8, 1, S(kBlue, 12));
  }
  at(1, x, y);  // forest
  c.Fill(x, y, 32, 32, S(kGreen, 8));
  c.Disc(x + 10, y + 11, 8, S(kGreen, 4));
  c.Disc(x + 22, y + 19, 8, S(kGreen, 5));
  c.Fill(x + 9, y + 19, 3, 5, S(kBrown, 4));
  c.Fill(x + 21, y + 27, 3, 4, S(kBrown, 4));
  at(2, x, y);  // mountain
  c.Fill(x, y, 32, 32, S(kGreen, 8));
  c.Triangle(x + 1, y + 30, x + 30, y + 30, x + 16, y + 3, S(kBrown, 7));
  c.Triangle(x + 11, y + 12, x + 21, y + 12, x + 16, y + 3, kWhite);
  at(3, x, y);  // rocks
  c.Fill(x, y, 32, 32, S(kGreen, 8));
  c.Ellipse(x + 3, y + 10, 16, 14, S(kGrey, 8));
  c.Ellipse(x + 15, y + 15, 14, 12, S(kGrey, 10));
  at(4, x, y);  // castle wall
  c.Fill(x, y, 32, 32, S(kGrey, 9));
  for (int row = 0; row < 4; ++row) c.Fill(x, y + 8 * row + 7, 32, 1, S(kGrey, 5));
  at(5, x, y);  // grass
  c.Fill(x, y, 32, 32, S(kGreen, 8));
  Speckle(c, x, y, 32, 32, S(kGreen, 10), 51, 23);
  at(6, x, y);  // road
  c.Fill(x, y, 32, 32, S(kBrown, 11));
  Speckle(c, x, y, 32, 32, S(kBrown, 9), 61, 19);
  at(7, x, y);  // bridge
  c.Fill(x, y, 32, 32, S(kBlue, 8));
  c.Fill(x, y + 4, 32, 24, S(kBrown, 9));
  for (int i = 0; i < 32; i += 6) c.Fill(x + i, y + 4, 1, 24, S(kBrown, 5));
  at(8, x, y);  // sand
  c.Fill(x, y, 32, 32, S(kYellow, 11));
  Speckle(c, x, y, 32, 32, S(kYellow, 8), 81, 19);
  at(9, x, y);  // flowers
  c.Fill(x, y, 32, 32, S(kGreen, 8));
  for (int i = 0; i < 5; ++i) c.Disc(x + 5 + (i * 7) % 24, y + 5 + (i * 11) % 22, 2, S(kRed, 11));
  return c;
}

cCanvas DrawWorldEvents() {
  // 32 x 32 icons, one row per icon; x 0 before the stage is cleared, x 32
  // after.
  cCanvas c(64, 128);
  // Row 0: a stage.
  for (int k = 0; k < 2; ++k) {
    c.Disc(32 * k + 16, 16, 11, k ? S(kBlue, 9) : S(kRed, 9));
    c.Disc(32 * k + 16, 16, 7, k ? S(kBlue, 13) : S(kRed, 13));
    Outline(c, 32 * k, 0, 32, 32, S(kNight, 0));
  }
  // Row 1: the castle.
  for (int k = 0; k < 2; ++k) {
    const int x = 32 * k, y = 32;
    c.Fill(x + 5, y + 12, 22, 18, S(kGrey, 11));
    for (int i = 0; i < 3; ++i) c.Fill(x + 5 + 8 * i, y + 8, 6, 4, S(kGrey, 11));
    c.Fill(x + 13, y + 20, 6, 10, S(kBrown, 4));
    c.Fill(x + 15, y + 1, 1, 8, S(kGrey, 6));
    c.Triangle(x + 16, y + 1, x + 16, y + 6, x + 23, y + 3, k ? S(kYellow, 12) : S(kRed, 9));
    Outline(c, x, y, 32, 32, S(kNight, 0));
  }
  // Row 2: a closed gate; row 3: the gate open.
  for (int k = 0; k < 2; ++k) {
    c.Fill(32 * k + 3, 64 + 4, 26, 26, S(kBrown, 5));
    for (int i = 0; i < 4; ++i) c.Fill(32 * k + 6 + 6 * i, 64 + 4, 2, 26, S(kGrey, 6));
    Outline(c, 32 * k, 64, 32, 32, S(kNight, 0));
    c.Fill(32 * k + 3, 96 + 4, 4, 26, S(kBrown, 5));
    c.Fill(32 * k + 25, 96 + 4, 4, 26, S(kBrown, 5));
    Outline(c, 32 * k, 96, 32, 32, S(kNight, 0));
  }
  return c;
}

// ---- Pictures -----------------------------------------------------------------------

// The "GO!" sign the first stage shows as it starts: a green board with a
// dark rim on key colour, so its rounded corners show the stage behind.
cCanvas DrawGoSign() {
  cCanvas c(128, 48);
  c.Fill(4, 0, 120, 48, S(kGreen, 5));
  c.Fill(0, 4, 128, 40, S(kGreen, 5));
  c.Fill(6, 3, 116, 42, S(kGreen, 9));
  c.Fill(3, 6, 122, 36, S(kGreen, 9));
  c.Fill(8, 6, 112, 4, S(kGreen, 12));  // the light along the top
  const std::string_view go = "GO!";
  c.ShadowText((128 - cCanvas::TextWidth(go, 5)) / 2, 8, go, kWhite, S(kGreen, 3), 5);
  return c;
}

// ---- Stage background ------------------------------------------------------------

cCanvas DrawStageBackground() {
  // Far hills for the stages' second background layer; the sky shows
  // through where the picture is transparent.
  cCanvas c(640, 480);
  for (int i = 0; i < 3; ++i) {
    c.Ellipse(-80 + 240 * i, 260 + (i % 2) * 30, 360, 260, S(kGreen, 10 - i % 2));
    c.Ellipse(40 + 240 * i, 300, 200, 200, S(kGreen, 11));
  }
  for (int i = 0; i < 5; ++i) {
    const int cx = 60 + 130 * i, cy = 60 + (i % 3) * 40;
    c.Ellipse(cx - 36, cy - 10, 72, 20, S(kGrey, 15));
    c.Ellipse(cx - 18, cy - 20, 40, 26, S(kGrey, 15));
  }
  return c;
}

// The blend table of palette number 0 (the 8-bit display's translucency):
// the byte at a x 256 + b is the entry nearest to the half-and-half mix of
// the colours of entries a and b. Entry 0, the transparent colour, mixes
// with nothing and is never a result of a mix.
std::string BlendTable(const SamplePalette& pal) {
  std::string table(65536, '\0');
  for (int a = 0; a < 256; ++a)
    for (int b = a; b < 256; ++b) {
      int best = a;
      if (a != b && a != 0 && b != 0) {
        const int r = pal[a].r + pal[b].r, g = pal[a].g + pal[b].g, bl = pal[a].b + pal[b].b;
        int bestDist = INT32_MAX;
        for (int k = 1; k < 256; ++k) {
          const int dr = 2 * pal[k].r - r, dg = 2 * pal[k].g - g, db = 2 * pal[k].b - bl;
          const int dist = dr * dr + dg * dg + db * db;
          if (dist < bestDist) {
            bestDist = dist;
            best = k;
          }
        }
      } else if (a == 0) {
        best = b;
      }
      table[static_cast<size_t>(a) * 256 + b] = static_cast<char>(best);
      table[static_cast<size_t>(b) * 256 + a] = static_cast<char>(best);
    }
  return table;
}

}  // namespace

const SamplePalette& SampleGamePalette() {
  static const SamplePalette kPalette = MakePalette();
  return kPalette;
}

bool WriteSampleBitmaps() {
  const cCanvas chars = DrawCharacterSheet();
  const cCanvas blocks = DrawBlocks();
  const auto [items, itemsMini] = DrawItems();
  const auto [words, numbers] = DrawWords();
  const std::pair<const char*, cCanvas> files[] = {
      {"bmp\\plt\\Palette.bmp", DrawPaletteBitmap()},
      {"bmp\\Debug.bmp", DrawDebugFont()},
      {"bmp\\Title.bmp", DrawTitle(chars, blocks)},
      {"bmp\\GameMode.bmp", DrawGameMode()},
      {"bmp\\Accessory.bmp", DrawAccessory(chars)},
      {"bmp\\Window.bmp", DrawWindow()},
      {"bmp\\Symbol.bmp", DrawSymbols()},
      {"bmp\\WorldMapChip.bmp", DrawWorldChips()},
      {"bmp\\WorldEvent.bmp", DrawWorldEvents()},
      {"bmp\\Block.bmp", blocks},
      {"bmp\\Character1.bmp", chars},
      {"bmp\\Shot.bmp", DrawShots()},
      {"bmp\\Item.bmp", items},
      {"bmp\\Item_Mini.bmp", itemsMini},
      {"bmp\\Mark.bmp", DrawMarks()},
      {"bmp\\StatusWindow.bmp", DrawStatusWindow()},
      {"bmp\\Word.bmp", words},
      {"bmp\\Number.bmp", numbers},
      {"bmp\\back\\Hills.bmp", DrawStageBackground()},
      {"bmp\\picture\\Go.bmp", DrawGoSign()},
  };
  for (const auto& [pszPath, canvas] : files)
    if (!WriteSampleFile(pszPath, BmpFileBytes(canvas, SampleGamePalette()))) return false;
  // Only palette number 0 exists: the options hide the palette choice.
  return WriteSampleFile("bmp\\hbt\\hbt00.dat", BlendTable(SampleGamePalette()));
}
