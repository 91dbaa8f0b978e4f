// A message text with variable references, substituted as a text window
// substitutes it, with common and stage variables at the ends of their range.
// Whatever the text, each reference (at least three bytes) becomes at most
// eleven, so the text grows by at most 8 bytes for every 3, and a text
// without a "#" stays as it is.

#include <climits>
#include <cstdlib>
#include <string>

#include "flow/runtime/flow_context.h"
#include "fuzz/fuzz_support.h"
#include "objects/message.h"
#include "stagedata/progress/play_data.h"

namespace {

void Check(bool bHolds) {
  if (!bHolds) std::abort();
}

// Kept for the life of the process, as the context must stay current.
cFlowContext* g_lpContext = nullptr;

}  // namespace

void FuzzTargetSetUp() {
  g_PlayData.Reset();
  g_lpContext = new cFlowContext;
  const int32_t aValues[] = {0, 7, -42, 42, INT_MIN, INT_MAX, 1000000, -1};
  for (int n = 0; n < kStageVars; ++n) {
    g_lpContext->m_vStageVar.At(n) = aValues[n % 8];
    g_PlayData.m_CommonVars.At(n) = aValues[(n + 3) % 8];
  }
}

void FuzzOneInput(const uint8_t* lpData, size_t nSize) {
  BeginFuzzInput();
  const std::string strInput(reinterpret_cast<const char*>(lpData), nSize);
  std::string strText = strInput;
  SubstituteVariables(strText);
  Check(strText.size() <= nSize + 8 * (nSize / 3));
  if (strInput.find('#') == std::string::npos) Check(strText == strInput);
}
