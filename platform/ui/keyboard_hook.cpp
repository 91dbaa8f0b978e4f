#include "platform/ui/keyboard_hook.h"

#include "platform/input/virtual_keys.h"
#include "platform/ui/dialog_box.h"

int g_bCtrlDown = 0;

namespace {
bool g_bHookInstalled = false;
constexpr int kPeekCode = 3;
}  // namespace

bool cHook::Install(cDialogBox* lpBox) {
  m_lpBox = lpBox;
  if (lpBox != nullptr) lpBox->m_lpHookProperty = this;
  g_bHookInstalled = true;
  return true;
}

bool cHook::IsNotifyKey(int nVirtualKey) {
  return nVirtualKey == vkey::kSpace || (nVirtualKey >= vkey::kLeft && nVirtualKey <= 0x28) ||
         nVirtualKey == vkey::kDelete || (nVirtualKey >= vkey::kF1 && nVirtualKey <= vkey::kF1 + 7);
}

void cHook::UnhookAll() { g_bHookInstalled = false; }

bool cHook::IsInstalled() { return g_bHookInstalled; }

intptr_t KeyboardHookProc(int nCode, int nVirtualKey, uint32_t dwData) {
  if (!g_bHookInstalled || nCode < 0 || nCode == kPeekCode) return 0;
  cDialogBox* lpActive = ActiveDialogBox();
  if (lpActive == nullptr || lpActive->m_lpHookProperty == nullptr ||
      lpActive->m_lpHookProperty->m_lpBox != lpActive)
    return 0;
  if (dwData & 0x80000000u) {
    if (nVirtualKey == vkey::kControl) g_bCtrlDown = 0;
    lpActive->Post(UIMSG_KEYUP, nVirtualKey, static_cast<intptr_t>(dwData));
    return 0;
  }
  const bool bComposing = lpActive->m_bComposing;
  if (nVirtualKey == vkey::kReturn) {
    if (bComposing) return 0;
  } else if (nVirtualKey == vkey::kTab) {
    return 0;
  } else {
    if (!bComposing && cHook::IsNotifyKey(nVirtualKey)) {
      lpActive->Post(UIMSG_HOOKKEY, nVirtualKey, static_cast<intptr_t>(dwData));
      return 0;
    }
    if (nVirtualKey == vkey::kControl) g_bCtrlDown = 1;
  }
  lpActive->Post(UIMSG_KEYDOWN, nVirtualKey, static_cast<intptr_t>(dwData));
  return 0;
}
