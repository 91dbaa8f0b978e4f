// The character effects on both back ends: the blink's turns, the zoom's
// size on a normal and a giant character, the mark's cell, the kinds that
// draw plainly (split without parts, kinds without a handler), frozen
// frames, invisible characters, the appearance effect of the stage's start,
// mosaic on an 8-bit display and stored values that no arithmetic of the
// handlers may turn into undefined behaviour.

#include "objects/chara_effect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "play/tests/chara_effect_world.h"
#include "stagedata/progress/play_data.h"
#include "testing/play_fixture.h"

namespace {

class CharaEffectTest : public ::testing::TestWithParam<bool> {
 protected:
  CHARAEFFECTWORLD Options(std::vector<CHARAEFFECTROW> rows) {
    return {.bGpu = GetParam(), .rows = std::move(rows)};
  }
};

// Which of a number of frames show the hero ('X') and which do not.
std::string Visibility(cCharaEffectWorld& w, int nFrames) {
  std::string seen;
  for (int i = 0; i < nFrames; ++i) {
    w.DrawHero(0);
    seen += w.HeroShown() ? 'X' : '.';
  }
  return seen;
}

TEST_P(CharaEffectTest, BlinkHidesThreeFramesThenTurnsEveryInterval) {
  cCharaEffectWorld w(Options({{CHARAEFFECT_BLINK, {10, 2}},
                               {CHARAEFFECT_TRANSLUCENT, {10, 2}},
                               {CHARAEFFECT_TRANSLUCENT, {10, 9999}}}));
  ASSERT_TRUE(w.m_bReady);
  cChara& hero = w.Hero();
  hero.m_CharaEffect.StartCharaEffect(1, 0, 0);
  EXPECT_EQ(Visibility(w, 12), "...XX..XX..X");
  // 半透明 shows in the turns 点滅 hides, and with its default interval it
  // never hides within an effect of an ordinary length.
  hero.m_CharaEffect.StartCharaEffect(2, 0, 0);
  EXPECT_EQ(Visibility(w, 12), "XXX..XX..XX.");
  hero.m_CharaEffect.StartCharaEffect(3, 0, 0);
  EXPECT_EQ(Visibility(w, 61), std::string(61, 'X'));
  EXPECT_FALSE(hero.m_CharaEffect.IsRunning()) << "over after its 60 frames and one";
}

// The width of what the hero's middle row shows.
int DrawnWidth(cCharaEffectWorld& w) {
  const SCREENRECT& rc = w.Rect();
  const int y = (rc.top + rc.bottom) / 2;
  int n = 0;
  for (int x = 0; x < 640; ++x) n += w.Pixel(x, y) != kBackColour ? 1 : 0;
  return n;
}

TEST_P(CharaEffectTest, ZoomGrowsANormalCharacterToItsValueAndAGiantByHalfItsGrowthMore) {
  cCharaEffectWorld w(Options({{CHARAEFFECT_ZOOM, {10, 32, 64}}}));
  ASSERT_TRUE(w.m_bReady);
  cChara& hero = w.Hero();
  struct Case {
    int nGiant;
    double v;
    int nWidth;
  } const cases[] = {
      {1, 32, 32}, {1, 48, 48}, {1, 64, 64},
      {2, 32, 64}, {2, 48, 80}, {2, 64, 96},  // 64 + (64 - 32) x 2 / 2
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "giant " << c.nGiant << ", value " << c.v);
    hero.SetScale(c.nGiant, hero.m_Def.m_nGiant);
    hero.m_Def.m_nGiant = static_cast<int8_t>(c.nGiant);
    hero.m_CharaEffect.StartCharaEffect(1, 0, 0);
    hero.m_CharaEffect.dValue = c.v;
    w.DrawHero(1);
    EXPECT_EQ(DrawnWidth(w), c.nWidth);
  }
}

TEST_P(CharaEffectTest, TheMarkIsTheCellOfItsNumberOverTheCharacter) {
  cCharaEffectWorld w(Options({}));
  ASSERT_TRUE(w.m_bReady);
  cChara& hero = w.Hero();
  hero.m_Def.m_bMark = 1;
  hero.m_Def.m_nMark = 17;  // (17 / 15) x 32 = 32, (17 mod 15) x 32 = 64
  for (const int nGiant : {1, 2}) {
    SCOPED_TRACE(nGiant);
    hero.SetScale(nGiant, hero.m_Def.m_nGiant);
    hero.m_Def.m_nGiant = static_cast<int8_t>(nGiant);
    w.DrawHero(0);
    const SCREENRECT& rc = w.Rect();
    EXPECT_EQ(w.Pixel(rc.left, rc.top), MarkColour(1, 2));
    EXPECT_EQ(w.Pixel(rc.right, rc.bottom), MarkColour(1, 2));
  }
}

