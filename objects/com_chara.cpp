// cComChara: a computer character's start of life, its boxes, its motion,
// its flow step, its jump and its view and activation tests.

#include "objects/com_chara.h"

#include "app/core/game_requests.h"
#include "flow/flow.h"
#include "flow/runtime/flow_runner.h"
#include "objects/draw_source.h"
#include "objects/world.h"
#include "records/system.h"
#include "stagedata/stage_globals.h"

namespace {

// View modes: which axes the view test looks at.
constexpr int8_t kViewAxesX = 1;     // X座標のみ画面内
constexpr int8_t kViewAxesY = 2;     // Y座標のみ画面内
constexpr int8_t kViewAnywhere = 3;  // 全範囲
// The activation mode whose first activation is permanent.
constexpr int8_t kActivatePermanently = 1;

constexpr int kCell = 32;

// The carried item's icon shows from count 64 through count 96, and the
// count starts over after 96.
constexpr int kIconFirstTick = 64;
constexpr int kIconCycle = 96;

// Base animation patterns.
constexpr int kPatternStand = 0;
constexpr int kPatternWalk = 1;
constexpr int kPatternFly = 2;

}  // namespace

// ---- Start of life -----------------------------------------------------------------

void cComChara::Init(int nId, const cEdChara& def, double x, double y, int16_t sCopyIndex,
                     const cItem* lpCarried) {
  Reset(&def, x, y, sCopyIndex);
  if (m_Def.m_nGiant == 0) m_Def.m_nGiant = 1;

  const cEdStage& s = g_Stage;
  const bool bBlock = m_Def.m_bBlockChara != 0;
  const bool bFly = m_Def.m_nFly != MOVEMODE_WALK;
  int nBoxX = 0, nBoxY = 0, nWidth = kCell, nHeight = kCell;
  if (!bBlock) {
    nWidth = bFly ? s.m_nComFlyW : s.m_nComWalkW;
    nHeight = bFly ? s.m_nComFlyH : s.m_nComWalkH;
    const int bBottom = bFly ? s.m_bComFlyBottom : s.m_bComWalkBottom;
    nBoxX = (kCell - nWidth) >> 1;
    nBoxY = bBottom ? kCell - nHeight : (kCell - nHeight) >> 1;
  }
  Setup(nId, m_Def.m_nKind, m_Def.m_nPlayerNo, m_Def.m_nFaction, m_Def.m_nGraphic, nullptr, 0,
        nBoxX, nBoxY, nWidth, nHeight, kCell, kCell, m_Def.m_nDir, m_Def.m_nFly, sCopyIndex);

  if (bBlock) {
    for (HITBOX* lpBox : {&m_BoxA, &m_BoxB}) {
      *lpBox = HITBOX{};
      lpBox->nWidth = lpBox->nBaseWidth = kCell;
      lpBox->nHeight = lpBox->nBaseHeight = kCell;
    }
  } else {
    switch (m_Def.m_nBodyBox) {
      case 0:
        if (bFly)
          SetBoxA(s.m_bComBox0FlyBottom, s.m_nComBox0FlyW, s.m_nComBox0FlyH);
        else
          SetBoxA(s.m_bComBox0WalkBottom, s.m_nComBox0WalkW, s.m_nComBox0WalkH);
        break;
      case 1:
        SetBoxA(0, s.m_nComBox1W, s.m_nComBox1H);
        break;
      case 2:
        SetBoxA(0, s.m_nComBox2W, s.m_nComBox2H);
        break;
      case 3:
        SetBoxA(0, m_nSpriteW, m_nSpriteH);
        break;
      default:
        break;
    }
    SetCentredBox(m_BoxB, *this, s.m_nComBox1W, s.m_nComBox1H);
  }
  SetScale(m_Def.m_nGiant, 1);

  Active() = 0;
  m_nIconTick = 0;
  m_CarriedItem = lpCarried != nullptr ? *lpCarried : cItem();
  const int8_t nView = m_Def.m_nActRange;
  m_bSkipViewX = (nView == kViewAxesY || nView == kViewAnywhere) ? 1 : 0;
  m_bSkipViewY = (nView == kViewAxesX || nView == kViewAnywhere) ? 1 : 0;
  m_bWasActive = 0;
  m_Anime.SetPattern(m_bFly ? kPatternStand : kPatternWalk, 1);
  SetFlows(m_Def.m_vFlow, m_nFacing, 0, -1);
}

// ---- Boxes -------------------------------------------------------------------------

void cComChara::ScaleBoxes(int nScale) {
  if (m_Def.m_bBlockChara) {
    for (HITBOX* lpBox : {&m_BoxA, &m_BoxB}) {
      lpBox->nX = lpBox->nY = 0;
      lpBox->nWidth = m_nBoxW;
      lpBox->nHeight = m_nBoxH;
    }
    return;
  }
  ScaleBox(m_BoxA, nScale);
  ScaleBox(m_BoxB, nScale);
}

