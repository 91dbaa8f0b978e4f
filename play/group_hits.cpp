// cPlayScene::HitGroups: the hits between the factions of a sub-step, after
// every object has moved. Objects of one faction never hit each other; an
// object takes part when it has appeared, is not dead and, with the stage's
// on-screen-only switch, is on screen.
//
// The order is the game's: factions in number order, objects in list order,
// and the first death or item that ends the sub-step ends the hits there.
// Death flows run inside the walk and may summon (characters are appended
// to their lists, which keep their nodes in place) or stop the game for a
// nested loop (its frozen frames unlink nothing), so the walk holds list
// iterators and tests every object's part again when it reaches it.

#include "app/core/game_requests.h"
#include "play/play_scene.h"
#include "stagedata/stage_globals.h"

namespace {

constexpr int kTriggerTouched = 4;
constexpr int kSoundHit = 7;
constexpr int kSoundKilled = 9;

bool TakesPart(const cChara& c) {
  return c.m_bAppeared && !c.m_bDead && (!g_Stage.m_bActiveOnly || c.m_bOnScreen);
}

// A character that touches others: it takes part and is not a block
// character (block characters are solid, not hostile).
bool Touches(const cChara& c) { return TakesPart(c) && !c.m_Def.m_bBlockChara; }

bool HasForce(const cChara& c) { return c.m_Def.m_nPower != 0 || c.m_Def.m_nImpact != 0; }

}  // namespace

int cPlayScene::HitGroups() {
  if (const int r = HitCharasWithCharas()) return r;
  return 0;
}

int cPlayScene::HitCharasWithCharas() {
  for (int i = 0; i < kFactions; ++i) {
    for (int j = i + 1; j < kFactions; ++j) {
      cCharaPtrList& listI = m_vFactionChara[static_cast<size_t>(i)];
      cCharaPtrList& listJ = m_vFactionChara[static_cast<size_t>(j)];
      if (listI.empty() || listJ.empty()) continue;
      for (cChara* lpO : listI) {
        for (cChara* lpQ : listJ) {
          // O may have died at the last Q.
          if (!Touches(*lpO)) break;
          if (!Touches(*lpQ) || !IsDRectOverlap(lpO->m_BoxA.rc, lpQ->m_BoxA.rc)) continue;
          if (const int r = TouchCharas(*lpO, *lpQ)) return r;
        }
      }
    }
  }
  return 0;
}

int cPlayScene::TouchCharas(cChara& o, cChara& q) {
  o.RaiseTrigger(kTriggerTouched);
  q.RaiseTrigger(kTriggerTouched);
  const bool bHitO = HasForce(q) && !o.IsImmuneTo(q.m_nId);
  const bool bHitQ = HasForce(o) && !q.IsImmuneTo(o.m_nId);
  const int bDiedO = bHitO ? o.DamageFromChara(q) : 0;
  const int bDiedQ = bHitQ ? q.DamageFromChara(o) : 0;
  if (!bHitO && !bHitQ) return 0;
  PlaySE(kSoundHit);
  if (bHitO)
    if (const int r = AfterCharaHit(o, bDiedO, q.m_nId)) return r;
  if (bHitQ)
    if (const int r = AfterCharaHit(q, bDiedQ, o.m_nId)) return r;
  return 0;
}

int cPlayScene::AfterCharaHit(cChara& target, int bDied, int nAttackerId) {
  if (!bDied) {
    target.AddImmunity(nAttackerId);
    return 0;
  }
  if (target.m_nKind == OBJKIND_COM) PlaySE(kSoundKilled);
  const int r = ResolveDeath(target);
  return r == 1 || r == 2 ? r : 0;
}
