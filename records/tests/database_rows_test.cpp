// Row classes of the database: the layouts of older data versions and their
// migrations, and the run-time tables built from the rows.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "records/database.h"
#include "testing/game_folder.h"
#include "testing/record_bytes.h"
#include "testing/record_guard.h"

namespace {

class DatabaseRows : public ::testing::Test {
 protected:
  cRecordGlobalsGuard m_Guard;
  cTestGameFolder m_Folder;
};

// Loads one row from bytes written at nVersion; the whole input must be used.
template <class Row>
void LoadRow(Row& row, int nVersion, const cRecordBytes& bytes) {
  g_nFileVersion = nVersion;
  cRecordReader reader(bytes.Bytes(), "row");
  row.Load(reader);
  EXPECT_FALSE(reader.Failed()) << "version " << nVersion;
  EXPECT_TRUE(reader.AtEnd()) << "version " << nVersion;
}

cRecordBytes& AnimeFrame(cRecordBytes& b, int32_t nCell, int32_t nDuration, int32_t bHold) {
  return b.IntRecord({nCell, nDuration, bHold});
}

// An Anime row without the stored values of version 55 and later.
cRecordBytes& OldAnimeRow(cRecordBytes& b, const char* pszName, int32_t nCell) {
  b.IntRecord({}, pszName).u32(1);
  return AnimeFrame(b, nCell, 3, 0);
}

TEST_F(DatabaseRows, AnimeRowStoredValuesArriveWithVersion55) {
  cAnimeDef row;
  row.m_sStored1 = 7;
  row.m_byStored2 = 8;
  row.m_sStored3 = 9;
  cRecordBytes old;
  OldAnimeRow(old, "歩く", 5);
  LoadRow(row, 54, old);
  EXPECT_EQ(row.m_strName, "歩く");
  ASSERT_EQ(row.m_Frames.size(), 1u);
  EXPECT_EQ(row.m_Frames[0].m_nCell, 5);
  EXPECT_EQ(row.m_Frames[0].m_nDuration, 3);
  EXPECT_EQ(row.m_sStored1, 7);
  EXPECT_EQ(row.m_byStored2, 8);
  EXPECT_EQ(row.m_sStored3, 9);

  cRecordBytes now;
  now.Fields(3).i16(-2).u8(250).i16(300).Strings(1).str("走る").u32(0);
  LoadRow(row, 55, now);
  EXPECT_EQ(row.m_strName, "走る");
  EXPECT_TRUE(row.m_Frames.empty());
  EXPECT_EQ(row.m_sStored1, -2);
  EXPECT_EQ(row.m_byStored2, 250);
  EXPECT_EQ(row.m_sStored3, 300);
}

TEST_F(DatabaseRows, AnimeSetSlotsAndOffsetsByVersion) {
  struct Case {
    int nVersion;
    int nSlotsInFile;
    size_t nSlotsLoaded;
    bool bFlyingOffsetInFile;
    bool bFlyingNamesReplaced;
  };
  const Case cases[] = {
      {100, 2, 4, false, true},  // two slots of an old file: the flying slots are added
      {118, 5, 4, false, true},  // cut to four
      {120, 5, 4, true, true},   // cut to four, flying slots renamed
      {127, 3, 4, true, true},   // filled up to four
      {128, 5, 5, true, false},  // current layout: slots stay as stored
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.nVersion);
    cRecordBytes b;
    if (c.bFlyingOffsetInFile) {
      b.IntRecord({11, 22, 33}, "セット");
    } else {
      b.IntRecord({11, 22}, "セット");
    }
    b.u32(static_cast<uint32_t>(c.nSlotsInFile));
    const char* const names[] = {"s0", "s1", "s2", "s3", "s4"};
    for (int i = 0; i < c.nSlotsInFile; ++i) OldAnimeRow(b, names[i], 40 + i);

    cAnimeSetDef row;
    row.m_nFlyingOffset = 77;
    LoadRow(row, c.nVersion, b);
    EXPECT_EQ(row.m_strName, "セット");
    EXPECT_EQ(row.m_nInvincibleOffset, 11);
    EXPECT_EQ(row.m_nBlockOffset, 22);
    EXPECT_EQ(row.m_nFlyingOffset, c.bFlyingOffsetInFile ? 33 : 77);
    ASSERT_EQ(row.m_Slots.size(), c.nSlotsLoaded);
    EXPECT_EQ(row.m_Slots[0].m_strName, "s0");
    EXPECT_EQ(row.m_Slots[1].m_Frames.at(0).m_nCell, 41);
    EXPECT_EQ(row.m_Slots[2].m_strName, c.bFlyingNamesReplaced ? "飛行" : "s2");
    EXPECT_EQ(row.m_Slots[3].m_strName, c.bFlyingNamesReplaced ? "飛行移動" : "s3");
    if (c.nSlotsInFile == 2) {
      // An added slot is a default slot: one frame {0, 1, 0}, stored value 2 is 1.
      ASSERT_EQ(row.m_Slots[3].m_Frames.size(), 1u);
      EXPECT_EQ(row.m_Slots[3].m_Frames[0].m_nDuration, 1);
      EXPECT_EQ(row.m_Slots[3].m_byStored2, 1);
    }
  }
}

