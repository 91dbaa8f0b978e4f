#include "app/core/scene.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "app/base/clock.h"
#include "app/base/close_request.h"
#include "app/base/timing.h"
#include "app/core/tests/shell_test_util.h"

// The play scene is the game library's; this one only proves how the
// manager publishes it and hands it the frame rate.
class cPlayScene : public cScene {
 public:
  int m_nFps = -1;
};

namespace {

struct SCENECOUNTS {
  int nCreated = 0, nDeleted = 0, nInits = 0, nMenuFrames = 0;
};
SCENECOUNTS g_counts[kSceneCount];
// The scene each scene leaves for once its menu has run a frame (-1: stays).
int g_anNext[kSceneCount];
bool g_bThrowInInit = false;

// A scene of the usual pattern: a two-frame fade-in, a menu, a two-frame
// fade-out that makes the next scene current.
template <int kNumber>
class cTestScene : public cScene {
 public:
  cTestScene() { ++g_counts[kNumber].nCreated; }
  ~cTestScene() override { ++g_counts[kNumber].nDeleted; }
  void Run() override { RunStates(kHandlers); }
  void Init() override {
    ++g_counts[kNumber].nInits;
    if (g_bThrowInInit) throw std::runtime_error("Init failed");
  }
  void FadeIn() override {
    if (++m_nFadeSteps == 2) m_nState = 1;
  }
  void Menu() {
    ++g_counts[kNumber].nMenuFrames;
    if (g_anNext[kNumber] < 0) return;
    g_SceneManager.m_nNextScene = g_anNext[kNumber];
    m_nFadeSteps = 0;
    m_nState = 2;
  }
  void FadeOut() override {
    if (++m_nFadeSteps < 2) return;
    g_SceneManager.m_nPrevScene = kNumber;
    g_SceneManager.m_nScene = g_SceneManager.m_nNextScene;
  }

 private:
  int m_nFadeSteps = 0;
  static constexpr void (cTestScene::*kHandlers[])() = {&cTestScene::FadeIn, &cTestScene::Menu,
                                                        &cTestScene::FadeOut};
};

class SceneManagerTest : public testing::Test {
 protected:
  void SetUp() override {
    for (auto& c : g_counts) c = SCENECOUNTS{};
    for (int& n : g_anNext) n = -1;
    g_bThrowInInit = false;
    RegisterScene<cTestScene<SCENE_TITLE>>(SCENE_TITLE);
    RegisterScene<cTestScene<SCENE_WORLDMAP>>(SCENE_WORLDMAP);
    RegisterScene<cTestScene<SCENE_OPTION>>(SCENE_OPTION);
    RegisterPlayScene<cPlayScene>();
    g_SceneManager.m_nFrameRate = 60;
  }
  void RunFrames(int n) {
    for (int i = 0; i < n; ++i) ASSERT_EQ(g_SceneManager.RunFrame(), 1);
  }
  cShellTestGuard m_guard;
};

}  // namespace

