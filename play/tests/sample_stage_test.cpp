// The sample game's first stage, loaded from the files the sample builder
// writes and played with the keyboard's input words: the hero walks, jumps,
// falls into the pit, and the attempts end in the retry menu, the world map
// or the game over; the coin on the ground raises the score; a bump of his
// head shakes the screen; a slime's touch costs a heart and the hero's
// sparks kill it; the goal flag clears the stage. The hero appears in an
// opening circle, and a "GO!" sign shows for a second as play begins. X
// fires a spark. The challenge stage's turret fires fans of sparks. A slime
// far ahead waits off screen and walks once it is shown, and a lift carries
// the hero.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "app/core/scene.h"
#include "app/core/shell_state.h"
#include "objects/effect_object.h"
#include "platform/input/input_devices.h"
#include "platform/input/virtual_keys.h"
#include "play/play_digest.h"
#include "records/effect_db.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/stage.h"
#include "testing/play_world.h"

namespace {

constexpr const char* kFirstStage = "data\\stg4\\w01-1.stg4";
constexpr uint16_t kDecide = 1;
// Map columns of the hero's start, the coin on the ground, the goal block,
// the goal flag beside it and the middle of the first stone platform.
constexpr int kHeroColumn = 3;
constexpr int kCoinColumn = 6;
constexpr int kGoalBlockColumn = 61;
constexpr int kFlagColumn = 63;
constexpr int kPlatformColumn = 13;
// The map column of the slime far ahead, and of the lift's start.
constexpr int kFarSlimeColumn = 48;
constexpr int kLiftColumn = 31;
// The map column of the centre of the hero's box.
int HeroColumn(const cPlayer& hero) {
  return static_cast<int>(hero.m_dX + hero.m_dRight) / 2 / 32 - kMapBorderCells;
}

class SampleStage : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_World.m_bStarted);
    ASSERT_TRUE(m_World.LoadSampleStage(kFirstStage));
    g_PlayData.m_nStartLives = 3;  // entering the stage takes one
    Start();
  }

  // A story attempt at the stage, up to the first frame of play.
  void Start() {
    m_World.Start();
    g_SceneManager.m_nGameKind = GAMEKIND_STORY;
    ASSERT_TRUE(m_World.RunUntilPlay());
  }

  cPlayScene& Scene() { return m_World.Scene(); }
  // The slime nearest the start, the first character that is neither a
  // block character (the lift) nor of the hero's faction (the sign).
  const cComChara& FirstSlime() {
    for (const auto& lpChara : Scene().CharaList())
      if (!lpChara->m_Def.m_bBlockChara && lpChara->m_nFaction != 0) return *lpChara;
    return *Scene().CharaList().front();
  }
  // The first computer character that starts in the map column.
  const cComChara* CharaAtColumn(int nColumn) {
    for (const auto& lp : Scene().CharaList())
      if (lp->m_Def.m_nTileX == nColumn) return lp.get();
    return nullptr;
  }
  // The hero put dx map columns further, its box's bottom at y when given;
  // the view follows.
  void MoveHero(int dx, std::optional<double> dBottom = {}) {
    cPlayer& hero = *Scene().Hero();
    hero.ShiftBy(dx * 32.0, dBottom ? *dBottom - hero.m_dBottom : 0.0);
    hero.AfterMoveX();
    hero.AfterMoveY();
  }
  const cPlayer& Hero() { return *Scene().Hero(); }

  // Frames with the input held until the scene leaves state 2; false after
  // nLimit frames.
  bool PlayUntilPlayEnds(uint16_t wDir, uint16_t wButtons, int nLimit) {
    for (int i = 0; i < nLimit && Scene().m_nState == 2; ++i) m_World.Frame(wDir, wButtons);
    return Scene().m_nState != 2;
  }
  // Frames with no input until the scene is in the state; false after 600.
  bool WaitForState(int nState) {
    for (int i = 0; i < 600 && Scene().m_nState != nState; ++i) m_World.Frame(0, 0);
    return Scene().m_nState == nState;
  }
  // Presses the decision button for one frame and lets it go.
  void Decide() {
    m_World.Frame(0, kDecide);
    m_World.Frame(0, 0);
  }

  cPlayWorld m_World{{.rows = {"H"}}};
};

