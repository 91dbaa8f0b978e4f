// Items: where an item lies for its scale, the definition it keeps, the ids
// the spawns give, lifetimes, the three pickup modes, appearance, drawing,
// and an item whose commands stop the game while the hero walks the list.
//
// The fixture's stage is 40 x 20 cells with the new stage's item hit box of
// 28 x 28, centred in the 32 x 32 sprite (box offset 2, 2). Map cell (0, 0)
// is world cell (10, 10), whose top-left pixel is (320, 320).

#include <gtest/gtest.h>

#include <iterator>
#include <utility>
#include <vector>

#include "app/core/shell_state.h"
#include "flow/command_table.h"
#include "flow/condition.h"
#include "flow/runtime/flow_context.h"
#include "flow/runtime/tests/flow_test_kit.h"
#include "flow/shot_settings.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/dd_device.h"
#include "play/tests/effect_world.h"
#include "sample/sample_flows.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/stage_globals.h"
#include "testing/play_fixture.h"

namespace {

cEdItem Definition(int8_t nScale = 1, int8_t nTakeMode = TAKEMODE_ONCE) {
  cEdItem def;
  def.m_nGraphic = 1;
  def.m_nGiant = nScale;
  def.m_nTakeMode = nTakeMode;
  return def;
}

// An item command of the item set, its parameters in their normal form.
cFlowCommand ItemCommand(int nItemType, std::initializer_list<std::pair<int, int>> params = {}) {
  cFlowCommand cmd;
  cmd.m_cSet = COMMANDSET_ITEM;
  cmd.m_cType = static_cast<int8_t>(nItemType);
  cmd.NormalizeParams();
  for (const auto& [i, v] : params) cmd.m_Params.At(i) = v;
  return cmd;
}

// A coin: taken as the mode says, each time adding kCoinScore.
cEdItem Coin(int8_t nTakeMode) {
  cEdItem def = Definition(1, nTakeMode);
  def.m_vItemCommand.push_back(ItemAddStatus(2, 3, kCoinScore));
  return def;
}

TEST(ItemTest, APlacedItemIsCentredOnItsCellAndStandsOnItsBottomEdge) {
  struct CASE {
    int8_t nScale;
    double x, y, right, bottom;
    int nBox, nOffset, nSprite;
  };
  const CASE cases[] = {
      {1, 322.5, 322.0, 349.5, 349.0, 28, 2, 32},
      // Twice the box and sprite; the sprite spans 304.5 .. 367.5 and
      // 288 .. 351: centred on the cell, on its bottom edge.
      {2, 308.5, 292.0, 363.5, 347.0, 56, 4, 64},
      // A scale of 0 is taken as 1.
      {0, 322.5, 322.0, 349.5, 349.0, 28, 2, 32},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.nScale));
    cPlayFixture fixture;
    cItem item;
    item.Init(7, Definition(c.nScale), 0);
    item.SetTile(0, 0);
    EXPECT_EQ(item.m_nId, 7);
    EXPECT_EQ(item.m_dX, c.x);
    EXPECT_EQ(item.m_dY, c.y);
    EXPECT_EQ(item.m_dRight, c.right);
    EXPECT_EQ(item.m_dBottom, c.bottom);
    EXPECT_EQ(item.m_nBoxW, c.nBox);
    EXPECT_EQ(item.m_nBoxH, c.nBox);
    EXPECT_EQ(item.m_nBoxX, c.nOffset);
    EXPECT_EQ(item.m_nBoxY, c.nOffset);
    EXPECT_EQ(item.m_nSpriteW, c.nSprite);
    EXPECT_EQ(item.m_nSpriteH, c.nSprite);
    EXPECT_EQ(item.m_dY - item.m_nBoxY + item.m_nSpriteH - 1, 351.0) << "on the cell's bottom";
    EXPECT_EQ(item.m_dX - item.m_nBoxX + item.m_nSpriteW / 2, 336.5) << "on the cell's centre";
    EXPECT_EQ(item.m_bAppeared, 0);
    EXPECT_EQ(item.m_bFly, 1);
    EXPECT_EQ(item.m_cBlockMode, BLOCKMODE_PASS);
  }
}

