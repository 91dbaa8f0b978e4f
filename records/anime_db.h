#pragma once
// Rows of the Anime and AnimeSet tables and the run-time animation patterns.
//
// An animation is a named list of frames, each showing one cell of a
// character's bitmap for a time in tenths of a second. An animation set is a
// list of slot animations (standing, walking, flying, flying while moving)
// with three column offsets that move the cell for invincible, block and
// flying characters.

#include <cstdint>
#include <string>

#include "app/base/checked_containers.h"
#include "records/anime_step.h"
#include "records/record.h"

class cAnimeFrame : public cRecord {
 public:
  PLAYER_ELEMENT_SIZE(cAnimeFrame, 48);
  cAnimeFrame() {}
  void RegisterFields(int nVersion) override;

  int32_t m_nCell = 0;      // cell number in the character's bitmap
  int32_t m_nDuration = 1;  // tenths of a second
  int32_t m_bHold = 0;      // non-zero: from this frame on the animation cannot be interrupted
};

class cAnimeDef : public cRecord {
 public:
  PLAYER_ELEMENT_SIZE(cAnimeDef, 76);
  cAnimeDef();
  // Without the default frame: Load reads the frames afresh.
  explicit cAnimeDef(cForLoad) {}

  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& file) override;
  void Save(cRecordWriter& file) override;

  // Empty name, stored values 0, 1, 0 and one default frame.
  void SetDefaults();

  std::string m_strName;
  cCheckedVector<cAnimeFrame> m_Frames;
  // Kept with the row and written back unchanged; nothing in play reads them.
  int16_t m_sStored1 = 0;
  uint8_t m_byStored2 = 1;
  int16_t m_sStored3 = 0;
};

class cAnimeSetDef : public cRecord {
 public:
  PLAYER_ELEMENT_SIZE(cAnimeSetDef, 80);
  // Slot numbers of an animation set.
  enum { SLOT_STAND, SLOT_WALK, SLOT_FLY, SLOT_FLYMOVE, SLOT_COUNT };

  cAnimeSetDef();
  // Without the default slots: Load reads the slots afresh.
  explicit cAnimeSetDef(cForLoad) {}

  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& file) override;
  void Save(cRecordWriter& file) override;

  // Empty name, offsets 4, 8, 0 and the four named slots (existing slots keep
  // their frames).
  void SetDefaultSlots();

  std::string m_strName;
  int32_t m_nInvincibleOffset = 4;  // column offset of invincible characters
  int32_t m_nBlockOffset = 8;       // column offset of block characters
  int32_t m_nFlyingOffset = 0;      // column offset of flying characters
  cCheckedVector<cAnimeDef> m_Slots;

 private:
  // Exactly four slots: existing ones stay, missing ones are default slots.
  void FitSlots();
};

// Reads a u32 frame count and that many frames into a fresh list.
void LoadAnimeFrames(cCheckedVector<cAnimeFrame>& frames, cRecordReader& file);

// One pattern per Anime row, as cAnimePattern plays them: frame k becomes
// {cell, tenths x 6 frames, hold}, where every frame from the first flagged
// one on holds; the pattern ends with {-4, 0, 0} (one-shot). Row 0 stands for
// no animation: its steps last no time, hold, and end with {-2, 0, 1} (loop).
extern cCheckedVector<ANIMEPATTERN> g_AnimePatterns;
void BuildAnimePatterns(cCheckedVector<ANIMEPATTERN>& patterns);

// Duration in frames of a time in tenths of a second (saturating, so that no
// stored value overflows it).
int32_t TenthsToFrames(int32_t nTenths);
