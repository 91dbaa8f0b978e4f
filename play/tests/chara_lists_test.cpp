// The character list of the play scene with its faction lists and the
// lookup by object id, which AddCharacter and RemoveCharacter keep together.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "testing/heap_peak.h"
#include "testing/play_fixture.h"

namespace {

// A stage that spawns a character whenever the oldest of three leaves, for
// as long as it is played: memory follows the characters alive, not the ids
// issued, and every live character is found by its id, every removed one
// no longer.
TEST(CharaListTest, ASteadySpawnerNeedsNoMoreMemoryThanItsLiveCharacters) {
  cPlayFixture fixture;
  cPlayScene& scene = fixture.Scene();
  int nRemovedId = -1;
  auto Spawn = [&](int i) {
    fixture.AddChara(400, 400, 16, 24, i % 3);
    if (scene.CharaList().size() <= 3) return;
    nRemovedId = scene.CharaList().front()->m_nId;
    scene.RemoveCharacter(scene.CharaList().begin());
  };
  int i = 0;
  for (; i < 100; ++i) Spawn(i);
  size_t nOneSpawn = 0;
  {
    const cHeapPeak one;
    Spawn(i++);
    nOneSpawn = one.Bytes();
  }
  const cHeapPeak peak;
  for (const int nEnd = i + 20000; i < nEnd; ++i) Spawn(i);
  EXPECT_LT(peak.Bytes(), 2 * nOneSpawn);

  std::set<int> ids;
  for (const auto& lpChara : scene.CharaList()) {
    ids.insert(lpChara->m_nId);
    EXPECT_EQ(scene.FindCharaById(lpChara->m_nId), lpChara.get());
    const cCharaPtrList& faction = scene.FactionCharas(lpChara->m_nFaction);
    EXPECT_EQ(std::count(faction.begin(), faction.end(), lpChara.get()), 1);
  }
  EXPECT_EQ(ids.size(), 3u);
  EXPECT_EQ(scene.FindCharaById(nRemovedId), nullptr);
  size_t nListed = 0;
  for (int f = 0; f < kFactions; ++f) nListed += scene.FactionCharas(f).size();
  EXPECT_EQ(nListed, 3u);
}

}  // namespace
