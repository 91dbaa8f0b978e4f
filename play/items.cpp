// The items of the play scene: the item list and the spawns that fill it,
// the sub-step's lifetimes and erase area, and the drawing of one depth
// layer. The pickup is in item_pickup.cpp.
//
// Items lie in a std::list, so that adding an item (a summon from a flow
// that the pickup's trigger started) leaves the place of every other item
// alone; an item leaves only through RemoveItem, whose result the walks go
// on from. Drawing never removes one: a frame drawn while the game stands
// still (a wait inside an item's commands) leaves the list as it found it.

#include <iterator>

#include "app/core/surface_tables.h"
#include "flow/shot_settings.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/dd_device.h"
#include "play/play_scene.h"
#include "stagedata/stage_globals.h"

namespace {

constexpr int kMarkSheet = 43;

}  // namespace

cItem& cPlayScene::AddItem(cItem&& item) { return m_ItemList.emplace_back(std::move(item)); }

cItemList::iterator cPlayScene::RemoveItem(cItemList::const_iterator it) {
  return m_ItemList.erase(it);
}

void cPlayScene::SpawnStageItems(int tx, int ty, const cEdItem& placement) {
  cItem item;
  item.Init(m_nNextItemId, placement, 0);
  item.SetTile(tx, ty);
  item.ShiftBy(placement.PixelOffsetX(), placement.PixelOffsetY());
  if (!item.IsInsideStage(1)) return;
  item.ClampX(2);
  item.ClampY(2);
  AddItem(std::move(item)).UpdateScreenRect();
  ++m_nNextItemId;
}

cItem* cPlayScene::SpawnItemAt(double x, double y, const cEdShot& settings, const cEdItem& def) {
  cItem item;
  item.Init(m_nNextItemId, def, 0);
  item.m_dX = x + item.m_nBoxX;
  item.m_dY = y + item.m_nBoxY;
  item.m_dRight = item.m_dX + item.m_nBoxW - 1;
  item.m_dBottom = item.m_dY + item.m_nBoxH - 1;
  item.ShiftBy(def.PixelOffsetX(), def.PixelOffsetY());
  if (!item.IsInsideStage(1)) return nullptr;
  item.ClampX(2);
  item.ClampY(2);
  // Tenths of a second: 6 frames of N sub-steps each.
  if (settings.m_bLife) item.m_nLifetime = settings.m_nLife * 6 * g_Stage.m_nSubStep;
  cItem& listed = AddItem(std::move(item));
  ++m_nNextItemId;
  return &listed;
}

void cPlayScene::StepItemLifetimes() {
  for (auto it = m_ItemList.begin(); it != m_ItemList.end();) {
    cItem& item = *it;
    if (item.m_nLifetime != NO_LIFETIME && --item.m_nLifetime < 0)
      it = RemoveItem(it);
    else
      ++it;
  }
}

void cPlayScene::EraseItemsOutside() {
  if (!m_bEraseItem) return;
  for (auto it = m_ItemList.begin(); it != m_ItemList.end();)
    it = it->IsOutsideArea(g_Stage.m_EraseItem) ? RemoveItem(it) : std::next(it);
}

void cPlayScene::DrawItems(int nLayer, int nLayers, int bFrozen) {
  // Sorted by sheet, the mark sheet last: the marks lie over every item.
  DDBeginBatch(1);
  DDRegisterBatchSource(&g_SurfaceTable[kMarkSheet]);
  for (cItem& item : m_ItemList) {
    if (nLayers != 1 && nLayer != item.m_Def.m_nZ) continue;
    if (!item.m_bOnScreen || item.m_bCarried) continue;
    item.UpdateScreenRect();
    item.Draw(&g_BackBufferSD, bFrozen);
  }
  DDEndBatch();
}
