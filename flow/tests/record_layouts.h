#pragma once
// The stored layouts of the flow records, written down independently of the
// classes, for building files of older data versions by hand.

#include <cstdint>
#include <map>
#include <vector>

#include "testing/record_bytes.h"

struct STOREDFIELD {
  int nWidth;  // bytes per element
  int nCount;  // elements
  int nFrom;   // first data version that stores the field (0: always)
};

// cEdMove, 32 fields in file order.
inline const std::vector<STOREDFIELD> kMoveLayout = {
    {1, 1, 0}, {1, 1, 0},   {2, 1, 0}, {2, 1, 0},   {1, 1, 158}, {1, 1, 0}, {1, 1, 0}, {2, 1, 0},
    {2, 1, 0}, {2, 1, 0},   {2, 1, 0}, {1, 1, 0},   {1, 1, 0},   {1, 1, 0}, {1, 1, 0}, {1, 1, 0},
    {1, 1, 0}, {1, 1, 0},   {1, 1, 0}, {1, 1, 162}, {1, 1, 0},   {2, 1, 0}, {2, 1, 0}, {2, 1, 0},
    {2, 1, 0}, {1, 1, 159}, {2, 1, 0}, {2, 1, 0},   {1, 1, 0},   {2, 1, 0}, {8, 1, 0}, {1, 1, 162},
};

// cEdShot, 60 fields in file order.
inline const std::vector<STOREDFIELD> kShotLayout = {
    {1, 1, 0},   {1, 1, 0},   {2, 3, 0}, {1, 1, 671}, {1, 1, 0},   {1, 1, 0},   {2, 1, 0},
    {2, 1, 0},   {1, 1, 158}, {2, 1, 0}, {1, 1, 0},   {1, 1, 0},   {2, 1, 0},   {2, 1, 0},
    {2, 1, 0},   {2, 1, 0},   {1, 1, 0}, {1, 1, 0},   {2, 1, 0},   {1, 1, 0},   {1, 1, 0},
    {1, 1, 0},   {1, 1, 0},   {1, 1, 0}, {1, 1, 0},   {1, 1, 0},   {1, 1, 0},   {2, 3, 0},
    {1, 1, 211}, {2, 1, 0},   {2, 1, 0}, {1, 1, 213}, {2, 1, 213}, {2, 1, 213}, {2, 1, 0},
    {1, 1, 0},   {2, 1, 0},   {1, 1, 0}, {1, 1, 0},   {2, 1, 0},   {2, 1, 0},   {1, 1, 0},
    {1, 1, 0},   {1, 1, 636}, {1, 1, 0}, {1, 1, 0},   {4, 1, 0},   {2, 1, 0},   {1, 1, 0},
    {2, 1, 0},   {1, 1, 0},   {2, 1, 0}, {1, 1, 0},   {1, 1, 0},   {1, 1, 197}, {1, 1, 0},
    {2, 1, 0},   {1, 1, 0},   {1, 1, 0}, {1, 1, 0},
};

// Field numbers (1-based, as the layouts above count them) of shot members
// the tests look at.
enum : int {
  SHOT_COUNT = 1,
  SHOT_CENTRE = 4,
  SHOT_MIRRORANGLE = 9,
  SHOT_GRAPHIC = 19,
  SHOT_GIANT = 25,
  SHOT_MOVETYPE = 27,
  SHOT_SCROLLSYNC = 29,
  SHOT_ACCEL = 32,
  SHOT_ACCELVALUE = 33,
  SHOT_PIERCECHARA = 43,
  SHOT_PIERCEBLOCKCHARA = 44,
  SHOT_POWER = 47,
  SHOT_HITEFFECT = 50,
  SHOT_ITEMSRC = 51,
  SHOT_ITEMNO = 52,
  SHOT_SPAREHERO = 54,
  SHOT_SPARECHARA = 55,
  SHOT_SUMMONPALETTE = 56,
  SHOT_SUMMONNO = 57,
  SHOT_REVERSEDIR = 60,
};
enum : int {
  MOVE_ANGLE = 3,
  MOVE_MIRRORANGLE = 5,
  MOVE_KEEPDIR = 20,
  MOVE_SPEED = 22,
  MOVE_DISTUNIT = 26,
  MOVE_BRAKE = 31,
  MOVE_KEEPANIME = 32,
};

