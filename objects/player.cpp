// cPlayer: the hero's start of life, its boxes, the camera follow, its
// motion, its flow step and its jump.

#include "objects/player.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "app/base/report_log.h"
#include "app/core/game_requests.h"
#include "flow/flow.h"
#include "flow/runtime/flow_commands.h"
#include "flow/runtime/flow_context.h"
#include "flow/runtime/flow_runner.h"
#include "objects/world.h"
#include "platform/input/input_state.h"
#include "records/system.h"
#include "stagedata/stage_globals.h"

// ---- Start of life -----------------------------------------------------------------

void cPlayer::Init(int nId, cEdChara* lpDef, double x, double y) {
  if (lpDef->m_nGiant == 0) lpDef->m_nGiant = 1;
  Reset(lpDef, x, y, 0);
  int nOffX = 0, nOffY = 0, nWidth = 0, nHeight = 0;
  HitBoxSize(nOffX, nOffY, nWidth, nHeight);
  Setup(nId, m_Def.m_nKind, m_Def.m_nPlayerNo, m_Def.m_nFaction, m_Def.m_nGraphic, nullptr, 0,
        nOffX, nOffY, nWidth, nHeight, 32, 32, 1, MOVEMODE_WALK, 0);
  m_nMisc1 = m_Def.m_nPlayerNo;
  SetMoveMode(m_Def.m_nFly, 0);
  SetScale(m_Def.m_nGiant, 1);
  m_nFacing = m_Def.m_nDir;
  m_bJumpBlocked = 0;
  m_bSlippery = 0;
  RiseCount() = 0;
  m_nFootEffect = FOOTEFFECT_NONE;
  m_dFootValue = 0.0;
  m_nFootEffectLeft = 0;
  m_nItemCooldown = 0;
  m_bJumpReady = 1;
  m_dFootScale = 4.0 / g_Stage.m_dSubStep;
  BuildHitBoxDisplay();
  m_TouchedIds.clear();
  SetFlows(m_Def.m_vFlow, m_nFacing, 0, -1);
}

cInputState& cPlayer::Input() const { return g_InputStates.At(m_nMisc1); }

// ---- Boxes ------------------------------------------------------------------------

void cPlayer::HitBoxSize(int& nOffX, int& nOffY, int& nWidth, int& nHeight) const {
  const cEdStage& s = g_Stage;
  nWidth = m_bFly ? s.m_nHeroFlyW : s.m_nHeroWalkW;
  nHeight = m_bFly ? s.m_nHeroFlyH : s.m_nHeroWalkH;
  const int bBottom = m_bFly ? s.m_bHeroFlyBottom : s.m_bHeroWalkBottom;
  nOffX = (32 - nWidth) >> 1;
  nOffY = bBottom ? 32 - nHeight : (32 - nHeight) >> 1;
}

void cPlayer::SetMoveMode(int nMode, int bScale) {
  const int bWasFlying = m_bFly;
  m_Def.m_nFly = static_cast<int8_t>(nMode);
  cGameObject::SetMoveMode(nMode);
  if (m_bFly != bWasFlying) {
    m_nModeGrace = 2;
    if (!m_bFly) m_dVX = m_dVY = m_dWalkVX = m_dWalkVY = 0.0;
  }
  int nOffX = 0, nOffY = 0, nWidth = 0, nHeight = 0;
  HitBoxSize(nOffX, nOffY, nWidth, nHeight);
  m_nBoxX = m_nBaseBoxX = nOffX;
  m_nBoxY = m_nBaseBoxY = nOffY;
  m_nBoxW = m_nBaseBoxW = nWidth;
  m_nBoxH = m_nBaseBoxH = nHeight;
  m_nSpriteW = m_nBaseSpriteW = 32;
  m_nSpriteH = m_nBaseSpriteH = 32;

  const cEdStage& s = g_Stage;
  switch (m_Def.m_nBodyBox) {
    case 0:
      if (m_bFly)
        SetBoxA(s.m_bHeroBox0FlyBottom, s.m_nHeroBox0FlyW, s.m_nHeroBox0FlyH);
      else
        SetBoxA(s.m_bHeroBox0WalkBottom, s.m_nHeroBox0WalkW, s.m_nHeroBox0WalkH);
      break;
    case 1:
      SetBoxA(0, s.m_nHeroBox1W, s.m_nHeroBox1H);
      break;
    case 2:
      SetBoxA(0, s.m_nBox2W, s.m_nBox2H);
      break;
    case 3:
      SetBoxA(0, 32, 32);
      break;
    default:
      break;
  }
  SetCentredBox(m_BoxB, *this, s.m_nHeroBox1W, s.m_nHeroBox1H);
  SetCentredBox(m_BoxC, *this, s.m_nHeroBoxExW, s.m_nHeroBoxExH);

  if (bScale) {
    const int g = m_Def.m_nGiant;
    m_nBoxW = g * m_nBaseBoxW;
    m_nBoxH = g * m_nBaseBoxH;
    m_nBoxX = g * m_nBaseBoxX;
    m_nBoxY = g * m_nBaseBoxY;
    m_nSpriteW = g * m_nBaseSpriteW;
    m_nSpriteH = g * m_nBaseSpriteH;
    ScaleBox(m_BoxA, g);
    ScaleBox(m_BoxB, g);
    ScaleBox(m_BoxC, g);
  }
  BuildHitBoxDisplay();
}

