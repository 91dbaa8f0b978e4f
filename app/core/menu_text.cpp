#include "app/core/menu_text.h"

#include <cstdint>

#include "platform/draw/dd_blit.h"
#include "platform/draw/dd_device.h"
#include "records/system.h"

void DrawSystemTextBlock(Font& font, int x, int y, int nFirst, int nCount, int bIndent) {
  if (nCount <= 0) return;
  const SYSTEMTEXTBLOCK block = BuildSystemTextBlock(nFirst, nCount, bIndent);
  font.PrintfBox(&g_BackBufferSD, x, y, block.nWidth, block.nHeight, "%s", block.strText.c_str());
}

void DrawSaveSlotDate(const cSaveSlot& slot, Font& font, DDSURFACEDATA* lpTarget, int x, int y) {
  if (slot.m_bUsed == 0) return;
  font.Printf(lpTarget, x, y, "%s", FormatSaveDate(slot.m_SaveTime).c_str());
}

void DrawSaveSlotList(Font& font, DDSURFACEDATA* lpTarget, int x, int y,
                      cCheckedVector<cSaveSlot>& slots, unsigned nFirst, int nCount) {
  constexpr int kLine = 16;
  constexpr int kWidth = 320;
  constexpr uint32_t kSeparatorColour = 240;
  font.DrawWindow(lpTarget, x, y, kWidth, nCount * kLine);
  for (int i = 0; i < nCount; ++i) {
    const int yLine = y + kLine * i;
    // The separator comes before the slot test, so a list cut short by the
    // last slot still shows the separator under its last written line.
    if (i != nCount - 1) DDPalFillRect(lpTarget, x, yLine + kLine - 1, kWidth, 1, kSeparatorColour);
    const uint64_t nSlot = uint64_t{nFirst} + static_cast<uint64_t>(i);
    if (slots.empty() || nSlot >= slots.size()) break;
    font.Printf(lpTarget, x + 16, yLine, "%d", static_cast<int>(nSlot) + 1);
    DrawSaveSlotDate(slots.At(static_cast<int>(nSlot)), font, lpTarget, x + 64, yLine);
  }
}
