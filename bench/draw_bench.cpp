// Blits and effects of the drawing library beside SDL's blitter and memcpy of
// the same bytes, on 640x480 frames (32-bit unless a benchmark says).

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstring>
#include <functional>
#include <vector>

#include "bench/alloc_count.h"
#include "platform/draw/dd_blend.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/dd_filter.h"
#include "platform/draw/dd_geometry.h"
#include "platform/draw/dd_pattern.h"
#include "platform/draw/present/presenter.h"

namespace {

constexpr int kW = 640, kH = 480;

class cDiscardPresenter : public cNullPresenter {
 public:
  void Present(const PRESENTFRAME& frame, bool) override {
    benchmark::DoNotOptimize(frame.pPixels);
  }
};
cDiscardPresenter g_presenter;

// Starts a back end: textured 32-bit window, or the surface display at the
// given depth in full screen.
bool Start(bool bGpu, int nBpp) {
  DDResetForTests();
  SetPresenter(&g_presenter);
  SetFramePacer([](int, int, uint32_t) { return true; });
  DDrawSetup().nDesktopBpp = nBpp;
  for (int i = 0; i < 256; ++i)
    g_Palette[i] = g_PaletteShown[i] = PALENTRY{
        static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 7), 0};
  if (!DDInit(bGpu, nullptr, kW, kH, nBpp, 0, bGpu ? 1 : 0, 1, 60, 0, nullptr, nullptr, 0))
    return false;
  if (lpDTCon) lpDTCon->dwTransmitColor = 0xFFFF00FF;
  g_dwTransmitPixel = lpDTCon ? 0 : PalNumToRGB(0);
  // The 8-bit blends' table: the mix of a and b is their mean.
  for (int i = 0; i < kBlendTableSize; ++i)
    g_BlendTable[i] = static_cast<uint8_t>(((i >> 8) + (i & 0xFF)) / 2);
  return true;
}

// A picture with stripes of colours and, when keyed, transparent runs
// (about a quarter of the pixels).
void Paint(DDSURFACEDATA* lpSD, bool bHoles) {
  for (int y = 0; y < lpSD->nHeight; y += 8)
    DDPalFillRect(lpSD, 0, y, lpSD->nWidth, 8, 1 + (y / 8) % 200);
  if (bHoles)
    for (int y = 0; y < lpSD->nHeight; y += 2)
      for (int x = (y / 2) % 8; x < lpSD->nWidth; x += 16) DDPalFillRect(lpSD, x, y, 8, 1, 0);
}

void BlitBench(benchmark::State& state, bool bGpu, bool bKeyed, int nScale,
               int nMemoryType = DTMEMORYTYPE_VIDEO_RT) {
  if (!Start(bGpu, 32)) {
    state.SkipWithError("start failed");
    return;
  }
  DDSURFACEDATA src;
  DDCreateSurface(&src, kW / nScale, kH / nScale, bKeyed, nMemoryType == DTMEMORYTYPE_SYSTEM,
                  nMemoryType, 0, 0);
  Paint(&src, bKeyed);
  const long long nAllocs = g_nBenchAllocs.load();
  for (auto _ : state) {
    if (nScale == 1)
      DDBlt(&g_BackBufferSD, 0, 0, kW, kH, &src, 0, 0, bKeyed ? 1 : 0);
    else
      DDStretchBlt(&g_BackBufferSD, 0, 0, kW, kH, &src, 0, 0, kW / nScale, kH / nScale,
                   bKeyed ? 1 : 0);
  }
  ReportAllocs(state, nAllocs);
  state.SetBytesProcessed(state.iterations() * kW * kH * 4);
  DDReleaseSurface(&src);
  DDResetForTests();
}

// The same full-screen copy with a vertex colour: half-translucent, and tinted.
void TintBench(benchmark::State& state, uint32_t dwDiffuse) {
  if (!Start(true, 32)) {
    state.SkipWithError("start failed");
    return;
  }
  DDSURFACEDATA src;
  DDCreateSurface(&src, kW, kH, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0);
  Paint(&src, false);
  DDSetDiffuse(dwDiffuse);
  DDSetAlphaOp(GPUTOP_MODULATE);
  for (auto _ : state) DDBlt(&g_BackBufferSD, 0, 0, kW, kH, &src, 0, 0, 0);
  DDResetAlphaOp();
  DDResetDiffuse();
  state.SetBytesProcessed(state.iterations() * kW * kH * 4);
  DDReleaseSurface(&src);
  DDResetForTests();
}

