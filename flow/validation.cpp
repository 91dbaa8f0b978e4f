#include "flow/validation.h"

#include <algorithm>
#include <limits>

#include "records/database.h"

ValidationContext MakeDatabaseContext(const cDatabase& db) {
  ValidationContext ctx;
  ctx.nAnimeRows = static_cast<int>(db.m_Anime.size());
  ctx.nAnimeSetRows = static_cast<int>(db.m_AnimeSet.size());
  ctx.nEffectRows = static_cast<int>(db.m_Effect.size());
  ctx.nCharaEffectRows = static_cast<int>(db.m_CharaEffect.size());
  ctx.nScrEffectRows = static_cast<int>(db.m_ScrEffect.size());
  ctx.nPictureRows = static_cast<int>(db.m_Picture.size());
  ctx.nSoundRows = static_cast<int>(db.m_Sound.size());
  ctx.nBgmRows = static_cast<int>(db.m_Bgm.size());
  ctx.vSwordTimes.reserve(db.m_SwordType.size());
  for (const cSwordTypeDef& sword : db.m_SwordType) {
    int64_t nSum = 0;
    for (const cSwordFrame& frame : sword.m_Frames) nSum += frame.m_nDuration;
    nSum = std::clamp<int64_t>(nSum, std::numeric_limits<int32_t>::min(),
                               std::numeric_limits<int32_t>::max());
    ctx.vSwordTimes.push_back(static_cast<int32_t>(nSum));
  }
  return ctx;
}
