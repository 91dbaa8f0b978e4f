#pragma once
// The world map of story play: a grid of map chips, ten chip kinds and events
// on grid cells, each event with an ordered list of entries (a stage to
// enter, a piece of road or a wall). Loaded once from "data\WorldMap.dat".

#include <cstdint>
#include <string>

#include "app/base/checked_containers.h"
#include "app/base/format.h"
#include "records/record.h"

// One chip kind of the map's palette.
class cEdWorldChip : public cRecord {
 public:
  PLAYER_ELEMENT_SIZE(cEdWorldChip, 80);
  cEdWorldChip() { cEdWorldChip::RegisterFields(DATA_VERSION); }
  cEdWorldChip(const cEdWorldChip& other) : cRecord(other) { *this = other; }
  cEdWorldChip& operator=(const cEdWorldChip& other);
  void RegisterFields(int nVersion) override;

  int32_t m_nParam = 0;    // kept in the file, not read by the player
  int32_t m_bWall = 0;     // the cursor may not step on it (unless an event decides)
  int32_t m_nPicture = 0;  // picture on the chip sheet, five 32x32 pictures per row
  std::string m_strText;   // kept in the file
  std::string m_strName;
};

// Entry kinds and after-clear actions.
enum : int32_t { WORLDENTRY_STAGE = 0, WORLDENTRY_ROAD = 1, WORLDENTRY_WALL = 2 };
enum : int32_t { AFTERCLEAR_NONE = 0, AFTERCLEAR_RESTART_WORLD = 1, AFTERCLEAR_TO_TITLE = 2 };

// One possible meaning of an event; the first available entry counts.
class cEdWorldEntry : public cRecord {
 public:
  PLAYER_ELEMENT_SIZE(cEdWorldEntry, 112);
  cEdWorldEntry() { cEdWorldEntry::RegisterFields(DATA_VERSION); }
  cEdWorldEntry(const cEdWorldEntry& other) : cRecord(other) { *this = other; }
  cEdWorldEntry& operator=(const cEdWorldEntry& other);
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& file) override;
  void Save(cRecordWriter& file) override;

  int32_t m_nKind = WORLDENTRY_STAGE;
  int32_t m_nIcon = 0;         // row of the icon on the event sheet
  int32_t m_nStageNo = 0;      // index of the stage's cleared flag
  int32_t m_bNeedsButton = 0;  // arriving does not open the stage prompt by itself
  int32_t m_bReplay = 0;       // may be entered again once cleared
  int32_t m_nAfterClear = AFTERCLEAR_NONE;
  int32_t m_nNeedStage = 0;  // > 0: available only once this stage is cleared
  int32_t m_nVarNo = 0;      // non-zero: available only when the variable compares true
  int32_t m_nVarValue = 0;
  int32_t m_nVarOp = 0;      // comparison, as in flow conditions
  int32_t m_nNeedScore = 0;  // total of best scores needed
  std::string m_strTitle;
  std::string m_strStageFile;  // stage file without its version suffix
};

// Whether common variable value v compares true with c under comparison nOp
// (0 =, 1 !=, 2 >=, 3 <=, 4 >, 5 <, 6 multiple of, 7 not a multiple of).
bool CompareWorldVar(int32_t v, int32_t nOp, int32_t c);

// A point of interest on one cell.
class cEdWorldEvent : public cRecord {
 public:
  PLAYER_ELEMENT_SIZE(cEdWorldEvent, 76);
  cEdWorldEvent();
  cEdWorldEvent(const cEdWorldEvent& other) : cRecord(other) { *this = other; }
  cEdWorldEvent& operator=(const cEdWorldEvent& other);
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& file) override;
  void Save(cRecordWriter& file) override;
  // Clears the record and keeps exactly one entry (the first, or a new one).
  void SetDefaults();

  int32_t m_nX = 0;
  int32_t m_nY = 0;
  std::string m_strName;
  cCheckedVector<cEdWorldEntry> m_Entries;
};

struct MENUCURSOR;

class cEdWorldMap : public cRecord {
 public:
  cEdWorldMap();
  cEdWorldMap(const cEdWorldMap& other) : cRecord(other) { *this = other; }
  cEdWorldMap& operator=(const cEdWorldMap& other);
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& file) override;
  void Save(cRecordWriter& file) override;

  void SetDefaults();
  // Keeps the start inside the map and drops events outside it.
  void Validate();
  // Resizes the grid, keeping every cell that stays inside; false (and no
  // change) for a zero dimension.
  bool SetSize(int nWidth, int nHeight);
  static void GetPitch(int nWidth, int* pPitch, int* pShift);
  // The first event on the cell, or null.
  cEdWorldEvent* FindEventAt(int x, int y);
  cEdWorldEvent* FindEventAt(const int* pPosition) {
    return FindEventAt(pPosition[0], pPosition[1]);
  }
  // Whether a stage entry of the map has this stage key (see cPlayData::SetStagePath).
  bool HasStage(const std::string& strKey) const;
  // The chip index of cell (x, y), through the checked accessor.
  int32_t& CellAt(int x, int y) { return m_Cells.At(GridIndex(x, y, m_nPitch_Shift)); }
  // x + (y << nShift) in 64-bit arithmetic; -1 (an index every grid refuses)
  // when a stored shift or position puts it outside the int range.
  static int GridIndex(int x, int y, int nShift);

  int32_t m_nWidth = 20;
  int32_t m_nHeight = 15;
  int32_t m_nPitch = 32;
  int32_t m_nPitch_Shift = 5;
  int32_t m_nStartX = 9;
  int32_t m_nStartY = 7;
  int32_t m_nBackColor = 16;
  int32_t m_bBackPicture = 0;
  std::string m_strName;
  std::string m_strBackPicture;
  cCheckedVector<cEdWorldChip> m_Chips;
  cCheckedVector<int32_t> m_Cells;
  cCheckedVector<cEdWorldEvent> m_Events;
  cCheckedVector<cEdWorldEvent> m_Templates;  // editor's event templates
};

// Labels of the entry kinds and the after-clear actions (last one empty).
extern const char* const g_aszWorldEntryKind[4];
extern const char* const g_aszWorldAfterClear[4];

// Formats printf-style (up to 5,119 bytes) and appends to strTarget.
std::string& AppendFormat(std::string& strTarget, const char* pszFormat, ...) PLAYER_PRINTF(2, 3);

// The element count of a vector of 80-byte records (0 without storage).
template <class T>
unsigned CountRecords80(const cCheckedVector<T>& v) {
  return static_cast<unsigned>(v.size());
}

// The world map of the project.
extern cEdWorldMap g_WorldMap;
