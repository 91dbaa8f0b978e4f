#include "stagedata/progress/world_map.h"

#include <algorithm>
#include <cstdarg>
#include <cstdlib>

#include "app/base/message_box.h"
#include "app/base/path_utils.h"

cEdWorldMap g_WorldMap;

const char* const g_aszWorldEntryKind[4] = {"ワールド", "道", "壁", ""};
const char* const g_aszWorldAfterClear[4] = {"しない", "2周目へ突入", "タイトルへ戻る", ""};

std::string& AppendFormat(std::string& strTarget, const char* pszFormat, ...) {
  va_list args;
  va_start(args, pszFormat);
  strTarget += FormatStringV(kFormatStringMax, pszFormat, args);
  va_end(args);
  return strTarget;
}

bool CompareWorldVar(int32_t v, int32_t nOp, int32_t c) {
  // 64-bit so that |INT_MIN| and INT_MIN % -1 are defined.
  const int64_t nMagnitude = std::llabs(static_cast<int64_t>(v));
  switch (nOp) {
    case 0:
      return v == c;
    case 1:
      return v != c;
    case 2:
      return v >= c;
    case 3:
      return v <= c;
    case 4:
      return v > c;
    case 5:
      return v < c;
    case 6:
      return c == 0 || nMagnitude % c == 0;
    case 7:
      return c != 0 && nMagnitude % c != 0;
    default:
      return false;
  }
}

// ---- cEdWorldChip ---------------------------------------------------------

void cEdWorldChip::RegisterFields(int) {
  ClearFieldLists();
  AddField(&m_nParam);
  AddField(&m_bWall);
  AddField(&m_nPicture);
  AddString(&m_strText);
  AddString(&m_strName);
}

cEdWorldChip& cEdWorldChip::operator=(const cEdWorldChip& other) {
  cRecord::operator=(other);
  m_nParam = other.m_nParam;
  m_bWall = other.m_bWall;
  m_nPicture = other.m_nPicture;
  m_strText = other.m_strText;
  m_strName = other.m_strName;
  return *this;
}

// ---- cEdWorldEntry --------------------------------------------------------

void cEdWorldEntry::RegisterFields(int nVersion) {
  ClearFieldLists();
  AddField(&m_nKind);
  AddField(&m_nIcon);
  AddField(&m_nStageNo);
  AddField(&m_bNeedsButton);
  AddField(&m_bReplay);
  AddField(&m_nAfterClear);
  AddField(&m_nNeedStage);
  AddField(&m_nVarNo);
  AddField(&m_nVarValue);
  AddField(&m_nVarOp);
  if (nVersion >= 209) AddField(&m_nNeedScore);
  AddString(&m_strTitle);
  AddString(&m_strStageFile);
}

cEdWorldEntry& cEdWorldEntry::operator=(const cEdWorldEntry& other) {
  cRecord::operator=(other);
  m_nKind = other.m_nKind;
  m_nIcon = other.m_nIcon;
  m_nStageNo = other.m_nStageNo;
  m_bNeedsButton = other.m_bNeedsButton;
  m_bReplay = other.m_bReplay;
  m_nAfterClear = other.m_nAfterClear;
  m_nNeedStage = other.m_nNeedStage;
  m_nVarNo = other.m_nVarNo;
  m_nVarValue = other.m_nVarValue;
  m_nVarOp = other.m_nVarOp;
  m_nNeedScore = other.m_nNeedScore;
  m_strTitle = other.m_strTitle;
  m_strStageFile = other.m_strStageFile;
  return *this;
}

void cEdWorldEntry::Load(cRecordReader& file) {
  cRecord::Load(file);
  if (g_nFileVersion <= 208) m_nNeedScore = 0;
}

void cEdWorldEntry::Save(cRecordWriter& file) {
  EmptyHook();
  cRecord::Save(file);
}

// ---- cEdWorldEvent --------------------------------------------------------