// The record part of a settings object as a file of nVersion stores it:
// every field present at that version, its value from `values` (by field
// number; 0 when absent; an 8-byte field holds a double), no strings.
inline cRecordBytes SettingsBytes(const std::vector<STOREDFIELD>& layout, int nVersion,
                                  const std::map<int, double>& values) {
  cRecordBytes fields;
  uint32_t nFields = 0;
  for (size_t i = 0; i < layout.size(); ++i) {
    const STOREDFIELD& f = layout[i];
    if (nVersion < f.nFrom) continue;
    ++nFields;
    const auto it = values.find(static_cast<int>(i) + 1);
    const double v = it != values.end() ? it->second : 0.0;
    for (int k = 0; k < f.nCount; ++k) {
      switch (f.nWidth) {
        case 1:
          fields.i8(static_cast<int8_t>(v));
          break;
        case 2:
          fields.i16(static_cast<int16_t>(v));
          break;
        case 4:
          fields.i32(static_cast<int32_t>(v));
          break;
        default:
          fields.f64(v);
          break;
      }
    }
  }
  cRecordBytes b;
  b.Fields(nFields).Append(fields).Strings(0);
  return b;
}

// The record part of a flow command: the eight fields and the text.
struct COMMANDHEAD {
  int8_t cSet = 0, cType = 0;
  int16_t sUseTime = 0, sUseTimePerLevel = 0;
  uint8_t bParallel = 0;
  int16_t sSound = 0;
  uint8_t bSoundOnScreen = 1;
  int16_t sLeadAnime = 0;
};
inline cRecordBytes CommandHeadBytes(const COMMANDHEAD& h, const char* pszText = "") {
  cRecordBytes b;
  b.Fields(8).i8(h.cSet).i8(h.cType).i16(h.sUseTime).i16(h.sUseTimePerLevel).u8(h.bParallel);
  b.i16(h.sSound).u8(h.bSoundOnScreen).i16(h.sLeadAnime);
  b.Strings(1).str(pszText);
  return b;
}

// A whole command without settings or nested flows.
inline cRecordBytes PlainCommandBytes(int nSet, int nType, const std::vector<int32_t>& params) {
  COMMANDHEAD h;
  h.cSet = static_cast<int8_t>(nSet);
  h.cType = static_cast<int8_t>(nType);
  cRecordBytes b = CommandHeadBytes(h);
  b.u32(0).u32(0).u32(0);  // no movement, no shot, no flows
  b.u32(static_cast<uint32_t>(params.size()));
  for (int32_t p : params) b.i32(p);
  return b;
}

// The record part of a flow at nVersion (the memo string from 676 on).
struct FLOWHEAD {
  int8_t cId = 0, cTag = 0;
  uint8_t bTestOnly = 0;
  int8_t cCondMode = 0;
  uint8_t bCondOnce = 0;
  int8_t cTrigger = 0, cKeyTolerance = 3;
  uint8_t bKeyLevel = 0;
};
inline cRecordBytes FlowHeadBytes(const FLOWHEAD& h, int nVersion, const char* pszMemo = "") {
  cRecordBytes b;
  b.Fields(8).i8(h.cId).i8(h.cTag).u8(h.bTestOnly).i8(h.cCondMode).u8(h.bCondOnce);
  b.i8(h.cTrigger).i8(h.cKeyTolerance).u8(h.bKeyLevel);
  if (nVersion >= 676)
    b.Strings(1).str(pszMemo);
  else
    b.Strings(0);
  return b;
}