// Stored values that version 151 added and 153 started to keep: the rule of
// each row class, with the value a row had before the load being 4.
struct StoredValueCase {
  int nVersion;
  int32_t nExpected;
};

template <class Row>
void CheckStoredValueRule(const std::function<void(cRecordBytes&, bool)>& write,
                          std::initializer_list<StoredValueCase> cases, int nAdded) {
  for (const StoredValueCase& c : cases) {
    SCOPED_TRACE(c.nVersion);
    cRecordBytes b;
    write(b, c.nVersion >= nAdded);
    Row row;
    row.m_nStored = 4;
    LoadRow(row, c.nVersion, b);
    EXPECT_EQ(row.m_nStored, c.nExpected);
  }
}

TEST_F(DatabaseRows, StoredValueRuleOfEveryRowClass) {
  const auto cases = {StoredValueCase{150, 4}, StoredValueCase{151, 0}, StoredValueCase{152, 0},
                      StoredValueCase{153, 5}};
  auto picture = [](cRecordBytes& b, bool bStored) {
    b.Fields(bStored ? 1 : 0);
    if (bStored) b.i32(5);
    b.Strings(2).str("名前").str("file.bmp");
  };
  CheckStoredValueRule<cPictureDef>(picture, cases, 151);
  CheckStoredValueRule<cBgmDef>(picture, cases, 151);
  CheckStoredValueRule<cSoundDef>(picture, cases, 151);
  CheckStoredValueRule<cSwordTypeDef>(
      [](cRecordBytes& b, bool bStored) {
        b.Fields(bStored ? 1 : 0);
        if (bStored) b.i32(5);
        b.Strings(3).str("剣").str("a.bmp").str("b.bmp").u32(0);
      },
      cases, 151);
  // The exchange bitmap's stored value arrived one version later.
  CheckStoredValueRule<cBmpCharaExcDef>(
      [](cRecordBytes& b, bool bStored) {
        b.Fields(bStored ? 1 : 0);
        if (bStored) b.i32(5);
        b.Strings(2).str("名前").str("c.bmp");
      },
      {StoredValueCase{151, 4}, StoredValueCase{152, 0}, StoredValueCase{153, 5}}, 152);
  // The Effect row drops whatever an older file left there.
  CheckStoredValueRule<cEffectAnimDef>(
      [](cRecordBytes& b, bool bStored) {
        b.Fields(bStored ? 4 : 3);
        if (bStored) b.i32(5);
        b.i32(16).i32(8).i32(1).Strings(2).str("効果").str("e.bmp").u32(0);
      },
      {StoredValueCase{150, 0}, StoredValueCase{152, 0}, StoredValueCase{153, 5}}, 151);
}

