#include "flow/runtime/triggers.h"

#include <algorithm>

#include "flow/flow.h"
#include "flow/runtime/conditions.h"
#include "flow/runtime/flow_context.h"
#include "flow/runtime/flow_runner.h"
#include "objects/chara.h"
#include "play/play_scene.h"
#include "records/system.h"

namespace {

const std::vector<KEYEVENT>& KeyList(const cInputState& input, int nList) {
  static const std::vector<KEYEVENT> kNone;
  const auto& lists = nList < kDirEventLists ? input.m_DirEvents : input.m_ButtonEvents;
  const size_t i = static_cast<size_t>(nList < kDirEventLists ? nList : nList - kDirEventLists);
  return i < lists.size() ? lists[i] : kNone;
}

// Entry c of a list; an entry the list does not have lasted no frame.
KEYEVENT Entry(const std::vector<KEYEVENT>& list, int c) {
  return (c >= 0 && static_cast<size_t>(c) < list.size()) ? list[static_cast<size_t>(c)]
                                                          : KEYEVENT{0, 0};
}

// The list a key state of a facing-relative condition reads for a character
// facing left: left and right, and the diagonals, change places.
int FacingList(int s) {
  switch (s) {
    case 1:
      return 2;
    case 2:
      return 1;
    case 5:
      return 7;
    case 7:
      return 5;
    case 6:
      return 8;
    case 8:
      return 6;
    default:
      return s;
  }
}

// The input record a character's held direction is read from when one of
// its flows starts: the hero's own, player 1's for everyone else.
const cInputState& ChannelInput(const cChara& chara) {
  if (chara.m_nKind == OBJKIND_PLAYER) return g_InputStates.At(chara.m_nPlayerNo);
  return g_InputStates.At(0);
}

}  // namespace

// ---- Key-event matching ---------------------------------------------------------

const cInputState& KeyInput() {
  const cChara* lpHero = g_lpPlayScene ? g_lpPlayScene->Hero() : nullptr;
  return g_InputStates.At(lpHero ? lpHero->m_nPlayerNo : 0);
}

KEYCURSOR KeyCursorNow(const cInputState& input) {
  KEYCURSOR cursor;
  for (int l = 0; l < kKeyLists; ++l) cursor.p[l] = Entry(KeyList(input, l), 0).nFrames;
  return cursor;
}

void ShiftKeyHistory(KEYCURSOR& cursor, const cInputState& input, int n) {
  constexpr int kLast = kKeyEvents - 1;
  for (int l = 0; l < kKeyLists; ++l) {
    const std::vector<KEYEVENT>& list = KeyList(input, l);
    int32_t& c = cursor.c[l];
    int64_t p = int64_t{cursor.p[l]} + n;
    if (n <= 0) {
      while (p < 0) {
        if (c >= kLast) {
          c = kLast;
          break;
        }
        ++c;
        p += Entry(list, c).nFrames;
      }
      // A cursor on the first frame of an entry belongs to the older one.
      if (p == 0 && c < kLast) {
        ++c;
        p = Entry(list, c).nFrames;
      }
    } else {
      while (c > 0 && p > Entry(list, c).nFrames) {
        p -= Entry(list, c).nFrames;
        --c;
      }
    }
    cursor.p[l] = static_cast<int32_t>(std::clamp<int64_t>(p, INT32_MIN, INT32_MAX));
  }
}

bool KeyStateMatches(const KEYEVENT& entry, int p, const cKeyCondition& k, int nState) {
  // A position of 0 or less lies before the oldest entry: nothing holds
  // there, whatever the hold limits say.
  if (p <= 0) return false;
  if (nState == 1) {
    if (entry.nState == 0) return false;
    return k.m_bAnyLength || (k.m_sMinHold <= p && p <= k.m_sMaxHold);
  }
  if (nState == 2) return entry.nState == 0;
  return false;
}

bool MatchKeyStep(const cKeyCondition& k, const KEYCURSOR& cursor, const cInputState& input,
                  const cChara* lpChara, int& M) {
  M = 0;
  int nMatched = 0;
  int nFailed = 0;
  const bool bTurn = k.m_bFacingRelative && lpChara && lpChara->m_nFacing == 0;
  for (int s = 0; s < cKeyCondition::kKeyStateCount; ++s) {
    const int nState = k.KeyState(s);
    if (nState == 0) continue;
    const int l = (s < kDirEventLists && bTurn) ? FacingList(s) : s;
    const int p = cursor.p[l];
    if (!KeyStateMatches(Entry(KeyList(input, l), cursor.c[l]), p, k, nState)) {
      ++nFailed;
      continue;
    }
    ++nMatched;
    if (k.m_cMode == 0) {
      if (M == 0 || p < M) M = p;
    } else if (k.m_cMode == 1) {
      if (M == 0 || p > M) M = p;
    } else {
      M = p;
    }
  }
  switch (k.m_cMode) {
    case 0:
      return nFailed == 0;
    case 1:
      return nMatched >= 1;
    case 2:
      return nMatched == 1;
    default:
      return true;
  }
}

