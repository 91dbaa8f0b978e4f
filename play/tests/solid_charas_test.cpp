// Walkers against block characters: landing and riding, being carried,
// crushing, and unsticking from a wall a block character pushed them into.

#include "play/solid_charas.h"

#include <gtest/gtest.h>

#include "flow/runtime/tests/flow_test_kit.h"
#include "play/play_scene.h"
#include "stagedata/stage_globals.h"

namespace {

constexpr bool P = true;  // parallel
constexpr int kTriggerRiddenByHero = 16;
constexpr int kTriggerRidden = 17;

// A block character with its box's top-left at (x, y), in place at the
// start of the sub-step too; flows for triggers 16 and 17 show when they
// were raised.
cComChara& AddBlock(cPlayScene& scene, double x, double y) {
  cEdChara def;
  def.m_bBlockChara = 1;
  def.m_nFly = MOVEMODE_FLY;
  def.m_vFlow.push_back(MakeFlow(kTriggerRiddenByHero, {MakeCommand(CMD_WAIT, 1, P)}));
  def.m_vFlow.push_back(MakeFlow(kTriggerRidden, {MakeCommand(CMD_WAIT, 1, P)}));
  scene.SpawnStageCharacters(5, 5, def);
  cComChara& c = *scene.CharaList().back();
  c.m_dX = x;
  c.m_dY = y;
  c.ClampX(2);
  c.ClampY(2);
  c.SavePosition();
  c.m_bAppeared = 1;
  return c;
}

// Moves a character from where the sub-step started to (x, y).
void Move(cChara& c, double x0, double y0, double x, double y) {
  c.m_dX = x0;
  c.m_dY = y0;
  c.ClampX(2);
  c.ClampY(2);
  c.SavePosition();
  c.m_dX = x;
  c.m_dY = y;
  c.ClampX(2);
  c.ClampY(2);
}

// A walker whose upper half has reached into a platform lands on it only
// when it was falling faster than 2 / N pixels a sub-step; then it stands
// on its top, rides it, and the platform hears it (16 for the hero, 17).
TEST(SolidCharaTest, AFastFallLandsOnAPlatformAndRidesIt) {
  for (const int n : {1, 10}) {
    for (const double k : {1.0, 1.25}) {
      SCOPED_TRACE(testing::Message() << "N " << n << ", vy " << k << " x 2 / N");
      cFlowFixture fixture({.nLevel = n});
      cPlayScene& scene = fixture.Scene();
      cPlayer& hero = fixture.AddHero(700, 610);
      cComChara& platform = AddBlock(scene, 690, 640);
      Move(hero, 700, 610, 700, 630);  // bottom 653, upper half down to 642
      hero.m_dVY = k * 2.0 / n;
      EXPECT_EQ(scene.CollideSolidCharas(hero), 0);
      const bool bLands = k > 1.0;
      EXPECT_EQ(hero.m_bOnChara, bLands ? 1 : 0);
      EXPECT_EQ(platform.m_vRunners.At(0).m_bStarted, bLands ? 1 : 0);
      EXPECT_EQ(platform.m_vRunners.At(1).m_bStarted, bLands ? 1 : 0);
      if (bLands) {
        EXPECT_EQ(hero.m_dBottom, 639.0);
        EXPECT_EQ(hero.m_dVY, 0.0);
        EXPECT_EQ(hero.m_nRiddenId, platform.m_nId);
      }
    }
  }
}

// The ride's move since the last contact is added to the rider's velocity.
TEST(SolidCharaTest, ARiderIsCarriedByItsRide) {
  cFlowFixture fixture;
  cPlayScene& scene = fixture.Scene();
  cPlayer& hero = fixture.AddHero(700, 618);
  cComChara& platform = AddBlock(scene, 690, 640);
  Move(hero, 700, 618, 700, 618);
  hero.m_dVY = 0.0;
  ASSERT_EQ(scene.CollideSolidCharas(hero), 0);  // lands through the lower third
  ASSERT_EQ(hero.m_bOnChara, 1);
  platform.m_dX += 3.0;
  platform.m_dY -= 2.0;  // it flies: the rider follows in y too
  hero.m_dVX = 0.5;
  scene.CarryRider(hero);
  EXPECT_EQ(hero.m_dVX, 3.5);
  EXPECT_EQ(hero.m_dVY, -2.0);
}

// Squeezed between two block characters: crushed.
TEST(SolidCharaTest, AWalkerBetweenTwoBlockCharactersIsCrushed) {
  cPlayFixture fixture;
  cPlayScene& scene = fixture.Scene();
  fixture.AddHero(300, 300);
  cTestChara& walker = fixture.AddChara(700, 600);  // 16 x 24: x 700..715
  AddBlock(scene, 670, 596);                        // x 670..701
  AddBlock(scene, 714, 596);                        // x 714..745
  walker.SavePosition();
  EXPECT_EQ(scene.CollideSolidCharas(walker), 2);
}

// Pushed into a wall by a block character, a walker is moved back out of
// the wall by at most 1.5 pixels.
TEST(SolidCharaTest, AWalkerPushedIntoAWallIsUnstuckByAtMostAPixelAndAHalf) {
  const struct {
    const char* name;
    double dPushed;  // how deep the push puts it into the wall
    double dBack;    // how far it comes back
  } cases[] = {{"half a pixel in", 0.5, 0.1}, {"three pixels in", 3.0, 1.5}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    cPlayFixture fixture;
    cPlayScene& scene = fixture.Scene();
    fixture.AddHero(300, 300);
    fixture.PutBlock(12, 8);  // x 704..735, y 576..607
    // Beside the block character the walker's right edge (x + 15) lies at
    // 703.5 + pushed.
    const double dEdge = 687.0 + c.dPushed;
    cComChara& block = AddBlock(scene, dEdge - 31.0, 580);
    cTestChara& walker = fixture.AddChara(dEdge - 2.0, 580);
    walker.SavePosition();
    ASSERT_EQ(scene.CollideSolidCharas(walker), 0);
    const double dCandidate = block.m_dRight + 1.5;
    EXPECT_NEAR(walker.m_dX, dCandidate - c.dBack, 1e-9);
  }
}

// The solid tests walk the block characters only: one that joins the list
// (a summon) stands in the way at once, one taken off no longer does.
TEST(SolidCharaTest, TheBlockCharactersFollowTheList) {
  cFlowFixture fixture;
  cPlayScene& scene = fixture.Scene();
  cPlayer& hero = fixture.AddHero(700, 610);
  EXPECT_EQ(scene.IsBoxBlocked(hero), 0);
  AddBlock(scene, hero.m_dX + 4, hero.m_dY + 4);
  EXPECT_EQ(scene.IsBoxBlocked(hero), 1);
  scene.RemoveCharacter(std::prev(scene.CharaList().end()));
  EXPECT_EQ(scene.IsBoxBlocked(hero), 0);
}

}  // namespace
