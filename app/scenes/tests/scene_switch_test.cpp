// Switching between the real front-end scenes on both back ends: a scene
// fades in from black at the scene manager's fade speed, fades out to black,
// and the end of its fade-out fills the screen with the scene colour and
// makes the next scene current; the old scene goes in the next frame.

#include <gtest/gtest.h>

#include <vector>

#include "app/core/menu_cursor.h"
#include "app/core/system_ini.h"
#include "app/scenes/option_scene.h"
#include "app/scenes/scene_common.h"
#include "app/scenes/tests/scene_world.h"
#include "app/scenes/title_scene.h"
#include "platform/input/input_state.h"
#include "records/system.h"

namespace {

int Green(uint32_t c) { return static_cast<int>(c >> 8 & 0xFF); }

class SceneSwitch : public ::testing::TestWithParam<bool> {
 protected:
  SceneSwitch() : world(GetParam()) {}
  // The green channel of a pixel of the title picture, frame by frame, while
  // the current scene stays in nState; at most 30 frames.
  std::vector<int> GreenWhile(int nScene, int nState) {
    std::vector<int> greens;
    for (int i = 0; i < 30; ++i) {
      world.Frame();
      greens.push_back(Green(world.PixelAt(5, 5)));
      if (g_SceneManager.m_nScene != nScene || world.Current()->m_nState != nState) break;
    }
    return greens;
  }
  bool FilledWithSceneColour() const {
    for (int y = 0; y < 480; y += 37)
      for (int x = 0; x < 640; x += 41)
        if (world.IndexAt(x, y) != static_cast<int>(kSceneFillColour)) return false;
    return true;
  }
  cSceneWorld world;
};

TEST_P(SceneSwitch, TheTitleFadesInAndOutAndTheOptionsComeNext) {
  ASSERT_TRUE(world.m_bStarted);
  g_System.m_bMenuPicture = 0;
  g_SceneManager.m_nTitleChoice = TITLE_OPTIONS;
  constexpr int kTitleGreen = 255 - kColourTitle;

  // Fade step 10: ten frames from black to the whole picture, ever brighter.
  const std::vector<int> in = GreenWhile(SCENE_TITLE, cTitleScene::STATE_FADEIN);
  ASSERT_EQ(in.size(), 10u);
  EXPECT_EQ(in.front(), 0);
  EXPECT_EQ(in.back(), kTitleGreen);
  for (size_t i = 1; i < in.size(); ++i) EXPECT_GT(in[i], in[i - 1]) << i;
  EXPECT_EQ(world.Current()->m_nState, cTitleScene::STATE_MENU);
  EXPECT_EQ(world.IndexAt(5, 5), kColourTitle);

  // The choice leaves for the options: ten frames down to black; the last one
  // ends with the screen filled and the options current.
  InputDevices().SetKey(scenekey::kDecide, true);
  world.Frame();
  InputDevices().SetKey(scenekey::kDecide, false);
  ASSERT_EQ(world.Current()->m_nState, cTitleScene::STATE_FADEOUT);
  const std::vector<int> out = GreenWhile(SCENE_TITLE, cTitleScene::STATE_FADEOUT);
  ASSERT_EQ(out.size(), 10u);
  for (size_t i = 1; i + 1 < out.size(); ++i) EXPECT_LT(out[i], out[i - 1]) << i;
  EXPECT_EQ(g_SceneManager.m_nScene, SCENE_OPTION);
  EXPECT_EQ(g_SceneManager.m_nPrevScene, SCENE_TITLE);
  EXPECT_TRUE(FilledWithSceneColour());
  EXPECT_EQ(g_MenuCursor.Depth(), 1);
  EXPECT_NE(g_SceneManager.Scene(SCENE_TITLE), nullptr);  // until the next frame

  // The next frame deletes the title and fades the options in from black.
  world.Frame();
  EXPECT_EQ(g_SceneManager.Scene(SCENE_TITLE), nullptr);
  ASSERT_NE(world.As<cOptionScene>(), nullptr);
  EXPECT_EQ(world.Current()->m_nState, cOptionScene::STATE_FADEIN);
  EXPECT_EQ(world.PixelAt(5, 5), 0u);
  EXPECT_TRUE(world.Enter(SCENE_OPTION));
}

// "FPS%2d(%2d)": with setting 1 in a font-1 window at (495, 463), with 2 in
// font 0 at (549, 469) without a window, with 0 not at all.
TEST(FrameRateReadout, IsDrawnWhereTheSettingSays) {
  struct INIGUARD {
    SYSTEMINIDATA saved = g_SystemIni;
    ~INIGUARD() { g_SystemIni = saved; }
  } iniGuard;
  cSceneWorld world;
  ASSERT_TRUE(world.m_bStarted);
  g_SceneManager.m_nScene = SCENE_TITLE;
  ASSERT_TRUE(world.Enter(SCENE_TITLE));
  auto textPixels = [&](int x0, int y0, int nWidth, int nHeight) {
    int n = 0;
    for (int y = y0; y < y0 + nHeight; ++y)
      for (int x = x0; x < x0 + nWidth; ++x) n += world.IndexAt(x, y) == 241;
    return n;
  };

  g_SystemIni.ShowFps = 0;
  ASSERT_EQ(g_SceneManager.RunFrame(), 1);
  EXPECT_TRUE(world.IsFilled(488, 456, 152, 24, kColourTitle));

  g_SystemIni.ShowFps = 1;
  ASSERT_EQ(g_SceneManager.RunFrame(), 1);
  EXPECT_EQ(world.IndexAt(493, 470), kColourTitle);
  EXPECT_EQ(world.IndexAt(494, 462), 240);  // the window's frame around (495, 463)
  EXPECT_EQ(world.IndexAt(494, 479), 240);
  EXPECT_EQ(world.IndexAt(496, 464), kColourWindow);
  EXPECT_GT(textPixels(495, 463, 144, 16), 0);

  g_SystemIni.ShowFps = 2;
  ASSERT_EQ(g_SceneManager.RunFrame(), 1);
  EXPECT_TRUE(world.IsFilled(488, 456, 152, 13, kColourTitle));
  EXPECT_TRUE(world.IsFilled(488, 469, 61, 11, kColourTitle));
  EXPECT_GT(textPixels(549, 469, 91, 10), 0);
}

INSTANTIATE_TEST_SUITE_P(BackEnds, SceneSwitch, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? std::string("Textured") : std::string("Surface");
                         });

}  // namespace