TEST_P(CharaEffectTest, SplitsWithoutPartsAndKindsWithoutAHandlerDrawPlainly) {
  constexpr int32_t kBig = std::numeric_limits<int32_t>::max();
  cCharaEffectWorld w(Options({
      {CHARAEFFECT_SPLIT_H, {10, 8, 8, 0}},
      {CHARAEFFECT_SPLIT_V, {10, 8, 8, -3}},
      {CHARAEFFECT_SPLIT_H, {10, 8, 8, 4}},  // strips of 8 lines: not plain
      {17, {10, 8, 8, 4}},
      {-1, {10, 8, 8, 4}},
      {kBig, {10, 8, 8, 4}},
  }));
  ASSERT_TRUE(w.m_bReady);
  cChara& hero = w.Hero();
  w.DrawHero(1);
  const uint64_t nPlain = w.BackBufferChecksum();
  for (const int n : {1, 2, 3, 4, 5, 6}) {
    SCOPED_TRACE(n);
    hero.m_CharaEffect.StartCharaEffect(n, 0, 0);
    w.DrawHero(0);
    EXPECT_EQ(w.BackBufferChecksum() == nPlain, n != 3);
  }
  // Without a handler the effect neither advances nor ends.
  EXPECT_EQ(CharaEffectKind(hero.m_CharaEffect), CHARAEFFECT_NONE);
  const EFFECTSTEPS before = hero.m_CharaEffect;
  for (int i = 0; i < 100; ++i) w.DrawHero(0);
  EXPECT_EQ(hero.m_CharaEffect.nEffect, 6);
  EXPECT_EQ(hero.m_CharaEffect.dValue, before.dValue);
  EXPECT_EQ(hero.m_CharaEffect.nFrame, before.nFrame);
}

TEST_P(CharaEffectTest, FrozenFramesHoldTheEffectAndAnInvisibleCharacterOnlyRunsIt) {
  cCharaEffectWorld w(Options({{CHARAEFFECT_ZOOM, {1, 32, 44}}, {CHARAEFFECT_BLINK, {10, 2}}}));
  ASSERT_TRUE(w.m_bReady);
  cChara& hero = w.Hero();
  cEffectPlayback& e = hero.m_CharaEffect;
  e.StartCharaEffect(1, 0, 0);
  w.DrawHero(0);
  EXPECT_EQ(e.dValue, 34.0);
  for (int i = 0; i < 5; ++i) {
    w.DrawHero(1);
    EXPECT_EQ(hero.TickCharaEffect(1), 0);
  }
  EXPECT_EQ(e.dValue, 34.0);
  // The blink's turn still changes in a frozen frame once its count has
  // reached the interval, and only then.
  e.StartCharaEffect(2, 0, 0);
  w.DrawHero(0);
  w.DrawHero(0);
  EXPECT_EQ(e.nB, 0);
  w.DrawHero(1);
  EXPECT_EQ(e.nB, 1);
  w.DrawHero(1);
  EXPECT_EQ(e.nB, 1);
  EXPECT_EQ(e.nA, 0);

  // Invisible (透明): nothing drawn, the effect runs and ends.
  hero.m_Def.m_bTransparent = 1;
  e.StartCharaEffect(1, 0, 0);
  for (int i = 0; i < 6; ++i) {
    w.DrawHero(0);
    EXPECT_FALSE(w.HeroShown());
    EXPECT_TRUE(e.IsRunning());
  }
  w.DrawHero(0);
  EXPECT_FALSE(e.IsRunning());
}

