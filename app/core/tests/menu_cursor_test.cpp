// The shared menu cursor: the stack, grid and list movement, and the
// cursor sound.

#include "app/core/menu_cursor.h"

#include <gtest/gtest.h>

#include "app/base/close_request.h"
#include "app/core/sound_table.h"
#include "app/core/tests/core_test_support.h"
#include "platform/input/input_state.h"
#include "testing/game_folder.h"

namespace {

constexpr uint16_t L = kDirLeft, R = kDirRight, U = kDirUp, D = kDirDown;

class MenuCursor : public ::testing::Test {
 protected:
  void SetUp() override { ResetMenuCursor(); }
  void TearDown() override { ResetMenuCursor(); }
  MENUCURSOR& Cur() { return g_MenuCursor.Current(); }
  void Set(int nColumn, int nRow) {
    Cur().nColumn = nColumn;
    Cur().nRow = nRow;
  }
};

TEST_F(MenuCursor, GridWrapsBothAxesAndRecomputesThePosition) {
  struct Case {
    const char* name;
    int nColumn, nRow;
    uint16_t wInput;
    int nColumns, nRows;
    MENUCURSOR expected;  // column, row, x, y with x0 100, y0 50, dx 20, dy 32
  } cases[] = {
      {"up on the top row wraps to the bottom", 0, 0, U, 1, 5, {0, 4, 100, 178}},
      {"down on the bottom row wraps to the top", 0, 4, D, 1, 5, {0, 0, 100, 50}},
      {"left and right on one column stay", 0, 2, L, 1, 5, {0, 2, 100, 114}},
      {"right on one column stays", 0, 2, R, 1, 5, {0, 2, 100, 114}},
      {"left wins over right, up over down", 1, 1, L | R | U | D, 3, 3, {0, 0, 100, 50}},
      {"both axes in one frame", 2, 2, R | D, 3, 3, {0, 0, 100, 50}},
      {"no input still sets the position", 2, 1, 0, 3, 3, {2, 1, 140, 82}},
      {"a row beyond the last wraps to 0 on the first move", 0, 9, D, 1, 3, {0, 0, 100, 50}},
      {"zero rows: down leaves row 0", 0, 0, D, 1, 0, {0, 0, 100, 50}},
      {"zero rows: up leaves row -1", 0, 0, U, 1, 0, {0, -1, 100, 18}},
  };
  for (const Case& c : cases) {
    ResetMenuCursor();
    Set(c.nColumn, c.nRow);
    MoveGridCursor(c.wInput, 100, 50, 20, 32, c.nColumns, c.nRows);
    EXPECT_EQ(Cur(), c.expected) << c.name;
  }
  const MENUCURSOR before{1, 1, 7, 9};
  Cur() = before;
  MoveGridCursor(D, 100, 50, 20, 32, 3, -1);  // a negative count changes nothing
  EXPECT_EQ(Cur(), before);
  MoveGridCursor(D, 100, 50, 20, 32, -1, 3);
  EXPECT_EQ(Cur(), before);
}

TEST_F(MenuCursor, ListScrollsAndPagesWithoutWrapping) {
  struct Case {
    const char* name;
    int nSel, nFirst;
    uint16_t wInput;
    int nVisible, nCount;
    int nSelAfter, nFirstAfter;
  } cases[] = {
      {"down inside the window", 3, 0, D, 8, 20, 4, 0},
      {"down on the last visible row scrolls", 7, 0, D, 8, 20, 8, 1},
      {"up on the first visible row scrolls", 5, 5, U, 8, 20, 4, 4},
      {"up on the first item stays", 0, 0, U, 8, 20, 0, 0},
      {"down on the last item stays", 19, 12, D, 8, 20, 19, 12},
      {"page down", 2, 0, R, 8, 20, 9, 7},
      {"page down on the last page goes to the end", 13, 12, R, 8, 20, 19, 12},
      {"page down near the end keeps the window full", 11, 10, R, 8, 20, 18, 12},
      {"page up on the first page goes to the start", 5, 0, L, 8, 20, 0, 0},
      {"page up", 9, 8, L, 8, 20, 2, 1},
      {"page up near the start", 4, 3, L, 8, 20, 0, 0},
      {"a short list never scrolls", 2, 0, D, 8, 3, 2, 0},
      {"99 slots: down on row 9 scrolls by one", 9, 0, D, 10, 99, 10, 1},
      {"99 slots: right pages by 9 rows", 0, 0, R, 10, 99, 9, 9},
      {"an empty list keeps 0", 0, 0, D, 0, 0, 0, 0},
      {"a first row beyond the end is clamped", 98, 98, 0, 10, 99, 98, 89},
  };
  for (const Case& c : cases) {
    ResetMenuCursor();
    Set(0, c.nSel);
    int nFirst = c.nFirst;
    MoveListCursor(c.wInput, 1, nFirst, 160, 16, 152, c.nVisible, c.nCount, 1);
    EXPECT_EQ(Cur().nRow, c.nSelAfter) << c.name;
    EXPECT_EQ(nFirst, c.nFirstAfter) << c.name;
    EXPECT_EQ(Cur().x, 152) << c.name;
    EXPECT_EQ(Cur().y, 160 + 16 * (c.nSelAfter - c.nFirstAfter)) << c.name;
  }
  // Without page keys left and right do nothing; a horizontal list moves the
  // column and sets x along it.
  Set(3, 2);
  int nFirst = 0;
  MoveListCursor(R, 1, nFirst, 160, 16, 152, 8, 20, 0);
  EXPECT_EQ(Cur().nRow, 2);
  MoveListCursor(D, 0, nFirst, 10, 30, 99, 4, 20, 0);
  EXPECT_EQ(Cur(), (MENUCURSOR{4, 2, 10 + 30 * 3, 99}));
  EXPECT_EQ(nFirst, 1);
}

TEST_F(MenuCursor, StackKeepsTheParentPosition) {
  Set(2, 3);
  EXPECT_EQ(g_MenuCursor.Previous(), nullptr);
  g_MenuCursor.Pop(2);  // one entry: nothing happens
  EXPECT_EQ(g_MenuCursor.Depth(), 1);
  EXPECT_EQ(Cur(), (MENUCURSOR{2, 3, 0, 0}));

  PushMenuCursor(1);  // a copy of the parent
  EXPECT_EQ(Cur(), (MENUCURSOR{2, 3, 0, 0}));
  ASSERT_NE(g_MenuCursor.Previous(), nullptr);
  Set(0, 7);
  PopMenuCursor(1);  // the parent comes back unchanged
  EXPECT_EQ(Cur(), (MENUCURSOR{2, 3, 0, 0}));

  PushMenuCursor(0);  // zeroed
  EXPECT_EQ(Cur(), MENUCURSOR());
  // Deep stacks move the vector's storage: the pointers must follow it.
  for (int i = 0; i < 40; ++i) PushMenuCursor(0);
  Set(4, 4);
  EXPECT_EQ(g_MenuCursor.Previous()->nRow, 0);
  PopMenuCursor(2);  // the removed entry's values go down
  EXPECT_EQ(Cur(), (MENUCURSOR{4, 4, 0, 0}));
  PopMenuCursor(0);
  EXPECT_EQ(Cur(), MENUCURSOR());

  ResetMenuCursor();
  EXPECT_EQ(g_MenuCursor.Depth(), 1);
  EXPECT_EQ(Cur(), MENUCURSOR());
  EXPECT_EQ(g_MenuCursor.Previous(), nullptr);
}

TEST(CursorSound, PlaysOncePerChosenAxisThatMoves) {
  cTestGameFolder folder;
  cSoundTableFixture sounds(2, 8);
  struct Case {
    uint16_t wInput;
    int nAxes;
    int nPlays;
  } cases[] = {
      {0, kCursorAxisBoth, 0},         {L, kCursorAxisHorizontal, 1}, {U, kCursorAxisHorizontal, 0},
      {D, kCursorAxisVertical, 1},     {R, kCursorAxisVertical, 0},   {L | D, kCursorAxisBoth, 2},
      {U | D, kCursorAxisVertical, 1},
  };
  for (const Case& c : cases) {
    const int nBefore = sounds.Plays(1);
    PlayCursorSE(c.wInput, c.nAxes, 1);
    EXPECT_EQ(sounds.Plays(1) - nBefore, c.nPlays) << c.wInput << " axes " << c.nAxes;
  }
  EXPECT_EQ(sounds.Plays(0), 0);
  // A number outside the table is reported and closes the program.
  ResetCloseRequestCount();
  PlayCursorSE(D, kCursorAxisVertical, 5);
  EXPECT_EQ(GetCloseRequestCount(), 1);
}

}  // namespace
