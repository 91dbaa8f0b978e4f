// Stand-in for the item code, so that the game library links before items
// exist: an item block gives nothing yet. It goes when items are built.

#include "play/play_scene.h"

int ApplyBlockItemToHero(const cEdItem& def, cPlayer& hero) {
  (void)def, (void)hero;
  return 0;
}
