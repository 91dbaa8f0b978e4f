#include "play/solid_charas.h"

int OverlapsSolidCharaExcept(const cGameObject& obj, const cCharaList& list, int nId) {
  if (obj.m_bFly && obj.m_cBlockMode == BLOCKMODE_PASS) return 0;
  for (const std::unique_ptr<cComChara>& lpChara : list) {
    const cChara& c = *lpChara;
    if (&c == &obj || !c.m_Def.m_bBlockChara || c.m_bDead || !c.m_bAppeared) continue;
    if (nId >= 0 && c.m_nId == nId) continue;
    if (!(obj.m_dX > c.m_dRight) && obj.m_dRight >= c.m_dX && !(obj.m_dY > c.m_dBottom) &&
        obj.m_dBottom >= c.m_dY)
      return 1;
  }
  return 0;
}

int OverlapsSolidChara(const cGameObject& obj, const cCharaList& list) {
  return OverlapsSolidCharaExcept(obj, list, -1);
}