void BM_Gpu32_Opaque(benchmark::State& s) { BlitBench(s, true, false, 1); }
void BM_Gpu32_Translucent(benchmark::State& s) { TintBench(s, 0x80FFFFFFu); }
void BM_Gpu32_Tinted(benchmark::State& s) { TintBench(s, 0xFFFF8040u); }
void BM_Gpu32_Keyed(benchmark::State& s) { BlitBench(s, true, true, 1); }
void BM_Gpu32_Stretch2x(benchmark::State& s) { BlitBench(s, true, false, 2); }
// From a system-memory surface the textured back end copies locked pixels.
void BM_Gpu32_SysOpaque(benchmark::State& s) { BlitBench(s, true, false, 1, DTMEMORYTYPE_SYSTEM); }
void BM_Gpu32_SysKeyed(benchmark::State& s) { BlitBench(s, true, true, 1, DTMEMORYTYPE_SYSTEM); }
void BM_Gpu32_SysStretch2x(benchmark::State& s) {
  BlitBench(s, true, false, 2, DTMEMORYTYPE_SYSTEM);
}
void BM_Gpu32_SysKeyedStretch2x(benchmark::State& s) {
  BlitBench(s, true, true, 2, DTMEMORYTYPE_SYSTEM);
}
void BM_DD32_Opaque(benchmark::State& s) { BlitBench(s, false, false, 1); }
void BM_DD32_Keyed(benchmark::State& s) { BlitBench(s, false, true, 1); }
void BM_DD32_Stretch2x(benchmark::State& s) { BlitBench(s, false, false, 2); }

// Peers: SDL's blitter on the same picture, and memcpy of the same bytes.
void SdlBench(benchmark::State& state, bool bKeyed) {
  SDL_Surface* src = SDL_CreateRGBSurfaceWithFormat(0, kW, kH, 32, SDL_PIXELFORMAT_ARGB8888);
  SDL_Surface* dst = SDL_CreateRGBSurfaceWithFormat(0, kW, kH, 32, SDL_PIXELFORMAT_ARGB8888);
  const uint32_t key = 0xFFFF00FF;
  for (int y = 0; y < kH; ++y) {
    uint32_t* row =
        reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(src->pixels) + y * src->pitch);
    for (int x = 0; x < kW; ++x) row[x] = 0xFF000000u | static_cast<uint32_t>((y / 8) * 0x010203);
    if (bKeyed && y % 2 == 0)
      for (int x = (y / 2) % 8; x < kW; x += 16)
        for (int k = 0; k < 8 && x + k < kW; ++k) row[x + k] = key;
  }
  SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_NONE);
  if (bKeyed) SDL_SetColorKey(src, SDL_TRUE, key);
  for (auto _ : state) {
    SDL_BlitSurface(src, nullptr, dst, nullptr);
    benchmark::DoNotOptimize(dst->pixels);
  }
  state.SetBytesProcessed(state.iterations() * kW * kH * 4);
  SDL_FreeSurface(src);
  SDL_FreeSurface(dst);
}
void BM_Sdl_Opaque(benchmark::State& s) { SdlBench(s, false); }
void BM_Sdl_Keyed(benchmark::State& s) { SdlBench(s, true); }

void BM_Memcpy_Frame(benchmark::State& state) {
  std::vector<uint32_t> a(kW * kH, 0x12345678), b(kW * kH);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), a.size() * 4);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kW * kH * 4);
}

// 1,000 queued 32x32 sprites from a registered sheet and two other sources.
void BM_Gpu32_Batch1000Sprites(benchmark::State& state) {
  if (!Start(true, 32)) {
    state.SkipWithError("start failed");
    return;
  }
  DDSURFACEDATA sheet, other;
  DDCreateSurface(&sheet, 256, 256, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0);
  DDCreateSurface(&other, 64, 64, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0);
  Paint(&sheet, true);
  Paint(&other, true);
  const long long nAllocs = g_nBenchAllocs.load();
  for (auto _ : state) {
    DDBeginBatch(1);
    DDRegisterBatchSource(&sheet);
    for (int i = 0; i < 1000; ++i) {
      DDSURFACEDATA* src = i % 4 == 3 ? &other : &sheet;
      DDBlt(&g_BackBufferSD, (i * 37) % (kW - 32), (i * 53) % (kH - 32), 32, 32, src, (i % 2) * 32,
            0, 1);
    }
    DDEndBatch();
  }
  ReportAllocs(state, nAllocs);
  state.SetItemsProcessed(state.iterations() * 1000);
  DDReleaseSurface(&sheet);
  DDReleaseSurface(&other);
  DDResetForTests();
}

