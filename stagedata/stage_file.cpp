#include "stagedata/stage_file.h"

#include <cstring>
#include <memory>

#include "app/base/close_request.h"
#include "app/base/file_system.h"
#include "app/base/message_box.h"
#include "app/base/path_utils.h"
#include "app/base/report_log.h"
#include "stagedata/common_palette.h"
#include "stagedata/stage_globals.h"

namespace {

StageLoadRunner& LoadRunner() {
  static StageLoadRunner s_runner;
  return s_runner;
}

// Reads a placement list; check(element) runs on each placement read whole,
// right after its Load.
template <class List, class Check>
void LoadPlacements(List& list, cRecordReader& file, size_t nMinBytes, const char* pszWhat,
                    void (*reset)(List&, unsigned), Check check) {
  // Each placement is a word (written 0, ignored) and the definition. A
  // placement is made just before it is read, while its memory is at hand:
  // tens of thousands of them made first would have left the cache by the
  // time each is read. (Placements refer to the palettes, never to their own
  // list, so its length while reading does not matter.)
  cListReader placements(file, 4 + nMinBytes, pszWhat);
  reset(list, 0);
  ReserveForRecords(list, placements.Count());
  while (placements.Next()) {
    file.Skip(4);
    auto& element = list.emplace_back();
    element.Load(file);
    if (file.Failed()) break;
    check(element);
  }
  // After a fault the list still has the announced length; the entries not
  // read are new ones.
  if (list.size() < placements.Count()) list.resize(placements.Count());
}

template <class List>
void SavePlacements(List& list, cRecordWriter& file) {
  file.WriteU32(static_cast<uint32_t>(list.size()));
  for (auto& element : list) {
    file.WriteU32(0);
    element.Save(file);
  }
}

// The settings parts at the head of a stage file: the record part, the
// result switches and the erase rules.
void SaveHead(cEdStage& stage, cRecordWriter& file) {
  stage.cRecord::Save(file);
  SaveIntVector(stage.m_vResultItem, file);
  stage.m_EraseChara.Save(file);
  stage.m_EraseBlockChara.Save(file);
  stage.m_EraseItem.Save(file);
  stage.m_EraseShot0.Save(file);
  stage.m_EraseShot1.Save(file);
}

void SavePalettesAndPlacements(cEdStage& stage, cRecordWriter& file) {
  SaveRecordVector(stage.m_vBlock, file);
  SaveRecordVector(stage.m_vChara, file);
  SaveRecordVector(stage.m_vItem, file);
  SavePlacements(stage.m_vPlacedBlock, file);
  SavePlacements(stage.m_vPlacedChara, file);
  SavePlacements(stage.m_vPlacedItem, file);
}

void SaveTail(cEdStage& stage, cRecordWriter& file) {
  SaveRecordVector(stage.m_vBgLayer, file);
  SaveRecordVector(stage.m_vStageText, file);
  file.WriteI32(END_MARK);
}

bool EndsWithMark(std::string_view data) {
  if (data.size() < 8) return false;
  int32_t nMark = 0;
  std::memcpy(&nMark, data.data() + data.size() - 4, 4);
  return nMark == END_MARK;
}

int32_t VersionWord(std::string_view data) {
  int32_t nVersion = 0;
  std::memcpy(&nVersion, data.data(), 4);
  return nVersion;
}

}  // namespace

