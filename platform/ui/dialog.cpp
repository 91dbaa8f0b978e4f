#include "platform/ui/dialog.h"

#include <SDL.h>

#include <algorithm>
#include <mutex>

#include "app/base/message_box.h"
#include "app/base/report_log.h"
#include "app/base/sjis.h"
#include "platform/input/virtual_keys.h"

namespace {

std::mutex g_hostMutex;
DialogHost g_host;

// The main window's client area, where every dialog is drawn.
constexpr int kClientWidth = 640;
constexpr int kClientHeight = 480;
// Height of a caption bar drawn above a dialog's client area.
constexpr int kCaptionHeight = 20;

void DefaultHost(cDialogBox& box) {
  ReportLog("dialog %d: no display to show it on; closed", box.Template().nResource);
  box.CloseBox();
  if (!box.IsEnded()) box.End(0);
}

int LineCount(const std::string& str) {
  if (str.empty()) return 0;
  return static_cast<int>(std::count(str.begin(), str.end(), '\n')) + 1;
}

// A text cut after the lead byte of a double-byte character loses that byte.
void DropLoneLeadByte(std::string& s) {
  size_t i = 0;
  while (i < s.size()) {
    if (IsLeadByte(static_cast<unsigned char>(s[i]))) {
      if (i + 1 == s.size()) {
        s.pop_back();
        return;
      }
      i += 2;
    } else {
      ++i;
    }
  }
}

}  // namespace

// ---- controls ---------------------------------------------------------------------------

void cControl::Enable(bool bEnable) { EnableDlgItem(m_lpBox, m_nId, bEnable ? 1 : 0); }

void cControl::Attach(cDialog* lpDialog, int nId) {
  m_lpDialog = lpDialog;
  m_lpBox = lpDialog != nullptr ? lpDialog->Box() : nullptr;
  m_nId = static_cast<uint16_t>(nId);
  UpdateOffset();
}

bool cControl::HasItem() const { return m_lpBox != nullptr && m_lpBox->Item(m_nId) != nullptr; }

void cControl::UpdateOffset() {
  if (!HasItem()) return;
  const DLGITEMTEMPLATE& item = m_lpBox->Item(m_nId)->tmpl;
  m_nX = DialogUnitsToPixels(item.x);
  m_nY = DialogUnitsToPixels(item.y);
  m_nScreenX = m_lpBox->m_nX + m_nX;
  m_nScreenY = m_lpBox->m_nY + m_nY;
}

void cControl::Resize(int nWidth, int nHeight) {
  if (!HasItem()) return;
  UpdateOffset();
  DLGITEMTEMPLATE& item = m_lpBox->Item(m_nId)->tmpl;
  item.cx = nWidth * 2 / 3;
  item.cy = nHeight * 2 / 3;
}

void cControl::SetText(const std::string& strText) { SetDlgItemString(m_lpBox, m_nId, strText); }

void SetEditParams(EDITPARAMS& params, int nId, std::string* lpText, int n, int bCountChars) {
  params = EDITPARAMS();
  params.nId = nId;
  params.lpText = lpText;
  params.nTotalLimit = n + 1;
  params.nLineChars = bCountChars ? n : 0;
  params.nLineLimit = 1;
  params.bCountChars = bCountChars;
}

void cEditControl::Attach(cDialog* lpDialog, const EDITPARAMS& params) {
  cControl::Attach(lpDialog, params.nId);
  m_lpText = params.lpText;
  m_nTotalLimit = params.nTotalLimit != 0 ? params.nTotalLimit : 4096;
  m_nLineChars = params.nLineChars != 0 ? params.nLineChars : 1024;
  m_nLineLimit = params.nLineLimit != 0 ? params.nLineLimit : 32;
  m_bCountChars = params.bCountChars;
  std::copy(std::begin(params.anExtra), std::end(params.anExtra), m_anExtra);
  SetDlgItemString(m_lpBox, m_nId, m_lpText != nullptr ? *m_lpText : std::string());
  m_strLast = m_lpText != nullptr ? *m_lpText : std::string();
  m_bInitializing = 1;
  EnforceLimits();
  m_bInitializing = 0;
}

int cEditControl::ReadSize() const {
  const int n = m_bCountChars ? 2 * m_nTotalLimit - 1 : m_nTotalLimit;
  return std::min(n, kDlgItemTextMax);
}

void cEditControl::ShowValue() {
  SetDlgItemString(m_lpBox, m_nId, m_lpText != nullptr ? *m_lpText : std::string());
}