void cPlayer::BuildHitBoxDisplay() {
  const cEdStage& s = g_Stage;
  // Colour number c shows in palette entries 208 + 4c .. 208 + 4c + 3.
  auto colour = [](int c) { return 208 + 4 * std::clamp(c, 0, 7); };
  m_vHitBoxView.clear();
  m_vHitBoxView.push_back(
      {0, s.m_nShowHitBox, colour(s.m_nHitBoxColour), 0, 0, m_nBoxW, m_nBoxH, 0});
  m_vHitBoxView.push_back(
      {2, s.m_nShowBoxC, colour(s.m_nBoxCColour), 0, 0, m_BoxC.nWidth, m_BoxC.nHeight, 0});
  m_vHitBoxView.push_back(
      {1, s.m_nShowBoxA, colour(s.m_nBoxAColour), 0, 0, m_BoxA.nWidth, m_BoxA.nHeight, 0});
  m_vHitBoxView.push_back(
      {3, s.m_nShowBoxB, colour(s.m_nBoxBColour), 0, 0, m_BoxB.nWidth, m_BoxB.nHeight, 0});
  // Larger boxes first, so that the smaller ones are drawn over them.
  std::stable_sort(m_vHitBoxView.begin(), m_vHitBoxView.end(),
                   [](const HITBOXVIEW& a, const HITBOXVIEW& b) {
                     return int64_t{a.nWidth} * a.nHeight > int64_t{b.nWidth} * b.nHeight;
                   });
}

void cPlayer::ScaleBoxes(int nScale) {
  ScaleBox(m_BoxA, nScale);
  ScaleBox(m_BoxB, nScale);
  ScaleBox(m_BoxC, nScale);
}

void cPlayer::UpdateBoxX() {
  UpdateBoxEdgesX(m_BoxA, m_dX);
  UpdateBoxEdgesX(m_BoxB, m_dX);
  UpdateBoxEdgesX(m_BoxC, m_dX);
}

void cPlayer::UpdateBoxY() {
  UpdateBoxEdgesY(m_BoxA, m_dY);
  UpdateBoxEdgesY(m_BoxB, m_dY);
  UpdateBoxEdgesY(m_BoxC, m_dY);
}

// ---- Camera and screen -------------------------------------------------------------

namespace {

// The view centred on the hero along one axis, kept inside the scroll range.
// Unlike cScrollAxis::Clamp the upper case is not compared with the minimum
// again.
void FollowAxis(cScrollAxis& axis, double dPos, int nHalfView, int nBoxSize) {
  if (axis.m_bAutoScroll) return;
  double d = dPos - (nHalfView - nBoxSize / 2);
  if (axis.m_nScrollMin > d)
    d = axis.m_nScrollMin;
  else if (d + axis.m_nView >= axis.m_nScrollMax)
    d = axis.m_nScrollMax - axis.m_nView;
  axis.m_dPos = d;
}

}  // namespace

int cPlayer::AfterMoveX() {
  FollowAxis(PlayScene().m_ScrollX, m_dX, kViewWidth / 2, m_nBoxW);
  return ClampX(m_bFly ? 0 : 1);
}