void cEdStage::Load(cRecordReader& file) {
  const int v = g_nFileVersion;
  const cStageRefs refs = CurrentStageRefs().WithStage(this);
  cStageRefsScope scope(refs);

  // Nothing of the stage held before may carry over into this one.
  SetDefaults();

  cRecord::Load(file);
  ReadIntVector(m_vResultItem, file);
  // Before version 125 an erase rule stored only its left switch; the other
  // switches keep the new-stage values set above.
  m_EraseChara.Load(file);
  m_EraseBlockChara.Load(file);
  m_EraseItem.Load(file);
  m_EraseShot0.Load(file);
  m_EraseShot1.Load(file);

  LoadBlockList(m_vBlock, file);
  LoadCharaList(m_vChara, file);
  LoadItemList(m_vItem, file);
  // Entry 0 of each palette list is the empty entry, whatever the file holds.
  if (!m_vBlock.empty()) m_vBlock[0] = cEdBlock();
  if (!m_vChara.empty()) m_vChara[0] = cEdChara();
  if (!m_vItem.empty()) m_vItem[0] = cEdItem();

  // Each placement's Load validates it against the palettes. When they are
  // as long as Validate leaves them already (it pads them to two entries),
  // the checks of palette references that Validate would make are made here
  // as well, while the placement is in the cache; Validate then passes over
  // the placements. Otherwise Validate makes them after padding.
  const bool bCheckPlacements = m_vBlock.size() >= 2 && m_vChara.size() >= 2 && m_vItem.size() >= 2;
  auto checkBlock = [&](cEdBlock& block) {
    if (bCheckPlacements) block.ValidateItemLink(refs);
  };
  auto checkChara = [&](cEdChara& chara) {
    if (bCheckPlacements) chara.ValidateSummonRefs(refs);
  };
  auto checkItem = [&](cEdItem& item) {
    if (bCheckPlacements) item.ValidateSummonRefs(refs);
  };
  LoadPlacements(m_vPlacedBlock, file, kMinBlockBytes, "placed block count", &ResetBlockList,
                 checkBlock);
  LoadPlacements(m_vPlacedChara, file, kMinCharaBytes, "placed character count", &ResetCharaList,
                 checkChara);
  LoadPlacements(m_vPlacedItem, file, kMinItemBytes, "placed item count", &ResetItemList,
                 checkItem);

  ReadRecordVector(m_vBgLayer, file);
  ReadRecordVector(m_vStageText, file);

  if (v > 172) {
    const int32_t nMark = file.ReadI32();
    // From version 174 the parts end with the marker; anything else means
    // they were not read as they were written. (A replay file carries more
    // records after it, so whether the file ends here is its reader's check.)
    if (v >= kFirstCheckedEndMarkVersion && !file.Failed() && nMark != END_MARK)
      file.Fail("the stage does not end at its end marker");
  }

  if (v < DATA_VERSION) {
    if (v < 155) {
      m_nHeroBox0FlyW = m_nHeroBox0WalkW;
      m_nHeroBox0FlyH = m_nHeroBox0WalkH;
      m_nComBox0FlyW = m_nComBox0WalkW;
      m_nComBox0FlyH = m_nComBox0WalkH;
      m_bHeroBox0WalkBottom = m_bHeroBox0FlyBottom = 0;
      m_bComBox0WalkBottom = m_bComBox0FlyBottom = 0;
    }
    if (v < 166) m_nBgmOption = 1;
    if (v < 181) {
      m_vResultItem.resize(kResultItems, 0);
      m_vResultItem[3] = m_vResultItem[4] = 0;
    }
    if (v < 183) m_bShowStatus = 1;
    if (v < 184) m_bAutoClear = 0;
    if (v < 199) m_bBgmContinue = 0;
    if (v < 200) {
      m_nHeroWalkW = 16;
      m_nHeroWalkH = 24;
      m_nHeroFlyW = 16;
      m_nHeroFlyH = 16;
      m_bHeroWalkBottom = 1;
      m_bHeroFlyBottom = 0;
      m_nShowHitBox = 0;
      m_nHitBoxColour = 5;
      m_nComWalkW = 16;
      m_nComWalkH = 30;
      m_nComFlyW = 16;
      m_nComFlyH = 30;
      m_bComWalkBottom = 1;
      m_bComFlyBottom = 1;
    }
    if (v < 225) m_bShowStart = 0;
  }
  // After a fault the placements not read are defaults and get the full pass.
  ValidateParts(refs, bCheckPlacements && !file.Failed());
}

void cEdStage::Save(cRecordWriter& file) {
  const cStageRefs refs = CurrentStageRefs().WithStage(this);
  cStageRefsScope scope(refs);
  Validate(refs);
  SaveHead(*this, file);
  SavePalettesAndPlacements(*this, file);
  SaveTail(*this, file);
}

void cEdStage::SaveForReplay(cRecordWriter& file, const cEdStage& start) {
  const cStageRefs refs = CurrentStageRefs().WithStage(this);
  cStageRefsScope scope(refs);
  Validate(refs);
  // Registering the start copy for writing changes none of its values.
  cEdStage& settings = const_cast<cEdStage&>(start);
  SaveHead(settings, file);
  SavePalettesAndPlacements(*this, file);
  SaveTail(settings, file);
}

int CheckStageFile(const char* pszPath) {
  cFileBytes data;
  if (!ReadWholeFile(pszPath, data) || data.size() < 4) return 1;
  if (VersionWord(data) < kFirstCheckedEndMarkVersion || EndsWithMark(data)) return 1;
  ReportLog("ステージファイル %s が破損しています！", pszPath);
  ErrorBoxf("ステージファイル %s が破損しています！", pszPath);
  RequestClose();
  return 0;
}

