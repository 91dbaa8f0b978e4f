// Polling the fixed layout and the configured map from injected device states.

#include <vector>

#include "platform/input/tests/input_test_util.h"
#include "platform/input/virtual_keys.h"

namespace {

cInputState NewState() {
  cInputState s;
  s.SetRepeat(18, 6);
  s.InitButtonMasks();
  return s;
}

void UseConfiguredMap(const std::vector<KEYENTRY>& entries, int nJoysticks) {
  SetDefaultKeyConfig(g_KeyConfig);
  for (size_t i = 0; i < entries.size(); ++i) g_KeyConfig.aEntry[i] = entries[i];
  g_KeyConfig.nJoystickCount = nJoysticks;
  g_KeyConfig.bUseConfig = 1;
}

}  // namespace

using InputPoll = InputTest;

TEST_F(InputPoll, FixedKeyboardLayout) {
  struct Case {
    std::vector<int> keys;
    uint16_t wDir, wButtons;
    int nKeypad;
  } cases[] = {
      {{}, 0, 0, 5},
      {{vkey::kLeft}, 1, 0, 4},
      {{vkey::kRight}, 2, 0, 6},
      {{vkey::kUp}, 4, 0, 2},
      {{vkey::kDown}, 8, 0, 8},
      {{vkey::kUp, vkey::kRight}, 6, 0, 3},
      {{vkey::kDown, vkey::kLeft}, 9, 0, 7},
      {{vkey::kLeft, vkey::kRight}, 3, 0, 5},  // opposite keys cancel in the keypad code
      {{vkey::kZ, vkey::kX, vkey::kC, vkey::kV}, 0, 15, 5},
      {{vkey::kA, vkey::kS, vkey::kD, vkey::kF}, 0, 240, 5},
      {{vkey::kSpace, vkey::kReturn}, 0, 0, 5},
  };
  for (const auto& c : cases) {
    Dev().ReleaseAllKeys();
    for (int k : c.keys) Dev().SetKey(k, true);
    cInputState s = NewState();
    EXPECT_EQ(s.PollFixed(0, 3, 60), 1);
    EXPECT_EQ(s.m_wDir, c.wDir) << testing::PrintToString(c.keys);
    EXPECT_EQ(s.m_wButtons, c.wButtons) << testing::PrintToString(c.keys);
    EXPECT_EQ(s.m_nKeypad, c.nKeypad) << testing::PrintToString(c.keys);
  }
}

TEST_F(InputPoll, FixedJoystickTakesPrecedencePerGroup) {
  Dev().AttachJoystick(0, true);
  Dev().SetKey(vkey::kRight, true);
  Dev().SetKey(vkey::kZ, true);

  // Stick left beats the right arrow; no stick button, so Z counts.
  Dev().SetJoystickAxes(0, 0, 32767);
  cInputState s = NewState();
  s.PollFixed(0, 3, 60);
  EXPECT_EQ(s.m_wDir, kDirLeft);
  EXPECT_EQ(s.m_nKeypad, 4);
  EXPECT_EQ(s.m_wButtons, 1);

  // Stick neutral with button 2: directions from the keyboard, buttons from
  // the stick only.
  Dev().SetJoystickAxes(0, 32767, 32767);
  Dev().SetJoystickButtons(0, 4);
  s.PollFixed(0, 3, 60);
  EXPECT_EQ(s.m_wDir, kDirRight);
  EXPECT_EQ(s.m_wButtons, 4);

  // Diagonal on the stick.
  Dev().SetJoystickAxes(0, 65535, 65535);
  s.PollFixed(0, 3, 60);
  EXPECT_EQ(s.m_wDir, kDirRight | kDirDown);
  EXPECT_EQ(s.m_nKeypad, 9);

  // Flags bit 0 clear: the stick is ignored.
  s.PollFixed(0, 2, 60);
  EXPECT_EQ(s.m_wDir, kDirRight);
  EXPECT_EQ(s.m_wButtons, 1);

  // The fixed layout does nothing while the configured map is in use.
  g_KeyConfig.bUseConfig = 1;
  s.m_wDir = 0;
  EXPECT_EQ(s.PollFixed(0, 3, 60), 0);
  EXPECT_EQ(s.m_wDir, 0);
}

