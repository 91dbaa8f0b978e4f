// The sprite batch: textured draws onto render targets are recorded between
// DDBeginBatch and DDEndBatch, optionally ordered by source, and drawn in runs
// that share texture, target and draw state.

#include <algorithm>
#include <vector>

#include "app/base/report_log.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/dd_internal.h"
#include "platform/draw/quad_buffers.h"

namespace {

struct DDBATCHITEM {
  // Order key: the source's registration rank (0 when not registered) and the
  // queue position. Kept as a pair so that no count of draws can make an
  // unregistered draw sort among a registered source's draws.
  int nSourceRank;
  int nCounter;
  DDSURFACEDATA* lpDstSD;
  DDSURFACEDATA* lpSrcSD;
  int x, y, nWidth, nHeight;
  int sx, sy, nSrcWidth, nSrcHeight;
  uint32_t dwFlags;
  uint32_t dwDiffuse;
  uint32_t dwColorOp;
  uint32_t dwAlphaOp;
  uint32_t dwSpare;
};

struct BATCHSOURCE {
  DDSURFACEDATA* lpSD;
  int nRank;
};

// The queue and the registered sources keep their storage from one batch to
// the next: queuing a draw makes no allocation once a frame's count of draws
// has been seen.
std::vector<DDBATCHITEM> g_SpriteBatch;
std::vector<BATCHSOURCE> g_BatchSources;
bool g_bBatch = false;
bool g_bBatchSort = false;
int g_nBatchCounter = 0;
unsigned g_nBatchNumber = 0;
int g_nLastRunCount = 0;

bool SameRun(const DDBATCHITEM& a, const DDBATCHITEM& b) {
  return a.lpSrcSD == b.lpSrcSD && a.lpDstSD == b.lpDstSD && a.dwDiffuse == b.dwDiffuse &&
         a.dwFlags == b.dwFlags && a.dwColorOp == b.dwColorOp && a.dwAlphaOp == b.dwAlphaOp &&
         a.dwSpare == b.dwSpare;
}

// Draws items [first, first + n) as one run (n at most kMaxQuadRun); false
// when the run's buffers could not be made.
bool DrawRun(const DDBATCHITEM* items, int n) {
  const DDBATCHITEM& head = items[0];
  DDSURFACEDATA* lpSrcSD = head.lpSrcSD;
  DTDATA* sd = lpSrcSD->lpDT;
  if (!sd || !sd->lpTexture) return true;  // its texture went with a lost device
  cGpuVertexBuffer* pVB = QuadRunVertexBuffer(n);
  cGpuIndexBuffer* pIB = pVB ? QuadRunIndexBuffer(n) : nullptr;
  void* pV = nullptr;
  if (!pIB || GpuFailed(pVB->Lock(0, static_cast<size_t>(n) * 4 * sizeof(GPUVERTEX), &pV)))
    return false;
  GPUVERTEX* pVertex = static_cast<GPUVERTEX*>(pV);
  for (int j = 0; j < n; ++j) {
    const DDBATCHITEM& it = items[j];
    BuildQuadVertices(pVertex + 4 * j, it.x, it.y, it.nWidth, it.nHeight, it.dwDiffuse, it.sx,
                      it.sy, it.nSrcWidth, it.nSrcHeight, lpSrcSD->nTextureWidth,
                      lpSrcSD->nTextureHeight);
  }
  pVB->Unlock();
  if (DDBeginScene() && DDSetRenderTarget(0, head.lpDstSD)) {
    if (head.dwFlags == 0 && sd->bColorKey) {
      const uint32_t dwClear = DDTransparentClearValue(head.lpDstSD);
      for (int j = 0; j < n; ++j) {
        GPURECT rc{items[j].x, items[j].y, items[j].x + items[j].nWidth,
                   items[j].y + items[j].nHeight};
        lpDevice->Clear(1, &rc, 1, dwClear, 1.0f, 0);
      }
    }
    DDSetTextureStage(head.dwColorOp, head.dwAlphaOp);
    lpDevice->SetTexture(0, sd->lpTexture);
    lpDevice->SetStreamSource(0, pVB, 0, sizeof(GPUVERTEX));
    lpDevice->SetIndices(pIB);
    lpDevice->SetFVF(GPUFVF_SCREENQUAD);
    for (int j = 0; j < n; ++j) lpDevice->DrawIndexedPrimitive(5, 0, 4 * j, 4, 4 * j, 2);
    lpDevice->SetIndices(nullptr);
    lpDevice->SetStreamSource(0, nullptr, 0, sizeof(GPUVERTEX));
    ++g_nLastRunCount;
  }
  DDRestoreTarget();
  return true;
}

}  // namespace

