#pragma once
// cEdMove: the settings of one movement command of a flow (straight,
// ground back-and-forth, circular, charge, homing, screen-edge avoidance,
// warp). A command owns its settings through a shared pointer; settings are
// created only by CreateMove and never shared between two commands: every
// copy of a command gets its own object (CloneMovePtr).
//
// Values given as base and step: copy n of a character uses n x step + base.

#include <cstdint>
#include <memory>
#include <string>

#include "records/record.h"

class cEdMove : public cRecord {
 public:
  cEdMove() {}

  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& file) override;
  void Save(cRecordWriter& file) override;

  // Members in file order. Directions 0..12: 0 front, 1 back, 2 left,
  // 3 right, 4 front-Y, 5 back-Y, 6 up, 7 down, 8 up-left, 9 down-left,
  // 10 up-right, 11 down-right, 12 the input direction.
  uint8_t m_nSpecMode = 0;   // how the target is given (straight: direction / coordinates)
  uint8_t m_nDirection = 0;  // direction; circular movement: turning sense 0..3
  int16_t m_nAngle = 0;      // degrees added to the direction, or the start angle
  int16_t m_nAngleStep = 0;
  uint8_t m_bMirrorAngle = 0;  // angle := 360 - angle when facing right (from 158)
  uint8_t m_bUseX = 0;
  uint8_t m_bUseY = 0;
  int16_t m_nCellX = 0;  // target or offset in cells of 32 dots
  int16_t m_nCellY = 0;
  int16_t m_nDotX = 0;  // dots added to the cells
  int16_t m_nDotY = 0;
  uint8_t m_nCoordKind = 0;  // what target coordinates are relative to
  uint8_t m_bStopAtTarget = 0;
  uint8_t m_bNoMoveX = 0;
  uint8_t m_bNoMoveY = 0;
  uint8_t m_bMirrorX = 0;
  uint8_t m_bMirrorY = 0;
  uint8_t m_bFollowTurn = 0;
  uint8_t m_bExactStop = 0;
  uint8_t m_bKeepDir = 0;  // from 162
  uint8_t m_nTiming = 0;
  int16_t m_nSpeed = 0;  // tenths of a dot per frame
  int16_t m_nSpeedStep = 0;
  int16_t m_nDistance = 0;  // circular movement: the end angle
  int16_t m_nDistanceStep = 0;
  uint8_t m_nDistanceUnit = 0;  // 0 half blocks, 1 dots (from 159)
  int16_t m_nRadius = 0;        // circular: radius in half blocks; homing: frames between aims
  int16_t m_nRadiusStep = 0;
  uint8_t m_bInertia = 0;
  int16_t m_nMaxSpeed = 0;
  double m_dBrake = 0.0;
  uint8_t m_bKeepAnime = 0;  // from 162
};

using cEdMovePtr = std::shared_ptr<cEdMove>;

// Makes target hold a new settings object with the defaults of a new
// command, releasing what it held before.
void CreateMove(cEdMovePtr& target);
// target := a new object with source's content, or empty when source is.
void CloneMovePtr(cEdMovePtr& target, const cEdMovePtr& source);

// Label lists of the movement settings, each ended by an empty string.
extern const std::string g_MoveSpecNames[3];
extern const std::string g_WarpSpecNames[4];
extern const std::string g_MoveDirNames[14];
extern const std::string g_CoordKindNames[5];
extern const std::string g_CoordKindNames2[4];
extern const std::string g_RotationNames[5];
extern const std::string g_FaceNames[7];
extern const std::string g_TimingNames[4];
extern const std::string g_TimingNames2[3];
extern const std::string g_JumpNames[4];
extern const std::string g_UnitNames[3];
