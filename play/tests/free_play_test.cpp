// Free play of a single stage file (the title's free play, a stage named on
// the command line): the fade-out that ends an attempt reads the stage file
// again, so that the next attempt starts from the file.

#include <gtest/gtest.h>

#include <string>

#include "app/base/close_request.h"
#include "app/core/game_start.h"
#include "app/core/scene.h"
#include "platform/input/input_devices.h"
#include "platform/input/virtual_keys.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/stage_file.h"
#include "stagedata/stage_globals.h"
#include "testing/play_world.h"

namespace {

constexpr uint16_t kDecide = 1;

TEST(FreePlay, TheFadeOutOfAnAttemptReadsASingleStageFileAgain) {
  cPlayWorld world({.rows = {"H"}});
  ASSERT_TRUE(world.m_bStarted);
  // The sample's first stage written again under a name without "-1": a
  // stage of one file, not the first part of several.
  ASSERT_TRUE(world.LoadSampleStage("data\\stg4\\w01-1.stg4"));
  g_Stage.m_strName = "single";
  ASSERT_TRUE(WriteStageFile(g_Stage, "data\\stg4\\single.stg4_695",
                             MakeProjectRefs().WithStage(&g_Stage)));
  ASSERT_EQ(StartStageFile("data\\stg4\\single.stg4", 1), 1);
  ASSERT_EQ(g_PlayData.m_bMultiPart, 0);
  EXPECT_EQ(g_PlayData.m_strStageKey, "data\\stg4\\single.");
  world.Folder().ClearReportLog();
  world.Start();
  ASSERT_TRUE(world.RunUntilPlay());
  g_Stage.m_strName = "changed in play";

  // Pause, up to the first choice (back to the title) and decide.
  InputDevices().SetKey(vkey::kSpace, true);
  world.Frame(0, 0);
  InputDevices().SetKey(vkey::kSpace, false);
  ASSERT_EQ(world.Scene().m_nState, 3);
  world.Frame(kKeyUp, 0);
  world.Frame(0, 0);
  world.Frame(0, kDecide);
  ASSERT_EQ(world.Scene().m_nState, 7);
  for (int i = 0; i < 60 && world.Scene().m_nState == 7; ++i) world.Frame(0, 0);

  EXPECT_EQ(g_SceneManager.m_nScene, SCENE_TITLE);
  EXPECT_EQ(GetCloseRequestCount(), 0) << world.Folder().ReportLogText();
  EXPECT_EQ(world.Folder().ReportLogText(), "");
  EXPECT_EQ(g_Stage.m_strName, "single") << "read from the file again";
  EXPECT_EQ(g_Stage.m_strLoadPath, "data\\stg4\\single.stg4_695");
  EXPECT_EQ(g_PlayData.m_strStageKey, "data\\stg4\\single.");
}

}  // namespace
