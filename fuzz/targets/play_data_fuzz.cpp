// Play data: story save slot 1, "user_data\story\Story01.dat", read as the
// slot menu lists it and as a continued game loads it, then the lookups a
// game makes in the loaded progress.

#include "fuzz/fuzz_support.h"
#include "stagedata/progress/play_data.h"
#include "stagedata/progress/save_slots.h"

void FuzzOneInput(const uint8_t* lpData, size_t nSize) {
  char szPath[260];
  MakeSlotPath(szPath, 0);
  WriteFuzzInput(szPath, lpData, nSize);

  cCheckedVector<cSaveSlot> slots;
  InitSaveSlotList(slots, 1);
  LoadSaveSlotList(slots);

  if (g_PlayData.LoadSlot(0)) {
    g_PlayData.RecountTotalScore();
    g_PlayData.GetBestScore(g_PlayData.m_strStageKey);
    int nHp = 0, nSp = 0;
    g_PlayData.RestoreHeroExtra(0, &nHp, &nSp);
    g_PlayData.SaveStageStart();
    g_PlayData.RestoreStageStart(1);
  }
  ResetRecordGlobals();
  RemakeGlobal(g_PlayData);
}
