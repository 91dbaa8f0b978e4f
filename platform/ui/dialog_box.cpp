#include "platform/ui/dialog_box.h"

#include <algorithm>
#include <map>
#include <mutex>

#include "app/base/sjis.h"
#include "platform/input/virtual_keys.h"
#include "platform/ui/keyboard_hook.h"

namespace {

std::mutex g_templateMutex;
std::map<int, DLGTEMPLATE>& Templates() {
  static std::map<int, DLGTEMPLATE> templates;
  return templates;
}

cDialogBox* g_lpActiveBox = nullptr;

bool IsButtonKind(DlgItemKind kind) {
  return kind == DlgItemKind::PushButton || kind == DlgItemKind::DefButton ||
         kind == DlgItemKind::Radio || kind == DlgItemKind::Check;
}

bool TakesFocus(const DLGITEMSTATE& item) {
  return item.bEnabled && (item.tmpl.kind == DlgItemKind::Edit || IsButtonKind(item.tmpl.kind));
}

int ClampOffset(const std::string& str, int n) {
  return std::clamp(n, 0, static_cast<int>(str.size()));
}

}  // namespace

void RegisterDialogTemplate(const DLGTEMPLATE& tmpl) {
  std::lock_guard lock(g_templateMutex);
  Templates()[tmpl.nResource] = tmpl;
}

const DLGTEMPLATE* FindDialogTemplate(int nResource) {
  std::lock_guard lock(g_templateMutex);
  auto it = Templates().find(nResource);
  return it == Templates().end() ? nullptr : &it->second;
}

cDialogBox::cDialogBox(const DLGTEMPLATE& tmpl, DialogProc proc)
    : m_tmpl(tmpl), m_proc(std::move(proc)) {
  for (const DLGITEMTEMPLATE& item : m_tmpl.items) {
    DLGITEMSTATE state;
    state.tmpl = item;
    state.strText = item.strText;
    m_items.push_back(state);
  }
  // The first item that takes the focus has it until the dialog moves it.
  for (const DLGITEMSTATE& item : m_items)
    if (TakesFocus(item)) {
      m_nFocus = item.tmpl.nId;
      break;
    }
}

void cDialogBox::Init() { Send(UIMSG_INITDIALOG, 0, 0); }

intptr_t cDialogBox::Send(uint32_t nMsg, intptr_t wParam, intptr_t lParam) {
  return m_proc ? m_proc(nMsg, wParam, lParam) : 0;
}

void cDialogBox::Post(uint32_t nMsg, intptr_t wParam, intptr_t lParam) {
  m_posted.push_back({nMsg, wParam, lParam});
}

int cDialogBox::DeliverPosted() {
  int n = 0;
  while (!m_posted.empty() && !m_bEnded) {
    const POSTED msg = m_posted.front();
    m_posted.pop_front();
    Send(msg.nMsg, msg.wParam, msg.lParam);
    ++n;
  }
  return n;
}

void cDialogBox::End(intptr_t nResult) {
  m_bEnded = true;
  m_nResult = nResult;
}

DLGITEMSTATE* cDialogBox::Item(int nId) {
  for (DLGITEMSTATE& item : m_items)
    if ((item.tmpl.nId & 0xFFFF) == (nId & 0xFFFF)) return &item;
  return nullptr;
}

void cDialogBox::SetFocusItem(int nId) {
  const int nOld = m_nFocus;
  m_nFocus = nId;
  if (nOld == nId) return;
  const DLGITEMSTATE* old = Item(nOld);
  if (old != nullptr && old->tmpl.kind == DlgItemKind::Edit)
    Send(UIMSG_COMMAND, MakeCommandParam(nOld, EN_KILLFOCUS), 0);
}

bool cDialogBox::TypeText(int nId, const std::string& strText, int nSelStart, int nSelEnd) {
  DLGITEMSTATE* item = Item(nId);
  if (item == nullptr || item->tmpl.kind != DlgItemKind::Edit || !item->bEnabled || m_bEnded)
    return false;
  item->strText = strText;
  item->nSelStart = ClampOffset(item->strText, nSelStart);
  item->nSelEnd = ClampOffset(item->strText, nSelEnd);
  Send(UIMSG_COMMAND, MakeCommandParam(nId, EN_UPDATE), 0);
  return true;
}

bool cDialogBox::TypeAtCaret(const std::string& strChars, bool bBackspace) {
  DLGITEMSTATE* item = Item(m_nFocus);
  if (item == nullptr || item->tmpl.kind != DlgItemKind::Edit) return false;
  std::string str = item->strText;
  int a = ClampOffset(str, std::min(item->nSelStart, item->nSelEnd));
  int b = ClampOffset(str, std::max(item->nSelStart, item->nSelEnd));
  if (bBackspace && a == b && a > 0) {
    // The character before the caret: scan from the start to find its lead.
    int nPrev = 0;
    for (int i = 0; i < a;) {
      nPrev = i;
      i += (IsLeadByte(static_cast<unsigned char>(str[i])) && i + 1 < a) ? 2 : 1;
    }
    // "\r\n" goes as one.
    if (a >= 2 && str[a - 2] == '\r' && str[a - 1] == '\n') nPrev = a - 2;
    a = nPrev;
  }
  str.replace(a, b - a, bBackspace ? std::string() : strChars);
  const int nCaret = a + (bBackspace ? 0 : static_cast<int>(strChars.size()));
  m_bBackspaceDown = bBackspace;
  const bool bDone = TypeText(m_nFocus, str, nCaret, nCaret);
  m_bBackspaceDown = false;
  return bDone;
}