int cPlayer::AfterMoveY() {
  FollowAxis(PlayScene().m_ScrollY, m_dY, kViewHeight / 2, m_nBoxH);
  return ClampY(m_bFly ? 0 : 1);
}

void cPlayer::UpdateScreenRect() {
  const cPlayScene& scene = PlayScene();
  const cScrollAxis& ax = scene.m_ScrollX;
  const cScrollAxis& ay = scene.m_ScrollY;
  // While the view follows the hero its fractional position stays in the
  // subtraction; an autoscrolling axis subtracts whole pixels.
  m_rcScreen.left = ax.m_bAutoScroll ? TruncInt(m_dX) - TruncInt(ax.m_dPos) - m_nBoxX
                                     : TruncInt(m_dX - ax.m_dPos - m_nBoxX);
  m_rcScreen.right = m_rcScreen.left + m_nSpriteW - 1;
  m_rcScreen.top = ay.m_bAutoScroll ? TruncInt(m_dY) - TruncInt(ay.m_dPos) - m_nBoxY
                                    : TruncInt(m_dY - ay.m_dPos - m_nBoxY);
  m_rcScreen.bottom = m_rcScreen.top + m_nSpriteH - 1;
}

// ---- Motion ------------------------------------------------------------------------

int cPlayer::StepX() {
  if (m_dKnockX != 0.0) {
    m_dVX = m_dKnockX;
  } else if (m_dWalkVX != 0.0) {
    Decelerate(m_dWalkVX, m_bDecelX);
    if (m_nFootEffect == FOOTEFFECT_SPEED && m_nFootEffectLeft != 0) {
      // A speed-factor block pushes the walk away from zero by its factor.
      const double g = m_dFootScale / g_Stage.m_dSubStep / 60.0;
      const double d = g * (m_dFootValue - 1.0);
      const double dBefore = m_dWalkVX;
      m_dWalkVX += dBefore > 0.0 ? d : -d;
      if ((dBefore > 0.0) != (m_dWalkVX > 0.0)) m_dWalkVX = 0.0;
    }
    m_dVX += m_dWalkVX;
  }
  const double dCap = g_Stage.m_dSpeedCapPerStep;
  m_dVX = std::clamp(m_dVX, -dCap, dCap);
  m_dX += m_dVX;
  AfterMoveX();
  return 0;
}

int cPlayer::StepY() {
  ApplyKnockbackY();
  if (m_dKnockY == 0.0 && m_bFly && m_dWalkVY != 0.0) {
    Decelerate(m_dWalkVY, m_bDecelY);
    m_dVY += m_dWalkVY;
  }
  const int r = MoveY(m_bFly ? 0 : 2);
  AfterMoveY();
  if (!m_bFly && (r == 5 || r == 6)) return 7;
  return r;
}

// ---- Flows -------------------------------------------------------------------------

int cPlayer::RunFlows(int bDeathPass) {
  cPlayScene& scene = PlayScene();
  scene.m_lpCurChara = this;
  scene.m_bCodeKill = 0;

  // The base velocity carries the hero along with an autoscrolling view.
  const cScrollAxis& ax = scene.m_ScrollX;
  const cScrollAxis& ay = scene.m_ScrollY;
  const double dAutoX = ax.m_bClamped ? 0.0 : ax.m_dAutoSpeed;
  const double dAutoY = ay.m_bClamped ? 0.0 : ay.m_dAutoSpeed;
  if (g_System.NoScrollSync()) {
    if (m_bFly) {
      m_dVX = dAutoX;
      m_dVY = dAutoY;
    } else {
      m_dVX = 0.0;
    }
  } else if (m_bScrollSync) {
    m_dVX = dAutoX;
    if (m_bFly) m_dVY = dAutoY;
  } else {
    m_dVX = 0.0;
    if (m_bFly) m_dVY = 0.0;
  }

  m_bNoGravity = 0;
  m_bDecelX = m_bDecelY = 1;
  m_bAnimeByCommand = 0;
  m_bJumpRan = 0;
  if (m_nModeGrace > 0) --m_nModeGrace;

  if (StepCharaFlows(*this, bDeathPass)) return 1;
  // The changes of the hero's flows that items asked for during the step, in
  // the order they came, now that no walk holds the runners.
  FlowContext().ClearCurrent();
  const std::vector<cFlowCommand> queued = std::exchange(m_vQueuedItemCmds, {});
  for (const cFlowCommand& cmd : queued) ChangeFlows(*this, cmd, 1);
  EndFlowStep(*this);

  if (!m_bAnimeByCommand && m_dWalkVX == 0.0 && m_dWalkVY == 0.0)
    m_Anime.ChangePattern(m_bFly ? 2 : 0, 1);
  if (!m_bJumpRan) {
    RiseCount() = 0;
    m_bJumpReady = 1;
    m_bJumpBlocked = 0;
  }
  return m_nHp <= 0 ? 1 : 0;
}