void cEditControl::StoreValue() {
  if (m_lpText != nullptr) GetDlgItemString(m_lpBox, m_nId, *m_lpText, ReadSize());
}

// Lines are separated by "\r\n". The text read is cut to the read size; a
// line longer than the per-line limit P is wrapped after its first P
// characters, and the cut-off tail joins the next line; a text that then has
// more lines than the limit is refused (the last accepted text stays). A
// Backspace that would join two lines into one longer than P is undone.
// Every cut falls between characters, never inside a double-byte one.
void cEditControl::EnforceLimits() {
  if (m_bInUpdate) return;
  m_bInUpdate = 1;
  const int P = m_nLineChars;
  auto length = [&](const std::string& s) {
    return m_bCountChars ? CountChars(s.c_str()) : static_cast<int>(s.size());
  };
  // Drops bytes from the end until the text fits P, then a lone lead byte.
  auto shorten = [&](std::string& s) {
    const int nMax = m_bCountChars ? 2 * P : P;
    for (int i = 0; i < nMax && length(s) > P && !s.empty(); ++i) s.pop_back();
    DropLoneLeadByte(s);
  };

  std::string strWork;
  GetDlgItemString(m_lpBox, m_nId, strWork, ReadSize());
  GetEditSelection(m_lpBox, m_nId, m_nSelStart, m_nSelEnd);
  int nStart = m_nSelStart, nEnd = m_nSelEnd;

  bool bDone = m_nLineLimit <= 0 && P <= 0;
  // A Backspace at the start of a line that would make the line above too long.
  if (!bDone && m_lpBox != nullptr && m_lpBox->m_bBackspaceDown && nStart == nEnd &&
      m_strLast.size() == strWork.size() + 2 && LineCount(strWork) < LineCount(m_strLast)) {
    std::string strBefore = m_strLast.substr(0, std::min<size_t>(nStart, m_strLast.size()));
    const size_t nCr = strBefore.rfind('\r');
    if (nCr != std::string::npos) strBefore = strBefore.substr(nCr);
    if (length(strBefore) >= P) {
      strWork = m_strLast;
      bDone = true;
    }
  }
  if (!bDone) {
    if (m_nLineLimit > 0) {
      size_t s = 0;
      for (int nPass = 0; nPass < m_nLineLimit; ++nPass) {
        size_t e = strWork.find('\r', s);
        if (e == std::string::npos) e = strWork.size();
        std::string strLine = strWork.substr(s, e - s);
        if (length(strLine) > P) {
          shorten(strLine);
          const size_t nAt = s + strLine.size();
          strWork.insert(nAt, "\r\n");
          if (nStart >= static_cast<int>(nAt)) nStart += 2;
          if (nEnd >= static_cast<int>(nAt)) nEnd += 2;
          const size_t nNext = strWork.find("\r\n", nAt + 2);
          if (nNext != std::string::npos) strWork.erase(nNext, 2);
        }
        const size_t nCr = strWork.find('\r', s);
        if (nCr == std::string::npos) break;
        s = nCr + 2;
      }
    }
    if (LineCount(strWork) > m_nLineLimit) {
      strWork = m_strLast;
      if (m_bInitializing) {
        shorten(strWork);
        bDone = true;
      } else {
        nStart = m_nSelStart;
        nEnd = m_nSelEnd;
      }
    }
  }
  if (!bDone || !m_bInitializing) {
    const int nSize = static_cast<int>(strWork.size());
    if (nStart >= 0 && nStart < nSize && strWork[static_cast<size_t>(nStart)] == '\n') ++nStart;
    if (nEnd >= 0 && nEnd < nSize && strWork[static_cast<size_t>(nEnd)] == '\n') ++nEnd;
    nStart = std::clamp(nStart, 0, nSize);
    nEnd = std::clamp(nEnd, 0, nSize);
  }
  SetDlgItemString(m_lpBox, m_nId, strWork);
  if (!m_bInitializing) SetEditSelection(m_lpBox, m_nId, nStart, nEnd);
  m_nSelStart = nStart;
  m_nSelEnd = nEnd;
  m_strLast = strWork;
  m_bInUpdate = 0;
}

void cCheckControl::ShowValue() {
  CheckDlgItem(m_lpBox, m_nId, m_lpValue != nullptr ? *m_lpValue : 0);
}

