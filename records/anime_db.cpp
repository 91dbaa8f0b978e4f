#include "records/anime_db.h"

#include <limits>

#include "records/database.h"

namespace {

// Versions at which the stored layout of these rows changed.
constexpr int kVersionAnimeStoredValues = 55;  // the three stored values of an animation
constexpr int kVersionFlyingOffset = 119;      // the flying column offset; four slots
constexpr int kVersionFlyingSlotNames = 128;   // slots 2 and 3 renamed

const char* const kSlotNames[cAnimeSetDef::SLOT_COUNT] = {"立ち", "立ち移動", "飛行", "飛行移動"};

}  // namespace

// ---- cAnimeFrame ------------------------------------------------------------

void cAnimeFrame::RegisterFields(int /*nVersion*/) {
  ClearFieldLists();
  AddField(&m_nCell);
  AddField(&m_nDuration);
  AddField(&m_bHold);
}

void LoadAnimeFrames(cCheckedVector<cAnimeFrame>& frames, cRecordReader& file) {
  ReadPlainRecordVector(frames, file, 8, "frame count");
}

// ---- cAnimeDef --------------------------------------------------------------

cAnimeDef::cAnimeDef() : m_Frames(1) {}

void cAnimeDef::RegisterFields(int nVersion) {
  ClearFieldLists();
  AddString(&m_strName);
  if (nVersion >= kVersionAnimeStoredValues) {
    AddField(&m_sStored1);
    AddField(&m_byStored2);
    AddField(&m_sStored3);
  }
}

void cAnimeDef::SetDefaults() {
  Clear();
  m_Frames.assign(1, cAnimeFrame());
  m_byStored2 = 1;
}

void cAnimeDef::Load(cRecordReader& file) {
  cRecord::Load(file);
  LoadAnimeFrames(m_Frames, file);
}

void cAnimeDef::Save(cRecordWriter& file) {
  cRecord::Save(file);
  SaveRecordVector(m_Frames, file);
}

// ---- cAnimeSetDef -----------------------------------------------------------

cAnimeSetDef::cAnimeSetDef() { SetDefaultSlots(); }

void cAnimeSetDef::RegisterFields(int nVersion) {
  ClearFieldLists();
  AddString(&m_strName);
  AddField(&m_nInvincibleOffset);
  AddField(&m_nBlockOffset);
  if (nVersion >= kVersionFlyingOffset) AddField(&m_nFlyingOffset);
}

void cAnimeSetDef::FitSlots() {
  if (m_Slots.size() > SLOT_COUNT) m_Slots.resize(SLOT_COUNT);
  if (m_Slots.size() < SLOT_COUNT) {
    cAnimeDef slot;
    slot.SetDefaults();
    m_Slots.resize(SLOT_COUNT, slot);
  }
}

void cAnimeSetDef::SetDefaultSlots() {
  Clear();
  m_nInvincibleOffset = 4;
  m_nBlockOffset = 8;
  m_nFlyingOffset = 0;
  FitSlots();
  for (int i = 0; i < SLOT_COUNT; ++i) m_Slots.At(i).m_strName = kSlotNames[i];
}

void cAnimeSetDef::Load(cRecordReader& file) {
  cRecord::Load(file);
  cListReader slots(file, 12, "slot count");
  m_Slots.clear();
  ReserveForRecords(m_Slots, slots.Count());
  while (slots.Next()) EmplaceForLoad(m_Slots).Load(file);
  // After a fault the slots not read are default slots.
  if (m_Slots.size() < slots.Count()) m_Slots.resize(slots.Count());
  if (g_nFileVersion < kVersionFlyingOffset) FitSlots();
  if (g_nFileVersion < kVersionFlyingSlotNames) {
    FitSlots();
    m_Slots.At(SLOT_FLY).m_strName = kSlotNames[SLOT_FLY];
    m_Slots.At(SLOT_FLYMOVE).m_strName = kSlotNames[SLOT_FLYMOVE];
  }
}

void cAnimeSetDef::Save(cRecordWriter& file) {
  cRecord::Save(file);
  SaveRecordVector(m_Slots, file);
}

// ---- Run-time patterns ------------------------------------------------------

int32_t TenthsToFrames(int32_t nTenths) {
  const int64_t nFrames = int64_t{nTenths} * 6;
  if (nFrames > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (nFrames < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(nFrames);
}

void BuildAnimePatterns(cCheckedVector<ANIMEPATTERN>& patterns) {
  const cCheckedVector<cAnimeDef>& table = g_Database.m_Anime;
  patterns.clear();
  patterns.resize(table.size());
  for (size_t i = 0; i < table.size(); ++i) {
    const cCheckedVector<cAnimeFrame>& frames = table[i].m_Frames;
    ANIMEPATTERN& pattern = patterns[i];
    pattern.resize(frames.size() + 1);
    bool bHeld = false;
    for (size_t k = 0; k < frames.size(); ++k) {
      const cAnimeFrame& frame = frames[k];
      ANIMESTEP& step = pattern[k];
      step.nValue = frame.m_nCell;
      if (i == 0) {
        step.nDuration = 0;
        step.nHold = 1;
      } else {
        step.nDuration = TenthsToFrames(frame.m_nDuration);
        if (frame.m_bHold != 0) bHeld = true;
        step.nHold = bHeld ? 1 : 0;
      }
    }
    pattern.back() = i == 0 ? ANIMESTEP{-2, 0, 1} : ANIMESTEP{-4, 0, 0};
  }
}