TEST_F(DatabaseRows, ExchangeBitmapSizeArrivesWithVersion172) {
  cBmpCharaExcDef row;
  row.m_bOwnSize = 1;
  row.m_nSize = 5;
  cRecordBytes old;
  old.IntRecord({9}, "名前", "c.bmp");
  LoadRow(row, 171, old);
  EXPECT_EQ(row.m_strBitmap, "c.bmp");
  EXPECT_EQ(row.m_bOwnSize, 1);
  EXPECT_EQ(row.m_nSize, 5);

  cRecordBytes now;
  now.IntRecord({9, 0, 3}, "名前", "c.bmp");
  LoadRow(row, 172, now);
  EXPECT_EQ(row.m_bOwnSize, 0);
  EXPECT_EQ(row.m_nSize, 3);
}

TEST_F(DatabaseRows, SwordFrameMirrorSwitchesArriveWithVersion138) {
  cRecordBytes old;
  old.IntRecord({}, "剣", "a.bmp", "b.bmp").u32(1).IntRecord({-1, -2, 3, 4, 5, 6, 7, 8});
  cSwordTypeDef sword;
  LoadRow(sword, 137, old);
  ASSERT_EQ(sword.m_Frames.size(), 1u);
  const cSwordFrame& f = sword.m_Frames[0];
  EXPECT_EQ(f.m_nOffsetX, -1);
  EXPECT_EQ(f.m_nOffsetY, -2);
  EXPECT_EQ(f.m_bMirrorX, 1);
  EXPECT_EQ(f.m_bMirrorY, 0);
  EXPECT_EQ(f.m_nAnchor, 3);
  EXPECT_EQ(f.m_nSrcX, 4);
  EXPECT_EQ(f.m_nSrcY, 5);
  EXPECT_EQ(f.m_nWidth, 6);
  EXPECT_EQ(f.m_nHeight, 7);
  EXPECT_EQ(f.m_nDuration, 8);

  cRecordBytes now;
  now.IntRecord({}, "剣", "a.bmp", "b.bmp").u32(1).IntRecord({-1, -2, 0, 1, 3, 4, 5, 6, 7, 8});
  LoadRow(sword, 150, now);
  EXPECT_EQ(sword.m_Frames.at(0).m_bMirrorX, 0);
  EXPECT_EQ(sword.m_Frames.at(0).m_bMirrorY, 1);
  EXPECT_EQ(sword.m_Frames.at(0).m_nDuration, 8);
}

TEST_F(DatabaseRows, EffectParametersOfOldFilesTakeCurrentDefaults) {
  struct Case {
    bool bScreen;
    int nVersion;
    int32_t nKind;
    int nParam;         // the parameter to watch
    int32_t nExpected;  // its value after the load (stored: 0)
  };
  const Case cases[] = {
      {false, 510, 4, 4, 2},  {false, 511, 4, 4, 0}, {false, 510, 5, 4, 2}, {false, 510, 10, 3, 2},
      {false, 510, 10, 4, 0}, {false, 510, 9, 3, 0}, {true, 400, 10, 3, 8}, {true, 400, 9, 3, 0},
      {true, 510, 6, 4, 8},   {true, 510, 7, 4, 10}, {true, 511, 7, 4, 0},  {true, 510, 4, 4, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.bScreen ? "screen" : "chara") << " v" << c.nVersion
                                    << " kind " << c.nKind << " P" << c.nParam);
    cRecordBytes b;
    b.Fields(2).i32(c.nKind).i32(5).i32(0).i32(32).i32(0).i32(0).Strings(1).str("e");
    if (c.bScreen) {
      cScrEffectDef row;
      LoadRow(row, c.nVersion, b);
      EXPECT_EQ(row.m_anParam[c.nParam], c.nExpected);
      EXPECT_EQ(row.m_anParam[2], 32);
    } else {
      cCharaEffectDef row;
      LoadRow(row, c.nVersion, b);
      EXPECT_EQ(row.m_anParam[c.nParam], c.nExpected);
      EXPECT_EQ(row.m_anParam[2], 32);
    }
  }
}

