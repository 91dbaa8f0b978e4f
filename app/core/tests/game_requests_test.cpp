#include "app/core/game_requests.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/base/close_request.h"
#include "app/core/sound_lists.h"
#include "app/core/tests/shell_test_util.h"
#include "platform/input/input_devices.h"
#include "platform/input/virtual_keys.h"
#include "records/database.h"
#include "records/system.h"
#include "stagedata/progress/replay.h"
#include "testing/record_guard.h"

namespace {

struct SENT {
  uint32_t nMsg;
  intptr_t wParam, lParam;
  bool operator==(const SENT&) const = default;
};

// Records the requests instead of serving them.
class RequestLog {
 public:
  RequestLog() {
    SetRequestHandler([this](uint32_t nMsg, intptr_t w, intptr_t l) -> intptr_t {
      m_sent.push_back({nMsg, w, l});
      return 0;
    });
  }
  std::vector<SENT> m_sent;
};

}  // namespace

TEST(GameRequests, SoundAndMusicRequestsCarryTheirNumbers) {
  cShellTestGuard guard;
  cRecordGlobalsGuard records;
  g_System.m_anSceneBgm = {0, 5, 5, 0, 0};
  RequestLog log;
  PlaySE(3);
  PlayDatabaseSE(0);        // nothing
  PlayDatabaseSE(3);        // Sound row 3 is sound 19
  PlayDatabaseSE(0x10002);  // taken as 16 bits: row 2
  RequestSceneBgm(0);       // Bgm 0 is always sent (it stops the music)
  RequestSceneBgm(0);
  RequestSceneBgm(1);  // Bgm 5: sent once
  RequestSceneBgm(2);  // the same Bgm 5 in another slot: not sent again
  RequestBgm(4, 7);
  const std::vector<SENT> kExpected = {{WM_GAME_PLAYSE, 3, 0},  {WM_GAME_PLAYSE, 19, 0},
                                       {WM_GAME_PLAYSE, 18, 0}, {WM_GAME_PLAYBGM, 0, 0},
                                       {WM_GAME_PLAYBGM, 0, 0}, {WM_GAME_PLAYBGM, 1, 0},
                                       {WM_GAME_PLAYBGM, 4, 7}};
  EXPECT_EQ(log.m_sent, kExpected);
  EXPECT_EQ(g_SceneManager.m_nBgm, 5);
}

TEST(GameRequests, ABadSoundNumberClosesTheProgramAndPlaysTheFirstSound) {
  cShellTestGuard guard;
  cRecordGlobalsGuard records;
  cResetGuard<&ResetSoundLists> soundLists;
  BuildSoundList();
  // The 17 system sounds, then Sound rows 1 and up.
  const int nCount = static_cast<int>(g_Database.m_Sound.size()) + 16;
  ASSERT_EQ(g_SoundData.size(), static_cast<size_t>(nCount));
  EXPECT_EQ(std::string(g_SoundInfo.At(17).szFileName), g_Database.m_Sound.At(1).m_strFile);
  EXPECT_EQ(g_SoundInfo.At(17).nReserved, 1);
  PlaySE(nCount - 1);
  EXPECT_EQ(GetCloseRequestCount(), 0);
  PlaySE(nCount);
  EXPECT_EQ(GetCloseRequestCount(), 1);
  std::string strLine;
  FormatString(strLine, "err V[%d] ( %d , 284 )", nCount, nCount);
  EXPECT_NE(guard.m_folder.ReportLogText().find(strLine), std::string::npos);
}

TEST(GameRequests, DialogRequestsAnswerCancelledUntilTheDialogsExist) {
  cShellTestGuard guard;
  EXPECT_EQ(RequestStageFile(), 0);
  EXPECT_EQ(RequestReplayLoad(), 0);
  EXPECT_EQ(RequestReplaySave(0), 0);
  EXPECT_EQ(RequestNameEntry(), 1);  // the dialog "ran": the requester goes on
  const std::string strLog = guard.m_folder.ReportLogText();
  for (const char* pszLine :
       {"ステージファイルの読み込み: no file dialog yet; answered as cancelled",
        "リプレイファイルの読み込み: no file dialog yet; answered as cancelled",
        "リプレイファイルの保存: no file dialog yet; answered as cancelled",
        "name entry: no dialog yet; answered as cancelled"})
    EXPECT_NE(strLog.find(pszLine), std::string::npos) << pszLine;
}

TEST(GameRequests, AChosenFileThatFailsIsReportedAsFailure) {
  cShellTestGuard guard;
  SetFileDialogs(
      [](FILEDIALOGPARAMS& p) {
        p.strPath = p.strFolder + "missing";
        return true;
      },
      [](FILEDIALOGPARAMS& p) {
        p.strPath = "no_such_folder\\x.rpl4_695";
        return true;
      });
  EXPECT_EQ(RequestStageFile(), 0);
  EXPECT_EQ(RequestReplayLoad(), 0);
  EXPECT_EQ(RequestReplaySave(1), 0);
  EXPECT_EQ(GetCloseRequestCount(), 0);  // the program keeps running
  const std::string strLog = guard.m_folder.ReportLogText();
  EXPECT_NE(strLog.find("リプレイファイル user_data\\rpl4missing の読み込みに失敗しました！"),
            std::string::npos);
  EXPECT_NE(strLog.find("リプレイファイル no_such_folder\\x.rpl4_695 の保存に失敗しました！"),
            std::string::npos);
  SetFileDialogs(nullptr, nullptr);
}

TEST(GameRequests, ReplayKeysSaveOrSoundTheRefusalOncePerSecond) {
  cShellTestGuard guard;
  cRecordGlobalsGuard records;
  g_System.m_bReplay = 1;
  g_Replay.Clear();
  g_nReplayKeyWait = 0;
  RequestLog log;
  InputDevices().SetKey(vkey::kF1, true);
  // Nothing recorded: the refusal sound, then again only after 60 frames.
  int nSaves = 0;
  for (int i = 0; i < 61; ++i) nSaves += PollReplayKeys();
  EXPECT_EQ(nSaves, 0);
  EXPECT_EQ(log.m_sent, (std::vector<SENT>{{WM_GAME_PLAYSE, 3, 0}, {WM_GAME_PLAYSE, 3, 0}}));
  log.m_sent.clear();
  const int16_t words[2] = {1, 0};
  g_Replay.RecordFrame(words);
  EXPECT_EQ(PollReplayKeys(), 1);
  EXPECT_EQ(log.m_sent, (std::vector<SENT>{{WM_GAME_PLAYSE, 1, 0}, {WM_GAME_SAVEREPLAY, 0, 0}}));
  // During replay playback the keys do nothing.
  g_SceneManager.m_nTitleChoice = 4;
  EXPECT_EQ(PollReplayKeys(), 0);
  InputDevices().Reset();
  g_Replay.Clear();
}
