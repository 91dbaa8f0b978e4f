// The item of an item block, given to the hero standing on the block.

#include "app/core/game_requests.h"
#include "objects/player.h"
#include "play/play_scene.h"
#include "stagedata/item.h"

int ApplyBlockItemToHero(const cEdItem& def, cPlayer& hero) {
  // An item without a picture, or one that is never taken, is scenery.
  if (def.m_nGraphic == 0 || def.m_nTakeMode == TAKEMODE_NEVER) return 0;
  // With m_bShowTaken the item's picture is to pop up above the hero; that
  // comes with the hero's pop-ups.
  PlayDatabaseSE(def.m_nTakeSound);
  return hero.RunItemCommands(def.m_vItemCommand);
}
