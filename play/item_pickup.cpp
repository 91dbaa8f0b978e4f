// The hero takes items: those it touches on the map, and those that reach it
// another way (an item block, a shot's item, a defeated character's) as an
// item built on the spot and applied once.
//
// An item's commands may start a wait that the pause thread shows while
// this thread stands still inside the command; its frames only draw the
// items. The walk over the list visits the items listed when it began: one
// added under it (a summon of a flow that trigger 8 started) waits for the
// next sub-step, and the item taken leaves through the list's own erase.

#include "app/core/game_requests.h"
#include "objects/player.h"
#include "objects/world.h"
#include "play/play_scene.h"

namespace {

constexpr int kTriggerItem = 8;

}  // namespace

int ApplyItemToHero(const cItem* lpItem, cPlayer& hero) {
  if (lpItem == nullptr) return 0;
  const cEdItem& def = lpItem->m_Def;
  if (def.m_nGraphic == 0 || def.m_nTakeMode == TAKEMODE_NEVER || !lpItem->m_bAppeared) return 0;
  if (def.m_bShowTaken)
    hero.PopText(def.m_nGraphicKind, static_cast<int16_t>(lpItem->m_nGraphic), def.m_nGraphicRow);
  PlayDatabaseSE(def.m_nTakeSound);
  return hero.RunItemCommands(def.m_vItemCommand);
}

int DropCarriedItem(cChara& chara) {
  cPlayer* lpHero = PlayScene().Hero();
  if (lpHero == nullptr || lpHero == &chara) return 0;
  return ApplyItemToHero(chara.GetCarriedItem(), *lpHero);
}

int cPlayScene::HeroTouchesItems(cPlayer& hero) {
  auto it = m_ItemList.begin();
  for (size_t n = m_ItemList.size(); n > 0 && it != m_ItemList.end(); --n) {
    cItem& item = *it;
    const int nMode = item.m_Def.m_nTakeMode;
    if (!item.m_bAppeared || item.m_bCarried || nMode == TAKEMODE_NEVER) {
      ++it;
      continue;
    }
    if (!IsDRectOverlap(item.Box(), hero.m_BoxC.rc)) {
      // Left behind: the next touch counts again.
      if (nMode == TAKEMODE_REPEAT) hero.ForgetTouched(item.m_nId);
      ++it;
      continue;
    }
    hero.RaiseTrigger(kTriggerItem);
    if (nMode == TAKEMODE_REPEAT) {
      if (!hero.IsNotTouching(item.m_nId)) {
        ++it;
        continue;
      }
      hero.m_TouchedIds.push_back(item.m_nId);
    }
    const int r = ApplyItemToHero(&item, hero);
    it = nMode == TAKEMODE_ONCE ? RemoveItem(it) : std::next(it);
    if (r != 0) return r;
  }
  return 0;
}