TEST(ItemTest, ACarriedItemHasAppearedAndKeepsTheUnscaledGeometry) {
  cPlayFixture fixture;
  cItem item;
  item.Init(3, Definition(3), 1);
  EXPECT_EQ(item.m_bCarried, 1);
  EXPECT_EQ(item.m_bAppeared, 1);
  EXPECT_EQ(item.m_nBoxW, 28);
  EXPECT_EQ(item.m_nBoxX, 2);
  EXPECT_EQ(item.m_nSpriteW, 32);
  EXPECT_EQ(item.Scale(), 3);
}

// An item set up from a definition of scale 0 takes 1 in its own copy; the
// definition it was given, a palette's or a placement's, stays as it is.
TEST(ItemTest, AScaleOfZeroIsPutRightInTheItemsOwnCopyOnly) {
  cPlayFixture fixture;
  cPlayScene& scene = fixture.Scene();
  const cEdItem palette = Definition(0);
  cEdItem placement = Definition(0);
  placement.m_nTileX = 2;
  scene.SpawnStageItems(2, 0, placement);
  const cItem* lpSummoned = scene.SpawnItemAt(400.0, 400.0, cEdShot(), palette);
  ASSERT_NE(lpSummoned, nullptr);
  EXPECT_EQ(palette.m_nGiant, 0);
  EXPECT_EQ(placement.m_nGiant, 0);
  ASSERT_EQ(scene.ItemList().size(), 2u);
  for (const cItem& item : scene.ItemList()) {
    EXPECT_EQ(item.m_Def.m_nGiant, 1);
    EXPECT_EQ(item.m_nBoxW, 28);
  }
}

TEST(ItemTest, SpawnsTakeTheNextIdOnlyForAnItemInsideTheWorld) {
  cPlayFixture fixture;
  cPlayScene& scene = fixture.Scene();
  cEdItem shifted = Definition();
  shifted.m_nItemData1 = 5;  // pixel offset (5, -3)
  shifted.m_nItemData2 = -3;
  cEdItem outside = Definition();
  outside.m_nItemData1 = -5;  // off the world's left edge from world cell 0
  scene.SpawnStageItems(0, 0, shifted);
  scene.SpawnStageItems(-10, 0, outside);
  scene.SpawnStageItems(1, 0, Definition());
  EXPECT_EQ(scene.SpawnItemAt(-40.0, 400.0, cEdShot(), Definition()), nullptr);
  const cItem* lpSummoned = scene.SpawnItemAt(400.0, 500.0, cEdShot(), shifted);
  ASSERT_NE(lpSummoned, nullptr);

  struct EXPECTED {
    int nId;
    double x, y;
  };
  // The two refused took no id. The summoned item's sprite has its
  // top-left at (400, 500), its box 2 pixels in, shifted by the
  // definition's offset.
  const EXPECTED expected[] = {{0, 327.5, 319.0}, {1, 354.5, 322.0}, {2, 407.0, 499.0}};
  ASSERT_EQ(scene.ItemList().size(), std::size(expected));
  auto it = scene.ItemList().begin();
  for (const EXPECTED& e : expected) {
    EXPECT_EQ(it->m_nId, e.nId);
    EXPECT_EQ(it->m_dX, e.x);
    EXPECT_EQ(it->m_dY, e.y);
    EXPECT_EQ(it->m_dRight, e.x + 27);
    EXPECT_EQ(it->m_nLifetime, NO_LIFETIME);
    ++it;
  }
  // A copy is the same item: same id, place and definition.
  const cItem copy = scene.ItemList().back();
  EXPECT_EQ(copy.m_nId, 2);
  EXPECT_EQ(copy.m_dX, 407.0);
  EXPECT_EQ(copy.m_Def.PixelOffsetX(), 5);
}

