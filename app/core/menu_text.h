#pragma once
// Texts the menus draw from the data libraries' values: a block of System
// texts in a window box and the list of story save slots. The data libraries
// say what the text is (BuildSystemTextBlock, FormatSaveDate); the drawing
// lives here, above them, so that they draw nothing.

#include "app/base/checked_containers.h"
#include "platform/draw/font/font.h"
#include "platform/draw/surface/dd_surface.h"
#include "stagedata/progress/save_slots.h"

// Draws the block of System texts nFirst .. nFirst+nCount-1 (as
// BuildSystemTextBlock lays it out) with the given font (the main text font)
// in a window box at (x, y) on the back buffer; nothing when nCount is 0. The
// texts are drawn literally: a per-cent sign is an ordinary character.
void DrawSystemTextBlock(Font& font, int x, int y, int nFirst, int nCount, int bIndent);

// Draws the slot's save time ("2024/03/02 09:05") with the menu font; nothing
// for a slot not in use.
void DrawSaveSlotDate(const cSaveSlot& slot, Font& font, DDSURFACEDATA* lpTarget, int x, int y);

// Draws nCount 16-pixel lines of the slot list from slot nFirst in a
// 320-pixel window: the slot number as the user counts it and its date, with
// a separator under every line but the last.
void DrawSaveSlotList(Font& font, DDSURFACEDATA* lpTarget, int x, int y,
                      cCheckedVector<cSaveSlot>& slots, unsigned nFirst, int nCount);
