// The character base: jump arithmetic, hit points and gauges, impact and
// knock-back, the choice of the animation shown, copies and links, and the
// conditions on a character's state.

#include "objects/chara.h"

#include <gtest/gtest.h>

#include <cmath>

#include "flow/condition.h"
#include "objects/chara_search.h"
#include "objects/world.h"
#include "stagedata/stage_globals.h"
#include "testing/play_fixture.h"

namespace {

TEST(CharaJumpTest, StartVelocityIsTheNegativeRootAndTheHeroScalesIt) {
  for (int n : {1, 4, 10}) {
    cPlayFixture fixture({.nLevel = n, .dGravity = 0.5});
    const double g = 0.5 / (n * n);
    cTestChara& com = fixture.AddChara(600, 600);
    cPlayer& hero = fixture.AddHero(700, 600);
    EXPECT_EQ(com.JumpVelocityDots(0), -g);
    EXPECT_EQ(hero.JumpVelocityDots(0), -g * (0.99 - 0.025 * 0.5));
    const double v = com.JumpVelocity(3);
    EXPECT_EQ(v, (-g - std::sqrt(g * (g + 8.0 * 48))) * 0.5);
    EXPECT_NEAR(v * v + g * v - 2 * g * 48, 0.0, 1e-12);
    EXPECT_EQ(com.JumpRiseSteps(v), TruncInt(n - v / g));
    EXPECT_EQ(com.JumpDuration(3), TruncInt(n - v / g) / n / 6 + 1);
    // A negative height jumps as a height of 0, never as no number.
    EXPECT_EQ(com.JumpVelocity(-4), -g);
  }
  EXPECT_EQ(kRideJumpBoost, 1.0199999809265137);
}

TEST(CharaJumpTest, WithoutGravityTheRiseLastsOneFrame) {
  cPlayFixture fixture({.nLevel = 10, .dGravity = 0.0});
  cTestChara& c = fixture.AddChara(600, 600);
  EXPECT_EQ(c.JumpVelocity(3), 0.0);
  EXPECT_EQ(c.JumpRiseSteps(-2.0), 10);
  EXPECT_EQ(c.JumpDuration(3), 1);
}

TEST(CharaHpTest, ChangesStayInRangeAndAnimateTheGauge) {
  cPlayFixture fixture;
  cTestChara& c = fixture.AddChara(600, 600);
  c.m_Def.m_nMaxHp = 100;
  struct Case {
    int nHp, nDelta, bForce, nInvincible;
    int nExpectHp, nResult, nFrames, nWidth;
    double dChange;
  } const cases[] = {
      {10, -10, 0, 0, 0, 1, 0, 0, 0.0},  // dies: no gauge
      {10, -9, 0, 0, 1, 0, 120, 0, -4.5},
      {95, 20, 0, 0, 100, 0, 120, 50, 2.5},  // the gain is cut to +5
      {50, -20, 0, 1, 50, 0, 0, 0, 0.0},     // invincible: unforced loss refused
      {50, 0, 0, 2, 50, 0, 0, 0, 0.0},
      {50, -20, 1, 1, 30, 0, 120, 15, -10.0},  // forced
      {50, -2147483647 - 1, 1, 0, 0, 1, 0, 0, 0.0},
  };
  for (const Case& k : cases) {
    c.m_nHp = k.nHp;
    c.m_Def.m_nInvincible = static_cast<int8_t>(k.nInvincible);
    c.m_HpGauge = GAUGEANIM{};
    EXPECT_EQ(c.ChangeHp(k.nDelta, k.bForce, 1), k.nResult) << k.nHp << " " << k.nDelta;
    EXPECT_EQ(c.m_nHp, k.nExpectHp) << k.nHp << " " << k.nDelta;
    EXPECT_EQ(c.m_HpGauge.nFrames, k.nFrames) << k.nHp << " " << k.nDelta;
    EXPECT_EQ(c.m_HpGauge.nWidth, k.nWidth) << k.nHp << " " << k.nDelta;
    EXPECT_EQ(c.m_HpGauge.dChange, k.dChange) << k.nHp << " " << k.nDelta;
    EXPECT_EQ(c.m_HpGauge.dStep, k.dChange * 0.016666666666666666);
  }
}

TEST(CharaHpTest, AMaximumOfZeroGivesNoGaugeAndNoDivision) {
  cPlayFixture fixture;
  cTestChara& c = fixture.AddChara(600, 600);
  c.m_Def.m_nMaxSp = 0;
  c.m_nSp = 0;
  c.ChangeSp(5, 1);
  EXPECT_EQ(c.m_nSp, 0);
  EXPECT_EQ(c.m_SpGauge.nFrames, 0);
  c.m_Def.m_nMaxHp = 0;
  c.m_nHp = 0;
  c.AnimateHpGauge(-3);
  EXPECT_EQ(c.m_HpGauge.nFrames, 0);
}

TEST(CharaImpactTest, ResistanceLimitsTheImpactAndMotionAgainstItStops) {
  cPlayFixture fixture;  // N = 1
  cTestChara& c = fixture.AddChara(600, 600);
  c.m_Def.m_nImpactResist = 8;
  c.ApplyImpact(5, 1.0, 0.0);  // 5 - 8: nothing, but knocked
  EXPECT_EQ(c.m_dKnockX, 0.0);
  EXPECT_EQ(c.m_bKnocked, 1);
  c.m_bKnocked = 0;
  c.ApplyImpact(-5, 1.0, 0.0);
  EXPECT_EQ(c.m_dKnockX, 0.0);
  EXPECT_EQ(c.m_bKnocked, 1);
  c.ApplyImpact(0, 1.0, 0.0);

  c.m_Def.m_nImpactResist = 0;
  c.m_dWalkVX = -1.0;
  c.m_dVY = 0.5;
  c.ApplyImpact(30, 1.0, -1.0);  // limited to 20
  double vx = 0.0, vy = 0.0;
  c.ImpactToVelocity(vx, vy, 20, 1.0, -1.0);
  EXPECT_EQ(c.m_dKnockX, vx);
  EXPECT_EQ(c.m_dKnockY, vy);
  EXPECT_EQ(c.m_dWalkVX, 0.0);
  EXPECT_EQ(c.m_dVY, 0.0);
}

TEST(CharaImpactTest, KnockBackDecaysByOneNthOfAPixelPerSubStep) {
  cPlayFixture fixture({.nLevel = 4});
  cTestChara& c = fixture.AddChara(600, 600);
  c.m_dKnockX = 3.0 / 4;  // 3 pixels per frame
  c.DecayKnockbackX();
  c.DecayKnockbackX();
  EXPECT_EQ(c.m_dKnockX, 0.25);
  c.DecayKnockbackX();
  EXPECT_EQ(c.m_dKnockX, 0.0);
  c.m_dKnockY = -0.1;
  c.DecayKnockbackY();
  EXPECT_EQ(c.m_dKnockY, 0.0);
}

TEST(CharaImpactTest, AWalkerStandingOnABlockLosesADownwardKnockBack) {
  cPlayFixture fixture;
  fixture.PutBlock(5, 10);
  cTestChara& c = fixture.AddChara(15 * 32, 640 - 24);
  c.m_nFootCell = fixture.CellIndex(5, 10);
  c.m_dKnockY = 2.0;
  c.m_dVY = 0.0;
  c.ApplyKnockbackY();
  EXPECT_EQ(c.m_dKnockY, 0.0);
  EXPECT_EQ(c.m_dVY, 0.0);
  // In the air the knock-back share of the velocity is replaced.
  c.m_nFootCell = -1;
  c.m_dKnockY = -1.5;
  c.m_dAppliedKnockY = -2.0;
  c.m_dVY = -1.0;
  c.ApplyKnockbackY();
  EXPECT_EQ(c.m_dVY, -0.5);
  EXPECT_EQ(c.m_dAppliedKnockY, -1.5);
}

ANIMEPLAY Play(int bPriority, int nLength, int nCell) {
  ANIMEPLAY play;
  play.bPriority = bPriority;
  play.nLength = nLength;
  play.Pattern.m_Patterns.resize(1);
  play.Pattern.m_Patterns[0] = {{nCell, 1000, 0}, {-4, 0, 0}};
  return play;
}

TEST(CharaAnimeTest, ThePriorityEntryWithTheLeastTimeLeftIsShown) {
  cPlayFixture fixture;
  cTestChara& c = fixture.AddChara(600, 600);
  c.m_Anime.m_Patterns.assign(1, ANIMEPATTERN{{7, 10, 1}, {-2, 0, 1}});
  EXPECT_EQ(c.CurrentAnimeCell(1), 7);
  c.m_AnimePlays.push_back(Play(0, 30, 1));
  EXPECT_EQ(c.CurrentAnimeCell(1), 1);
  c.m_AnimePlays.push_back(Play(1, 10, 2));
  c.m_AnimePlays.push_back(Play(1, 5, 3));
  EXPECT_EQ(c.CurrentAnimeCell(1), 3);
  c.m_AnimePlays.back().bPaused = 1;
  EXPECT_EQ(c.CurrentAnimeCell(1), 2);
  // A one-shot animation that ends disappears at once.
  c.m_AnimePlays.clear();
  ANIMEPLAY once = Play(1, 3, 4);
  once.Pattern.m_Patterns[0] = {{4, 1, 0}, {-4, 0, 0}};
  c.m_AnimePlays.push_back(once);
  EXPECT_EQ(c.CurrentAnimeCell(1), 4);
  EXPECT_EQ(c.CurrentAnimeCell(0), 7);
  EXPECT_TRUE(c.m_AnimePlays.empty());
}

TEST(CharaLinkTest, ATemporaryCopiedIntoTheListLeavesNoDanglingLink) {
  cPlayFixture fixture;
  cPlayScene& scene = fixture.Scene();
  cPlayer& hero = fixture.AddHero(600, 600);
  {
    cTestChara temporary;
    cPlayFixture::SetupChara(temporary, 5, 700, 600);
    EXPECT_EQ(temporary.GetTarget(), &hero);
    scene.AddCharacter(std::make_unique<cTestChara>(temporary));
  }
  cChara& placed = *scene.CharaList().back();
  EXPECT_EQ(placed.GetTarget(), &hero);
  EXPECT_EQ(FindCharaById(5), &placed);

  // The hero dies: whoever targeted it loses its target.
  hero.UnlinkCharas();
  EXPECT_EQ(placed.GetTarget(), nullptr);
  placed.SetTarget(&hero);
  scene.RemoveCharacter(scene.CharaList().begin());
  EXPECT_EQ(FindCharaById(5), nullptr);
  EXPECT_EQ(hero.GetTarget(), nullptr);  // its own target was cleared too
}

TEST(CharaLinkTest, ACopyIsWholeAndItsRunnersPointAtItsOwnFlows) {
  cPlayFixture fixture;
  cTestChara& c = fixture.AddChara(600, 600);
  c.m_Def.m_vFlow.resize(3);
  c.m_Def.m_vFlow[1].m_cId = 4;
  c.SetFlows(c.m_Def.m_vFlow, 0, 0, -1);
  c.m_nHp = 17;
  c.m_vVars[3] = 9;
  c.m_AnimePlays.push_back(Play(1, 5, 3));
  cTestChara copy(c);
  EXPECT_EQ(copy.m_nHp, 17);
  EXPECT_EQ(copy.m_vVars, c.m_vVars);
  EXPECT_EQ(copy.m_AnimePlays.size(), 1u);
  EXPECT_EQ(copy.m_dX, c.m_dX);
  ASSERT_EQ(copy.m_vRunners.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(copy.m_vRunners[i].m_lpFlow, &copy.m_Def.m_vFlow[i]);
    EXPECT_EQ(copy.m_vRunners[i].m_nSlot, i);
  }
  // Deleting a flow by its id keeps runners and flows in step.
  EXPECT_EQ(copy.DeleteFlowsById(4), 1);
  ASSERT_EQ(copy.m_vRunners.size(), 2u);
  EXPECT_EQ(copy.m_vRunners[1].m_lpFlow, &copy.m_Def.m_vFlow[1]);
  EXPECT_EQ(copy.DeleteFlowsById(9), -1);
  EXPECT_EQ(copy.DeleteFlowsById(0), 0);
  EXPECT_TRUE(copy.m_vRunners.empty());
  EXPECT_TRUE(copy.m_Def.m_vFlow.empty());
  EXPECT_TRUE(copy.m_AnimePlays.empty());
}

TEST(CharaLinkTest, AppendedFlowsMayComeFromTheOwnList) {
  cPlayFixture fixture;
  cTestChara& c = fixture.AddChara(600, 600);
  c.m_Def.m_vFlow.resize(2);
  c.m_Def.m_vFlow[0].m_Commands.resize(1);
  c.m_Def.m_vFlow[0].m_Commands[0].m_Flows.resize(3);
  c.SetFlows(c.m_Def.m_vFlow, 0, 0, -1);
  // The nested flows of a command of flow 0 are inserted before flow 1.
  c.SetFlows(c.m_Def.m_vFlow[0].m_Commands[0].m_Flows, 0, 1, 1);
  ASSERT_EQ(c.m_Def.m_vFlow.size(), 5u);
  ASSERT_EQ(c.m_vRunners.size(), 5u);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(c.m_vRunners[i].m_lpFlow, &c.m_Def.m_vFlow[i]);
}

cCondition Condition(int nKind, int nObject, int nStatus, int nOp, int nValue) {
  cCondition c;
  c.m_cKind = static_cast<int8_t>(nKind);
  c.m_cObject = static_cast<int8_t>(nObject);
  c.m_cStatus = static_cast<int8_t>(nStatus);
  c.m_cOp = static_cast<int8_t>(nOp);
  c.m_sVarIndex = static_cast<int16_t>(nValue);
  return c;
}

TEST(CharaConditionTest, StatusAndStateConditions) {
  cPlayFixture fixture;
  cPlayer& hero = fixture.AddHero(600, 600);
  cTestChara& c = fixture.AddChara(700, 600);
  c.m_Def.m_nGiant = 3;
  struct Case {
    cCondition cond;
    int nExpect;
  } const cases[] = {
      {Condition(CONDKIND_STATUS2, 0, 5, 0, 3), 1},  // giant factor = 3
      {Condition(CONDKIND_STATUS2, 0, 5, 6, 0), 1},  // multiple of 0: true
      {Condition(CONDKIND_STATUS2, 0, 5, 7, 0), 0},  // not a multiple of 0: false
      {Condition(CONDKIND_STATUS2, 0, 5, 7, 2), 1},  // 3 is not a multiple of 2
      {Condition(CONDKIND_STATUS2, 0, 0, 0, 0), 0},  // 消滅 is never true
      {Condition(CONDKIND_STATUS2, 2, 0, 0, 0), 1},  // no horizontal autoscroll
      {Condition(CONDKIND_STATUS2, 1, 5, 0, 1), 1},  // the target (the hero): factor 1
      {Condition(CONDKIND_STATUS3, 0, 0, 0, 0), 1},  // facing left
      {Condition(CONDKIND_STATUS3, 0, 1, 1, 0), 1},  // not facing right
      {Condition(CONDKIND_STATUS3, 0, 2, 0, 0), 0},  // airborne: not on a block
  };
  for (const Case& k : cases) {
    const int nGot = k.cond.m_cKind == CONDKIND_STATUS2 ? c.CheckStatusCondition2(&k.cond)
                                                        : c.CheckStateCondition(&k.cond);
    EXPECT_EQ(nGot, k.nExpect) << int(k.cond.m_cKind) << " " << int(k.cond.m_cObject) << " "
                               << int(k.cond.m_cStatus) << " " << int(k.cond.m_cOp);
  }
  c.m_bAirborne = 0;
  cCondition onBlock = Condition(CONDKIND_STATUS3, 0, 2, 0, 0);
  EXPECT_EQ(c.CheckStateCondition(&onBlock), 1);
  c.m_Def.m_nFly = 1;  // a flier is never on a block
  EXPECT_EQ(c.CheckStateCondition(&onBlock), 0);
  // Without a target, a state condition is false even when negated.
  c.SetTarget(nullptr);
  cCondition targetRight = Condition(CONDKIND_STATUS3, 1, 1, 1, 0);
  EXPECT_EQ(c.CheckStateCondition(&targetRight), 0);
  (void)hero;
}

TEST(CharaConditionTest, DistanceConditionsMeasureScreenRanges) {
  cPlayFixture fixture;
  cPlayer& hero = fixture.AddHero(600, 600, 16, 16);
  cTestChara& c = fixture.AddChara(700, 600, 16, 16);
  hero.UpdateScreenRect();  // the other's range is its stored screen rectangle
  cCondition cond = Condition(CONDKIND_DISTANCE, 0, 0, 0, 0);
  cond.m_cAxis = 0;  // 横
  cond.m_nConst = 0;
  EXPECT_EQ(c.CheckDistanceCondition(&cond), 0);
  cond.m_nConst = 5;  // 80 pixels: the hero's sprite ends 68 pixels left of ours
  EXPECT_EQ(c.CheckDistanceCondition(&cond), 1);
  cond.m_cAxis = 1;  // 前: facing left, the hero is in front
  EXPECT_EQ(c.CheckDistanceCondition(&cond), 1);
  cond.m_cAxis = 2;  // 後
  EXPECT_EQ(c.CheckDistanceCondition(&cond), 0);
  cond.m_cOp = 1;
  EXPECT_EQ(c.CheckDistanceCondition(&cond), 1);
  cond.m_cOp = 0;
  cond.m_cAxis = 6;  // 円: centres 100 apart
  cond.m_nConst = 6;
  EXPECT_EQ(c.CheckDistanceCondition(&cond), 0);
  cond.m_nConst = 7;
  EXPECT_EQ(c.CheckDistanceCondition(&cond), 1);
  cond.m_cObject = 3;  // names nothing
  EXPECT_EQ(c.CheckDistanceCondition(&cond), 0);
}

TEST(CharaSearchTest, NearestByRuleTakesTheEarlierOnATie) {
  cPlayFixture fixture;
  cPlayScene& scene = fixture.Scene();
  cTestChara& a = fixture.AddChara(400, 400);
  cTestChara& b = fixture.AddChara(400, 400);
  cTestChara& off = fixture.AddChara(400, 400);
  for (cTestChara* p : {&a, &b, &off}) {
    p->m_bAppeared = 1;
    p->m_bOnScreen = 1;
    p->UpdateScreenRect();
  }
  off.m_bOnScreen = 0;
  cCharaPtrList list{&off, &a, &b};
  EXPECT_EQ(FindCharaByRule(0, 0, list, 0, {}), &a);
  EXPECT_EQ(FindCharaByRule(0, 0, list, 1, {}), &off);
  a.m_bOnScreen = b.m_bOnScreen = 0;
  EXPECT_EQ(FindCharaByRule(0, 0, list, 2, {}), nullptr);
  EXPECT_EQ(FindCharaByRule(0, 0, list, 0, {}), &off);
  EXPECT_EQ(FindCharaByRule(0, 0, list, 3, {}), nullptr);
  CHARAFILTER filter;
  filter.bExcludeId = 1;
  filter.nId = off.m_nId;
  EXPECT_EQ(FindFirstChara(scene.CharaList(), filter), &a);
}

}  // namespace
