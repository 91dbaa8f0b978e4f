// The drawing device lost in the middle of the sample's first stage, on each
// back end, and brought back the way the frame driver does it: the surfaces
// and the fonts come back, the frames drawn afterwards are those of a run
// that lost nothing, and play itself never noticed (the same digest in
// every frame).

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/core/scene.h"
#include "platform/draw/dd_device.h"
#include "platform/draw/devices/ddraw_device.h"
#include "platform/draw/devices/gpu_device.h"
#include "play/play_digest.h"
#include "stagedata/progress/play_data.h"
#include "testing/play_world.h"

namespace {

constexpr const char* kFirstStage = "data\\stg4\\w01-1.stg4";
constexpr int kFrames = 150;
constexpr int kLostAt = 40;        // the device goes in this frame, while the GO! sign shows
constexpr int kResettableAt = 55;  // the textured device may be reset from here

struct RUN {
  std::vector<std::string> digests;
  std::vector<uint64_t> frames;  // checksums of the frames presented
};

RUN Play(bool bGpu, bool bLose) {
  RUN run;
  cPlayWorld world({.rows = {"H"}, .bGpu = bGpu});
  EXPECT_TRUE(world.m_bStarted);
  EXPECT_TRUE(world.LoadSampleStage(kFirstStage)) << world.Folder().ReportLogText();
  g_PlayData.m_nStartLives = 3;
  world.Start();
  g_SceneManager.m_nGameKind = GAMEKIND_STORY;
  EXPECT_TRUE(world.RunUntilPlay());
  for (int f = 0; f < kFrames; ++f) {
    if (bLose && f == kLostAt) {
      if (bGpu)
        lpDevice->InjectDeviceLost();
      else
        g_lpDD->InjectSurfaceLoss();
    }
    if (bLose && bGpu && f == kResettableAt) lpDevice->MakeResettable();
    // What the frame driver does before a frame: the surface back end
    // restores lost surfaces, the running scene's own (the pictures) among
    // them; the textured one is reset when a present fails (PresentChecksum
    // presents as the frame driver does).
    if (!bGpu) {
      EXPECT_TRUE(g_SceneManager.RestoreLostSurfaces());
      EXPECT_TRUE(world.Scene().RestoreOwnSurfaces());
    }
    const uint16_t wButtons = f % 40 >= 20 && f % 40 < 30 ? kButtonJump : 0;
    world.Frame(kKeyRight, wButtons);
    run.digests.push_back(PlayDigest(world.Scene()));
    run.frames.push_back(world.PresentChecksum());
  }
  EXPECT_FALSE(bGpu && lpDevice->IsLost());
  return run;
}

TEST(DeviceLoss, SurfacesAndFontsComeBackAndPlayGoesOnUnchanged) {
  for (bool bGpu : {false, true}) {
    SCOPED_TRACE(bGpu ? "textured" : "surface");
    const RUN kept = Play(bGpu, false);
    const RUN lost = Play(bGpu, true);
    ASSERT_EQ(kept.digests.size(), static_cast<size_t>(kFrames));
    ASSERT_EQ(lost.digests.size(), static_cast<size_t>(kFrames));
    for (int f = 0; f < kFrames; ++f)
      ASSERT_EQ(lost.digests[f], kept.digests[f])
          << "frame " << f << ": " << FirstDigestDifference(lost.digests[f], kept.digests[f]);
    // The surface back end restores what it lost before the frame is drawn,
    // so every frame is as if nothing was lost. The textured device draws
    // nothing while it is lost; the frame after its reset is whole again.
    for (int f = 0; f < kFrames; ++f) {
      const bool bLostFrame = bGpu && f >= kLostAt && f <= kResettableAt;
      if (bLostFrame)
        EXPECT_NE(lost.frames[f], kept.frames[f]) << "frame " << f;
      else
        EXPECT_EQ(lost.frames[f], kept.frames[f]) << "frame " << f;
    }
  }
}

}  // namespace
