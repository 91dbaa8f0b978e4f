#pragma once
// Surface records, their back-end holders, the surface table, the list of
// registered textured surfaces and pixel access.

#include <cstdint>
#include <deque>
#include <list>

#include "app/base/checked_containers.h"
#include "platform/draw/dd_device.h"

enum DTMEMORYTYPE : int {
  DTMEMORYTYPE_VIDEO_RT = 0,    // render-target texture with a system-memory copy
  DTMEMORYTYPE_SYSTEM = 1,      // dynamic texture in system memory
  DTMEMORYTYPE_VIDEO_NORT = 2,  // as 0 for empty surfaces; refused for images
};

// Textured back-end holder.
struct DTDATA {
  int nNumber = 0;                         // registration number; 0 is the back buffer
  cGpuSurface* lpSurface = nullptr;        // level 0 of the texture (borrowed)
  cGpuSurface* lpSystemSurface = nullptr;  // system copy of a render target (owned)
  cGpuVertexBuffer* lpVB = nullptr;        // four vertices for quads of this surface
  void* lpSpare = nullptr;                 // never set
  cGpuTexture* lpTexture = nullptr;
  int nLevelWidth = 0, nLevelHeight = 0;  // level descriptor
  GPUFORMAT levelFormat = GPUFMT_UNKNOWN;
  int nMemoryType = 0;  // DTMEMORYTYPE
  int bColorKey = 0;
  int bRenderTarget = 0;
  uint8_t* lpPalIndexMap = nullptr;  // one byte per pixel (owned, new[])
};

// Surface back-end holder.
struct DDRAWSURFACEDATA {
  cDDrawSurface* lpSurface = nullptr;
  uint8_t* lpPalIndexMap = nullptr;  // owned, new[]
};

// A surface record. The owner keeps it; the library fills it. Records are
// movable (containers may grow), and a move keeps the registration in
// g_SurfaceList pointing at the record's new address (parent pointers that
// other records hold to it are theirs to keep right). Copying is not allowed:
// two records would own the same back-end objects.
struct DDSURFACEDATA {
  PLAYER_ELEMENT_SIZE(DDSURFACEDATA, 564);
  DTDATA* lpDT = nullptr;
  DDRAWSURFACEDATA* lpDDraw = nullptr;
  char szSurfaceType[260] = {};
  int nWidth = 0, nHeight = 0;
  int nTextureWidth = 0, nTextureHeight = 0;
  char szFileName[260] = {};
  int nDDMemory = 0;  // 0 video, 1 system
  int nMirrorWidth = 0, nMirrorHeight = 0;
  DDSURFACEDATA* lpParentSD = nullptr;
  int bLost = 0;

  DDSURFACEDATA() = default;
  DDSURFACEDATA(const DDSURFACEDATA&) = delete;
  DDSURFACEDATA& operator=(const DDSURFACEDATA&) = delete;
  DDSURFACEDATA(DDSURFACEDATA&& other) noexcept;
  DDSURFACEDATA& operator=(DDSURFACEDATA&& other) noexcept;
  ~DDSURFACEDATA() = default;  // the library never frees records' objects by itself

  // Gives the record its back-end holder if it has none.
  void DDPrepareSurfaceData();
  cDDrawSurface* DDSurface() const { return lpDDraw ? lpDDraw->lpSurface : nullptr; }
};

// Caller-held surface records addressed by index like a vector. Records never
// move when more are added (a deque underneath), so pointers to them (the
// registration in g_SurfaceList, parents of variants, queued batch draws)
// stay valid. A bad index is reported like any checked vector's.
class cSurfaceVector {
 public:
  DDSURFACEDATA& At(int nIndex);
  const DDSURFACEDATA& At(int nIndex) const {
    return const_cast<cSurfaceVector*>(this)->At(nIndex);
  }
  DDSURFACEDATA& emplace_back() { return m_records.emplace_back(); }
  DDSURFACEDATA& back() { return m_records.back(); }
  DDSURFACEDATA& front() { return m_records.front(); }
  void pop_back() { m_records.pop_back(); }
  void clear() { m_records.clear(); }
  size_t size() const { return m_records.size(); }
  bool empty() const { return m_records.empty(); }
  auto begin() { return m_records.begin(); }
  auto end() { return m_records.end(); }

