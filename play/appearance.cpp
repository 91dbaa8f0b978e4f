// cPlayScene::UpdateAppearance: which objects take part in the sub-step.
// An object that has not appeared takes no part in hits and pickups and is
// not drawn; on screen is whether its box overlapped the view.

#include <algorithm>

#include "flow/runtime/conditions.h"
#include "play/play_scene.h"

void cPlayScene::UpdateAppearance() {
  if (cPlayer* lpHero = Hero()) {
    lpHero->m_bAppeared = 1;
    lpHero->m_bOnScreen = 1;
  }
  std::fill(m_vGroupActive.begin(), m_vGroupActive.end(), uint8_t{0});
  for (cItem& item : m_ItemList) {
    if (CheckItemConditions(item.m_Def, item.m_cCondLatch)) {
      item.m_bAppeared = 1;
      item.m_bOnScreen = item.IsOnScreen() ? 1 : 0;
    } else {
      item.m_bAppeared = item.m_bOnScreen = 0;
    }
  }
}