TEST_F(SampleStage, TheHeroAppearsInACircleThatOpens) {
  const cEffectPlayback& e = Hero().m_CharaEffect;
  ASSERT_TRUE(e.IsRunning()) << "started with the stage";
  ASSERT_NE(e.lpRow, nullptr);
  EXPECT_EQ(e.lpRow->m_nKind, CHARAEFFECT_CIRCLE);
  EXPECT_EQ(e.dValue, 0.0) << "the frozen frames of the fade-in hold it";
  int nFrames = 0;
  while (e.IsRunning() && nFrames < 600) {
    m_World.Frame(0, 0);
    ++nFrames;
  }
  // Half a second: its radius grows by 0.8 a frame, and the 30 steps add up
  // to a little more than its end of 24.
  EXPECT_EQ(nFrames, 30);
}

TEST_F(SampleStage, AGoSignShowsForASecondWithoutHoldingTheGame) {
  m_World.Frame(0, 0);  // the first frame of play runs the hero's flows
  ASSERT_EQ(Scene().m_PictureList.size(), 1u) << "shown as play begins";
  const cPictureObject& sign = Scene().m_PictureList.front();
  EXPECT_EQ(sign.m_nPicture, 1);
  EXPECT_EQ(sign.m_bStopsGame, 0);
  const double x0 = Hero().m_dX;
  int nFrames = 0;
  while (!Scene().m_PictureList.empty() && nFrames < 600) {
    m_World.Frame(kKeyRight, 0);
    ++nFrames;
  }
  EXPECT_TRUE(Scene().m_PictureList.empty());
  EXPECT_NEAR(nFrames, 60, 2) << "a second";
  EXPECT_GT(Hero().m_dX, x0 + 90) << "the hero walked meanwhile";
}

TEST_F(SampleStage, TheHeroWalksJumpsAndFallsIntoThePitThenRetries) {
  const double x0 = Hero().m_dX, y0 = Hero().m_dY;
  const size_t nItems = Scene().ItemList().size();
  for (int i = 0; i < 30; ++i) m_World.Frame(kKeyRight, 0);
  EXPECT_NEAR(Hero().m_dX - x0, 90.0, 1.0) << "3 pixels a frame";
  EXPECT_EQ(static_cast<int>(Hero().m_dY), static_cast<int>(y0));
  EXPECT_EQ(HeroColumn(Hero()), kCoinColumn);
  EXPECT_EQ(g_PlayData.m_nGameScore, 100) << "the coin on the way";
  EXPECT_EQ(Scene().ItemList().size(), nItems - 1);
  double dTop = y0;
  for (int i = 0; i < 20; ++i) {
    m_World.Frame(0, kButtonJump);
    dTop = std::min(dTop, Hero().m_dY);
  }
  EXPECT_LT(dTop, y0 - 96) << "a held jump rises more than three blocks";
  for (int i = 0; i < 40; ++i) m_World.Frame(0, 0);
  EXPECT_EQ(static_cast<int>(Hero().m_dY), static_cast<int>(y0)) << "and lands on the ground again";

  // On to the pit, a gap in the ground down to the bottom of the stage.
  ASSERT_TRUE(PlayUntilPlayEnds(kKeyRight, 0, 600));
  ASSERT_TRUE(WaitForState(5)) << "the miss leads to the retry menu";
  EXPECT_EQ(g_PlayData.m_nLives, 1);
  Decide();  // the cursor is on "retry"
  ASSERT_TRUE(m_World.RunUntilPlay());
  EXPECT_EQ(Hero().m_dX, x0) << "the attempt starts again at the start";
  EXPECT_EQ(Hero().m_dY, y0);
}

// X (button 2) fires a spark straight ahead at 8 pixels a frame; it goes at
// the end of its range of 20 half blocks, 320 pixels less its own 16, long
// before the next one could be fired by holding the key.
TEST_F(SampleStage, TheHeroFiresASparkWithX) {
  constexpr uint16_t kButtonFire = 2;
  m_World.Frame(kKeyRight, 0);  // facing right
  m_World.Frame(0, kButtonFire);
  ASSERT_EQ(Scene().ShotList().size(), 1u);
  const cShot& shot = Scene().ShotList().front();
  EXPECT_GT(shot.m_dX, Hero().m_dRight);
  const double x0 = shot.m_dX;
  m_World.Frame(0, 0);
  EXPECT_NEAR(shot.m_dX - x0, 8.0, 1e-9);  // 0.8 pixels in each of 10 sub-steps
  for (int i = 0; i < 40; ++i) m_World.Frame(0, 0);
  EXPECT_TRUE(Scene().ShotList().empty());
}