// 1,000 queued 16x16 sprites alternating between two sources, unsorted: every
// sprite is a run of its own (the shape of text drawn from two glyph caches).
void BM_Gpu32_Batch1000Runs(benchmark::State& state) {
  if (!Start(true, 32)) {
    state.SkipWithError("start failed");
    return;
  }
  DDSURFACEDATA a, b;
  DDCreateSurface(&a, 64, 64, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0);
  DDCreateSurface(&b, 64, 64, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0);
  Paint(&a, true);
  Paint(&b, true);
  const long long nAllocs = g_nBenchAllocs.load();
  for (auto _ : state) {
    DDBeginBatch(0);
    for (int i = 0; i < 1000; ++i)
      DDBlt(&g_BackBufferSD, (i * 37) % (kW - 16), (i * 53) % (kH - 16), 16, 16, i % 2 ? &b : &a,
            (i % 4) * 16, 0, 1);
    DDEndBatch();
  }
  ReportAllocs(state, nAllocs);
  state.SetItemsProcessed(state.iterations() * 1000);
  DDReleaseSurface(&a);
  DDReleaseSurface(&b);
  DDResetForTests();
}

// Peer: the same 1,000 colour-keyed 16x16 sprites, alternating between two
// sources, blitted one by one with SDL.
void BM_Sdl_1000Sprites16(benchmark::State& state) {
  SDL_Surface* dst = SDL_CreateRGBSurfaceWithFormat(0, kW, kH, 32, SDL_PIXELFORMAT_ARGB8888);
  SDL_Surface* src[2];
  const uint32_t key = 0xFFFF00FF;
  for (SDL_Surface*& s : src) {
    s = SDL_CreateRGBSurfaceWithFormat(0, 64, 64, 32, SDL_PIXELFORMAT_ARGB8888);
    for (int y = 0; y < 64; ++y) {
      uint32_t* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch);
      for (int x = 0; x < 64; ++x)
        row[x] = (y % 2 == 0 && (x + y / 2) % 16 < 8) ? key : 0xFF000000u | (y / 8) * 0x010203u;
    }
    SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_NONE);
    SDL_SetColorKey(s, SDL_TRUE, key);
  }
  for (auto _ : state) {
    for (int i = 0; i < 1000; ++i) {
      SDL_Rect rs{(i % 4) * 16, 0, 16, 16}, rd{(i * 37) % (kW - 16), (i * 53) % (kH - 16), 16, 16};
      SDL_BlitSurface(src[i % 2], &rs, dst, &rd);
    }
    benchmark::DoNotOptimize(dst->pixels);
  }
  state.SetItemsProcessed(state.iterations() * 1000);
  for (SDL_Surface* s : src) SDL_FreeSurface(s);
  SDL_FreeSurface(dst);
}

// Showing a full 8-bit frame: the flip converts it through the palette.
void BM_DD8_PresentFrame(benchmark::State& state) {
  if (!Start(false, 8)) {
    state.SkipWithError("start failed");
    return;
  }
  Paint(&g_BackBufferSD, false);
  cDDrawSurface* pPrimary = g_PrimarySD.DDSurface();
  for (auto _ : state) pPrimary->Flip(nullptr, DDFLIP_WAIT);
  state.SetBytesProcessed(state.iterations() * kW * kH * 4);
  DDResetForTests();
}

// ---- effect blits over the whole frame --------------------------------------------
// Each draws a 640x480 picture onto the back buffer as the screen effects do.
// The textured back end draws from a render-target texture (quads), or from
// a system-memory one (locked pixels); the surface display at 32 bits.

using EffectFn = std::function<void(DDSURFACEDATA* lpSrcSD)>;

void EffectBench(benchmark::State& state, bool bGpu, int nMemoryType, const EffectFn& draw,
                 int nBpp = 32) {
  if (!Start(bGpu, nBpp)) {
    state.SkipWithError("start failed");
    return;
  }
  DDSURFACEDATA src;
  DDCreateSurface(&src, kW, kH, 0, nMemoryType == DTMEMORYTYPE_SYSTEM, nMemoryType, 0, 0);
  Paint(&src, false);
  draw(&src);  // scratch storage grows once
  const long long nAllocs = g_nBenchAllocs.load();
  for (auto _ : state) draw(&src);
  ReportAllocs(state, nAllocs);
  state.SetBytesProcessed(state.iterations() * kW * kH * 4);
  DDReleaseSurface(&src);
  DDResetForTests();
}

