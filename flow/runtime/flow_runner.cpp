#include "flow/runtime/flow_runner.h"

void COMMANDSTATE::Reset() {
  m_nCountdown = m_nDuration;
  m_bDone = 0;
  m_nCount = 0;
  m_bBegun = 0;
  m_dPhaseX = 0.0;
  m_dPhaseY = 0.0;
}