void cCheckControl::StoreValue() {
  if (m_lpValue != nullptr) *m_lpValue = IsDlgItemChecked(m_lpBox, m_nId);
}

void cRadioControl::ShowValue() {
  CheckDlgItem(m_lpBox, m_nId, m_lpValue != nullptr && *m_lpValue == m_nValue ? 1 : 0);
}

void cRadioControl::StoreValue() {
  if (m_lpValue != nullptr && IsDlgItemChecked(m_lpBox, m_nId) != 0) *m_lpValue = m_nValue;
}

void cWindowList::ShowAll(bool bShow) {
  for (cWindow* lpWindow : m_Windows) {
    if (lpWindow == nullptr || lpWindow->m_hWnd == nullptr) continue;
    if (bShow)
      SDL_ShowWindow(lpWindow->m_hWnd);
    else
      SDL_HideWindow(lpWindow->m_hWnd);
  }
}

void cWindowList::EnableAll(bool bEnable) {
  for (cWindow* lpWindow : m_Windows) {
    if (lpWindow == nullptr) continue;
    if (bEnable)
      lpWindow->RemoveStyle(UISTYLE_DISABLED);
    else
      lpWindow->AddStyle(UISTYLE_DISABLED);
  }
}

// ---- the dialog ----------------------------------------------------------------------------

cDialog::~cDialog() = default;

void cDialog::Init(int nResource, cWindow* lpParent, int nDerived, cWindowList* lpRegistry) {
  m_bInitialized = 0;
  m_nModalFlags = 0;
  m_nDerived = nDerived;
  Create(nResource, lpParent, lpRegistry);
}

void cDialog::Create(int nResource, cWindow* lpParent, cWindowList* lpRegistry) {
  m_lpParentObject = lpParent;
  m_lpRegistry = lpRegistry;
  InitWindow(nResource, lpParent, lpRegistry);
}

intptr_t cDialog::DoModal(int nFlags) {
  if (m_lpBox != nullptr) return 0;
  Close(0);
  const DLGTEMPLATE* lpTemplate = FindDialogTemplate(m_nResource);
  if (lpTemplate == nullptr) {
    ReportLog("dialog %d: no such dialog template", m_nResource);
    return -1;
  }
  m_nModalFlags = nFlags;
  if (m_lpRegistry != nullptr && (nFlags & 2)) m_lpRegistry->ShowAll(false);
  if (m_lpRegistry != nullptr && (nFlags & 4)) m_lpRegistry->EnableAll(false);

  cDialogBox box(*lpTemplate, [this](uint32_t nMsg, intptr_t wParam, intptr_t lParam) {
    return WindowProc(nMsg, wParam, lParam);
  });
  m_lpBox = &box;
  m_nClientW = DialogUnitsToPixels(lpTemplate->cx);
  m_nClientH = DialogUnitsToPixels(lpTemplate->cy);
  cDialogBox* lpOuter = ActiveDialogBox();
  SetActiveDialogBox(&box);
  box.Init();
  if (!box.IsEnded()) {
    DialogHost host;
    {
      std::lock_guard lock(g_hostMutex);
      host = g_host;
    }
    if (host)
      host(box);
    else
      DefaultHost(box);
  }
  SetActiveDialogBox(lpOuter);
  m_lpBox = nullptr;
  // The box is gone: what the controls point at goes with it.
  m_Controls.clear();
  if (m_lpRegistry != nullptr && (nFlags & 2)) m_lpRegistry->ShowAll(true);
  if (m_lpRegistry != nullptr && (nFlags & 4)) m_lpRegistry->EnableAll(true);
  return box.Result();
}

void cDialog::Close(intptr_t nResult) {
  m_nResult = nResult;
  m_Controls.clear();
  if (m_lpBox != nullptr) m_lpBox->End(nResult);
}

void cDialog::LoadControls() {
  for (int i = 0; static_cast<size_t>(i) < m_Controls.size(); ++i) m_Controls.At(i)->ShowValue();
}

void cDialog::SaveControls() {
  for (int i = 0; static_cast<size_t>(i) < m_Controls.size(); ++i) m_Controls.At(i)->StoreValue();
}

