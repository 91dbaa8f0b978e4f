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
// iterators and tests every object's part again when it reaches it. A shot
// leaves in the middle of a walk only through RemoveShot, which gives the
// node after it in its faction list.

#include <algorithm>

#include "app/core/game_requests.h"
#include "objects/item.h"
#include "objects/shot.h"
#include "play/play_scene.h"
#include "stagedata/stage_globals.h"

namespace {

constexpr int kTriggerTouched = 4;
constexpr int kTriggerShot = 7;
constexpr int kSoundHit = 7;
constexpr int kSoundKilled = 9;

bool TakesPart(const cChara& c) {
  return c.m_bAppeared && !c.m_bDead && (!g_Stage.m_bActiveOnly || c.m_bOnScreen);
}

// A character that touches others: it takes part and is not a block
// character (block characters are solid, not hostile).
bool Touches(const cChara& c) { return TakesPart(c) && !c.m_Def.m_bBlockChara; }

bool HasForce(const cChara& c) { return c.m_Def.m_nPower != 0 || c.m_Def.m_nImpact != 0; }

bool ShotTakesPart(const cShot& s) {
  return s.m_bAppeared && (!g_Stage.m_bActiveOnly || s.m_bOnScreen);
}

// A character shots can hit: it takes part and is not untouchable by shots
// (無敵 2). Block characters are hit.
bool Shootable(const cChara& c) { return TakesPart(c) && c.m_Def.m_nInvincible != 2; }

// A shot that does something when it hits: power, impact or an item.
bool ShotHasEffect(const cShot& s) {
  return s.m_Settings.m_nPower != 0 || s.m_Settings.m_nImpact != 0 || s.m_Settings.m_nItemSrc != 0;
}

bool HasHit(const cShot& s, const cChara& c) {
  return std::ranges::find(s.m_vHitIds, c.m_nId) != s.m_vHitIds.end();
}

DRECT ObjectBox(const cShot& s) { return {s.m_dX, s.m_dY, s.m_dRight, s.m_dBottom}; }

// The durability of a shootable shot, a signed byte.
int Durability(const cShot& s) { return static_cast<int8_t>(s.m_Settings.m_nShotStrength); }

}  // namespace

int cPlayScene::HitGroups() {
  if (ShotsHitThisSubStep())
    if (const int r = HitCharasWithShots()) return r;
  if (const int r = HitCharasWithCharas()) return r;
  HitShotsWithShots();
  return 0;
}

bool cPlayScene::ShotsHitThisSubStep() const {
  if (g_Stage.m_nHitSteps == 0) return true;
  // Outside the sub-step loop (tests) the first sub-step's flag.
  const size_t i = static_cast<size_t>(std::max(m_nSubStepNo, 1) - 1);
  return i < m_vHitSubStep.size() && m_vHitSubStep[i] != 0;
}

int cPlayScene::HitCharasWithShots() {
  for (int f = 0; f < kFactions; ++f) {
    cShotPtrList& shots = m_vFactionShot[static_cast<size_t>(f)];
    for (int g = 0; g < kFactions; ++g) {
      cCharaPtrList& charas = m_vFactionChara[static_cast<size_t>(g)];
      if (g == f || shots.empty() || charas.empty()) continue;
      for (auto itShot = shots.begin(); itShot != shots.end();) {
        cShot& shot = **itShot;
        bool bVanish = false;
        if (ShotTakesPart(shot)) {
          for (cChara* lpChara : charas) {
            cChara& k = *lpChara;
            if (!Shootable(k) || !IsDRectOverlap(k.m_BoxB.rc, shot.Hit()) || HasHit(shot, k))
              continue;
            if (const int r = ShotHits(shot, k, bVanish)) return r;
          }
        }
        // A bullet that hit goes once it has met the whole faction.
        itShot = bVanish ? RemoveShot(shot) : std::next(itShot);
      }
    }
  }
  return 0;
}

int cPlayScene::ShotHits(cShot& shot, cChara& k, bool& bVanish) {
  k.RaiseTrigger(kTriggerShot);
  if (!ShotHasEffect(shot) || k.IsInvincible()) return 0;
  if (k.DamageFromShot(shot)) {
    if (k.m_nKind == OBJKIND_COM) PlaySE(kSoundKilled);
    const int r = ResolveDeath(k);
    if (r == 1 || r == 2) return r;
  } else {
    PlaySE(kSoundHit);
    k.StartInvincibility();
  }
  // A sword hits each character once and goes on; a bullet likewise when it
  // pierces characters of k's kind, otherwise it vanishes.
  const cEdShot& s = shot.m_Settings;
  const bool bPierce = k.m_Def.m_bBlockChara ? s.m_bPierceBlockChara : s.m_bPierceChara;
  if (!shot.m_bIsShot || bPierce)
    shot.m_vHitIds.push_back(k.m_nId);
  else
    bVanish = true;
  // The item the shot carries goes to the hero.
  if (s.m_nItemSrc == 0) return 0;
  const cEdItem* lpDef = GetItemDef(s.m_nItemSrc, s.m_nItemNo);
  if (lpDef == nullptr) return 0;
  cItem item;
  item.Init(0, *lpDef, 0);
  item.m_bAppeared = 1;
  return ApplyItemToHero(&item, *Hero());
}

void cPlayScene::HitShotsWithShots() {
  for (int i = 0; i < kFactions; ++i) {
    for (int j = i + 1; j < kFactions; ++j) {
      cShotPtrList& listI = m_vFactionShot[static_cast<size_t>(i)];
      cShotPtrList& listJ = m_vFactionShot[static_cast<size_t>(j)];
      if (listI.empty() || listJ.empty()) continue;
      // Nothing of list j can be shot down: a shot of list i that cannot be
      // shot either meets nothing there. No flow runs in this phase, so the
      // count changes only by the shots it destroys.
      int nShootableJ = static_cast<int>(std::ranges::count_if(
          listJ, [](const cShot* lpShot) { return lpShot->m_Settings.m_bBreakable != 0; }));
      for (auto itU = listI.begin(); itU != listI.end();) {
        cShot& u = **itU;
        const bool bShootableU = u.m_Settings.m_bBreakable != 0;
        if (!bShootableU && nShootableJ == 0) {
          ++itU;
          continue;
        }
        bool bDestroyU = false;
        for (auto itS = listJ.begin(); itS != listJ.end();) {
          cShot& s = **itS;
          const bool bShootableS = s.m_Settings.m_bBreakable != 0;
          if ((!bShootableU && !bShootableS) || !IsDRectOverlap(ObjectBox(u), ObjectBox(s))) {
            ++itS;
            continue;
          }
          // The weaker goes (both when they are equal); one that cannot be
          // shot outlasts one that can.
          const bool bBoth = bShootableU && bShootableS;
          if (bShootableU && (!bBoth || Durability(s) >= Durability(u))) bDestroyU = true;
          if (bShootableS && (!bBoth || Durability(s) <= Durability(u))) {
            itS = RemoveShot(s);
            --nShootableJ;
          } else {
            ++itS;
          }
        }
        itU = bDestroyU ? RemoveShot(u) : std::next(itU);
      }
    }
  }
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