// A lifetime of 10 tenths of a second is 60 frames: 60 x N sub-steps, after
// which the item leaves in the next one.
TEST(ItemTest, ALifetimeOfTenLastsSixtyFramesOfSubSteps) {
  for (const int nLevel : {1, 3, 20}) {
    SCOPED_TRACE(nLevel);
    cPlayFixture fixture({.nLevel = nLevel});
    cPlayScene& scene = fixture.Scene();
    cEdShot settings;
    settings.m_bLife = 1;
    settings.m_nLife = 10;
    ASSERT_NE(scene.SpawnItemAt(400.0, 400.0, settings, Definition()), nullptr);
    scene.SpawnStageItems(0, 0, Definition());  // lives for ever
    const int nSubSteps = 60 * g_Stage.m_nSubStep;
    EXPECT_EQ(scene.ItemList().front().m_nLifetime, nSubSteps);
    for (int i = 0; i < nSubSteps; ++i) scene.StepItemLifetimes();
    EXPECT_EQ(scene.ItemList().size(), 2u);
    scene.StepItemLifetimes();
    ASSERT_EQ(scene.ItemList().size(), 1u);
    EXPECT_EQ(scene.ItemList().front().m_nLifetime, NO_LIFETIME);
  }
}

// Set-up lays the items that no computer character carries; one that a
// character carries is its own and never lies on the map.
TEST(ItemTest, SetUpLaysOnlyTheItemsNoCharacterCarries) {
  cPlayWorld world({.rows = {"H...........", "############"}});
  ASSERT_TRUE(world.m_bStarted);
  for (int tx : {2, 4, 6}) {
    cEdItem& item = g_Stage.m_vPlacedItem.emplace_back(Definition());
    item.m_nTileX = static_cast<int16_t>(tx);
  }
  cEdChara& carrier = g_Stage.m_vPlacedChara.emplace_back();
  carrier.m_nKind = CHARAKIND_COM;
  carrier.m_nTileX = 8;
  carrier.m_nPlaceData = 1;
  cEdChara& unlinked = g_Stage.m_vPlacedChara.emplace_back(carrier);
  unlinked.m_nPlaceData = -1;
  world.Start();
  ASSERT_TRUE(world.RunUntilPlay());
  std::vector<int> columns;
  for (const cItem& item : world.Scene().ItemList())
    columns.push_back(static_cast<int>(item.m_dX) / 32 - kMapBorderCells);
  EXPECT_EQ(columns, (std::vector<int>{2, 6}));
}

// The hero touches, touches again, steps away and touches once more.
TEST(ItemTest, TheThreePickupModes) {
  struct CASE {
    int8_t nMode;
    int nApplied;  // times the item's commands ran
    bool bStays;
  };
  const CASE cases[] = {
      {TAKEMODE_ONCE, 1, false},   // taken at the first touch
      {TAKEMODE_REPEAT, 2, true},  // once per contact
      {TAKEMODE_NEVER, 0, true},   // scenery
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.nMode));
    cPlayFixture fixture;
    cPlayScene& scene = fixture.Scene();
    cPlayer& hero = fixture.AddHero(400.0, 400.0);
    hero.m_nHp = 1;
    g_PlayData.m_nGameScore = 0;
    scene.SpawnStageItems(5, 5, Coin(c.nMode));
    scene.UpdateAppearance();
    const DRECT touching = scene.ItemList().front().Box();
    const DRECT away{0.0, 0.0, 15.0, 15.0};
    for (const DRECT& rc : {touching, touching, away, touching}) {
      hero.m_BoxC.rc = rc;
      EXPECT_EQ(scene.HeroTouchesItems(hero), 0);
    }
    EXPECT_EQ(g_PlayData.m_nGameScore, c.nApplied * kCoinScore);
    EXPECT_EQ(scene.ItemList().size(), c.bStays ? 1u : 0u);
    EXPECT_EQ(hero.m_TouchedIds.size(), c.nMode == TAKEMODE_REPEAT ? 1u : 0u);
  }
}