void cComChara::UpdateBoxX() {
  UpdateBoxEdgesX(m_BoxA, m_dX);
  UpdateBoxEdgesX(m_BoxB, m_dX);
}

void cComChara::UpdateBoxY() {
  UpdateBoxEdgesY(m_BoxA, m_dY);
  UpdateBoxEdgesY(m_BoxB, m_dY);
}

// ---- Motion ------------------------------------------------------------------------

int cComChara::StepX() {
  if (m_dKnockX != 0.0) {
    m_dVX = m_dKnockX;
  } else if (m_dWalkVX != 0.0) {
    Decelerate(m_dWalkVX, m_bDecelX);
    m_dVX += m_dWalkVX;
  }
  const int r = MoveX(2);
  return r == 3 ? 4 : r;
}

int cComChara::StepY() {
  ApplyKnockbackY();
  if (m_dKnockY == 0.0 && m_bFly && m_dWalkVY != 0.0) {
    Decelerate(m_dWalkVY, m_bDecelY);
    m_dVY += m_dWalkVY;
  }
  const int r = MoveY(2);
  if (m_bFly) return (r == 3 || r == 6) ? 8 : r;
  return (r == 5 || r == 6) ? 7 : r;
}

// ---- Flows -------------------------------------------------------------------------

int cComChara::RunFlows(int bDeathPass) {
  cPlayScene& scene = PlayScene();
  scene.m_lpCurChara = this;
  scene.m_bCodeKill = 0;

  // The base velocity carries a character that follows the autoscroll.
  if (!g_System.NoScrollSync() && m_bScrollSync) {
    const cScrollAxis& ax = scene.m_ScrollX;
    const cScrollAxis& ay = scene.m_ScrollY;
    m_dVX = ax.m_bClamped ? 0.0 : ax.m_dAutoSpeed;
    if (m_bFly) m_dVY = ay.m_bClamped ? 0.0 : ay.m_dAutoSpeed;
  } else {
    m_dVX = 0.0;
    if (m_bFly) m_dVY = 0.0;
  }

  m_bNoGravity = 0;
  m_bDecelX = m_bDecelY = 1;
  m_bAnimeByCommand = 0;
  if (m_nModeGrace > 0) --m_nModeGrace;

  if (StepCharaFlows(*this, bDeathPass)) return 1;
  EndFlowStep(*this);

  if (!m_bAnimeByCommand && m_dWalkVX == 0.0 && m_dWalkVY == 0.0)
    m_Anime.ChangePattern(m_bFly ? kPatternFly : kPatternStand, 1);
  return m_nHp <= 0 ? 1 : 0;
}

void cComChara::Jump(COMMANDSTATE* lpState) {
  if (lpState == nullptr || m_bAirborne || m_bJumpBlocked || m_bKnocked || m_nAirTime != 0) return;
  PlayDatabaseSE(lpState->m_lpCommand->m_sSound);
  m_dVY = lpState->m_dSpeed;
  m_bJumpRise = 1;
  m_bJumping = 1;
  m_bOnChara = 0;
}

// ---- The carried item's icon ------------------------------------------------------

void cComChara::DrawCarriedItemIcon(DDSURFACEDATA* lpDst) {
  const cItem& item = m_CarriedItem;
  if (!item.m_bCarried || !m_bOnScreen || m_Def.m_bTransparent || item.m_Def.m_bTransparent) return;
  if (++m_nIconTick >= kIconFirstTick) {
    const cEdItem& def = item.m_Def;
    DrawObjectIcon(lpDst, m_rcScreen.left + (m_nSpriteW >> 1) - (item.m_nSpriteW >> 2),
                   m_rcScreen.top - (item.m_nSpriteH >> 1), def.m_nGraphicKind, def.m_nGraphic,
                   def.m_nGraphicRow);
  }
  if (m_nIconTick >= kIconCycle) m_nIconTick = 0;
}

// ---- View and activation -----------------------------------------------------------

int cComChara::CheckAppear(cCheckedVector<uint8_t>& groups) {
  const int bInView = IsOnScreenAxes(m_bSkipViewX, m_bSkipViewY) ? 1 : 0;
  InView() = bInView;
  if (bInView && m_Def.m_bActGroup) groups.At(m_Def.m_nActGroup) = 1;
  return bInView;
}

int cComChara::Activate(const cCheckedVector<uint8_t>& groups) {
  const bool bActive = InView() || (m_Def.m_bActGroup && groups.At(m_Def.m_nActGroup) != 0) ||
                       (!m_bFly && (m_bJumpRise || (m_bWasActive && m_bAirborne)));
  if (!bActive) return 0;
  m_bWasActive = 1;
  if (m_Def.m_nActMode == kActivatePermanently) m_bSkipViewX = m_bSkipViewY = 1;
  UpdateScreenRect();
  return 1;
}