 private:
  std::deque<DDSURFACEDATA> m_records;
};

struct DDSURFACEINFO {
  PLAYER_ELEMENT_SIZE(DDSURFACEINFO, 300);
  char szFileName[260] = {};
  int bColorKey = 0;
  int nDDMemory = 0;
  int nDTMemory = 0;
  int bVariant = 0;
  int bPalMap = 0;
  int bOptional = 0;
  int nMirrorWidth = 0, nMirrorHeight = 0;
  int nWorkWidth = 0, nWorkHeight = 0;
};

// Every textured surface with a texture of its own, in creation order.
extern std::list<DDSURFACEDATA*> g_SurfaceList;

bool DDCreateSurface(DDSURFACEDATA* lpSD, int nWidth, int nHeight, int bColorKey, int nDDMemory,
                     int nDTMemory, int bVariant, int bRecreate);
bool DDCreateSurfaceInVector(cSurfaceVector& vSD, cCheckedVector<DDSURFACEINFO>& vInfo, int nWidth,
                             int nHeight, int bColorKey, int nDDMemory, int nDTMemory,
                             int bVariant);
bool DDCreateSurfaceInList(cCheckedList<DDSURFACEDATA>& lSD, cCheckedList<DDSURFACEINFO>& lInfo,
                           int nWidth, int nHeight, int bColorKey, int nDDMemory, int nDTMemory,
                           int bVariant);
int DDReleaseSurfaceInList(cCheckedList<DDSURFACEDATA>& lSD, cCheckedList<DDSURFACEINFO>& lInfo,
                           DDSURFACEDATA* lpSD);
bool DDCheckResult(int nCode);
bool DDLoadSurfaceTable(DDSURFACEDATA* lpSDTable, const int* lpIndices, int nCount);
DDSURFACEINFO& SetSurfaceInfo(DDSURFACEINFO& info, const char* szFileName, int bColorKey,
                              int nDDMemory, int nDTMemory, int bVariant, int bPalMap,
                              int bOptional, int nMirrorWidth, int nMirrorHeight, int nWorkWidth,
                              int nWorkHeight);
void DDReleaseSurface(DDSURFACEDATA* lpSD);
void ReleaseSurfaceData(DDSURFACEDATA* lpSD);
void DDReleaseSurfaceVector(cSurfaceVector& vSD);
void DDReleaseSurfaceList(cCheckedList<DDSURFACEDATA>& lSD);

// Image surfaces are made from files by the image loader; the surface table
// loader and the device reset call it through this declaration.
int DDCreateSurfaceFromFile(DDSURFACEDATA* lpSD, const char* szFile, int bColorKey, int nBpp,
                            int nDDMemory, int nDTMemory, int bVariant, int bPalMap, int nMirrorW,
                            int nMirrorH, int bRecreate);
bool DDReloadSurface(DDSURFACEDATA* lpSD, int nBpp);

// Surface back end lock: fills the description and the pixel pointer.
bool DDLock(DDSURFACEDATA* lpSD, DDSURFACEDESC2* lpDesc, void** lplpBits, int nBpp);

// Pixel access to a surface for the time the guard lives. The surface is
// resolved to its parent and redirected from the back buffer first. Check
// IsLocked() (or the pixel pointer) before touching pixels.
class cSurfaceLock {
 public:
  explicit cSurfaceLock(DDSURFACEDATA* lpSD);
  ~cSurfaceLock();
  cSurfaceLock(const cSurfaceLock&) = delete;
  cSurfaceLock& operator=(const cSurfaceLock&) = delete;
  bool IsLocked() const { return m_lpBits != nullptr; }
  void Unlock();

  DDSURFACEDATA* m_lpSD = nullptr;  // the locked surface
  uint8_t* m_lpBits = nullptr;
  // The pixels the lock reaches: the record's size, cut to the surface's.
  int m_nWidth = 0, m_nHeight = 0;
  int m_nPitch = 0;  // in pixels
  int m_nBpp = 0;
  int m_nBytesPerPixel = 0;

  template <class T>
  T* Row(int y) const {
    return reinterpret_cast<T*>(m_lpBits + static_cast<size_t>(y) * m_nPitch * m_nBytesPerPixel);
  }

 private:
  bool m_bGpu = false;
  bool m_bSystemCopy = false;
};
