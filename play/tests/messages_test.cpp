// Messages of the play scene: variable references in their texts, the size
// and place of a text window, its countdown and opening, and how often its
// text is drawn.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "app/core/surface_tables.h"
#include "flow/runtime/tests/flow_test_kit.h"
#include "objects/message.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/font/font.h"
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

}  // namespace
