// The world map, "data\WorldMap.dat": loaded as start-up loads it, then the
// cells and events of a screenful looked up as the map scene draws and walks
// them (the map's size is the file's word, so the walk is bounded).

#include <algorithm>

#include "fuzz/fuzz_support.h"
#include "records/data_path.h"
#include "stagedata/progress/world_map.h"

void FuzzOneInput(const uint8_t* lpData, size_t nSize) {
  const std::string& strPath = g_DataPath[DATAPATH_WORLD_MAP];
  WriteFuzzInput(strPath, lpData, nSize);
  if (g_WorldMap.LoadFromFile(strPath)) {
    int32_t nSum = 0;
    for (int y = 0; y < std::min(g_WorldMap.m_nHeight, 32); ++y)
      for (int x = 0; x < std::min(g_WorldMap.m_nWidth, 32); ++x) {
        nSum += g_WorldMap.CellAt(x, y);
        if (const cEdWorldEvent* pEvent = g_WorldMap.FindEventAt(x, y))
          nSum += static_cast<int32_t>(pEvent->m_Entries.size());
      }
    for (const cEdWorldEvent& event : g_WorldMap.m_Events)
      for (const cEdWorldEntry& entry : event.m_Entries) g_WorldMap.HasStage(entry.m_strStageFile);
    (void)nSum;
  }
  ResetRecordGlobals();
  RemakeGlobal(g_WorldMap);
}
