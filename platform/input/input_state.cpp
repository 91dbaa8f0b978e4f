#include "platform/input/input_state.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/base/file_system.h"
#include "app/base/report_log.h"
#include "platform/input/virtual_keys.h"

KEYCONFIG g_KeyConfig{};
cInputStateList g_InputStates(1);

// ---------------------------------------------------------------------------
// Key configuration

namespace {

int32_t ReadInt32(const unsigned char* p) {
  return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                 uint32_t(p[3]) << 24);
}
uint16_t ReadUInt16(const unsigned char* p) { return uint16_t(p[0] | p[1] << 8); }

}  // namespace

int LoadKeyConfig(std::string_view storedPath, KEYCONFIG& cfg) {
  const std::string strPath(storedPath);
  FILE* fp = OpenFile(storedPath, "rb");
  if (fp == nullptr) {
    ReportLog("%s がないため、標準のキー設定を使います", strPath.c_str());
    return 0;
  }
  unsigned char buf[sizeof(KEYCONFIG) + 1];
  const size_t nRead = std::fread(buf, 1, sizeof(buf), fp);
  std::fclose(fp);
  if (nRead < sizeof(KEYCONFIG)) {
    ReportLog("%s が短すぎます (%d / %d バイト)。標準のキー設定を使います", strPath.c_str(),
              int(nRead), int(sizeof(KEYCONFIG)));
    return 0;
  }
  if (nRead > sizeof(KEYCONFIG))
    ReportLog("%s が %d バイトを超えています。先頭の %d バイトだけを読みます", strPath.c_str(),
              int(sizeof(KEYCONFIG)), int(sizeof(KEYCONFIG)));

  KEYCONFIG loaded{};
  for (int k = 0; k < kKeyEntryCount; ++k) {
    loaded.aEntry[k].nDevice = ReadInt32(buf + 8 * k);
    loaded.aEntry[k].wCode = ReadUInt16(buf + 8 * k + 4);
    loaded.aEntry[k].wPad = ReadUInt16(buf + 8 * k + 6);
  }
  loaded.nEntryCount = ReadInt32(buf + 96);
  loaded.nJoystickCount = ReadInt32(buf + 100);
  loaded.bUseConfig = ReadInt32(buf + 104);
  if (loaded.nJoystickCount < 0 || loaded.nJoystickCount > kMaxJoysticks) {
    ReportLog("%s のジョイスティック数 %d を %d にします", strPath.c_str(), loaded.nJoystickCount,
              std::clamp<int32_t>(loaded.nJoystickCount, 0, kMaxJoysticks));
    loaded.nJoystickCount = std::clamp<int32_t>(loaded.nJoystickCount, 0, kMaxJoysticks);
  }
  cfg = loaded;
  return 1;
}

void SetDefaultKeyConfig(KEYCONFIG& cfg) {
  static constexpr uint16_t kCodes[kKeyEntryCount] = {
      vkey::kLeft, vkey::kRight, vkey::kUp, vkey::kDown, vkey::kZ, vkey::kX,
      vkey::kC,    vkey::kV,     vkey::kA,  vkey::kS,    vkey::kD, vkey::kF};
  cfg = KEYCONFIG{};
  for (int k = 0; k < kKeyEntryCount; ++k)
    cfg.aEntry[k] = KEYENTRY{kKeyDeviceKeyboard, kCodes[k], 0};
  cfg.nEntryCount = kKeyEntryCount;
  cfg.nJoystickCount = 1;
  cfg.bUseConfig = 0;
}

// ---------------------------------------------------------------------------
// Polling

cInputState::cInputState()
    : m_DirEvents(kDirEventLists, std::vector<KEYEVENT>(kKeyEvents, KEYEVENT{0, 0})),
      m_ButtonEvents(kButtonEventLists, std::vector<KEYEVENT>(kKeyEvents, KEYEVENT{0, 0})) {
  ClearHistory();
}

void cInputState::InitButtonMasks() {
  for (int i = 0; i < 8; ++i) m_wJoyButtonMask[i] = uint16_t(1u << i);
}