// Two sparks take the slime's two hearts: it dies, its score is counted,
// its death effect plays and then it is gone.
TEST_F(SampleStage, TheHerosSparksKillTheSlimeWithItsScoreAndDeathEffect) {
  constexpr uint16_t kButtonFire = 2;
  for (int i = 0; i < 40; ++i) m_World.Frame(kKeyRight, 0);  // within range, past the coin
  const int nScore = g_PlayData.m_nGameScore;
  const cComChara& slime = FirstSlime();
  const int nId = slime.m_nId;
  int nDyingFrames = 0;
  for (int i = 0; i < 300 && Scene().FindCharaById(nId) != nullptr; ++i) {
    if (slime.m_bDead) {
      EXPECT_TRUE(slime.m_CharaEffect.IsRunning()) << "its death effect";
      ++nDyingFrames;
    }
    m_World.Frame(0, i % 20 == 0 ? kButtonFire : 0);
  }
  EXPECT_EQ(Scene().FindCharaById(nId), nullptr);
  EXPECT_GT(nDyingFrames, 10);
  EXPECT_EQ(g_PlayData.m_nGameScore, nScore + 100);
}

TEST_F(SampleStage, TheRetryMenuLeadsToTheWorldMapAndTheLastLifeToTheGameOver) {
  ASSERT_TRUE(PlayUntilPlayEnds(kKeyRight, 0, 600));
  ASSERT_TRUE(WaitForState(5));
  m_World.Frame(kKeyDown, 0);
  m_World.Frame(0, 0);
  Decide();
  EXPECT_EQ(Scene().m_nState, 7);
  EXPECT_EQ(g_SceneManager.m_nNextScene, SCENE_WORLDMAP);

  // Another attempt, this time with no life left after the miss.
  g_PlayData.m_nStartLives = 1;
  Start();
  ASSERT_EQ(g_PlayData.m_nLives, 0);
  ASSERT_TRUE(PlayUntilPlayEnds(kKeyRight, 0, 600));
  ASSERT_TRUE(WaitForState(6)) << "the last life ends in the game over";
  m_World.Frame(0, 0);  // the menu's decision latch lets go
  Decide();
  EXPECT_EQ(Scene().m_nState, 7);
  EXPECT_EQ(g_SceneManager.m_nNextScene, SCENE_TITLE);
}

TEST_F(SampleStage, ABumpOfTheHeadShakesTheScreenAndFlashesIt) {
  // The hero put under the first stone platform, one cell above his head,
  // stands a moment and jumps into it.
  cPlayer& hero = *Scene().Hero();
  const double dx = (kPlatformColumn - kHeroColumn) * 32.0;
  hero.ShiftBy(dx, 0.0);
  hero.AfterMoveX();
  for (int i = 0; i < 10; ++i) m_World.Frame(0, 0);
  EXPECT_FALSE(Scene().m_ScrEffect.IsRunning());
  int nFrames = 0;
  while (nFrames < 30 && !Scene().m_ScrEffect.IsRunning()) {
    m_World.Frame(0, kButtonJump);
    ++nFrames;
  }
  ASSERT_TRUE(Scene().m_ScrEffect.IsRunning()) << "no bump in 30 frames";
  EXPECT_EQ(Scene().m_ScrEffect.nEffect, 1);
  EXPECT_EQ(Scene().m_ScreenColor.bApplied, 1);
  EXPECT_EQ(Scene().m_ScreenColor.bBlink, 1);
  // The shake is over in its three tenths.
  for (int i = 0; i < 30; ++i) m_World.Frame(0, 0);
  EXPECT_FALSE(Scene().m_ScrEffect.IsRunning());
}

TEST_F(SampleStage, TheFarSlimeWaitsOffScreenAndWalksOnceShown) {
  const cComChara* lpSlime = CharaAtColumn(kFarSlimeColumn);
  ASSERT_NE(lpSlime, nullptr);
  const double x0 = lpSlime->m_dX;
  for (int i = 0; i < 60; ++i) m_World.Frame(0, 0);
  EXPECT_EQ(lpSlime->m_dX, x0) << "off screen it waits";
  EXPECT_EQ(lpSlime->IsActive(), 0);
  // The hero put six columns short of it: in view, it walks.
  MoveHero(kFarSlimeColumn - 6 - kHeroColumn);
  for (int i = 0; i < 30; ++i) m_World.Frame(0, 0);
  EXPECT_EQ(lpSlime->IsActive(), 1);
  EXPECT_NEAR(std::abs(lpSlime->m_dX - x0), 30.0, 1.0) << "a pixel a frame";
}

