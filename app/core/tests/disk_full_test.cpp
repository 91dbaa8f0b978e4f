// A full disk while a user file is written: the save slot, the options, a
// ranking and a replay each keep their old file whole, leave no temporary
// file beside it, and say so in one report-log line; the writer returns and
// the program goes on.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/base/close_request.h"
#include "app/base/file_system.h"
#include "app/core/option_data.h"
#include "app/core/ranking.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/progress/replay.h"
#include "stagedata/progress/save_slots.h"
#include "stagedata/stage.h"
#include "testing/game_folder.h"

namespace {

// Every commit of the atomic-file layer fails as on a full disk while the
// object lives.
class cDiskFull {
 public:
  cDiskFull() { SetAtomicFileDiskFull(true); }
  ~cDiskFull() { SetAtomicFileDiskFull(false); }
  cDiskFull(const cDiskFull&) = delete;
  cDiskFull& operator=(const cDiskFull&) = delete;
};

TEST(DiskFull, UserFilesKeepTheirOldContentsAndTheFailureIsReportedOnce) {
  struct Writer {
    const char* pszName;
    const char* pszFile;
    // Writes the file with the given value in it; whether it says it did.
    std::function<bool(int)> write;
  };
  const std::vector<Writer> writers = {
      {"save slot", "user_data\\story\\Story03.dat",
       [](int n) {
         // The slot list shows the slot as used only when its file was
         // written.
         InitSaveSlotList(g_SaveSlots, kSaveSlotCount);
         cPlayData play;
         play.m_nGameScore = n;
         play.SaveSlot(2);
         const bool bSaved = g_SaveSlots.At(2).m_bUsed == 1;
         InitSaveSlotList(g_SaveSlots, kSaveSlotCount);
         return bSaved;
       }},
      {"options", "user_data\\Option.dat",
       [](int n) {
         g_OptionData.m_nSeVolume = n;
         const bool bSaved = SaveOptionData();
         g_OptionData.SetDefaults();
         return bSaved;
       }},
      {"ranking", "user_data\\free\\c01.rkg",
       [](int n) {
         cRankTable table;
         table.m_Lists.At(0).Insert("abc", n);
         return SaveRanking(table, 2, "data\\stg4\\c01.") == 1;
       }},
      {"replay", "user_data\\rpl4\\a.rpl4_695",
       [](int n) {
         auto pStage = std::make_unique<cEdStage>();
         auto pStart = std::make_unique<cEdStage>();
         cReplayData replay;
         replay.m_nSeed = n;
         cPlayData play;
         return replay.SaveReplayFile("user_data\\rpl4\\a.rpl4_695", pStage.get(), pStart.get(),
                                      &play) == 1;
       }},
  };
  for (const Writer& w : writers) {
    SCOPED_TRACE(w.pszName);
    cTestGameFolder folder;
    for (const char* pszFolder :
         {"user_data", "user_data\\story", "user_data\\free", "user_data\\rpl4"})
      MakeDirectory(pszFolder);
    ASSERT_TRUE(w.write(1));
    const std::string strOld = folder.ReadFile(w.pszFile);
    ASSERT_NE(strOld, "<missing>");
    folder.ClearReportLog();
    {
      const cDiskFull full;
      EXPECT_FALSE(w.write(2));
    }
    EXPECT_EQ(folder.ReadFile(w.pszFile), strOld);
    const std::string strFile = w.pszFile;
    for (const std::string& strName : ListDirectory(strFile.substr(0, strFile.rfind('\\'))))
      EXPECT_EQ(strName.find(".tmp"), std::string::npos) << "a temporary file is left: " << strName;
    EXPECT_EQ(folder.ReportLogLineCount(), 1) << folder.ReportLogText();
    EXPECT_EQ(folder.ReportLogLineCount(strFile + " : the file could not be written (" +
                                        std::strerror(ENOSPC) + ")"),
              1)
        << folder.ReportLogText();
    EXPECT_EQ(GetCloseRequestCount(), 0);

    // Once there is room again the same writer works.
    ASSERT_TRUE(w.write(3));
    EXPECT_NE(folder.ReadFile(w.pszFile), strOld);
  }
}

}  // namespace
