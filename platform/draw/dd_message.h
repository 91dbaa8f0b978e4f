#pragma once
// Message boxes over a full-screen display, and the debug text drawn from a
// glyph sheet (the frame-rate and debug read-outs).
//
// In full screen the display belongs to the drawing library: a box or a
// dialog is shown in dialog-box mode, which ends the scene in progress and
// shows the mouse cursor until the mode is left. In a window the mode does
// nothing.

#include <cstdint>

#include "app/base/format.h"
#include "app/base/message_box.h"
#include "platform/draw/surface/dd_surface.h"

// 1 (always in a window; the software back ends never refuse).
int DDSetDialogBoxMode(int bOn);

// Shows a message box in dialog-box mode; 1 once it was closed. The box's
// own answer is not returned.
int DDMesBox(const char* pszText, const char* pszCaption, MsgBoxType type);

// Draws single-byte text (ASCII and half-width katakana) with cells of the
// glyph sheet: byte b is cell (b mod 16, b / 16) of the sheet, rows 0..1
// holding 0xA6..0xBF and rows 8..9 0xC0..0xDD. A line feed, or a line that
// reaches the screen width, starts the next line. The batch result under the
// textured back end, 0 under the surface back end. Inside a caller's batch the
// cells are queued in it and 0 is returned.
int DDDrawDebugText(DDSURFACEDATA* lpDstSD, int x, int y, int nCellWidth, int nCellHeight,
                    DDSURFACEDATA* lpGlyphSD, const char* pszText);
// Formats into 256 bytes (longer text is cut) and draws it.
int DDPrintDebugText(DDSURFACEDATA* lpDstSD, int x, int y, int nCellWidth, int nCellHeight,
                     DDSURFACEDATA* lpGlyphSD, const char* pszFormat, ...) PLAYER_PRINTF(7, 8);
