// Messages of the play scene: variable references in their texts, the size
// and place of a text window, its countdown and opening, how often its text
// is drawn, and the item pop-up; the commands that show them and stop the
// game (ゲームウエイト, メッセージ) at both ends of the collision levels, and
// the one-up icons of the extra lives.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "app/core/shell_state.h"
#include "app/core/surface_tables.h"
#include "flow/runtime/tests/flow_test_kit.h"
#include "objects/message.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/font/font.h"
#include "platform/input/input_devices.h"
#include "platform/input/virtual_keys.h"
#include "records/system.h"
#include "testing/play_world.h"

namespace {

constexpr int kTextColour = 15;
constexpr int kBorderColour = 12;
constexpr int kBackground = 3;
constexpr int kCell = 8;  // font 1: cells of 8 x 16

static_assert(!std::is_copy_constructible_v<cMessage> && !std::is_copy_assignable_v<cMessage>,
              "a message's surface has one owner");

// Font 1 drawn by the pattern rasteriser: a cell grid of nCellWidth (0:
// proportional).
class cFontGuard {
 public:
  explicit cFontGuard(int nCellWidth = kCell) {
    SetRasterizerFactory(
        [](const std::string&, int nHeight) { return std::make_unique<cBoxRasterizer>(nHeight); });
    m_bReady = g_Fonts[1].Create("ＭＳ ゴシック", 0, 16, nCellWidth, 16, kTextColour, -1, 1,
                                 kBorderColour, -1, nCellWidth != 0 ? 1 : 0);
  }
  ~cFontGuard() {
    g_Fonts[1].Release();
    SetRasterizerFactory(nullptr);
  }
  cFontGuard(const cFontGuard&) = delete;
  cFontGuard& operator=(const cFontGuard&) = delete;
  bool m_bReady = false;
};

// A stage in play with font 1; the font goes before the drawing library.
class cMessageWorld {
 public:
  explicit cMessageWorld(int nLevel = 1)
      : m_world({.rows = {"H" + std::string(40, '.'), std::string(41, '#')}, .nLevel = nLevel}) {
    m_world.Start();
    m_bReady = m_world.m_bStarted && m_world.RunUntilPlay() && m_font.m_bReady;
  }
  cPlayScene& Scene() { return m_world.Scene(); }
  cPlayer& Hero() { return *Scene().Hero(); }

