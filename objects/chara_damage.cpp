// cChara: immunity against hits, damage and death.

#include <algorithm>
#include <cstdint>
#include <limits>

#include "objects/chara.h"
#include "objects/effect_object.h"
#include "objects/shot.h"
#include "objects/world.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/stage_globals.h"

namespace {

constexpr int kTriggerDamage = 1;
constexpr int kTriggerImpact = 2;
constexpr int kTriggerDeath = 3;
constexpr int kMaxScore = 999999;
constexpr int kMaxDamage = 999999;

// N times a stored count of frames, in sub-steps.
int32_t FramesToSubSteps(int32_t nFrames) {
  return static_cast<int32_t>(std::clamp<int64_t>(int64_t{nFrames} * g_Stage.m_nSubStep,
                                                  std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// The HP change of a hit of power p against defence d: a positive power
// less the defence, within 0..999999, as a loss; a power of 0 or below
// unchanged, so a negative one heals. The most negative power heals as much
// as an int holds.
int HpChange(int32_t nPower, int32_t nDefence) {
  int64_t p = nPower;
  if (p > 0) p = std::clamp<int64_t>(p - nDefence, 0, kMaxDamage);
  return static_cast<int>(std::min<int64_t>(-p, std::numeric_limits<int32_t>::max()));
}

}  // namespace

void cChara::TickImmunity() {
  if (m_nInvincible > 0) --m_nInvincible;
  std::erase_if(m_Immunity, [](IMMUNITY& entry) { return --entry.nLeft <= 0; });
}

void cChara::StartInvincibility() {
  m_nInvincible = FramesToSubSteps(m_nKind == OBJKIND_PLAYER ? g_Stage.m_nHeroInvincible
                                                             : g_Stage.m_nComInvincible);
}

void cChara::AddImmunity(int nAttackerId) {
  StartInvincibility();
  m_Immunity.push_back(
      {nAttackerId, FramesToSubSteps(m_nKind == OBJKIND_PLAYER ? g_Stage.m_nHeroImmunity
                                                               : g_Stage.m_nComImmunity)});
}

int cChara::IsImmuneTo(int nAttackerId) const {
  if (IsInvincible()) return 1;
  return std::ranges::any_of(
      m_Immunity, [&](const IMMUNITY& entry) { return entry.nAttackerId == nAttackerId; });
}

int cChara::DamageFromChara(const cChara& attacker) {
  const cEdChara& a = attacker.m_Def;
  const int r = ChangeHp(HpChange(a.m_nPower, m_Def.m_nDefence), 0, 1);
  if (a.m_nHitEffect != 0)
    PlayScene().m_EffectList.emplace_back().CreateHitEffect(a.m_nHitEffect, m_BoxA.rc,
                                                            attacker.m_BoxA.rc, a.m_nGiant);
  ImpactFromChara(attacker);
  if (a.m_nPower != 0) RaiseTrigger(kTriggerDamage);
  if (a.m_nImpact != 0) RaiseTrigger(kTriggerImpact);
  return r;
}

int cChara::DamageFromShot(const cShot& shot) {
  const cEdShot& s = shot.m_Settings;
  const int r = ChangeHp(HpChange(s.m_nPower, m_Def.m_nDefence), 0, 1);
  if (s.m_nHitEffect != 0)
    PlayScene().m_EffectList.emplace_back().CreateHitEffect(s.m_nHitEffect, m_BoxB.rc, shot.Hit(),
                                                            s.m_nGiant);
  ImpactFromShot(shot);
  if (s.m_nPower != 0) RaiseTrigger(kTriggerDamage);
  if (s.m_nImpact != 0) RaiseTrigger(kTriggerImpact);
  return r;
}

int cChara::Die() {
  RaiseTrigger(kTriggerDeath);
  RunFlows(1);
  g_PlayData.m_nGameScore = static_cast<int32_t>(
      std::clamp<int64_t>(int64_t{g_PlayData.m_nGameScore} + m_Def.m_nScore, 0, kMaxScore));
  const int r = DropCarriedItem(*this);
  if (PlayScene().m_nEndRequest == 1 || r == 1) return 1;
  UnlinkCharas();
  m_bDead = 1;
  // Only the death effect plays now: an effect that ran before, looping
  // perhaps, would keep the death from ever ending.
  m_CharaEffect.Reset();
  if (m_Def.m_nDeathEffect != 0)
    m_CharaEffect.StartCharaEffect(m_Def.m_nDeathEffect, m_Def.m_nDeathEffectMode, 0);
  return 0;
}
