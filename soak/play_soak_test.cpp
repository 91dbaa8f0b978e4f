// A seeded random-input soak of stage play: each of the sample's stages and
// the stress stage (soak/stress_stage.h) played by random input for many
// frames, in free play, the pause key tapped now and then and a new attempt
// begun whenever one ends. It holds that play writes nothing to the report
// log, that the heap in use does not grow after the first 1,000 frames and
// that a second run with the same seed gives every frame the same digest;
// under the sanitizers (scripts/test.sh) a fault of memory, arithmetic or a
// leak fails it too.
//
// A run is 2,500 frames, so that a stage is played for 5,000 frames in all
// and the four stages stay within half a minute of two cores under the
// sanitizers; PLAYER_SOAK_FRAMES asks for another number (scripts/soak.sh
// runs 100,000). Each test prints its figures on a line that starts with
// "soak:".

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/base/close_request.h"
#include "app/core/game_start.h"
#include "app/core/scene.h"
#include "platform/input/input_devices.h"
#include "platform/input/virtual_keys.h"
#include "play/play_digest.h"
#include "soak/soak_input.h"
#include "soak/soak_memory.h"
#include "soak/stress_stage.h"
#include "testing/play_world.h"

namespace {

constexpr int kDefaultFrames = 2500;
constexpr int kSettleFrames = 1000;
constexpr uint32_t kSeed = 20261211;
// What the heap may hold more at the end than after the first 1,000
// frames: the replay of the attempt in progress and the objects alive at
// either moment differ.
constexpr size_t kHeapSlack = 512 * 1024;

int SoakFrames() {
  const char* psz = std::getenv("PLAYER_SOAK_FRAMES");
  const int n = psz != nullptr ? std::atoi(psz) : kDefaultFrames;
  return n > kSettleFrames ? n : kDefaultFrames;
}

uint64_t Hash(const std::string& s) {
  uint64_t h = 14695981039346656037ull;
  for (const char c : s) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  return h;
}

struct SOAKRUN {
  std::vector<uint64_t> digests;  // a hash of each frame's digest
  std::string strFirstDigest, strLastDigest;
  std::string strLog;  // the report log of the run, after set-up
  int nCloseRequests = 0;
  size_t nHeapSettled = 0, nHeapEnd = 0, nHeapPeak = 0;
  size_t nResidentSettled = 0, nResidentEnd = 0;
  int nAttempts = 1;
  int nPauses = 0;
  // The most objects of each kind at once: characters, items, shots and
  // effects.
  size_t nCharas = 0, nItems = 0, nShots = 0, nEffects = 0;
};

// A run of nFrames frames of free play of the stage (a sample stage's name
// or "stress").
SOAKRUN Soak(const std::string& strStage, int nFrames, uint32_t nSeed) {
  SOAKRUN run;
  cPlayWorld world({.rows = {"H"}, .nSeed = nSeed});
  if (!world.m_bStarted) {
    ADD_FAILURE() << "the drawing library did not start";
    return run;
  }
  const std::string strPath =
      strStage == "stress" ? kStressStagePath : "data\\stg4\\" + strStage + ".stg4";
  if (!world.LoadSampleStage("data\\stg4\\w01-1.stg4") ||
      (strStage == "stress" && !WriteStressStage()) || !StartStageFile(strPath.c_str(), 1)) {
    ADD_FAILURE() << "the stage was not set up: " << world.Folder().ReportLogText();
    return run;
  }
  world.Folder().ClearReportLog();
  run.digests.reserve(static_cast<size_t>(nFrames));
  world.Start();
  cSoakInput input(nSeed);
  bool bPauseHeld = false;
  for (int f = 0; f < nFrames; ++f) {
    if (g_SceneManager.m_nScene != SCENE_PLAY) {
      // The attempt ended in another scene (the title): free play again,
      // of the stage the fade-out has read afresh.
      world.Start();
      ++run.nAttempts;
    }
    // Pause now and then, for a frame.
    const bool bPause = !bPauseHeld && input.OneIn(400);
    InputDevices().SetKey(vkey::kSpace, bPause);
    bPauseHeld = bPause;
    run.nPauses += bPause ? 1 : 0;
    const uint32_t nHeld = input.Next(8);
    world.Frame(static_cast<uint16_t>(nHeld & 0xF), static_cast<uint16_t>(nHeld >> 4));
    const cPlayScene& scene = world.Scene();
    run.nCharas = std::max(run.nCharas, scene.CharaList().size());
    run.nItems = std::max(run.nItems, scene.ItemList().size());
    run.nShots = std::max(run.nShots, scene.ShotList().size());
    run.nEffects = std::max(run.nEffects, scene.m_EffectList.size());
    const std::string strDigest = PlayDigest(scene);
    run.digests.push_back(Hash(strDigest));
    if (f == 0) run.strFirstDigest = strDigest;
    if (f + 1 == kSettleFrames) {
      run.nHeapSettled = run.nHeapPeak = HeapInUse();
      run.nResidentSettled = ResidentBytes();
    } else if (f >= kSettleFrames && f % 100 == 0) {
      run.nHeapPeak = std::max(run.nHeapPeak, HeapInUse());
    }
    if (f + 1 == nFrames) run.strLastDigest = strDigest;
  }
  InputDevices().SetKey(vkey::kSpace, false);
  run.nHeapEnd = HeapInUse();
  run.nResidentEnd = ResidentBytes();
  run.strLog = world.Folder().ReportLogText();
  run.nCloseRequests = GetCloseRequestCount();
  return run;
}

long long Growth(size_t nFrom, size_t nTo) {
  return static_cast<long long>(nTo) - static_cast<long long>(nFrom);
}

class PlaySoak : public ::testing::TestWithParam<const char*> {};

TEST_P(PlaySoak, RandomPlayLogsNothingHoldsItsMemoryAndRepeatsItsDigests) {
  const int nFrames = SoakFrames();
  const SOAKRUN first = Soak(GetParam(), nFrames, kSeed);
  ASSERT_EQ(first.digests.size(), static_cast<size_t>(nFrames));
  EXPECT_EQ(first.strLog, "");
  EXPECT_EQ(first.nCloseRequests, 0);
  const long long nHeapGrowth = Growth(first.nHeapSettled, first.nHeapEnd);
  EXPECT_LT(nHeapGrowth, static_cast<long long>(kHeapSlack))
      << "the heap grew after the first " << kSettleFrames << " frames";
  std::printf(
      "soak: %s: %d frames, %d attempts, %d pauses; at most %zu characters, %zu items, %zu shots "
      "and %zu effects at once; heap after %d frames %zu bytes, at the end %+lld, at most %+lld; "
      "resident %zu KB, at the end %+lld KB\n",
      GetParam(), nFrames, first.nAttempts, first.nPauses, first.nCharas, first.nItems,
      first.nShots, first.nEffects, kSettleFrames, first.nHeapSettled, nHeapGrowth,
      Growth(first.nHeapSettled, first.nHeapPeak), first.nResidentSettled / 1024,
      Growth(first.nResidentSettled, first.nResidentEnd) / 1024);

  if (std::string(GetParam()) == "stress") {
    // The crowd was there: characters, items, their shots and effects.
    EXPECT_GE(first.nCharas, 50u);
    EXPECT_GE(first.nItems, 50u);
    EXPECT_GT(first.nShots, 0u);
    EXPECT_GT(first.nEffects, 0u);
  }

  const SOAKRUN second = Soak(GetParam(), nFrames, kSeed);
  ASSERT_EQ(second.digests.size(), first.digests.size());
  for (size_t i = 0; i < first.digests.size(); ++i) {
    if (first.digests[i] == second.digests[i]) continue;
    ADD_FAILURE() << "the second run differs first in frame " << i
                  << (i == 0 ? ": " + FirstDigestDifference(first.strFirstDigest,
                                                            second.strFirstDigest)
                             : std::string());
    break;
  }
  EXPECT_EQ(first.strLastDigest, second.strLastDigest);
  // The last frame's digest must not be the first's: play moved on.
  EXPECT_NE(first.strLastDigest, first.strFirstDigest);
}

INSTANTIATE_TEST_SUITE_P(Stages, PlaySoak, ::testing::Values("w01-1", "w02-1", "c01-1", "stress"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           std::string s = info.param;
                           for (char& c : s)
                             if (c == '-') c = '_';
                           return s;
                         });

}  // namespace
