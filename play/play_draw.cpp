// cPlayScene::DrawFrame: one frame of the play scene on the back buffer,
// and the drawing of the hero, the characters, the status display and the
// time limit (pictures, effects and messages: effect_lists.cpp; the screen effect and
// the screen colour: screen_effects.cpp, screen_color.cpp). The hero's miss
// is settled here, when its dying animation has been drawn to its end.

#include "app/base/sjis.h"
#include "app/core/colour_animation.h"
#include "app/core/game_requests.h"
#include "app/core/scene.h"
#include "app/core/shell_state.h"
#include "app/core/surface_tables.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/dd_device.h"
#include "platform/draw/dd_pattern.h"
#include "play/play_scene.h"
#include "records/system.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/stage_globals.h"

namespace {

constexpr int kShotWide = 63;
constexpr int kStatusSheet = 46;
constexpr int kAccessorySheet = 49;
constexpr int kWordSheet = 51;

DDSURFACEDATA* Sheet(int n) { return &g_SurfaceTable[n]; }

}  // namespace

void cPlayScene::DrawFrame(int bPlay, int bFrozen, int bCounting, int bCaption) {
  DDSURFACEDATA* lpBack = &g_BackBufferSD;
  if (Sheet(kShotWide)->bLost || Sheet(kShotWide + 1)->bLost) {
    PrepareShotSheets();
    Sheet(kShotWide)->bLost = Sheet(kShotWide + 1)->bLost = 0;
  }
  // A screen effect transforms the finished frame: under the textured back
  // end the frame is drawn aside, where it can be read back.
  if (m_ScrEffect.IsRunning()) DDSetVirBackBuffer(1);
  ScrollBackgrounds();
  DrawBackgrounds(lpBack, 0);
  if (!bPlay && m_nState == 3 && g_System.m_bPauseHidesStage) {
    DrawBackgrounds(lpBack, 1);
    DrawScreenColor(bFrozen);
    return;
  }
  DrawPictures(lpBack, 0, bFrozen);
  DrawMapCells(lpBack, 0);

  // Depth layers: the hero, items, characters and shots of each layer. A
  // character whose death is over leaves in a frame of play only: a frozen
  // frame may be drawn by a nested loop while the game thread, waiting in a
  // command, is walking the character lists.
  const int nLayers = g_Stage.m_bZLayers ? 8 : 1;
  for (int z = 0; z < nLayers; ++z) {
    if (nLayers == 1 || z == Hero()->m_Def.m_nZ) DrawHero(bFrozen);
    DrawItems(z, nLayers, bFrozen);
    for (auto it = m_CharaList.begin(); it != m_CharaList.end();) {
      cComChara& c = **it;
      if ((nLayers == 1 || z == c.m_Def.m_nZ) && DrawCharacter(c, bFrozen) && !bFrozen)
        it = RemoveCharacter(it);
      else
        ++it;
    }
    DrawShots(z, nLayers, bFrozen);
  }

  DrawMapCells(lpBack, 1);
  DrawBackgrounds(lpBack, 1);
  DrawPictures(lpBack, 1, bFrozen);
  DrawEffects(lpBack, bFrozen);
  DrawMessages(lpBack, bFrozen);
  RunScreenEffect(bFrozen);
  DrawStatus(lpBack);
  DrawTimeLimit(lpBack, bCounting);
  if (bCaption) {
    const int nText = g_bCommandLineStage ? 26 : (g_bEditorLaunch ? 25 : -1);
    if (nText >= 0 && static_cast<size_t>(nText) < g_System.m_Texts.size()) {
      const char* pszText = g_System.m_Texts[static_cast<size_t>(nText)].c_str();
      g_Fonts[1].Draw(lpBack, 320 - 8 * CountChars(pszText), 456, pszText, 0);
    }
  }
  AnimateColours();
  DrawScreenColor(bFrozen);
}

void cPlayScene::DrawHero(int bFrozen) {
  cPlayer& hero = *Hero();
  hero.UpdateScreenRect();
  if (!hero.m_bDead) {
    hero.Draw(&g_BackBufferSD, bFrozen);
    hero.DrawHpGauge(&g_BackBufferSD);
    hero.DrawSpGauge(&g_BackBufferSD);
    return;
  }
  if (!hero.DrawDying(&g_BackBufferSD, bFrozen)) return;

  // The miss, once the dying animation is over. The hero is set up anew
  // below, so nothing of it is touched afterwards.
  if (g_SceneManager.m_nTitleChoice == 4) {
    g_PlayData.RestoreStageStart(1);
    SetStage(1, 1);
    m_nState = 1;
    return;
  }
  if (!TakeLife(g_PlayData)) {
    m_nState = 6;
    return;
  }
  if (g_Stage.m_bUseHeroStatus) g_PlayData.ClearCarryOverFlags(0);
  g_PlayData.RestoreStageStart(0);
  if (g_SceneManager.m_nGameKind == GAMEKIND_STORY && g_System.m_bRetryMenu) {
    m_nSubState = 0;
    m_nState = 5;
    return;
  }
  SetStage(1, 0);
  m_nState = 1;
}

