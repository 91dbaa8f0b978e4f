#pragma once
// The menu cursor shared by every menu of the program, and the cursor sound.
//
// The cursor is a stack of positions: a menu that opens a sub-menu pushes a
// new position and pops it when the sub-menu closes, so the parent finds its
// selection where it left it. The functions here only compute numbers; each
// menu draws its own cursor from the position they leave in the top entry.
//
// Input words are player 1's direction word after the menu key repeat:
// bit 0 left, bit 1 right, bit 2 up, bit 3 down.

#include <cstdint>

#include "app/base/checked_containers.h"

// One cursor position.
struct MENUCURSOR {
  PLAYER_ELEMENT_SIZE(MENUCURSOR, 16);
  int32_t nColumn = 0;  // grid column, or the item of a horizontal list
  int32_t nRow = 0;     // grid row, or the item of a vertical list
  int32_t x = 0;        // where the menu draws its cursor
  int32_t y = 0;
  bool operator==(const MENUCURSOR&) const = default;
};
static_assert(sizeof(MENUCURSOR) == 16);

class cMenuCursor {
 public:
  // One zeroed entry.
  cMenuCursor();
  cMenuCursor(const cMenuCursor&) = delete;
  cMenuCursor& operator=(const cMenuCursor&) = delete;

  // The entry the active menu moves (top of the stack).
  MENUCURSOR& Current() { return *m_lpCurrent; }
  // The entry below the top, where the parent menu's cursor stands; null
  // when the stack holds one entry.
  MENUCURSOR* Previous() { return m_lpPrevious; }
  int Depth() const { return static_cast<int>(m_Stack.size()); }

  // Back to the bottom entry, zeroed.
  void Reset();
  // A new top entry: a copy of the one below with mode 1, else zeroed.
  void Push(int nMode);
  // Removes the top entry (nothing while only one is left). The entry below
  // becomes current and is then zeroed (mode 0), kept (1) or given the
  // removed entry's values (2).
  void Pop(int nMode);

 private:
  // Points current and previous into the stack after every change.
  void Relink();

  MENUCURSOR* m_lpCurrent = nullptr;
  MENUCURSOR* m_lpPrevious = nullptr;
  cCheckedVector<MENUCURSOR> m_Stack;
};

extern cMenuCursor g_MenuCursor;

void ResetMenuCursor();
void PushMenuCursor(int nMode);
void PopMenuCursor(int nMode);

// Moves the current entry over a grid of nColumns x nRows cells, wrapping at
// both ends (left wins over right, up over down), and sets its pixel
// position to (x0 + dx * column, y0 + dy * row). Nothing when a count is
// negative.
void MoveGridCursor(uint16_t wInput, int x0, int y0, int dx, int dy, int nColumns, int nRows);

// Moves the selection of a scrolling list (the row when bVertical, else the
// column) and keeps it inside the window of nVisible items from nFirst.
// Up and down move by one, scrolling at the window's edges; with
// bPageKeys right and left page by nVisible - 1. The list does not wrap.
// The pixel position along the list is nBase + nStep * (selection - nFirst),
// across it nOther.
void MoveListCursor(uint16_t wInput, int bVertical, int& nFirst, int nBase, int nStep, int nOther,
                    int nVisible, int nCount, int bPageKeys);

// Plays sound n of the sound table at once on the calling thread when a
// direction of a chosen axis is set: nAxes bit 0 horizontal, bit 1
// vertical; with both axes moving it starts twice.
void PlayCursorSE(uint16_t wInput, int nAxes, int n);

inline constexpr int kCursorAxisHorizontal = 1;
inline constexpr int kCursorAxisVertical = 2;
inline constexpr int kCursorAxisBoth = 3;
