#include "play/play_scene.h"

void cPlayScene::RegisterChara(cChara& chara) {
  if (chara.m_nId < 0) return;
  const size_t nId = static_cast<size_t>(chara.m_nId);
  if (nId >= m_vCharaById.size()) m_vCharaById.resize(nId + 1, nullptr);
  m_vCharaById[nId] = &chara;
}

void cPlayScene::UnregisterChara(const cChara& chara) {
  if (chara.m_nId < 0 || static_cast<size_t>(chara.m_nId) >= m_vCharaById.size()) return;
  cChara*& slot = m_vCharaById[static_cast<size_t>(chara.m_nId)];
  if (slot == &chara) slot = nullptr;
}

cChara* cPlayScene::FindCharaById(int nId) {
  for (cPlayer& hero : Player)
    if (hero.m_nId == nId) return &hero;
  if (nId < 0 || static_cast<size_t>(nId) >= m_vCharaById.size()) return nullptr;
  return m_vCharaById[static_cast<size_t>(nId)];
}
