#pragma once
// Units of the flow runtime: sub-steps per frame, tenths of a second, and
// arithmetic that stays defined for every value a stage file can hold.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "stagedata/stage_globals.h"

// Sub-steps per frame (N) of the stage being played.
inline int SubSteps() { return g_Stage.m_nSubStep; }

inline int32_t SaturateInt32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// Stores a value in the type of the field it goes to, saturating at the
// type's ends (a stored parameter never wraps into another meaning).
template <class T>
void StoreSaturated(T& field, int32_t nValue) {
  field = static_cast<T>(
      std::clamp<int32_t>(nValue, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
}

// Sub-steps of a time in tenths of a second: tenths x N x 6, saturating.
inline int32_t TenthsToSubSteps(int64_t nTenths) { return SaturateInt32(nTenths * SubSteps() * 6); }

// a / b, or 0 when the quotient is not a finite number (b = 0 above all).
inline double SafeDiv(double a, double b) {
  if (b == 0.0) return 0.0;
  const double q = a / b;
  return std::isfinite(q) ? q : 0.0;
}
