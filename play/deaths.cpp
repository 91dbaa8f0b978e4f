// Deaths and removal of characters: the hero's death, the kill routine of the
// play frame, the check of the deaths and vanishings that flows left behind,
// lifetimes and erase areas. A character that vanished (消滅), ran out of
// lifetime or left its erase area leaves quietly, without its death or its
// score; one whose HP ran out dies.

#include "app/base/report_log.h"
#include "app/core/game_requests.h"
#include "play/play_scene.h"
#include "records/system.h"
#include "stagedata/stage_globals.h"

void cPlayScene::EnterStageClear() {
  FinishClearedStage();
  m_nState = 4;
}

void cPlayScene::HeroDies(const char* pszTrace) {
  if (pszTrace != nullptr) TraceLog(pszTrace);
  PlaySE(8);
  if (Hero()->Die() == 1) EnterStageClear();
}

int cPlayScene::ResolveDeath(cChara& chara) {
  if (chara.m_nKind == OBJKIND_PLAYER) return 2;
  if (chara.m_bDead) return 0;
  return chara.Die();
}

bool cPlayScene::EndByResult(int r) {
  if (r == 1)
    EnterStageClear();
  else if (r == 2)
    HeroDies(nullptr);
  return r == 1 || r == 2;
}

int cPlayScene::HandleCharaDeath(cChara& chara) {
  const int r = ResolveDeath(chara);
  EndByResult(r);
  return r;
}

int cPlayScene::SettleCharaDeath(cCharaList::iterator& it) {
  const int r = HandleCharaDeath(**it);
  if (g_System.KeepDefeated() && r != 1) {
    // It stays for its dying display, out of play by its dead flag.
    PlaySE(9);
    ++it;
  } else {
    it = RemoveCharacter(it);
  }
  return r;
}

int cPlayScene::KillMovedChara(cCharaList::iterator& it) {
  PlaySE(9);
  const int r = HandleCharaDeath(**it);
  if (r == 1)
    it = RemoveCharacter(it);
  else
    ++it;
  return r;
}

int cPlayScene::CheckDeaths() {
  cPlayer& hero = *Hero();
  if (hero.m_nHp <= 0) {
    HeroDies(nullptr);
    return 1;
  }
  for (auto it = m_CharaList.begin(); it != m_CharaList.end();) {
    cChara& chara = **it;
    if (chara.m_bVanish) {
      it = RemoveCharacter(it);
    } else if (chara.m_nHp > 0) {
      ++it;
    } else if (SettleCharaDeath(it) != 0) {
      return 1;
    }
  }
  return 0;
}

void cPlayScene::StepCharaLifetimes() {
  for (auto it = m_CharaList.begin(); it != m_CharaList.end();) {
    cChara& c = **it;
    if (!c.m_bDead && c.m_nLifetime != NO_LIFETIME && --c.m_nLifetime < 0)
      it = RemoveCharacter(it);
    else
      ++it;
  }
}

void cPlayScene::EraseCharasOutside() {
  for (auto it = m_CharaList.begin(); it != m_CharaList.end();) {
    cChara& c = **it;
    const bool bBlock = c.m_Def.m_bBlockChara != 0;
    const bool bErase = bBlock ? m_bEraseBlockChara : m_bEraseChara;
    const cEdEraseArea& area = bBlock ? g_Stage.m_EraseBlockChara : g_Stage.m_EraseChara;
    if (bErase && !c.m_bDead && c.m_bAppeared && c.IsOutsideArea(area))
      it = RemoveCharacter(it);
    else
      ++it;
  }
}
