#include "app/core/menu_cursor.h"

#include <algorithm>

#include "app/core/sound_table.h"
#include "platform/input/input_state.h"
#include "platform/sound/sound_effects.h"

cMenuCursor g_MenuCursor;

cMenuCursor::cMenuCursor() : m_Stack(1) { Relink(); }

void cMenuCursor::Relink() {
  const int n = Depth();
  m_lpCurrent = &m_Stack.At(n - 1);
  m_lpPrevious = n >= 2 ? &m_Stack.At(n - 2) : nullptr;
}

void cMenuCursor::Reset() {
  m_Stack.resize(1);
  m_Stack.At(0) = MENUCURSOR();
  Relink();
}

void cMenuCursor::Push(int nMode) {
  m_Stack.emplace_back();
  if (nMode == 1) m_Stack.back() = m_Stack.At(Depth() - 2);
  Relink();
}

void cMenuCursor::Pop(int nMode) {
  if (Depth() <= 1) return;
  const MENUCURSOR removed = m_Stack.back();
  m_Stack.pop_back();
  Relink();
  if (nMode == 0)
    *m_lpCurrent = MENUCURSOR();
  else if (nMode == 2)
    *m_lpCurrent = removed;
}

void ResetMenuCursor() { g_MenuCursor.Reset(); }
void PushMenuCursor(int nMode) { g_MenuCursor.Push(nMode); }
void PopMenuCursor(int nMode) { g_MenuCursor.Pop(nMode); }

namespace {

// v wrapped into 0 .. n-1 by one step (the cursor moves at most one place).
int32_t WrapStep(int32_t v, int n) {
  if (v < 0) return n - 1;
  if (v >= n) return 0;
  return v;
}

}  // namespace

void MoveGridCursor(uint16_t wInput, int x0, int y0, int dx, int dy, int nColumns, int nRows) {
  if (nColumns < 0 || nRows < 0) return;
  MENUCURSOR& cur = g_MenuCursor.Current();
  if (wInput & kDirLeft)
    --cur.nColumn;
  else if (wInput & kDirRight)
    ++cur.nColumn;
  if (wInput & kDirUp)
    --cur.nRow;
  else if (wInput & kDirDown)
    ++cur.nRow;
  cur.nRow = WrapStep(cur.nRow, nRows);
  cur.nColumn = WrapStep(cur.nColumn, nColumns);
  cur.x = x0 + dx * cur.nColumn;
  cur.y = y0 + dy * cur.nRow;
}

void MoveListCursor(uint16_t wInput, int bVertical, int& nFirst, int nBase, int nStep, int nOther,
                    int nVisible, int nCount, int bPageKeys) {
  MENUCURSOR& cur = g_MenuCursor.Current();
  int32_t& nSel = bVertical ? cur.nRow : cur.nColumn;
  if (wInput & kDirUp) {
    if (nSel - nFirst < 1) --nFirst;
    --nSel;
  } else if (wInput & kDirDown) {
    if (nSel - nFirst >= nVisible - 1) ++nFirst;
    ++nSel;
  }
  if (bPageKeys) {
    if (wInput & kDirRight) {
      if (nFirst == nCount - nVisible) {
        nSel = nCount - 1;
      } else {
        nFirst += nVisible - 1;
        nSel += nVisible - 1;
      }
    } else if (wInput & kDirLeft) {
      if (nFirst == 0) {
        nSel = 0;
      } else {
        nFirst -= nVisible - 1;
        nSel -= nVisible - 1;
      }
    }
  }
  nSel = std::max(std::min(nSel, nCount - 1), 0);
  if (nFirst < 0)
    nFirst = 0;
  else
    nFirst = std::min(nFirst, std::max(nCount - nVisible, 0));
  const int nAlong = nBase + nStep * (nSel - nFirst);
  if (bVertical) {
    cur.x = nOther;
    cur.y = nAlong;
  } else {
    cur.x = nAlong;
    cur.y = nOther;
  }
}

void PlayCursorSE(uint16_t wInput, int nAxes, int n) {
  if ((nAxes & kCursorAxisHorizontal) && (wInput & (kDirLeft | kDirRight)))
    DS_Play(g_SoundData.At(n), 0);
  if ((nAxes & kCursorAxisVertical) && (wInput & (kDirUp | kDirDown)))
    DS_Play(g_SoundData.At(n), 0);
}
