#pragma once
// Rows of the Effect, CharaEffect and ScrEffect tables, the parameter tables
// of the effect kinds and the run-time effect patterns.
//
// An effect animation (Effect table) is a bitmap cut into equal cells and a
// list of frames, played at a position in the stage. A character effect
// distorts a character while it is drawn and a screen effect the whole view;
// both are a kind number with five integer parameters, parameter 0 being the
// run time in tenths of a second.

#include <array>
#include <cstdint>
#include <string>

#include "app/base/checked_containers.h"
#include "records/anime_step.h"
#include "records/effect_param.h"
#include "records/record.h"

class cEffectFrame : public cRecord {
 public:
  PLAYER_ELEMENT_SIZE(cEffectFrame, 44);
  cEffectFrame() {}
  void RegisterFields(int nVersion) override;

  int32_t m_nCell = 0;      // cell number in the effect bitmap
  int32_t m_nDuration = 1;  // tenths of a second
};

class cEffectAnimDef : public cRecord {
 public:
  PLAYER_ELEMENT_SIZE(cEffectAnimDef, 100);
  cEffectAnimDef() {}
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& file) override;
  void Save(cRecordWriter& file) override;

  // Empty name and bitmap, 32 x 32 cells, no scaling; the frames stay.
  void SetDefaults();

  std::string m_strName;
  int32_t m_nStored = 0;  // kept with the row; nothing in play reads it
  std::string m_strBitmap;
  int32_t m_nCellWidth = 32;
  int32_t m_nCellHeight = 32;
  int32_t m_bScale = 0;  // non-zero: a hit effect takes the attacker's size factor
  cCheckedVector<cEffectFrame> m_Frames;
};

// Kinds of character effects (CharaEffect rows) and of screen effects
// (ScrEffect rows); 0 is no effect in both.
enum {
  CHARAEFFECT_NONE,
  CHARAEFFECT_BURST,
  CHARAEFFECT_SPLIT_H,
  CHARAEFFECT_SPLIT_V,
  CHARAEFFECT_WAVE_H,
  CHARAEFFECT_WAVE_V,
  CHARAEFFECT_BLINK,
  CHARAEFFECT_ROTATE_A,
  CHARAEFFECT_ROTATE_B,
  CHARAEFFECT_ROTATE_DEPTH,
  CHARAEFFECT_CIRCLE,
  CHARAEFFECT_ZOOM,
  CHARAEFFECT_LENS,
  CHARAEFFECT_TINT,
  CHARAEFFECT_TRANSLUCENT,
  CHARAEFFECT_MOSAIC,
  CHARAEFFECT_BLUR,
  CHARAEFFECT_KINDS
};
enum {
  SCREFFECT_NONE,
  SCREFFECT_MOVE,
  SCREFFECT_SHAKE_H,
  SCREFFECT_SHAKE_V,
  SCREFFECT_SPLIT_H,
  SCREFFECT_SPLIT_V,
  SCREFFECT_WAVE_H,
  SCREFFECT_WAVE_V,
  SCREFFECT_BLINK,
  SCREFFECT_ROTATE,
  SCREFFECT_CIRCLE,
  SCREFFECT_ZOOM,
  SCREFFECT_LENS,
  SCREFFECT_MOSAIC,
  SCREFFECT_KINDS
};
inline constexpr int kEffectParams = 5;

// The common part of CharaEffect and ScrEffect rows.
class cEffectDef : public cRecord {
 public:
  cEffectDef() {}
  void RegisterFields(int nVersion) override;

  std::string m_strName;
  int32_t m_nKind = 1;                    // 0: no effect
  int32_t m_anParam[kEffectParams] = {};  // in the order of the kind's parameter table
};

class cCharaEffectDef : public cEffectDef {
 public:
  PLAYER_ELEMENT_SIZE(cCharaEffectDef, 76);
  cCharaEffectDef() {}
  void Load(cRecordReader& file) override;
};

class cScrEffectDef : public cEffectDef {
 public:
  PLAYER_ELEMENT_SIZE(cScrEffectDef, 76);
  cScrEffectDef() {}
  void Load(cRecordReader& file) override;
};

// Label, range and default of each parameter, at index kind x 5 + parameter.
extern const std::array<EFFECTPARAM, CHARAEFFECT_KINDS * kEffectParams> g_CharaEffectParams;
extern const std::array<EFFECTPARAM, SCREFFECT_KINDS * kEffectParams> g_ScrEffectParams;

// Reads a u32 frame count and that many frames into a fresh list.
void LoadEffectFrames(cCheckedVector<cEffectFrame>& frames, cRecordReader& file);

// One pattern per Effect row: frame k becomes {cell, tenths x 6 frames, 0},
// the pattern ends with {-4, 0, 0}; row 0 shows its frames for no time, holds
// and loops ({-2, 0, 1}).
extern cCheckedVector<ANIMEPATTERN> g_EffectPatterns;
void BuildEffectPatterns(cCheckedVector<ANIMEPATTERN>& patterns);