TEST_F(InputPoll, FailedJoystickIsRetriedAfterTwiceTheRetryFrames) {
  cInputState s = NewState();
  s.PollFixed(0, 3, 60);  // nothing attached: the read fails
  EXPECT_EQ(s.m_bJoyOK, 0);
  EXPECT_EQ(s.m_nJoyRetry, 120);

  Dev().AttachJoystick(0, true);
  Dev().SetJoystickAxes(0, 0, 32767);
  for (int i = 0; i < 120; ++i) {
    s.PollFixed(0, 3, 60);
    ASSERT_EQ(s.m_wDir, 0) << "frame " << i;
  }
  s.PollFixed(0, 3, 60);
  EXPECT_EQ(s.m_wDir, kDirLeft);
  EXPECT_EQ(s.m_bJoyOK, 1);
}

TEST_F(InputPoll, AxisThresholds) {
  struct Case {
    uint32_t x, y, code;
    int pressed;
  } cases[] = {
      {10000, 32767, kAxisXLow, 1},     {10001, 32767, kAxisXLow, 0},
      {55535, 32767, kAxisXHigh, 1},    {55534, 32767, kAxisXHigh, 0},
      {32767, 0, kAxisYLow, 1},         {32767, 65535, kAxisYHigh, 1},
      {32767, 55534, kAxisYHigh, 0},    {0, 0, 4096, 0},
      {0, 0, kAxisXLow | kAxisYLow, 0},  // codes are single axes, not masks
  };
  for (const auto& c : cases)
    EXPECT_EQ(cInputState::IsAxisPressed(JOYREADING{c.x, c.y, 0}, c.code), c.pressed)
        << c.x << "," << c.y << " code " << c.code;
}

TEST_F(InputPoll, KeypadDirectionFavoursLeftAndUp) {
  const int expected[16] = {5, 4, 6, 4, 2, 1, 3, 1, 8, 7, 9, 7, 2, 1, 3, 1};
  for (uint16_t bits = 0; bits < 16; ++bits)
    EXPECT_EQ(cInputState::GetKeypadDirection(bits), expected[bits]) << bits;
}

TEST_F(InputPoll, ConfiguredMapWithKeyboardAndJoystick) {
  const KEYENTRY kb = {kKeyDeviceKeyboard, 0, 0};
  UseConfiguredMap({{8, vkey::kLeft, 0},
                    {8, vkey::kRight, 0},
                    {0, kAxisYLow, 0},
                    {0, kAxisYHigh, 0},
                    {8, vkey::kSpace, 0},
                    {0, 2, 0},
                    {1, 1, 0},
                    {9, 1, 0},
                    {-1, 1, 0},
                    {0, kAxisXLow, 0},
                    kb,
                    kb},
                   1);
  Dev().AttachJoystick(0, true);
  Dev().AttachJoystick(1, true);  // beyond the joystick count: never read
  cInputState s = NewState();
  EXPECT_EQ(s.PollFixed(0, 3, 60), 0);

  // Both arrows: left wins.
  Dev().SetKey(vkey::kLeft, true);
  Dev().SetKey(vkey::kRight, true);
  EXPECT_EQ(s.PollConfigured(1, 60), 1);
  EXPECT_EQ(s.m_wDir, kDirLeft);
  EXPECT_EQ(s.m_nKeypad, 4);

  // Joystick 0 up plus its button 1 and the space bar.
  Dev().ReleaseAllKeys();
  Dev().SetJoystickAxes(0, 0, 0);
  Dev().SetJoystickButtons(0, 2);
  Dev().SetJoystickButtons(1, 1);
  Dev().SetKey(vkey::kSpace, true);
  s.PollConfigured(1, 60);
  EXPECT_EQ(s.m_wDir, kDirUp);
  EXPECT_EQ(s.m_nKeypad, 2);
  // Button 0 = space, 1 = stick button mask 2; entries on joystick 1, device 9
  // and device -1 read as not pressed; entry 9 (an axis code on a button) only
  // tests the button word.
  EXPECT_EQ(s.m_wButtons, 1 | 2);

  // An axis code is also a button mask: code 1024 is pressed by button 10.
  Dev().SetKey(vkey::kSpace, false);
  Dev().SetJoystickAxes(0, 32767, 32767);
  Dev().SetJoystickButtons(0, 1u << 10);
  s.PollConfigured(1, 60);
  EXPECT_EQ(s.m_wDir, kDirUp);
  EXPECT_EQ(s.m_wButtons, 0);
  // And code 256 (button 8) on a button entry.
  Dev().SetJoystickButtons(0, 1u << 8);
  s.PollConfigured(1, 60);
  EXPECT_EQ(s.m_wButtons, 1 << 5);
}