void Wave(DDSURFACEDATA* s, int bVertical) {
  DDBltWave(&g_BackBufferSD, 0, 0, kW, kH, 3, 8.0, 30, 1, s, 0, 0, 0, bVertical);
}
void Circle(DDSURFACEDATA* s) {
  DDBltCircle(&g_BackBufferSD, kW / 2, kH / 2, kW / 2, kH / 2, 400, 1, s, kW / 2, kH / 2, 0);
}
void Quarters(DDSURFACEDATA* s) { DDBltQuarters(&g_BackBufferSD, 0, 0, kW, kH, s, 0, 0, 0, 0); }
// Frame 40 of a card 640 wide: the picture squeezed to 560 columns.
void Card(DDSURFACEDATA* s) {
  DDBltFlipCard(&g_BackBufferSD, 0, 0, kW, kH, s, 0, 0, s, 0, 0, kW, kH, 0, 40, 0);
}
// The lens screen effect around the centre: the radius reaches the corners.
void Lens(DDSURFACEDATA* s) {
  DDBltLens(&g_BackBufferSD, kW / 2, kH / 2, 453, 300, s, kW / 2, kH / 2, 0, 0);
}
void Rotate(DDSURFACEDATA* s) {
  DDBltRotate(&g_BackBufferSD, kW / 2, kH / 2, kW, kH, kW / 2, kH / 2, 30, s, 0, 0, 0);
}

// Tint toward palette colour 40 by a level, half transparency, mosaic in
// blocks of a size and blur by a radius, all with the colour key.
void Tint(DDSURFACEDATA* s, int nLevel) {
  DDBltTint(&g_BackBufferSD, 0, 0, kW, kH, s, 0, 0, 1, g_PaletteShown, g_BlendTable, 40, nLevel);
}
void Half(DDSURFACEDATA* s) { DDBltHalf(&g_BackBufferSD, 0, 0, kW, kH, s, 0, 0, 1, g_BlendTable); }
void Mosaic(DDSURFACEDATA* s, int nSize) {
  DDMosaic(&g_BackBufferSD, 0, 0, kW, kH, nSize, s, 0, 0, 1);
}
void Blur(DDSURFACEDATA* s, int nRadius) {
  DDBlur(&g_BackBufferSD, 0, 0, kW, kH, nRadius, nRadius, s, 0, 0, 1);
}

constexpr int kRT = DTMEMORYTYPE_VIDEO_RT, kSys = DTMEMORYTYPE_SYSTEM;
void BM_Gpu32_WaveRows(benchmark::State& st) {
  EffectBench(st, true, kRT, [](auto s) { Wave(s, 0); });
}
void BM_DD32_WaveRows(benchmark::State& st) {
  EffectBench(st, false, kRT, [](auto s) { Wave(s, 0); });
}
void BM_Gpu32_WaveColumns(benchmark::State& st) {
  EffectBench(st, true, kRT, [](auto s) { Wave(s, 1); });
}
void BM_DD32_WaveColumns(benchmark::State& st) {
  EffectBench(st, false, kRT, [](auto s) { Wave(s, 1); });
}
void BM_Gpu32_Circle(benchmark::State& st) { EffectBench(st, true, kRT, Circle); }
void BM_DD32_Circle(benchmark::State& st) { EffectBench(st, false, kRT, Circle); }
void BM_Gpu32_Quarters(benchmark::State& st) { EffectBench(st, true, kRT, Quarters); }
void BM_DD32_Quarters(benchmark::State& st) { EffectBench(st, false, kRT, Quarters); }
void BM_Gpu32_Card(benchmark::State& st) { EffectBench(st, true, kRT, Card); }
void BM_DD32_Card(benchmark::State& st) { EffectBench(st, false, kRT, Card); }
void BM_Gpu32_Lens(benchmark::State& st) { EffectBench(st, true, kRT, Lens); }
void BM_DD32_Lens(benchmark::State& st) { EffectBench(st, false, kRT, Lens); }
void BM_Gpu32_RotateQuad(benchmark::State& st) { EffectBench(st, true, kRT, Rotate); }
void BM_Gpu32_RotateLocked(benchmark::State& st) { EffectBench(st, true, kSys, Rotate); }
void BM_DD32_Rotate(benchmark::State& st) { EffectBench(st, false, kRT, Rotate); }

