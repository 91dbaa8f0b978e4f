#pragma once
// Stage files: one record file per stage, named with the extension "stg4_"
// and the three-digit data version of its writer; the newest version of a
// stage is the one played. The file ends with END_MARK (from version 173).

#include <functional>
#include <string>

#include "stagedata/stage.h"
#include "stagedata/stage_refs.h"

class cFileBytes;

inline constexpr int32_t END_MARK = 123456789;
// Files from this version on must end with END_MARK.
inline constexpr int kFirstCheckedEndMarkVersion = 174;

// 1 when the file may be loaded: it cannot be opened (the load reports
// that), is older than version 174, or ends with END_MARK. Otherwise 0 after
// the message "ステージファイル %s が破損しています！" and a close request.
int CheckStageFile(const char* pszPath);

// Reads a stage file into stage against refs (the database tables and the
// common palette; the stage is its own stage palette). False when the file
// cannot be read, is damaged (end marker) or fails while being read; the
// reason is in the report log and no message is shown.
enum class eStageRead { Ok, CannotOpen, Damaged, ReadFailed };
eStageRead ReadStageFile(cEdStage& stage, const std::string& strPath, const cStageRefs& refs);
// Its two halves: the file's bytes (false, with a report-log line, when it
// cannot be read), and the bytes made into the stage.
bool ReadStageBytes(const std::string& strPath, cFileBytes& data);
eStageRead ParseStageBytes(cEdStage& stage, cFileBytes data, const std::string& strPath,
                           const cStageRefs& refs);

// Writes a stage file (validated first) atomically.
bool WriteStageFile(cEdStage& stage, const std::string& strPath, const cStageRefs& refs);

// Loads a stage for play into g_Stage and, when out is given, copies its
// settings part into out (every caller passes g_StageStart). With bVersioned
// the newest "<path>.stg4_NNN" is taken (0 without a message when none
// exists). Messages: the damaged-file check, "ステージファイル %s の読み込みに
// 失敗しました！" and "主人公が配置されていないのでプレイできません！" (the
// first and the last with a close request). 1 on success.
//
// A stage the player chose from a menu (the world map's confirmation, the
// stage select) passes bCloseWhenRefused false: a damaged file or one
// without a hero is then refused with its message only, and the menu stays.
int LoadStageForPlay(const char* pszPath, int bVersioned, cEdStage* pOut,
                     bool bCloseWhenRefused = true);

// How LoadStageForPlay runs the reading of the file: the application shell
// installs a runner that reads on the loader thread while the caller keeps
// serving its messages, and returns false when the wait was given up (the
// program is closing). read owns what it works on and touches nothing of
// the caller's or of the stage, so a runner that gives up may leave it
// running (a copy of it: the caller's function goes when the caller
// returns). Without a runner the reading runs on the calling thread. An
// empty function restores that.
using StageLoadRunner = std::function<bool(const std::function<void()>& read)>;
void SetStageLoadRunner(StageLoadRunner runner);