  cPlayWorld m_world;
  cFontGuard m_font;
  bool m_bReady = false;
};

MESSAGESETUP Text(const std::string& strText) {
  return MESSAGESETUP{.nKind = MSGKIND_TEXT, .strText = strText};
}

// Pixels of palette colour n in a rectangle of the back buffer.
int CountColour(int n, int x, int y, int w, int h) {
  int nCount = 0;
  for (int j = std::max(y, 0); j < std::min(y + h, 480); ++j)
    for (int i = std::max(x, 0); i < std::min(x + w, 640); ++i)
      if (BackBufferRgb(i, j) == WorldRgb(n)) ++nCount;
  return nCount;
}

// ---- Substitution ---------------------------------------------------------------------

TEST(SubstituteVariablesTest, ReferencesBecomeTheValuesTheyName) {
  cFlowFixture fixture;
  cCheckedVector<int32_t>& common = g_PlayData.m_CommonVars;
  common.At(1) = 9;
  common.At(5) = 42;
  common.At(6) = -42;
  common.At(7) = 0;
  common.At(8) = INT_MIN;
  common.At(255) = 255;
  fixture.Scene().m_vStageVar.At(3) = 7;
  fixture.Scene().m_vStageVar.At(255) = -5;
  struct Row {
    const char* text;
    const char* result;
  } const rows[] = {
      {"#C6", "-42"},
      {"#C5_4", "  42"},
      {"#C5_4Z", "0042"},
      {"#C5_4P", "+  42"},
      {"#C7_3", "  0"},
      {"#c5_4zp", "+0042"},
      {"#C5_12", "42"},  // the last width digit counts
      {"#C5_1", "42"},   // a width below the digits writes them all
      {"#S3.を見た", "7を見た"},
      {"#S3abc", "7abc"},
      {"#CS5", "42"},  // both kinds: the common variable
      {"#S255", "-5"},
      {"#C255", "255"},
      {"#C8", "-2147483648"},
      {"#C8_9Z", "-2147483648"},
      {"#C0000000000000000000000001", "9"},
      {"値は#C5です#C1", "値は42です9"},
      {"##C1", "#9"},
      // Nothing to replace.
      {"#C0 #C256 #C #5 #_5 #C99999999999999999999999", nullptr},
      {"#C5P #S3Z", "42P 7Z"},  // options only after "_"
      {"#", nullptr},
      {"表#", nullptr},
  };
  for (const Row& row : rows) {
    std::string s = row.text;
    SubstituteVariables(s);
    EXPECT_EQ(s, row.result != nullptr ? row.result : row.text) << row.text;
  }
}

// ---- Size, place, time ------------------------------------------------------------------

TEST(MessageTest, ATextWindowTakesItsTextsSizeWithinABound) {
  cMessageWorld w;
  ASSERT_TRUE(w.m_bReady);
  int width = 0, height = 0;
  MeasureText(width, height, "AB\nCDE");
  EXPECT_EQ(width, 3 * kCell + 2);
  EXPECT_EQ(height, 2 * 16 + 2);
  MeasureText(width, height, "AB\n");
  EXPECT_EQ(height, 16 + 2);

  // A text far wider than the screen is shown at the bound, with one line.
  w.m_world.Folder().ClearReportLog();
  const cMessage& wide = w.Scene().AddMessage(Text(std::string(3000, 'A')));
  EXPECT_EQ(wide.m_nWidth, kMaxMessageSide);
  EXPECT_EQ(wide.m_Surface.nWidth, kMaxMessageSide);
  EXPECT_EQ(w.m_world.Folder().ReportLogLineCount(), 1);

  // A proportional font measures every line, an empty last one too.
  g_Fonts[1].Release();
  ASSERT_TRUE(
      g_Fonts[1].Create("ＭＳ Ｐゴシック", 0, 16, 0, 16, kTextColour, -1, 1, kBorderColour, -1, 0));
  MeasureText(width, height, "AB\n");
  EXPECT_EQ(width, 2 * 8 + 2);
  EXPECT_EQ(height, 2 * 16 + 2);
}

TEST(MessageTest, ATimedMessageShowsItsCountdownAndFrozenFramesHoldIt) {
  cMessageWorld w;
  ASSERT_TRUE(w.m_bReady);
  cPlayScene& scene = w.Scene();
  MESSAGESETUP timed = Text("A");
  timed.nDisplayMode = MSGDISPLAY_TIME;
  timed.nCountdown = 60;
  scene.AddMessage(timed);
  for (int i = 0; i < 60; ++i) {
    scene.DrawMessages(&g_BackBufferSD, 0);
    ASSERT_EQ(scene.m_MessageList.size(), 1u) << i;
  }
  scene.DrawMessages(&g_BackBufferSD, 0);
  EXPECT_TRUE(scene.m_MessageList.empty());

  // Frozen frames count down only the message that stops the game; what
  // ends in one stays listed until a frame of play.
  timed.nCountdown = 2;
  const cMessage& held = scene.AddMessage(timed);
  timed.bStopsGame = 1;
  const cMessage& stopping = scene.AddMessage(timed);
  for (int i = 0; i < 5; ++i) scene.DrawMessages(&g_BackBufferSD, 1);
  EXPECT_EQ(held.m_nCountdown, 2);
  EXPECT_EQ(stopping.m_bEnded, 1);
  EXPECT_FALSE(stopping.HasSurface());
  EXPECT_EQ(scene.m_MessageList.size(), 2u);
  scene.DrawMessages(&g_BackBufferSD, 0);
  ASSERT_EQ(scene.m_MessageList.size(), 1u);
  EXPECT_EQ(&scene.m_MessageList.front(), &held);
}

TEST(MessageTest, AKeyWaitWindowOpensForNineFramesUnlessChained) {
  cMessageWorld w;
  ASSERT_TRUE(w.m_bReady);
  struct Row {
    int bFrame, bChained;
    int nFirstText;  // the frame its text first shows
  } const rows[] = {{1, 0, 10}, {0, 0, 10}, {1, 1, 1}};
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "frame " << row.bFrame << " chained " << row.bChained);
    MESSAGESETUP setup = Text("AB");
    setup.bWindowFrame = row.bFrame;
    setup.bChained = row.bChained;
    cMessage message(setup);
    for (int n = 1; n <= 10; ++n) {
      DDPalFillSurface(&g_BackBufferSD, kBackground);
      ASSERT_EQ(message.Update(&g_BackBufferSD, 1), 0);
      const int x = message.m_nScreenX, y = message.m_nScreenY;
      const int nText = CountColour(kTextColour, x, y, message.m_nWidth, message.m_nHeight);
      const int nBorder =
          CountColour(kBorderColour, x - 1, y - 1, message.m_nWidth + 2, message.m_nHeight + 2);
      EXPECT_EQ(nText > 0, n >= row.nFirstText) << n;
      // The growing box, then the framed text.
      EXPECT_EQ(nBorder > 0, row.bFrame == 1) << n;
    }
  }
}