TEST_F(SampleStage, TheLiftCarriesTheHeroToAndFro) {
  const cComChara* lpLift = CharaAtColumn(kLiftColumn);
  ASSERT_NE(lpLift, nullptr);
  ASSERT_EQ(lpLift->m_Def.m_bBlockChara, 1);
  // The hero put just above the lift: he lands on it as he falls, and the
  // lift starts going right once it is in view.
  MoveHero(kLiftColumn - kHeroColumn, lpLift->m_dY - 1);
  for (int i = 0; i < 10 && !Hero().m_bOnChara; ++i) m_World.Frame(0, 0);
  ASSERT_EQ(Hero().m_bOnChara, 1) << "standing on the lift";
  const double dLift = lpLift->m_dX, dHero = Hero().m_dX;
  for (int i = 0; i < 60; ++i) m_World.Frame(0, 0);
  EXPECT_NEAR(lpLift->m_dX - dLift, 120.0, 4.0) << "2 pixels a frame";
  EXPECT_EQ(Hero().m_dX - dHero, lpLift->m_dX - dLift) << "the hero with it";
  EXPECT_EQ(Hero().m_dBottom, lpLift->m_dY - 1) << "on its top";
  // It turns after three seconds and brings the hero back.
  for (int i = 0; i < 300; ++i) m_World.Frame(0, 0);
  EXPECT_EQ(Hero().m_bOnChara, 1);
  EXPECT_EQ(Hero().m_dX - dHero, lpLift->m_dX - dLift);
  EXPECT_LT(lpLift->m_dX, dLift + 120.0) << "on its way back";
}

TEST_F(SampleStage, TheGoalFlagClearsTheStageAndTheWorldMapShowsItCleared) {
  // A story game entered from the world map's first stage.
  g_SceneManager.m_nTitleChoice = 0;
  g_PlayData.m_nStageNo = 1;
  ASSERT_EQ(g_PlayData.m_ClearedFlags.At(1), 0);

  // The hero put past the last wall, beside the goal block in the ground,
  // walks over it to the flag.
  cPlayer& hero = *Scene().Hero();
  const double dx = (kGoalBlockColumn - 1 - kHeroColumn) * 32.0;
  hero.ShiftBy(dx, 0.0);
  hero.AfterMoveX();
  ASSERT_TRUE(PlayUntilPlayEnds(kKeyRight, 0, 60));
  EXPECT_EQ(Scene().m_nState, 4) << "touching the flag clears the stage";
  EXPECT_EQ(HeroColumn(Hero()), kFlagColumn - 1) << "past the goal block, at the flag";

  // The results, then on to the world map with the stage marked cleared,
  // which opens the gate behind it.
  for (int i = 0; i < 300 && Scene().m_nState == 4; ++i) Decide();
  EXPECT_EQ(Scene().m_nState, 7);
  EXPECT_EQ(g_SceneManager.m_nNextScene, SCENE_WORLDMAP);
  EXPECT_EQ(g_PlayData.m_ClearedFlags.At(1), 1);
}

// The challenge stage's turret, once in view, fires a fan of three sparks
// 20 degrees apart ahead of it (it faces left: at 340, 0 and 20 degrees).
TEST(SampleChallengeStage, TheTurretFiresFansOfSparks) {
  cPlayWorld world{{.rows = {"H"}}};
  ASSERT_TRUE(world.m_bStarted);
  ASSERT_TRUE(world.LoadSampleStage("data\\stg4\\c01-1.stg4"));
  world.Start();
  g_SceneManager.m_nGameKind = GAMEKIND_STORY;
  ASSERT_TRUE(world.RunUntilPlay());
  cPlayScene& scene = world.Scene();
  // The hero on the open ground at column 29, seven cells left of the
  // turret: the view follows it and takes the turret in.
  cPlayer& hero = *scene.Hero();
  hero.m_dX = (29 + kMapBorderCells) * 32.0 + 8;
  hero.ClampX(2);
  int nFrames = 0;
  while (scene.ShotList().empty() && nFrames < 120) {
    world.Frame(0, 0);
    ++nFrames;
  }
  ASSERT_EQ(scene.ShotList().size(), 3u) << nFrames;
  const double angles[] = {-20, 0, 20};
  size_t i = 0;
  for (const cShot& shot : scene.ShotList()) {
    EXPECT_EQ(shot.m_nFaction, 1);
    const double a = std::atan2(-shot.m_dBaseVY, -shot.m_dBaseVX) * 180 / 3.141592653589793;
    EXPECT_NEAR(a, angles[i++], 1e-9);
  }
}

