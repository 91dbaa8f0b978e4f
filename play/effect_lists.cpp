// The play scene's effects and pictures: drawn in list order every frame,
// removed once over. A frame drawn while the game stands still only marks
// what is over: the game thread may be inside a command that holds a place
// in these lists, so the unlinking waits for the next frame of play.

#include <iterator>

#include "app/core/scene.h"
#include "platform/draw/dd_blit.h"
#include "play/play_scene.h"

namespace {

// Draws every element of the list that `draw` takes (drawing it, 1 when it
// is over) and unlinks the ended ones outside frozen frames.
template <class List, class Draw>
void DrawList(List& list, int bFrozen, Draw draw) {
  for (auto it = list.begin(); it != list.end();) {
    if (!it->m_bEnded && draw(*it) == 0) {
      ++it;
    } else if (bFrozen) {
      it->m_bEnded = 1;
      ++it;
    } else {
      it = list.erase(it);
    }
  }
}

}  // namespace

void cPlayScene::DrawEffects(DDSURFACEDATA* lpTarget, int bFrozen) {
  DDBeginBatch(0);
  DrawList(m_EffectList, bFrozen,
           [&](cEffectObject& effect) { return effect.Draw(lpTarget, bFrozen); });
  DDEndBatch();
}

void cPlayScene::DrawPictures(DDSURFACEDATA* lpTarget, int bFront, int bFrozen) {
  DrawList(m_PictureList, bFrozen, [&](cPictureObject& picture) {
    return picture.m_nLayer == bFront ? picture.Draw(lpTarget, bFrozen) : 0;
  });
}

cPictureObject& cPlayScene::AddPicture(const PICTURESETUP& setup, DDSURFACEDATA&& surface,
                                       std::list<cPictureObject>::iterator where) {
  cPictureObject& picture = *m_PictureList.emplace(where, setup, std::move(surface));
  picture.m_nSerial = ++m_nNextPictureSerial;
  return picture;
}

void cPlayScene::RemovePicture(uint32_t nSerial) {
  std::erase_if(m_PictureList,
                [nSerial](const cPictureObject& p) { return p.m_nSerial == nSerial; });
}

void cPlayScene::ClearPictures() { m_PictureList.clear(); }

bool cPlayScene::RestoreOwnSurfaces() {
  for (cPictureObject& picture : m_PictureList)
    if (!RestoreLostSurface(picture.m_Surface)) return false;
  return true;
}
