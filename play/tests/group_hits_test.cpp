// Damage, immunity and the hits between factions: what a hit takes off
// (power against defence, heals, the 999999 cap), which triggers, sparks
// and knock-back follow, how long a character is immune to one attacker or
// to everything, how the characters of different factions touch (once per
// immunity window, the first death that ends the sub-step ending the hits),
// how shots hit characters (bullets vanish, piercing shots and swords hit
// each character once, in the sub-steps of the schedule) and how shootable
// shots wear each other down.

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "app/core/main_thread.h"
#include "flow/runtime/tests/flow_test_kit.h"
#include "flow/shot_settings.h"
#include "objects/shot.h"
#include "play/map_cells.h"
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

// ---- Shots ----

cEdShot NewSettings() {
  cEdShotPtr p;
  CreateShot(p);
  return *p;
}

// A shot of the shooter listed at (x, y), standing still, appeared and on
// screen; its faction is the shooter's.
cShot& Fire(cPlayScene& scene, const cChara& shooter, const cEdShot& settings, double x, double y,
            int nType = kShotCommand) {
  SHOTSPAWN spawn;
  spawn.nX = static_cast<int32_t>(x);
  spawn.nY = static_cast<int32_t>(y);
  cShot shot;
  shot.Init(scene.NextShotId(), shooter, nType, settings, spawn);
  cShot& listed = *scene.AddShot(shot);
  listed.m_bAppeared = listed.m_bOnScreen = 1;
  return listed;
}

bool Listed(const cPlayScene& scene, const cShot* lpShot) {
  for (const cShot& shot : scene.ShotList())
    if (&shot == lpShot) return true;
  return false;
}

