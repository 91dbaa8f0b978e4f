// Report and trace logs, message boxes and the close request.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/base/close_request.h"
#include "app/base/message_box.h"
#include "app/base/report_log.h"
#include "testing/game_folder.h"

namespace {

struct RecordedBox {
  std::string text, caption;
};

// Installs a provider that records every box and answers with nAnswer.
std::vector<RecordedBox>& RecordBoxes(int nAnswer = kMsgBoxOk) {
  static std::vector<RecordedBox> boxes;
  boxes.clear();
  SetMessageBoxProvider([nAnswer](const std::string& t, const std::string& c, MsgBoxType) {
    boxes.push_back({t, c});
    return nAnswer;
  });
  return boxes;
}

TEST(ReportLog, WritesCrLfLinesOnlyWhileTheFileExists) {
  cTestGameFolder folder;
  EXPECT_EQ(ReportLog("line %d", 1), 1);
  EXPECT_EQ(folder.ReadFile(kReportLogName), "line 1\r\n");

  std::filesystem::remove(kReportLogName);
  auto& boxes = RecordBoxes();
  EXPECT_EQ(ReportLog("lost"), 0);
  EXPECT_EQ(ReportLogBox("lost too"), 0);
  EXPECT_TRUE(boxes.empty());  // no box without a report log
  EXPECT_FALSE(std::filesystem::exists(kReportLogName));
}

// The log remembers where it is in native form: lines reach it from another
// working folder even when the folders above it hold names CP932 cannot
// (an accent, simplified Chinese) or names it can (Japanese).
TEST(ReportLog, LinesReachTheLogWhateverTheFoldersAboveItAreCalled) {
  cTestGameFolder folder;
  for (const char8_t* pszName : {u8"café", u8"这个游戏", u8"ゲーム"}) {
    const std::filesystem::path game = std::filesystem::path(folder.NativePath()) / pszName;
    SCOPED_TRACE(game.string());
    std::filesystem::create_directory(game);
    std::filesystem::current_path(game);
    ASSERT_EQ(OpenReportLog(kReportLogName), 1);
    std::filesystem::current_path(folder.NativePath());
    EXPECT_EQ(ReportLog("after start-up"), 1);
    EXPECT_TRUE(std::filesystem::equivalent(GetReportLogPath(), game / kReportLogName));
    std::ifstream in(game / kReportLogName, std::ios::binary);
    const std::string strText((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    EXPECT_EQ(strText, "after start-up\r\n");
  }
}

TEST(ReportLog, BoxTextIsWrittenAndShownUnchangedAndCutAt1023) {
  cTestGameFolder folder;
  auto& boxes = RecordBoxes();
  const std::string strPath = "bmp\\100%s_%d.bmp";
  EXPECT_EQ(ReportLogBox("%s の読み込みに失敗しました", strPath.c_str()), 1);
  const std::string strExpected = strPath + " の読み込みに失敗しました";
  EXPECT_EQ(folder.ReportLogText(), strExpected + "\n");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, strExpected);
  EXPECT_EQ(boxes[0].caption, "エラー");

  // 1,022 single bytes and then a double-byte character: the cut keeps 1,022.
  ReportLogTrace("%s%s", std::string(1022, 'a').c_str(), "ア");
  ReportLogBox("%s", std::string(2000, 'b').c_str());
  const std::string strLog = folder.ReportLogText();
  EXPECT_NE(strLog.find("\n" + std::string(1022, 'a') + "\n"), std::string::npos);
  EXPECT_NE(strLog.find("\n" + std::string(1023, 'b') + "\n"), std::string::npos);
  EXPECT_EQ(boxes.back().text, std::string(1023, 'b'));
}

TEST(TraceLog, DisabledWritesNothingButTraceFatalStillCloses) {
  cTestGameFolder folder;
  auto& boxes = RecordBoxes();
  EXPECT_EQ(TraceLog("x"), 0);
  EXPECT_EQ(DebugBoxf("debug %d", 1), 0);
  EXPECT_TRUE(boxes.empty());
  TraceFatal("fatal %d", 2);
  EXPECT_EQ(GetCloseRequestCount(), 1);
  EXPECT_FALSE(std::filesystem::exists(kTraceLogName));
}

TEST(TraceLog, FirstLineOfARunStartsTheFileAfresh) {
  cTestGameFolder folder;
  folder.WriteFile(kTraceLogName, "from an earlier run\r\n");
  SetTraceLog(true, kTraceLogName);
  TraceLogf("step %d", 1);
  TraceLogText("step 2");
  ReportLogTrace("both %s", "logs");
  EXPECT_EQ(folder.ReadFile(kTraceLogName), "step 1\r\nstep 2\r\nboth logs\r\n");
  EXPECT_EQ(folder.ReportLogText(), "both logs\n");
}

TEST(MessageBoxes, NoMemoryErrorShowsItsBoxThenRequestsClose) {
  cTestGameFolder folder;
  int nClosedByHandler = 0;
  SetCloseRequestHandler([&] { ++nClosedByHandler; });
  auto& boxes = RecordBoxes();
  NoMemoryError();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "メモリが不足しています！");
  EXPECT_EQ(nClosedByHandler, 1);
  SetCloseRequestHandler(nullptr);
}

TEST(MessageBoxes, HeadlessProviderAnswersFromTheScriptedList) {
  cTestGameFolder folder;
  ::setenv("PLAYER_MSGBOX_ANSWERS", "no,yes", 1);
  SetMessageBoxProvider(nullptr);
  const MsgBoxType yesNo{MsgBoxButtons::YesNo, MsgBoxIcon::Question};
  EXPECT_EQ(ShowMessageBox("q1", "c", yesNo), kMsgBoxNo);
  EXPECT_EQ(ShowMessageBox("q2", "c", yesNo), kMsgBoxYes);
  EXPECT_EQ(ShowMessageBox("q3", "c", yesNo), kMsgBoxYes);  // list used up: first button
  EXPECT_EQ(ErrorBox("e"), kMsgBoxOk);
  ::unsetenv("PLAYER_MSGBOX_ANSWERS");
}

}  // namespace
