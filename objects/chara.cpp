// cChara: construction, copies, the start of life, the flow and runner lists,
// the animations started by flows, placement and the links between
// characters.

#include "objects/chara.h"

#include <climits>

#include "objects/world.h"
#include "records/anime_db.h"
#include "records/database.h"
#include "records/system.h"
#include "stagedata/stage_globals.h"

cCharaFields::cCharaFields() = default;
cCharaFields::cCharaFields(const cCharaFields& other) = default;
cCharaFields& cCharaFields::operator=(const cCharaFields& other) = default;
cCharaFields::~cCharaFields() = default;

// ---- Construction and copies -----------------------------------------------------

cChara::cChara() {
  // A new character stands nowhere and has met no wall yet: Reset gives the
  // start-of-life values.
  m_nWallSide = 0;
}

cChara::cChara(const cChara& other) : cGameObject(other), cCharaFields(other) { BindFlows(); }

cChara& cChara::operator=(const cChara& other) {
  cChara::CopyCharaFrom(other);
  return *this;
}

cChara::~cChara() = default;

void cChara::CopyCharaFrom(const cChara& other) {
  if (this == &other) return;
  cGameObject::operator=(other);
  cCharaFields::operator=(other);
  // The copied runners still point into other's flows.
  BindFlows();
}

// ---- Start of life ---------------------------------------------------------------

void cChara::Reset(const cEdChara* lpDef, double x, double y, int16_t sCopyIndex) {
  m_sCopyIndex = sCopyIndex;
  m_vShots.clear();
  const cPlayer* lpHero = g_lpPlayScene != nullptr ? g_lpPlayScene->Hero() : nullptr;
  m_nTargetId = lpHero != nullptr ? lpHero->m_nId : -1;

  m_nRunnerKey = 0;
  m_vTagActive.assign(kFlowTags, 0);
  m_vTagEnded.assign(kFlowTags, 0);
  m_vTagStarted.assign(kFlowTags, 0);
  m_bTagEndRequest = 0;
  m_bDeleteRequest = 0;
  m_dHomeX = x;
  m_dHomeY = y;

  m_dKnockX = m_dKnockY = m_dAppliedKnockY = 0.0;
  m_bKnocked = 0;
  m_bNoGravity = 0;
  m_bJumping = m_bJumpRise = m_bJumpBlocked = 0;
  m_nAirTime = 0;
  m_nFootCell = m_nStoodCell = m_nStoodCellStart = -1;
  m_nModeGrace = 0;
  m_bPinX = m_bPinY = m_nPinX = m_nPinY = 0;
  m_bDead = 0;
  m_nDyingFrames = 0;
  ClearLRUD();
  m_bLeftGround = 0;
  m_bOnChara = 0;
  m_nRiddenId = -1;
  m_nWallSide = -1;
  m_bAirborne = 1;

  m_nHp = m_nSp = 0;
  m_HpGauge = GAUGEANIM{};
  m_SpGauge = GAUGEANIM{};
  m_vVars.assign(kCharaVars, 0);
  if (lpDef != nullptr) {
    m_Def = *lpDef;
    m_nHp = m_Def.m_nMaxHp;
    m_nSp = m_Def.m_nMaxSp;
  }

  m_bScrollSync = m_Def.m_bScrollSync;
  m_bVanish = 0;
  m_nSightDots = m_Def.m_nSight * 16;
  m_dStop = PercentPerSubstep(m_Def.m_nStop);

  m_nInvincible = 0;
  m_Immunity.clear();
  m_CharaEffect.Reset();
  if (m_Def.m_nCharaEffect != 0)
    m_CharaEffect.StartCharaEffect(m_Def.m_nCharaEffect, m_Def.m_nCharaEffectMode,
                                   m_Def.m_bCharaEffectLoop);
  SetAnimeSet(m_Def.m_nAnimeSet, 1);
  m_AnimePlays.clear();
}

// ---- Flows and runners -----------------------------------------------------------