void DDBeginBatch(int bSort) {
  if (!lpDTCon) return;
  g_bBatch = true;
  g_bBatchSort = bSort != 0;
  ++g_nBatchNumber;
  g_SpriteBatch.clear();
  g_BatchSources.clear();
  g_nBatchCounter = 0;
}

void DDRegisterBatchSource(DDSURFACEDATA* lpSD) {
  if (!g_bBatch || !g_bBatchSort || !lpSD) return;
  for (const BATCHSOURCE& s : g_BatchSources)
    if (s.lpSD == lpSD) return;
  g_BatchSources.push_back(BATCHSOURCE{lpSD, static_cast<int>(g_BatchSources.size()) + 1});
}

bool DDIsBatching() { return g_bBatch; }

unsigned DDBatchNumber() { return g_nBatchNumber; }

void DDQueueBatchItem(DDSURFACEDATA* lpDstSD, DDSURFACEDATA* lpSrcSD, int x, int y, int nWidth,
                      int nHeight, int sx, int sy, int nSrcWidth, int nSrcHeight,
                      uint32_t dwFlags) {
  int nRank = 0;
  for (const BATCHSOURCE& s : g_BatchSources)
    if (s.lpSD == lpSrcSD) nRank = s.nRank;
  g_SpriteBatch.push_back(DDBATCHITEM{
      nRank, g_nBatchCounter++, lpDstSD, lpSrcSD, x, y, nWidth, nHeight, sx, sy, nSrcWidth,
      nSrcHeight, dwFlags, lpDTCon->dwDiffuse, lpDTCon->dwColorOp, lpDTCon->dwAlphaOp, 0});
}

int DDEndBatch() {
  const bool bWasOn = g_bBatch;
  g_bBatch = false;
  g_nLastRunCount = 0;
  if (!lpDTCon || !lpDevice || !bWasOn) {
    g_SpriteBatch.clear();
    g_BatchSources.clear();
    g_nBatchCounter = 0;
    if (!lpDTCon || !lpDevice) ReleaseQuadRunBuffers();  // the device is gone
    return 0;
  }
  std::vector<DDBATCHITEM>& items = g_SpriteBatch;
  // Items are queued in counter order, so only draws of registered sources
  // can be out of order.
  if (g_bBatchSort && !g_BatchSources.empty()) {
    std::sort(items.begin(), items.end(), [](const DDBATCHITEM& a, const DDBATCHITEM& b) {
      return a.nSourceRank != b.nSourceRank ? a.nSourceRank < b.nSourceRank
                                            : a.nCounter < b.nCounter;
    });
  }
  size_t i = 0;
  while (i < items.size()) {
    size_t end = i + 1;
    while (end < items.size() && end - i < kMaxQuadRun && SameRun(items[end], items[i])) ++end;
    if (!DrawRun(&items[i], static_cast<int>(end - i)))
      end = i + 1;  // the walk goes on from the next item
    i = end;
  }
  const int nDrawn = static_cast<int>(items.size());
  items.clear();
  g_BatchSources.clear();
  g_nBatchCounter = 0;
  return nDrawn;
}

int DDLastBatchRunCount() { return g_nLastRunCount; }
