// The golden run of the screen effects: a stage whose hero's flow starts
// the fourteen screen effects one after the other, with screen colours set,
// flashed and taken back on the way. The picture shown every fourth frame is
// held as a checksum in a golden file per back end (and one for the 8-bit
// palette display, where the colour is a palette tint). The files were
// made once, the pictures behind them looked at by hand, and are written
// afresh only with PLAYER_UPDATE_GOLDEN=1.

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

#include "flow/runtime/tests/flow_test_kit.h"
#include "records/database.h"
#include "stagedata/stage_globals.h"
#include "testing/golden.h"
#include "testing/play_world.h"

#ifndef PLAYER_GOLDEN_DIR
#error PLAYER_GOLDEN_DIR names the folder of the golden files
#endif

namespace {

// Blocks in a few places, so that every transform of the picture shows.
const std::vector<std::string> kStage = {
    "..............................",  //
    "..............................",  //
    "..............................",  //
    "....###.......................",  //
    "..............................",  //
    "..........#####...............",  //
    "..............................",  //
    "..................##..........",  //
    "..............................",  //
    "......H.......................",  //
    "##############################",  //
    "##############################",  //
};

struct SCREFFECTROW {
  int nKind;
  int32_t p[5];
  int nMode;  // run mode of the command that starts it
};

// Rows 1 to 14: every kind, each over three tenths, the last one (kind 0)
// without an end.
const SCREFFECTROW kRows[] = {
    {SCREFFECT_MOVE, {3, 0, 0, 64, -48}, 0}, {SCREFFECT_SHAKE_H, {3, 8, 2}, 0},
    {SCREFFECT_SHAKE_V, {3, 8, 2}, 0},       {SCREFFECT_SPLIT_H, {3, 0, 40, 15}, 0},
    {SCREFFECT_SPLIT_V, {3, 0, 40, 7}, 1},   {SCREFFECT_WAVE_H, {3, 0, 24, 2, 4}, 0},
    {SCREFFECT_WAVE_V, {3, 24, 0, 3, 8}, 0}, {SCREFFECT_BLINK, {3, 4}, 0},
    {SCREFFECT_ROTATE, {3, 0, 90}, 1},       {SCREFFECT_CIRCLE, {3, 400, 60, 4}, 0},
    {SCREFFECT_ZOOM, {3, 640, 1280}, 0},     {SCREFFECT_LENS, {3, 100, 300, 20, -10}, 0},
    {SCREFFECT_MOSAIC, {3, 1, 16}, 2},       {SCREFFECT_NONE, {3}, 0},
};

cFlowCommand ScreenColour(std::initializer_list<int32_t> params) {
  return MakeCommand(CMD_SCREEN_COLOR, 0, false, params);
}

// The hero's flow: each effect for four tenths; screen colours after the
// third, seventh, tenth and twelfth effects and with the last.
cFlow EffectFlow() {
  std::vector<cFlowCommand> commands;
  for (int n = 1; n <= static_cast<int>(std::size(kRows)); ++n) {
    commands.push_back(MakeCommand(CMD_SCREEN_EFFECT, 0, false, {n, kRows[n - 1].nMode}));
    if (n == 3) commands.push_back(ScreenColour({255, 0, 0, 50, 0, 5}));
    if (n == 7) commands.push_back(ScreenColour({0, 0, 0, 0, 1, 5}));
    if (n == 10) commands.push_back(ScreenColour({0, 0, 255, 80, 0, 1, 1, 3}));
    if (n == 12) commands.push_back(ScreenColour({0, 255, 0, 30, 0, 0}));
    if (n == 14) commands.push_back(ScreenColour({0, 0, 0, 0, 1, 3}));
    commands.push_back(MakeCommand(CMD_WAIT, 4));
  }
  return MakeFlow(0, std::move(commands));
}

constexpr int kFrames = 14 * 24 + 12;

std::vector<std::string> RunEffects(bool bGpu, int nBpp) {
  std::vector<std::string> lines;
  cPlayWorld world({.rows = kStage, .nLevel = 11, .bGpu = bGpu, .nBpp = nBpp});
  if (!world.m_bStarted) return lines;
  g_Stage.m_vBgLayer[0].m_nFillColour = 200;
  g_StageStart.CopySettingsFrom(g_Stage);
  g_Database.m_ScrEffect.assign(1 + std::size(kRows), cScrEffectDef());
  g_Database.m_ScrEffect[0].m_nKind = SCREFFECT_NONE;
  for (size_t i = 0; i < std::size(kRows); ++i) {
    cScrEffectDef& row = g_Database.m_ScrEffect[i + 1];
    row.m_nKind = kRows[i].nKind;
    std::copy(std::begin(kRows[i].p), std::end(kRows[i].p), row.m_anParam);
  }
  BuildDatabaseTables();
  for (cEdChara& chara : g_Stage.m_vPlacedChara) chara.m_vFlow.push_back(EffectFlow());
  world.Start();
  if (!world.RunUntilPlay()) return lines;
  for (int nFrame = 1; nFrame <= kFrames; ++nFrame) {
    world.Frame(0, 0);
    const uint64_t nSum = world.PresentChecksum();
    if (nFrame % 4 != 0) continue;
    char szLine[64];
    std::snprintf(szLine, sizeof(szLine), "frame %d %016" PRIx64, nFrame, nSum);
    lines.push_back(szLine);
  }
  return lines;
}

struct GOLDENRUN {
  const char* pszFile;
  bool bGpu;
  int nBpp;
};

class ScreenGolden : public ::testing::TestWithParam<GOLDENRUN> {};

TEST_P(ScreenGolden, EveryEffectShowsTheCheckedInPictures) {
  const GOLDENRUN& run = GetParam();
  const std::vector<std::string> lines = RunEffects(run.bGpu, run.nBpp);
  ASSERT_EQ(lines.size(), static_cast<size_t>(kFrames / 4));
  CheckGolden(std::string(PLAYER_GOLDEN_DIR) + "/" + run.pszFile, lines);
}

INSTANTIATE_TEST_SUITE_P(BackEnds, ScreenGolden,
                         ::testing::Values(GOLDENRUN{"screen_effects_surface.txt", false, 32},
                                           GOLDENRUN{"screen_effects_textured.txt", true, 32},
                                           GOLDENRUN{"screen_effects_palette.txt", false, 8}),
                         [](const ::testing::TestParamInfo<GOLDENRUN>& info) {
                           return info.param.bGpu        ? std::string("Textured")
                                  : info.param.nBpp == 8 ? std::string("Palette")
                                                         : std::string("Surface");
                         });

}  // namespace