TEST_F(DatabaseRows, ParameterTablesHoldOneEntryPerKindAndParameter) {
  // Every kind's parameter 0 is its run time; kind 0 has no parameters.
  for (int k = 1; k < CHARAEFFECT_KINDS; ++k) {
    EXPECT_EQ(g_CharaEffectParams[k * 5].strLabel, "実行時間(1/10s)") << k;
    EXPECT_EQ(g_CharaEffectParams[k * 5].nMax, 9999) << k;
  }
  for (int k = 1; k < SCREFFECT_KINDS; ++k)
    EXPECT_EQ(g_ScrEffectParams[k * 5].strLabel, "実行時間(1/10s)") << k;
  for (int p = 0; p < 5; ++p) EXPECT_TRUE(g_CharaEffectParams[p].strLabel.empty());
  EXPECT_EQ(g_CharaEffectParams[12 * 5 + 3].nMin, -16);    // lens shift X
  EXPECT_EQ(g_CharaEffectParams[16 * 5 + 2].nDefault, 4);  // blur end
  EXPECT_EQ(g_ScrEffectParams[1 * 5 + 3].nDefault, 640);   // move end X
  EXPECT_EQ(g_ScrEffectParams[13 * 5 + 2].nDefault, 60);   // mosaic end
  EXPECT_TRUE(g_ScrEffectParams[13 * 5 + 3].strLabel.empty());
}

TEST_F(DatabaseRows, DefaultRows) {
  const cSwordTypeDef sword;
  ASSERT_EQ(sword.m_Frames.size(), 1u);
  EXPECT_EQ(sword.m_Frames[0].m_bMirrorX, 1);
  EXPECT_EQ(sword.m_Frames[0].m_nDuration, 1);
  EXPECT_EQ(sword.m_Frames[0].m_nWidth, 0);
  const cCharaEffectDef chara;
  EXPECT_EQ(chara.m_nKind, 1);
  for (int32_t p : chara.m_anParam) EXPECT_EQ(p, 0);
  const cEffectAnimDef effect;
  EXPECT_EQ(effect.m_nCellWidth, 32);
  EXPECT_TRUE(effect.m_Frames.empty());
  const cBmpCharaExcDef bmp;
  EXPECT_EQ(bmp.m_nSize, 2);
}

// ---- Run-time patterns ------------------------------------------------------

using Steps = std::vector<ANIMESTEP>;

Steps StepsOf(const ANIMEPATTERN& pattern) { return Steps(pattern.begin(), pattern.end()); }

cAnimeDef AnimeWith(std::initializer_list<cAnimeFrame> frames) {
  cAnimeDef anime;
  anime.m_Frames.assign(frames);
  return anime;
}

cAnimeFrame Frame(int32_t nCell, int32_t nTenths, int32_t bHold) {
  cAnimeFrame f;
  f.m_nCell = nCell;
  f.m_nDuration = nTenths;
  f.m_bHold = bHold;
  return f;
}

