#pragma once
// Fills and blits on surface records, under whichever back end runs, and the
// sprite batch that gathers textured draws into runs.

#include <cstdint>

#include "platform/draw/surface/dd_surface.h"

// Blit flags.
inline constexpr uint32_t DDBLT_OPAQUE = 0;
inline constexpr uint32_t DDBLT_TRANSPARENT = 1;

struct DDBLTSTATE {
  uint32_t dwDiffuse = 0xFFFFFFFF;
  uint32_t dwColorOp = GPUTOP_MODULATE;
};

// The pixel value of palette index n for the display depth (numbers above
// 255 are reported and give 0).
uint32_t PalNumToRGB(uint32_t dwPalNum);

void DDPalFillRect(DDSURFACEDATA* lpSD, int x, int y, int nWidth, int nHeight, uint32_t dwPalNum);
void DDPalFillSurface(DDSURFACEDATA* lpSD, uint32_t dwPalNum);
void DDFillRect(DDSURFACEDATA* lpSD, int x, int y, int nWidth, int nHeight, uint32_t dwValue);
void DDFillSurface(DDSURFACEDATA* lpSD, uint32_t dwValue);
void DDBeginFill();
void DDEndFill();

int DDBlt(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, DDSURFACEDATA* lpSrcSD,
          int sx, int sy, uint32_t dwFlags);
int DDStretchBlt(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight,
                 DDSURFACEDATA* lpSrcSD, int sx, int sy, int nSrcWidth, int nSrcHeight,
                 uint32_t dwFlags);
int DDBltEx(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, DDSURFACEDATA* lpSrcSD,
            int sx, int sy, uint32_t dwFlags, const DDBLTSTATE* lpState);
int DDBltWithState(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight,
                   DDSURFACEDATA* lpSrcSD, int sx, int sy, int nSrcWidth, int nSrcHeight,
                   uint32_t dwFlags, const DDBLTSTATE* lpState);
// Copies the source's rectangle at (0, 0) of the given size opaquely to
// (x, y) and draws a frame nFrame pixels wide around it in a palette colour
// (menu windows).
void DDBltFramed(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight,
                 DDSURFACEDATA* lpSrcSD, int nFrame, uint32_t dwPalNum);
int DDClipBlt(DDSURFACEDATA* lpDstSD, int* x, int* y, int* nWidth, int* nHeight,
              DDSURFACEDATA* lpSrcSD, int* sx, int* sy, int* nSrcWidth, int* nSrcHeight);
void DDMirrorSourceRect(DDSURFACEDATA* lpSrcSD, int* sx, int* sy, int* nSrcWidth, int* nSrcHeight);

// ---- sprite batch (textured back end) -------------------------------------------
void DDBeginBatch(int bSort);
void DDRegisterBatchSource(DDSURFACEDATA* lpSD);
int DDEndBatch();
bool DDIsBatching();
// Changes whenever a batch begins. Surfaces that a batch's queued draws read
// must stay unchanged until it ends: a surface marked with the number of the
// batch that is on is still in use; with any other number it is free again.
unsigned DDBatchNumber();
// Queues one clipped textured draw (used by DDStretchBlt while a batch is on).
void DDQueueBatchItem(DDSURFACEDATA* lpDstSD, DDSURFACEDATA* lpSrcSD, int x, int y, int nWidth,
                      int nHeight, int sx, int sy, int nSrcWidth, int nSrcHeight, uint32_t dwFlags);
// Runs drawn by the last DDEndBatch (tests and the benchmark look at it).
int DDLastBatchRunCount();

// ---- device loss and restore ---------------------------------------------------
int DDRestoreSurface();
bool DDRestore();