void cChara::SetFlows(const cFlowList& flows, int nFacing, int bAppend, int nIndex) {
  int nFirst = 0;
  int nCount = 0;
  cFlowList& own = m_Def.m_vFlow;
  if (!bAppend) {
    // flows is the own list.
    m_vRunners.clear();
    m_vRunners.resize(own.size());
    nCount = static_cast<int>(own.size());
  } else {
    // flows may lie inside the own list (the nested flows of a command of
    // one of them): copy them before the list grows.
    const cFlowList added = flows;
    nCount = static_cast<int>(added.size());
    const bool bInsert = nIndex >= 0 && static_cast<size_t>(nIndex) < own.size();
    nFirst = bInsert ? nIndex : static_cast<int>(m_vRunners.size());
    const int nFlowAt = bInsert ? nIndex : static_cast<int>(own.size());
    own.insert(own.begin() + nFlowAt, added.begin(), added.end());
    m_vRunners.insert(m_vRunners.begin() + std::min<size_t>(nFirst, m_vRunners.size()),
                      static_cast<size_t>(nCount), cFlowRunner());
  }
  for (int j = 0; j < nCount; ++j) {
    const int nSlot = nFirst + j;
    cFlow& flow = own.At(nSlot);
    cFlowRunner& runner = m_vRunners.At(nSlot);
    runner.Build(*this, flow, nSlot, nFacing);
    if (bAppend && flow.m_bKeyLevel == 0) runner.m_bKeyLatch = 1;
  }
  if (bAppend) BindFlows();
}

void cChara::BindFlows() {
  cFlowList& flows = m_Def.m_vFlow;
  const size_t nCount = std::min(flows.size(), m_vRunners.size());
  for (size_t i = 0; i < nCount; ++i) m_vRunners[i].Bind(flows[i], static_cast<int>(i));
}

void cChara::AssignRunners(const cCheckedVector<cFlowRunner>& runners) {
  m_vRunners = runners;
  BindFlows();
}

void cChara::DeleteFlow(int nSlot) {
  cFlowRunner& runner = m_vRunners.At(nSlot);
  runner.Stop(*this);
  RemoveAnimesOfFlow(runner.m_nKey);
  cFlowList& flows = m_Def.m_vFlow;
  if (nSlot >= 0 && static_cast<size_t>(nSlot) < flows.size()) flows.erase(flows.begin() + nSlot);
  if (nSlot >= 0 && static_cast<size_t>(nSlot) < m_vRunners.size())
    m_vRunners.erase(m_vRunners.begin() + nSlot);
  BindFlows();
}

int cChara::DeleteFlowsById(int8_t cId) {
  cFlowList& flows = m_Def.m_vFlow;
  if (cId == 0) {
    for (cFlowRunner& runner : m_vRunners) runner.Stop(*this);
    m_vRunners.clear();
    flows.clear();
    m_AnimePlays.clear();
    return 0;
  }
  int nFirst = -1;
  for (size_t i = 0; i < flows.size();) {
    if (flows[i].m_cId == cId) {
      if (nFirst < 0) nFirst = static_cast<int>(i);
      DeleteFlow(static_cast<int>(i));
    } else {
      ++i;
    }
  }
  return nFirst;
}

void cChara::ResetTriggerLatches() {
  for (cFlowRunner& runner : m_vRunners) {
    runner.m_bTested = 0;
    runner.m_bStarted = 0;
  }
  std::fill(m_vTagStarted.begin(), m_vTagStarted.end(), 0);
}

// ---- Animations ------------------------------------------------------------------

void cChara::SetAnimeSet(int16_t sNumber, int bForce) {
  if (!bForce && sNumber == m_Def.m_nAnimeSet) return;
  m_Def.m_nAnimeSet = sNumber;
  cCheckedVector<ANIMEPATTERN>& patterns = m_Anime.m_Patterns;
  patterns.clear();
  const cAnimeSetDef& set = g_Database.m_AnimeSet.At(sNumber);
  patterns.resize(set.m_Slots.size());
  for (size_t i = 0; i < set.m_Slots.size(); ++i) {
    ANIMEPATTERN& pattern = patterns[i];
    for (const cAnimeFrame& frame : set.m_Slots[i].m_Frames)
      pattern.push_back({frame.m_nCell, TenthsToFrames(frame.m_nDuration), 1});
    pattern.push_back({-2, 0, 1});
  }
  m_Anime.m_nFrame = 0;
  m_Anime.m_nTick = 0;
}