// One shot of the hero's on an enemy, and the same again in the next
// sub-step.
TEST(ShotHitsTest, AShotsFateByItsKindAndTheCharacterItMeets) {
  const struct {
    const char* name;
    int32_t nPower;
    int bSword, bPierce, bPierceBlock;
    int nInvincibleKind;  // 無敵 of the enemy
    int bInvincible;      // the enemy's invincibility countdown runs
    int bBlockChara;
    const char* triggers;  // raised on the enemy
    int32_t nHpAfter;
    bool bListed;            // the shot after the sub-step
    const char* secondPass;  // triggers of the next sub-step
  } cases[] = {
      {"a bullet vanishes", 1, 0, 0, 0, 0, 0, 0, "17", 9, false, ""},
      {"a harmless bullet passes", 0, 0, 0, 0, 0, 0, 0, "7", 10, true, "7"},
      {"a piercing bullet hits once", 1, 0, 1, 0, 0, 0, 0, "17", 9, true, ""},
      {"a sword hits once", 1, 1, 0, 0, 0, 0, 0, "17", 9, true, ""},
      {"無敵 2 is out of the shots' reach", 1, 0, 0, 0, 2, 0, 0, "", 10, true, ""},
      {"無敵 1 is touched, unhurt", 1, 0, 0, 0, 1, 0, 0, "17", 10, false, ""},
      {"invincible for a while: trigger 7 only", 1, 0, 0, 0, 0, 1, 0, "7", 10, true, "7"},
      {"a block character is hit", 1, 0, 1, 0, 0, 0, 1, "17", 9, false, ""},
      {"pierced by the block switch", 1, 0, 0, 1, 0, 0, 1, "17", 9, true, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    cFlowFixture fixture;
    cPlayScene& scene = fixture.Scene();
    cPlayer& hero = AddListedHero(fixture, 100, 400, 10, 0);
    cTestFlowChara& enemy = AddEnemy(fixture, 300, 400, 10, 0);
    InstallFlows(
        enemy, {MakeFlow(1, {MakeCommand(CMD_WAIT, 1)}), MakeFlow(7, {MakeCommand(CMD_WAIT, 1)})});
    enemy.m_Def.m_nInvincible = static_cast<int8_t>(c.nInvincibleKind);
    enemy.m_Def.m_bBlockChara = static_cast<int8_t>(c.bBlockChara);
    g_Stage.m_nComInvincible = 100;
    if (c.bInvincible) enemy.StartInvincibility();
    cEdShot settings = NewSettings();
    settings.m_nPower = c.nPower;
    settings.m_bPierceChara = static_cast<uint8_t>(c.bPierce);
    settings.m_bPierceBlockChara = static_cast<uint8_t>(c.bPierceBlock);
    cShot& shot = Fire(scene, hero, settings, 304, 404);
    shot.m_bIsShot = c.bSword ? 0 : 1;

    EXPECT_EQ(scene.HitGroups(), 0);
    EXPECT_EQ(Raised(enemy), c.triggers);
    EXPECT_EQ(enemy.m_nHp, c.nHpAfter);
    // A hit starts the general countdown: 100 frames of it.
    if (c.nHpAfter != 10) {
      EXPECT_EQ(enemy.m_nInvincible, 100);
    }
    ASSERT_EQ(Listed(scene, &shot), c.bListed);
    EXPECT_EQ(scene.FactionShots(0).size(), c.bListed ? 1u : 0u);
    if (!c.bListed) continue;
    enemy.m_nInvincible = c.bInvincible ? 100 : 0;
    EXPECT_EQ(scene.HitGroups(), 0);
    EXPECT_EQ(Raised(enemy), c.secondPass);
  }
}

TEST_F(GroupHitsTest, AShotKillsWithItsSoundsAndTheHerosDeathEndsTheHits) {
  cPlayer& hero = AddListedHero(m_Fixture, 100, 400, 1, 0);
  cTestFlowChara& enemy = AddEnemy(m_Fixture, 300, 400, 1, 0);
  enemy.m_Def.m_nScore = 30;
  cEdShot settings = NewSettings();
  settings.m_nPower = 5;
  Fire(m_Scene, hero, settings, 304, 404);
  EXPECT_EQ(m_Scene.HitGroups(), 0);
  EXPECT_EQ(enemy.m_bDead, 1);
  EXPECT_EQ(g_PlayData.m_nGameScore, 30);
  EXPECT_EQ(Sounds(), Sounds_t{9});
  EXPECT_TRUE(m_Scene.ShotList().empty());

  // The enemy's shots: the first kills the hero, the second is not met.
  cTestFlowChara& gunner = AddEnemy(m_Fixture, 500, 400, 10, 0);
  cShot& first = Fire(m_Scene, gunner, settings, 104, 404);
  cShot& second = Fire(m_Scene, gunner, settings, 106, 404);
  second.m_Settings.m_bPierceChara = 1;
  EXPECT_EQ(m_Scene.HitGroups(), 2);
  EXPECT_EQ(hero.m_nHp, 0);
  EXPECT_TRUE(Listed(m_Scene, &first));
  EXPECT_TRUE(second.m_vHitIds.empty());
  EXPECT_TRUE(Sounds().empty());
}

// A death flow that fires runs in the middle of the walk: the new shot is
// listed and the walk goes on over the faction's shots.
TEST_F(GroupHitsTest, ADeathFlowFiresInTheMiddleOfTheHits) {
  cPlayer& hero = AddListedHero(m_Fixture, 100, 400, 10, 0);
  cTestFlowChara& enemy = AddEnemy(m_Fixture, 300, 400, 1, 0);
  cFlowCommand fire = MakeCommand(CMD_SHOT, 0, P);
  CreateShot(fire.m_pShot);
  fire.m_pShot->m_nCount = 1;
  fire.m_pShot->m_nSpeed = 10;
  InstallFlows(enemy, {MakeFlow(3, {fire})});
  cEdShot settings = NewSettings();
  settings.m_nPower = 1;
  Fire(m_Scene, hero, settings, 304, 404);
  cShot& after = Fire(m_Scene, hero, settings, 302, 404);
  EXPECT_EQ(m_Scene.HitGroups(), 0);
  EXPECT_EQ(enemy.m_bDead, 1);
  ASSERT_EQ(m_Scene.FactionShots(1).size(), 1u) << "the death flow's shot";
  // The second bullet met a dead enemy: it stays.
  EXPECT_TRUE(Listed(m_Scene, &after));
  EXPECT_EQ(m_Scene.ShotList().size(), 2u);
}

// With N = 4 shots are tested in the schedule's sub-steps: H = 3 in 1, 2
// and 3; H = 1 in 1; H = 2 in 1 and 3; H = 0 in every one.
TEST_F(GroupHitsTest, ShotsHitInTheSubStepsOfTheSchedule) {
  cPlayer& hero = AddListedHero(m_Fixture, 100, 400, 10, 0);
  cTestFlowChara& enemy = AddEnemy(m_Fixture, 300, 400, 10, 0);
  InstallFlows(enemy, {MakeFlow(7, {MakeCommand(CMD_WAIT, 1)})});
  Fire(m_Scene, hero, NewSettings(), 304, 404);  // harmless: it stays
  for (const auto& [nHits, expected] :
       {std::pair{3, "1110"}, std::pair{1, "1000"}, std::pair{2, "1010"}, std::pair{0, "1111"}}) {
    g_Stage.m_nHitSteps = nHits;
    m_Scene.m_vHitSubStep = BuildHitSchedule(4, nHits);
    std::string seen;
    for (int i = 1; i <= 4; ++i) {
      m_Scene.m_nSubStepNo = i;
      EXPECT_EQ(m_Scene.HitGroups(), 0);
      seen += Raised(enemy) == "7" ? '1' : '0';
    }
    EXPECT_EQ(seen, expected) << "H = " << nHits;
  }
}

// Shootable shots of two factions that meet: the one of lower durability
// goes, both at equal durability; a shootable shot goes against one that
// is not; neither goes when neither is shootable. Appearance plays no part.
TEST_F(GroupHitsTest, ShootableShotsWearEachOtherDown) {
  const struct {
    const char* name;
    int bShootableU, bShootableS;
    int nDurabilityU, nDurabilityS;
    bool bUStays, bSStays;
  } cases[] = {
      {"3 against 3", 1, 1, 3, 3, false, false},
      {"3 against 5", 1, 1, 3, 5, false, true},
      {"5 against 3", 1, 1, 5, 3, true, false},
      {"-1 against 3", 1, 1, -1, 3, false, true},
      {"shootable against not", 1, 0, 9, 0, false, true},
      {"not against shootable", 0, 1, 0, 9, true, false},
      {"neither", 0, 0, 0, 0, true, true},
  };
  cChara& left = AddEnemy(m_Fixture, 100, 100, 10, 0, 1);
  cChara& right = AddEnemy(m_Fixture, 500, 100, 10, 0, 2);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    cEdShot settings = NewSettings();
    settings.m_bBreakable = static_cast<uint8_t>(c.bShootableU);
    settings.m_nShotStrength = static_cast<uint8_t>(c.nDurabilityU);
    cShot& u = Fire(m_Scene, left, settings, 300, 300);
    settings.m_bBreakable = static_cast<uint8_t>(c.bShootableS);
    settings.m_nShotStrength = static_cast<uint8_t>(c.nDurabilityS);
    cShot& s = Fire(m_Scene, right, settings, 310, 310);
    u.m_bAppeared = s.m_bAppeared = 0;
    m_Scene.HitGroups();
    EXPECT_EQ(Listed(m_Scene, &u), c.bUStays);
    EXPECT_EQ(Listed(m_Scene, &s), c.bSStays);
    m_Scene.ClearShots();
  }
}

// One shootable shot against three of another faction's, the first of which
// outlasts it: it is flagged at the first, still wears down the other two,
// and goes after meeting them all.
TEST_F(GroupHitsTest, AFlaggedShotMeetsTheWholeListBeforeItGoes) {
  cChara& left = AddEnemy(m_Fixture, 100, 100, 10, 0, 1);
  cChara& right = AddEnemy(m_Fixture, 500, 100, 10, 0, 2);
  cEdShot settings = NewSettings();
  settings.m_bBreakable = 1;
  settings.m_nShotStrength = 3;
  cShot& u = Fire(m_Scene, left, settings, 300, 300);
  settings.m_nShotStrength = 7;
  cShot& strong = Fire(m_Scene, right, settings, 305, 300);
  settings.m_nShotStrength = 2;
  Fire(m_Scene, right, settings, 300, 305);
  Fire(m_Scene, right, settings, 305, 305);
  m_Scene.HitGroups();
  EXPECT_FALSE(Listed(m_Scene, &u));
  ASSERT_EQ(m_Scene.ShotList().size(), 1u);
  EXPECT_EQ(&m_Scene.ShotList().front(), &strong);
}

}  // namespace
