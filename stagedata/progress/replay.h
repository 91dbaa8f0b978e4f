#pragma once
// A replay: the random seed of one attempt and, per frame, the two input
// words of player 1, each kept as a run-length-coded stream. Saved with the
// stage as it was at the attempt's start and the play data of that moment.

#include <cstdint>
#include <string>

#include "app/base/checked_containers.h"
#include "records/record.h"

class cEdStage;
class cPlayData;

class cReplayData : public cRecord {
 public:
  cReplayData();
  cReplayData(const cReplayData& other) : cRecord(other) { *this = other; }
  // Copies the streams and the seed; the playback cursors stay.
  cReplayData& operator=(const cReplayData& other);
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& file) override;
  void Save(cRecordWriter& file) override;

  // Seed 0, empty streams, cursors 0.
  void Clear();
  void ResetCursors() { m_nPosA = m_nPosB = m_nRunPosA = m_nRunPosB = 0; }
  // Appends one frame of the two input words.
  void RecordFrame(const int16_t words[2]);
  // Writes the next frame's words and returns 0, or returns 1 without
  // writing when either stream is used up.
  int PlayFrame(int16_t words[2]);
  // Number of frames a stream holds.
  int64_t FrameCount() const;

  // Version word, the stage (settings from pStart, the rest from pStage),
  // this record and the play data. 0 when the file cannot be written.
  int SaveReplayFile(const char* pszPath, cEdStage* pStage, cEdStage* pStart, cPlayData* pPlay);
  // Reads a replay file into the stage, its start copy, this record and
  // (from version 173) the play data. 0 when it cannot be read whole.
  int LoadReplayFile(const char* pszPath, cEdStage* pStage, cEdStage* pStart, cPlayData* pPlay);

  cCheckedVector<int16_t> m_vValueA;
  cCheckedVector<int16_t> m_vValueB;
  cCheckedVector<int32_t> m_vRunA;
  cCheckedVector<int32_t> m_vRunB;
  int32_t m_nSeed = 0;
  int32_t m_nPosA = 0;
  int32_t m_nPosB = 0;
  int32_t m_nRunPosA = 0;
  int32_t m_nRunPosB = 0;
};

// The replay extension "rpl4_695".
std::string ReplayExtension();

// Proposes a free replay file name for a stage path (the name without its
// folder; empty for an empty path): "user_data\rpl4\<stem>_ij.rpl4_695"
// with the first free pair of digits, or 8 and 8 when all are taken.
std::string ProposeReplayFileName(const std::string& strStagePath);

extern cReplayData g_Replay;      // the attempt in progress
extern cReplayData g_ReplayPrev;  // the previous attempt