TEST(MessageTest, PlacesKeepOnScreenAndFollowTheirCharacter) {
  cMessageWorld w;
  ASSERT_TRUE(w.m_bReady);
  cPlayScene& scene = w.Scene();
  const int nWide = 79 * kCell + 2;  // 634 x 18
  struct Row {
    int nPosition, nOffsetX, nOffsetY, nChars, bKeep;
    int x, y;
  } const rows[] = {
      {MSGPOS_SCREEN_CENTRE, 0, 0, 79, 0, 320 - nWide / 2, 240 - 9},
      {MSGPOS_SCREEN_CELL, -5, 5, 1, 1, 0, 20},  // pushed right and below the status bar
      {MSGPOS_SCREEN_CELL, 0, 5, 1, 0, 0, 5},
      {MSGPOS_SCREEN_CELL, 630, 470, 1, 1, 640 - 10, 480 - 18},
      {MSGPOS_SCREEN_CENTRE, 10, 0, 79, 1, 640 - nWide, 231},
  };
  for (const Row& row : rows) {
    MESSAGESETUP setup = Text(std::string(static_cast<size_t>(row.nChars), 'A'));
    setup.nPosition = row.nPosition;
    setup.nOffsetX = row.nOffsetX;
    setup.nOffsetY = row.nOffsetY;
    setup.bKeepOnScreen = row.bKeep;
    setup.bChained = 1;
    cMessage message(setup);
    ASSERT_EQ(message.Update(&g_BackBufferSD, 0), 0);
    EXPECT_EQ(message.m_nScreenX, row.x) << row.nPosition << " " << row.nOffsetX;
    EXPECT_EQ(message.m_nScreenY, row.y) << row.nPosition << " " << row.nOffsetX;
  }

  // Above a character: its sprite's centre, the window's bottom on its top;
  // the window ends in the frame its character has gone.
  auto lpChara = std::make_unique<cTestChara>();
  cPlayFixture::SetupChara(*lpChara, scene.NewCharaId(), 400.0, 300.0);
  cTestChara& chara = scene.AddCharacter(std::move(lpChara));
  MESSAGESETUP above = Text("AB");
  above.nPosition = MSGPOS_ABOVE_SELF;
  above.nAnchorId = chara.m_nId;
  cMessage& message = scene.AddMessage(above);
  scene.DrawMessages(&g_BackBufferSD, 0);
  const int nLeft = static_cast<int>(400.0 - static_cast<int>(scene.m_ScrollX.m_dPos));
  const int nTop = static_cast<int>(300.0 - static_cast<int>(scene.m_ScrollY.m_dPos));
  EXPECT_EQ(message.m_nScreenX, nLeft + 16 - 9);
  EXPECT_EQ(message.m_nScreenY, nTop - 18);
  scene.RemoveCharacter(std::find_if(scene.CharaList().begin(), scene.CharaList().end(),
                                     [&](const auto& p) { return p.get() == &chara; }));
  scene.DrawMessages(&g_BackBufferSD, 0);
  EXPECT_TRUE(scene.m_MessageList.empty());
}