cEdWorldEvent::cEdWorldEvent() {
  cEdWorldEvent::RegisterFields(DATA_VERSION);
  SetDefaults();
}

void cEdWorldEvent::RegisterFields(int) {
  ClearFieldLists();
  AddField(&m_nX);
  AddField(&m_nY);
  AddString(&m_strName);
}

cEdWorldEvent& cEdWorldEvent::operator=(const cEdWorldEvent& other) {
  cRecord::operator=(other);
  m_nX = other.m_nX;
  m_nY = other.m_nY;
  m_strName = other.m_strName;
  m_Entries = other.m_Entries;
  return *this;
}

void cEdWorldEvent::SetDefaults() {
  Clear();
  m_Entries.resize(1);
}

void cEdWorldEvent::Load(cRecordReader& file) {
  cRecord::Load(file);
  ReadRecordVector(m_Entries, file);
  for (auto& entry : m_Entries) entry.EmptyHook();
}

void cEdWorldEvent::Save(cRecordWriter& file) {
  for (auto& entry : m_Entries) entry.EmptyHook();
  cRecord::Save(file);
  SaveRecordVector(m_Entries, file);
}

// ---- cEdWorldMap ----------------------------------------------------------

cEdWorldMap::cEdWorldMap() {
  cEdWorldMap::RegisterFields(DATA_VERSION);
  SetDefaults();
}

void cEdWorldMap::RegisterFields(int) {
  ClearFieldLists();
  AddField(&m_nWidth);
  AddField(&m_nHeight);
  AddField(&m_nPitch);
  AddField(&m_nPitch_Shift);
  AddField(&m_nStartX);
  AddField(&m_nStartY);
  AddField(&m_nBackColor);
  AddField(&m_bBackPicture);
  AddString(&m_strName);
  AddString(&m_strBackPicture);
}

cEdWorldMap& cEdWorldMap::operator=(const cEdWorldMap& other) {
  cRecord::operator=(other);
  m_nWidth = other.m_nWidth;
  m_nHeight = other.m_nHeight;
  m_nPitch = other.m_nPitch;
  m_nPitch_Shift = other.m_nPitch_Shift;
  m_nStartX = other.m_nStartX;
  m_nStartY = other.m_nStartY;
  m_nBackColor = other.m_nBackColor;
  m_bBackPicture = other.m_bBackPicture;
  m_strName = other.m_strName;
  m_strBackPicture = other.m_strBackPicture;
  m_Chips = other.m_Chips;
  m_Cells = other.m_Cells;
  m_Events = other.m_Events;
  m_Templates = other.m_Templates;
  return *this;
}

void cEdWorldMap::SetDefaults() {
  Clear();
  m_strName = "ワールド";
  m_nStartX = 9;
  m_nStartY = 7;
  m_nBackColor = 16;
  m_bBackPicture = 0;
  m_Chips.resize(10);
  for (int i = 0; i < 10; ++i) {
    cEdWorldChip& chip = m_Chips.At(i);
    chip.m_nPicture = i;
    chip.m_bWall = i < 5 ? 1 : 0;
    chip.m_strName = i < 5 ? "通行不可" : "通行可";
  }
  m_Cells.clear();
  SetSize(20, 15);
  m_Events.clear();
  m_Templates.resize(1);
  m_Templates.At(0).m_strName = "デフォルト";
}

void cEdWorldMap::Load(cRecordReader& file) {
  cRecord::Load(file);
  ReadRecordVector(m_Chips, file);
  ReadIntVector(m_Cells, file);
  ReadRecordVector(m_Events, file);
  ReadRecordVector(m_Templates, file);
  Validate();
}

void cEdWorldMap::Save(cRecordWriter& file) {
  Validate();
  cRecord::Save(file);
  SaveRecordVector(m_Chips, file);
  SaveIntVector(m_Cells, file);
  SaveRecordVector(m_Events, file);
  SaveRecordVector(m_Templates, file);
}