void cDialog::OnInitDialog(intptr_t, intptr_t) {
  m_Controls.clear();
  if (m_nCreateW != 0) SetClientSize(m_nCreateW, m_nCreateH);
  // The dialog sits at its stored position inside the main window's client
  // area, kept wholly inside it.
  int nBoxW = m_nClientW, nBoxH = m_nClientH;
  if (m_lpBox != nullptr && m_lpBox->Template().bCaption) nBoxH += kCaptionHeight;
  int x = m_nInitX != -1000 ? m_nInitX : (kClientWidth - nBoxW) / 2;
  int y = m_nInitY != -1000 ? m_nInitY : (kClientHeight - nBoxH) / 2;
  x = std::max(0, std::min(x, kClientWidth - nBoxW));
  y = std::max(0, std::min(y, kClientHeight - nBoxH));
  m_nX = x;
  m_nY = y;
  if (m_lpBox != nullptr) {
    m_lpBox->m_nX = x;
    m_lpBox->m_nY = y;
  }
  if (!m_Hook.Install(m_lpBox)) ErrorBoxf("KeyboardHookに失敗!");
  UpdateCursor(0, 7);
  m_MouseAtInit = m_Mouse;
}

int cDialog::HandleMessage(uint32_t nMsg, intptr_t wParam, intptr_t lParam) {
  const int r = cWindow::HandleMessage(nMsg, wParam, lParam);
  switch (nMsg) {
    case UIMSG_DESTROY:
      if (m_lpRegistry != nullptr && (m_nModalFlags & 2)) m_lpRegistry->ShowAll(true);
      if (m_lpRegistry != nullptr && (m_nModalFlags & 4)) m_lpRegistry->EnableAll(true);
      break;
    case UIMSG_NOTIFY:
      for (int i = 0; static_cast<size_t>(i) < m_Controls.size(); ++i)
        if (m_Controls.At(i)->OnNotify(wParam, lParam) != 0) break;
      break;
    case UIMSG_KEYDOWN: {
      // The navigation keys scroll; this dialog has no scroll bars of its
      // own, so the bar named is none.
      if (m_lpBox != nullptr) {
        switch (wParam) {
          case 0x21:
            m_lpBox->Post(UIMSG_VSCROLL, 2, 0);
            break;  // Page Up
          case 0x22:
            m_lpBox->Post(UIMSG_VSCROLL, 3, 0);
            break;  // Page Down
          case 0x23:
            m_lpBox->Post(UIMSG_HSCROLL, 3, 0);
            break;  // End
          case 0x24:
            m_lpBox->Post(UIMSG_HSCROLL, 2, 0);
            break;  // Home
          case 0x25:
            m_lpBox->Post(UIMSG_HSCROLL, 0, 0);
            break;  // Left
          case 0x26:
            m_lpBox->Post(UIMSG_VSCROLL, 0, 0);
            break;  // Up
          case 0x27:
            m_lpBox->Post(UIMSG_HSCROLL, 1, 0);
            break;  // Right
          case 0x28:
            m_lpBox->Post(UIMSG_VSCROLL, 1, 0);
            break;  // Down
          default:
            break;
        }
      }
      for (int i = 0; static_cast<size_t>(i) < m_Controls.size(); ++i)
        m_Controls.At(i)->OnKeyDown(static_cast<int>(wParam), lParam, g_bCtrlDown);
      break;
    }
    case UIMSG_INITDIALOG:
      OnInitDialog(wParam, lParam);
      break;
    case UIMSG_HSCROLL:
    case UIMSG_VSCROLL:
      for (int i = 0; static_cast<size_t>(i) < m_Controls.size(); ++i)
        if (m_Controls.At(i)->OnScroll(wParam, lParam) != 0) break;
      break;
    case UIMSG_HOOKKEY:
      if (m_lpBox != nullptr) m_lpBox->Send(UIMSG_KEYDOWN, wParam, lParam);
      break;
    default:
      break;
  }
  return r;
}

void cDialog::OnCommand(intptr_t wParam, intptr_t) {
  const int nId = static_cast<int>(wParam & 0xFFFF);
  const uint32_t nCode = static_cast<uint32_t>((wParam >> 16) & 0xFFFF);
  for (int i = 0; static_cast<size_t>(i) < m_Controls.size(); ++i) {
    cControl* lpControl = m_Controls.At(i);
    if (lpControl->m_nId != nId || lpControl->m_nKind != CTRL_EDIT) continue;
    if (nCode == EN_UPDATE) {
      lpControl->OnUpdate();
      return;
    }
    if (nCode == EN_KILLFOCUS) {
      lpControl->OnKillFocus();
      return;
    }
  }
}

void SetDialogHost(DialogHost host) {
  std::lock_guard lock(g_hostMutex);
  g_host = std::move(host);
}