// The hero stands a few steps on; the slime walks into him, and each touch
// takes a heart and pushes him back, never twice within the stage's 30
// frames of immunity. His touch is harmless to the slime.
TEST_F(SampleStage, ASlimesTouchCostsAHeartOncePerImmunityWindow) {
  const cComChara& slime = FirstSlime();
  std::vector<int> hits;
  int nHp = Hero().m_nHp;
  double x = 0;
  for (int i = 0; i < 420 && Scene().m_nState == 2; ++i) {
    m_World.Frame(i < 20 ? kKeyRight : 0, 0);
    if (i == 20) x = Hero().m_dX;
    if (Hero().m_nHp == nHp) continue;
    EXPECT_EQ(Hero().m_nHp, nHp - 1);
    nHp = Hero().m_nHp;
    hits.push_back(i);
  }
  ASSERT_GE(hits.size(), 3u);
  for (size_t k = 1; k < hits.size(); ++k) EXPECT_GE(hits[k] - hits[k - 1], 30);
  EXPECT_LT(Hero().m_dX, x - 64) << "pushed back";
  EXPECT_EQ(slime.m_nHp, slime.m_Def.m_nMaxHp);
}

// The sign on the high platform: the hero beside it opens its window with
// the coins taken and its readers, which waits for the decide key; then the
// game stands still for exactly 30 frames in which nothing changes. It is
// read once an attempt. (The hero stands on the last coin of the platform.)
TEST_F(SampleStage, TheSignTellsItsVariablesUntilTheKeyThenHoldsTheGameThirtyFrames) {
  constexpr int kSignColumn = 30, kSignRow = 7, kHeroRow = 12;
  cPlayer& hero = *Scene().Hero();
  hero.ShiftBy((kSignColumn - 1 - kHeroColumn) * 32.0, (kSignRow - kHeroRow) * 32.0);
  hero.AfterMoveX();
  hero.AfterMoveY();
  std::vector<std::string> texts;    // the window's text at each frame of the key wait
  std::vector<std::string> digests;  // the state at each frame of the timed wait
  cPresentHook& hook = m_World.Presenter();
  hook.m_onPresent = [&](int nPresent) {
    const std::list<cMessage>& list = Scene().m_MessageList;
    if (!list.empty() && list.back().m_nKind == MSGKIND_TEXT)
      texts.push_back(list.back().m_strText);
    if (!list.empty() && list.back().m_nKind == MSGKIND_TIMER)
      digests.push_back(PlayDigest(Scene()));
    if (texts.size() == 12) InputDevices().SetKey(vkey::kZ, true);
    if (nPresent == 500) RequestPlayQuit();  // a wait without end fails
  };
  for (int i = 0; i < 10; ++i) m_World.Frame(0, 0);
  hook.m_onPresent = nullptr;
  InputDevices().Reset();
  ClearPlayQuitRequest();
  EXPECT_EQ(texts,
            std::vector<std::string>(
                12, "かんばん：コインを 0 まい ひろったね！\nこの かんばんを よむのは 1 かいめ。"));
  ASSERT_EQ(digests.size(), 30u);
  EXPECT_EQ(digests, std::vector<std::string>(30, digests.front()));
  EXPECT_EQ(g_PlayData.m_CommonVars.At(1), 1);
  EXPECT_EQ(Scene().m_vStageVar.At(2), 1);
  // Only the pop-up of the coin beside the sign is left.
  EXPECT_EQ(std::ranges::count(Scene().m_MessageList, MSGKIND_ICON, &cMessage::m_nKind),
            static_cast<std::ptrdiff_t>(Scene().m_MessageList.size()));
}

}  // namespace