// The text is drawn into the window's surface when it is built, when a
// refresh finds it changed and when the surface was lost; other frames only
// copy the surface.
TEST(MessageTest, TheTextIsRenderedOnlyWhenBuiltChangedOrLost) {
  cMessageWorld w;
  ASSERT_TRUE(w.m_bReady);
  cPlayScene& scene = w.Scene();
  MESSAGESETUP setup = Text("S1=#S1");
  setup.bSubstitute = 1;
  setup.bRefresh = 1;
  setup.nRefreshInterval = 2;
  setup.bChained = 1;
  cMessage& message = scene.AddMessage(setup);
  EXPECT_EQ(message.m_strText, "S1=0");
  EXPECT_EQ(message.m_nRenders, 1);
  for (int i = 0; i < 30; ++i) {
    ++scene.m_nFrame;
    scene.DrawMessages(&g_BackBufferSD, 0);
  }
  EXPECT_EQ(message.m_nRenders, 1);

  scene.m_vStageVar.At(1) = 5;  // the same size
  scene.m_nFrame = 40;
  scene.DrawMessages(&g_BackBufferSD, 0);
  EXPECT_EQ(message.m_strText, "S1=5");
  EXPECT_EQ(message.m_nRenders, 2);
  scene.m_vStageVar.At(1) = 123;  // wider: a new surface of the new size
  scene.m_nFrame = 41;            // not a refresh frame
  scene.DrawMessages(&g_BackBufferSD, 0);
  EXPECT_EQ(message.m_nRenders, 2);
  scene.m_nFrame = 42;
  scene.DrawMessages(&g_BackBufferSD, 0);
  EXPECT_EQ(message.m_strText, "S1=123");
  EXPECT_EQ(message.m_nRenders, 3);
  EXPECT_EQ(message.m_Surface.nWidth, 6 * kCell + 2);

  message.m_Surface.bLost = 1;
  scene.m_nFrame = 43;
  scene.DrawMessages(&g_BackBufferSD, 0);
  scene.DrawMessages(&g_BackBufferSD, 0);
  EXPECT_EQ(message.m_nRenders, 4);
  EXPECT_EQ(message.m_Surface.bLost, 0);
}

TEST(MessageTest, ATakenItemPopsItsPictureUpAboveTheHero) {
  cPlayFixture fixture;
  cPlayer& hero = fixture.AddHero(400.0, 400.0);
  hero.m_nHp = 1;
  cItem item;
  item.m_Def.m_nGraphic = 3;
  item.m_Def.m_nGraphicKind = 1;
  item.m_Def.m_nGraphicRow = 4;
  item.m_nGraphic = 3;
  item.m_bAppeared = 1;
  for (const int8_t bShow : {int8_t{1}, int8_t{0}}) {
    item.m_Def.m_bShowTaken = bShow;
    fixture.Scene().m_MessageList.clear();
    EXPECT_EQ(ApplyItemToHero(&item, hero), 0);
    ASSERT_EQ(fixture.Scene().m_MessageList.size(), bShow ? 1u : 0u);
  }
  item.m_Def.m_bShowTaken = 1;
  ApplyItemToHero(&item, hero);
  const cMessage& icon = fixture.Scene().m_MessageList.front();
  EXPECT_EQ(icon.m_nKind, MSGKIND_ICON);
  EXPECT_EQ(icon.m_nIconKind, 1);
  EXPECT_EQ(icon.m_nIconGraphic, 3);
  EXPECT_EQ(icon.m_nIconCell, 4);
  EXPECT_EQ(icon.m_nPosition, MSGPOS_ABOVE_HERO);
  EXPECT_EQ(icon.m_nAnchorId, hero.m_nId);
  EXPECT_EQ(icon.m_nCountdown, 30);
  EXPECT_EQ(icon.m_bStopsGame, 0);
  EXPECT_FALSE(icon.HasSurface());
}

// ---- The commands that stop the game ------------------------------------------------------

constexpr int kPosition = 0, kDisplay = 6, kTime = 7, kStop = 8, kSubstitute = 9, kHasId = 12,
              kId = 13, kClose = 15;

cFlowCommand Message(const std::string& strText,
                     std::initializer_list<std::pair<int, int>> params = {}) {
  cFlowCommand cmd = MakeCommand(CMD_MESSAGE, 0);
  cmd.m_strText = strText;
  for (const auto& [i, v] : params) cmd.m_Params.At(i) = v;
  return cmd;
}

struct STOPROW {
  const char* name;
  cFlowCommand command;
  int nLevel;
  int nPressAt;  // the decide key goes down after this frame of the wait (0: never)
  std::vector<SPAN> spans;
  int nPresents;  // frames the nested loop showed
  std::vector<intptr_t> sounds;
  size_t nMessages;  // listed once the command is done
};

