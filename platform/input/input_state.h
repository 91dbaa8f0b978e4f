#pragma once
// Per-player input: the keyboard and the joysticks turned into direction and
// button bits once per frame, with run-length histories, event lists for the
// key conditions of flows, a menu key repeat and a one-shot button latch.
// The key configuration "user_data\KeyConfig.dat" chooses between the fixed
// layout and a user-defined map.

#include <cstdint>
#include <string_view>
#include <vector>

#include "app/base/checked_containers.h"
#include "platform/input/input_devices.h"

// Device number of the keyboard in a KEYENTRY; 0..7 are joysticks.
inline constexpr int kKeyDeviceKeyboard = 8;
// Joystick axis codes of a KEYENTRY.
inline constexpr uint16_t kAxisXLow = 256;
inline constexpr uint16_t kAxisXHigh = 512;
inline constexpr uint16_t kAxisYLow = 1024;
inline constexpr uint16_t kAxisYHigh = 2048;
// Axis thresholds on the 0..65535 scale.
inline constexpr uint32_t kAxisLowMax = 10000;
inline constexpr uint32_t kAxisHighMin = 55535;

// Direction bits.
inline constexpr uint16_t kDirLeft = 1;
inline constexpr uint16_t kDirRight = 2;
inline constexpr uint16_t kDirUp = 4;
inline constexpr uint16_t kDirDown = 8;

// One configured input: a key of the keyboard, or an axis code or a button
// mask of a joystick.
struct KEYENTRY {
  int32_t nDevice;
  uint16_t wCode;
  uint16_t wPad;
};

inline constexpr int kKeyEntryCount = 12;  // left, right, up, down, buttons 0..7

struct KEYCONFIG {
  KEYENTRY aEntry[kKeyEntryCount];
  int32_t nEntryCount;
  int32_t nJoystickCount;
  int32_t bUseConfig;  // 0 fixed layout, else the configured map
};
static_assert(sizeof(KEYCONFIG) == 108, "KEYCONFIG is the 108-byte file image");

inline constexpr const char* kKeyConfigPath = "user_data\\KeyConfig.dat";

extern KEYCONFIG g_KeyConfig;

// Reads the 108-byte configuration. 1 when a whole record was read; 0 when
// the file is missing or shorter (cfg is then untouched, and a report-log line
// says why). Joystick counts outside 0..8 are clamped.
int LoadKeyConfig(std::string_view storedPath, KEYCONFIG& cfg);
void SetDefaultKeyConfig(KEYCONFIG& cfg);

struct INPUTRUN {
  uint16_t wValue;
  int32_t nFrames;
};

struct KEYEVENT {
  int32_t nState;   // 1 the condition held, 0 it did not
  int32_t nFrames;  // how long it lasted
};

inline constexpr int kHistoryRuns = 32;
inline constexpr int kKeyEvents = 32;
inline constexpr int kDirEventLists = 10;
inline constexpr int kButtonEventLists = 9;

class cInputState {
 public:
  PLAYER_ELEMENT_SIZE(cInputState, 708);
  cInputState();

  // The replay reads and writes these two words first.
  uint16_t m_wDir = 0;
  uint16_t m_wButtons = 0;
  uint16_t m_wDirShift = 0;
  INPUTRUN m_History[2][kHistoryRuns];
  int32_t m_nHistoryHead[2];
  std::vector<std::vector<KEYEVENT>> m_DirEvents;
  std::vector<std::vector<KEYEVENT>> m_ButtonEvents;
  int32_t m_nKeypad = 5;
  int32_t m_nRepeatCountH = 0;
  int32_t m_nRepeatCountV = 0;
  uint32_t m_nRepeatDelay = 0;
  uint32_t m_nRepeatInterval = 1;
  int32_t m_bLatch = 0;
  uint16_t m_wJoyButtonMask[8] = {};
  int32_t m_bJoyOK = 0;
  int32_t m_nJoyRetry = 0;

  void InitButtonMasks();
  void SetRepeat(uint32_t nDelay, uint32_t nInterval);  // an interval below 1 becomes 1

  // Fixed layout: joystick `nJoystick` (flags bit 0) and the arrows with
  // Z X C V A S D F (flags bit 1). 0 when the configured map is in use.
  int PollFixed(int nJoystick, int nFlags, int nRetryFrames);
  // Configured map of g_KeyConfig. 0 when the fixed layout is in use.
  int PollConfigured(int nPlayers, int nRetryFrames);

  static int IsAxisPressed(const JOYREADING& reading, uint32_t nCode);
  static int GetKeypadDirection(uint16_t wDir);

  void ClearHistory();
  void RecordHistory();
  // Value of channel 0 (directions) or 1 (buttons) n frames ago.
  uint16_t GetHistoryValue(int nChannel, int nFramesAgo) const;

  void ClearKeyEvents();
  void UpdateKeyEvents();
  static void PushKeyEvent(std::vector<KEYEVENT>& list, uint16_t wValue, uint16_t wTarget,
                           bool bBitwise);

  void ClearDirection() {
    m_wDir = 0;
    m_nKeypad = 5;
  }
  void ClearButtons() { m_wButtons = 0; }

  void ApplyRepeat();
  void LatchButtons(int nMask);

 private:
  // One joystick read under the retry rule; false also while a failed
  // joystick waits out its retry frames.
  bool ReadJoystick(int nJoystick, int nRetryFrames, JOYREADING& out);
};

// The players' input records; the program makes one (player 1). Indexed
// through the checked accessor At().
class cInputStateList : public cCheckedVector<cInputState> {
 public:
  explicit cInputStateList(size_t n) : cCheckedVector<cInputState>(n, cInputState()) {}
};

extern cInputStateList g_InputStates;

// Mouse buttons for the window framework.
struct MOUSESTATE {
  int32_t x, y;
  int32_t bLeft, bRight;                  // held
  int32_t bLeftPressed, bRightPressed;    // went down (reported once)
  int32_t bLeftReleased, bRightReleased;  // went up since the previous call
};

// Flags bit 0 reads the held buttons, bit 1 the press edges, bit 2 the
// release edges. Returns 1.
int UpdateMouseButtons(MOUSESTATE& state, int nFlags);

// Puts the input globals back as at start-up (tests): the device table, the
// key configuration (all zero), the mouse press memory and one fresh player.
void ResetInputGlobals();
