// A full 640x480 screen of cached glyphs (40 x 30 cells of 16 pixels) drawn
// with a font, beside one full-screen colour-keyed copy on the same back end
// and a memcpy of a 32-bit frame.

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "bench/alloc_count.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/dd_device.h"
#include "platform/draw/font/font.h"

namespace {

struct Display {
  Display(int bD3D, int nBpp) {
    DDResetForTests();
    bOk = DDInit(bD3D, nullptr, 640, 480, nBpp, 0, 0, 1, 60, 0, nullptr, nullptr, 0);
    g_Palette[241] = PALENTRY{255, 255, 255, 0};
  }
  ~Display() {
    DDRelease();
    DDResetForTests();
  }
  bool bOk;
};

// 30 lines of 40 characters: kana and digits of the cache's fixed list, and
// half-width letters.
std::string ScreenText() {
  const std::string kana =
      "あいうえおかきくけこさしすせそたちつてとアイウエオカキクケコ０１２３４５６７８９";
  std::string text;
  for (int line = 0; line < 30; ++line) {
    for (int i = 0; i < 40; ++i) {
      if ((line + i) % 4 == 0) {
        text += static_cast<char>('A' + (i + line) % 26);
      } else {
        const size_t k = static_cast<size_t>((line * 7 + i) % 40) * 2;
        text.append(kana, k, 2);
      }
    }
    if (line < 29) text += '\n';
  }
  return text;
}

void BM_FontScreen(benchmark::State& state) {
  Display display(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  if (!display.bOk) {
    state.SkipWithError("DDInit failed");
    return;
  }
  {
    Font font;
    font.Create("ＭＳ ゴシック", 0, 16, 16, 16, 241, -1, 0, 0, -1, 1);
    const std::string text = ScreenText();
    font.Draw(&g_BackBufferSD, 0, 0, text.c_str(), 0);  // every glyph is cached from here on
    const long long nAllocs = g_nBenchAllocs.load();
    for (auto _ : state) font.Draw(&g_BackBufferSD, 0, 0, text.c_str(), 0);
    ReportAllocs(state, nAllocs);
    state.SetItemsProcessed(state.iterations() * 1200);
  }
}
BENCHMARK(BM_FontScreen)
    ->ArgNames({"d3d", "bpp"})
    ->Args({1, 32})
    ->Args({0, 8})
    ->Args({0, 32})
    ->Unit(benchmark::kMicrosecond);

// The same screen with glyph caches off: every glyph is rasterised.
void BM_FontScreenUncached(benchmark::State& state) {
  Display display(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  if (!display.bOk) {
    state.SkipWithError("DDInit failed");
    return;
  }
  {
    Font font;
    font.Create("ＭＳ ゴシック", 0, 16, 16, 16, 241, -1, 0, 0, -1, 0);
    const std::string text = ScreenText();
    for (auto _ : state) font.Draw(&g_BackBufferSD, 0, 0, text.c_str(), 0);
    state.SetItemsProcessed(state.iterations() * 1200);
  }
}
BENCHMARK(BM_FontScreenUncached)
    ->ArgNames({"d3d", "bpp"})
    ->Args({1, 32})
    ->Args({0, 8})
    ->Unit(benchmark::kMicrosecond);

void BM_ScreenColorKeyBlit(benchmark::State& state) {
  Display display(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  if (!display.bOk) {
    state.SkipWithError("DDInit failed");
    return;
  }
  DDSURFACEDATA source;
  DDCreateSurface(&source, 640, 480, 1, 1, DTMEMORYTYPE_SYSTEM, 0, 0);
  DDPalFillSurface(&source, 241);
  DDPalFillRect(&source, 0, 0, 640, 240, 0);  // half of it transparent
  const long long nAllocs = g_nBenchAllocs.load();
  for (auto _ : state) {
    if (state.range(0)) DDBeginBatch(0);
    DDBlt(&g_BackBufferSD, 0, 0, 640, 480, &source, 0, 0, DDBLT_TRANSPARENT);
    if (state.range(0)) DDEndBatch();
  }
  ReportAllocs(state, nAllocs);
  DDReleaseSurface(&source);
}
BENCHMARK(BM_ScreenColorKeyBlit)
    ->ArgNames({"d3d", "bpp"})
    ->Args({1, 32})
    ->Args({0, 8})
    ->Args({0, 32})
    ->Unit(benchmark::kMicrosecond);

void BM_FrameMemcpy(benchmark::State& state) {
  std::vector<uint32_t> from(640 * 480, 0x123456), to(640 * 480);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size() * sizeof(uint32_t));
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_FrameMemcpy)->Unit(benchmark::kMicrosecond);

}  // namespace
