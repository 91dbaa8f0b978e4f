#pragma once
// cEdShot: the settings of the commands that put objects into a running
// stage: ショット, ソード and the block, character and item summons. A
// command owns its settings through a shared pointer, created only by
// CreateShot and never shared between two commands (CloneShotPtr).
//
// Values given as base and step: volley k (0 for the first) uses
// base + k x step.

#include <cstdint>
#include <memory>
#include <string>

#include "records/effect_param.h"
#include "records/record.h"

struct ValidationContext;

class cEdShot : public cRecord {
 public:
  cEdShot() {}

  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& file) override;
  void Save(cRecordWriter& file) override;

  // Repairs what needs no outside data: a scale of 0 or less becomes 1.
  void RepairScale();
  // RepairScale, and a hit effect that is not a row of the Effect table
  // becomes 0.
  void Validate(const ValidationContext& ctx);

  // Offset of volley k from the user, negated when the user faces right
  // (facing 1) and the axis' mirror switch is set.
  double GetOffsetX(int k, int nFacing) const;
  double GetOffsetY(int k, int nFacing) const;

  // Members in file order.
  uint8_t m_nCount = 0;              // objects per firing; 0 places none
  uint8_t m_nPattern = 0;            // fire pattern 0..5
  int16_t m_anPatternParam[3] = {};  // the pattern's parameters
  uint8_t m_nCentre = 0;             // 包囲: 0 target, 1 hero, 2 user (from 671)
  uint8_t m_nDirection = 0;          // direction code 0..12
  uint8_t m_bAim = 0;
  int16_t m_nAngle = 0;
  int16_t m_nAngleStep = 0;
  uint8_t m_bMirrorAngle = 0;  // from 158
  int16_t m_nSpread = 0;
  uint8_t m_bAngledRow = 0;
  uint8_t m_nRepeat = 0;  // further volleys
  int16_t m_nOffsetX = 0;
  int16_t m_nOffsetStepX = 0;
  int16_t m_nOffsetY = 0;
  int16_t m_nOffsetStepY = 0;
  uint8_t m_bMirrorX = 0;
  uint8_t m_bMirrorY = 0;
  int16_t m_nGraphic = 0;     // cell on the shot sheet
  uint8_t m_nShotExtra1 = 0;  // stored and copied, not read by play
  uint8_t m_bTransparent = 0;
  uint8_t m_bUserFaction = 0;
  uint8_t m_nFaction = 0;
  uint8_t m_nShotExtra2 = 0;
  int8_t m_nGiant = 0;  // scale factor, at least 1
  uint8_t m_nShotExtra3 = 0;
  uint8_t m_nMoveType = 0;  // shot movement 0..9; ソード: the SwordType row
  int16_t m_anMoveParam[3] = {};
  uint8_t m_bScrollSync = 0;  // from 211
  int16_t m_nSpeed = 0;
  int16_t m_nSpeedStep = 0;
  uint8_t m_bAccel = 0;      // from 213
  int16_t m_nAccel = 0;      // from 213
  int16_t m_nAccelStep = 0;  // from 213
  int16_t m_nRange = 0;      // half blocks
  uint8_t m_bRange = 0;
  int16_t m_nRangeStep = 0;
  uint8_t m_bStayAtRange = 0;
  uint8_t m_bLife = 0;
  int16_t m_nLife = 0;  // tenths of a second
  int16_t m_nLifeStep = 0;
  uint8_t m_bThroughBlocks = 0;
  uint8_t m_bPierceChara = 0;
  uint8_t m_bPierceBlockChara = 0;  // from 636
  uint8_t m_bBreakable = 0;
  uint8_t m_nShotStrength = 0;
  int32_t m_nPower = 0;
  int16_t m_nShotExtra4 = 0;  // stored and copied, not read by play
  int8_t m_nImpact = 0;       // knock-back -20..20
  int16_t m_nHitEffect = 0;   // Effect row shown on a hit
  uint8_t m_nItemSrc = 0;     // item given by a hit: 0 none, 1 common, 2 stage palette
  int16_t m_nItemNo = 0;
  uint8_t m_nBlockOp = 0;  // block summon: 0 place, 1 erase, 2 toggle
  uint8_t m_bSpareHero = 0;
  uint8_t m_bSpareChara = 0;     // from 197
  uint8_t m_nSummonPalette = 0;  // 0 common, 1 stage
  int16_t m_nSummonNo = 0;
  uint8_t m_nSummonFaction = 0;  // 0 the palette entry's, 1 the user's, 2 m_nFaction
  uint8_t m_bNoScore = 0;
  uint8_t m_bReverseDir = 0;
};

using cEdShotPtr = std::shared_ptr<cEdShot>;

// Makes target hold a new settings object with the defaults of a new
// command, releasing what it held before.
void CreateShot(cEdShotPtr& target);
// target := a new object with source's content, or empty when source is.
void CloneShotPtr(cEdShotPtr& target, const cEdShotPtr& source);

// Vocabulary of the shot settings; string lists end with an empty string.
// Parameter tables hold three entries per pattern or movement type.
extern const std::string g_ShotPatternNames[7];
extern const EFFECTPARAM g_ShotPatternParams[18];
extern const std::string g_ShotCentreNames[4];
extern const std::string g_ShotMoveNames[11];
extern const EFFECTPARAM g_ShotMoveParams[30];
extern const std::string g_BlockOpNames[4];
// The summon palette (m_nSummonPalette) and its one-entry form.
extern const std::string g_SummonPaletteNames[3];
extern const std::string g_SummonPaletteNames2[2];
extern const std::string g_SummonFactionNames[4];