TEST(MessageCommandTest, EachHoldsTheGameForExactlyItsFramesAtEveryLevel) {
  const cFlowCommand tenth = MakeCommand(CMD_WAIT, 1);
  const cFlowCommand gameWait = MakeCommand(CMD_GAME_WAIT, 0, false, {5});
  const cFlowCommand keyWait = Message("押してね", {{kStop, 1}});
  const cFlowCommand timed = Message("#C1", {{kDisplay, MSGDISPLAY_TIME}, {kTime, 5}, {kStop, 1}});
  // Shown until the stage ends, it waits for the key rather than for good.
  const cFlowCommand untilStageEnd = Message("A", {{kDisplay, MSGDISPLAY_STAGE}, {kStop, 1}});
  const cFlowCommand shown = Message("A", {{kDisplay, MSGDISPLAY_STAGE}});
  const std::vector<SPAN> n1 = {{1, 1}, {2, 7}};
  const std::vector<SPAN> n10 = {{1, 1}, {2, 61}};
  const STOPROW rows[] = {
      {"game wait", gameWait, 1, 0, n1, 30, {}, 0},
      {"game wait", gameWait, 10, 0, n10, 30, {}, 0},
      {"timed message", timed, 1, 0, n1, 30, {}, 0},
      {"timed message", timed, 10, 0, n10, 30, {}, 0},
      // The key counts after a delay of 10 frames; it opens with sound 11
      // and closes with 12.
      {"key wait", keyWait, 1, 12, n1, 12, {11, 12}, 0},
      {"key wait", keyWait, 10, 12, n10, 12, {11, 12}, 0},
      {"until the stage ends", untilStageEnd, 10, 12, n10, 12, {11, 12}, 0},
      {"not stopping", shown, 10, 0, n10, 0, {}, 1},
  };
  for (const STOPROW& row : rows) {
    SCOPED_TRACE(testing::Message() << row.name << " N=" << row.nLevel);
    cMessageWorld w(row.nLevel);
    ASSERT_TRUE(w.m_bReady);
    cRequestLog requests;
    cPresentHook& hook = w.m_world.Presenter();
    const int nBefore = hook.m_nPresents;
    bool bShown = true;
    hook.m_onPresent = [&](int nPresent) {
      const int n = nPresent - nBefore;
      // Every frame of the wait lists the command's message (and only it).
      if (w.Scene().m_MessageList.size() != 1) bShown = false;
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
    EXPECT_TRUE(bShown);
    EXPECT_EQ(requests.Of(WM_GAME_PLAYSE), row.sounds);
    EXPECT_EQ(w.Scene().m_MessageList.size(), row.nMessages);
    EXPECT_EQ(w.Scene().m_bSwallowDecide, row.nPressAt ? 1 : 0);
  }
}

std::vector<int> MessageIds(const cPlayScene& scene) {
  std::vector<int> v;
  for (const cMessage& m : scene.m_MessageList) v.push_back(m.m_bHasId ? m.m_nId : 0);
  return v;
}

// A window of the same ID shows the new text in its place: in itself when
// the size is the same, else a new window takes the place; one that stops
// the game goes afterwards, whatever else the list holds.
TEST(MessageCommandTest, AWindowOfAnIdIsReplacedInItsPlaceAndFoundAgainByIdentity) {
  cMessageWorld w;
  ASSERT_TRUE(w.m_bReady);
  cPlayScene& scene = w.Scene();
  cPlayer& hero = w.Hero();
  for (int nId : {1, 2, 3}) DoMessage(hero, Message("AB", {{kHasId, 1}, {kId, nId}}), 0);
  DoMessage(hero, Message("AB"), 0);
  ASSERT_EQ(MessageIds(scene), (std::vector<int>{1, 2, 3, 0}));
  cMessage* lpSecond = &*std::next(scene.m_MessageList.begin());

  // The same size: the window itself shows the new text.
  DoMessage(hero, Message("CD", {{kHasId, 1}, {kId, 2}}), 0);
  EXPECT_EQ(&*std::next(scene.m_MessageList.begin()), lpSecond);
  EXPECT_EQ(lpSecond->m_strText, "CD");
  EXPECT_EQ(lpSecond->m_nRenders, 2);

  // Another size while the game stands still: the new window is in the
  // second place during the wait and leaves it afterwards.
  cPresentHook& hook = w.m_world.Presenter();
  std::vector<std::string> texts;
  hook.m_onPresent = [&](int) {
    texts.push_back(std::next(scene.m_MessageList.begin())->m_strText);
    if (texts.size() == 500) RequestPlayQuit();
  };
  DoMessage(hero, Message("LONGER", {{kHasId, 1}, {kId, 2}, {kDisplay, 2}, {kTime, 1}, {kStop, 1}}),
            0);
  hook.m_onPresent = nullptr;
  ClearPlayQuitRequest();
  EXPECT_EQ(texts, std::vector<std::string>(6, "LONGER"));
  EXPECT_EQ(MessageIds(scene), (std::vector<int>{1, 3, 0}));

  // Closing by an ID shown, or one not shown, or without an ID.
  DoMessage(hero, Message("", {{kHasId, 1}, {kId, 3}, {kClose, 1}}), 0);
  DoMessage(hero, Message("", {{kHasId, 1}, {kId, 9}, {kClose, 1}}), 0);
  DoMessage(hero, Message("", {{kClose, 1}}), 0);
  EXPECT_EQ(MessageIds(scene), (std::vector<int>{1, 0}));
}

TEST(MessageCommandTest, AnItemsSecondMessageChainsToItsFirst) {
  cMessageWorld w;
  ASSERT_TRUE(w.m_bReady);
  cFlowCommandList list;
  for (int i = 0; i < 2; ++i) {
    cFlowCommand cmd = Message("A#C1", {{kSubstitute, 1}});
    cmd.m_cSet = COMMANDSET_ITEM;
    cmd.m_cType = static_cast<int8_t>(CMD_MESSAGE - kItemCommandOffset);
    list.push_back(cmd);
  }
  g_PlayData.m_CommonVars.At(1) = 6;
  w.Scene().m_bItemMessageChain = 1;  // left from an earlier list
  EXPECT_EQ(w.Hero().RunItemCommands(list), 0);
  ASSERT_EQ(w.Scene().m_MessageList.size(), 2u);
  EXPECT_EQ(w.Scene().m_MessageList.front().m_bOpening, 1);
  EXPECT_EQ(w.Scene().m_MessageList.back().m_bOpening, 0);
  EXPECT_EQ(w.Scene().m_MessageList.back().m_strText, "A6");
  EXPECT_EQ(w.Scene().m_bItemMessageChain, 1);
}

TEST(MessageCommandTest, NothingIsShownOnceThePlaySceneMustQuit) {
  cMessageWorld w;
  ASSERT_TRUE(w.m_bReady);
  RequestPlayQuit();
  DoMessage(w.Hero(), Message("A", {{kStop, 1}}), 0);
  DoGameWait(w.Hero(), MakeCommand(CMD_GAME_WAIT, 0, false, {5}));
  ClearPlayQuitRequest();
  EXPECT_TRUE(w.Scene().m_MessageList.empty());
  EXPECT_EQ(w.m_world.Presenter().m_nPresents, 0);
}

// ---- Extra lives ------------------------------------------------------------------------

TEST(ExtraLifeTest, EachLifeGrantedShowsTheOneUpIconForThirtyFrozenFrames) {
  struct Row {
    int nLives, nOldTotal, nStageScore, bExtraLife, nPerLife;
    int nLivesAfter, nPauses;
  } const rows[] = {
      {3, 50, 200, 1, 100, 5, 2},    // two thresholds crossed
      {98, 50, 200, 1, 100, 99, 2},  // never beyond 99, each still paused
      {3, 50, 40, 1, 100, 3, 0},    {kInfiniteLives, 50, 200, 1, 100, kInfiniteLives, 0},
      {3, 50, 200, 0, 100, 3, 0},   {3, 50, 200, 1, 0, 3, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.nLives << " " << row.nStageScore);
    cMessageWorld w;
    ASSERT_TRUE(w.m_bReady);
    cPlayScene& scene = w.Scene();
    g_System.m_bExtraLife = row.bExtraLife;
    g_System.m_nExtraLifeScore = row.nPerLife;
    g_PlayData.m_nLives = row.nLives;
    g_PlayData.m_nGameScore = row.nOldTotal;
    g_PlayData.m_nScore = row.nStageScore;
    cRequestLog requests;
    std::vector<int> icons;  // one-up icons listed at each frame shown
    cPresentHook& hook = w.m_world.Presenter();
    const int nBefore = hook.m_nPresents;
    hook.m_onPresent = [&](int nPresent) {
      icons.push_back(static_cast<int>(
          std::ranges::count(scene.m_MessageList, MSGKIND_ONEUP, &cMessage::m_nKind)));
      if (nPresent - nBefore == 500) RequestPlayQuit();
    };
    scene.AddClearTotals();
    hook.m_onPresent = nullptr;
    ClearPlayQuitRequest();
    EXPECT_EQ(g_PlayData.m_nLives, row.nLivesAfter);
    EXPECT_EQ(icons, std::vector<int>(static_cast<size_t>(30 * row.nPauses), 1));
    EXPECT_EQ(requests.Of(WM_GAME_PLAYSE),
              std::vector<intptr_t>(static_cast<size_t>(row.nPauses), 15));
    EXPECT_TRUE(scene.m_MessageList.empty());
  }
}

}  // namespace