// Only an item that has appeared, has a picture and lies on the map is
// applied; a stage clear among the items ends the walk with its result.
TEST(ItemTest, WhatTheHeroTakesAndWhatEndsTheWalk) {
  cPlayFixture fixture;
  cPlayScene& scene = fixture.Scene();
  cPlayer& hero = fixture.AddHero(400.0, 400.0);
  hero.m_nHp = 1;
  g_PlayData.m_nGameScore = 0;
  cEdItem hidden = Coin(TAKEMODE_ONCE);
  cCondition gate;  // appears when S1 is 1
  gate.m_cKind = CONDKIND_STAGEVAR;
  gate.m_sVarIndex = 1;
  gate.m_nConst = 1;
  hidden.m_vCondition.push_back(gate);
  cEdItem blank = Coin(TAKEMODE_ONCE);
  blank.m_nGraphic = 0;
  cEdItem goal = Definition();
  goal.m_vItemCommand.push_back(ItemCommand(CMD_STAGE_CLEAR - kItemCommandOffset, {{0, 2}}));
  for (const cEdItem* lpDef : {&hidden, &blank, &goal}) scene.SpawnStageItems(5, 5, *lpDef);
  scene.SpawnStageItems(5, 5, Coin(TAKEMODE_ONCE));
  hero.m_BoxC.rc = scene.ItemList().front().Box();

  scene.UpdateAppearance();
  EXPECT_EQ(scene.ItemList().front().m_bAppeared, 0);
  EXPECT_EQ(scene.HeroTouchesItems(hero), 1) << "the goal clears the stage";
  EXPECT_EQ(g_PlayData.m_nGameScore, 0) << "the coin after the goal waits";
  // The hidden item stays; the one without a picture gave nothing and went
  // as taken; the goal went; the coin waits.
  ASSERT_EQ(scene.ItemList().size(), 2u);
  EXPECT_EQ(scene.ItemList().front().m_nId, 0);
  EXPECT_EQ(scene.ItemList().back().m_nId, 3);

  *StageVarSlot(1) = 1;
  scene.UpdateAppearance();
  EXPECT_EQ(scene.HeroTouchesItems(hero), 0);
  EXPECT_EQ(g_PlayData.m_nGameScore, 2 * kCoinScore);
  EXPECT_TRUE(scene.ItemList().empty());
}

// Item.bmp: the two frames of graphic 1 (row 32) in colours 80 and 81.
// Mark.bmp: icon 16, at (32, 32), a band of colour 90 over its top 8 rows
// and clear below; every other icon is colour 91 all over.
TEST(ItemTest, DrawingAnimatesUnlessFrozenAndDrawsTheMarkOverTheItem) {
  cPlayWorld world({.rows = {"H...........", "############"}});
  ASSERT_TRUE(world.m_bStarted);
  world.Folder().WriteFile("bmp\\Item.bmp", WorldBitmap(64, 64, [](int x, int y) {
                             return y < 32 ? 82u : (x < 32 ? 80u : 81u);
                           }));
  world.Folder().WriteFile("bmp\\Mark.bmp", WorldBitmap(64, 64, [](int x, int y) {
                             return x < 32 || y < 32 ? 91u : (y < 40 ? 90u : 0u);
                           }));
  cEdItem plain = Definition(1, TAKEMODE_NEVER);
  cEdItem marked = plain;
  marked.m_bMark = 1;
  marked.m_nMark = 16;
  cEdItem invisible = plain;
  invisible.m_bTransparent = 1;
  const cEdItem scaled = Definition(2, TAKEMODE_NEVER);
  const std::pair<const cEdItem*, int> placed[] = {
      {&plain, 2}, {&marked, 4}, {&invisible, 6}, {&scaled, 9}};
  for (const auto& [lpDef, tx] : placed) {
    cEdItem& item = g_Stage.m_vPlacedItem.emplace_back(*lpDef);
    item.m_nTileX = static_cast<int16_t>(tx);
  }
  world.Start();
  ASSERT_TRUE(world.RunUntilPlay());
  cPlayScene& scene = world.Scene();
  ASSERT_EQ(scene.ItemList().size(), 4u);
  const cItem& first = scene.ItemList().front();
  const cItem& mark = *std::next(scene.ItemList().begin());
  const cItem& hidden = *std::next(scene.ItemList().begin(), 2);
  const cItem& big = scene.ItemList().back();
  constexpr int kBackground = 3;
  // 0 or 1 for the frame shown at (dx, dy) of the item's sprite, the
  // colour's number otherwise.
  auto shown = [](const cItem& item, int dx, int dy) {
    const uint32_t rgb = BackBufferRgb(item.m_rcScreen.left + dx, item.m_rcScreen.top + dy);
    for (const int n : {80, 81, 90, 91, kBackground})
      if (rgb == WorldRgb(n)) return n == 80 || n == 81 ? n - 80 : n;
    return -1;
  };
  auto draw = [&](int bFrozen) {
    DDPalFillSurface(&g_BackBufferSD, kBackground);
    scene.DrawItems(0, 1, bFrozen);
  };

  std::vector<int> frames;
  for (int i = 0; i < 50; ++i) {
    draw(0);
    frames.push_back(shown(first, 16, 20));
    EXPECT_EQ(shown(mark, 16, 2), 90) << "the mark over the item";
    EXPECT_EQ(shown(mark, 16, 20), frames.back()) << "the item under the mark's clear part";
    EXPECT_EQ(shown(big, 60, 60), frames.back()) << "a scaled item is stretched";
    EXPECT_EQ(shown(hidden, 16, 20), kBackground) << "an invisible item is not drawn";
  }
  // Frame 0 for 15 drawn frames, frame 1 for 15, and over again.
  size_t t = 1;
  while (t < frames.size() && frames[t] == frames[t - 1]) ++t;
  ASSERT_LE(t, 15u);
  for (size_t i = t; i < frames.size(); ++i)
    EXPECT_EQ(frames[i], frames[t] ^ static_cast<int>((i - t) / 15 % 2)) << i;
  EXPECT_EQ(hidden.m_Anime.m_nTick, 0) << "nor animated";
  EXPECT_EQ(hidden.m_Anime.m_nFrame, 0);

  // Frozen frames show the frame as it stands.
  const cAnimePattern before = first.m_Anime;
  for (int i = 0; i < 20; ++i) {
    draw(1);
    EXPECT_EQ(shown(first, 16, 20), frames.back());
  }
  EXPECT_EQ(first.m_Anime.m_nFrame, before.m_nFrame);
  EXPECT_EQ(first.m_Anime.m_nTick, before.m_nTick);
}

