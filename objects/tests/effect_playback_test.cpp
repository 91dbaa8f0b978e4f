// The time line of a running character or screen effect: how many frames
// each run mode lasts, where the value stands when it ends, and the effects
// without a run time, which last one frame.

#include "objects/effect_playback.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <utility>

#include "records/database.h"
#include "testing/record_guard.h"

namespace {

void SetRow(cEffectDef& row, int32_t nKind, std::initializer_list<int32_t> params) {
  row.m_nKind = nKind;
  int i = 0;
  for (int32_t p : params) row.m_anParam[i++] = p;
}

// Character effect rows 1.. and screen effect rows 1.. as given, with the
// step lists built as start-up builds them.
class cEffectTables {
 public:
  cEffectTables(std::initializer_list<cCharaEffectDef> chara,
                std::initializer_list<cScrEffectDef> screen) {
    g_Database.m_CharaEffect.assign(1, cCharaEffectDef());
    for (const cCharaEffectDef& row : chara) g_Database.m_CharaEffect.push_back(row);
    g_Database.m_ScrEffect.assign(1, cScrEffectDef());
    for (const cScrEffectDef& row : screen) g_Database.m_ScrEffect.push_back(row);
    g_Database.ResetEffectEntryZero();
    BuildDatabaseTables();
  }

