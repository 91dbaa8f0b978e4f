// The flow commands that show effects and pictures, and the item commands
// that run them and the screen colour on the hero: where they go, their
// size, the effect 0 and picture 0 that clear, pictures replaced by ID, a
// picture file that cannot be read, and the commands that stop the game:
// they hold exactly their frames at every collision level, and a picture
// that stopped the game goes when the wait ends.

#include "flow/runtime/effect_commands.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "app/base/close_request.h"
#include "app/core/shell_state.h"
#include "flow/runtime/tests/flow_test_kit.h"
#include "platform/draw/dd_device.h"
#include "platform/input/input_devices.h"
#include "platform/input/virtual_keys.h"
#include "play/tests/effect_world.h"
#include "testing/message_box_log.h"

namespace {

cFlowCommand Command(int nType, std::initializer_list<std::pair<int, int>> params) {
  cFlowCommand cmd = MakeCommand(nType, 0);
  for (const auto& [i, v] : params) cmd.m_Params.At(i) = v;
  return cmd;
}

// エフェクトの実行 of effect n at screen cell (0, 0), at the size given.
cFlowCommand Effect(int nEffect, int nPercent = 100, int bStop = 0) {
  return Command(CMD_RUN_EFFECT, {{0, nEffect}, {1, 3}, {6, nPercent}, {7, bStop}});
}

constexpr int kDisplay = 8, kTime = 9, kStop = 10, kHasId = 12, kId = 13;

cFlowCommand Picture(int nPicture, std::initializer_list<std::pair<int, int>> params = {}) {
  cFlowCommand cmd = Command(CMD_SHOW_PICTURE, {{0, nPicture}, {1, 3}, {7, 100}});
  for (const auto& [i, v] : params) cmd.m_Params.At(i) = v;
  return cmd;
}

TEST(EffectCommandTest, EffectPositionPlacesTheImageByEachMode) {
  cEffectWorld w;
  ASSERT_TRUE(w.m_bReady);
  cPlayScene& scene = w.Scene();
  scene.m_ScrollX.m_dPos = 100.5;
  scene.m_ScrollY.m_dPos = 40;
  cPlayer& hero = w.Hero();
  hero.m_rcScreen.left = 200;
  hero.m_rcScreen.top = 300;
  hero.m_nSpriteW = hero.m_nSpriteH = 64;
  cTestChara chara;
  chara.m_rcScreen.left = 50;
  chara.m_rcScreen.top = 60;
  chara.m_nSpriteW = chara.m_nSpriteH = 32;
  ASSERT_EQ(scene.m_ScrollX.m_nMargin, 10);
  struct Case {
    int nMode;
    double x, y;
  } const cases[] = {
      {0, 100.5 + 320 - 16 + 3, 40 + 240 - 10 - 2},  // centred on the screen
      {1, 50 + 16 + 100.5 - 16 + 3, 60 + 16 + 40 - 10 - 2},
      {2, 200 + 32 + 100.5 - 16 + 3, 300 + 32 + 40 - 10 - 2},
      {3, 100.5 + 64 + 3, 40 + 32 - 2},           // screen cell (2, 1)
      {4, 32 * (2 + 10) + 3, 32 * (1 + 10) - 2},  // stage cell (2, 1) inside the border
      {5, 0, 0},
  };
  for (const Case& c : cases) {
    double x = -1, y = -1;
    EffectPosition(x, y, 33, 20, chara, c.nMode, 2, 1, 3, -2);
    EXPECT_EQ(x, c.x) << c.nMode;
    EXPECT_EQ(y, c.y) << c.nMode;
  }
}

constexpr int kMax = std::numeric_limits<int>::max();

TEST(EffectCommandTest, AnEffectTakesItsSizeInPercentAndEffectZeroRemovesThemAll) {
  cEffectWorld w;
  ASSERT_TRUE(w.m_bReady);
  cPlayScene& scene = w.Scene();
  struct Case {
    int nPercent, nCellWidth;
    int w, h;
  } const cases[] = {
      {100, 33, 33, 20},
      {50, 33, 17, 10},  // 16.5 to the nearest, halves away from zero
      {150, 33, 50, 30},
      {-50, 33, -17, -10},
      // Sizes beyond the int range are held at its ends.
      {200, kMax, kMax, 40},
      {-200, kMax, std::numeric_limits<int>::min(), -40},
  };
  for (const Case& c : cases) {
    g_Database.m_Effect[3].m_nCellWidth = c.nCellWidth;
    scene.m_EffectList.clear();
    DoRunEffect(w.Hero(), Effect(3, c.nPercent));
    ASSERT_EQ(scene.m_EffectList.size(), 1u);
    EXPECT_EQ(scene.m_EffectList.back().m_nWidth, c.w) << c.nPercent;
    EXPECT_EQ(scene.m_EffectList.back().m_nHeight, c.h) << c.nPercent;
    EXPECT_EQ(scene.m_EffectList.back().m_bScaled, c.w != c.nCellWidth ? 1 : 0);
  }
  DoRunEffect(w.Hero(), Effect(1));
  DoRunEffect(w.Hero(), Effect(0));
  EXPECT_TRUE(scene.m_EffectList.empty());
}

TEST(EffectCommandTest, CharaAndScreenEffectsStartTheirPlayback) {
  cEffectWorld w(1, true);
  ASSERT_TRUE(w.m_bReady);
  g_Database.m_CharaEffect.assign(3, cCharaEffectDef());
  g_Database.m_CharaEffect[0].m_nKind = 0;
  g_Database.m_CharaEffect[2].m_anParam[0] = 10;
  g_Database.m_ScrEffect.assign(2, cScrEffectDef());
  g_Database.m_ScrEffect[0].m_nKind = 0;
  BuildDatabaseTables();
  cPlayer& hero = w.Hero();
  DoCharaEffect(hero, Command(CMD_CHARA_EFFECT, {{0, 2}, {1, 2}, {2, 1}}));
  EXPECT_EQ(hero.m_CharaEffect.nEffect, 2);
  EXPECT_EQ(hero.m_CharaEffect.nRunMode, 2);
  EXPECT_EQ(hero.m_CharaEffect.bLoop, 1);
  EXPECT_EQ(hero.m_CharaEffect.lpRow, &g_Database.m_CharaEffect[2]);

  cPlayScene& scene = w.Scene();
  DoScreenEffect(hero, Command(CMD_SCREEN_EFFECT, {{0, 1}, {1, 1}}));
  EXPECT_TRUE(scene.m_ScrEffect.IsRunning());
  EXPECT_EQ(scene.m_ScrEffect.bReversed, 1);
  // Screen effect 0 stops it, and the frame is no longer drawn aside.
  DDSetVirBackBuffer(1);
  ASSERT_EQ(lpDTCon->bVirBackBuffer, 1);
  DoScreenEffect(hero, Command(CMD_SCREEN_EFFECT, {{0, 0}}));
  EXPECT_FALSE(scene.m_ScrEffect.IsRunning());
  EXPECT_EQ(lpDTCon->bVirBackBuffer, 0);
}

TEST(EffectCommandTest, AnItemsListRunsTheBodiesOnTheHero) {
  cEffectWorld w;
  ASSERT_TRUE(w.m_bReady);
  g_Database.m_CharaEffect.resize(3);
  BuildDatabaseTables();
  cFlowCommandList list;
  for (const cFlowCommand& cmd : {Effect(3, 50), Command(CMD_CHARA_EFFECT, {{0, 2}, {1, 1}}),
                                  Command(CMD_SCREEN_EFFECT, {{0, 1}, {2, 1}}), Picture(2),
                                  Command(CMD_SCREEN_COLOR, {{0, 255}, {3, 50}, {5, 10}})}) {
    cFlowCommand item = cmd;
    item.m_cSet = COMMANDSET_ITEM;
    item.m_cType = static_cast<int8_t>(cmd.m_cType - 15);
    list.push_back(item);
  }
  cPlayer& hero = w.Hero();
  EXPECT_EQ(hero.RunItemCommands(list), 0);
  cPlayScene& scene = w.Scene();
  ASSERT_EQ(scene.m_EffectList.size(), 1u);
  EXPECT_EQ(scene.m_EffectList.front().m_nWidth, 17);
  EXPECT_EQ(hero.m_CharaEffect.nEffect, 2);
  EXPECT_EQ(hero.m_CharaEffect.bReversed, 1);
  EXPECT_EQ(scene.m_ScrEffect.nEffect, 1);
  EXPECT_EQ(scene.m_ScrEffect.bLoop, 1);
  ASSERT_EQ(scene.m_PictureList.size(), 1u);
  EXPECT_EQ(scene.m_PictureList.front().m_nPicture, 2);
  EXPECT_EQ(scene.m_ScreenColor.bActive, 1);
  EXPECT_EQ(scene.m_ScreenColor.bRed, 255);
  EXPECT_EQ(scene.m_ScreenColor.nStrength, 50);
  EXPECT_EQ(scene.m_ScreenColor.nDuration, 60);
}

std::vector<int> PictureIds(const cPlayScene& scene) {
  std::vector<int> v;
  for (const cPictureObject& p : scene.m_PictureList) v.push_back(p.m_nId * 10 + p.m_nPicture);
  return v;
}

TEST(PictureCommandTest, APictureOfAShownIdReplacesItInItsPlace) {
  cEffectWorld w;
  ASSERT_TRUE(w.m_bReady);
  cPlayScene& scene = w.Scene();
  cPlayer& hero = w.Hero();
  for (int nId : {1, 2, 3}) DoShowPicture(hero, Picture(1, {{kHasId, 1}, {kId, nId}}));
  DoShowPicture(hero, Picture(1));
  EXPECT_EQ(PictureIds(scene), (std::vector<int>{11, 21, 31, 1}));
  const uint32_t nOld = std::next(scene.m_PictureList.begin())->m_nSerial;

  DoShowPicture(hero, Picture(2, {{kHasId, 1}, {kId, 2}}));
  EXPECT_EQ(PictureIds(scene), (std::vector<int>{11, 22, 31, 1}));
  EXPECT_NE(std::next(scene.m_PictureList.begin())->m_nSerial, nOld);
  EXPECT_EQ(std::next(scene.m_PictureList.begin())->m_nWidth, 10);
  // Picture 0 with an ID removes that one; an ID not shown changes nothing.
  DoShowPicture(hero, Picture(0, {{kHasId, 1}, {kId, 1}}));
  DoShowPicture(hero, Picture(0, {{kHasId, 1}, {kId, 9}}));
  EXPECT_EQ(PictureIds(scene), (std::vector<int>{22, 31, 1}));
  // A new ID goes to the end.
  DoShowPicture(hero, Picture(2, {{kHasId, 1}, {kId, 7}}));
  EXPECT_EQ(PictureIds(scene), (std::vector<int>{22, 31, 1, 72}));
  // Picture 0 without an ID removes every picture.
  DoShowPicture(hero, Picture(0));
  EXPECT_TRUE(scene.m_PictureList.empty());
}

TEST(PictureCommandTest, APictureThatCannotBeReadClosesTheProgram) {
  cEffectWorld w;
  ASSERT_TRUE(w.m_bReady);
  DoShowPicture(w.Hero(), Picture(1));
  cMessageBoxLog boxes;
  ResetCloseRequestCount();
  DoShowPicture(w.Hero(), Picture(3, {{kStop, 1}}));
  EXPECT_EQ(boxes.m_Texts, (std::vector<std::string>{"bmp\\Missing.bmp 読み込み失敗！"}));
  EXPECT_EQ(GetCloseRequestCount(), 1);
  EXPECT_EQ(w.Scene().m_PictureList.size(), 1u);
  EXPECT_EQ(w.m_world.Presenter().m_nPresents, 0);
}

// ---- Commands that stop the game -------------------------------------------------------

struct STOPROW {
  const char* name;
  cFlowCommand command;
  int nLevel;
  int nPressAt;  // the decide key goes down after this frame of the wait (0: never)
  std::vector<SPAN> spans;
  int nPresents;               // frames the nested loop showed
  size_t nEffects, nPictures;  // listed once the command is done
};

TEST(StopCommandTest, EachHoldsTheGameForExactlyItsFramesAtEveryLevel) {
  const cFlowCommand tenth = MakeCommand(CMD_WAIT, 1);
  const cFlowCommand stoppingEffect = Effect(1, 100, 1);
  const cFlowCommand timedPicture =
      Picture(1, {{kDisplay, PICDISPLAY_TIME}, {kTime, 5}, {kStop, 1}});
  const cFlowCommand keyPicture = Picture(1, {{kDisplay, PICDISPLAY_KEY}, {kStop, 1}});
  // Shown until the stage ends, it waits for the key rather than its time.
  const cFlowCommand stagePicture =
      Picture(1, {{kDisplay, PICDISPLAY_STAGE}, {kTime, 5}, {kStop, 1}});
  const STOPROW rows[] = {
      // The effect's 12 frames; its end is seen in the last one, and the
      // next frame of play lets it go.
      {"effect", stoppingEffect, 1, 0, {{1, 1}, {2, 7}}, 12, 1, 0},
      {"effect", stoppingEffect, 10, 0, {{1, 1}, {2, 61}}, 12, 1, 0},
      {"effect, not stopping", Effect(1), 10, 0, {{1, 1}, {2, 61}}, 0, 1, 0},
      {"timed picture", timedPicture, 1, 0, {{1, 1}, {2, 7}}, 30, 0, 0},
      {"timed picture", timedPicture, 10, 0, {{1, 1}, {2, 61}}, 30, 0, 0},
      // No delay before the key: the frame after the press ends the wait.
      {"picture until the key", keyPicture, 1, 1, {{1, 1}, {2, 7}}, 1, 0, 0},
      {"picture until the key", keyPicture, 10, 4, {{1, 1}, {2, 61}}, 4, 0, 0},
      {"picture until the stage ends", stagePicture, 10, 4, {{1, 1}, {2, 61}}, 4, 0, 0},
  };
  for (const STOPROW& row : rows) {
    SCOPED_TRACE(testing::Message() << row.name << " N=" << row.nLevel);
    cEffectWorld w(row.nLevel);
    ASSERT_TRUE(w.m_bReady);
    cPresentHook& hook = w.m_world.Presenter();
    const int nBefore = hook.m_nPresents;
    bool bPictureShown = true;
    hook.m_onPresent = [&](int nPresent) {
      const int n = nPresent - nBefore;
      // Every frame of a picture's wait shows it.
      if (row.command.m_cType == CMD_SHOW_PICTURE && w.Scene().m_PictureList.size() != 1)
        bPictureShown = false;
      if (n == row.nPressAt) InputDevices().SetKey(vkey::kZ, true);
      // A safety net: a wait that does not end is a failure, not a hang.
      if (n == 500) RequestPlayQuit();
    };
    InstallFlows(w.Hero(), {MakeFlow(19, {row.command, tenth})});
    const TIMELINE t = RunTimeline(w.Hero(), w.Hero().m_vRunners.At(0), 200);
    hook.m_onPresent = nullptr;
    InputDevices().Reset();
    ClearPlayQuitRequest();
    EXPECT_EQ(t.spans, row.spans);
    EXPECT_EQ(hook.m_nPresents - nBefore, row.nPresents);
    EXPECT_TRUE(bPictureShown);
    EXPECT_EQ(w.Scene().m_EffectList.size(), row.nEffects);
    EXPECT_EQ(w.Scene().m_PictureList.size(), row.nPictures);
    EXPECT_EQ(w.Scene().m_bSwallowDecide, row.nPressAt ? 1 : 0);
  }
}

TEST(StopCommandTest, NothingIsShownOnceThePlaySceneMustQuit) {
  cEffectWorld w;
  ASSERT_TRUE(w.m_bReady);
  RequestPlayQuit();
  DoRunEffect(w.Hero(), Effect(1, 100, 1));
  DoShowPicture(w.Hero(), Picture(1, {{kStop, 1}}));
  ClearPlayQuitRequest();
  EXPECT_TRUE(w.Scene().m_EffectList.empty());
  EXPECT_TRUE(w.Scene().m_PictureList.empty());
  EXPECT_EQ(w.m_world.Presenter().m_nPresents, 0);
}

}  // namespace
