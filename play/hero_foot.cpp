// What the cell under the hero's feet does to the hero: foot effects
// (spring, slippery, speed factor, conveyors) and item blocks.

#include "app/core/game_requests.h"
#include "objects/world.h"
#include "play/map_cells.h"
#include "play/play_scene.h"
#include "stagedata/stage_globals.h"

int cPlayScene::ApplyFootEffect(cPlayer& hero) {
  if (hero.m_bFly) return 0;
  if (hero.m_nFootCell >= 0 && hero.m_nFootEffectLeft == 0) {
    cMapCell& cell = g_MapCells.At(hero.m_nFootCell);
    if (GetBlockHitKind(cell, hero.m_nFaction) != BLOCKHIT_NONE) {
      const int nEffect = cell.m_nEffect;
      const int32_t nParam = cell.m_nEffectValue;
      if (nEffect != FOOTEFFECT_SLIPPERY) hero.m_bSlippery = 0;
      switch (nEffect) {
        case FOOTEFFECT_SPRING:
          PlaySE(10);
          hero.m_dVY = hero.JumpVelocity(static_cast<int8_t>(nParam & 0xFF));
          hero.m_bJumping = hero.m_bJumpRise = 1;
          hero.m_bJumpReady = 0;
          hero.RiseCount() = hero.JumpRiseSteps(hero.m_dVY);
          break;
        case FOOTEFFECT_SLIPPERY:
          hero.m_bSlippery = 1;
          break;
        case FOOTEFFECT_SPEED:
          hero.m_nFootEffect = nEffect;
          hero.m_dFootValue = nParam * 0.01;
          hero.m_nFootEffectLeft = g_Stage.m_nSubStep;
          break;
        case FOOTEFFECT_CONVEYOR_LEFT:
        case FOOTEFFECT_CONVEYOR_RIGHT:
          hero.m_nFootEffect = nEffect;
          hero.m_dFootValue = nParam * 0.1 / g_Stage.m_dSubStep;
          hero.m_nFootEffectLeft = g_Stage.m_nSubStep;
          break;
        default:
          break;
      }
    }
  }
  if (hero.m_nFootEffectLeft > 0) {
    switch (hero.m_nFootEffect) {
      case FOOTEFFECT_SPEED:
        hero.m_dVX *= hero.m_dFootValue;
        break;
      case FOOTEFFECT_CONVEYOR_LEFT:
        hero.m_dVX -= hero.m_dFootValue;
        if (hero.m_dWalkVX > 0.0) hero.m_dWalkVX = 0.0;
        break;
      case FOOTEFFECT_CONVEYOR_RIGHT:
        hero.m_dVX += hero.m_dFootValue;
        if (hero.m_dWalkVX < 0.0) hero.m_dWalkVX = 0.0;
        break;
      default:
        break;
    }
    if (--hero.m_nFootEffectLeft == 0) {
      hero.m_nFootEffect = FOOTEFFECT_NONE;
      // Pressed down to meet the ground again.
      if (hero.m_dVY >= 0.0) hero.m_dVY += 1.0;
    }
  }
  return 0;
}

int cPlayScene::TakeItemFromBlock(cPlayer& hero) {
  if (hero.m_bFly) return 0;
  bool bTaken = false;
  if (hero.m_nFootCell >= 0 && hero.m_nItemCooldown == 0) {
    cMapCell& cell = g_MapCells.At(hero.m_nFootCell);
    if (GetBlockHitKind(cell, hero.m_nFaction) != BLOCKHIT_NONE && cell.m_nItemSource != 0) {
      if (const cEdItem* lpDef = GetItemDef(cell.m_nItemSource, cell.m_nItemIndex)) {
        // The block's item, built on the spot and taken at once.
        cItem item;
        item.Init(0, *lpDef, 0);
        item.m_bAppeared = 1;
        const int nResult = ApplyItemToHero(&item, hero);
        if (nResult != 0) return nResult;
        hero.m_nItemCooldown = 60 * g_Stage.m_nSubStep;  // one second
        bTaken = true;
      }
    }
  }
  if (hero.m_nItemCooldown > 0) {
    if (hero.m_bAirborne) {
      hero.m_nItemCooldown = 0;
    } else {
      --hero.m_nItemCooldown;
      // Stepping onto another item block gives its item at once.
      if (hero.m_nFootCell >= 0 && hero.m_nStoodCell != hero.m_nStoodCellStart && !bTaken) {
        hero.m_nItemCooldown = 0;
        if (hero.m_dVY >= 0.0) hero.m_dVY += 1.0;
      }
    }
  }
  return 0;
}
