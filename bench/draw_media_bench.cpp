// The per-frame costs of the media layer beside the memory traffic they
// imply: the high-colour fade copy of a 640 x 480 frame beside memcpy of the
// same frame, bitmap decoding beside memcpy of the file, and stepping
// animation sequencers beside reading as many ints.

#include <benchmark/benchmark.h>

#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#include "platform/draw/dd_device.h"
#include "platform/draw/dd_fade.h"
#include "platform/draw/surface/bmp_file.h"
#include "platform/draw/surface/dd_surface.h"
#include "records/anime_pattern.h"

namespace {

constexpr int kWidth = 640, kHeight = 480;

// The surface display started full screen at a depth, with two screen-size
// surfaces in system memory.
struct FadeScreen {
  explicit FadeScreen(int nBpp) {
    DDResetForTests();
    DDInit(0, nullptr, kWidth, kHeight, nBpp, 0, 0, 1, 60, 0, nullptr, nullptr, 0);
    DDCreateSurface(&dst, kWidth, kHeight, 0, 1, 0, 0, 0);
    DDCreateSurface(&src, kWidth, kHeight, 0, 1, 0, 0, 0);
  }
  ~FadeScreen() {
    DDReleaseSurface(&dst);
    DDReleaseSurface(&src);
    DDRelease();
    DDResetForTests();
  }
  DDSURFACEDATA dst, src;
};

void BM_FadeUnPal(benchmark::State& state) {
  const int nBpp = static_cast<int>(state.range(0));
  FadeScreen screen(nBpp);
  int nLevel = 0;
  for (auto _ : state) {
    DDFade_UnPal(&screen.dst, nLevel, 0, 0, 0, &screen.src);
    nLevel = (nLevel + 17) & 255;
  }
  state.SetBytesProcessed(state.iterations() * kWidth * kHeight * (nBpp / 8));
}
BENCHMARK(BM_FadeUnPal)->Arg(8)->Arg(16)->Arg(32);

// One step of the textured back end's fade: a black veil blended over the
// 640 x 480 back buffer at 32 bits.
void BM_FadeVeil(benchmark::State& state) {
  DDResetForTests();
  DDInit(1, nullptr, kWidth, kHeight, 32, 0, 0, 1, 60, 0, nullptr, nullptr, 0);
  PALENTRY pal[256];
  for (auto _ : state) {
    g_FadeAngles.dOutD3D = 45;
    DDFadeOut(pal, 0, 255, 0, 0, 0, 10, pal, 0);
  }
  state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 4);
  DDRelease();
  DDResetForTests();
  DDResetFadeAngles();
}
BENCHMARK(BM_FadeVeil);

void BM_MemcpyFrame(benchmark::State& state) {
  const size_t nBytes =
      static_cast<size_t>(kWidth) * kHeight * static_cast<size_t>(state.range(0) / 8);
  std::vector<uint8_t> a(nBytes, 1), b(nBytes);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), nBytes);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(nBytes));
}
BENCHMARK(BM_MemcpyFrame)->Arg(16)->Arg(32);

// A 640 x 480 bitmap file of the given depth, built in memory.
std::string BitmapFile(int nBitCount) {
  const int nStride = (kWidth * nBitCount + 31) / 32 * 4;
  const uint32_t nTable = nBitCount == 8 ? 1024 : 0;
  const uint32_t nOff = 54 + nTable;
  std::string s(nOff + static_cast<size_t>(nStride) * kHeight, '\0');
  auto put = [&](size_t nPos, uint32_t v, int nBytes) {
    for (int i = 0; i < nBytes; ++i) s[nPos + i] = static_cast<char>(v >> (8 * i));
  };
  s[0] = 'B', s[1] = 'M';
  put(2, static_cast<uint32_t>(s.size()), 4);
  put(10, nOff, 4);
  put(14, 40, 4);
  put(18, kWidth, 4);
  put(22, kHeight, 4);
  put(26, 1, 2);
  put(28, static_cast<uint32_t>(nBitCount), 2);
  for (size_t i = nOff; i < s.size(); ++i) s[i] = static_cast<char>(i * 7);
  return s;
}

void BM_DecodeBmp(benchmark::State& state) {
  const std::string file = BitmapFile(static_cast<int>(state.range(0)));
  cBmpImage image;
  std::string strError;
  for (auto _ : state) {
    bool bOk = image.Decode(reinterpret_cast<const uint8_t*>(file.data()), file.size(), strError);
    benchmark::DoNotOptimize(bOk);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file.size()));
}
BENCHMARK(BM_DecodeBmp)->Arg(8)->Arg(24);

void BM_MemcpyFile(benchmark::State& state) {
  const std::string file = BitmapFile(static_cast<int>(state.range(0)));
  std::vector<char> copy(file.size());
  for (auto _ : state) {
    std::memcpy(copy.data(), file.data(), file.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file.size()));
}
BENCHMARK(BM_MemcpyFile)->Arg(8)->Arg(24);

// A thousand sequencers, as many as a busy stage has objects.
void BM_AnimeStep(benchmark::State& state) {
  ANIMEPATTERN walk;
  for (int i = 0; i < 8; ++i) walk.push_back({i, 1 + i % 3, 0});
  walk.push_back({-2, 0, 0});
  std::vector<cAnimePattern> anime(1000);
  for (cAnimePattern& a : anime) {
    a.m_Patterns.push_back(walk);
    a.SetPattern(0, 1);
  }
  for (auto _ : state) {
    int nSum = 0;
    for (cAnimePattern& a : anime) nSum += a.Step();
    benchmark::DoNotOptimize(nSum);
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_AnimeStep);

void BM_SumInts(benchmark::State& state) {
  std::vector<int> values(1000, 3);
  for (auto _ : state) {
    int nSum = std::accumulate(values.begin(), values.end(), 0);
    benchmark::DoNotOptimize(nSum);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_SumInts);

}  // namespace
