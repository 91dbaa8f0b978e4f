// The item a computer character carries: given at stage set-up with its own
// item id, dropped to the hero when the character dies, and its icon
// blinking above the character's head.

#include <gtest/gtest.h>

#include <vector>

#include "flow/command_table.h"
#include "flow/runtime/tests/flow_test_kit.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/dd_device.h"
#include "play/play_scene.h"
#include "sample/sample_flows.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/stage_globals.h"
#include "testing/play_world.h"

namespace {

cEdItem Coin() {
  cEdItem def;
  def.m_nGraphic = 1;
  def.m_vItemCommand.push_back(ItemAddStatus(2, 3, kCoinScore));
  return def;
}

cEdItem Goal() {
  cEdItem def;
  def.m_nGraphic = 1;
  def.m_vItemCommand.push_back(MakeItemCommand(CMD_STAGE_CLEAR - kItemCommandOffset, {2}));
  return def;
}

// Set-up: each copy of a carrier holds the item, which took the item id
// before the map's items; a character without a link holds none, and the
// linked placement never lies on the map.
TEST(CarriedItemTest, SetUpGivesEachCopyTheItemWithItsOwnId) {
  cPlayWorld world({.rows = {"H...........", "############"}});
  ASSERT_TRUE(world.m_bStarted);
  for (const int tx : {2, 4}) {
    cEdItem& item = g_Stage.m_vPlacedItem.emplace_back(Coin());
    item.m_nTileX = static_cast<int16_t>(tx);
    item.m_nGiant = 3;
  }
  cEdChara& carrier = g_Stage.m_vPlacedChara.emplace_back();
  carrier.m_nKind = CHARAKIND_COM;
  carrier.m_nTileX = 8;
  carrier.m_nCopies = 1;
  carrier.m_nOffsetStepX = 32;
  carrier.m_nPlaceData = 1;
  cEdChara& plain = g_Stage.m_vPlacedChara.emplace_back();
  plain.m_nKind = CHARAKIND_COM;
  plain.m_nTileX = 6;
  world.Start();
  ASSERT_TRUE(world.RunUntilPlay());
  cPlayScene& scene = world.Scene();

  ASSERT_EQ(scene.CharaList().size(), 3u);
  auto it = scene.CharaList().begin();
  for (int n = 0; n < 2; ++n, ++it) {
    const cItem& item = *(*it)->GetCarriedItem();
    EXPECT_EQ(item.m_nId, 0);
    EXPECT_EQ(item.m_bCarried, 1);
    EXPECT_EQ(item.m_bAppeared, 1);
    EXPECT_EQ(item.m_Def.m_nTileX, 4) << "the linked placement";
    EXPECT_EQ(item.m_nSpriteW, 32) << "unscaled";
  }
  const cItem& none = *(*it)->GetCarriedItem();
  EXPECT_EQ(none.m_bCarried, 0);
  EXPECT_EQ(none.m_Def.m_nGraphic, 0);
  ASSERT_EQ(scene.ItemList().size(), 1u);
  EXPECT_EQ(scene.ItemList().front().m_nId, 1);
  EXPECT_EQ(scene.ItemList().front().m_Def.m_nTileX, 2);
}

// A dying carrier's item goes to the hero as if touched; one that clears
// the stage makes the death return 1 and leaves the character linked and
// alive. A character without an item gives nothing.
TEST(CarriedItemTest, ADyingCarrierDropsItsItemToTheHero) {
  const cEdItem coin = Coin();
  const cEdItem goal = Goal();
  const struct {
    const char* name;
    const cEdItem* lpItem;
    int nDie;
    int nScore;  // the score the item adds
  } cases[] = {
      {"no item", nullptr, 0, 0},
      {"a coin", &coin, 0, kCoinScore},
      {"the goal", &goal, 1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    cPlayFixture fixture;
    cPlayScene& scene = fixture.Scene();
    cPlayer& hero = fixture.AddHero(400, 400);
    hero.m_nHp = 1;
    g_PlayData.m_nGameScore = 0;
    cItem carried;
    if (c.lpItem != nullptr) carried.Init(0, *c.lpItem, 1);
    cEdChara def;
    def.m_nScore = 7;
    ASSERT_EQ(scene.SpawnStageCharacters(5, 5, def, c.lpItem ? &carried : nullptr), 1);
    cComChara& chara = *scene.CharaList().front();
    ASSERT_EQ(chara.GetTarget(), &hero);
    EXPECT_EQ(chara.Die(), c.nDie);
    EXPECT_EQ(g_PlayData.m_nGameScore, 7 + c.nScore);
    EXPECT_EQ(chara.m_bDead, c.nDie == 0 ? 1 : 0);
    EXPECT_EQ(chara.GetTarget() != nullptr, c.nDie == 1) << "links kept only for the clear";
  }
}

// Item_Mini.bmp is colour 85 all over. With the carrier on screen from the
// first frame the icon shows in frames 64 to 96 and again from 160, centred
// above its head; never without an item, nor for an invisible item or
// character.
TEST(CarriedItemTest, TheIconBlinksAboveTheHeadFromFrame64To96) {
  cPlayWorld world({.rows = {"H...........", "............", "############"}});
  ASSERT_TRUE(world.m_bStarted);
  world.Folder().WriteFile("bmp\\Item_Mini.bmp", WorldBitmap(64, 64, [](int, int) { return 85u; }));
  const cEdItem shown = Coin();  // on the item sheet, whose icons are on Item_Mini.bmp
  cEdItem hidden = shown;
  hidden.m_bTransparent = 1;
  g_Stage.m_vPlacedItem.push_back(shown);
  g_Stage.m_vPlacedItem.push_back(hidden);
  const struct {
    const char* name;
    int32_t nLink;
    int8_t bInvisible;
  } cases[] = {
      {"with an item", 0, 0},
      {"without an item", -1, 0},
      {"with an invisible item", 1, 0},
      {"invisible itself", 0, 1},
  };
  for (const auto& c : cases) {
    cEdChara& placement = g_Stage.m_vPlacedChara.emplace_back();
    placement.m_nKind = CHARAKIND_COM;
    placement.m_nTileX = static_cast<int16_t>(3 + 2 * (&c - cases));
    placement.m_nTileY = 1;
    placement.m_nPlaceData = c.nLink;
    placement.m_bTransparent = c.bInvisible;
  }
  world.Start();
  ASSERT_TRUE(world.RunUntilPlay());
  constexpr int kBackground = 3;
  ASSERT_EQ(world.Scene().CharaList().size(), std::size(cases));
  auto it = world.Scene().CharaList().begin();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    cComChara& chara = **it++;
    ASSERT_EQ(chara.m_bOnScreen, 1);
    chara.m_nIconTick = 0;
    chara.UpdateScreenRect();
    // The 16 x 16 icon's middle: 8 pixels right of the sprite's left edge
    // plus 16 - 8, 16 pixels above its top plus 8.
    const int x = chara.m_rcScreen.left + 16;
    const int y = chara.m_rcScreen.top - 8;
    std::vector<int> frames;
    for (int f = 1; f <= 200; ++f) {
      DDPalFillSurface(&g_BackBufferSD, kBackground);
      chara.DrawCarriedItemIcon(&g_BackBufferSD);
      if (BackBufferRgb(x, y) == WorldRgb(85)) frames.push_back(f);
      EXPECT_NE(BackBufferRgb(chara.m_rcScreen.left + 3, y), WorldRgb(85)) << "16 wide";
    }
    std::vector<int> expected;
    if (c.nLink == 0 && !c.bInvisible) {
      for (int f = 64; f <= 96; ++f) expected.push_back(f);
      for (int f = 160; f <= 192; ++f) expected.push_back(f);
    }
    EXPECT_EQ(frames, expected);
  }
}

}  // namespace