// The first item the hero touches stops the game with an effect: the frames
// drawn meanwhile draw it and leave it listed; when the game goes on it
// leaves, and the walk goes on to the next item.
TEST(ItemTest, AnItemThatStopsTheGameLeavesTheListWhenItHasRun) {
  cEffectWorld w;
  ASSERT_TRUE(w.m_bReady);
  cPlayScene& scene = w.Scene();
  cPlayer& hero = w.Hero();
  cEdItem stopper = Coin(TAKEMODE_ONCE);
  // エフェクトの実行: effect 1 at screen cell (0, 0), full size, stopping the game.
  stopper.m_vItemCommand.push_back(
      ItemCommand(CMD_RUN_EFFECT - kItemCommandOffset, {{0, 1}, {1, 3}, {6, 100}, {7, 1}}));
  const double x = hero.m_dX - hero.m_nBoxX;
  const double y = hero.m_dY - hero.m_nBoxY;
  ASSERT_NE(scene.SpawnItemAt(x, y, cEdShot(), stopper), nullptr);
  ASSERT_NE(scene.SpawnItemAt(x, y, cEdShot(), Coin(TAKEMODE_ONCE)), nullptr);
  const int nScore = g_PlayData.m_nGameScore;

  cPresentHook& hook = w.m_world.Presenter();
  const int nBefore = hook.m_nPresents;
  std::vector<size_t> listed;  // at each frame presented
  hook.m_onPresent = [&](int nPresent) {
    listed.push_back(scene.ItemList().size());
    if (nPresent - nBefore == 500) RequestPlayQuit();  // a wait without end fails
  };
  w.m_world.Frame(0, 0);
  hook.m_onPresent = nullptr;
  ClearPlayQuitRequest();
  // The effect's 12 frames while the game stood still.
  EXPECT_EQ(listed, std::vector<size_t>(12, 2u));
  EXPECT_TRUE(scene.ItemList().empty());
  EXPECT_EQ(g_PlayData.m_nGameScore, nScore + 2 * kCoinScore);
}

}  // namespace
