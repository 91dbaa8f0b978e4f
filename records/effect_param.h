#pragma once
// Description of one parameter of an effect kind, a fire pattern or a shot
// movement type: its label and its range and default value.

#include <cstdint>
#include <string>

struct EFFECTPARAM {
  std::string strLabel;  // empty where the kind has no such parameter
  int16_t nMin = 0;
  int16_t nMax = 0;
  int16_t nDefault = 0;

  EFFECTPARAM() = default;
  // A null label gives the empty string.
  EFFECTPARAM(const char* pszLabel, int16_t nLowest, int16_t nHighest, int16_t nDefaultValue)
      : strLabel(pszLabel ? pszLabel : ""),
        nMin(nLowest),
        nMax(nHighest),
        nDefault(nDefaultValue) {}
};
