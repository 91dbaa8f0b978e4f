#pragma once
// One line that sums up the simulation state of a running stage: frame,
// state, the hero's position and velocity (as hexadecimal floating point,
// so that every bit shows), its block contacts, HP and SP, the items it
// touches, score, lives, time, the camera, the number of computer
// characters and a hash of their state (ids, positions, HP, appeared,
// active, dead), the number of items and a hash of their state, the number
// of shots and a hash of their state (ids, positions, velocities), the
// number of messages, the common and stage variables that are not 0 and
// the random generator's state.
// Tests, replays and debugging compare runs by it: two runs that agree on
// every frame's digest played alike.

#include <string>

class cPlayScene;

std::string PlayDigest(const cPlayScene& scene);

// The name and both values of the first field in which two digests differ
// ("x: 0x1p+8 / 0x1.01p+8"); empty when they are equal.
std::string FirstDigestDifference(const std::string& strA, const std::string& strB);
