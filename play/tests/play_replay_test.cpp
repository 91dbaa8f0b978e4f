// Replays: a scripted attempt is recorded, saved to a replay file, loaded
// and played back headless; every frame's digest must equal the recorded
// one, and the end of the recorded input restarts the replay cleanly.

#include <gtest/gtest.h>

#include "app/core/attempt_seed.h"
#include "play/play_digest.h"
#include "play/tests/play_run.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/progress/replay.h"
#include "stagedata/stage_globals.h"

namespace {

constexpr const char* kReplayPath = "user_data\\rpl4\\golden.rpl4_695";

// The digests of the first nFrames frames of the script.
std::vector<std::string> Record(cPlayWorld& world, size_t nFrames) {
  std::vector<std::string> digests;
  if (!world.RunUntilPlay()) return digests;
  for (const SCRIPTSTEP& step : kGoldenScript) {
    for (int i = 0; i < step.nFrames && digests.size() < nFrames; ++i) {
      world.Frame(step.wDir, step.wButtons);
      digests.push_back(PlayDigest(world.Scene()));
    }
  }
  return digests;
}

class PlayReplay : public ::testing::TestWithParam<int> {};

TEST_P(PlayReplay, PlaybackRepeatsEveryFrameAndRestartsAtTheEnd) {
  // Up to just before the pit: one attempt, all of it in the replay.
  constexpr size_t kFrames = 300;
  cPlayWorld world({.rows = kGoldenStage, .nLevel = GetParam(), .nSeed = 777});
  ASSERT_TRUE(world.m_bStarted);
  world.Start();
  const std::vector<std::string> recorded = Record(world, kFrames);
  ASSERT_EQ(recorded.size(), kFrames);
  ASSERT_EQ(g_Replay.FrameCount(), static_cast<int64_t>(kFrames));
  world.Folder().WriteFile("user_data\\rpl4\\keep.txt", "");
  ASSERT_TRUE(g_Replay.SaveReplayFile(kReplayPath, &g_Stage, &g_StageStart, &g_PlayDataStart));

  // Another stage, another seed and an empty replay record: everything the
  // playback needs comes from the file.
  cPlayWorld::BuildStage({"#.H.#", "#####"}, 3);
  SetAttemptSeedSource([] { return 99u; });
  g_Replay.Clear();
  ASSERT_TRUE(g_Replay.LoadReplayFile(kReplayPath, &g_Stage, &g_StageStart, &g_PlayData));
  g_Stage.m_strLoadPath = kReplayPath;
  world.Start(true);
  ASSERT_TRUE(world.RunUntilPlay());
  for (size_t i = 0; i < kFrames; ++i) {
    // The input given here is ignored: the recorded words are played.
    world.Frame(kKeyLeft, kButtonJump);
    const std::string strDigest = PlayDigest(world.Scene());
    ASSERT_EQ(recorded[i], strDigest)
        << "frame " << i << ": " << FirstDigestDifference(recorded[i], strDigest);
  }

  // The recorded input has run out: the replay starts again from the file,
  // with the stage-start banner, and plays the same first frame.
  world.Frame(0, 0);
  EXPECT_EQ(world.Scene().m_nState, 1);
  ASSERT_TRUE(world.RunUntilPlay());
  world.Frame(0, 0);
  EXPECT_EQ(PlayDigest(world.Scene()), recorded[0]);
}

INSTANTIATE_TEST_SUITE_P(SubSteps, PlayReplay, ::testing::Values(11, 10, 20));

}  // namespace