int cPlayScene::DrawCharacter(cComChara& c, int bFrozen) {
  if (c.m_bDead) {
    c.cGameObject::UpdateScreenRect();
    return c.DrawDying(&g_BackBufferSD, bFrozen);
  }
  if (c.IsOnScreen()) {
    c.cGameObject::UpdateScreenRect();
    if (c.m_Def.m_bTransparent) {
      c.CurrentAnimeCell(bFrozen);
      c.TickCharaEffect(bFrozen);
      c.DrawHpGauge(&g_BackBufferSD);
      c.DrawSpGauge(&g_BackBufferSD);
    } else {
      c.Draw(&g_BackBufferSD, bFrozen);
      c.DrawHpGauge(&g_BackBufferSD);
      c.DrawSpGauge(&g_BackBufferSD);
      c.DrawCarriedItemIcon(&g_BackBufferSD);
    }
  } else if (c.m_nMisc2) {
    c.cGameObject::UpdateScreenRect();
    c.CurrentAnimeCell(bFrozen);
    c.TickCharaEffect(bFrozen);
  }
  return 0;
}

void cPlayScene::DrawStatus(DDSURFACEDATA* lpTarget) {
  if (!m_bShowStatus) return;
  const cCheckedVector<cStatusItem>& items = g_System.m_StatusItems;
  const int nItems = std::min<int>(static_cast<int>(items.size()), kStatusItemCount);
  int aWidth[kStatusItemCount] = {};
  int nShown = 0;
  int nSum = 0;
  for (int i = 0; i < nItems; ++i) {
    const cStatusItem& item = items[static_cast<size_t>(i)];
    if (!item.m_bShow) continue;
    ++nShown;
    const int nLabel = item.m_bIcon ? 16 : 16 * CountChars(item.m_strLabel.c_str());
    aWidth[i] = nLabel + ((i == 2 || i == 3) ? 50 : 16 * item.m_nDigits);
    nSum += aWidth[i];
  }
  if (nShown == 0) return;
  const int g = (638 - nSum) / (nShown + 1);
  DDBlt(lpTarget, 0, 0, 640, 20, Sheet(kStatusSheet), 0, 0, 1);

  Font& font1 = g_Fonts[1];
  const cPlayer& hero = *Hero();
  int x = g;
  for (int i = 0; i < nItems; ++i) {
    const cStatusItem& item = items[static_cast<size_t>(i)];
    if (!item.m_bShow) continue;
    const char* pszLabel = item.m_strLabel.c_str();
    const int nLabel = item.m_bIcon ? 16 : 16 * CountChars(pszLabel);
    if (item.m_bIcon) DDBlt(lpTarget, x, 3, 16, 16, Sheet(kAccessorySheet), 16 * i, 32, 1);
    switch (i) {
      case 0:
      case 1: {
        const int nValue = i == 0 ? g_PlayData.m_nGameScore : g_PlayData.m_nScore;
        if (item.m_bIcon)
          font1.Printf(lpTarget, x + 16, 3, "%d", nValue);
        else
          font1.Printf(lpTarget, x, 3, "%s%d", pszLabel, nValue);
        break;
      }
      case 2:
      case 3: {
        const bool bSp = i == 3;
        if (!item.m_bIcon) font1.Printf(lpTarget, x, 3, "%s", pszLabel);
        const int gx = x + nLabel;
        const int nColumn = bSp ? 64 : 0;
        const int nValue = bSp ? hero.m_nSp : hero.m_nHp;
        const int nMax = bSp ? hero.m_Def.m_nMaxSp : hero.m_Def.m_nMaxHp;
        DDBlt(lpTarget, gx, 3, 50, 16, Sheet(kAccessorySheet), nColumn, 128, 1);
        const int nFill = nMax > 0 ? static_cast<int>(int64_t{nValue} * 50 / nMax) : 0;
        const int nRow = StatusItemReached(i, nValue, nMax) ? 160 : 144;
        DDBlt(lpTarget, gx, 3, nFill, 16, Sheet(kAccessorySheet), nColumn, nRow, 1);
        if (item.m_bShowNumber) g_Fonts[0].Printf(lpTarget, gx, 6, "%d", nValue);
        break;
      }
      default: {
        const int nLives = g_PlayData.m_nLives;
        const bool bInfinite = nLives == kInfiniteLives;
        if (item.m_bIcon) {
          if (bInfinite)
            font1.Draw(lpTarget, x + 16, 3, "-", 0);
          else
            font1.Printf(lpTarget, x + 16, 3, "%d", nLives);
        } else if (bInfinite) {
          font1.Printf(lpTarget, x, 3, "%s-", pszLabel);
        } else {
          font1.Printf(lpTarget, x, 3, "%s%d", pszLabel, nLives);
        }
        break;
      }
    }
    x += aWidth[i] + g;
  }
}

void cPlayScene::DrawTimeLimit(DDSURFACEDATA* lpTarget, int bCounting) {
  if (m_bNoTimeLimit) return;
  DDBltNumber(lpTarget, 272, 24, 32, 32, Sheet(kWordSheet), 0, 160, 1, m_nTimeLeft, 3, 0);
  if (m_nTimeLeft >= 1 && m_nTimeLeft <= g_Stage.m_nTimeWarning && m_nSecondCount == 0 && bCounting)
    PlaySE(13);
}
