#include "app/core/ranking.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "app/base/format.h"
#include "app/base/path_utils.h"
#include "app/base/report_log.h"
#include "app/base/sjis.h"
#include "app/core/scene.h"
#include "app/core/surface_tables.h"
#include "app/core/system_ini.h"
#include "platform/draw/dd_blit.h"
#include "records/data_path.h"
#include "records/system.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/stage_globals.h"

cRankTable g_RankTable;

namespace {

// Directions of a new table's lists: only the clear time ranks lower first.
constexpr int32_t kHighFirstByGenre[kRankGenreCount] = {1, 1, 0, 1, 1};
// Files up to this version may hold fewer or more lists and older directions.
constexpr int kLastOldRankingVersion = 180;

constexpr int kLine = 16;
// The ranking icon: a cell of the accessory sheet.
constexpr int kAccessorySurface = 49;
constexpr int kIconX = 16, kIconY = 48, kIconSize = 16;
constexpr int kFirstGenreText = 5;
constexpr int kGenreSwitchText = 24;

cRankList MakeList(int32_t bHighFirst) {
  cRankList list;
  list.m_bHighFirst = bHighFirst;
  return list;
}

int DrawRankIcon(DDSURFACEDATA* lpTarget, int x, int y) {
  return DDBlt(lpTarget, x, y, kIconSize, kIconSize, &g_SurfaceTable[kAccessorySurface], kIconX,
               kIconY, DDBLT_TRANSPARENT);
}

// Font 1 draws image glyphs for a to z when the project asks for them; names
// and the English title are drawn with the font's own letters.
class cPlainLetters {
 public:
  explicit cPlainLetters(bool bActive) : m_bActive(bActive && g_System.m_bMainFontFlag != 0) {
    if (m_bActive) g_Fonts[1].m_bGlyphImage = 0;
  }
  ~cPlainLetters() {
    if (m_bActive) g_Fonts[1].m_bGlyphImage = 1;
  }
  cPlainLetters(const cPlainLetters&) = delete;
  cPlainLetters& operator=(const cPlainLetters&) = delete;

 private:
  bool m_bActive;
};

const std::string& GenreName(int nGenre) { return g_System.m_Texts.At(kFirstGenreText + nGenre); }

// Decimal digits of |n| as text, zero-padded to nWidth (64 bits, so that
// INT_MIN has a magnitude).
std::string MagnitudeDigits(int64_t n, int nWidth) {
  std::string str = std::to_string(n < 0 ? -n : n);
  if (static_cast<int>(str.size()) < nWidth) str.insert(0, nWidth - str.size(), '0');
  return str;
}

}  // namespace

// ---- records ------------------------------------------------------------------------

cRankEntry& cRankEntry::operator=(const cRankEntry& other) {
  cRecord::operator=(other);
  m_bUsed = other.m_bUsed;
  m_nScore = other.m_nScore;
  m_strName = other.m_strName;
  return *this;
}

void cRankEntry::RegisterFields(int) {
  ClearFieldLists();
  AddField(&m_bUsed);
  AddField(&m_nScore);
  AddString(&m_strName);
}

cRankList::cRankList() : m_Entries(kRankPlaceCount) { cRankList::RegisterFields(DATA_VERSION); }

cRankList& cRankList::operator=(const cRankList& other) {
  cRecord::operator=(other);
  m_Entries = other.m_Entries;
  m_bHighFirst = other.m_bHighFirst;
  return *this;
}

void cRankList::RegisterFields(int) {
  ClearFieldLists();
  AddField(&m_bHighFirst);
}

void cRankList::Load(cRecordReader& file) {
  cRecord::Load(file);
  ReadRecordVector(m_Entries, file);
}

void cRankList::Save(cRecordWriter& file) {
  cRecord::Save(file);
  SaveRecordVector(m_Entries, file);
}

int cRankList::FindInsertPos(int nValue) const {
  for (size_t i = 0; i < m_Entries.size(); ++i) {
    const cRankEntry& entry = m_Entries[i];
    if (entry.m_bUsed == 0) return static_cast<int>(i);
    if (m_bHighFirst != 0 ? nValue > entry.m_nScore : nValue < entry.m_nScore)
      return static_cast<int>(i);
  }
  return -1;
}

void cRankList::Insert(const std::string& strName, int nValue) {
  const int nPos = FindInsertPos(nValue);
  cRankEntry entry;
  entry.m_bUsed = 1;
  entry.m_strName = strName;
  entry.m_nScore = nValue;
  if (nPos >= 0 && static_cast<size_t>(nPos) < m_Entries.size())
    m_Entries.insert(m_Entries.begin() + nPos, std::move(entry));
  else
    m_Entries.push_back(std::move(entry));
  m_Entries.pop_back();
}

void cRankList::Reset() {
  RegisterFields(g_nDataVersion);
  m_bHighFirst = 0;
  m_Entries.resize(kRankPlaceCount);
}

cRankTable& cRankTable::operator=(const cRankTable& other) {
  cRecord::operator=(other);
  m_Lists = other.m_Lists;
  return *this;
}