TEST_F(DatabaseRows, AnimePatternsHoldFromTheFirstFlaggedFrame) {
  g_Database.m_Anime.clear();
  g_Database.m_Anime.push_back(AnimeWith({Frame(1, 2, 0), Frame(2, 4, 1)}));
  g_Database.m_Anime.push_back(AnimeWith({}));
  g_Database.m_Anime.push_back(AnimeWith({Frame(9, 0x7FFFFFFF, 0)}));
  g_Database.m_Anime.push_back(AnimeWith({Frame(5, 2, 0), Frame(6, 3, 1), Frame(7, 1, 0)}));
  BuildAnimePatterns(g_AnimePatterns);
  ASSERT_EQ(g_AnimePatterns.size(), 4u);
  EXPECT_EQ(StepsOf(g_AnimePatterns[0]), (Steps{{1, 0, 1}, {2, 0, 1}, {-2, 0, 1}}));
  EXPECT_EQ(StepsOf(g_AnimePatterns[1]), (Steps{{-4, 0, 0}}));
  // A duration no editor writes saturates instead of overflowing.
  EXPECT_EQ(StepsOf(g_AnimePatterns[2]), (Steps{{9, 0x7FFFFFFF, 0}, {-4, 0, 0}}));
  EXPECT_EQ(StepsOf(g_AnimePatterns[3]), (Steps{{5, 12, 0}, {6, 18, 1}, {7, 6, 1}, {-4, 0, 0}}));

  g_Database.m_Anime.resize(1);
  g_Database.m_Anime[0].m_Frames.clear();
  BuildAnimePatterns(g_AnimePatterns);
  ASSERT_EQ(g_AnimePatterns.size(), 1u);
  EXPECT_EQ(StepsOf(g_AnimePatterns[0]), (Steps{{-2, 0, 1}}));
}

TEST_F(DatabaseRows, EffectPatternsHaveNoHoldOutsideRowZero) {
  cEffectAnimDef effect;
  effect.m_Frames.resize(2);
  effect.m_Frames[0].m_nCell = 2;
  effect.m_Frames[0].m_nDuration = 1;
  effect.m_Frames[1].m_nCell = 3;
  effect.m_Frames[1].m_nDuration = 2;
  g_Database.m_Effect.assign(5, effect);
  BuildEffectPatterns(g_EffectPatterns);
  ASSERT_EQ(g_EffectPatterns.size(), 5u);
  EXPECT_EQ(StepsOf(g_EffectPatterns[0]), (Steps{{2, 0, 1}, {3, 0, 1}, {-2, 0, 1}}));
  EXPECT_EQ(StepsOf(g_EffectPatterns[4]), (Steps{{2, 6, 0}, {3, 12, 0}, {-4, 0, 0}}));
}

// ---- Effect time lines ------------------------------------------------------

void SetEffect(cEffectDef& row, int32_t nKind, std::initializer_list<int32_t> params) {
  row.m_nKind = nKind;
  int i = 0;
  for (int32_t p : params) row.m_anParam[i++] = p;
}

