// Damage, immunity and the hits between factions: what a hit takes off
// (power against defence, heals, the 999999 cap), which triggers, sparks
// and knock-back follow, how long a character is immune to one attacker or
// to everything, and how the characters of different factions touch: in
// the Part's order, once per immunity window, and with the first death that
// ends the sub-step ending the hits.

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "app/core/main_thread.h"
#include "flow/runtime/tests/flow_test_kit.h"
#include "play/play_scene.h"
#include "records/database.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/stage_globals.h"

namespace {

constexpr bool P = true;  // parallel

// Boxes A and B of a character made its hit box.
void GiveBoxes(cChara& c) {
  for (HITBOX* lpBox : {&c.m_BoxA, &c.m_BoxB}) {
    lpBox->nX = lpBox->nY = 0;
    lpBox->nWidth = static_cast<int32_t>(c.m_dRight - c.m_dX) + 1;
    lpBox->nHeight = static_cast<int32_t>(c.m_dBottom - c.m_dY) + 1;
  }
  c.UpdateBoxX();
  c.UpdateBoxY();
}

// A character on the stage and on screen, with HP and a power, whose flows
// of triggers 1, 2 and 4 show that they were raised.
void Prepare(cChara& c, int nHp, int nPower) {
  c.m_nHp = c.m_Def.m_nMaxHp = nHp;
  c.m_Def.m_nPower = nPower;
  c.m_bAppeared = 1;
  c.m_bOnScreen = 1;
  GiveBoxes(c);
  InstallFlows(c, {MakeFlow(1, {MakeCommand(CMD_WAIT, 1)}), MakeFlow(2, {MakeCommand(CMD_WAIT, 1)}),
                   MakeFlow(4, {MakeCommand(CMD_WAIT, 1)})});
}

// The triggers whose flows were started ("14": 1 and 4); the flows are
// stopped and the latches reset for the next look.
std::string Raised(cChara& c) {
  std::string s;
  for (cFlowRunner& runner : c.m_vRunners) {
    if (!runner.m_bRunning) continue;
    s += std::to_string(runner.m_nTrigger);
    runner.Stop(c);
  }
  c.ResetTriggerLatches();
  return s;
}

// The hero of faction 0 at (x, y) with a 16 x 24 box, listed in its faction.
cPlayer& AddListedHero(cPlayFixture& fixture, double x, double y, int nHp, int nPower) {
  cPlayer& hero = fixture.AddHero(x, y);
  Prepare(hero, nHp, nPower);
  fixture.Scene().ListHero();
  return hero;
}

cTestFlowChara& AddEnemy(cPlayFixture& fixture, double x, double y, int nHp, int nPower,
                         int nFaction = 1) {
  cTestFlowChara& c = fixture.AddChara<cTestFlowChara>(x, y, 16, 24, nFaction);
  Prepare(c, nHp, nPower);
  return c;
}

// An Effect table with row 1, a spark of 16 x 16 with one frame.
void AddSparkRow() {
  g_Database.m_Effect.assign(2, cEffectAnimDef());
  g_Database.m_Effect[1].m_nCellWidth = 16;
  g_Database.m_Effect[1].m_nCellHeight = 16;
  g_Database.m_Effect[1].m_Frames.resize(1);
  BuildDatabaseTables();
}

TEST(DamageTest, PowerLessDefenceWithinItsRangeAndThenSparkImpactAndTriggers) {
  constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  const struct {
    const char* name;
    int32_t nPower;
    int nImpact;
    int32_t nDefence;
    int nInvincible;  // 無敵
    int32_t nHp, nMaxHp;
    int32_t nHpAfter;
    int nDied;
    const char* triggers;
  } cases[] = {
      {"power 30 less defence 10", 30, 0, 10, 0, 50, 50, 30, 0, "1"},
      {"power 10 against defence 15 takes nothing", 10, 0, 15, 0, 50, 50, 50, 0, "1"},
      {"power -5 heals through defence and 無敵", -5, 0, 15, 1, 50, 100, 55, 0, "1"},
      {"無敵 takes no loss", 30, 0, 0, 2, 50, 50, 50, 0, "1"},
      {"power 0 with impact 3: trigger 2 alone", 0, 3, 0, 0, 50, 50, 50, 0, "2"},
      {"power and impact", 5, -3, 0, 0, 50, 50, 45, 0, "12"},
      {"a loss is at most 999999", kMax, 0, 0, 0, 2000000, 2000000, 1000001, 0, "1"},
      {"the most negative power heals to the full", kMin, 0, 0, 0, 50, 100, 100, 0, "1"},
      {"a loss to 0 is a death", 50, 0, 0, 0, 50, 50, 0, 1, "1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    cFlowFixture fixture;
    AddSparkRow();
    cTestFlowChara& attacker = AddEnemy(fixture, 400, 400, 10, c.nPower, 2);
    attacker.m_Def.m_nImpact = static_cast<int8_t>(c.nImpact);
    attacker.m_Def.m_nHitEffect = 1;
    attacker.m_dVX = 2.0;
    cTestFlowChara& target = AddEnemy(fixture, 410, 400, c.nMaxHp, 0);
    target.m_nHp = c.nHp;
    target.m_Def.m_nDefence = c.nDefence;
    target.m_Def.m_nInvincible = static_cast<int8_t>(c.nInvincible);

    EXPECT_EQ(target.DamageFromChara(attacker), c.nDied);
    EXPECT_EQ(target.m_nHp, c.nHpAfter);
    EXPECT_EQ(Raised(target), c.triggers);
    // The spark, and the impact pushes along the attacker's motion (right).
    EXPECT_EQ(fixture.Scene().m_EffectList.size(), 1u);
    EXPECT_EQ(target.m_bKnocked, c.nImpact != 0 ? 1 : 0);
    if (c.nImpact != 0) {
      EXPECT_EQ(target.m_dKnockX > 0, c.nImpact > 0);
    }
  }
}

TEST(ImmunityTest, OneAttackerForItsWindowEveryAttackerWhileInvincible) {
  const struct {
    const char* name;
    int nKind;
    int32_t nImmunity, nInvincible;  // the stage's frames for that kind
    int nImmuneSteps;                // sub-steps immune to the attacker
    int nInvincibleSteps;            // sub-steps immune to everything
  } cases[] = {
      {"computer, 30 frames against one attacker", OBJKIND_COM, 30, 0, 120, 0},
      {"computer, invincible for 2 frames too", OBJKIND_COM, 30, 2, 120, 8},
      {"the hero by its own settings", OBJKIND_PLAYER, 10, 1, 40, 4},
      // An entry of 0 sub-steps lasts until the next tick.
      {"no immunity at all", OBJKIND_COM, 0, 0, 1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    cFlowFixture fixture({.nLevel = 4});
    ASSERT_EQ(g_Stage.m_nSubStep, 4);
    // The other kind's settings are what a mix-up would use.
    const bool bHero = c.nKind == OBJKIND_PLAYER;
    (bHero ? g_Stage.m_nHeroImmunity : g_Stage.m_nComImmunity) = c.nImmunity;
    (bHero ? g_Stage.m_nHeroInvincible : g_Stage.m_nComInvincible) = c.nInvincible;
    (bHero ? g_Stage.m_nComImmunity : g_Stage.m_nHeroImmunity) = 99;
    (bHero ? g_Stage.m_nComInvincible : g_Stage.m_nHeroInvincible) = 99;
    cChara& chara =
        bHero ? static_cast<cChara&>(fixture.AddHero(100, 100)) : fixture.AddChara(400, 400);
    constexpr int kAttacker = 7, kOther = 8;
    chara.AddImmunity(kAttacker);
    int nImmune = 0, nInvincible = 0;
    for (int i = 0; i < 200; ++i) {
      nImmune += chara.IsImmuneTo(kAttacker);
      nInvincible += chara.IsImmuneTo(kOther);
      EXPECT_EQ(chara.IsInvincible(), chara.IsImmuneTo(kOther));
      chara.TickImmunity();
    }
    EXPECT_EQ(nImmune, c.nImmuneSteps);
    EXPECT_EQ(nInvincible, c.nInvincibleSteps);
    EXPECT_TRUE(chara.m_Immunity.empty());
  }
}

TEST(ImmunityTest, AnAttackerListedTwiceIsImmuneUntilItsLastEntryExpires) {
  cFlowFixture fixture;
  g_Stage.m_nComImmunity = 5;
  cChara& chara = fixture.AddChara(400, 400);
  chara.AddImmunity(3);
  chara.TickImmunity();
  chara.TickImmunity();
  chara.AddImmunity(3);
  int nImmune = 0;
  while (chara.IsImmuneTo(3) && nImmune < 100) {
    ++nImmune;
    chara.TickImmunity();
  }
  EXPECT_EQ(nImmune, 5);
}

class GroupHitsTest : public ::testing::Test {
 protected:
  // The system sounds played since the last look.
  std::vector<intptr_t> Sounds() {
    std::vector<intptr_t> v = m_Requests.Of(WM_GAME_PLAYSE);
    m_Requests.m_Requests.clear();
    return v;
  }
  using Sounds_t = std::vector<intptr_t>;

  cFlowFixture m_Fixture{{.nLevel = 4}};
  cPlayScene& m_Scene = m_Fixture.Scene();
  cRequestLog m_Requests;
};

// Box edges: the hero's box is x 100..115; an enemy at 85 shares its
// column 100, one at 116 touches nothing of it.
TEST_F(GroupHitsTest, CharactersOfTwoFactionsTouchOnOnePixelWithoutForceNothingFollows) {
  cPlayer& hero = AddListedHero(m_Fixture, 100, 400, 100, 0);
  cTestFlowChara& edge = AddEnemy(m_Fixture, 85, 400, 100, 0);
  cTestFlowChara& apart = AddEnemy(m_Fixture, 116, 400, 100, 5);
  EXPECT_EQ(m_Scene.HitGroups(), 0);
  EXPECT_EQ(Raised(hero), "4");
  EXPECT_EQ(Raised(edge), "4");
  EXPECT_EQ(Raised(apart), "");
  // Without power and impact there is no hit: no sound, no immunity.
  EXPECT_TRUE(Sounds().empty());
  EXPECT_TRUE(hero.m_Immunity.empty());
  EXPECT_TRUE(edge.m_Immunity.empty());

  // A mate of theirs overlapping both of them touches the hero alone.
  cTestFlowChara& mate = AddEnemy(m_Fixture, 110, 400, 100, 5);
  EXPECT_EQ(m_Scene.HitGroups(), 0);
  EXPECT_EQ(Raised(hero), "14");
  EXPECT_EQ(Raised(mate), "4");
  EXPECT_EQ(Raised(apart), "");
  EXPECT_EQ(Sounds(), Sounds_t{7});
  EXPECT_EQ(hero.m_nHp, 95);
  ASSERT_EQ(hero.m_Immunity.size(), 1u);
  EXPECT_EQ(hero.m_Immunity.front().nAttackerId, mate.m_nId);
}

TEST_F(GroupHitsTest, OffScreenBlockAndDeadCharactersTakeNoPart) {
  cPlayer& hero = AddListedHero(m_Fixture, 100, 400, 100, 0);
  cTestFlowChara& off = AddEnemy(m_Fixture, 105, 400, 100, 1);
  off.m_bOnScreen = 0;
  cTestFlowChara& block = AddEnemy(m_Fixture, 105, 400, 100, 1);
  block.m_Def.m_bBlockChara = 1;
  cTestFlowChara& dead = AddEnemy(m_Fixture, 105, 400, 100, 1);
  dead.m_bDead = 1;
  cTestFlowChara& hidden = AddEnemy(m_Fixture, 105, 400, 100, 1);
  hidden.m_bAppeared = 0;
  EXPECT_EQ(m_Scene.HitGroups(), 0);
  EXPECT_EQ(Raised(hero), "");
  EXPECT_EQ(hero.m_nHp, 100);
  // Without the on-screen-only switch the one off screen takes part.
  g_Stage.m_bActiveOnly = 0;
  EXPECT_EQ(m_Scene.HitGroups(), 0);
  EXPECT_EQ(Raised(hero), "14");
  EXPECT_EQ(Raised(off), "4");
  EXPECT_EQ(Raised(block), "");
  EXPECT_EQ(hero.m_nHp, 99);
}

// With N = 4 and 30 frames of immunity the same enemy hits every 120
// sub-steps; another enemy hits at once.
TEST_F(GroupHitsTest, ATouchCostsHpOncePerImmunityWindow) {
  cPlayer& hero = AddListedHero(m_Fixture, 100, 400, 100, 0);
  cTestFlowChara& enemy = AddEnemy(m_Fixture, 105, 400, 100, 3);
  std::vector<int> hits;
  for (int i = 1; i <= 250; ++i) {
    hero.TickImmunity();
    enemy.TickImmunity();
    const int nHp = hero.m_nHp;
    if (i == 60) AddEnemy(m_Fixture, 105, 400, 100, 2, 2);
    EXPECT_EQ(m_Scene.HitGroups(), 0);
    if (hero.m_nHp != nHp) hits.push_back(i * 10 + nHp - hero.m_nHp);
  }
  EXPECT_EQ(hits,
            (std::vector<int>{1 * 10 + 3, 60 * 10 + 2, 121 * 10 + 3, 180 * 10 + 2, 241 * 10 + 3}));
  EXPECT_EQ(hero.m_nHp, 100 - 3 * 3 - 2 * 2);
}

TEST_F(GroupHitsTest, AKilledEnemyDiesWithItsScoreAndTakesNoFurtherPart) {
  cPlayer& hero = AddListedHero(m_Fixture, 100, 400, 100, 5);
  cTestFlowChara& enemy = AddEnemy(m_Fixture, 105, 400, 5, 1);
  enemy.m_Def.m_nScore = 70;
  cTestFlowChara& behind = AddEnemy(m_Fixture, 108, 400, 100, 0, 2);
  EXPECT_EQ(m_Scene.HitGroups(), 0);
  EXPECT_EQ(enemy.m_bDead, 1);
  EXPECT_EQ(g_PlayData.m_nGameScore, 70);
  EXPECT_EQ(hero.m_nHp, 99);
  // The hit on the hero and the kill, then the hero's hit on the one behind.
  EXPECT_EQ(Sounds(), (Sounds_t{7, 9, 7}));
  EXPECT_TRUE(enemy.m_Immunity.empty());
  EXPECT_EQ(Raised(enemy), "14");
  EXPECT_EQ(Raised(behind), "14");
  // Dead, it touches nothing more.
  hero.m_Immunity.clear();
  behind.m_Immunity.clear();
  EXPECT_EQ(m_Scene.HitGroups(), 0);
  EXPECT_EQ(Raised(enemy), "");
  EXPECT_EQ(g_PlayData.m_nGameScore, 70);
}

// A character that dies at its first contact meets none after it: here the
// enemy of faction 1 dies against the first of two of faction 2.
TEST_F(GroupHitsTest, ACharacterThatDiedMeetsNoOneAfter) {
  cTestFlowChara& weak = AddEnemy(m_Fixture, 300, 400, 2, 0, 1);
  cTestFlowChara& first = AddEnemy(m_Fixture, 305, 400, 100, 5, 2);
  cTestFlowChara& second = AddEnemy(m_Fixture, 305, 400, 100, 5, 2);
  EXPECT_EQ(m_Scene.HitGroups(), 0);
  EXPECT_EQ(weak.m_bDead, 1);
  EXPECT_EQ(Raised(first), "4");
  EXPECT_EQ(Raised(second), "");
}

// Both hits are dealt before either is acted on: two that kill each other
// both die, in list order.
TEST_F(GroupHitsTest, TwoThatKillEachOtherBothDie) {
  cTestFlowChara& a = AddEnemy(m_Fixture, 300, 400, 2, 5, 1);
  cTestFlowChara& b = AddEnemy(m_Fixture, 305, 400, 2, 5, 2);
  EXPECT_EQ(m_Scene.HitGroups(), 0);
  EXPECT_EQ(a.m_bDead, 1);
  EXPECT_EQ(b.m_bDead, 1);
  EXPECT_EQ(Sounds(), (Sounds_t{7, 9, 9}));
}

TEST_F(GroupHitsTest, TheHerosDeathEndsTheHitsAtOnceWithAMiss) {
  cPlayer& hero = AddListedHero(m_Fixture, 100, 400, 3, 0);
  AddEnemy(m_Fixture, 105, 400, 100, 5);
  cTestFlowChara& later = AddEnemy(m_Fixture, 105, 400, 100, 0);
  EXPECT_EQ(m_Scene.HitGroups(), 2);
  EXPECT_EQ(hero.m_nHp, 0);
  // The miss is the play frame's to carry out; no later contact happened.
  EXPECT_EQ(hero.m_bDead, 0);
  EXPECT_EQ(Raised(later), "");
  EXPECT_EQ(Sounds(), Sounds_t{7});
}

// A death flow that clears the stage ends the hits with 1; the character is
// then neither dead nor unlinked.
TEST_F(GroupHitsTest, ADeathThatClearsTheStageEndsTheHits) {
  cPlayer& hero = AddListedHero(m_Fixture, 100, 400, 100, 5);
  cTestFlowChara& boss = AddEnemy(m_Fixture, 105, 400, 5, 0);
  InstallFlows(boss, {MakeFlow(3, {MakeCommand(CMD_STAGE_CLEAR, 0, P, {2})})});
  boss.SetTarget(&hero);
  cTestFlowChara& later = AddEnemy(m_Fixture, 105, 400, 100, 0);
  EXPECT_EQ(m_Scene.HitGroups(), 1);
  EXPECT_EQ(boss.m_bDead, 0);
  EXPECT_EQ(boss.GetTarget(), &hero);
  EXPECT_EQ(Raised(later), "");
}

}  // namespace
