// A line of コードの実行, run as the command runs it: by a computer character
// with a target, beside the hero, on a small stage; then once more by the
// target, which has no target of its own. Whatever the line, every value it
// could assign must stay within its bounds afterwards. Every input starts
// from the same stage, characters, variables and generator.

#include <cstdlib>
#include <string>

#include "app/base/random.h"
#include "flow/runtime/expression.h"
#include "flow/runtime/status_values.h"
#include "fuzz/fuzz_support.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/stage_globals.h"
#include "testing/play_fixture.h"

namespace {

void Check(bool bHolds) {
  if (!bHolds) std::abort();
}

void CheckRange(int32_t v, STATUSRANGE range) { Check(v >= range.nMin && v <= range.nMax); }

void CheckChara(const cChara& c) {
  Check(c.m_nHp >= 0 && c.m_nHp <= c.m_Def.m_nMaxHp);
  Check(c.m_nSp >= 0 && c.m_nSp <= c.m_Def.m_nMaxSp);
  Check(c.m_Def.m_nMaxHp >= 1 && c.m_Def.m_nMaxSp >= 1);
  for (int s = CHARASTATUS_MAXHP; s < CHARASTATUS_COUNT; ++s)
    CheckRange(ReadCharaStatus(c, s, 0), kCharaStatusRange[s]);
  for (int32_t v : c.m_vVars) CheckRange(v, kVariableRange);
}

void SetUpChara(cChara& c) {
  c.m_Def.m_nMaxHp = c.m_Def.m_nMaxSp = 100;
  c.m_nHp = c.m_nSp = 50;
}

// The stage, built once; each input starts from the state it was built in.
struct WORLD {
  cPlayFixture fixture{{.nWidth = 20, .nHeight = 15}};
  cPlayer& hero = fixture.AddHero(200, 200);
  cTestChara& chara = fixture.AddChara(400, 400);
  cTestChara& target = fixture.AddChara(500, 400);
  cPlayer heroStart;
  cTestChara charaStart;
  cTestChara targetStart;
  cScrollAxis scrollXStart;
  cScrollAxis scrollYStart;

  WORLD() {
    SetUpChara(hero);
    SetUpChara(chara);
    SetUpChara(target);
    chara.SetTarget(&target);
    heroStart = hero;
    charaStart = chara;
    targetStart = target;
    scrollXStart = fixture.Scene().m_ScrollX;
    scrollYStart = fixture.Scene().m_ScrollY;
  }

  void Restart() {
    hero = heroStart;
    chara = charaStart;
    target = targetStart;
    cPlayScene& scene = fixture.Scene();
    scene.m_ScrollX = scrollXStart;
    scene.m_ScrollY = scrollYStart;
    scene.m_vStageVar.assign(kStageVars, 0);
    scene.m_nTimeLeft = 100;
    scene.m_bCodeKill = 0;
    g_Stage.m_nAutoScrollSpeedX = g_Stage.m_nAutoScrollSpeedY = 0;
    g_PlayData.m_CommonVars.assign(kCommonVarCount, 0);
    g_PlayData.m_nLives = 3;
    g_PlayData.m_nGameScore = 0;
    SeedRand(1);
  }
};

// Kept for the life of the process (never destroyed: the globals it puts
// back on destruction may be gone by then).
WORLD* g_lpWorld = nullptr;

}  // namespace

void FuzzTargetSetUp() {
  g_PlayData.Reset();
  g_lpWorld = new WORLD;
}

void FuzzOneInput(const uint8_t* lpData, size_t nSize) {
  BeginFuzzInput();
  WORLD& w = *g_lpWorld;
  w.Restart();
  const std::string strLine(reinterpret_cast<const char*>(lpData), nSize);
  ExecuteCode(strLine, w.chara);
  ExecuteCode(strLine, w.target);

  for (const cChara* c : {static_cast<const cChara*>(&w.hero), static_cast<const cChara*>(&w.chara),
                          static_cast<const cChara*>(&w.target)})
    CheckChara(*c);
  for (int32_t v : g_PlayData.m_CommonVars) CheckRange(v, kVariableRange);
  for (int32_t v : w.fixture.Scene().m_vStageVar) CheckRange(v, kVariableRange);
  for (int s = 0; s < SYSSTATUS_COUNT; ++s) CheckRange(ReadSystemStatus(s), kSystemStatusRange[s]);
}
