#pragma once
// The scripted run of the golden and replay tests: a small stage with a
// floor, a step, a wall, a low ceiling and a pit, and a few hundred frames
// of input that walk the hero into each of them and into the pit.

#include <cstdint>
#include <string>
#include <vector>

#include "play/play_digest.h"
#include "testing/play_world.h"

// The stage: the hero on the floor at the left; a ceiling over columns 3 to
// 9 that a jump reaches; a one-block step at column 12; a two-block wall at
// column 19; a pit over columns 26 to 30. Coins lie on the floor at column
// 6, on the step and above the wall. A pacer walks to and fro on the
// ceiling, out of the hero's reach, and a lift high up at column 32 waits
// off screen until the view comes near, then goes to and fro.
inline const std::vector<std::string> kGoldenStage = {
    "#......................................#",  //
    "#......................................#",  //
    "#......................................#",  //
    "#......................................#",  //
    "#......................................#",  //
    "#...............................L......#",  //
    "#......................................#",  //
    "#.....E................................#",  //
    "#..#######.............................#",  //
    "#......................................#",  //
    "#...................$..................#",  //
    "#...........$......#...................#",  //
    "#.H...$.....#......#...................#",  //
    "##########################.....#########",  //
    "##########################.....#########",  //
};

struct SCRIPTSTEP {
  int nFrames;
  uint16_t wDir;
  uint16_t wButtons;
};

// Walks right, jumps under the ceiling, walks into the step and hops onto
// it, walks into the wall and jumps over it, walks into the pit, and waits
// through the miss and the retry.
inline const std::vector<SCRIPTSTEP> kGoldenScript = {
    {40, kKeyRight, 0},
    {20, kKeyRight, kButtonJump},
    {40, kKeyRight, 0},
    {30, kKeyRight, kButtonJump},
    {70, kKeyRight, 0},
    {30, kKeyRight, kButtonJump},
    {10, 0, 0},
    {8, kKeyLeft, 0},
    {80, kKeyRight, 0},
    {110, 0, 0},
    {20, kKeyLeft, kButtonJump},
};

// The digest of every frame of the scripted run, from the first frame in
// which the hero can move.
inline std::vector<std::string> RunScript(cPlayWorld& world) {
  std::vector<std::string> digests;
  if (!world.RunUntilPlay()) return digests;
  for (const SCRIPTSTEP& step : kGoldenScript) {
    for (int i = 0; i < step.nFrames; ++i) {
      world.Frame(step.wDir, step.wButtons);
      digests.push_back(PlayDigest(world.Scene()));
    }
  }
  return digests;
}