// The argument: the tint's level, the mosaic's block size, the blur's radius
// (whose cost stays flat).
void BM_Gpu32_TintQuad(benchmark::State& st) {
  EffectBench(st, true, kRT, [&](auto s) { Tint(s, static_cast<int>(st.range(0))); });
}
void BM_Gpu32_TintLocked(benchmark::State& st) {
  EffectBench(st, true, kSys, [&](auto s) { Tint(s, static_cast<int>(st.range(0))); });
}
void BM_DD32_Tint(benchmark::State& st) {
  EffectBench(st, false, kRT, [&](auto s) { Tint(s, static_cast<int>(st.range(0))); });
}
void BM_DD16_Tint(benchmark::State& st) {
  EffectBench(
      st, false, kRT, [&](auto s) { Tint(s, static_cast<int>(st.range(0))); }, 16);
}
void BM_DD8_Tint(benchmark::State& st) {
  EffectBench(
      st, false, kRT, [&](auto s) { Tint(s, static_cast<int>(st.range(0))); }, 8);
}
void BM_Gpu32_HalfQuad(benchmark::State& st) { EffectBench(st, true, kRT, Half); }
void BM_Gpu32_HalfLocked(benchmark::State& st) { EffectBench(st, true, kSys, Half); }
void BM_DD32_Half(benchmark::State& st) { EffectBench(st, false, kRT, Half); }
void BM_Gpu32_Mosaic(benchmark::State& st) {
  EffectBench(st, true, kSys, [&](auto s) { Mosaic(s, static_cast<int>(st.range(0))); });
}
void BM_DD32_Mosaic(benchmark::State& st) {
  EffectBench(st, false, kRT, [&](auto s) { Mosaic(s, static_cast<int>(st.range(0))); });
}
void BM_Gpu32_Blur(benchmark::State& st) {
  EffectBench(st, true, kSys, [&](auto s) { Blur(s, static_cast<int>(st.range(0))); });
}
void BM_DD32_Blur(benchmark::State& st) {
  EffectBench(st, false, kRT, [&](auto s) { Blur(s, static_cast<int>(st.range(0))); });
}

// The peer of the half transparency: SDL's blit of a picture with alpha
// modulation 128, blended over the frame.
void BM_Sdl_HalfBlend(benchmark::State& state) {
  SDL_Surface* src = SDL_CreateRGBSurfaceWithFormat(0, kW, kH, 32, SDL_PIXELFORMAT_ARGB8888);
  SDL_Surface* dst = SDL_CreateRGBSurfaceWithFormat(0, kW, kH, 32, SDL_PIXELFORMAT_ARGB8888);
  SDL_FillRect(src, nullptr, 0xFF336699);
  SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_BLEND);
  SDL_SetSurfaceAlphaMod(src, 128);
  for (auto _ : state) {
    SDL_BlitSurface(src, nullptr, dst, nullptr);
    benchmark::DoNotOptimize(dst->pixels);
  }
  state.SetBytesProcessed(state.iterations() * kW * kH * 4);
  SDL_FreeSurface(src);
  SDL_FreeSurface(dst);
}

// Peers in SDL: the wave as 480 row blits, and the turn through its software
// renderer.
void BM_Sdl_WaveRows(benchmark::State& state) {
  SDL_Surface* src = SDL_CreateRGBSurfaceWithFormat(0, kW, kH, 32, SDL_PIXELFORMAT_ARGB8888);
  SDL_Surface* dst = SDL_CreateRGBSurfaceWithFormat(0, kW, kH, 32, SDL_PIXELFORMAT_ARGB8888);
  SDL_FillRect(src, nullptr, 0xFF336699);
  SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_NONE);
  for (auto _ : state) {
    for (int y = 0; y < kH; ++y) {
      SDL_Rect rs{0, y, kW, 1}, rd{(y * 7) % 16 - 8, y, kW, 1};
      SDL_BlitSurface(src, &rs, dst, &rd);
    }
    benchmark::DoNotOptimize(dst->pixels);
  }
  state.SetBytesProcessed(state.iterations() * kW * kH * 4);
  SDL_FreeSurface(src);
  SDL_FreeSurface(dst);
}

