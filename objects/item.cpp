#include "objects/item.h"

#include "app/core/surface_tables.h"
#include "objects/draw_source.h"
#include "objects/world.h"
#include "platform/draw/dd_blit.h"
#include "stagedata/stage_globals.h"

namespace {

constexpr int kSprite = 32;
constexpr int kMarkSheet = 43;
constexpr int kIconsPerColumn = 15;

// Frame 0 for 15 ticks, frame 1 for 15 ticks, and over again.
constexpr ANIMESTEPDEF kItemSteps[] = {{0, 15, 1}, {1, 15, 1}, {-2, 0, 1}};
constexpr const ANIMESTEPDEF* kItemPatterns[] = {kItemSteps, nullptr};

}  // namespace

void cItem::ReanchorY(int nNew, int nOld) {
  if (nNew == nOld) return;
  m_dY -= (nNew - nOld) * (m_nBaseBoxH + m_nBaseBoxY);
  ClampY(2);
}

void cItem::Init(int nId, const cEdItem& def, int bCarried) {
  // The definition given may be a palette's or a placement's: the scale is
  // put right in the item's own copy only.
  m_Def = def;
  if (m_Def.m_nGiant <= 0) m_Def.m_nGiant = 1;
  const int w = g_Stage.m_nItemBoxW;
  const int h = g_Stage.m_nItemBoxH;
  Setup(nId, OBJKIND_PLAYER, 0, 0, m_Def.m_nGraphic, kItemPatterns, 0, 16 - (w >> 1), 16 - (h >> 1),
        w, h, kSprite, kSprite, 0, MOVEMODE_FLY, 0);
  m_bScrollSync = 0;
  m_bCarried = bCarried;
  if (bCarried)
    m_bAppeared = 1;
  else
    SetScale(m_Def.m_nGiant, 1);
}

void cItem::SetTile(int tx, int ty) {
  const cPlayScene& scene = PlayScene();
  m_dX = (tx + scene.m_ScrollX.m_nMargin) * kSprite + m_nBaseBoxX + 0.5;
  m_dY = (ty + scene.m_ScrollY.m_nMargin) * kSprite + m_nBaseBoxY;
  Reanchor(Scale(), 1);
  ClampX(2);
  ClampY(2);
}

void cItem::Draw(DDSURFACEDATA* lpDst, int bFrozen) {
  if (m_Def.m_bTransparent) return;
  const int nFrame = bFrozen ? m_Anime.GetValue() : m_Anime.Step();
  DRAWSOURCE src;
  src.Select(2, m_Def.m_nGraphicKind, m_nGraphic, m_Def.m_nGraphicRow, this, nFrame);
  const int x = m_rcScreen.left;
  const int y = m_rcScreen.top;
  const int s = Scale();
  const int c = src.cCellScale;
  if (src.bLargeCells ? s != c : s > 1)
    DDStretchBlt(lpDst, x, y, m_nSpriteW, m_nSpriteH, src.lpUse, src.nSrcX, src.nSrcY,
                 m_nBaseSpriteW * c, m_nBaseSpriteH * c, DDBLT_TRANSPARENT);
  else
    DDBlt(lpDst, x, y, m_nSpriteW, m_nSpriteH, src.lpSrc, src.nSrcX, src.nSrcY, DDBLT_TRANSPARENT);

  if (m_Def.m_bMark != 1) return;
  const int n = m_Def.m_nMark;
  const int sx = (n / kIconsPerColumn) * kSprite;
  const int sy = (n % kIconsPerColumn) * kSprite;
  if (s > 1)
    DDStretchBlt(lpDst, x, y, m_nSpriteW, m_nSpriteH, &g_SurfaceTable[SelectCharaSheets().nMark],
                 sx, sy, m_nBaseSpriteW, m_nBaseSpriteH, DDBLT_TRANSPARENT);
  else
    DDBlt(lpDst, x, y, kSprite, kSprite, &g_SurfaceTable[kMarkSheet], sx, sy, DDBLT_TRANSPARENT);
}