 private:
  cRecordGlobalsGuard m_guard;
};

template <class Row>
Row MakeRow(int32_t nKind, std::initializer_list<int32_t> params) {
  Row row;
  SetRow(row, nKind, params);
  return row;
}
const auto Chara = MakeRow<cCharaEffectDef>;
const auto Screen = MakeRow<cScrEffectDef>;

// Calls of Step until the first 1; nMax + 1 when none came.
int CallsUntilEnd(cEffectPlayback& p, int nMax = 1000) {
  for (int i = 1; i <= nMax; ++i)
    if (p.Step()) return i;
  return nMax + 1;
}
// The screen effect of a range kind, stepped as its handler does: from P1
// to P2 of the row in use (the reversed row has them exchanged).
int ScreenCallsUntilEnd(cEffectPlayback& p, int nMax = 1000) {
  for (int i = 1; i <= nMax; ++i)
    if (p.StepToward(p.lpRow->m_anParam[1], p.lpRow->m_anParam[2])) return i;
  return nMax + 1;
}

TEST(EffectPlaybackTest, RunModesOfARangeEffect) {
  cEffectTables tables({Chara(CHARAEFFECT_BURST, {10, 0, 60})}, {});
  struct Case {
    const char* name;
    int nMode, bLoop;
    int nCalls;     // the call that returned 1
    double dValue;  // the value then
    int bReversed;
  } const cases[] = {
      // 60 steps of 1 reach 60; the 61st passes the end.
      {"normal", cEffectPlayback::RUN_NORMAL, 0, 61, 61.0, 0},
      // From 60 down to 0; it ends when the value reaches -1.
      {"reversed", cEffectPlayback::RUN_REVERSED, 0, 61, -1.0, 1},
      // Forward, the way back starts in the call that passed the end.
      {"there and back", cEffectPlayback::RUN_THERE_AND_BACK, 0, 122, -1.0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cEffectPlayback p;
    p.StartCharaEffect(1, c.nMode, c.bLoop);
    EXPECT_EQ(p.nEffect, 1);
    EXPECT_EQ(p.dValue, c.nMode == cEffectPlayback::RUN_REVERSED ? 60.0 : 0.0);
    EXPECT_EQ(CallsUntilEnd(p), c.nCalls);
    EXPECT_EQ(p.dValue, c.dValue);
    EXPECT_EQ(p.bReversed, c.bReversed);
  }

  // There and back turns round in the call that passes the end.
  cEffectPlayback p;
  p.StartCharaEffect(1, cEffectPlayback::RUN_THERE_AND_BACK, 0);
  for (int i = 0; i < 60; ++i) p.Step();
  p.nFrame = 7;
  EXPECT_EQ(p.Step(), 0);
  EXPECT_EQ(p.bReversed, 1);
  EXPECT_EQ(p.dValue, 60.0);
  EXPECT_EQ(p.nFrame, 0);

  // Looping, neither mode ever ends.
  for (int nMode : {cEffectPlayback::RUN_NORMAL, cEffectPlayback::RUN_THERE_AND_BACK}) {
    p.StartCharaEffect(1, nMode, 1);
    EXPECT_EQ(CallsUntilEnd(p, 1000), 1001) << nMode;
  }
}

TEST(EffectPlaybackTest, TimeKindsCountTenthsWhateverTheRunMode) {
  cEffectTables tables(
      {Chara(CHARAEFFECT_BLINK, {10, 2}), Chara(CHARAEFFECT_TRANSLUCENT, {10, 9999})}, {});
  for (int nEffect : {1, 2}) {
    for (int nMode : {0, 1}) {
      cEffectPlayback p;
      p.StartCharaEffect(nEffect, nMode, 0);
      EXPECT_EQ(p.dValue, 0.0);
      EXPECT_EQ(p.nEnd, 10);
      EXPECT_EQ(CallsUntilEnd(p), 61) << nEffect << " " << nMode;
    }
  }
}

TEST(EffectPlaybackTest, TheScreenEffectComparesTheTruncatedValue) {
  // Steps of 0.5: the value 30.5 is still 30 once truncated, and -0.5 is 0.
  cEffectTables tables(
      {}, {Screen(SCREFFECT_SPLIT_H, {10, 0, 30, 15}), Screen(SCREFFECT_MOVE, {10, 1, 2, 3, 4})});
  cEffectPlayback p;
  p.StartScrEffect(1, cEffectPlayback::RUN_NORMAL, 0);
  EXPECT_EQ(ScreenCallsUntilEnd(p), 62);
  p.StartScrEffect(1, cEffectPlayback::RUN_REVERSED, 0);
  EXPECT_EQ(p.dValue, 30.0);
  EXPECT_EQ(ScreenCallsUntilEnd(p), 62);
  EXPECT_EQ(p.dValue, -1.0);
  p.StartScrEffect(1, cEffectPlayback::RUN_THERE_AND_BACK, 0);
  EXPECT_EQ(ScreenCallsUntilEnd(p), 124);
  EXPECT_EQ(p.bReversed, 1);

  // An end at the far end of the int range is passed too.
  for (const auto& [nFrom, nTo] : {std::pair{0, INT32_MIN}, std::pair{0, INT32_MAX}}) {
    g_Database.m_ScrEffect[1].m_anParam[1] = nFrom;
    g_Database.m_ScrEffect[1].m_anParam[2] = nTo;
    BuildDatabaseTables();
    p.StartScrEffect(1, cEffectPlayback::RUN_NORMAL, 0);
    EXPECT_EQ(ScreenCallsUntilEnd(p), 61) << nTo;
  }

  // A move run reversed starts at (P3, P4).
  p.StartScrEffect(2, cEffectPlayback::RUN_REVERSED, 0);
  EXPECT_EQ(p.nA, 3);
  EXPECT_EQ(p.nB, 4);
  EXPECT_EQ(p.lpRow->m_anParam[3], 1);
  EXPECT_EQ(p.lpRow->m_anParam[4], 2);
}

TEST(EffectPlaybackTest, WithoutARunTimeAnEffectLastsOneFrame) {
  // A run time of 0 or less would divide by zero or step away from the end.
  cEffectTables tables(
      {Chara(CHARAEFFECT_BURST, {0, 0, 60}), Chara(CHARAEFFECT_ZOOM, {-5, 64, 32}),
       Chara(CHARAEFFECT_BLINK, {0, 2}), Chara(CHARAEFFECT_BLINK, {-3, 2}),
       Chara(CHARAEFFECT_TINT, {0, 3, 3, 1})},
      {Screen(SCREFFECT_SHAKE_H, {0, 8, 4}), Screen(SCREFFECT_BLINK, {-1, 10}),
       Screen(SCREFFECT_ZOOM, {0, 640, 1280}), Screen(SCREFFECT_MOSAIC, {-7, 20, 1})});
  for (int n = 1; n <= 5; ++n) {
    for (int nMode : {0, 1}) {
      cEffectPlayback p;
      p.StartCharaEffect(n, nMode, 0);
      EXPECT_EQ(p.Step(), 1) << n << " " << nMode;
      EXPECT_TRUE(std::isfinite(p.dValue));
      // There and back: one frame each way.
      p.StartCharaEffect(n, cEffectPlayback::RUN_THERE_AND_BACK, 0);
      EXPECT_EQ(p.Step(), 0);
      EXPECT_EQ(p.Step(), 1) << n;
      // Looping, it starts again at every step.
      p.StartCharaEffect(n, nMode, 1);
      const double dStart = p.dValue;
      for (int i = 0; i < 3; ++i) EXPECT_EQ(p.Step(), 0);
      EXPECT_EQ(p.dValue, dStart);
    }
  }
  // The handlers step time kinds from 0 to P0 and range kinds from P1 to P2.
  const int aRange[][2] = {{0, 0}, {0, -1}, {640, 1280}, {20, 1}};
  for (int n = 1; n <= 4; ++n) {
    cEffectPlayback p;
    p.StartScrEffect(n, cEffectPlayback::RUN_NORMAL, 0);
    EXPECT_EQ(p.StepToward(aRange[n - 1][0], aRange[n - 1][1]), 1) << n;
  }
}

TEST(EffectPlaybackTest, ResetLeavesNoEffectRunning) {
  cEffectTables tables({Chara(CHARAEFFECT_BURST, {10, 0, 60})}, {});
  cEffectPlayback p;
  EXPECT_FALSE(p.IsRunning());
  p.StartCharaEffect(1, cEffectPlayback::RUN_THERE_AND_BACK, 1);
  p.Step();
  EXPECT_TRUE(p.IsRunning());
  p.Reset();
  EXPECT_FALSE(p.IsRunning());
  EXPECT_EQ(p.lpRow, nullptr);
  EXPECT_EQ(p.bLoop, 0);
  EXPECT_EQ(p.bReversed, 0);
}

}  // namespace
