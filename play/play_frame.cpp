// cPlayScene::PlayFrame: one frame of play in N physics sub-steps, in the
// fixed order on which the game's behaviour rests: block characters before
// the hero, the hero before the other characters, characters before shots,
// hits last.

#include "app/base/close_request.h"
#include "app/base/report_log.h"
#include "app/core/game_requests.h"
#include "app/core/scene.h"
#include "app/core/shell_state.h"
#include "platform/input/input_devices.h"
#include "platform/input/input_state.h"
#include "platform/input/virtual_keys.h"
#include "play/play_scene.h"
#include "records/system.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/progress/replay.h"
#include "stagedata/stage_globals.h"

namespace {

constexpr int kTriggerAlways = 0;
constexpr int kMaxPlayTime = 599999;

bool IsReplay() { return g_SceneManager.m_nTitleChoice == 4; }

bool Squeezed(const cChara& c) {
  return (c.LRUD[LRUD_LEFT] && c.LRUD[LRUD_RIGHT]) || (c.LRUD[LRUD_UP] && c.LRUD[LRUD_DOWN]);
}

}  // namespace

// ---- Time ---------------------------------------------------------------------------

void cPlayScene::TickPlayTime() {
  if (m_nPlayTime >= kMaxPlayTime) return;
  ++m_nPlayFrames;
  m_nPlayTime = std::min(static_cast<int32_t>(int64_t{m_nPlayFrames} * 100 / 60), kMaxPlayTime);
}

int cPlayScene::TickTimeLimit(int nDelta) {
  if (m_bNoTimeLimit) return 0;
  if (++m_nSecondCount < 60) return 0;
  m_nSecondCount = 0;
  m_nTimeLeft += nDelta;
  if (m_nTimeLeft > 999) {
    m_nTimeLeft = 999;
    return 0;
  }
  if (m_nTimeLeft <= 0) {
    m_nTimeLeft = 0;
    return 1;
  }
  return 0;
}

// ---- The frame ----------------------------------------------------------------------

// One pass over the computer characters of one kind in a sub-step: block
// characters (which are not retested against blocks) or the others. False
// when the sub-step ends here.
bool cPlayScene::StepComCharas(bool bBlockCharas) {
  for (auto it = m_CharaList.begin(); it != m_CharaList.end();) {
    cComChara& c = **it;
    if ((c.m_Def.m_bBlockChara != 0) != bBlockCharas || c.m_bDead || !c.m_bAppeared ||
        !c.IsActive()) {
      ++it;
      continue;
    }
    c.RaiseTrigger(kTriggerAlways);
    if (c.RunFlows(0)) {
      if (c.m_bVanish)
        it = RemoveCharacter(it);
      else if (SettleCharaDeath(it) != 0)
        return false;
      continue;
    }
    if (m_bCodeKill && CheckDeaths()) return false;
    bool bKilled = false;
    bool bRemove = false;
    if (!bBlockCharas && c.m_bOnChara) CarryRider(c);
    if (c.StepX() == 4) bRemove = true;
    if (TestBlocksX(c) == 2) bKilled = true;
    c.ApplyGravity();
    const int ry = c.StepY();
    if (ry == 7) bKilled = true;
    if (ry == 8) bRemove = true;
    if (TestBlocksY(c) == 2) bKilled = true;
    if (!bBlockCharas) {
      if (CollideSolidCharas(c) == 2) bKilled = true;
      RetestBlocksX(c);
      RetestBlocksY(c);
      if (Squeezed(c)) bKilled = true;
    }
    if (bKilled) {
      if (KillMovedChara(it) != 0) return false;
    } else if (bRemove) {
      it = RemoveCharacter(it);
    } else {
      c.DecayKnockbackX();
      c.DecayKnockbackY();
      ++it;
    }
  }
  return true;
}

