// The key configuration, "user_data\KeyConfig.dat", loaded as start-up loads
// it, then polled with every key, axis and button down, so that every code
// the file names is looked up.

#include "fuzz/fuzz_support.h"
#include "platform/input/input_devices.h"
#include "platform/input/input_state.h"

void FuzzTargetSetUp() {
  cInputDevices& devices = InputDevices();
  for (int nKey = 0; nKey < 256; ++nKey) devices.SetKey(nKey, true);
  for (int j = 0; j < kMaxJoysticks; ++j) {
    devices.AttachJoystick(j, true);
    devices.SetJoystickAxes(j, static_cast<uint16_t>(j & 1 ? 0 : 65535),
                            static_cast<uint16_t>(j & 2 ? 0 : 65535));
    devices.SetJoystickButtons(j, 0xFFFFFFFFu);
  }
}

void FuzzOneInput(const uint8_t* lpData, size_t nSize) {
  WriteFuzzInput(kKeyConfigPath, lpData, nSize);
  SetDefaultKeyConfig(g_KeyConfig);
  if (LoadKeyConfig(kKeyConfigPath, g_KeyConfig)) {
    cInputState state;
    state.InitButtonMasks();
    for (int nFrame = 0; nFrame < 2; ++nFrame) {
      state.PollConfigured(1, 0);
      state.RecordHistory();
      state.UpdateKeyEvents();
    }
  }
  SetDefaultKeyConfig(g_KeyConfig);
}
