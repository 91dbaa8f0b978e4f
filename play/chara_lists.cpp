// The computer characters of the play scene: the character list, the
// faction lists and the lookup by object id, which change together.

#include "play/play_scene.h"

cCharaPtrList& cPlayScene::FactionList(const cChara& chara) {
  return m_vFactionChara[static_cast<size_t>(chara.m_nFaction & (kFactions - 1))];
}

const cCharaPtrList& cPlayScene::FactionCharas(int nFaction) const {
  return m_vFactionChara[static_cast<size_t>(nFaction & (kFactions - 1))];
}

cChara& cPlayScene::AddCharacter(std::unique_ptr<cChara> lpChara) {
  cChara& chara = *m_CharaList.emplace_back(std::move(lpChara));
  if (chara.m_nId >= 0) {
    const size_t nId = static_cast<size_t>(chara.m_nId);
    if (nId >= m_vCharaById.size()) m_vCharaById.resize(nId + 1, nullptr);
    m_vCharaById[nId] = &chara;
  }
  FactionList(chara).push_back(&chara);
  return chara;
}

void cPlayScene::UnregisterChara(const cChara& chara) {
  if (chara.m_nId < 0 || static_cast<size_t>(chara.m_nId) >= m_vCharaById.size()) return;
  cChara*& slot = m_vCharaById[static_cast<size_t>(chara.m_nId)];
  if (slot == &chara) slot = nullptr;
}

cCharaList::iterator cPlayScene::RemoveCharacter(cCharaList::const_iterator it) {
  cChara& chara = **it;
  chara.UnlinkCharas();
  // From every faction list: its faction may have changed since it came.
  for (cCharaPtrList& faction : m_vFactionChara) faction.remove(&chara);
  UnregisterChara(chara);
  return m_CharaList.erase(it);
}

void cPlayScene::ClearCharacters() {
  m_vFactionChara.assign(kFactions, cCharaPtrList());
  m_vCharaById.clear();
  m_CharaList.clear();
}

cChara* cPlayScene::FindCharaById(int nId) {
  for (cPlayer& hero : Player)
    if (hero.m_nId == nId) return &hero;
  if (nId < 0 || static_cast<size_t>(nId) >= m_vCharaById.size()) return nullptr;
  return m_vCharaById[static_cast<size_t>(nId)];
}
