#include "flow/runtime/status_values.h"

#include "flow/runtime/flow_context.h"
#include "objects/chara.h"
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