void cEdWorldMap::Validate() {
  // A file may hold any size, INT32_MIN too: a size below 1 puts the start
  // at 0 rather than overflowing.
  if (m_nStartX >= m_nWidth) m_nStartX = std::max(m_nWidth, 1) - 1;
  if (m_nStartY >= m_nHeight) m_nStartY = std::max(m_nHeight, 1) - 1;
  std::erase_if(static_cast<std::vector<cEdWorldEvent>&>(m_Events), [this](const cEdWorldEvent& e) {
    return e.m_nX >= m_nWidth || e.m_nY >= m_nHeight;
  });
  for (auto& chip : m_Chips) chip.EmptyHook();
  for (auto& event : m_Events)
    for (auto& entry : event.m_Entries) entry.EmptyHook();
  for (auto& event : m_Templates)
    for (auto& entry : event.m_Entries) entry.EmptyHook();
}

void cEdWorldMap::GetPitch(int nWidth, int* pPitch, int* pShift) {
  int nShift = 0;
  for (int n = nWidth - 1; n > 0; n /= 2) ++nShift;
  *pShift = nShift;
  *pPitch = 1 << nShift;
}

bool cEdWorldMap::SetSize(int nWidth, int nHeight) {
  if (nWidth == 0 || nHeight == 0) {
    DebugBoxf("SetSize()で 0 を指定しました！");
    return false;
  }
  // A negative size or one whose grid would not fit in an int is no map.
  if (nWidth < 0 || nHeight < 0 || nWidth > (1 << 20) || nHeight > (1 << 20) ||
      static_cast<int64_t>(nHeight) * nWidth > (1 << 24))
    return false;
  const bool bKeep = !m_Cells.empty();
  cCheckedVector<int32_t> oldCells;
  const int nOldWidth = m_nWidth, nOldHeight = m_nHeight, nOldShift = m_nPitch_Shift;
  if (bKeep) {
    DebugBoxf("nBeforeWidth = %d,nBeforePitch = %d,nBeforePitch_Shift = %d", m_nWidth, m_nPitch,
              m_nPitch_Shift);
    oldCells.swap(m_Cells);
  }
  m_nWidth = nWidth;
  m_nHeight = nHeight;
  GetPitch(nWidth, &m_nPitch, &m_nPitch_Shift);
  m_Cells.assign(static_cast<size_t>(m_nHeight) * static_cast<size_t>(m_nPitch), 0);
  if (bKeep) {
    for (int y = 0; y < nOldHeight && y < m_nHeight; ++y)
      for (int x = 0; x < m_nWidth && x < nOldWidth; ++x)
        m_Cells.At(GridIndex(x, y, m_nPitch_Shift)) = oldCells.At(GridIndex(x, y, nOldShift));
  }
  return true;
}

int cEdWorldMap::GridIndex(int x, int y, int nShift) {
  if (nShift < 0 || nShift > 31) return -1;
  const int64_t nIndex = static_cast<int64_t>(x) + (static_cast<int64_t>(y) << nShift);
  return nIndex < 0 || nIndex > INT32_MAX ? -1 : static_cast<int>(nIndex);
}

cEdWorldEvent* cEdWorldMap::FindEventAt(int x, int y) {
  for (auto& event : m_Events)
    if (event.m_nX == x && event.m_nY == y) return &event;
  return nullptr;
}

bool cEdWorldMap::HasStage(const std::string& strKey) const {
  for (const auto& event : m_Events) {
    for (const auto& entry : event.m_Entries) {
      if (entry.m_nKind != WORLDENTRY_STAGE) continue;
      std::string strFile = entry.m_strStageFile;
      StripExtension(strFile);
      const size_t nMulti = strFile.rfind("-1");
      if (nMulti != std::string::npos) {
        strFile.resize(nMulti);
        strFile += '.';
      } else {
        AppendFormat(strFile, ".");
      }
      if (strFile == strKey) return true;
    }
  }
  return false;
}
