#pragma once
// The fire patterns: where the objects of a ショット or summon command start
// and how fast they move. Both kinds of command fill a spawn record
// (SHOTSPAWN, objects/shot.h) and run the pattern of their settings; the
// pattern works out each object's position and velocity and hands it to
// SpawnFromPattern, which makes a shot, a block cell, a character or an
// item by the command's type.
//
// Angles are degrees with 0 pointing left, 90 up, 180 right and 270 down;
// the velocity of angle a at speed s is (-cos a x s, -sin a x s). Direction
// codes are those of the movement commands after resolution: 2 左, 3 右,
// 6 上, 7 下, 8 左上, 9 左下, 10 右上, 11 右下. Positions are the world pixels
// of an object's top-left corner; the shooter's sizes come from its screen
// rectangle and sprite, halves of sizes are integer halves and every
// coordinate worked out is truncated toward zero. A placement for a
// direction code outside that list (the "any" channel with no key held)
// places nothing, and its pattern spawns nothing.
//
// A run of one command makes at most kMaxSpawnsPerRun objects (the stored
// counts multiply: rows x columns x volleys); the rest is left out, with one
// report-log line an attempt.

#include <cstdint>

#include "objects/shot.h"

class cChara;
class cEdShot;

inline constexpr int kMaxSpawnsPerRun = 4096;
inline constexpr int kShotPatternCount = 6;

// The run of one command: who fires, its settings, the command type
// (11 ショット, 13 ブロック召喚, 14 キャラ召喚, 15 アイテム召喚) and the objects
// tried so far.
struct SPAWNRUN {
  cChara& shooter;
  const cEdShot& settings;
  int nType = 0;
  int nSpawned = 0;
};

// One pattern of the settings' m_nPattern (0 直進A .. 5 包囲).
using SHOTPATTERNPROC = void (*)(SPAWNRUN& run, SHOTSPAWN& rec);
extern const SHOTPATTERNPROC g_apfnShotPattern[kShotPatternCount];

// The ショット command: repeat count + 1 volleys of the pattern.
void FireShots(cChara& shooter, const cEdShot& settings);
// The summon commands: the pattern once, with objects of the definition
// the settings name (nothing for an index past the palette's list; for
// characters, nothing but a computer-kind definition).
void SummonCharas(cChara& shooter, const cEdShot& settings);
void SummonItems(cChara& shooter, const cEdShot& settings);
void SummonBlocks(cChara& shooter, const cEdShot& settings);

// The settings' direction code resolved by the shooter's facing (0 front,
// 1 back, 4 and 5 the vertical pair, 12 the held direction of the flow);
// diagonals stay diagonal.
int ResolveShotDirection(int nDirection, const cChara& shooter);
// The angle of a resolved direction (0 for a code outside the list).
double DirectionAngle(int nDirection);
// The velocity of angle a at speed s.
void AngleVelocity(double dAngle, double dSpeed, double& dVX, double& dVY);

// Placements: base position, steps and velocity of the record.
bool PlaceLineA(SHOTSPAWN& rec, const cEdShot& settings, const cChara& shooter);
bool PlaceLineAAngled(SHOTSPAWN& rec, const cEdShot& settings, cChara& shooter);
bool PlaceLineB(SHOTSPAWN& rec, const cEdShot& settings, const cChara& shooter);
bool PlaceLineBAngled(SHOTSPAWN& rec, const cEdShot& settings, cChara& shooter);
bool PlaceSpread(SHOTSPAWN& rec, const cEdShot& settings, const cChara& shooter);
bool PlaceSpreadAngled(SHOTSPAWN& rec, const cEdShot& settings, cChara& shooter);
bool PlaceThunder(SHOTSPAWN& rec, const cEdShot& settings, const cChara& shooter,
                  const cChara& aim);
bool PlaceThunderAngled(SHOTSPAWN& rec, const cEdShot& settings, const cChara& shooter,
                        const cChara& aim);
void PlaceAtCentre(SHOTSPAWN& rec, const cChara& shooter);
// The first object on a circle around the shooter's centre at angle a
// (offsets not added).
void PlaceRotated(SHOTSPAWN& rec, const cChara& shooter, double dAngle);

// The angle from the world point (x, y) toward the shooter's target; with
// no target straight ahead (180 facing right, else 0). When the view
// scrolls under a target that rides it, the aim leads it and the record's
// speed becomes the speed of that aim.
int AimAngle(int x, int y, cChara& shooter, const cEdShot& settings, SHOTSPAWN& rec);

// Makes one object at the record's position by the run's command type.
// False when the run may make no more (its limit, or a stage full of
// shots): the pattern stops there.
bool SpawnFromPattern(SPAWNRUN& run, SHOTSPAWN& rec);