TEST_F(SceneManagerTest, ASceneFadesInRunsAndSwitchesAfterItsFadeOut) {
  g_anNext[SCENE_TITLE] = SCENE_OPTION;
  RunFrames(1);  // creates the title, Init, first fade step
  EXPECT_EQ(g_counts[SCENE_TITLE].nCreated, 1);
  EXPECT_EQ(g_counts[SCENE_TITLE].nInits, 1);
  EXPECT_EQ(g_SceneManager.Scene(SCENE_TITLE)->m_nState, 0);
  RunFrames(1);  // fade-in done
  EXPECT_EQ(g_SceneManager.Scene(SCENE_TITLE)->m_nState, 1);
  RunFrames(2);  // menu asks for the options, first fade-out step
  EXPECT_EQ(g_SceneManager.m_nScene, SCENE_TITLE);
  RunFrames(1);  // fade-out done: the options are current, the title still exists
  EXPECT_EQ(g_SceneManager.m_nScene, SCENE_OPTION);
  EXPECT_EQ(g_SceneManager.m_nPrevScene, SCENE_TITLE);
  EXPECT_EQ(g_counts[SCENE_TITLE].nDeleted, 0);
  RunFrames(1);  // the next frame deletes the title before the options run
  EXPECT_EQ(g_counts[SCENE_TITLE].nDeleted, 1);
  EXPECT_EQ(g_SceneManager.Scene(SCENE_TITLE), nullptr);
  EXPECT_EQ(g_counts[SCENE_OPTION].nInits, 1);
  EXPECT_EQ(g_counts[SCENE_TITLE].nMenuFrames, 1);

  // Coming back makes a new title scene that runs its Init again.
  g_anNext[SCENE_OPTION] = SCENE_TITLE;
  RunFrames(5);
  EXPECT_EQ(g_counts[SCENE_OPTION].nDeleted, 1);
  EXPECT_EQ(g_counts[SCENE_TITLE].nCreated, 2);
  EXPECT_EQ(g_counts[SCENE_TITLE].nInits, 2);
  EXPECT_EQ(g_SceneManager.m_nPrevScene, SCENE_OPTION);
  EXPECT_EQ(g_nFrameCount, 11);
}

TEST_F(SceneManagerTest, ThePlaySceneIsPublishedWhileItExists) {
  g_SceneManager.m_nScene = SCENE_PLAY;
  RunFrames(1);
  ASSERT_NE(g_lpPlayScene, nullptr);
  EXPECT_EQ(static_cast<cScene*>(g_lpPlayScene), g_SceneManager.Scene(SCENE_PLAY));
  g_SceneManager.m_nScene = SCENE_WORLDMAP;
  RunFrames(1);
  EXPECT_EQ(g_lpPlayScene, nullptr);
  EXPECT_EQ(g_counts[SCENE_WORLDMAP].nCreated, 1);
}

TEST_F(SceneManagerTest, ThePlaySceneGetsTheFramesOfTheLastSecondEveryFrame) {
  uint32_t dwNow = 5000;
  SetClockSource([&] { return dwNow; });
  ResetTimingState();
  g_SceneManager.m_nScene = SCENE_PLAY;
  // A first second of 30 frames, then a frame of the next one.
  for (int i = 0; i < 30; ++i) {
    RunFrames(1);
    dwNow += 33;
  }
  dwNow += 10;
  RunFrames(1);
  SetClockSource(nullptr);
  ResetTimingState();
  ASSERT_NE(g_lpPlayScene, nullptr);
  EXPECT_EQ(g_nFps, 30);
  EXPECT_EQ(g_lpPlayScene->m_nFps, g_nFps);
}

TEST_F(SceneManagerTest, ANumberOutsideTheScenesOrWithoutCreatorRunsNothing) {
  RunFrames(1);
  ASSERT_NE(g_SceneManager.Scene(SCENE_TITLE), nullptr);
  g_SceneManager.m_nScene = 9;
  RunFrames(1);
  for (int n = 0; n < kSceneCount; ++n) EXPECT_EQ(g_SceneManager.Scene(n), nullptr) << n;
  EXPECT_EQ(g_counts[SCENE_TITLE].nDeleted, 1);
  g_SceneManager.m_nScene = SCENE_GAMEMENU;  // nothing registered
  RunFrames(1);
  EXPECT_EQ(g_SceneManager.Scene(SCENE_GAMEMENU), nullptr);
  EXPECT_NE(m_guard.m_folder.ReportLogText().find("scene 2 has no creator"), std::string::npos);
}

TEST_F(SceneManagerTest, AFailingInitClosesTheProgramAndTheFrameGoesOn) {
  g_bThrowInInit = true;
  RunFrames(2);
  EXPECT_EQ(GetCloseRequestCount(), 1);
  // The scene carried on from state 0: its fade-in ran both steps.
  EXPECT_EQ(g_SceneManager.Scene(SCENE_TITLE)->m_nState, 1);
  EXPECT_EQ(g_counts[SCENE_TITLE].nInits, 1);
}