void cPlayScene::PlayFrame() {
  if (IsPlayQuitRequested()) {
    RequestClose();
    return;
  }
  if (CheckPauseKey()) {
    m_nSubState = 0;
    m_nState = 3;
    return;
  }
  if (PollReplayKeys() == 1) return;
  ++m_nFrame;

  // Player 1's input: recorded into the replay, or replaced by it.
  cInputState& input = g_InputStates.At(0);
  if (!IsReplay()) {
    if (input.m_wButtons == 0)
      m_bSwallowDecide = 0;
    else if (m_bSwallowDecide)
      input.m_wButtons = 0;
    input.RecordHistory();
    input.UpdateKeyEvents();
    if (g_System.m_bReplay) {
      const int16_t words[2] = {static_cast<int16_t>(input.m_wDir),
                                static_cast<int16_t>(input.m_wButtons)};
      g_Replay.RecordFrame(words);
    }
  } else {
    input.ClearDirection();
    input.ClearButtons();
    int16_t words[2] = {0, 0};
    if (g_Replay.PlayFrame(words) == 1) {
      // The recorded input has run out: the replay starts again.
      g_PlayData.RestoreStageStart(1);
      SetStage(1, 1);
      m_nState = 1;
      return;
    }
    input.m_wDir = static_cast<uint16_t>(words[0]);
    input.m_wButtons = static_cast<uint16_t>(words[1]);
    input.m_nKeypad = cInputState::GetKeypadDirection(input.m_wDir);
    input.RecordHistory();
    input.UpdateKeyEvents();
  }

  cPlayer& hero = *Hero();
  TickPlayTime();
  if (TickTimeLimit(-1) && !hero.m_bDead) {
    HeroDies(nullptr);
    return;
  }

  hero.ResetTriggerLatches();
  for (const std::unique_ptr<cComChara>& lpChara : m_CharaList)
    if (!lpChara->m_bDead) lpChara->ResetTriggerLatches();
  for (const std::unique_ptr<cComChara>& lpChara : m_CharaList)
    lpChara->m_bPinX = lpChara->m_bPinY = 0;
  hero.m_bPinX = hero.m_bPinY = 0;

  const int n = g_Stage.m_nSubStep;
  for (int i = 1; i <= n; ++i) {
    m_nSubStepNo = i;
    ++m_nSubStepTotal;
    m_bBlockCharasStale = true;
    UpdateAppearance();

    // Lifetimes.
    if (!hero.m_bDead) {
      StepCharaLifetimes();
      StepItemLifetimes();
    }

    for (const std::unique_ptr<cComChara>& lpChara : m_CharaList) {
      lpChara->TickImmunity();
      lpChara->ClearLRUD();
      lpChara->SavePosition();
    }
    hero.TickImmunity();
    hero.ClearLRUD();
    hero.SavePosition();
    hero.SaveState();

    m_ScrollX.StepAutoScroll();
    m_ScrollY.StepAutoScroll();

    // Block characters.
    if (!hero.m_bDead && !StepComCharas(true)) return;

    // The hero.
    if (!hero.m_bDead) {
      hero.RaiseTrigger(kTriggerAlways);
      if (hero.RunFlows(0)) {
        HeroDies(nullptr);
        return;
      }
      if (EndByResult(m_nEndRequest)) return;
      if (m_bCodeKill && CheckDeaths()) return;
      ApplyFootEffect(hero);
      if (hero.m_bOnChara) CarryRider(hero);
      hero.StepX();
      KeepHeroOnScreenX(hero);
      if (TestBlocksX(hero) == 2) {
        HeroDies("Dead 1");
        return;
      }
      KeepHeroOnScreenX(hero);
      hero.ApplyGravity();
      if (hero.StepY() == 7) {
        HeroDies("Dead 2");
        return;
      }
      if (KeepHeroOnScreenY(hero) == 2) {
        HeroDies("Dead 3");
        return;
      }
      if (TestBlocksY(hero) == 2) {
        HeroDies("Dead 4");
        return;
      }
      if (KeepHeroOnScreenY(hero) == 2) {
        HeroDies("Dead 5");
        return;
      }
      auto squeeze = [&](const char* pszDeath) {
        if (!Squeezed(hero) || hero.m_nModeGrace != 0) return false;
        TraceLogf("Player[P1].LRUD = %d,%d,%d,%d", hero.LRUD[0], hero.LRUD[1], hero.LRUD[2],
                  hero.LRUD[3]);
        hero.RestorePosition();
        HeroDies(pszDeath);
        return true;
      };
      if (squeeze("Dead SP")) return;
      if (CollideSolidCharas(hero) == 2 && !hero.m_bDead && hero.m_nModeGrace == 0) {
        HeroDies("Dead 6");
        return;
      }
      if (hero.LRUD[LRUD_LEFT] || hero.LRUD[LRUD_RIGHT]) {
        if (RetestBlocksX(hero) == 2 && !hero.m_bDead && hero.m_nModeGrace == 0) {
          HeroDies("Dead 7");
          return;
        }
      }
      if (hero.LRUD[LRUD_UP] || hero.LRUD[LRUD_DOWN]) {
        if (RetestBlocksY(hero) == 2 && !hero.m_bDead && hero.m_nModeGrace == 0) {
          HeroDies("Dead 8");
          return;
        }
      }
      if (squeeze("Dead 9")) return;
      hero.DecayKnockbackX();
      hero.DecayKnockbackY();
    }

    // The other computer characters.
    if (!hero.m_bDead && !StepComCharas(false)) return;

    // Shots, also while the hero is dead.
    StepShots(i);

    // Erase areas, in the first sub-step.
    if (i == 1 && !hero.m_bDead) {
      EraseCharasOutside();
      EraseItemsOutside();
    }

    // Hits: the item blocks, the factions, then the items the hero touches.
    if (!hero.m_bDead && EndByResult(TakeItemFromBlock(hero))) return;
    if (!hero.m_bDead && EndByResult(HitGroups())) return;
    if (!hero.m_bDead && EndByResult(HeroTouchesItems(hero))) return;
  }
  m_nSubStepNo = 0;

  DrawFrame(1, 0, 1, 1);
}