void cRankTable::RegisterFields(int) { RegisterNothing(); }

void cRankTable::Reset() {
  RegisterFields(g_nDataVersion);
  m_Lists.clear();
  for (int32_t bHighFirst : kHighFirstByGenre) m_Lists.push_back(MakeList(bHighFirst));
}

void cRankTable::Load(cRecordReader& file) {
  cRecord::Load(file);
  ReadRecordVector(m_Lists, file);
  if (file.Failed()) return;
  if (g_nFileVersion <= kLastOldRankingVersion) {
    // Older files: exactly five lists; the HP and SP genres rank higher first.
    m_Lists.resize(kRankGenreCount, MakeList(0));
    m_Lists.At(3).m_bHighFirst = 1;
    m_Lists.At(4).m_bHighFirst = 1;
  }
  // What no program writes but a damaged file may hold: every genre the
  // game addresses gets a list, every list its 20 places, every name its
  // length. Lists beyond the fifth are kept as they are.
  const std::string& strFile = file.Name();
  if (m_Lists.size() < kRankGenreCount) {
    ReportLog("%s : %d ranking lists; the missing ones start empty", strFile.c_str(),
              static_cast<int>(m_Lists.size()));
    while (m_Lists.size() < kRankGenreCount)
      m_Lists.push_back(MakeList(kHighFirstByGenre[m_Lists.size()]));
  }
  for (size_t i = 0; i < m_Lists.size(); ++i) {
    cRankList& list = m_Lists[i];
    if (list.m_Entries.size() != kRankPlaceCount) {
      ReportLog("%s : ranking list %d holds %d places; it keeps %d", strFile.c_str(),
                static_cast<int>(i), static_cast<int>(list.m_Entries.size()), kRankPlaceCount);
      list.m_Entries.resize(kRankPlaceCount);
    }
    for (cRankEntry& entry : list.m_Entries) {
      if (entry.m_strName.size() <= kRankNameMaxBytes) continue;
      ReportLog("%s : a ranking name of %d bytes was cut to %d", strFile.c_str(),
                static_cast<int>(entry.m_strName.size()), static_cast<int>(kRankNameMaxBytes));
      CutToCharBoundary(entry.m_strName, kRankNameMaxBytes);
    }
  }
}

void cRankTable::Save(cRecordWriter& file) {
  cRecord::Save(file);
  SaveRecordVector(m_Lists, file);
}

void cRankTable::Draw(DDSURFACEDATA* lpTarget, int x, int y, int nGenre, int nIcon) {
  DrawRankList(m_Lists.At(nGenre), lpTarget, x, y, nGenre, nIcon);
}

// ---- files ----------------------------------------------------------------------------

int MakeRankingPath(char* pszOut, int nGameKind, const char* pszStageKey) {
  const std::string strPath = MakeRankingPath(nGameKind, pszStageKey);
  if (strPath.empty()) return 0;
  // The path buffer holds 260 bytes.
  std::string strCut = strPath;
  CutToCharBoundary(strCut, 259);
  std::memcpy(pszOut, strCut.c_str(), strCut.size() + 1);
  return 1;
}

std::string MakeRankingPath(int nGameKind, const std::string& strStageKey) {
  if (nGameKind < GAMEKIND_STORY || nGameKind > GAMEKIND_FREE) return {};
  std::string strName = strStageKey;
  StripDirectory(strName);
  std::string strPath;
  FormatString(strPath, "%s%s%s", g_DataPath[DATAPATH_RANKING_STORY + nGameKind].c_str(),
               strName.c_str(), g_szFileExt[FILEEXT_RANKING].c_str());
  return strPath;
}

int LoadRanking(cRankTable& table, int nGameKind, const std::string& strStageKey) {
  const std::string strPath = MakeRankingPath(nGameKind, strStageKey);
  // Read into a copy, so that a file that fails half-way leaves nothing of it.
  cRankTable loaded;
  if (!strPath.empty() && loaded.LoadFromFile(strPath)) {
    table = loaded;
    return 1;
  }
  table.Reset();
  return 0;
}

int SaveRanking(cRankTable& table, int nGameKind, const std::string& strStageKey) {
  const std::string strPath = MakeRankingPath(nGameKind, strStageKey);
  if (strPath.empty()) return 0;
  // A failure is reported by the record layer; the old file stays.
  return table.SaveToFile(strPath) ? 1 : 0;
}

int RankingValue(const cPlayData& play, int nGenre) {
  switch (nGenre) {
    case 0:
      return play.m_nGameScore;
    case 1:
      return play.m_nTimeLeftSum;
    case 2:
      return play.m_nClearTimeSum;
    case 3:
      return play.m_nHpSum;
    case 4:
      return play.m_nSpSum;
  }
  return 0;
}

// ---- drawing --------------------------------------------------------------------------