TEST_F(DatabaseRows, CharaEffectStepsNormalAndReversed) {
  auto& table = g_Database.m_CharaEffect;
  table.assign(5, cCharaEffectDef());
  SetEffect(table[0], 0, {10, 1, 2, 0, 0});
  SetEffect(table[1], 4, {10, 0, 60, 3, 2});  // wave: range
  SetEffect(table[2], 6, {10, 2, 0, 0, 0});   // blink: time
  SetEffect(table[3], 1, {0, 5, 5, 0, 0});    // no run time
  SetEffect(table[4], 7, {-3, 0, 30, 0, 0});  // negative run time
  g_Database.MakeEffectWorkingCopies();
  BuildCharaEffectStates(g_CharaEffectSteps, g_CharaEffectStepsRev);
  ASSERT_EQ(g_CharaEffectSteps.size(), 5u);
  ASSERT_EQ(g_CharaEffectStepsRev.size(), 5u);

  const EFFECTSTEPS& none = g_CharaEffectSteps[0];
  EXPECT_EQ(none.lpRow, &table[0]);
  EXPECT_EQ(none.dStep, 0.0);

  const EFFECTSTEPS& wave = g_CharaEffectSteps[1];
  EXPECT_EQ(wave.nEffect, 1);
  EXPECT_EQ(wave.lpRow, &table[1]);
  EXPECT_EQ(wave.nStart, 0);
  EXPECT_EQ(wave.nEnd, 60);
  EXPECT_EQ(wave.dValue, 0.0);
  EXPECT_EQ(wave.dStep, 1.0);
  const EFFECTSTEPS& waveRev = g_CharaEffectStepsRev[1];
  EXPECT_EQ(waveRev.lpRow, &g_Database.m_CharaEffectWork[1]);
  EXPECT_EQ(waveRev.nStart, 60);
  EXPECT_EQ(waveRev.nEnd, 0);
  EXPECT_EQ(waveRev.dValue, 60.0);
  EXPECT_EQ(waveRev.dStep, 1.0);
  // The reversal is made in the working copy only.
  EXPECT_EQ(table[1].m_anParam[1], 0);
  EXPECT_EQ(g_Database.m_CharaEffectWork[1].m_anParam[1], 60);

  for (const EFFECTSTEPS* blink : {&g_CharaEffectSteps[2], &g_CharaEffectStepsRev[2]}) {
    EXPECT_EQ(blink->nStart, 0);
    EXPECT_EQ(blink->nEnd, 10);
    EXPECT_DOUBLE_EQ(blink->dStep, 1.0 / 6.0);
  }
  EXPECT_EQ(g_Database.m_CharaEffectWork[2].m_anParam[1], 2);

  // Without a run time the effect lasts one frame: the step covers the whole
  // way and stays finite.
  EXPECT_EQ(g_CharaEffectSteps[3].dStep, 0.0);
  EXPECT_EQ(g_CharaEffectSteps[4].dStep, 30.0);
  EXPECT_EQ(g_CharaEffectStepsRev[4].dStep, 30.0);
}

TEST_F(DatabaseRows, ScrEffectStepsNormalAndReversed) {
  auto& table = g_Database.m_ScrEffect;
  table.assign(4, cScrEffectDef());
  SetEffect(table[1], 1, {10, -5, 6, 640, 7});  // move
  SetEffect(table[2], 10, {10, 640, 0, 8, 0});  // circle: range
  SetEffect(table[3], 2, {10, 4, 4, 0, 0});     // shake: nothing swapped
  g_Database.MakeEffectWorkingCopies();
  BuildScrEffectStates(g_ScrEffectSteps, g_ScrEffectStepsRev);

  EXPECT_EQ(g_ScrEffectSteps[1].nA, -5);
  EXPECT_EQ(g_ScrEffectSteps[1].nB, 6);
  EXPECT_EQ(g_ScrEffectStepsRev[1].nA, 640);
  EXPECT_EQ(g_ScrEffectStepsRev[1].nB, 7);
  EXPECT_DOUBLE_EQ(g_ScrEffectStepsRev[1].dStep, 1.0 / 6.0);
  const cEffectDef& moveRev = g_Database.m_ScrEffectWork[1];
  EXPECT_EQ((std::vector<int32_t>(moveRev.m_anParam, moveRev.m_anParam + 5)),
            (std::vector<int32_t>{10, 640, 7, -5, 6}));

  EXPECT_EQ(g_ScrEffectSteps[2].dValue, 640.0);
  EXPECT_DOUBLE_EQ(g_ScrEffectSteps[2].dStep, 640.0 / 60.0);
  EXPECT_EQ(g_ScrEffectStepsRev[2].dValue, 0.0);

  EXPECT_EQ(g_Database.m_ScrEffectWork[3].m_anParam[1], 4);
  EXPECT_DOUBLE_EQ(g_ScrEffectStepsRev[3].dStep, 1.0 / 6.0);
}

TEST_F(DatabaseRows, StepListAccessIsChecked) {
  g_CharaEffectSteps.assign(2, EFFECTSTEPS{});
  g_CharaEffectSteps[0].nEffect = 42;
  EXPECT_EQ(CharaEffectStepsAt(g_CharaEffectSteps, 5).nEffect, 42);
  EXPECT_NE(m_Folder.ReportLogText().find("err V[5] ( 2 , 56 )"), std::string::npos);
}

}  // namespace
