// The HP and SP gauges drawn above a character for two seconds after a
// change: a 50-pixel bar with the value and a change bar that shrinks to
// nothing during the first second.

#include "app/core/surface_tables.h"
#include "objects/chara.h"
#include "platform/draw/dd_blit.h"
#include "records/system.h"

namespace {

constexpr int kAccessorySheet = 49;

}  // namespace

void cChara::DrawHpGauge(DDSURFACEDATA* lpDst) { DrawGauge(lpDst, m_HpGauge, 0); }
void cChara::DrawSpGauge(DDSURFACEDATA* lpDst) { DrawGauge(lpDst, m_SpGauge, 1); }

void cChara::DrawGauge(DDSURFACEDATA* lpDst, GAUGEANIM& gauge, int bSp) {
  if (gauge.nFrames <= 0 || m_bDead) return;
  DDSURFACEDATA* lpSheet = &g_SurfaceTable[kAccessorySheet];
  // Strips of the gauge on the accessory sheet: a tall sheet packs them two
  // rows apart from row 208, an older one 16 rows apart from row 128.
  const bool bTall = lpSheet->nHeight > 208;
  const int f = bTall ? 208 : 128;
  const int s = bTall ? 2 : 16;
  const int nColumn = bSp ? 64 : 0;
  const int x = m_rcScreen.left + m_nSpriteW / 2 - 25;
  const int y = m_rcScreen.top - (bSp ? 7 : 3);
  const int nValue = bSp ? m_nSp : m_nHp;
  const int nMax = bSp ? m_Def.m_nMaxSp : m_Def.m_nMaxHp;

  DDBlt(lpDst, x, y, 50, 2, lpSheet, nColumn, f, 1);
  const bool bPinch = StatusItemReached(bSp ? 3 : 2, nValue, nMax) != 0;
  DDBlt(lpDst, x, y, gauge.nWidth, 2, lpSheet, nColumn, bPinch ? f + 2 * s : f + s, 1);
  if (gauge.dChange < 0.0) {
    DDBlt(lpDst, x + gauge.nWidth, y, static_cast<int>(-gauge.dChange), 2, lpSheet, nColumn,
          f + 3 * s, 1);
  } else {
    const int m = static_cast<int>(gauge.dChange);
    DDBlt(lpDst, x + gauge.nWidth - m, y, m, 2, lpSheet, nColumn, f + 4 * s, 1);
  }
  gauge.nFrames -= 1;
  if (gauge.nFrames < 60)
    gauge.dChange = 0.0;
  else
    gauge.dChange -= gauge.dStep;
}