int DrawRankList(cRankList& list, DDSURFACEDATA* lpTarget, int x, int y, int nGenre, int nIcon) {
  Font& font = g_Fonts[1];
  font.DrawWindow(lpTarget, x + 1, y + 1, 270, 350);
  {
    const cPlainLetters plain(g_SystemIni.English != 0);
    font.Printf(lpTarget, x, y, g_SystemIni.English != 0 ? "Ranking     %s" : "ランキング    %s",
                GenreName(nGenre).c_str());
  }
  const int nWidth = CountDigits(list.m_Entries.At(0).m_nScore);
  const int nPlaces = static_cast<int>(list.m_Entries.size());
  for (int i = 0; i < nPlaces; ++i) {
    const cRankEntry& entry = list.m_Entries.At(i);
    if (entry.m_bUsed == 0) continue;
    const int yRow = y + kLine * (i + 1);
    font.Printf(lpTarget, x + 16, yRow, "%d", i + 1);
    {
      const cPlainLetters plain(true);
      font.Printf(lpTarget, x + 64, yRow, "%s", entry.m_strName.c_str());
    }
    if (nGenre == kRankGenreClearTime) {
      std::string strTime;
      FormatTime(strTime, entry.m_nScore);
      font.Printf(lpTarget, x + 144, yRow, "%s", strTime.c_str());
    } else {
      const int nDigits = CountDigits(entry.m_nScore);
      font.Printf(lpTarget, x + (nWidth - nDigits + 9) * kLine, yRow, "%d", entry.m_nScore);
    }
  }
  if (g_System.CountRankingGenres(g_SceneManager.m_nGameKind) > 1) {
    const std::string& strHint = g_System.m_Texts.At(kGenreSwitchText);
    const int nChars = CountChars(strHint.c_str());
    font.Draw(lpTarget, x + 136 - nChars * kLine / 2, y + kLine * (nPlaces + 1), strHint.c_str(),
              0);
  }
  if (nIcon == -1) return -1;
  return DrawRankIcon(lpTarget, x, y + kLine * (nIcon + 1));
}

void DrawResultPanel(DDSURFACEDATA* lpTarget, int x, int y, const std::vector<int>& vPositions) {
  bool abShown[kRankGenreCount] = {};
  int nShown = 0;
  int nLabelWidth = 1;
  int nValueWidth = 1;
  const cGenreFlags& ranked = g_System.m_RankGenres.At(g_SceneManager.m_nGameKind);
  for (int g = 0; g < kRankGenreCount; ++g) {
    if (g_Stage.m_vResultItem.At(g) == 0) continue;
    if (g_bTestPlay == 0 && ranked.m_abGenres.At(g) == 0) continue;
    abShown[g] = true;
    ++nShown;
    nLabelWidth = std::max(nLabelWidth, CountChars(GenreName(g).c_str()));
    nValueWidth = std::max(nValueWidth,
                           g == kRankGenreClearTime ? 8 : CountDigits(RankingValue(g_PlayData, g)));
  }
  if (nShown == 0) return;
  Font& font = g_Fonts[1];
  font.DrawWindow(lpTarget, x, y, (nValueWidth + nLabelWidth + 3) * kLine, kLine * nShown);
  int yRow = y;
  for (int g = 0; g < kRankGenreCount; ++g) {
    if (!abShown[g]) continue;
    font.Printf(lpTarget, x + 16, yRow, "%s", GenreName(g).c_str());
    const int nValue = RankingValue(g_PlayData, g);
    const int xValue = x + 32 + kLine * nLabelWidth;
    if (g == kRankGenreClearTime) {
      std::string strTime;
      FormatTime(strTime, nValue);
      font.Printf(lpTarget, xValue, yRow, "%s", strTime.c_str());
    } else {
      font.Printf(lpTarget, xValue, yRow, "%d", nValue);
    }
    yRow += kLine;
  }
  // The icons stack from the top row, one per placed genre.
  int yIcon = y;
  for (int nPos : vPositions) {
    if (nPos == -1) continue;
    DrawRankIcon(lpTarget, x, yIcon);
    yIcon += kLine;
  }
}

// ---- numbers as text ------------------------------------------------------------------

void FormatTime(std::string& strOut, int nTime) {
  const int nSeconds = nTime / 100;
  const int nMinutes = nSeconds / 60;
  const int nSecondPart = nSeconds % 60;
  const int nHundredths = nTime % 100;
  const auto part = [](int n, int nWidth) {
    return (n < 0 ? "-" : "") + MagnitudeDigits(n, nWidth);
  };
  std::string strHundredths;
  FormatZeroPadded(strHundredths, nHundredths, 2, 1, 0);
  strOut = part(nMinutes, 2) + ":" + part(nSecondPart, 2) + "." + strHundredths;
}

void FormatZeroPadded(std::string& strOut, int nValue, int nWidth, int bKeepZeros, int bPlus) {
  const int nDigits = CountDigits(nValue);
  if (nWidth <= 0 || nWidth < nDigits) nWidth = nDigits;
  std::string strDigits = MagnitudeDigits(nValue, nWidth);
  if (bKeepZeros == 0)
    for (size_t i = 0; i + 1 < strDigits.size() && strDigits[i] == '0'; ++i) strDigits[i] = ' ';
  if (nValue < 0)
    strOut = "-" + strDigits;
  else
    strOut = (bPlus != 0 ? "+" : "") + strDigits;
}
