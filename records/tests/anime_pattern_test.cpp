// cAnimePattern: step timing, end codes, hold flag and table loading.

#include "records/anime_pattern.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/base/close_request.h"
#include "testing/game_folder.h"

namespace {

ANIMEPATTERN Pattern(std::initializer_list<ANIMESTEP> steps) { return ANIMEPATTERN(steps); }

// Values returned by n calls of Step.
std::vector<int> StepValues(cAnimePattern& anime, int nCalls) {
  std::vector<int> values;
  for (int i = 0; i < nCalls; ++i) values.push_back(anime.Step());
  return values;
}

std::vector<int> Repeat(int nValue, int nTimes) { return std::vector<int>(nTimes, nValue); }

std::vector<int> Concat(std::initializer_list<std::vector<int>> parts) {
  std::vector<int> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST(AnimePattern, RestartCodeLoopsWithEachStepShownForItsDuration) {
  cTestGameFolder folder;
  cAnimePattern anime;
  anime.m_Patterns.push_back(Pattern({{0, 15, 0}, {1, 15, 0}, {-2, 0, 0}}));
  ASSERT_EQ(anime.SetPattern(0, 1), 1);
  EXPECT_EQ(anime.GetValue(), 0);
  EXPECT_EQ(StepValues(anime, 60),
            Concat({Repeat(0, 14), Repeat(1, 15), Repeat(0, 15), Repeat(1, 15), Repeat(0, 1)}));
  EXPECT_EQ(GetCloseRequestCount(), 0);
}

TEST(AnimePattern, EndCodes) {
  struct Case {
    const char* name;
    ANIMEPATTERN pattern;
    int nCalls;
    std::vector<int> expected;
  };
  const Case cases[] = {
      {"one-shot -4 is returned on the 21st call",
       Pattern({{0, 7, 0}, {1, 7, 0}, {2, 7, 0}, {-4, 0, 0}}), 21,
       Concat({Repeat(0, 6), Repeat(1, 7), Repeat(2, 7), {-4}})},
      {"-1 holds the last step", Pattern({{5, 3, 0}, {-1, 0, 0}}), 8, Concat({Repeat(5, 8)})},
      {"durations 0 and 1 advance on every call",
       Pattern({{3, 0, 0}, {4, 1, 0}, {6, 2, 0}, {-2, 0, 0}}),
       6,
       {4, 6, 6, 3, 4, 6}},
      {"any other negative code is itself the value",
       Pattern({{1, 2, 0}, {-9, 5, 0}}),
       3,
       {1, -9, -9}},
  };
  for (const Case& c : cases) {
    cTestGameFolder folder;
    cAnimePattern anime;
    anime.m_Patterns.push_back(c.pattern);
    anime.SetPattern(0, 1);
    EXPECT_EQ(StepValues(anime, c.nCalls), c.expected) << c.name;
    EXPECT_EQ(GetCloseRequestCount(), 0) << c.name;
  }
}

TEST(AnimePattern, ContinueCodeSwitchesPatternEvenPastAHoldingStep) {
  cTestGameFolder folder;
  cAnimePattern anime;
  anime.m_Patterns.push_back(Pattern({{1, 2, 1}, {-3, 2, 0}}));
  anime.m_Patterns.push_back(Pattern({{10, 1, 0}, {-2, 0, 0}}));
  anime.m_Patterns.push_back(Pattern({{20, 2, 0}, {21, 2, 0}, {-2, 0, 0}}));
  anime.SetPattern(0, 1);
  EXPECT_EQ(StepValues(anime, 4), (std::vector<int>{1, 20, 20, 21}));
  EXPECT_EQ(anime.m_nPattern, 2);
  EXPECT_EQ(GetCloseRequestCount(), 0);
}

TEST(AnimePattern, HoldFlagRefusesUnforcedChanges) {
  cTestGameFolder folder;
  cAnimePattern anime;
  for (int i = 0; i < 5; ++i)
    anime.m_Patterns.push_back(Pattern({{i * 10, 2, i == 0}, {-2, 0, 0}}));
  anime.SetPattern(0, 1);
  anime.Step();
  EXPECT_EQ(anime.SetPattern(4, 0), 0);
  EXPECT_EQ(anime.ChangePattern(4, 0), 0);
  EXPECT_EQ(anime.m_nPattern, 0);
  EXPECT_EQ(anime.m_nTick, 1);  // the current pattern keeps running
  EXPECT_EQ(anime.ChangePattern(4, 1), 1);
  EXPECT_EQ(anime.m_nPattern, 4);
  EXPECT_EQ(anime.GetValue(), 40);
  EXPECT_EQ(anime.m_nFrame, 0);
  // Pattern 4 does not hold, so unforced changes go through again.
  EXPECT_EQ(anime.SetPattern(1, 0), 1);
  EXPECT_EQ(anime.GetValue(), 10);
}

TEST(AnimePattern, ChangeToTheCurrentPatternKeepsItsPlaceWhileSetRestarts) {
  cTestGameFolder folder;
  cAnimePattern anime;
  anime.m_Patterns.push_back(Pattern({{0, 2, 0}, {1, 2, 0}, {-2, 0, 0}}));
  anime.SetPattern(0, 1);
  StepValues(anime, 3);
  ASSERT_EQ(anime.m_nFrame, 1);
  ASSERT_EQ(anime.m_nTick, 1);
  EXPECT_EQ(anime.ChangePattern(0, 0), 1);
  EXPECT_EQ(anime.m_nFrame, 1);
  EXPECT_EQ(anime.m_nTick, 1);
  EXPECT_EQ(anime.SetPattern(0, 0), 1);
  EXPECT_EQ(anime.m_nFrame, 0);
  EXPECT_EQ(anime.m_nTick, 0);
}

TEST(AnimePattern, SetPatternsLoadsStaticListsAndResetsCounters) {
  cTestGameFolder folder;
  static const ANIMESTEPDEF walk[] = {{0, 4, 0}, {1, 4, 1}, {-2, 0, 0}, {7, 7, 7}};
  static const ANIMESTEPDEF endOnly[] = {{-4, 0, 0}};
  static const ANIMESTEPDEF* const list[] = {walk, endOnly, nullptr};

  cAnimePattern anime;
  anime.SetPatterns(nullptr);
  EXPECT_TRUE(anime.m_Patterns.empty());

  anime.m_Patterns.push_back(Pattern({{9, 1, 0}, {-2, 0, 0}}));
  anime.m_nPattern = 0;
  anime.m_nFrame = 1;
  anime.m_nTick = 3;
  anime.SetPatterns(nullptr);  // untouched
  EXPECT_EQ(anime.m_Patterns.size(), 1u);
  EXPECT_EQ(anime.m_nFrame, 1);
  EXPECT_EQ(anime.m_nTick, 3);

  anime.SetPatterns(list);
  ASSERT_EQ(anime.m_Patterns.size(), 2u);
  EXPECT_EQ(anime.m_Patterns[0], Pattern({{0, 4, 0}, {1, 4, 1}, {-2, 0, 0}}));
  EXPECT_EQ(anime.m_Patterns[1], Pattern({{-4, 0, 0}}));
  EXPECT_EQ(anime.m_nPattern, 0);
  EXPECT_EQ(anime.m_nFrame, 0);
  EXPECT_EQ(anime.m_nTick, 0);
}

TEST(AnimePattern, EmptyTableStepsToZeroAndClearEmpties) {
  cTestGameFolder folder;
  cAnimePattern anime;
  EXPECT_EQ(anime.Step(), 0);
  anime.m_Patterns.push_back(Pattern({{3, 1, 0}, {-2, 0, 0}}));
  anime.m_nTick = 5;
  cAnimePattern copy;
  copy = anime;
  EXPECT_EQ(copy.m_Patterns, anime.m_Patterns);
  EXPECT_EQ(copy.m_nTick, 5);
  anime.Clear();
  EXPECT_TRUE(anime.m_Patterns.empty());
  EXPECT_EQ(anime.m_nTick, 0);
  EXPECT_EQ(anime.Step(), 0);
  EXPECT_EQ(GetCloseRequestCount(), 0);
}

TEST(AnimePattern, BadIndexesAreReportedNotReadOutside) {
  cTestGameFolder folder;
  cAnimePattern anime;
  anime.m_Patterns.push_back(Pattern({{1, 1, 0}, {-4, 0, 0}}));
  anime.m_Patterns.push_back(Pattern({{2, 1, 0}, {-3, 9, 0}}));
  anime.SetPattern(0, 1);
  EXPECT_EQ(anime.Step(), -4);
  // Stepping past a final code reads step 0 in place of the missing one.
  EXPECT_EQ(anime.Step(), 1);
  EXPECT_EQ(GetCloseRequestCount(), 1);
  // A -3 step naming a pattern beyond the table continues with pattern 0.
  anime.SetPattern(1, 1);
  EXPECT_EQ(anime.Step(), 1);
  EXPECT_EQ(anime.m_nPattern, 9);
  EXPECT_EQ(GetCloseRequestCount(), 2);
  EXPECT_EQ(folder.ReportLogText(), "err V[2] ( 2 , 12 )\nerr V[9] ( 2 , 16 )\n");
}

}  // namespace