void cInputState::SetRepeat(uint32_t nDelay, uint32_t nInterval) {
  m_nRepeatDelay = nDelay;
  m_nRepeatInterval = std::max<uint32_t>(nInterval, 1);
}

bool cInputState::ReadJoystick(int nJoystick, int nRetryFrames, JOYREADING& out) {
  if (!m_bJoyOK && m_nJoyRetry >= 1) {
    --m_nJoyRetry;
    return false;
  }
  if (InputDevices().ReadJoystick(nJoystick, out)) {
    m_bJoyOK = 1;
    return true;
  }
  m_bJoyOK = 0;
  m_nJoyRetry = int32_t(std::clamp<int64_t>(int64_t(nRetryFrames) * 2, 0, INT32_MAX));
  return false;
}

int cInputState::PollFixed(int nJoystick, int nFlags, int nRetryFrames) {
  if (g_KeyConfig.bUseConfig) return 0;
  const cInputDevices& dev = InputDevices();

  bool bJoyDir = false;
  bool bJoyButtons = false;
  JOYREADING joy;
  if (ReadJoystick(nJoystick, nRetryFrames, joy) && (nFlags & 1)) {
    m_nKeypad = 5;
    m_wDir = 0;
    if (joy.dwX <= kAxisLowMax) {
      m_wDir = kDirLeft;
      m_nKeypad = 4;
    } else if (joy.dwX >= kAxisHighMin) {
      m_wDir = kDirRight;
      m_nKeypad = 6;
    }
    if (joy.dwY <= kAxisLowMax) {
      m_wDir |= kDirUp;
      m_nKeypad -= 3;
    } else if (joy.dwY >= kAxisHighMin) {
      m_wDir |= kDirDown;
      m_nKeypad += 3;
    }
    bJoyDir = m_nKeypad != 5;
    m_wButtons = 0;
    for (int i = 0; i < 8; ++i)
      if (joy.dwButtons & m_wJoyButtonMask[i]) m_wButtons |= uint16_t(1u << i);
    bJoyButtons = m_wButtons != 0;
  }
  if (!(nFlags & 2)) return 1;

  if (!bJoyDir) {
    static constexpr struct {
      int nKey;
      uint16_t wBit;
      int nStep;
    } kDirKeys[] = {{vkey::kLeft, kDirLeft, -1},
                    {vkey::kRight, kDirRight, 1},
                    {vkey::kUp, kDirUp, -3},
                    {vkey::kDown, kDirDown, 3}};
    m_nKeypad = 5;
    m_wDir = 0;
    for (const auto& k : kDirKeys) {
      if (dev.IsKeyDown(k.nKey)) {
        m_wDir |= k.wBit;
        m_nKeypad += k.nStep;
      }
    }
  }
  if (!bJoyButtons) {
    static constexpr int kButtonKeys[8] = {vkey::kZ, vkey::kX, vkey::kC, vkey::kV,
                                           vkey::kA, vkey::kS, vkey::kD, vkey::kF};
    m_wButtons = 0;
    for (int i = 0; i < 8; ++i)
      if (dev.IsKeyDown(kButtonKeys[i])) m_wButtons |= uint16_t(1u << i);
  }
  return 1;
}