namespace {

// Items' lists run one inside another through アイテムの取得: a list that
// takes its own item, or items whose lists take each other many times over,
// would nest without end or run for ever. Such a list is cut short, with
// one report-log line per attempt.
constexpr int kMaxItemNesting = 16;
constexpr int kMaxItemCommands = 1024;

class cItemListRun {
 public:
  explicit cItemListRun(cFlowContext& ctx) : m_Ctx(ctx) {
    if (m_Ctx.m_nItemDepth++ == 0) m_Ctx.m_nItemRuns = 0;
  }
  ~cItemListRun() { --m_Ctx.m_nItemDepth; }
  cItemListRun(const cItemListRun&) = delete;
  cItemListRun& operator=(const cItemListRun&) = delete;

  // Counts the next command; false when the list stops before it.
  bool Take() {
    if (m_Ctx.m_nItemDepth <= kMaxItemNesting && m_Ctx.m_nItemRuns < kMaxItemCommands) {
      ++m_Ctx.m_nItemRuns;
      return true;
    }
    if (!m_Ctx.m_bItemOverrunLogged)
      ReportLog("an item's commands stopped: items taken %d deep, %d commands run",
                m_Ctx.m_nItemDepth, m_Ctx.m_nItemRuns);
    m_Ctx.m_bItemOverrunLogged = 1;
    return false;
  }

 private:
  cFlowContext& m_Ctx;
};

}  // namespace

int cPlayer::RunItemCommands(const cFlowCommandList& commands) {
  cFlowContext& ctx = FlowContext();
  ctx.m_bItemMessageChain = 0;
  cItemListRun run(ctx);
  for (const cFlowCommand& cmd : commands) {
    if (!run.Take()) break;
    const int nType = cmd.m_cType;
    int r = 0;
    // A type outside the table (a damaged or newer file) does nothing.
    if (cmd.m_cSet == COMMANDSET_ITEM && nType >= 0 && nType < kItemCommandCount &&
        g_apfnItemCommand[nType] != nullptr)
      r = g_apfnItemCommand[nType](*this, cmd);
    if (m_nHp < 1) return 2;
    if (r != 0) return r;
  }
  return m_nHp < 1 ? 2 : 0;
}

void cPlayer::PopText(int nKind, int16_t sNumber, int16_t sCell) {
  PlayScene().AddMessage(MESSAGESETUP{.nKind = MSGKIND_ICON,
                                      .nIconKind = nKind,
                                      .nIconGraphic = sNumber,
                                      .nIconCell = sCell,
                                      .nPosition = MSGPOS_ABOVE_HERO,
                                      .bFixOnScreen = 1,
                                      .nDisplayMode = MSGDISPLAY_TIME,
                                      .nCountdown = 30,
                                      .nAnchorId = m_nId});
}

int CheckKeyStates(const cInputState& input, const cKeyCondition& k) {
  int t = 0;
  int u = 0;
  for (int i = 0; i < cKeyCondition::kKeyStateCount; ++i) {
    const int nState = k.KeyState(i);
    if (nState != 1 && nState != 2) continue;
    const auto& lists = i < kDirEventLists ? input.m_DirEvents : input.m_ButtonEvents;
    const size_t l = static_cast<size_t>(i < kDirEventLists ? i : i - kDirEventLists);
    const bool bPressed = l < lists.size() && !lists[l].empty() && lists[l].front().nState != 0;
    if (bPressed == (nState == 1)) {
      ++t;
      if (k.m_cMode == 1) break;
    } else {
      ++u;
    }
  }
  switch (k.m_cMode) {
    case 0:
      return u == 0 ? 1 : 0;
    case 1:
      return t >= 1 ? 1 : 0;
    case 2:
      return t == 1 ? 1 : 0;
    default:
      return 0;
  }
}

