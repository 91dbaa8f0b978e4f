// Computer characters: their boxes, the characters of a placement and of a
// summon (ids, dropped copies, lifetimes), the view test and activation,
// and the ends of their motion at the edges of the world.

#include <gtest/gtest.h>

#include "flow/runtime/move_commands.h"
#include "flow/runtime/tests/flow_test_kit.h"
#include "flow/shot_settings.h"
#include "play/play_scene.h"
#include "stagedata/stage_globals.h"

namespace {

constexpr int kCell = 32;
// The left edge of the fixture's view, at the stage's left edge.
constexpr int kViewLeft = 320;

// The characters of the scene in list order.
std::vector<cComChara*> Charas(cPlayScene& scene) {
  std::vector<cComChara*> v;
  for (const auto& lp : scene.CharaList()) v.push_back(lp.get());
  return v;
}

TEST(ComCharaTest, HitBoxAndBoxesFollowTheStageAndTheBlockSwitch) {
  const struct {
    const char* name;
    int nFly;
    int bBottom;
    int bBlock;
    int nGiant;
    int nBoxX, nBoxY, nBoxW, nBoxH;
  } cases[] = {
      {"walking, centred", MOVEMODE_WALK, 0, 0, 1, 4, 1, 24, 30},
      {"walking, on the bottom line", MOVEMODE_WALK, 1, 0, 1, 4, 2, 24, 30},
      {"flying, centred", MOVEMODE_FLYSOLID, 0, 0, 1, 4, 1, 24, 30},
      {"a block character", MOVEMODE_WALK, 1, 1, 1, 0, 0, 32, 32},
      {"a block character twice as large", MOVEMODE_WALK, 1, 1, 2, 0, 0, 64, 64},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    cPlayFixture fixture;
    g_Stage.m_nComWalkW = g_Stage.m_nComFlyW = 24;
    g_Stage.m_nComWalkH = g_Stage.m_nComFlyH = 30;
    g_Stage.m_bComWalkBottom = g_Stage.m_bComFlyBottom = c.bBottom;
    cEdChara def;
    def.m_nFly = static_cast<int8_t>(c.nFly);
    def.m_bBlockChara = static_cast<int8_t>(c.bBlock);
    def.m_nGiant = static_cast<int8_t>(c.nGiant);
    cComChara chara;
    chara.Init(1, def, 500, 500, 0);
    EXPECT_EQ(chara.m_nBoxX, c.nBoxX);
    EXPECT_EQ(chara.m_nBoxY, c.nBoxY);
    EXPECT_EQ(chara.m_nBoxW, c.nBoxW);
    EXPECT_EQ(chara.m_nBoxH, c.nBoxH);
    if (c.bBlock) {
      // Contact and shot boxes are the hit box.
      for (const HITBOX* lpBox : {&chara.m_BoxA, &chara.m_BoxB}) {
        EXPECT_EQ(lpBox->nX, 0);
        EXPECT_EQ(lpBox->nY, 0);
        EXPECT_EQ(lpBox->nWidth, c.nBoxW);
        EXPECT_EQ(lpBox->nHeight, c.nBoxH);
      }
    }
  }
}

// The definition given is the stage's own: a giant factor of 0 becomes 1
// in the character's copy only.
TEST(ComCharaTest, AGiantFactorOfNoneIsOneInTheCopyOnly) {
  cPlayFixture fixture;
  cEdChara def;
  def.m_nGiant = 0;
  cComChara chara;
  chara.Init(1, def, 500, 500, 0);
  EXPECT_EQ(def.m_nGiant, 0);
  EXPECT_EQ(chara.m_Def.m_nGiant, 1);
  EXPECT_EQ(chara.m_nBoxW, g_Stage.m_nComWalkW);
}

// Copies take the ids that follow one another; a copy that would lie
// outside the world is dropped before it is listed, takes no id and is
// nowhere to be found: every character that targets the hero sits in the
// list, and no id names two characters.
TEST(ComCharaTest, APlacementMakesItsCopiesWithTheIdsThatFollow) {
  cPlayFixture fixture;
  cPlayScene& scene = fixture.Scene();
  fixture.AddHero(400, 400);
  cEdChara placement;
  placement.m_nTileX = 5;
  placement.m_nTileY = 5;
  placement.m_nCopies = 3;
  placement.m_nOffsetStepX = 100;
  placement.m_nOffsetStepY = -300;  // the third and fourth copies lie above the world
  EXPECT_EQ(scene.SpawnStageCharacters(5, 5, placement), 2);
  placement.m_nOffsetStepY = 0;
  placement.m_nCopies = 1;
  EXPECT_EQ(scene.SpawnStageCharacters(5, 5, placement), 2);

  const std::vector<cComChara*> charas = Charas(scene);
  ASSERT_EQ(charas.size(), 4u);
  const double x0 = charas[0]->m_dX;
  const double y0 = charas[0]->m_dY;
  const struct {
    int nId;
    double dx, dy;
    int nCopy;
  } expected[] = {{1, 0, 0, 0}, {2, 100, -300, 1}, {3, 0, 0, 0}, {4, 100, 0, 1}};
  for (size_t i = 0; i < charas.size(); ++i) {
    SCOPED_TRACE(i);
    const cComChara& c = *charas[i];
    EXPECT_EQ(c.m_nId, expected[i].nId);
    EXPECT_EQ(c.m_dX, x0 + expected[i].dx);
    EXPECT_EQ(c.m_dY, y0 + expected[i].dy);
    EXPECT_EQ(c.m_sCopyIndex, expected[i].nCopy);
    EXPECT_EQ(scene.FindCharaById(c.m_nId), &c);
    EXPECT_EQ(c.GetTarget(), scene.Hero());
  }
  // On its tile: the box centred half a pixel right, standing on the
  // cell's bottom line.
  EXPECT_EQ(x0, (5 + 10) * kCell + charas[0]->m_nBoxX + 0.5);
  EXPECT_EQ(charas[0]->m_dBottom, (5 + 10 + 1) * kCell - 1);
}

TEST(ComCharaTest, ASummonedCharacterIsDroppedWhereItIsBlocked) {
  cPlayFixture fixture;
  cPlayScene& scene = fixture.Scene();
  fixture.AddHero(400, 400);
  fixture.PutBlock(10, 10);  // world pixels 640..671
  cEdShot settings;
  settings.m_bNoScore = 1;
  cEdChara def;
  def.m_nScore = 50;
  EXPECT_EQ(scene.SpawnCharacterAt(640, 640, 3, 1, settings, def), 0);
  EXPECT_EQ(scene.SpawnCharacterAt(700, 640, 3, 1, settings, def), 1);
  const cComChara& c = *scene.CharaList().front();
  EXPECT_EQ(c.m_nId, 1);  // the blocked one used none
  EXPECT_EQ(c.m_dX, 700 + c.m_nBoxX);
  EXPECT_EQ(c.m_dY, 640 + c.m_nBoxY);
  EXPECT_EQ(c.m_nFaction, 3);
  EXPECT_EQ(c.m_nFacing, 1);
  EXPECT_EQ(c.m_Def.m_nScore, 0);
  EXPECT_EQ(c.m_nLifetime, NO_LIFETIME);
  EXPECT_EQ(scene.FactionCharas(3).size(), 1u);
}

// A lifetime of 10 tenths is one second: 60 N sub-steps.
TEST(ComCharaTest, ALifetimeOfTenLastsSixtyFramesOfSubsteps) {
  for (const int n : {1, 4}) {
    SCOPED_TRACE(n);
    cPlayFixture fixture({.nLevel = n});
    cPlayScene& scene = fixture.Scene();
    fixture.AddHero(400, 400);
    cEdShot settings;
    settings.m_bLife = 1;
    settings.m_nLife = 10;
    ASSERT_EQ(scene.SpawnCharacterAt(700, 400, 1, 0, settings, cEdChara()), 1);
    int nSteps = 0;
    while (!scene.CharaList().empty() && nSteps < 1000) {
      scene.StepCharaLifetimes();
      ++nSteps;
    }
    // Counted down to 0 in 60 N sub-steps, gone in the next.
    EXPECT_EQ(nSteps, 60 * n + 1);
  }
}

// Three characters of one activation group, only the last in view: all
// three are active in the same sub-step. One of another group is not.
TEST(ComCharaTest, AGroupMemberInViewActivatesTheWholeGroup) {
  cPlayFixture fixture;
  cPlayScene& scene = fixture.Scene();
  fixture.AddHero(400, 400);
  cEdChara def;
  def.m_bActGroup = 1;
  def.m_nActGroup = 7;
  for (const int tx : {60, 80, 5}) {
    def.m_nTileX = static_cast<int16_t>(tx);
    scene.SpawnStageCharacters(tx, 5, def);
  }
  def.m_nActGroup = 8;
  scene.SpawnStageCharacters(70, 5, def);
  scene.UpdateAppearance();
  const std::vector<cComChara*> c = Charas(scene);
  EXPECT_EQ(c[0]->IsActive(), 1);
  EXPECT_EQ(c[1]->IsActive(), 1);
  EXPECT_EQ(c[2]->IsActive(), 1);
  EXPECT_EQ(c[3]->IsActive(), 0);
  EXPECT_EQ(c[0]->m_nMisc1, 0);  // not in view itself
  EXPECT_EQ(c[2]->m_nMisc1, 1);
}

// The view mode picks the axes of the view test; activation mode 1 keeps a
// character active wherever it goes once it has been active.
TEST(ComCharaTest, ViewModesAndPermanentActivation) {
  const struct {
    const char* name;
    int nViewMode;
    int nActMode;
    double x, y;  // where it stands after its first sub-step in view
    int bActive;
  } cases[] = {
      {"in view", 0, 0, 500, 500, 1},
      {"above the view", 0, 0, 500, 100, 0},
      {"above the view, X only", 1, 0, 500, 100, 1},
      {"beside the view, X only", 1, 0, 1500, 500, 0},
      {"beside the view, Y only", 2, 0, 1500, 500, 1},
      {"far off, anywhere", 3, 0, 1500, 100, 1},
      {"far off after being active once, mode 1", 0, 1, 1500, 100, 1},
      {"far off after being active once, mode 2", 0, 2, 1500, 100, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    cPlayFixture fixture;
    cPlayScene& scene = fixture.Scene();
    fixture.AddHero(400, 400);
    cEdChara def;
    def.m_nFly = MOVEMODE_FLY;  // no fall keeps it active
    def.m_nActRange = static_cast<int8_t>(c.nViewMode);
    def.m_nActMode = static_cast<int8_t>(c.nActMode);
    scene.SpawnStageCharacters(5, 5, def);
    cComChara& chara = *scene.CharaList().front();
    scene.UpdateAppearance();
    ASSERT_EQ(chara.IsActive(), 1);
    chara.m_dX = c.x;
    chara.m_dY = c.y;
    chara.ClampX(2);
    chara.ClampY(2);
    scene.UpdateAppearance();
    EXPECT_EQ(chara.IsActive(), c.bActive);
  }
}

// A walker that leaves the view on the ground stops there; one that jumps
// off it keeps moving until it lands.
TEST(ComCharaTest, AWalkerOutOfViewStopsUnlessInTheAir) {
  for (const bool bJump : {false, true}) {
    SCOPED_TRACE(bJump ? "jumping" : "walking");
    cFlowFixture fixture;
    cPlayScene& scene = fixture.Scene();
    fixture.AddHero(400, 400);
    fixture.PutRow(0, 39, 14);  // the floor, cells below y 768
    cEdChara def;
    def.m_nDir = 1;
    def.m_vFlow.push_back(MakeFlow(0, {MakeMove(CMD_MOVE_STRAIGHT, 100, true, [](cEdMove& m) {
                                     m.m_nDirection = DIRCODE_RIGHT;
                                     m.m_nSpeed = 40;  // 4 pixels a frame
                                   })}));
    if (bJump) def.m_vFlow.push_back(MakeFlow(0, {MakeCommand(CMD_JUMP, 100, true, {0, 0, 6})}));
    scene.SpawnStageCharacters(18, 13, def);  // near the right edge of the view (x 928)
    cComChara& c = *scene.CharaList().front();
    double dLast = c.m_dX;
    int nStill = 0;
    for (int i = 0; i < 200 && nStill < 5; ++i) {
      scene.UpdateAppearance();
      c.ClearLRUD();
      c.SavePosition();
      ASSERT_TRUE(scene.StepComCharas(false));
      nStill = c.m_dX == dLast ? nStill + 1 : 0;
      dLast = c.m_dX;
    }
    EXPECT_EQ(nStill, 5);
    EXPECT_FALSE(c.m_bAirborne);
    if (bJump)
      EXPECT_GT(c.m_dX, kViewLeft + 640.0 + 8);  // well past the view
    else
      EXPECT_LE(c.m_dX, kViewLeft + 640.0 + 4);  // one step past it at most
  }
}

// At the edges of the world a flier is removed (8), a walker falling out
// of the stage is killed (7), and one walking into the side is removed (4).
TEST(ComCharaTest, TheEdgesOfTheWorldEndACharacter) {
  const struct {
    const char* name;
    int nFly;
    double x, y, vx, vy;
    int nStepX, nStepY;
  } cases[] = {
      {"a flier above the top", MOVEMODE_FLY, 500, 2, 0, -5, 0, 8},
      {"a flier at the bottom", MOVEMODE_FLY, 500, 1260, 0, 5, 0, 8},
      {"a walker below the stage", MOVEMODE_WALK, 500, 1000, 0, 5, 0, 7},
      {"a walker at the left edge", MOVEMODE_WALK, 2, 500, -5, 0, 4, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    cPlayFixture fixture({.nWidth = 20, .nHeight = 20});
    cEdChara def;
    def.m_nFly = static_cast<int8_t>(c.nFly);
    cComChara chara;
    chara.Init(1, def, c.x, c.y, 0);
    chara.m_dX = c.x;
    chara.m_dY = c.y;
    chara.ClampX(2);
    chara.ClampY(2);
    chara.m_dVX = c.vx;
    chara.m_dVY = c.vy;
    EXPECT_EQ(chara.StepX(), c.nStepX);
    EXPECT_EQ(chara.StepY(), c.nStepY);
  }
}

}  // namespace
