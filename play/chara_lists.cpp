// The computer characters of the play scene: the character list, the
// faction lists and the lookup by object id, which change together.
//
// Object ids come from a counter that only grows within an attempt, so a
// stage that keeps spawning issues ever larger ids while few characters
// live: the lookup is a hash table of the live characters, whose size
// follows them and not the ids issued.

#include "play/play_scene.h"

cCharaPtrList& cPlayScene::FactionList(const cChara& chara) {
  return m_vFactionChara[static_cast<size_t>(chara.m_nFaction & (kFactions - 1))];
}

const cCharaPtrList& cPlayScene::FactionCharas(int nFaction) const {
  return m_vFactionChara[static_cast<size_t>(nFaction & (kFactions - 1))];
}

cComChara& cPlayScene::AddCharacter(std::unique_ptr<cComChara> lpChara) {
  cComChara& chara = *m_CharaList.emplace_back(std::move(lpChara));
  m_CharaById[chara.m_nId] = &chara;
  FactionList(chara).push_back(&chara);
  m_bBlockCharasStale = true;
  return chara;
}

void cPlayScene::UnregisterChara(const cChara& chara) {
  const auto it = m_CharaById.find(chara.m_nId);
  if (it != m_CharaById.end() && it->second == &chara) m_CharaById.erase(it);
}

cCharaList::iterator cPlayScene::RemoveCharacter(cCharaList::const_iterator it) {
  cChara& chara = **it;
  chara.UnlinkCharas();
  // From every faction list: its faction may have changed since it came.
  for (cCharaPtrList& faction : m_vFactionChara) faction.remove(&chara);
  UnregisterChara(chara);
  m_bBlockCharasStale = true;
  return m_CharaList.erase(it);
}

void cPlayScene::ClearCharacters() {
  m_vFactionChara.assign(kFactions, cCharaPtrList());
  m_CharaById.clear();
  m_CharaList.clear();
  m_bBlockCharasStale = true;
}

const std::vector<cComChara*>& cPlayScene::BlockCharas() {
  if (m_bBlockCharasStale) {
    m_vBlockCharas.clear();
    for (const std::unique_ptr<cComChara>& lpChara : m_CharaList)
      if (lpChara->m_Def.m_bBlockChara) m_vBlockCharas.push_back(lpChara.get());
    m_bBlockCharasStale = false;
  }
  return m_vBlockCharas;
}

cChara* cPlayScene::FindCharaById(int nId) {
  for (cPlayer& hero : Player)
    if (hero.m_nId == nId) return &hero;
  const auto it = m_CharaById.find(nId);
  return it != m_CharaById.end() ? it->second : nullptr;
}