void cPlayer::Jump(COMMANDSTATE* lpState) {
  if (m_bFly || m_bJumpRan || lpState == nullptr) return;
  COMMANDSTATE& state = *lpState;
  const cFlowCommand& cmd = *state.m_lpCommand;
  cPlayScene& scene = PlayScene();
  const cFlowRunner* lpRunner = scene.m_lpCurRunner;
  const bool bHasKeys = lpRunner != nullptr && !lpRunner->m_KeyConds.empty();
  const int nMode = cmd.Param(0);
  int bHeld = 1;
  if (nMode == 1 || nMode == 2)
    bHeld = bHasKeys ? CheckKeyStates(Input(), *lpRunner->m_KeyConds.back()) : 0;

  if (nMode == 2) {
    // The height follows the walking speed between the two thresholds.
    const double n = g_Stage.m_dSubStep;
    const double w = std::abs(m_dWalkVX);
    const double s1 = cmd.Param(1) / (10.0 * n);
    const double s3 = cmd.Param(3) / (10.0 * n);
    const int p2 = cmd.Param(2);
    const int p4 = cmd.Param(4);
    int h = p4;
    if (w >= s1)
      h = p2;
    else if (w > s3)
      h = TruncInt((p2 - p4) * (w / s1) + p4);
    state.m_dSpeed = JumpVelocityDots(16.0 * h);
  }

  int32_t& c = RiseCount();
  if (bHeld && !m_bSlippery) {
    ++c;
    if (c >= state.m_nDuration && (!m_bJumping || m_bOnChara) && m_bJumpReady && !m_bJumpBlocked &&
        (m_dVY < 0.0 || m_bOnChara)) {
      // The rise is used up.
      m_bJumping = 1;
      m_bJumpReady = 0;
    } else if (!m_bAirborne && c <= g_Stage.m_nSubStep && (!m_bJumping || m_bOnChara) &&
               m_bJumpReady && !m_bJumpBlocked && !m_bKnocked && !state.m_bBegun) {
      m_bJumpRise = 1;
      if (!m_bOnChara) {
        m_dVY = state.m_dSpeed;
        state.m_bBegun = 1;
        PlayDatabaseSE(cmd.m_sSound);
      } else if (scene.m_nSubStepNo == g_Stage.m_nSubStep) {
        // From a solid character only in the last sub-step of the frame.
        m_dVY = state.m_dSpeed * kRideJumpBoost;
        m_bOnChara = 0;
        state.m_bBegun = 1;
        PlayDatabaseSE(cmd.m_sSound);
      }
    }
  } else {
    if (c > 0 && c < state.m_nDuration && !m_bJumping && !m_bJumpBlocked && !m_bSlippery &&
        !m_bKnocked) {
      // Released while rising: the jump is cut.
      m_bOnChara = 0;
      if (m_dVY < 0.0) m_dVY *= 0.3;
      m_bJumping = 1;
    }
    c = 0;
    m_bJumpReady = 1;
    m_bJumpBlocked = 0;
  }

  if (IsOnBlock() && m_dVY >= 0.0 && (!bHasKeys || !bHeld)) {
    // Landed: a keyed jump ends once its key is let go, one without keys may
    // jump again while it runs.
    c = 0;
    m_bJumpReady = 1;
    m_bJumpBlocked = 0;
    m_bKnocked = 0;
    if (bHasKeys)
      state.m_nCountdown = 0;
    else
      state.m_bBegun = 0;
  }
  m_bJumpRan = 1;
}

// ---- Items -------------------------------------------------------------------------

int cPlayer::IsNotTouching(int nId) const {
  return std::find(m_TouchedIds.begin(), m_TouchedIds.end(), nId) == m_TouchedIds.end() ? 1 : 0;
}

void cPlayer::ForgetTouched(int nId) { m_TouchedIds.remove(nId); }
