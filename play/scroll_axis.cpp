#include "play/scroll_axis.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "stagedata/stage.h"
#include "stagedata/stage_globals.h"

namespace {

void SetAutoScrollPerStep(cScrollAxis& axis, int bOn, int nSpeed, double dSubSteps) {
  if (bOn) {
    axis.m_bAutoScroll = 1;
    axis.m_dAutoSpeed = nSpeed * 0.1 / dSubSteps;
  } else {
    axis.m_bAutoScroll = 0;
    axis.m_dAutoSpeed = 0.0;
  }
}

// The far end of the world along an axis: the stage's stored value + 640,
// but never inside the map and its border. Stages that keep the record's
// default of 0 would otherwise clamp everything below row 10 or right of
// column 10 back into the world, and the hero would die at once; a file
// that stores a larger value keeps it, and a huge one cannot overflow.
int32_t OuterLimit(int32_t nStored, int32_t nCells) {
  const int64_t nOuter = std::max(int64_t{nStored} + 640, int64_t{nCells} * 32);
  return static_cast<int32_t>(std::min<int64_t>(nOuter, std::numeric_limits<int32_t>::max()));
}

}  // namespace

void cScrollAxis::Clamp() {
  if (m_nScrollMin > m_dPos) {
    m_dPos = m_nScrollMin;
    m_bClamped = 1;
  } else if (m_dPos + m_nView >= m_nScrollMax) {
    m_dPos = m_nScrollMax - m_nView;
    if (m_dPos < m_nScrollMin) m_dPos = m_nScrollMin;
    m_bClamped = 1;
  } else {
    m_bClamped = 0;
  }
}

void cScrollAxis::StepAutoScroll() {
  m_dPos += m_dAutoSpeed;
  Clamp();
}

int cScrollAxis::SetAutoScroll(int bOn, int nSpeed) {
  SetAutoScrollPerStep(*this, bOn, nSpeed, g_Stage.m_dSubStep);
  return 0;
}

void cScrollAxis::SetLimits(int nFirstCell, int nLastCell, int bFirst, int bLast) {
  m_nScrollMin = bFirst ? m_nStageMin + 32 * nFirstCell : m_nStageMin;
  m_nScrollMax = bLast ? std::max(m_nStageMin + 32 * (nLastCell + 1), m_nScrollMin) : m_nStageMax;
}

void SetupScrollAxes(const cEdStage& stage, cScrollAxis& axisX, cScrollAxis& axisY) {
  const int nMargin = kMapBorderCells;

  axisX.m_nAxis = 0;
  axisX.m_nView = 640;
  axisX.m_nMargin = nMargin;
  axisX.m_nCells = stage.m_nWidth + 2 * nMargin;
  axisX.m_nOuter = OuterLimit(stage.m_nScrollMarginX, axisX.m_nCells);
  axisX.m_nPitchShift = MapPitchShift(stage.m_nWidth);
  axisX.m_nPitch = 1 << axisX.m_nPitchShift;
  axisX.m_nStageMin = nMargin * 32;
  axisX.m_nStageMax = std::max((stage.m_nWidth + nMargin) * 32, 0);
  SetAutoScrollPerStep(axisX, stage.m_bAutoScrollX, stage.m_nAutoScrollSpeedX, stage.m_dSubStep);
  axisX.SetLimits(stage.m_nScrollLimitL, stage.m_nScrollLimitR, stage.m_bScrollLimitL,
                  stage.m_bScrollLimitR);

  // The vertical outer limit adds 640 like the horizontal one, not the view
  // height.
  axisY.m_nAxis = 1;
  axisY.m_nView = 480;
  axisY.m_nMargin = nMargin;
  axisY.m_nCells = stage.m_nHeight + 2 * nMargin;
  axisY.m_nOuter = OuterLimit(stage.m_nScrollMarginY, axisY.m_nCells);
  axisY.m_nPitch = axisY.m_nCells;
  axisY.m_nPitchShift = 0;
  axisY.m_nStageMin = nMargin * 32;
  axisY.m_nStageMax = std::max((stage.m_nHeight + nMargin) * 32, 0);
  SetAutoScrollPerStep(axisY, stage.m_bAutoScrollY, stage.m_nAutoScrollSpeedY, stage.m_dSubStep);
  axisY.SetLimits(stage.m_nScrollLimitT, stage.m_nScrollLimitB, stage.m_bScrollLimitT,
                  stage.m_bScrollLimitB);
}