bool MatchKeySequence(const std::vector<cKeyCondition*>& keys, int nTolerance,
                      const cInputState& input, const cChara* lpChara) {
  const int n = static_cast<int>(keys.size());
  if (n == 0) return true;
  const int t = std::max(nTolerance, 0);
  KEYCURSOR cursor = KeyCursorNow(input);
  int M = 0;
  for (int i = n - 1;; --i) {
    const cKeyCondition& k = *keys[static_cast<size_t>(i)];
    if (!MatchKeyStep(k, cursor, input, lpChara, M)) {
      if (i == n - 1 || t == 0) return false;
      // Look back up to t frames for where this step held.
      bool bFound = false;
      for (int nTry = 0; nTry < t && !bFound; ++nTry) {
        ShiftKeyHistory(cursor, input, -1);
        bFound = MatchKeyStep(k, cursor, input, lpChara, M);
      }
      if (!bFound) {
        // Or one frame after where the later step began, as long as the
        // later step does not hold there as well.
        ShiftKeyHistory(cursor, input, t);
        ShiftKeyHistory(cursor, input, 1);
        if (!MatchKeyStep(k, cursor, input, lpChara, M)) return false;
        int nUnused = 0;
        if (!g_System.AllowOverlappedKeys() &&
            MatchKeyStep(*keys[static_cast<size_t>(i + 1)], cursor, input, lpChara, nUnused))
          return false;
      }
    }
    if (i == 0) return true;
    ShiftKeyHistory(cursor, input, -M);
  }
}

int GetHeldDirection(const cInputState& input) {
  for (int l = 0; l < kDirEventLists; ++l)
    if (Entry(KeyList(input, l), 0).nState != 0) return l;
  return 0;
}

// ---- The character's side ------------------------------------------------------

bool cChara::CheckKeyCondition(cFlowRunner& runner) {
  if (runner.m_KeyConds.empty()) return true;
  const cFlow& flow = *runner.m_lpFlow;
  const bool r = MatchKeySequence(runner.m_KeyConds, flow.m_cKeyTolerance, KeyInput(), this);
  if (flow.m_bKeyLevel) return r;
  if (!r) {
    runner.m_bKeyLatch = 0;
    return false;
  }
  const bool bFirst = !runner.m_bKeyLatch;
  if (!bFirst && runner.m_nTrigger == 0) {
    // The keys are still held from before: other trigger-0 flows of the tag
    // stay blocked until this flow step ends.
    if (const int nTag = FlowTag(flow)) {
      m_vTagActive.At(nTag) = 1;
      m_vTagEnded.At(nTag) = 1;
      m_bTagEndRequest = 1;
    }
  }
  runner.m_bKeyLatch = 1;
  return bFirst;
}

void cChara::RaiseTrigger(int nKey) {
  cFlowContext& ctx = FlowContext();
  const cFlowWalk walk(*this);
  // Raised from inside a walk (a command that lands a character or hurts
  // one), the scan leaves that walk's character, runner and command current
  // again; raised from outside, none.
  const cFlowCurrentScope outer;
  ctx.m_lpCurChara = this;
  const bool bRetest = g_System.AllowRetriggerInFrame() != 0;
  for (size_t i = 0; i < m_vRunners.size(); ++i) {
    cFlowRunner& runner = m_vRunners[i];
    if (runner.m_nTrigger != nKey) continue;
    const cFlow& flow = *runner.m_lpFlow;
    if (!bRetest) {
      if (runner.m_bTested) continue;
      runner.m_bTested = 1;
    }
    if (runner.m_bRunning || runner.m_bPaused || runner.m_bHalted || runner.m_bStarted) continue;
    if (nKey == 0) {
      const int nTag = FlowTag(flow);
      if (nTag != 0 && (m_vTagActive.At(nTag) || m_vTagStarted.At(nTag))) continue;
    }
    if (!CheckFlowConditions(runner, *this)) continue;
    if (!CheckKeyCondition(runner)) continue;
    runner.m_nChannel = GetHeldDirection(ChannelInput(*this));
    runner.Start(*this);
  }
}
