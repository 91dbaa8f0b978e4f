// ワープ, ターゲットの設定 and アイテムの取得, and the item commands: an
// item's list run on the hero through the item-command table.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "app/base/close_request.h"
#include "flow/runtime/flow_context.h"
#include "flow/runtime/tests/flow_test_kit.h"
#include "records/anime_db.h"
#include "records/database.h"
#include "stagedata/common_palette.h"
#include "stagedata/stage_globals.h"
#include "testing/game_folder.h"

namespace {

constexpr int kFirstDatabaseSound = 16;  // run-time sound of Sound row 0

int32_t& S(int n) { return FlowContext().m_vStageVar.At(n); }

cFlowCommand Warp(const std::function<void(cEdMove&)>& edit, int nUseTime = 0) {
  return MakeMove(CMD_WARP, nUseTime, false, edit);
}

// ステータスの操作: stage variable n := n + 1 (the item set's type 7 has
// the same parameters).
cFlowCommand CountS(int n, bool bItem = false) {
  const std::initializer_list<int32_t> params = {1, 1, n, 0, 0, 1, 0, 1};
  return bItem ? MakeItemCommand(7, params) : MakeCommand(CMD_STATUS, 0, false, params);
}

// ワープ by a direction and a distance, from a walker at (400, 400) with a
// 16 x 24 box: into a wall or off the stage it stays where it was, else a
// walker loses its vertical speed.
TEST(WarpTest, ByDirectionAndDistance) {
  const double d45 = 64 * 0.70710678118654752440;
  const struct {
    const char* name;
    int nFacing;
    int nMoveMode;
    int nCopy;
    int nDir;
    int nDistance;  // half blocks
    int nStep;      // per level
    bool bWall;     // a block where it would land
    double dx, dy, vy;
  } cases[] = {
      {"forward, facing right", 1, MOVEMODE_WALK, 0, 0, 2, 0, false, 32, 0, 0},
      {"back, facing right", 1, MOVEMODE_WALK, 0, 1, 2, 0, false, -32, 0, 0},
      {"forward-Y, facing left", 0, MOVEMODE_WALK, 0, 4, 2, 0, false, 0, -32, 0},
      {"down-right", 0, MOVEMODE_WALK, 0, 11, 4, 0, false, d45, d45, 0},
      {"per level at copy 2", 0, MOVEMODE_WALK, 2, 3, 1, 2, false, 80, 0, 0},
      {"a flier keeps its speed", 0, MOVEMODE_FLY, 0, 3, 2, 0, false, 32, 0, 3},
      {"into a wall", 0, MOVEMODE_WALK, 0, 3, 2, 0, true, 0, 0, 3},
      {"off the stage", 0, MOVEMODE_WALK, 0, 2, 10, 0, false, 0, 0, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    cFlowFixture fixture;
    cTestChara& chara = AddFlowChara(fixture);
    chara.SetMoveMode(c.nMoveMode);
    chara.m_nFacing = c.nFacing;
    chara.m_sCopyIndex = static_cast<int16_t>(c.nCopy);
    chara.m_dVY = 3;
    chara.m_bPinX = chara.m_bPinY = 1;
    // Stage cell (3, 2) is world cell (13, 12): under x 432..447, y 400..423.
    if (c.bWall) fixture.PutBlock(3, 2);
    DoWarp(chara, Warp([&](cEdMove& m) {
             m.m_nDirection = static_cast<uint8_t>(c.nDir);
             m.m_nDistance = static_cast<int16_t>(c.nDistance);
             m.m_nDistanceStep = static_cast<int16_t>(c.nStep);
           }));
    EXPECT_DOUBLE_EQ(chara.m_dX - 400, c.dx);
    EXPECT_DOUBLE_EQ(chara.m_dY - 400, c.dy);
    EXPECT_DOUBLE_EQ(chara.m_dRight, chara.m_dX + 15);
    EXPECT_DOUBLE_EQ(chara.m_dBottom, chara.m_dY + 23);
    EXPECT_EQ(chara.m_dVY, c.vy);
    EXPECT_EQ(chara.m_bPinX + chara.m_bPinY, 0);
  }
}

TEST(WarpTest, FromTheTargetAndToCoordinates) {
  cFlowFixture fixture;
  cTestChara& chara = AddFlowChara(fixture);
  cTestChara& target = AddFlowChara(fixture, 600, 450);
  auto place = [&] {
    chara.m_dX = chara.m_dY = 400;
    chara.ClampX(2);
    chara.ClampY(2);
    chara.cGameObject::UpdateScreenRect();
    target.cGameObject::UpdateScreenRect();
  };
  // From the target: nothing without one; with one, its sprite centre, then
  // the distance along the target's facing.
  place();
  const cFlowCommand fromTarget = Warp([](cEdMove& m) {
    m.m_nSpecMode = 1;
    m.m_nDirection = 0;
    m.m_nDistance = 2;
  });
  DoWarp(chara, fromTarget);
  EXPECT_EQ(chara.m_dX, 400);
  chara.SetTarget(&target);
  target.m_nFacing = 1;
  DoWarp(chara, fromTarget);
  EXPECT_EQ(chara.m_dX, 600 + 32);
  EXPECT_EQ(chara.m_dY, 450);

  // To coordinates: cells and dots, mirrored for a character facing right
  // when asked; a stage cell plus dots; a place in the view, where the
  // character is then drawn in this frame whether the warp was kept or not.
  const struct {
    const char* name;
    int nKind;  // 0 relative, 1 a stage cell, 2 the view
    int nCellX, nCellY, nDotX, nDotY;
    int nFacing;
    bool bWall;
    double x, y;
    int bPinned;
  } cases[] = {
      {"relative, mirrored in x", 0, 1, 0, 5, 8, 1, false, 400 - 37, 408, 0},
      {"relative, facing left", 0, 1, 0, 5, 8, 0, false, 400 + 37, 408, 0},
      {"a stage cell, never mirrored", 1, 3, 4, 2, 1, 1, false, 13 * 32 + 0.5 + 2, 14 * 32 + 1, 0},
      {"the view", 2, 2, 3, 0, 0, 0, false, 320 + 64, 320 + 96, 1},
      {"the view, into a wall", 2, 2, 3, 0, 0, 0, true, 400, 400, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    place();
    chara.m_nFacing = c.nFacing;
    // World cell (12, 13), under (384..399, 416..439).
    if (c.bWall) fixture.PutBlock(2, 3);
    DoWarp(chara, Warp([&](cEdMove& m) {
             m.m_nSpecMode = 2;
             m.m_nCoordKind = static_cast<uint8_t>(c.nKind);
             m.m_nCellX = static_cast<int16_t>(c.nCellX);
             m.m_nCellY = static_cast<int16_t>(c.nCellY);
             m.m_nDotX = static_cast<int16_t>(c.nDotX);
             m.m_nDotY = static_cast<int16_t>(c.nDotY);
             m.m_bMirrorX = 1;
           }));
    EXPECT_DOUBLE_EQ(chara.m_dX, c.x);
    EXPECT_DOUBLE_EQ(chara.m_dY, c.y);
    EXPECT_EQ(chara.m_bPinX, c.bPinned);
    EXPECT_EQ(chara.m_bPinY, c.bPinned);
    if (c.bPinned) {
      EXPECT_EQ(chara.m_nPinX, static_cast<int>(c.x) - 320);
      EXPECT_EQ(chara.m_nPinY, static_cast<int>(c.y) - 320);
    }
    fixture.PutBlock(2, 3, BLOCKHIT_NONE);
  }
}

// ターゲットの設定 over the group lists of the play scene.
TEST(SetTargetTest, ChoosesByRule) {
  cFlowFixture fixture;
  cPlayer& hero = fixture.AddHero(1000, 400);
  // World x 400 is screen x 80: sprite centres on screen are x - 304.
  auto add = [&](double x, int nGroup, int nCid, bool bOnScreen) -> cTestChara& {
    cTestChara& c = AddFlowChara(fixture, x, 400, nGroup);
    c.cGameObject::UpdateScreenRect();
    c.m_bAppeared = 1;
    c.m_bOnScreen = bOnScreen ? 1 : 0;
    c.m_Def.m_nCid = static_cast<int8_t>(nCid);
    return c;
  };
  cTestChara& self = add(400, 1, 7, true);
  cTestChara& a = add(420, 1, 3, true);   // 20 away
  cTestChara& b = add(600, 1, 7, true);   // 200 away, invincible
  cTestChara& c = add(390, 2, 7, false);  // 10 away, off screen
  cTestChara& d = add(700, 2, 7, true);   // 300 away
  cTestChara& e = add(405, 3, 7, true);   // 5 away, a block character
  cTestChara& f = add(392, 4, 1, false);  // 8 away, off screen, alone in its group
  b.m_Def.m_nInvincible = 2;
  e.m_Def.m_bBlockChara = 1;

  enum { HERO, SELF, NEAREST, BY_CID };
  struct PARAMS {
    int nBy = 0;
    int nGroup = 0;
    int bAll = 0;
    int nRange = 0;
    int bNotSelf = 0;
    int bNoInv1 = 0;
    int bNoInv2 = 0;
    int bNoBlock = 0;
    int bByCid = 0;
    int nCid = 0;
  };
  const struct {
    const char* name;
    PARAMS p;
    const cChara* lpWant;
  } cases[] = {
      {"the hero", {.nBy = HERO}, &hero},
      {"itself", {.nBy = SELF}, &self},
      {"nearest over an empty group", {.nBy = NEAREST, .nGroup = 5}, nullptr},
      {"nearest: itself", {.nBy = NEAREST, .nGroup = 1}, &self},
      {"nearest but itself", {.nBy = NEAREST, .nGroup = 1, .bNotSelf = 1}, &a},
      {"nearest of ID 7 but itself",
       {.nBy = NEAREST, .nGroup = 1, .bNotSelf = 1, .bByCid = 1, .nCid = 7},
       &b},
      {"nearest of ID 7 neither itself nor invincible",
       {.nBy = NEAREST, .nGroup = 1, .bNotSelf = 1, .bNoInv2 = 1, .bByCid = 1, .nCid = 7},
       nullptr},
      // Each group's nearest by its own range rule (on screen first), then
      // the nearest of those: f, alone and off screen in its group, wins
      // over the characters on screen.
      {"nearest of each group", {.nBy = NEAREST, .bAll = 1, .bNotSelf = 1, .bNoBlock = 1}, &f},
      {"nearest of each group, block characters too",
       {.nBy = NEAREST, .bAll = 1, .bNotSelf = 1},
       &e},
      {"nearest on screen only", {.nBy = NEAREST, .nGroup = 2, .nRange = 2}, &d},
      {"first of ID 7", {.nBy = BY_CID, .nGroup = 1, .bByCid = 1, .nCid = 7}, &self},
      {"first of ID 7 in any group, neither itself nor invincible",
       {.nBy = BY_CID, .bAll = 1, .bNotSelf = 1, .bNoInv2 = 1, .bByCid = 1, .nCid = 7},
       &c},
      {"an ID no byte holds", {.nBy = BY_CID, .nGroup = 1, .bByCid = 1, .nCid = 256 + 7}, nullptr},
      {"an unknown choice", {.nBy = 4}, nullptr},
  };
  for (const auto& t : cases) {
    SCOPED_TRACE(t.name);
    self.SetTarget(&hero);
    const PARAMS& p = t.p;
    DoSetTarget(self, MakeCommand(CMD_SET_TARGET, 0, false,
                                  {p.nBy, p.nGroup, p.bAll, p.nRange, p.bNotSelf, p.bNoInv1,
                                   p.bNoInv2, p.bNoBlock, p.bByCid, p.nCid}));
    EXPECT_EQ(self.GetTarget(), t.lpWant);
  }
  EXPECT_EQ(GetCloseRequestCount(), 0);
  // A group list the scene does not have is a bad index: no target.
  DoSetTarget(self, MakeCommand(CMD_SET_TARGET, 0, false, {NEAREST, 8}));
  EXPECT_EQ(self.GetTarget(), nullptr);
  EXPECT_EQ(GetCloseRequestCount(), 1);
}

// アイテムの取得 runs the item's list on the hero, whoever runs the command;
// a stage clear or a miss it ends with becomes the end request.
TEST(GetItemTest, RunsTheItemsListOnTheHero) {
  cFlowFixture fixture;
  cPlayScene& scene = fixture.Scene();
  cPlayer& hero = fixture.AddHero(300, 400);
  hero.m_nHp = hero.m_Def.m_nMaxHp = 10;
  cTestChara& chara = AddFlowChara(fixture);
  g_CommonPalette.m_vItem.resize(3);
  g_CommonPalette.m_vItem[1].m_vItemCommand.push_back(CountS(1, true));
  g_CommonPalette.m_vItem[2].m_vItemCommand.push_back(MakeItemCommand(2, {1, 6}));
  g_Stage.m_vItem.resize(2);
  // hp := 0 on the hero.
  g_Stage.m_vItem[1].m_vItemCommand.push_back(MakeItemCommand(7, {0, 0, 0, 0, 1}));
  auto get = [&](int nPalette, int nIndex) {
    DoGetItem(chara, MakeCommand(CMD_GET_ITEM, 0, false, {nPalette, nIndex}));
  };

  get(0, 1);
  EXPECT_EQ(S(1), 1);
  EXPECT_EQ(scene.m_nEndRequest, 0);
  // Items that are not there, and palettes other than the two.
  get(0, 3);
  get(-1, 1);
  get(2, 1);
  EXPECT_EQ(S(1), 1);
  get(0, 2);
  EXPECT_EQ(scene.m_nEndRequest, 1);
  EXPECT_EQ(scene.m_nNextPart, 6);
  // A list that ends without a request leaves the one made before it.
  get(0, 1);
  EXPECT_EQ(scene.m_nEndRequest, 1);
  get(1, 1);
  EXPECT_EQ(hero.m_nHp, 0);
  EXPECT_EQ(scene.m_nEndRequest, 2);
  EXPECT_EQ(GetCloseRequestCount(), 0);
}

// An item that takes itself, or items whose lists take each other many
// times over, would nest without end or run for ever: the lists stop at a
// depth and at a number of commands, with one report-log line.
TEST(GetItemTest, ItemsTakingItemsStop) {
  cTestGameFolder folder;
  cFlowFixture fixture;
  cPlayer& hero = fixture.AddHero(300, 400);
  hero.m_nHp = hero.m_Def.m_nMaxHp = 10;
  g_CommonPalette.m_vItem.resize(3);
  // Item 1 counts S1 and takes itself; item 2 counts S2 and takes itself
  // thirty times.
  g_CommonPalette.m_vItem[1].m_vItemCommand.push_back(CountS(1, true));
  g_CommonPalette.m_vItem[1].m_vItemCommand.push_back(MakeItemCommand(9, {0, 1}));
  g_CommonPalette.m_vItem[2].m_vItemCommand.push_back(CountS(2, true));
  for (int i = 0; i < 30; ++i)
    g_CommonPalette.m_vItem[2].m_vItemCommand.push_back(MakeItemCommand(9, {0, 2}));

  EXPECT_EQ(hero.RunItemCommands(g_CommonPalette.m_vItem[1].m_vItemCommand), 0);
  EXPECT_EQ(S(1), 16);
  EXPECT_EQ(hero.RunItemCommands(g_CommonPalette.m_vItem[2].m_vItemCommand), 0);
  EXPECT_GE(S(2), 16);
  EXPECT_LT(S(2), 1024);
  EXPECT_EQ(FlowContext().m_nItemDepth, 0);
  EXPECT_EQ(folder.ReportLogLineCount("an item's commands stopped"), 1);
  // Every list starts afresh.
  EXPECT_EQ(hero.RunItemCommands(g_CommonPalette.m_vItem[0].m_vItemCommand), 0);
  EXPECT_EQ(hero.RunItemCommands({CountS(3, true)}), 0);
  EXPECT_EQ(S(3), 1);
}

// An item's list runs on the hero command by command, and ends at the first
// command that gives a result or leaves the hero at HP below 1.
TEST(ItemCommandsTest, ListsEndAtTheirFirstResult) {
  const cFlowCommand sound = MakeItemCommand(19, {4});
  const cFlowCommand clear = MakeItemCommand(2);
  const cFlowCommand kill = MakeItemCommand(7, {0, 0, 0, 0, 1});
  const cFlowCommand empty = MakeItemCommand(0);
  cFlowCommand strange = MakeItemCommand(1);
  strange.m_cType = 40;
  const struct {
    const char* name;
    std::vector<cFlowCommand> list;
    int nResult;
    size_t nSounds;
  } cases[] = {
      {"empty", {}, 0, 0},
      {"two sounds", {sound, sound}, 0, 2},
      {"a stage clear, then a sound", {clear, sound}, 1, 0},
      {"HP to 0, then a sound", {kill, sound}, 2, 0},
      {"an empty entry and an unknown type go on", {empty, strange, sound}, 0, 1},
      {"a character command", {MakeCommand(CMD_PLAY_SOUND, 0, false, {4})}, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    cFlowFixture fixture;
    cPlayer& hero = fixture.AddHero(400, 400);
    hero.m_nHp = hero.m_Def.m_nMaxHp = 10;
    cRequestLog requests;
    cFlowCommandList list;
    for (const cFlowCommand& cmd : c.list) list.push_back(cmd);
    EXPECT_EQ(hero.RunItemCommands(list), c.nResult);
    EXPECT_EQ(requests.Of(WM_GAME_PLAYSE).size(), c.nSounds);
    // The item's stage clear is handed back, not made the end request.
    EXPECT_EQ(fixture.Scene().m_nEndRequest, 0);
  }
}

// Every built item command runs its flow command's body once on the hero.
TEST(ItemCommandsTest, EachRunsItsBodyOnceOnTheHero) {
  cFlowFixture fixture;
  cPlayer& hero = fixture.AddHero(400, 400);
  hero.m_nHp = hero.m_Def.m_nMaxHp = 10;
  cTestChara& other = AddFlowChara(fixture, 600, 400);
  g_Database.m_Anime.resize(2);
  g_Database.m_AnimeSet.resize(3);
  BuildAnimePatterns(g_AnimePatterns);
  g_Stage.m_vBgLayer.resize(2);
  g_CommonPalette.m_vItem.resize(2);
  g_CommonPalette.m_vItem[1].m_vItemCommand.push_back(CountS(4, true));
  cFlowCommand warp = MakeItemCommand(5);
  CreateMove(warp.m_pMove);
  warp.m_pMove->m_nDirection = 3;
  warp.m_pMove->m_nDistance = 1;
  cFlowCommand code = MakeItemCommand(21);
  code.m_strText = "S5 = S5 + 1";
  other.m_bAppeared = 1;

  cFlowCommandList list;
  for (const cFlowCommand& cmd :
       {warp, MakeItemCommand(6, {2, 1}), CountS(1, true), MakeItemCommand(8, {0, 4, 1}),
        MakeItemCommand(9, {0, 1}), MakeItemCommand(10, {1, 33, 2}), MakeItemCommand(11, {2}),
        MakeItemCommand(12, {1}), MakeItemCommand(18, {2, 2}), MakeItemCommand(19, {5}),
        MakeItemCommand(20, {3, 1}), code})
    list.push_back(cmd);
  cRequestLog requests;
  EXPECT_EQ(hero.RunItemCommands(list), 0);
  EXPECT_EQ(hero.m_dX, 400 + 16);
  EXPECT_EQ(hero.GetTarget(), &other);
  EXPECT_EQ(S(1), 1);
  EXPECT_EQ(hero.m_Def.m_nInvincible, 1);
  EXPECT_EQ(S(4), 1);
  EXPECT_EQ(hero.m_Def.m_nGraphic, 33);
  EXPECT_EQ(hero.m_Def.m_nAnimeSet, 2);
  ASSERT_EQ(hero.m_AnimePlays.size(), 1u);
  EXPECT_EQ(hero.m_AnimePlays.front().nKey, kNoRunnerKey);
  EXPECT_EQ(g_Stage.m_vBgLayer[1].m_bVisible, 0);
  EXPECT_EQ(requests.Of(WM_GAME_PLAYSE), std::vector<intptr_t>{kFirstDatabaseSound + 5});
  EXPECT_EQ(requests.Of(WM_GAME_PLAYBGM), std::vector<intptr_t>{4});
  EXPECT_EQ(S(5), 1);
  EXPECT_EQ(GetCloseRequestCount(), 0);
}

// Each command as a flow of one command of use time 1 (6 x N sub-steps): it
// acts in every sub-step it runs.
TEST(ActionCommandsTest, TimelineAtOneAndTenSubSteps) {
  struct ROW {
    const char* name;
    cFlowCommand cmd;
    std::function<double(cChara&)> read;
    std::function<double(int n)> want;
  };
  // One pixel to the right in each sub-step.
  const cFlowCommand stepRight = Warp(
      [](cEdMove& m) {
        m.m_nSpecMode = 2;
        m.m_nDotX = 1;
      },
      1);
  const ROW rows[] = {
      {"ワープ", stepRight, [](cChara& c) { return c.m_dX - 400; }, [](int n) { return 6.0 * n; }},
      {"ターゲットの設定", MakeCommand(CMD_SET_TARGET, 1, false, {1}),
       [](cChara& c) { return c.GetTarget() == &c ? 1.0 : 0.0; }, [](int) { return 1.0; }},
      {"アイテムの取得", MakeCommand(CMD_GET_ITEM, 1, false, {0, 1}),
       [](cChara&) { return static_cast<double>(S(1)); }, [](int n) { return 6.0 * n; }},
  };
  for (int n : {1, 10}) {
    for (const ROW& r : rows) {
      SCOPED_TRACE(testing::Message() << r.name << " N=" << n);
      cFlowFixture fixture({.nLevel = n});
      cPlayer& hero = fixture.AddHero(300, 400);
      hero.m_nHp = hero.m_Def.m_nMaxHp = 10;
      g_CommonPalette.m_vItem.resize(2);
      g_CommonPalette.m_vItem[1].m_vItemCommand.push_back(CountS(1, true));
      cTestChara& chara = AddFlowChara(fixture);
      InstallFlows(chara, {MakeFlow(19, {r.cmd})});
      const TIMELINE t = RunTimeline(chara, chara.m_vRunners.At(0));
      EXPECT_EQ(t.spans, (std::vector<SPAN>{{1, 6 * n}}));
      EXPECT_EQ(t.nFinish, 6 * n);
      EXPECT_EQ(r.read(chara), r.want(n));
    }
  }
}

}  // namespace
