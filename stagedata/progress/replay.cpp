#include "stagedata/progress/replay.h"

#include "app/base/file_system.h"
#include "app/base/format.h"
#include "app/base/path_utils.h"
#include "app/base/report_log.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/stage.h"

cReplayData g_Replay;
cReplayData g_ReplayPrev;

cReplayData::cReplayData() {
  cReplayData::RegisterFields(DATA_VERSION);
  Clear();
}

void cReplayData::RegisterFields(int) {
  ClearFieldLists();
  AddField(&m_nSeed);
}

cReplayData& cReplayData::operator=(const cReplayData& other) {
  if (this == &other) return *this;
  m_vValueA = other.m_vValueA;
  m_vValueB = other.m_vValueB;
  m_vRunA = other.m_vRunA;
  m_vRunB = other.m_vRunB;
  m_nSeed = other.m_nSeed;
  return *this;
}

void cReplayData::Clear() {
  cRecord::Clear();
  m_vValueA.clear();
  m_vValueB.clear();
  m_vRunA.clear();
  m_vRunB.clear();
  ResetCursors();
}

namespace {

void RecordWord(cCheckedVector<int16_t>& values, cCheckedVector<int32_t>& runs, int16_t w) {
  if (!values.empty() && values.back() == w && !runs.empty()) {
    ++runs.back();
  } else {
    values.push_back(w);
    runs.push_back(1);
  }
}

void PlayWord(const cCheckedVector<int16_t>& values, const cCheckedVector<int32_t>& runs,
              int32_t& nPos, int32_t& nRunPos, int16_t& w) {
  w = values.At(nPos);
  if (++nRunPos >= runs.At(nPos)) {
    nRunPos = 0;
    ++nPos;
  }
}

// Reads one stream vector: u32 count, then the elements.
template <class Vec>
void ReadStream(Vec& v, cRecordReader& file) {
  using T = typename Vec::value_type;
  const uint32_t n = file.ReadCount(sizeof(T), "replay stream length");
  v.resize(n);
  if (n != 0) file.ReadBytes(v.data(), size_t{n} * sizeof(T));
}

template <class Vec>
void SaveStream(const Vec& v, cRecordWriter& file) {
  file.WriteU32(static_cast<uint32_t>(v.size()));
  file.WriteBytes(v.data(), v.size() * sizeof(typename Vec::value_type));
}

}  // namespace

void cReplayData::RecordFrame(const int16_t words[2]) {
  RecordWord(m_vValueA, m_vRunA, words[0]);
  RecordWord(m_vValueB, m_vRunB, words[1]);
}

int cReplayData::PlayFrame(int16_t words[2]) {
  // Both streams are checked before anything is written; a stream whose
  // value and run lists differ in length ends where the shorter one does.
  const auto endA = static_cast<int32_t>(std::min(m_vValueA.size(), m_vRunA.size()));
  const auto endB = static_cast<int32_t>(std::min(m_vValueB.size(), m_vRunB.size()));
  if (m_nPosA < 0 || m_nPosB < 0 || m_nPosA >= endA || m_nPosB >= endB) return 1;
  PlayWord(m_vValueA, m_vRunA, m_nPosA, m_nRunPosA, words[0]);
  PlayWord(m_vValueB, m_vRunB, m_nPosB, m_nRunPosB, words[1]);
  return 0;
}

int64_t cReplayData::FrameCount() const {
  int64_t n = 0;
  for (int32_t run : m_vRunA) n += run;
  return n;
}

void cReplayData::Load(cRecordReader& file) {
  cRecord::Load(file);
  ReadStream(m_vValueA, file);
  ReadStream(m_vValueB, file);
  ReadStream(m_vRunA, file);
  ReadStream(m_vRunB, file);
  if (!file.Failed() && (m_vValueA.size() != m_vRunA.size() || m_vValueB.size() != m_vRunB.size()))
    file.Fail("replay streams whose values and runs differ in length");
}

void cReplayData::Save(cRecordWriter& file) {
  cRecord::Save(file);
  SaveStream(m_vValueA, file);
  SaveStream(m_vValueB, file);
  SaveStream(m_vRunA, file);
  SaveStream(m_vRunB, file);
}

int cReplayData::SaveReplayFile(const char* pszPath, cEdStage* pStage, cEdStage* pStart,
                                cPlayData* pPlay) {
  std::unique_ptr<cRecordWriter> pFile = OpenSaveFile(pszPath);
  if (pFile == nullptr) return 0;
  pStage->SaveForReplay(*pFile, *pStart);
  Save(*pFile);
  pPlay->Save(*pFile);
  return CloseFile(pFile) ? 1 : 0;
}

namespace {

// Reads a replay file into the given records; false when it cannot be read
// whole.
bool ReadReplay(const char* pszPath, cEdStage& stage, cReplayData& replay, cPlayData& play) {
  std::unique_ptr<cRecordReader> pFile = OpenLoadFile(pszPath);
  if (pFile == nullptr) return false;
  const int nVersion = g_nFileVersion;
  stage.Load(*pFile);
  g_nFileVersion = nVersion;
  replay.Load(*pFile);
  if (nVersion > 172) {
    g_nFileVersion = nVersion;
    play.Load(*pFile);
  }
  const bool bOk = !pFile->Failed();
  CloseFile(pFile);
  return bOk;
}

}  // namespace

int cReplayData::LoadReplayFile(const char* pszPath, cEdStage* pStage, cEdStage* pStart,
                                cPlayData* pPlay) {
  // A first reading into scratch records proves the file whole, so that a
  // damaged replay leaves the stage, this record and the play data as they
  // were; only then is it read into them.
  {
    auto pScratchStage = std::make_unique<cEdStage>();
    auto pScratchReplay = std::make_unique<cReplayData>();
    auto pScratchPlay = std::make_unique<cPlayData>(*pPlay);
    if (!ReadReplay(pszPath, *pScratchStage, *pScratchReplay, *pScratchPlay)) return 0;
  }
  cReplayData loaded;
  cPlayData play(*pPlay);
  if (!ReadReplay(pszPath, *pStage, loaded, play)) return 0;
  *this = loaded;
  *pPlay = play;
  pStart->CopySettingsFrom(*pStage);
  pStart->m_vPlacedBlock.clear();
  pStart->m_vPlacedChara.clear();
  pStart->m_vPlacedItem.clear();
  pStart->m_vBlock.clear();
  pStart->m_vChara.clear();
  pStart->m_vItem.clear();
  return 1;
}

std::string ReplayExtension() {
  std::string strExt;
  FormatString(strExt, "rpl4_%s", "695");
  return strExt;
}

std::string ProposeReplayFileName(const std::string& strStagePath) {
  if (strStagePath.empty()) return std::string();
  std::string strName;
  ChangeExtension(strName, strStagePath, ReplayExtension().c_str());
  StripDirectory(strName);
  std::string strBase;
  FormatString(strBase, "user_data\\rpl4\\%s", strName.c_str());
  std::string strProposal;
  for (int i = 0; i <= 8; ++i) {
    for (int j = 0; j <= 8; ++j) {
      AddNumberSuffix(strProposal, strBase, i, j);
      if (!FileExists(strProposal)) {
        StripDirectory(strProposal);
        return strProposal;
      }
    }
  }
  StripDirectory(strProposal);
  return strProposal;
}
