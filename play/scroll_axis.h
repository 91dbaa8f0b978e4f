#pragma once
// cScrollAxis: one axis of the play scene's camera. The world along an axis
// is the stage map plus a border of 10 cells on each side; the axis holds the
// scroll position (world coordinate of the view's left or top edge), the
// range the view may show, the extent of the stage map and of the world, and
// an optional autoscroll.

#include <cstdint>

class cEdStage;

inline constexpr int kViewWidth = 640;
inline constexpr int kViewHeight = 480;

class cScrollAxis {
 public:
  // Keeps the position inside [m_nScrollMin, m_nScrollMax - m_nView]; the
  // minimum wins when the range is narrower than the view.
  void Clamp();
  // One sub-step of autoscroll, then Clamp.
  void StepAutoScroll();
  // nSpeed in tenths of a pixel per frame; stored per sub-step of the stage
  // being played (g_Stage). Returns 0.
  int SetAutoScroll(int bOn, int nSpeed);
  // The scroll range from the stage's limit cells.
  void SetLimits(int nFirstCell, int nLastCell, int bFirst, int bLast);

  double m_dPos = 0.0;       // scroll position in world pixels
  int32_t m_bClamped = 0;    // the last Clamp had to move the position
  int32_t m_nAxis = 0;       // 0 horizontal, 1 vertical
  int32_t m_nView = 0;       // 640 or 480
  int32_t m_nScrollMin = 0;  // range the view may show
  int32_t m_nScrollMax = 0;
  int32_t m_nStageMin = 0;    // border x 32
  int32_t m_nStageMax = 0;    // far end of the stage map, at least 0
  int32_t m_nMargin = 0;      // border in cells
  int32_t m_nOuter = 0;       // far end of the world, at least m_nCells x 32
  int32_t m_nCells = 0;       // stage cells + 20
  int32_t m_nPitch = 0;       // horizontal: power of two not below m_nCells; vertical: m_nCells
  int32_t m_nPitchShift = 0;  // horizontal: log2 of m_nPitch; vertical: 0
  double m_dAutoSpeed = 0.0;  // pixels per sub-step
  int32_t m_bAutoScroll = 0;
};

// Sets both axes up from the stage as a stage set-up does (the sub-step
// values must be derived already): extents, pitch, autoscroll and limits.
// The scroll positions are left as they are.
void SetupScrollAxes(const cEdStage& stage, cScrollAxis& axisX, cScrollAxis& axisY);
