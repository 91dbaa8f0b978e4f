#include "objects/chara_search.h"

#include <cmath>
#include <limits>

#include "stagedata/stage_globals.h"

namespace {

const cChara& Deref(const cChara* p) { return *p; }
const cChara& Deref(const std::unique_ptr<cComChara>& p) { return *p; }
cChara* Ptr(cChara* p) { return p; }
cChara* Ptr(const std::unique_ptr<cComChara>& p) { return p.get(); }

bool Passes(const cChara& c, const CHARAFILTER& f) {
  if (c.m_bDead) return false;
  if (f.bByCid && c.m_Def.m_nCid != f.nCid) return false;
  if (f.bExcludeId && c.m_nId == f.nId) return false;
  if (f.bNoInvincible1 && c.m_Def.m_nInvincible == 1) return false;
  if (f.bNoInvincible2 && c.m_Def.m_nInvincible == 2) return false;
  if (f.bNoBlockChara && c.m_Def.m_bBlockChara) return false;
  return true;
}

template <class List>
cChara* FirstOf(const List& list, const CHARAFILTER& filter) {
  for (const auto& p : list)
    if (Passes(Deref(p), filter)) return Ptr(p);
  return nullptr;
}

// The nearest candidate for which bWanted(candidate) holds.
template <class List, class Wanted>
cChara* NearestOf(double x, double y, const List& list, const CHARAFILTER& filter, Wanted bWanted) {
  cChara* lpBest = nullptr;
  double dBest = std::numeric_limits<double>::infinity();
  for (const auto& p : list) {
    const cChara& c = Deref(p);
    if (!Passes(c, filter) || !bWanted(c)) continue;
    const double cx = c.m_rcScreen.left + (c.m_nSpriteW >> 1);
    const double cy = c.m_rcScreen.top + (c.m_nSpriteH >> 1);
    const double d = std::fabs(cx - x) + std::fabs(cy - y);
    if (d < dBest) {
      dBest = d;
      lpBest = Ptr(p);
    }
  }
  return lpBest;
}

template <class List>
cChara* ByRule(double x, double y, const List& list, int nRule, const CHARAFILTER& filter) {
  auto onScreen = [](const cChara& c) { return c.m_bAppeared && c.m_bOnScreen; };
  auto appeared = [](const cChara& c) { return c.m_bAppeared != 0; };
  auto offScreen = [](const cChara& c) { return c.m_bAppeared && !c.m_bOnScreen; };
  switch (nRule) {
    case 2:
      return NearestOf(x, y, list, filter, onScreen);
    case 1:
      return NearestOf(x, y, list, filter, appeared);
    case 0:
      if (cChara* lpChara = NearestOf(x, y, list, filter, onScreen)) return lpChara;
      return NearestOf(x, y, list, filter, offScreen);
    default:
      return nullptr;
  }
}

}  // namespace

cChara* FindFirstChara(const cCharaList& list, const CHARAFILTER& filter) {
  return FirstOf(list, filter);
}
cChara* FindFirstChara(const cCharaPtrList& list, const CHARAFILTER& filter) {
  return FirstOf(list, filter);
}

cChara* FindCharaByRule(double x, double y, const cCharaList& list, int nRule,
                        const CHARAFILTER& filter) {
  return ByRule(x, y, list, nRule, filter);
}
cChara* FindCharaByRule(double x, double y, const cCharaPtrList& list, int nRule,
                        const CHARAFILTER& filter) {
  return ByRule(x, y, list, nRule, filter);
}

cChara* FindNearestCharaTo(double x, double y, const cCharaPtrList& list) {
  CHARAFILTER filter;
  filter.bNoInvincible2 = 1;
  return FindCharaByRule(x, y, list, g_Stage.m_bActiveOnly ? 2 : 0, filter);
}

cChara* FindNearestChara(const cChara& chara, const cCharaPtrList& list) {
  return FindNearestCharaTo(chara.m_rcScreen.left + (chara.m_nSpriteW >> 1),
                            chara.m_rcScreen.top + (chara.m_nSpriteH >> 1), list);
}
