#pragma once
// What the validation of stored definitions checks references against: the
// sizes of the loaded database tables and of the two palettes. The caller
// fills it from whatever it validates against (the loaded project, a stage
// being built by a generator, a test), so validation reads no globals.

#include <cstdint>
#include <vector>

// Entries in the block, character and item lists of one palette (entry 0 of
// each list is the empty one and counts).
struct PaletteCounts {
  int nBlocks = 0;
  int nCharas = 0;
  int nItems = 0;
};

struct ValidationContext {
  // Row counts of the database tables.
  int nAnimeRows = 0;
  int nAnimeSetRows = 0;
  int nEffectRows = 0;
  int nCharaEffectRows = 0;
  int nScrEffectRows = 0;
  int nPictureRows = 0;
  int nSoundRows = 0;
  int nBgmRows = 0;
  // One entry per SwordType row: the sum of its frame durations in tenths of
  // a second. Its size is the SwordType row count.
  std::vector<int32_t> vSwordTimes;
  // The common palette and the stage's palette.
  PaletteCounts common;
  PaletteCounts stage;
};

class cDatabase;

// The table part of a context taken from a loaded database (palette counts
// left at 0 for the caller to fill). Sword times are summed without overflow
// and held within the int32 range.
ValidationContext MakeDatabaseContext(const cDatabase& db);

// True when nIndex is a row of a table with nRows rows.
inline bool IsRowOf(int nIndex, int nRows) { return nIndex >= 0 && nIndex < nRows; }
