// One frame of the title and of the world map (logic and drawing into the
// back buffer, no present) on both back ends, beside the copy of one whole
// 640 x 480 frame by memcpy and by a full-screen blit in the same binary.

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "app/core/game_start.h"
#include "app/scenes/tests/scene_world.h"
#include "app/scenes/world_map_scene.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/dd_device.h"
#include "platform/input/input_state.h"
#include "platform/input/virtual_keys.h"
#include "records/system.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/progress/world_map.h"

namespace {

// A world map of mixed chips with a few events, the hero standing next to a
// stage entry with a title (so the texts are drawn too).
void FillWorldMap() {
  cEdWorldMap& map = g_WorldMap;
  for (int y = 0; y < map.m_nHeight; ++y)
    for (int x = 0; x < map.m_nWidth; ++x) map.CellAt(x, y) = (x * 7 + y * 3) % 5 == 0 ? 1 : 0;
  for (int i = 0; i < 8; ++i) {
    cEdWorldEvent& event = map.m_Events.emplace_back();
    event.m_nX = 3 + i * 3;
    event.m_nY = 4 + (i % 3) * 4;
    cEdWorldEntry& entry = event.m_Entries.At(0);
    entry.m_nKind = i % 2 == 0 ? WORLDENTRY_STAGE : WORLDENTRY_ROAD;
    entry.m_bNeedsButton = 1;
    entry.m_nStageNo = i + 1;
    entry.m_nIcon = i % 4;
    entry.m_strTitle = "ステージの名前";
    entry.m_strStageFile = "data\\stg4\\s.stg4";
  }
}

void TitleFrame(benchmark::State& state, bool bGpu) {
  cSceneWorld world(bGpu);
  g_System.m_bMenuPicture = 0;  // the captions are drawn with the heading font
  g_SceneManager.m_nScene = SCENE_TITLE;
  if (!world.m_bStarted || !world.Enter(SCENE_TITLE)) {
    state.SkipWithError("the title did not start");
    return;
  }
  for (auto _ : state) world.Frame();
}

void WorldMapFrame(benchmark::State& state, bool bGpu) {
  cSceneWorld world(bGpu);
  NewStoryGame();
  FillWorldMap();
  g_PlayData.m_nMapX = 8;
  g_PlayData.m_nMapY = 8;
  g_SceneManager.m_nScene = SCENE_WORLDMAP;
  if (!world.m_bStarted || !world.Enter(SCENE_WORLDMAP)) {
    state.SkipWithError("the world map did not start");
    return;
  }
  // The hero walks left and right: every frame scrolls, so the map is drawn
  // again (chips, events) before the frame itself.
  bool bLeft = false;
  for (auto _ : state) {
    InputDevices().SetKey(bLeft ? vkey::kLeft : vkey::kRight, false);
    bLeft = !bLeft;
    InputDevices().SetKey(bLeft ? vkey::kLeft : vkey::kRight, true);
    world.Frame();
  }
}

void CopyPeer(benchmark::State& state) {
  std::vector<uint32_t> src(640 * 480, 0x00123456), dst(640 * 480);
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), src.size() * 4);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
}

void ScreenBlitPeer(benchmark::State& state, bool bGpu) {
  cSceneWorld world(bGpu);
  DDSURFACEDATA src;
  DDCreateSurface(&src, 640, 480, 0, 1, DTMEMORYTYPE_VIDEO_RT, 0, 0);
  DDPalFillSurface(&src, 20);
  for (auto _ : state) DDBlt(&g_BackBufferSD, 0, 0, 640, 480, &src, 0, 0, DDBLT_OPAQUE);
  DDReleaseSurface(&src);
}

}  // namespace

BENCHMARK_CAPTURE(TitleFrame, surface, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(TitleFrame, textured, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(WorldMapFrame, surface, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(WorldMapFrame, textured, true)->Unit(benchmark::kMicrosecond);
BENCHMARK(CopyPeer)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ScreenBlitPeer, surface, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ScreenBlitPeer, textured, true)->Unit(benchmark::kMicrosecond);
