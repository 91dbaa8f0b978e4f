// cChara: immunity against hits and death.

#include <algorithm>

#include "objects/chara.h"
#include "objects/world.h"
#include "stagedata/progress/play_data.h"

namespace {

constexpr int kTriggerDeath = 3;
constexpr int kMaxScore = 999999;

}  // namespace

void cChara::TickImmunity() {
  if (m_nInvincible > 0) --m_nInvincible;
  for (auto it = m_Immunity.begin(); it != m_Immunity.end();) {
    if (--it->nLeft <= 0)
      it = m_Immunity.erase(it);
    else
      ++it;
  }
}

int cChara::Die() {
  RaiseTrigger(kTriggerDeath);
  RunFlows(1);
  g_PlayData.m_nGameScore = static_cast<int32_t>(
      std::clamp<int64_t>(int64_t{g_PlayData.m_nGameScore} + m_Def.m_nScore, 0, kMaxScore));
  // A carried item goes to the hero once items exist (GetCarriedItem gives
  // none until then).
  if (PlayScene().m_nEndRequest == 1) return 1;
  UnlinkCharas();
  m_bDead = 1;
  // Only the death effect plays now: an effect that ran before, looping
  // perhaps, would keep the death from ever ending.
  m_CharaEffect.Reset();
  if (m_Def.m_nDeathEffect != 0)
    m_CharaEffect.StartCharaEffect(m_Def.m_nDeathEffect, m_Def.m_nDeathEffectMode, 0);
  return 0;
}