void cChara::RemoveAnimesOfFlow(int nKey) {
  m_AnimePlays.remove_if([nKey](const ANIMEPLAY& play) { return play.nKey == nKey; });
}

void cChara::PauseAnimesOfFlow(int nKey) {
  for (auto it = m_AnimePlays.begin(); it != m_AnimePlays.end();) {
    if (it->nKey != nKey) {
      ++it;
    } else if (static_cast<int64_t>(it->nLength) + it->nHold - 1 < 0) {
      it = m_AnimePlays.erase(it);
    } else {
      it->bPaused = 1;
      ++it;
    }
  }
}

void cChara::ResumeAnimesOfFlow(int nKey) {
  for (ANIMEPLAY& play : m_AnimePlays)
    if (play.nKey == nKey) play.bPaused = 0;
}

int cChara::CurrentAnimeCell(int bNoAdvance) {
  if (!bNoAdvance) {
    m_Anime.Step();
    for (auto it = m_AnimePlays.begin(); it != m_AnimePlays.end();) {
      if (it->bPaused) {
        ++it;
      } else if (it->Pattern.Step() == -4) {
        it = m_AnimePlays.erase(it);  // a one-shot animation that has ended
      } else {
        --it->nLength;
        ++it;
      }
    }
  }
  if (m_AnimePlays.empty()) return m_Anime.GetValue();

  // Priority entries win over plain ones: among them the one with the least
  // time left, except that once two have run out, the one that ran out
  // last (the largest length not above 0) is shown.
  const ANIMEPLAY* lpChosen = nullptr;
  int nBest = INT_MAX;
  bool bSettled = false;
  for (const ANIMEPLAY& play : m_AnimePlays) {
    if (play.bPaused) continue;
    if (bSettled) {
      if (play.nLength <= 0 && nBest <= 0 && play.nLength > nBest) {
        lpChosen = &play;
        nBest = play.nLength;
      }
    } else if (play.bPriority) {
      if (play.nLength <= 0 && nBest <= 0) {
        lpChosen = &play;
        nBest = play.nLength;
        bSettled = true;
      } else if (play.nLength < nBest) {
        lpChosen = &play;
        nBest = play.nLength;
      }
    } else if (lpChosen == nullptr) {
      lpChosen = &play;
      nBest = INT_MAX;
    }
  }
  return lpChosen != nullptr ? lpChosen->Pattern.GetValue() : m_Anime.GetValue();
}

// ---- Placement -------------------------------------------------------------------

void cChara::SetCenter(int x, int y) {
  SetCenterX(x);
  SetCenterY(y);
}

void cChara::SetCenterX(int x) {
  const int c = m_rcScreen.left + m_nSpriteW / 2;
  m_dX += x - c;
  AfterMoveX();
}

void cChara::SetCenterY(int y) {
  const int c = m_rcScreen.top + m_nSpriteH / 2;
  m_dY += y - c;
  AfterMoveY();
}

namespace {

void StopCommand(COMMANDSTATE* lpState) {
  if (lpState == nullptr) return;
  lpState->m_dVX = 0.0;
  lpState->m_dVY = 0.0;
}

}  // namespace

void cChara::SetCenterStop(int x, int y, COMMANDSTATE* lpState) {
  SetCenter(x, y);
  StopCommand(lpState);
}

void cChara::SetCenterXStop(int x, COMMANDSTATE* lpState) {
  SetCenterX(x);
  StopCommand(lpState);
}

void cChara::SetCenterYStop(int y, COMMANDSTATE* lpState) {
  SetCenterY(y);
  StopCommand(lpState);
}

void cChara::ReanchorY(int nNew, int nOld) {
  if (nNew == nOld) return;
  const int d = nNew - nOld;
  if (g_System.ScaleFromHitBoxBottom())
    m_dY -= m_nBaseBoxH * d;
  else
    m_dY -= d * (m_nBaseSpriteH - m_nBaseBoxY);
  AfterMoveY();
}

