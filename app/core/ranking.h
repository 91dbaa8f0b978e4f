#pragma once
// Rankings: every stage keeps, per game kind (story, challenge, free), a
// ranking file of five lists, one per ranking genre, each of 20 places of a
// name and a value. The play scene asks each list where a cleared stage's
// value would land (FindInsertPos), shows the result panel, inserts the
// result under the player's name and saves the file; the ranking display,
// the stage select and the world map draw one list of the table.
//
// Genres: 0 score, 1 time left, 2 clear time (hundredths of a second, the
// only genre where lower ranks first, shown as a time), 3 HP left, 4 SP
// left. A genre's name is the System record's text 5 + genre.
//
// Ranking file (a record file): the table's empty base part, u32 list count,
// then each list: base part (m_bHighFirst), u32 entry count, each entry's
// base part (m_bUsed, m_nScore, the name).
//
// A file is outside data: a damaged one (a failed read) leaves a reset
// table; one that reads but holds fewer than five lists, a list of other
// than 20 places or an overlong name is brought into shape with one report
// line, so that every genre and every place the game addresses exists.

#include <cstdint>
#include <string>
#include <vector>

#include "app/base/checked_containers.h"
#include "platform/draw/surface/dd_surface.h"
#include "records/record.h"

class cPlayData;

inline constexpr int kRankGenreCount = 5;
inline constexpr int kRankPlaceCount = 20;
// Bytes a stored name keeps (the name dialog takes three characters, six
// bytes at most); a longer one in a file is cut on a character boundary.
inline constexpr size_t kRankNameMaxBytes = 16;
// The genre whose values are times and rank lower first.
inline constexpr int kRankGenreClearTime = 2;

// One place of a list.
class cRankEntry : public cRecord {
 public:
  PLAYER_ELEMENT_SIZE(cRankEntry, 60);
  cRankEntry() { cRankEntry::RegisterFields(DATA_VERSION); }
  cRankEntry(const cRankEntry& other) : cRecord(other) { *this = other; }
  cRankEntry& operator=(const cRankEntry& other);
  void RegisterFields(int nVersion) override;

  int32_t m_bUsed = 0;  // 0: an empty place
  int32_t m_nScore = 0;
  std::string m_strName;
};

// One genre's list, best first.
class cRankList : public cRecord {
 public:
  PLAYER_ELEMENT_SIZE(cRankList, 56);
  cRankList();
  cRankList(const cRankList& other) : cRecord(other) { *this = other; }
  cRankList& operator=(const cRankList& other);
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& file) override;
  void Save(cRecordWriter& file) override;

  // Index at which the value would be inserted: the first empty place, or the
  // first place whose value it beats strictly in the list's direction (an
  // equal value goes behind); -1 when none.
  int FindInsertPos(int nValue) const;
  // Inserts the result where FindInsertPos puts it and drops the last place,
  // so the list keeps its length; a result that does not qualify changes
  // nothing.
  void Insert(const std::string& strName, int nValue);
  // Clears the direction to 0 and makes the list exactly 20 places, keeping
  // the places it has.
  void Reset();

  cCheckedVector<cRankEntry> m_Entries;
  int32_t m_bHighFirst = 0;  // non-zero: higher values rank first
};

// The five lists of one stage and game kind.
class cRankTable : public cRecord {
 public:
  cRankTable() { Reset(); }
  cRankTable(const cRankTable& other) : cRecord(other) { *this = other; }
  cRankTable& operator=(const cRankTable& other);
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& file) override;
  void Save(cRecordWriter& file) override;

  // Five empty lists of 20 places, directions 1, 1, 0, 1, 1.
  void Reset();
  // Draws list nGenre with DrawRankList; nIcon marks a place (-1 none).
  void Draw(DDSURFACEDATA* lpTarget, int x, int y, int nGenre, int nIcon);

  cCheckedVector<cRankList> m_Lists;
};

// The table of the stage being played or previewed.
extern cRankTable g_RankTable;

// The ranking file of a game kind (0 story, 1 challenge, 2 free) and stage
// key: the kind's folder, the key's text after its last backslash, "rkg".
// 0 for another kind.
int MakeRankingPath(char* pszOut, int nGameKind, const char* pszStageKey);
std::string MakeRankingPath(int nGameKind, const std::string& strStageKey);
// Reads the table from the stage's ranking file: 1, or 0 with the table
// reset when there is no path or the file is missing or damaged.
int LoadRanking(cRankTable& table, int nGameKind, const std::string& strStageKey);
// Writes the table to the stage's ranking file in one piece: non-zero when
// written; a failed save leaves the old file as it was.
int SaveRanking(cRankTable& table, int nGameKind, const std::string& strStageKey);

// The value of a genre for a finished stage, as the play data holds it.
int RankingValue(const cPlayData& play, int nGenre);

// Draws one list with font 1: the window frame, the title with the genre's
// name, a row per used place (rank, name, value right-aligned on the first
// place's digits or as a time), the genre-switch hint when the current game
// kind ranks more than one genre, and the icon at place nIcon. Returns -1
// without an icon, else the icon blit's result.
int DrawRankList(cRankList& list, DDSURFACEDATA* lpTarget, int x, int y, int nGenre, int nIcon);
// Draws the stage result panel with font 1: a row per genre that the stage
// shows and the game kind ranks (every shown genre in a test play), with the
// play data's values, and an icon per placed genre stacked from the top.
void DrawResultPanel(DDSURFACEDATA* lpTarget, int x, int y, const std::vector<int>& vPositions);

// A time in hundredths of a second as "mm:ss.hh" (minutes grow past two
// digits; a negative part is written from its magnitude after a '-').
void FormatTime(std::string& strOut, int nTime);
// The last nWidth digits of |nValue|, zero-padded (nWidth below the value's
// digits: all of them); without bKeepZeros the leading zeros but the last
// become blanks; then '-' for a negative value or '+' with bPlus.
void FormatZeroPadded(std::string& strOut, int nValue, int nWidth, int bKeepZeros, int bPlus);