bool cDialogBox::ClickItem(int nId) {
  DLGITEMSTATE* item = Item(nId);
  if (item == nullptr || !item->bEnabled || !IsButtonKind(item->tmpl.kind) || m_bEnded)
    return false;
  if (item->tmpl.kind == DlgItemKind::Check) item->bChecked = item->bChecked ? 0 : 1;
  if (item->tmpl.kind == DlgItemKind::Radio) {
    // The run of radio buttons around the item is its group.
    const size_t nAt = static_cast<size_t>(item - m_items.data());
    size_t nFirst = nAt, nLast = nAt;
    while (nFirst > 0 && m_items[nFirst - 1].tmpl.kind == DlgItemKind::Radio) --nFirst;
    while (nLast + 1 < m_items.size() && m_items[nLast + 1].tmpl.kind == DlgItemKind::Radio)
      ++nLast;
    for (size_t i = nFirst; i <= nLast; ++i) m_items[i].bChecked = i == nAt ? 1 : 0;
  }
  SetFocusItem(nId);
  Send(UIMSG_COMMAND, MakeCommandParam(nId, BN_CLICKED), 0);
  return true;
}

void cDialogBox::PressKey(int nVirtualKey, bool bDown, bool bComposing) {
  if (m_bEnded) return;
  m_bComposing = bComposing;
  KeyboardHookProc(0, nVirtualKey, bDown ? 0u : 0x80000000u);
  m_bComposing = false;
  // The message loop hands the dialog the hook's copies before the key
  // reaches the focused item.
  DeliverPosted();
  if (!bDown || bComposing) return;
  if (nVirtualKey == vkey::kReturn) {
    // Enter chooses the default button, wherever the focus is.
    for (const DLGITEMSTATE& item : m_items)
      if (item.tmpl.kind == DlgItemKind::DefButton && item.bEnabled) {
        Send(UIMSG_COMMAND, MakeCommandParam(item.tmpl.nId, BN_CLICKED), 0);
        return;
      }
  } else if (nVirtualKey == vkey::kTab) {
    // The next item that takes the focus, round the end.
    const size_t n = m_items.size();
    size_t nAt = 0;
    for (size_t i = 0; i < n; ++i)
      if (m_items[i].tmpl.nId == m_nFocus) nAt = i;
    for (size_t k = 1; k <= n; ++k) {
      const DLGITEMSTATE& item = m_items[(nAt + k) % n];
      if (TakesFocus(item)) {
        SetFocusItem(item.tmpl.nId);
        break;
      }
    }
  }
}

void cDialogBox::CloseBox() {
  if (!m_bEnded) Send(UIMSG_CLOSE, 0, 0);
}

cDialogBox* ActiveDialogBox() { return g_lpActiveBox; }
void SetActiveDialogBox(cDialogBox* lpBox) { g_lpActiveBox = lpBox; }

int SetDlgItemString(cDialogBox* lpBox, int nId, const std::string& strText) {
  DLGITEMSTATE* item = lpBox != nullptr ? lpBox->Item(nId) : nullptr;
  if (item == nullptr) return 0;
  item->strText = strText;
  item->nSelStart = ClampOffset(item->strText, item->nSelStart);
  item->nSelEnd = ClampOffset(item->strText, item->nSelEnd);
  // An edit box tells its dialog of every change of its text, its own
  // setting included.
  if (item->tmpl.kind == DlgItemKind::Edit)
    lpBox->Send(UIMSG_COMMAND, MakeCommandParam(nId, EN_UPDATE), 0);
  return 1;
}

void GetDlgItemString(cDialogBox* lpBox, int nId, std::string& strOut, int nMax) {
  strOut.clear();
  DLGITEMSTATE* item = lpBox != nullptr ? lpBox->Item(nId) : nullptr;
  if (item == nullptr || nMax <= 1) return;
  nMax = std::min(nMax, kDlgItemTextMax);
  strOut = item->strText;
  CutToCharBoundary(strOut, static_cast<size_t>(nMax - 1));
}

void CheckDlgItem(cDialogBox* lpBox, int nId, int bCheck) {
  DLGITEMSTATE* item = lpBox != nullptr ? lpBox->Item(nId) : nullptr;
  if (item != nullptr) item->bChecked = bCheck;
}

int IsDlgItemChecked(cDialogBox* lpBox, int nId) {
  DLGITEMSTATE* item = lpBox != nullptr ? lpBox->Item(nId) : nullptr;
  return item != nullptr ? item->bChecked : 0;
}

void SetEditSelection(cDialogBox* lpBox, int nId, int nStart, int nEnd) {
  DLGITEMSTATE* item = lpBox != nullptr ? lpBox->Item(nId) : nullptr;
  if (item == nullptr) return;
  // -1 for the end selects to the end of the text.
  if (nEnd < 0) nEnd = static_cast<int>(item->strText.size());
  item->nSelStart = ClampOffset(item->strText, nStart);
  item->nSelEnd = ClampOffset(item->strText, nEnd);
}

void GetEditSelection(cDialogBox* lpBox, int nId, int& nStart, int& nEnd) {
  DLGITEMSTATE* item = lpBox != nullptr ? lpBox->Item(nId) : nullptr;
  nStart = item != nullptr ? item->nSelStart : 0;
  nEnd = item != nullptr ? item->nSelEnd : 0;
}

void EnableDlgItem(cDialogBox* lpBox, int nId, int bEnable) {
  DLGITEMSTATE* item = lpBox != nullptr ? lpBox->Item(nId) : nullptr;
  if (item != nullptr) item->bEnabled = bEnable ? 1 : 0;
}
