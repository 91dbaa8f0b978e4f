// The play scene's effects, pictures and messages: drawn in list order
// every frame, removed once over. A frame drawn while the game stands still only marks
// what is over: the game thread may be inside a command that holds a place
// in these lists, so the unlinking waits for the next frame of play.

#include <algorithm>
#include <iterator>

#include "app/core/scene.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/devices/ddraw_device.h"
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

void cPlayScene::DrawMessages(DDSURFACEDATA* lpTarget, int bFrozen) {
  DrawList(m_MessageList, bFrozen,
           [&](cMessage& message) { return message.Update(lpTarget, bFrozen); });
}

cMessage& cPlayScene::AddMessage(const MESSAGESETUP& setup, std::list<cMessage>::iterator where) {
  cMessage& message = *m_MessageList.emplace(where, setup);
  message.m_nSerial = ++m_nNextMessageSerial;
  return message;
}

cMessage* cPlayScene::FindMessage(uint32_t nSerial) {
  const auto it = std::ranges::find(m_MessageList, nSerial, &cMessage::m_nSerial);
  return it != m_MessageList.end() ? &*it : nullptr;
}

void cPlayScene::RemoveMessage(uint32_t nSerial) {
  std::erase_if(m_MessageList, [nSerial](const cMessage& m) { return m.m_nSerial == nSerial; });
}

bool cPlayScene::RestoreOwnSurfaces() {
  for (cPictureObject& picture : m_PictureList)
    if (!RestoreLostSurface(picture.m_Surface)) return false;
  // A text window's surface holds no picture of a file: it gets its memory
  // back, and its text is drawn again when it is next shown.
  for (cMessage& message : m_MessageList) {
    cDDrawSurface* lpSurface = message.m_Surface.DDSurface();
    if (lpSurface == nullptr || lpSurface->IsLost() != DDERR_SURFACELOST) continue;
    lpSurface->Restore();
    message.m_Surface.bLost = 1;
  }
  return true;
}
