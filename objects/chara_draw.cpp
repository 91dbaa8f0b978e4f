// cChara: drawing a character through its character effect with its mark,
// and the drawing of a dead character; the hero's hit-box display.

#include <algorithm>

#include "app/core/colour_animation.h"
#include "app/core/scene.h"
#include "app/core/surface_tables.h"
#include "objects/chara.h"
#include "objects/chara_effect.h"
#include "objects/draw_source.h"
#include "objects/player.h"
#include "objects/world.h"
#include "platform/draw/dd_blit.h"
#include "platform/draw/dd_device.h"
#include "platform/draw/dd_pattern.h"
#include "records/anime_db.h"
#include "records/database.h"
#include "records/system.h"
#include "stagedata/progress/play_data.h"

namespace {

constexpr int kMarkSheet = 43;

}  // namespace

int cChara::GraphicCell(DRAWSOURCE& src) {
  int g = m_Def.m_nGraphicRow;
  const cAnimeSetDef& set = g_Database.m_AnimeSet.At(m_Def.m_nAnimeSet);
  if (m_Def.m_nFly != 0) g += set.m_nFlyingOffset;
  if (m_Def.m_bBlockChara) g += set.m_nBlockOffset;
  src.bColour = 0;
  if (m_Def.m_nInvincible == 0) return g;
  g += set.m_nInvincibleOffset;
  const int c = m_Def.m_nInvincibleColour;
  if (g_bUseD3D && g_System.InvincibleColours() && c >= 1 && c <= kAnimatedColourCount) {
    src.bColour = 1;
    src.dwDiffuse = g_AnimatedColours[c - 1].dwColor;
    src.dwColourOp = static_cast<uint32_t>(g_AnimatedColours[c - 1].nOperation);
  }
  return g;
}

int cChara::TickCharaEffect(int bFrozen) { return RunCharaEffect(nullptr, nullptr, bFrozen, 0); }

void cChara::Draw(DDSURFACEDATA* lpDst, int bFrozen) {
  const int nCell = CurrentAnimeCell(bFrozen);
  if (m_Def.m_bTransparent) {
    TickCharaEffect(bFrozen);
    return;
  }
  cGameObject::UpdateScreenRect();
  if (m_bPinX) {
    m_rcScreen.left = m_nPinX;
    m_rcScreen.right = m_rcScreen.left + m_nSpriteW - 1;
  }
  if (m_bPinY) {
    m_rcScreen.top = m_nPinY;
    m_rcScreen.bottom = m_rcScreen.top + m_nSpriteH - 1;
  }
  DRAWSOURCE src;
  const int g = GraphicCell(src);
  src.Select(1, m_Def.m_nGraphicKind, m_Def.m_nGraphic, g, this, nCell);
  RunCharaEffect(lpDst, &src, bFrozen, 1);

  if (m_Def.m_bMark == 1) {
    const int m = m_Def.m_nMark;
    const int sx = (m / 15) * 32;
    const int sy = (m % 15) * 32;
    if (m_Def.m_nGiant > 1)
      DDStretchBlt(lpDst, m_rcScreen.left, m_rcScreen.top, m_nSpriteW, m_nSpriteH,
                   &g_SurfaceTable[SelectCharaSheets().nMark], sx, sy, m_nBaseSpriteW,
                   m_nBaseSpriteH, 1);
    else
      DDBlt(lpDst, m_rcScreen.left, m_rcScreen.top, 32, 32, &g_SurfaceTable[kMarkSheet], sx, sy, 1);
  }
}

int cChara::DrawDying(DDSURFACEDATA* lpDst, int bFrozen) {
  DRAWSOURCE src;
  const int g = GraphicCell(src);
  src.Select(1, m_Def.m_nGraphicKind, m_Def.m_nGraphic, g, this, 0);
  const bool bHero = m_nKind == OBJKIND_PLAYER;
  // A death effect of a row without a kind draws and ends as none.
  if (CharaEffectKind(m_CharaEffect) != CHARAEFFECT_NONE) {
    int r = RunCharaEffect(lpDst, &src, bFrozen, 1);
    if (r == 0 && !bFrozen && CharaEffectOutlasted(m_CharaEffect)) {
      m_CharaEffect.nEffect = 0;
      r = 1;
    }
    return bHero ? 0 : r;
  }
  if (!bHero) return 1;
  if (bFrozen) return 0;
  ++m_nDyingFrames;
  return m_nDyingFrames > g_SceneManager.m_nFrameRate ? 1 : 0;
}

void cPlayer::Draw(DDSURFACEDATA* lpDst, int bFrozen) {
  cChara::Draw(lpDst, bFrozen);
  // The hit-box display: the colour steps through four neighbouring palette
  // entries, 8 frames each, unless the 8-bit palette cycles them itself.
  const bool bPaletteCycles = !g_bUseD3D && g_nBpp == 8 && g_System.AnimatePaletteColours();
  for (HITBOXVIEW& view : m_vHitBoxView) {
    if (view.nMode == 0) continue;
    const HITBOX* lpBox = view.nType == 1   ? &m_BoxA
                          : view.nType == 2 ? &m_BoxC
                          : view.nType == 3 ? &m_BoxB
                                            : nullptr;
    view.nX = m_rcScreen.left + m_nBoxX + (lpBox ? lpBox->nX : 0);
    view.nY = m_rcScreen.top + m_nBoxY + (lpBox ? lpBox->nY : 0);
    const uint32_t dwColour =
        static_cast<uint32_t>(bPaletteCycles ? view.nColour : view.nColour + view.nTick / 8);
    if (view.nMode == 1)
      DDPalFillRect(lpDst, view.nX, view.nY, view.nWidth, view.nHeight, dwColour);
    else if (view.nMode == 2)
      DDFrameRect(lpDst, view.nX, view.nY, view.nWidth, view.nHeight, 1, dwColour);
    if (++view.nTick >= 32) view.nTick = 0;
  }
}