TEST_F(InputPoll, ConfiguredEntryAndJoystickCounts) {
  SetDefaultKeyConfig(g_KeyConfig);
  g_KeyConfig.bUseConfig = 1;
  for (int k : {vkey::kZ, vkey::kX, vkey::kC, vkey::kV, vkey::kA, vkey::kS, vkey::kD, vkey::kF})
    Dev().SetKey(k, true);
  struct Case {
    int32_t nEntries;
    uint16_t wButtons;
  } cases[] = {{12, 0xFF}, {100, 0xFF}, {6, 3}, {4, 0}, {-7, 0}, {INT32_MIN, 0}};
  for (const auto& c : cases) {
    g_KeyConfig.nEntryCount = c.nEntries;
    cInputState s = NewState();
    s.PollConfigured(1, 60);
    EXPECT_EQ(s.m_wButtons, c.wButtons) << c.nEntries;
  }

  // A joystick count the file could not hold is clamped, never indexed.
  g_KeyConfig.nEntryCount = 12;
  g_KeyConfig.aEntry[4] = KEYENTRY{7, 1, 0};
  Dev().ReleaseAllKeys();
  for (int j = 0; j < kMaxJoysticks; ++j) Dev().AttachJoystick(j, true);
  Dev().SetJoystickButtons(7, 1);
  for (int32_t nJoy : {1000, INT32_MAX, -3}) {
    g_KeyConfig.nJoystickCount = nJoy;
    cInputState s = NewState();
    s.PollConfigured(1, 60);
    EXPECT_EQ(s.m_wButtons, nJoy > 0 ? 1 : 0) << nJoy;
  }
}

TEST_F(InputPoll, CopiesAreIndependent) {
  cInputState s = NewState();
  Dev().SetKey(vkey::kLeft, true);
  s.PollFixed(0, 3, 60);
  s.RecordHistory();
  s.UpdateKeyEvents();
  cInputState copy = s;
  copy.ClearHistory();
  copy.ClearKeyEvents();
  EXPECT_EQ(s.GetHistoryValue(0, 0), kDirLeft);
  EXPECT_EQ(s.m_DirEvents[1][0].nState, 1);
  EXPECT_EQ(copy.m_DirEvents[1][0].nState, 0);

  cInputStateList list(3);
  EXPECT_EQ(list.size(), 3u);
  EXPECT_EQ(list.At(2).m_ButtonEvents.size(), size_t(kButtonEventLists));
}

TEST_F(InputPoll, MouseEdgesAreReportedOnce) {
  MOUSESTATE a{}, b{};
  Dev().SetMouseButton(0, true);
  UpdateMouseButtons(a, 7);
  EXPECT_EQ(a.bLeft, 1);
  EXPECT_EQ(a.bLeftPressed, 1);
  // The press memory is shared: another caller does not see it again.
  UpdateMouseButtons(b, 7);
  EXPECT_EQ(b.bLeftPressed, 0);
  UpdateMouseButtons(a, 7);
  EXPECT_EQ(a.bLeftPressed, 0);
  EXPECT_EQ(a.bLeftReleased, 0);

  Dev().SetMouseButton(0, false);
  Dev().SetMouseButton(1, true);
  UpdateMouseButtons(a, 7);
  EXPECT_EQ(a.bLeft, 0);
  EXPECT_EQ(a.bLeftReleased, 1);
  EXPECT_EQ(a.bRightPressed, 1);
  UpdateMouseButtons(a, 7);
  EXPECT_EQ(a.bLeftReleased, 0);

  // A new press after the release is reported again.
  Dev().SetMouseButton(0, true);
  UpdateMouseButtons(b, 2);
  EXPECT_EQ(b.bLeftPressed, 1);
  EXPECT_EQ(UpdateMouseButtons(b, 0), 1);
}
