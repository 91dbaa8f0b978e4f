// Reading "user_data\KeyConfig.dat", hostile sizes included.

#include <cstring>
#include <string>

#include "platform/input/tests/input_test_util.h"
#include "platform/input/virtual_keys.h"
#include "testing/game_folder.h"

namespace {

void Put32(std::string& s, size_t at, int32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = char(uint32_t(v) >> (8 * i));
}
void Put16(std::string& s, size_t at, uint16_t v) {
  s[at] = char(v);
  s[at + 1] = char(v >> 8);
}

// A file image with joystick entries and the given counts.
std::string Image(int32_t nEntries, int32_t nJoysticks, int32_t bUse) {
  std::string s(108, '\0');
  for (int k = 0; k < 12; ++k) {
    Put32(s, 8 * k, k % 2 ? 8 : 1);
    Put16(s, 8 * k + 4, uint16_t(0x100 * (k + 1) + k));
    Put16(s, 8 * k + 6, 0xBEEF);  // padding is read but means nothing
  }
  Put32(s, 96, nEntries);
  Put32(s, 100, nJoysticks);
  Put32(s, 104, bUse);
  return s;
}

bool SameConfig(const KEYCONFIG& a, const KEYCONFIG& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

using KeyConfig = InputTest;

TEST_F(KeyConfig, ReadsTheWholeRecord) {
  cTestGameFolder folder;
  folder.WriteFile(kKeyConfigPath, Image(12, 2, 1));
  KEYCONFIG cfg{};
  ASSERT_EQ(LoadKeyConfig(kKeyConfigPath, cfg), 1);
  for (int k = 0; k < 12; ++k) {
    EXPECT_EQ(cfg.aEntry[k].nDevice, k % 2 ? 8 : 1) << k;
    EXPECT_EQ(cfg.aEntry[k].wCode, 0x100 * (k + 1) + k) << k;
  }
  EXPECT_EQ(cfg.nEntryCount, 12);
  EXPECT_EQ(cfg.nJoystickCount, 2);
  EXPECT_EQ(cfg.bUseConfig, 1);
  EXPECT_EQ(folder.ReportLogText(), "");
}

TEST_F(KeyConfig, MissingOrShortFileLeavesTheRecordAndIsLogged) {
  cTestGameFolder folder;
  KEYCONFIG before;
  SetDefaultKeyConfig(before);
  KEYCONFIG cfg = before;
  EXPECT_EQ(LoadKeyConfig(kKeyConfigPath, cfg), 0);
  EXPECT_TRUE(SameConfig(cfg, before));
  EXPECT_NE(folder.ReportLogText().find("KeyConfig.dat"), std::string::npos);

  for (size_t nSize : {size_t(0), size_t(1), size_t(96), size_t(107)}) {
    folder.WriteFile(kKeyConfigPath, Image(12, 1, 1).substr(0, nSize));
    cfg = before;
    EXPECT_EQ(LoadKeyConfig(kKeyConfigPath, cfg), 0) << nSize;
    EXPECT_TRUE(SameConfig(cfg, before)) << nSize;
  }
  EXPECT_NE(folder.ReportLogText().find("107 / 108"), std::string::npos);

  // A folder in place of the file.
  folder.WriteFile("user_data\\Folder.dat\\x", "");
  EXPECT_EQ(LoadKeyConfig("user_data\\Folder.dat", cfg), 0);
  EXPECT_TRUE(SameConfig(cfg, before));
}

TEST_F(KeyConfig, HostileCountsAreClampedAndLongFilesCut) {
  cTestGameFolder folder;
  struct Case {
    int32_t nJoysticks, nExpected;
  } cases[] = {{0, 0}, {8, 8}, {9, 8}, {INT32_MAX, 8}, {-1, 0}, {INT32_MIN, 0}};
  for (const auto& c : cases) {
    folder.WriteFile(kKeyConfigPath, Image(INT32_MAX, c.nJoysticks, 1));
    KEYCONFIG cfg{};
    ASSERT_EQ(LoadKeyConfig(kKeyConfigPath, cfg), 1);
    EXPECT_EQ(cfg.nJoystickCount, c.nExpected) << c.nJoysticks;
  }
  folder.WriteFile(kKeyConfigPath, Image(12, 1, 0) + std::string(1 << 20, '\x7F'));
  KEYCONFIG cfg{};
  ASSERT_EQ(LoadKeyConfig(kKeyConfigPath, cfg), 1);
  EXPECT_EQ(cfg.bUseConfig, 0);
  EXPECT_EQ(cfg.nJoystickCount, 1);
}

TEST_F(KeyConfig, DefaultsAreTheFixedKeys) {
  KEYCONFIG cfg;
  std::memset(&cfg, 0x5A, sizeof cfg);
  SetDefaultKeyConfig(cfg);
  const int codes[12] = {37, 39, 38, 40, 90, 88, 67, 86, 65, 83, 68, 70};
  for (int k = 0; k < 12; ++k) {
    EXPECT_EQ(cfg.aEntry[k].nDevice, kKeyDeviceKeyboard);
    EXPECT_EQ(cfg.aEntry[k].wCode, codes[k]);
  }
  EXPECT_EQ(cfg.nEntryCount, 12);
  EXPECT_EQ(cfg.nJoystickCount, 1);
  EXPECT_EQ(cfg.bUseConfig, 0);

  // The configured map over the defaults reads like the fixed layout, except
  // that opposite directions resolve to left and up.
  g_KeyConfig = cfg;
  g_KeyConfig.bUseConfig = 1;
  cInputState s;
  InputDevices().SetKey(vkey::kLeft, true);
  InputDevices().SetKey(vkey::kRight, true);
  InputDevices().SetKey(vkey::kF, true);
  s.PollConfigured(1, 60);
  EXPECT_EQ(s.m_wDir, kDirLeft);
  EXPECT_EQ(s.m_nKeypad, 4);
  EXPECT_EQ(s.m_wButtons, 0x80);
}