void BM_Sdl_Rotate(benchmark::State& state) {
  SDL_Surface* src = SDL_CreateRGBSurfaceWithFormat(0, kW, kH, 32, SDL_PIXELFORMAT_ARGB8888);
  SDL_Surface* dst = SDL_CreateRGBSurfaceWithFormat(0, kW, kH, 32, SDL_PIXELFORMAT_ARGB8888);
  SDL_FillRect(src, nullptr, 0xFF336699);
  SDL_Renderer* r = SDL_CreateSoftwareRenderer(dst);
  SDL_Texture* t = r ? SDL_CreateTextureFromSurface(r, src) : nullptr;
  if (!t) {
    state.SkipWithError("no software renderer");
  } else {
    SDL_SetTextureBlendMode(t, SDL_BLENDMODE_NONE);
    for (auto _ : state) {
      SDL_RenderCopyEx(r, t, nullptr, nullptr, 30.0, nullptr, SDL_FLIP_NONE);
      benchmark::DoNotOptimize(dst->pixels);
    }
    state.SetBytesProcessed(state.iterations() * kW * kH * 4);
  }
  if (t) SDL_DestroyTexture(t);
  if (r) SDL_DestroyRenderer(r);
  SDL_FreeSurface(src);
  SDL_FreeSurface(dst);
}

BENCHMARK(BM_Memcpy_Frame);
BENCHMARK(BM_Sdl_Opaque);
BENCHMARK(BM_Gpu32_Opaque);
BENCHMARK(BM_Gpu32_Translucent);
BENCHMARK(BM_Gpu32_Tinted);
BENCHMARK(BM_DD32_Opaque);
BENCHMARK(BM_Gpu32_SysOpaque);
BENCHMARK(BM_Gpu32_SysKeyed);
BENCHMARK(BM_Gpu32_SysStretch2x);
BENCHMARK(BM_Gpu32_SysKeyedStretch2x);
BENCHMARK(BM_Sdl_Keyed);
BENCHMARK(BM_Gpu32_Keyed);
BENCHMARK(BM_DD32_Keyed);
BENCHMARK(BM_Gpu32_Stretch2x);
BENCHMARK(BM_DD32_Stretch2x);
BENCHMARK(BM_Gpu32_Batch1000Sprites);
BENCHMARK(BM_Sdl_1000Sprites16);
BENCHMARK(BM_Gpu32_Batch1000Runs);
BENCHMARK(BM_DD8_PresentFrame);
BENCHMARK(BM_Sdl_WaveRows);
BENCHMARK(BM_Gpu32_WaveRows);
BENCHMARK(BM_DD32_WaveRows);
BENCHMARK(BM_Gpu32_WaveColumns);
BENCHMARK(BM_DD32_WaveColumns);
BENCHMARK(BM_Gpu32_Circle);
BENCHMARK(BM_DD32_Circle);
BENCHMARK(BM_Gpu32_Quarters);
BENCHMARK(BM_DD32_Quarters);
BENCHMARK(BM_Gpu32_Card);
BENCHMARK(BM_DD32_Card);
BENCHMARK(BM_Gpu32_Lens);
BENCHMARK(BM_DD32_Lens);
BENCHMARK(BM_Sdl_Rotate);
BENCHMARK(BM_Gpu32_RotateQuad);
BENCHMARK(BM_Gpu32_RotateLocked);
BENCHMARK(BM_DD32_Rotate);
BENCHMARK(BM_Gpu32_TintQuad)->Arg(1)->Arg(2);
BENCHMARK(BM_Gpu32_TintLocked)->Arg(1)->Arg(2);
BENCHMARK(BM_DD32_Tint)->Arg(1)->Arg(4);
BENCHMARK(BM_DD16_Tint)->Arg(2);
BENCHMARK(BM_DD8_Tint)->Arg(3);
BENCHMARK(BM_Sdl_HalfBlend);
BENCHMARK(BM_Gpu32_HalfQuad);
BENCHMARK(BM_Gpu32_HalfLocked);
BENCHMARK(BM_DD32_Half);
BENCHMARK(BM_Gpu32_Mosaic)->Arg(8)->Arg(32);
BENCHMARK(BM_DD32_Mosaic)->Arg(8)->Arg(32);
BENCHMARK(BM_Gpu32_Blur)->Arg(1)->Arg(4)->Arg(16)->Arg(64)->Arg(1'000'000);
BENCHMARK(BM_DD32_Blur)->Arg(1)->Arg(16)->Arg(1'000'000);

}  // namespace
