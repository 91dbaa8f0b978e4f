#include "flow/runtime/status_values.h"

#include <algorithm>

#include "flow/runtime/flow_context.h"
#include "flow/runtime/flow_units.h"
#include "objects/chara.h"
#include "play/play_scene.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/stage_globals.h"

int32_t ReadCharaStatus(const cChara& chara, int nStatus, int nVarIndex) {
  const cEdChara& def = chara.m_Def;
  switch (nStatus) {
    case CHARASTATUS_VAR:
      return chara.m_vVars.At(nVarIndex);
    case CHARASTATUS_HP:
      return chara.m_nHp;
    case CHARASTATUS_SP:
      return chara.m_nSp;
    case CHARASTATUS_MAXHP:
      return def.m_nMaxHp;
    case CHARASTATUS_MAXSP:
      return def.m_nMaxSp;
    case CHARASTATUS_CID:
      return def.m_nCid;
    case CHARASTATUS_Z:
      return def.m_nZ;
    case CHARASTATUS_MARK:
      return def.m_nMark;
    case CHARASTATUS_SIGHT:
      return def.m_nSight;
    case CHARASTATUS_POWER:
      return def.m_nPower;
    case CHARASTATUS_IMPACT:
      return def.m_nImpact;
    case CHARASTATUS_DEFENCE:
      return def.m_nDefence;
    case CHARASTATUS_IMPACTRESIST:
      return def.m_nImpactResist;
    case CHARASTATUS_STOP:
      return def.m_nStop;
    case CHARASTATUS_SCORE:
      return def.m_nScore;
    default:
      return 0;
  }
}

int32_t ReadSystemStatus(int n) {
  switch (n) {
    case SYSSTATUS_TIME:
      return FlowContext().m_nTimeLeft;
    case SYSSTATUS_SCROLLX:
      return g_Stage.m_nAutoScrollSpeedX;
    case SYSSTATUS_SCROLLY:
      return g_Stage.m_nAutoScrollSpeedY;
    case SYSSTATUS_SCORE:
      return g_PlayData.m_nGameScore;
    case SYSSTATUS_LIFE:
      return g_PlayData.m_nLives;
    default:
      return 0;
  }
}

cChara* ObjectOfSubject(cChara* lpSubject, int nObject) {
  if (!lpSubject) return nullptr;
  if (nObject == 0) return lpSubject;
  if (nObject == 1) return lpSubject->GetTarget();
  return nullptr;
}

bool ReadStatusOperand(cChara* lpSubject, int nObject, int nStatus, int nVarIndex, int32_t& r) {
  if (nObject == 2) {
    r = ReadSystemStatus(nStatus);
    if (nStatus == SYSSTATUS_TIME && FlowContext().m_bNoTimeLimit) r = 0;
    if (nStatus == SYSSTATUS_LIFE && r == kInfiniteLives) r = 0;
    return true;
  }
  const cChara* lpObject = ObjectOfSubject(lpSubject, nObject);
  if (!lpObject) return false;
  // Only a character of player kind has a sight.
  if (nStatus == CHARASTATUS_SIGHT && lpObject->m_nKind != OBJKIND_PLAYER) return false;
  r = ReadCharaStatus(*lpObject, nStatus, nVarIndex);
  return true;
}

int32_t* CharaVarSlot(cChara& chara, int n) {
  if (n >= 0 && static_cast<size_t>(n) < chara.m_vVars.size()) [[likely]]
    return &chara.m_vVars[static_cast<size_t>(n)];
  ReportBadIndex('V', n, chara.m_vVars.size(), sizeof(int32_t));
  return nullptr;
}

void WriteCharaStatus(cChara& chara, int nStatus, int nVarIndex, int32_t nValue) {
  cEdChara& def = chara.m_Def;
  switch (nStatus) {
    case CHARASTATUS_VAR:
      if (int32_t* lpVar = CharaVarSlot(chara, nVarIndex)) *lpVar = nValue;
      break;
    case CHARASTATUS_HP:
      chara.m_nHp = nValue;
      break;
    case CHARASTATUS_SP:
      chara.m_nSp = nValue;
      break;
    case CHARASTATUS_MAXHP:
      def.m_nMaxHp = nValue;
      chara.m_nHp = std::min(chara.m_nHp, def.m_nMaxHp);
      break;
    case CHARASTATUS_MAXSP:
      def.m_nMaxSp = nValue;
      chara.m_nSp = std::min(chara.m_nSp, def.m_nMaxSp);
      break;
    case CHARASTATUS_CID:
      StoreSaturated(def.m_nCid, nValue);
      break;
    case CHARASTATUS_Z:
      StoreSaturated(def.m_nZ, nValue);
      break;
    case CHARASTATUS_MARK:
      StoreSaturated(def.m_nMark, nValue);
      break;
    case CHARASTATUS_SIGHT:
      StoreSaturated(def.m_nSight, nValue);
      if (chara.m_nKind == OBJKIND_PLAYER) chara.m_nSightDots = HblToDots(def.m_nSight);
      break;
    case CHARASTATUS_POWER:
      def.m_nPower = nValue;
      break;
    case CHARASTATUS_IMPACT:
      StoreSaturated(def.m_nImpact, nValue);
      break;
    case CHARASTATUS_DEFENCE:
      def.m_nDefence = nValue;
      break;
    case CHARASTATUS_IMPACTRESIST:
      StoreSaturated(def.m_nImpactResist, nValue);
      break;
    case CHARASTATUS_STOP:
      StoreSaturated(def.m_nStop, nValue);
      chara.m_dStop = PercentPerSubstep(def.m_nStop);
      break;
    case CHARASTATUS_SCORE:
      def.m_nScore = nValue;
      break;
    default:
      break;
  }
}

void WriteSystemStatus(int n, int32_t nValue) {
  switch (n) {
    case SYSSTATUS_TIME:
      FlowContext().m_nTimeLeft = nValue;
      break;
    case SYSSTATUS_SCROLLX:
      g_Stage.m_nAutoScrollSpeedX = nValue;
      if (g_lpPlayScene) g_lpPlayScene->m_ScrollX.SetAutoScroll(g_Stage.m_bAutoScrollX, nValue);
      break;
    case SYSSTATUS_SCROLLY:
      g_Stage.m_nAutoScrollSpeedY = nValue;
      if (g_lpPlayScene) g_lpPlayScene->m_ScrollY.SetAutoScroll(g_Stage.m_bAutoScrollY, nValue);
      break;
    case SYSSTATUS_SCORE:
      g_PlayData.m_nGameScore = nValue;
      break;
    case SYSSTATUS_LIFE:
      g_PlayData.m_nLives = nValue;
      break;
    default:
      break;
  }
}