void SetCentredBox(HITBOX& box, const cGameObject& obj, int nWidth, int nHeight) {
  box.nX = box.nBaseX = 16 - nWidth / 2 - obj.m_nBoxX;
  box.nY = box.nBaseY = 16 - nHeight / 2 - obj.m_nBoxY;
  box.nWidth = box.nBaseWidth = nWidth;
  box.nHeight = box.nBaseHeight = nHeight;
}

void ScaleBox(HITBOX& box, int nScale) {
  box.nX = nScale * box.nBaseX;
  box.nY = nScale * box.nBaseY;
  box.nWidth = nScale * box.nBaseWidth;
  box.nHeight = nScale * box.nBaseHeight;
}

void UpdateBoxEdgesX(HITBOX& box, double x) {
  box.rc.x1 = TruncInt(x) + box.nX;
  box.rc.x2 = box.rc.x1 + box.nWidth - 1;
}

void UpdateBoxEdgesY(HITBOX& box, double y) {
  box.rc.y1 = TruncInt(y) + box.nY;
  box.rc.y2 = box.rc.y1 + box.nHeight - 1;
}

void cChara::SetBoxA(int bBottomAlign, int nWidth, int nHeight) {
  m_BoxA.nX = m_BoxA.nBaseX = 16 - m_nBoxX - nWidth / 2;
  m_BoxA.nY = m_BoxA.nBaseY = bBottomAlign ? 32 - m_nBoxY - nHeight : 16 - m_nBoxY - nHeight / 2;
  m_BoxA.nWidth = m_BoxA.nBaseWidth = nWidth;
  m_BoxA.nHeight = m_BoxA.nBaseHeight = nHeight;
}

void cChara::SetTile(int tx, int ty) {
  SetTileX(tx);
  SetTileY(ty);
}

void cChara::SetTileX(int tx) {
  m_dX = (tx + PlayScene().m_ScrollX.m_nMargin) * 32 + m_nBaseBoxX + 0.5;
  ReanchorX(m_Def.m_nGiant, 1);
  AfterMoveX();
}

void cChara::SetTileY(int ty) {
  m_dY = (ty + PlayScene().m_ScrollY.m_nMargin) * 32 + m_nBaseBoxY;
  ReanchorY(m_Def.m_nGiant, 1);
  AfterMoveY();
}

void cChara::SetTilePos(int tx, int ty) {
  m_dX = (tx + PlayScene().m_ScrollX.m_nMargin) * 32 + m_nBaseBoxX + 0.5;
  m_dY = (ty + PlayScene().m_ScrollY.m_nMargin) * 32 + m_nBaseBoxY;
  Reanchor(m_Def.m_nGiant, 1);
  AfterMoveX();
  AfterMoveY();
}

// ---- Links -----------------------------------------------------------------------

cChara* cChara::GetTarget() const { return m_nTargetId < 0 ? nullptr : FindCharaById(m_nTargetId); }

void cChara::SetTarget(cChara* lpTarget) {
  m_nTargetId = lpTarget != nullptr ? lpTarget->m_nId : -1;
}

void cChara::UnlinkCharas() {
  if (g_lpPlayScene != nullptr) {
    cPlayScene& scene = *g_lpPlayScene;
    for (cPlayer& hero : scene.Player)
      if (hero.m_nTargetId == m_nId) hero.m_nTargetId = -1;
    for (const std::unique_ptr<cComChara>& chara : scene.CharaList())
      if (chara->m_nTargetId == m_nId) chara->m_nTargetId = -1;
  }
  m_nTargetId = -1;
  if (!m_vShots.empty() && g_lpPlayScene != nullptr) g_lpPlayScene->ForgetShotTarget(m_nId);
  m_vShots.clear();
}

cChara* FindCharaById(int nId) {
  return g_lpPlayScene != nullptr ? g_lpPlayScene->FindCharaById(nId) : nullptr;
}
