// Every character effect drawn in play, held to golden checksums of the
// presented frames on both back ends, for a normal hero and a giant one
// (whose cells take the resized forms). The hero appears with a circle that
// opens; then a flow runs the 16 kinds one after the other, half a second
// each. The files are made by running the test with
// PLAYER_UPDATE_GOLDEN=1 and were checked by looking at the frames.

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>

#include "flow/runtime/tests/flow_test_kit.h"
#include "play/tests/chara_effect_world.h"

#ifndef PLAYER_GOLDEN_DIR
#error PLAYER_GOLDEN_DIR names the folder of the golden files
#endif

namespace {

constexpr int kAppearance = 17;  // the row of the appearance effect
constexpr int kTenths = 5;       // each effect's run time and the wait after it
constexpr int kEvery = 6;        // frames between checksums

// Rows 1..16: kind k in row k, P0 = half a second; row 17 the appearance.
std::vector<CHARAEFFECTROW> Rows() {
  return {
      {CHARAEFFECT_BURST, {kTenths, 0, 16}},        {CHARAEFFECT_SPLIT_H, {kTenths, 0, 16, 4}},
      {CHARAEFFECT_SPLIT_V, {kTenths, 0, 16, 4}},   {CHARAEFFECT_WAVE_H, {kTenths, 0, 8, 2, 2}},
      {CHARAEFFECT_WAVE_V, {kTenths, 0, 8, 2, 2}},  {CHARAEFFECT_BLINK, {kTenths, 4}},
      {CHARAEFFECT_ROTATE_A, {kTenths, 0, 360}},    {CHARAEFFECT_ROTATE_B, {kTenths, 0, 360}},
      {CHARAEFFECT_ROTATE_DEPTH, {kTenths, 0, 32}}, {CHARAEFFECT_CIRCLE, {kTenths, 16, 4, 2}},
      {CHARAEFFECT_ZOOM, {kTenths, 32, 64}},        {CHARAEFFECT_LENS, {kTenths, 100, 20, 4, -4}},
      {CHARAEFFECT_TINT, {kTenths, 1, 4, 250}},     {CHARAEFFECT_TRANSLUCENT, {kTenths, 9999}},
      {CHARAEFFECT_MOSAIC, {kTenths, 1, 8}},        {CHARAEFFECT_BLUR, {kTenths, 1, 4}},
      {CHARAEFFECT_CIRCLE, {3, 0, 16, 1}},
  };
}

// The hero's flow that runs whenever it is not running: a wait while the
// appearance plays, then each kind in turn.
cFlow EffectFlow() {
  std::vector<cFlowCommand> commands;
  commands.push_back(MakeCommand(CMD_WAIT, 4));
  for (int k = 1; k < CHARAEFFECT_KINDS; ++k) {
    commands.push_back(MakeCommand(CMD_CHARA_EFFECT, 0, false, {k, 0, 0}));
    commands.push_back(MakeCommand(CMD_WAIT, kTenths));
  }
  return MakeFlow(0, std::move(commands));
}

struct GOLDENCASE {
  bool bGpu;
  int nGiant;
  const char* pszFile;
};

class CharaEffectGolden : public ::testing::TestWithParam<GOLDENCASE> {};

TEST_P(CharaEffectGolden, EveryKindDrawsTheFramesOfItsFile) {
  const GOLDENCASE& c = GetParam();
  cCharaEffectWorld w({.bGpu = c.bGpu, .rows = Rows(), .hero = [&](cEdChara& hero) {
                         hero.m_nGiant = static_cast<int8_t>(c.nGiant);
                         hero.m_nCharaEffect = kAppearance;
                         hero.m_bCharaEffectLoop = 0;
                         hero.m_vFlow.push_back(EffectFlow());
                       }});
  ASSERT_TRUE(w.m_bReady);
  ASSERT_EQ(w.Hero().m_CharaEffect.nEffect, kAppearance);
  std::vector<std::string> lines;
  const int nFrames = (4 + (CHARAEFFECT_KINDS - 1) * kTenths) * 6;
  for (int i = 1; i <= nFrames; ++i) {
    w.m_world.Frame(0, 0);
    const uint64_t nSum = w.m_world.PresentChecksum();
    if (i % kEvery != 0) continue;
    char sz[64];
    std::snprintf(sz, sizeof sz, "%d effect=%d %016" PRIx64, i, w.Hero().m_CharaEffect.nEffect,
                  nSum);
    lines.emplace_back(sz);
  }
  CheckGolden(std::string(PLAYER_GOLDEN_DIR) + "/" + c.pszFile, lines);
}

INSTANTIATE_TEST_SUITE_P(BackEnds, CharaEffectGolden,
                         ::testing::Values(GOLDENCASE{false, 1, "chara_effects_surface.txt"},
                                           GOLDENCASE{false, 2, "chara_effects_surface_giant.txt"},
                                           GOLDENCASE{true, 1, "chara_effects_textured.txt"},
                                           GOLDENCASE{true, 2, "chara_effects_textured_giant.txt"}),
                         [](const ::testing::TestParamInfo<GOLDENCASE>& info) {
                           return std::string(info.param.bGpu ? "Textured" : "Surface") +
                                  (info.param.nGiant > 1 ? "Giant" : "");
                         });

}  // namespace
