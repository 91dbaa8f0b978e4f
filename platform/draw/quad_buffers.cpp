#include "platform/draw/quad_buffers.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "app/base/report_log.h"
#include "platform/draw/dd_device.h"

namespace {

struct BufferRelease {
  template <class T>
  void operator()(T* p) const {
    p->Release();
  }
};

std::unique_ptr<cGpuVertexBuffer, BufferRelease> g_pRunVB;
std::unique_ptr<cGpuIndexBuffer, BufferRelease> g_pRunIB;
int g_nRunVBQuads = 0;
int g_nRunIBQuads = 0;

// The room to make for nQuads: at least double the old room, so that a
// growing run length reallocates only a few times.
int GrownRoom(int nQuads, int nOld) {
  return std::min(std::max({nQuads, 2 * nOld, 64}), kMaxQuadRun);
}

}  // namespace

cGpuVertexBuffer* QuadRunVertexBuffer(int nQuads) {
  if (nQuads <= g_nRunVBQuads) return g_pRunVB.get();
  const int nRoom = GrownRoom(nQuads, g_nRunVBQuads);
  cGpuVertexBuffer* pVB = nullptr;
  if (nQuads > kMaxQuadRun || !lpDevice ||
      GpuFailed(lpDevice->CreateVertexBuffer(static_cast<size_t>(nRoom) * 4 * sizeof(GPUVERTEX),
                                             GPUUSAGE_WRITEONLY, GPUFVF_SCREENQUAD, GPUPOOL_MANAGED,
                                             &pVB)) ||
      !pVB) {
    ReportLog("CreateVertexBuffer Err");
    return nullptr;
  }
  g_pRunVB.reset(pVB);
  g_nRunVBQuads = nRoom;
  return pVB;
}

cGpuIndexBuffer* QuadRunIndexBuffer(int nQuads) {
  if (nQuads <= g_nRunIBQuads) return g_pRunIB.get();
  const int nRoom = GrownRoom(nQuads, g_nRunIBQuads);
  const size_t nBytes = static_cast<size_t>(nRoom) * 4 * sizeof(uint16_t);
  cGpuIndexBuffer* pIB = nullptr;
  void* pData = nullptr;
  if (nQuads > kMaxQuadRun || !lpDevice ||
      GpuFailed(lpDevice->CreateIndexBuffer(nBytes, GPUUSAGE_WRITEONLY, GPUFMT_INDEX16,
                                            GPUPOOL_MANAGED, &pIB)) ||
      !pIB || GpuFailed(pIB->Lock(0, nBytes, &pData))) {
    if (pIB) pIB->Release();
    ReportLog("CreateIndexBuffer Err");
    return nullptr;
  }
  uint16_t* pIndex = static_cast<uint16_t*>(pData);
  for (int k = 0; k < 4 * nRoom; ++k) pIndex[k] = static_cast<uint16_t>(k);
  pIB->Unlock();
  g_pRunIB.reset(pIB);
  g_nRunIBQuads = nRoom;
  return pIB;
}

void ReleaseQuadRunBuffers() {
  g_pRunVB.reset();
  g_pRunIB.reset();
  g_nRunVBQuads = g_nRunIBQuads = 0;
}
