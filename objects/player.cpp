#include "objects/player.h"

#include "objects/world.h"

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