TEST_P(CharaEffectTest, TheAppearanceEffectPlaysFromTheStartOfPlay) {
  // A tint toward colour 250 from level 1 to 4 over a tenth, started with
  // the hero at set-up;
  // the frames of the fade-in are frozen and leave it standing.
  cCharaEffectWorld w({.bGpu = GetParam(),
                       .rows = {{CHARAEFFECT_TINT, {1, 1, 4, 250}}},
                       .hero = [](cEdChara& hero) {
                         hero.m_nCharaEffect = 1;
                         hero.m_bCharaEffectLoop = 0;
                       }});
  ASSERT_TRUE(w.m_bReady);
  cChara& hero = w.Hero();
  EXPECT_EQ(hero.m_CharaEffect.nEffect, 1);
  EXPECT_EQ(hero.m_CharaEffect.dValue, 1.0);
  int nTinted = 0;
  for (int i = 0; i < 10; ++i) {
    w.DrawHero(0);
    const SCREENRECT& rc = w.Rect();
    const int p = w.Pixel((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    nTinted += IsCellColour(p) ? 0 : 1;
  }
  EXPECT_EQ(nTinted, 7) << "a tenth and a frame";
  EXPECT_FALSE(hero.m_CharaEffect.IsRunning());
}

// Stored values at the ends of their types and playback values that are no
// numbers: every kind draws (or draws nothing) without a fault, on a normal
// character and on one of giant factor 127.
TEST_P(CharaEffectTest, ExtremeValuesDrawWithoutFault) {
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
  const std::array<int32_t, kEffectParams> params[] = {
      {kMax, kMax, kMax, kMax, kMax}, {kMin, kMin, kMin, kMin, kMin}, {0, kMin, kMax, 0, kMin}};
  std::vector<CHARAEFFECTROW> rows;
  for (int k = 0; k < CHARAEFFECT_KINDS; ++k)
    for (const auto& p : params) rows.push_back({k, p});
  cCharaEffectWorld w(Options(rows));
  ASSERT_TRUE(w.m_bReady);
  cChara& hero = w.Hero();
  const double values[] = {std::nan(""), HUGE_VAL, -HUGE_VAL, 1e300, -1e300, 5e9, -5e9};
  for (const int nGiant : {1, 127}) {
    hero.SetScale(nGiant, hero.m_Def.m_nGiant);
    hero.m_Def.m_nGiant = static_cast<int8_t>(nGiant);
    for (int n = 1; n <= static_cast<int>(rows.size()); ++n) {
      for (const double v : values) {
        SCOPED_TRACE(testing::Message() << "giant " << nGiant << ", row " << n << ", value " << v);
        hero.m_CharaEffect.StartCharaEffect(n, 2, 1);
        hero.m_CharaEffect.dValue = v;
        w.DrawHero(0);
        w.DrawHero(0);
      }
    }
  }
  EXPECT_EQ(GetCloseRequestCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(BackEnds, CharaEffectTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "Textured" : "Surface";
                         });

// The frames the hero lies dead before the miss is settled, by what it dies
// with: 61 frames after its death effect, however that effect runs, and an
// effect that ran before its death does not keep it from ending.
TEST_P(CharaEffectTest, TheHerosDeathLastsItsDeathEffectAndSixtyOneFrames) {
  cCharaEffectWorld w(Options({
      {CHARAEFFECT_TINT, {1, 1, 4, 250}},  // 1: ends at its 7th step
      {CHARAEFFECT_ZOOM, {1, 32, 32}},     // 2: its value cannot move
      {CHARAEFFECT_NONE, {10}},            // 3: a row of no kind
      {CHARAEFFECT_BLINK, {10, 2}},        // 4
  }));
  ASSERT_TRUE(w.m_bReady);
  struct Case {
    int nDeathEffect, nMode, nRunning;
    int nFrames;
  } const cases[] = {
      {0, 0, 0, 61},          // none
      {0, 0, 4, 61},          // none, but a looping blink was running
      {1, 0, 4, 7 + 61},      // a blink was running
      {1, 1, 0, 7 + 61},      // reversed
      {1, 2, 0, 7 + 7 + 61},  // there and back
      {2, 0, 0, 8 + 61},      // its run time and a frame
      {3, 0, 0, 61},          // a row of no kind
  };
  g_PlayData.m_nLives = kInfiniteLives;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "death effect " << c.nDeathEffect << " mode " << c.nMode
                                    << " running " << c.nRunning);
    cPlayScene& scene = w.Scene();
    ASSERT_EQ(scene.m_nState, 2);
    cPlayer& hero = *scene.Hero();
    hero.m_Def.m_nDeathEffect = static_cast<int16_t>(c.nDeathEffect);
    hero.m_Def.m_nDeathEffectMode = static_cast<int8_t>(c.nMode);
    if (c.nRunning) hero.m_CharaEffect.StartCharaEffect(c.nRunning, 0, 1);
    scene.HeroDies(nullptr);
    ASSERT_TRUE(hero.m_bDead);
    EXPECT_EQ(hero.m_CharaEffect.nEffect, c.nDeathEffect);
    EXPECT_EQ(hero.m_CharaEffect.bLoop, 0);
    int n = 0;
    while (scene.m_nState == 2 && n < 1000) {
      w.m_world.Frame(0, 0);
      ++n;
    }
    EXPECT_EQ(n, c.nFrames);
    ASSERT_TRUE(w.m_world.RunUntilPlay());
  }
}

// A dead computer character leaves once its death is over, in a frame of
// play: a frozen frame (a nested loop's, while the game thread may be
// walking the character lists) leaves it listed. Nor does a frozen frame
// advance the effect of an invisible character, which is not drawn.
TEST_P(CharaEffectTest, ADeadComputerCharacterLeavesOnlyInAFrameOfPlay) {
  cCharaEffectWorld w(Options({{CHARAEFFECT_TINT, {1, 1, 4, 250}}}));
  ASSERT_TRUE(w.m_bReady);
  cPlayScene& scene = w.Scene();
  const cPlayer& hero = *scene.Hero();
  auto add = [&](int nDeathEffect) -> cChara& {
    auto lpChara = std::make_unique<cTestChara>();
    cTestChara& c = *lpChara;
    cPlayFixture::SetupChara(c, scene.NewCharaId(), hero.m_dX + 40, hero.m_dY);
    c.m_Def.m_nGraphic = 1;
    c.m_Def.m_nDeathEffect = static_cast<int16_t>(nDeathEffect);
    scene.AddCharacter(std::move(lpChara));
    return c;
  };
  cChara& plain = add(0);
  cChara& effect = add(1);
  cChara& invisible = add(0);
  invisible.m_Def.m_bTransparent = 1;
  invisible.m_CharaEffect.StartCharaEffect(1, 0, 0);
  ASSERT_EQ(plain.Die(), 0);
  ASSERT_EQ(effect.Die(), 0);
  const auto listed = [&](const cChara& c) {
    return std::any_of(scene.CharaList().begin(), scene.CharaList().end(),
                       [&](const std::unique_ptr<cComChara>& lp) { return lp.get() == &c; });
  };
  for (int i = 0; i < 3; ++i) scene.DrawFrame(0, 1, 0, 1);
  EXPECT_TRUE(listed(plain));
  EXPECT_TRUE(listed(effect));
  EXPECT_EQ(effect.m_CharaEffect.dValue, 1.0) << "frozen frames do not advance it";
  EXPECT_EQ(invisible.m_CharaEffect.dValue, 1.0);
  scene.DrawFrame(1, 0, 1, 1);
  EXPECT_FALSE(listed(plain));
  EXPECT_EQ(invisible.m_CharaEffect.dValue, 1.5);
  for (int i = 1; i < 7; ++i) {
    ASSERT_TRUE(listed(effect)) << i;
    scene.DrawFrame(1, 0, 1, 1);
  }
  EXPECT_FALSE(listed(effect));
}

// On an 8-bit display the mosaic works on palette indices: each block takes
// the index of its top-left pixel.
TEST(CharaEffect8BitTest, MosaicFillsBlocksWithTheirTopLeftIndex) {
  cCharaEffectWorld w({.rows = {{CHARAEFFECT_MOSAIC, {10, 4, 4}}}, .nBpp = 8});
  ASSERT_TRUE(w.m_bReady);
  ASSERT_EQ(g_nBpp, 8);
  w.Hero().m_CharaEffect.StartCharaEffect(1, 0, 0);
  w.DrawHero(0);
  const SCREENRECT rc = w.Rect();
  int nChecked = 0;
  for (int y = rc.top; y <= rc.bottom; ++y) {
    for (int x = rc.left; x <= rc.right; ++x) {
      const int nCorner = w.Pixel(x - (x - rc.left) % 4, y - (y - rc.top) % 4);
      ASSERT_EQ(w.Pixel(x, y), nCorner) << x << ", " << y;
      ASSERT_TRUE(IsCellColour(nCorner));
      ++nChecked;
    }
  }
  EXPECT_EQ(nChecked, 32 * 32);
}

}  // namespace