int cInputState::PollConfigured(int nPlayers, int nRetryFrames) {
  if (!g_KeyConfig.bUseConfig) return 0;
  const cInputDevices& dev = InputDevices();

  const int nJoysticks = std::clamp<int32_t>(g_KeyConfig.nJoystickCount, 0, kMaxJoysticks);
  JOYREADING aReading[kMaxJoysticks];
  bool abRead[kMaxJoysticks] = {};
  for (int j = 0; j < nJoysticks; ++j) abRead[j] = ReadJoystick(j, nRetryFrames, aReading[j]);

  // The file holds one key map.
  if (nPlayers < 1) return 1;

  auto IsPressed = [&](const KEYENTRY& e, bool bAxes) {
    if (e.nDevice == kKeyDeviceKeyboard) return dev.IsKeyDown(e.wCode);
    if (e.nDevice < 0 || e.nDevice >= nJoysticks || !abRead[e.nDevice]) return false;
    const JOYREADING& r = aReading[e.nDevice];
    if (bAxes && IsAxisPressed(r, e.wCode)) return true;
    return (r.dwButtons & e.wCode) != 0;
  };

  const KEYENTRY* e = g_KeyConfig.aEntry;
  m_nKeypad = 5;
  m_wDir = 0;
  m_wButtons = 0;
  if (IsPressed(e[0], true)) {
    m_wDir |= kDirLeft;
    m_nKeypad -= 1;
  } else if (IsPressed(e[1], true)) {
    m_wDir |= kDirRight;
    m_nKeypad += 1;
  }
  if (IsPressed(e[2], true)) {
    m_wDir |= kDirUp;
    m_nKeypad -= 3;
  } else if (IsPressed(e[3], true)) {
    m_wDir |= kDirDown;
    m_nKeypad += 3;
  }
  const int nEntries = std::min<int32_t>(g_KeyConfig.nEntryCount, kKeyEntryCount);
  for (int j = 0; j + 4 < nEntries; ++j)
    if (IsPressed(e[4 + j], false)) m_wButtons |= uint16_t(1u << j);
  return 1;
}

int cInputState::IsAxisPressed(const JOYREADING& r, uint32_t nCode) {
  switch (nCode) {
    case kAxisXLow:
      return r.dwX <= kAxisLowMax;
    case kAxisXHigh:
      return r.dwX >= kAxisHighMin;
    case kAxisYLow:
      return r.dwY <= kAxisLowMax;
    case kAxisYHigh:
      return r.dwY >= kAxisHighMin;
    default:
      return 0;
  }
}

int cInputState::GetKeypadDirection(uint16_t wDir) {
  int n = (wDir & kDirLeft) ? 4 : (wDir & kDirRight) ? 6 : 5;
  if (wDir & kDirUp)
    n -= 3;
  else if (wDir & kDirDown)
    n += 3;
  return n;
}

// ---------------------------------------------------------------------------
// Histories and event lists

void cInputState::ClearHistory() {
  for (auto& ring : m_History)
    for (auto& run : ring) run = INPUTRUN{0, 0};
  m_nHistoryHead[0] = m_nHistoryHead[1] = 0;
}

void cInputState::RecordHistory() {
  const uint16_t aValue[2] = {m_wDir, m_wButtons};
  for (int ch = 0; ch < 2; ++ch) {
    INPUTRUN& head = m_History[ch][m_nHistoryHead[ch]];
    if (head.wValue == aValue[ch]) {
      if (head.nFrames < INT32_MAX) ++head.nFrames;
    } else {
      m_nHistoryHead[ch] = (m_nHistoryHead[ch] + 1) % kHistoryRuns;
      m_History[ch][m_nHistoryHead[ch]] = INPUTRUN{aValue[ch], 1};
    }
  }
}

uint16_t cInputState::GetHistoryValue(int nChannel, int nFramesAgo) const {
  if (nChannel < 0 || nChannel > 1) return 0;
  int nIndex = m_nHistoryHead[nChannel];
  int64_t nRemaining = int64_t(nFramesAgo) + 1;  // no overflow at INT_MAX
  for (int i = 0; i < kHistoryRuns; ++i) {
    const INPUTRUN& run = m_History[nChannel][nIndex];
    if (run.nFrames < nRemaining) {
      nRemaining -= run.nFrames;
      nIndex = (nIndex + kHistoryRuns - 1) % kHistoryRuns;
    }
  }
  return m_History[nChannel][nIndex].wValue;
}

void cInputState::ClearKeyEvents() {
  m_DirEvents.assign(kDirEventLists, std::vector<KEYEVENT>(kKeyEvents, KEYEVENT{0, 0}));
  m_ButtonEvents.assign(kButtonEventLists, std::vector<KEYEVENT>(kKeyEvents, KEYEVENT{0, 0}));
}