bool ReadStageBytes(const std::string& strPath, cFileBytes& data) {
  FILE* fp = OpenFile(strPath, "rb");
  if (fp == nullptr || !ReadAndCloseFile(fp, data)) {
    ReportLog("%s : cannot be read", strPath.c_str());
    return false;
  }
  return true;
}

eStageRead ReadStageFile(cEdStage& stage, const std::string& strPath, const cStageRefs& refs) {
  cFileBytes data;
  if (!ReadStageBytes(strPath, data)) return eStageRead::CannotOpen;
  return ParseStageBytes(stage, std::move(data), strPath, refs);
}

eStageRead ParseStageBytes(cEdStage& stage, cFileBytes data, const std::string& strPath,
                           const cStageRefs& refs) {
  if (data.size() < 4) {
    ReportLog("%s : damaged record file at byte 0: shorter than its version word", strPath.c_str());
    return eStageRead::ReadFailed;
  }
  const int32_t nVersion = VersionWord(data);
  if (nVersion >= kFirstCheckedEndMarkVersion && !EndsWithMark(data)) {
    ReportLog("%s : damaged stage file: no end marker", strPath.c_str());
    return eStageRead::Damaged;
  }
  cRecordReader file(std::move(data), strPath);
  file.Skip(4);
  g_nFileVersion = nVersion;
  {
    cStageRefsScope scope(refs);
    stage.Load(file);
  }
  // A stage file ends exactly at its end marker.
  if (nVersion >= kFirstCheckedEndMarkVersion && !file.Failed() && !file.AtEnd())
    file.Fail("the stage does not end at its end marker");
  return file.Failed() ? eStageRead::ReadFailed : eStageRead::Ok;
}

bool WriteStageFile(cEdStage& stage, const std::string& strPath, const cStageRefs& refs) {
  std::unique_ptr<cRecordWriter> pFile = OpenSaveFile(strPath.c_str());
  if (pFile == nullptr) return false;
  {
    cStageRefsScope scope(refs);
    stage.Save(*pFile);
  }
  return CloseFile(pFile);
}

void SetStageLoadRunner(StageLoadRunner runner) { LoadRunner() = std::move(runner); }

int LoadStageForPlay(const char* pszPath, int bVersioned, cEdStage* pOut, bool bCloseWhenRefused) {
  cEdStage& stage = g_Stage;
  stage.m_bVersioned = bVersioned;
  if (bVersioned) {
    std::string strFound;
    if (!FindNewestVersion(strFound, pszPath != nullptr ? pszPath : "", "stg4")) return 0;
    stage.m_strLoadPath = strFound;
  } else {
    stage.m_strLoadPath = pszPath != nullptr ? pszPath : "";
  }
  ToRelativePath(stage.m_strLoadPath);
  const std::string strPath = stage.m_strLoadPath;

  // One read serves the end-marker check and the load. The runner's thread
  // reads the file into bytes of the read's own; they become the stage here,
  // on the caller's thread, once the read is over.
  stage.m_bLoadOk = 0;
  struct cFileRead {
    std::string strPath;
    cFileBytes data;
    bool bOk = false;
  };
  auto pRead = std::make_shared<cFileRead>();
  pRead->strPath = strPath;
  const std::function<void()> read = [pRead] {
    pRead->bOk = ReadStageBytes(pRead->strPath, pRead->data);
  };
  if (LoadRunner()) {
    if (!LoadRunner()(read)) return 0;
  } else {
    read();
  }
  eStageRead result = eStageRead::CannotOpen;
  if (pRead->bOk)
    result = ParseStageBytes(stage, std::move(pRead->data), strPath, MakeProjectRefs());
  if (result == eStageRead::Ok) stage.m_bLoadOk = 1;

  if (result == eStageRead::Damaged) {
    ErrorBoxf("ステージファイル %s が破損しています！", strPath.c_str());
    if (bCloseWhenRefused) RequestClose();
    return 0;
  }
  if (!stage.m_bLoadOk) {
    ErrorBoxf("ステージファイル %s の読み込みに失敗しました！", strPath.c_str());
    return 0;
  }
  if (!stage.HasHero()) {
    ReportLog("%s : 主人公が配置されていないのでプレイできません！", strPath.c_str());
    ErrorBoxf("主人公が配置されていないのでプレイできません！");
    if (bCloseWhenRefused) RequestClose();
    return 0;
  }
  if (pOut == nullptr) return 1;
  pOut->CopySettingsFrom(stage);
  pOut->m_vBlock.clear();
  pOut->m_vChara.clear();
  pOut->m_vItem.clear();
  pOut->m_vPlacedBlock.clear();
  pOut->m_vPlacedChara.clear();
  pOut->m_vPlacedItem.clear();
  return 1;
}
