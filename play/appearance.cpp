// cPlayScene::UpdateAppearance: which objects take part in the sub-step. An
// object that has not appeared takes no part in hits and is not drawn; on
// screen is whether its box overlaps the view. Of the computer characters
// that have appeared, only the active ones run their flows and move.

#include <algorithm>

#include "flow/runtime/conditions.h"
#include "play/play_scene.h"

void cPlayScene::UpdateAppearance() {
  if (cPlayer* lpHero = Hero()) {
    lpHero->m_bAppeared = 1;
    lpHero->m_bOnScreen = 1;
  }
  // The group flags are set by the view tests of every character before any
  // is activated, so that a character whose group mate is in view is active
  // in the same sub-step wherever it stands in the list.
  std::fill(m_vGroupActive.begin(), m_vGroupActive.end(), uint8_t{0});
  for (const std::unique_ptr<cComChara>& lpChara : m_CharaList) {
    cComChara& c = *lpChara;
    if (CheckCharacterConditions(c)) {
      c.m_bAppeared = 1;
      c.m_bOnScreen = c.IsOnScreen() ? 1 : 0;
      c.CheckAppear(m_vGroupActive);
    } else {
      c.m_bAppeared = c.m_bOnScreen = 0;
    }
  }
  for (const std::unique_ptr<cComChara>& lpChara : m_CharaList) {
    cComChara& c = *lpChara;
    c.Active() = c.m_bAppeared && c.Activate(m_vGroupActive) ? 1 : 0;
  }
  for (cItem& item : m_ItemList) {
    if (CheckItemConditions(item.m_Def, item.m_cCondLatch)) {
      item.m_bAppeared = 1;
      item.m_bOnScreen = item.IsOnScreen() ? 1 : 0;
    } else {
      item.m_bAppeared = item.m_bOnScreen = 0;
    }
  }
  for (cShot& shot : m_ShotList) {
    shot.m_bAppeared = 1;
    shot.m_bOnScreen = shot.IsOnScreen() ? 1 : 0;
  }
}