void cInputState::PushKeyEvent(std::vector<KEYEVENT>& list, uint16_t wValue, uint16_t wTarget,
                               bool bBitwise) {
  const bool bHolds = bBitwise ? (wValue & wTarget) != 0 : wValue == wTarget;
  if (list.empty()) list.assign(kKeyEvents, KEYEVENT{0, 0});
  KEYEVENT& newest = list.front();
  if ((newest.nState != 0) != bHolds) {
    std::move_backward(list.begin(), list.end() - 1, list.end());
    list.front() = KEYEVENT{bHolds ? 1 : 0, 1};
  } else if (newest.nFrames < INT32_MAX) {
    ++newest.nFrames;
  }
}

void cInputState::UpdateKeyEvents() {
  static constexpr uint16_t kDirTargets[kDirEventLists - 1] = {0, 1, 2, 4, 8, 5, 9, 6, 10};
  if (m_DirEvents.size() < size_t(kDirEventLists) ||
      m_ButtonEvents.size() < size_t(kButtonEventLists))
    ClearKeyEvents();
  for (int i = 0; i < kDirEventLists - 1; ++i)
    PushKeyEvent(m_DirEvents[i], m_wDir, kDirTargets[i], false);
  PushKeyEvent(m_DirEvents[9], m_wDir, 15, true);
  PushKeyEvent(m_ButtonEvents[0], m_wButtons, 0, false);
  for (int i = 1; i < kButtonEventLists; ++i)
    PushKeyEvent(m_ButtonEvents[i], m_wButtons, uint16_t(1u << (i - 1)), true);
}

// ---------------------------------------------------------------------------
// Menu helpers

void cInputState::ApplyRepeat() {
  const uint16_t wPrevious = m_wDirShift & 15;
  m_wDirShift = uint16_t((m_wDirShift << 4) | m_wDir);
  const uint32_t nInterval = std::max<uint32_t>(m_nRepeatInterval, 1);

  auto Axis = [&](uint16_t wBits, int32_t& nCount) {
    if ((m_wDir & wBits) != (wPrevious & wBits)) {
      nCount = 0;
      return;
    }
    if (nCount < INT32_MAX) ++nCount;
    const uint32_t n = uint32_t(std::max<int32_t>(nCount, 0));
    if (n < m_nRepeatDelay || n % nInterval != 0) m_wDir &= uint16_t(~wBits);
  };
  Axis(kDirLeft | kDirRight, m_nRepeatCountH);
  Axis(kDirUp | kDirDown, m_nRepeatCountV);
}

void cInputState::LatchButtons(int nMask) {
  const uint16_t wMask = (nMask & 0xFF) ? uint16_t(nMask & 0xFF) : uint16_t(0xFF);
  const uint16_t wHeld = m_wButtons & wMask;
  if (!m_bLatch) {
    if (wHeld) m_bLatch = 1;  // this press passes
  } else if (wHeld) {
    m_wButtons &= uint16_t(~wMask);
  } else {
    m_bLatch = 0;
  }
}

// ---------------------------------------------------------------------------
// Mouse

namespace {
// Whether a press of each button has been reported, shared by every caller.
std::atomic<bool> g_abMousePressReported[2];
}  // namespace

int UpdateMouseButtons(MOUSESTATE& state, int nFlags) {
  const cInputDevices& dev = InputDevices();
  const int32_t bPrevLeft = state.bLeft;
  const int32_t bPrevRight = state.bRight;
  if (nFlags & 1) {
    state.bLeft = dev.IsMouseButtonDown(0);
    state.bRight = dev.IsMouseButtonDown(1);
  }
  if (nFlags & 2) {
    int32_t* apPressed[2] = {&state.bLeftPressed, &state.bRightPressed};
    for (int b = 0; b < 2; ++b) {
      if (dev.IsMouseButtonDown(b)) {
        *apPressed[b] = !g_abMousePressReported[b].exchange(true);
      } else {
        g_abMousePressReported[b] = false;
        *apPressed[b] = 0;
      }
    }
  }
  if (nFlags & 4) {
    state.bLeftReleased = bPrevLeft == 1 && state.bLeft == 0;
    state.bRightReleased = bPrevRight == 1 && state.bRight == 0;
  }
  return 1;
}

void ResetInputGlobals() {
  InputDevices().Reset();
  g_KeyConfig = KEYCONFIG{};
  for (auto& b : g_abMousePressReported) b = false;
  g_InputStates = cInputStateList(1);
}
