#include "records/resource_db.h"

namespace {

constexpr int kVersionSwordMirror = 138;  // the sword frame's mirror switches
constexpr int kVersionStored = 151;       // the stored value of most rows
constexpr int kVersionBmpStored = 152;    // the stored value of Bmp_CharaExc rows
constexpr int kVersionBmpSize = 172;      // own cell size of exchange bitmaps
constexpr int kVersionStoredKept = 153;   // from here the stored value is kept

// Files of the versions that carried the stored value before it was kept
// (from nAdded up to 152) have it dropped; older files did not carry it.
void DropEarlyStoredValue(int32_t& nStored, int nAdded) {
  if (g_nFileVersion >= nAdded && g_nFileVersion < kVersionStoredKept) nStored = 0;
}

}  // namespace

// ---- Swords -----------------------------------------------------------------

void cSwordFrame::RegisterFields(int nVersion) {
  ClearFieldLists();
  AddField(&m_nOffsetX);
  AddField(&m_nOffsetY);
  if (nVersion >= kVersionSwordMirror) {
    AddField(&m_bMirrorX);
    AddField(&m_bMirrorY);
  }
  AddField(&m_nAnchor);
  AddField(&m_nSrcX);
  AddField(&m_nSrcY);
  AddField(&m_nWidth);
  AddField(&m_nHeight);
  AddField(&m_nDuration);
}

void LoadSwordFrames(cCheckedVector<cSwordFrame>& frames, cRecordReader& file) {
  ReadPlainRecordVector(frames, file, 8, "frame count");
}

cSwordTypeDef::cSwordTypeDef() : m_Frames(1) { m_Frames[0].m_nDuration = 1; }

void cSwordTypeDef::RegisterFields(int nVersion) {
  ClearFieldLists();
  AddString(&m_strName);
  if (nVersion >= kVersionStored) AddField(&m_nStored);
  AddString(&m_strBitmap1);
  AddString(&m_strBitmap2);
}

void cSwordTypeDef::SetDefaults() {
  Clear();
  m_Frames.assign(1, cSwordFrame());
  m_Frames[0].m_nDuration = 1;
}

void cSwordTypeDef::Load(cRecordReader& file) {
  cRecord::Load(file);
  LoadSwordFrames(m_Frames, file);
  DropEarlyStoredValue(m_nStored, kVersionStored);
}

void cSwordTypeDef::Save(cRecordWriter& file) {
  cRecord::Save(file);
  SaveRecordVector(m_Frames, file);
}

// ---- Exchange bitmaps, pictures, music and sounds ---------------------------

void cBmpCharaExcDef::RegisterFields(int nVersion) {
  ClearFieldLists();
  AddString(&m_strName);
  if (nVersion >= kVersionBmpStored) AddField(&m_nStored);
  AddString(&m_strBitmap);
  if (nVersion >= kVersionBmpSize) {
    AddField(&m_bOwnSize);
    AddField(&m_nSize);
  }
}

void cBmpCharaExcDef::Load(cRecordReader& file) {
  cRecord::Load(file);
  DropEarlyStoredValue(m_nStored, kVersionBmpStored);
}

void cPictureDef::RegisterFields(int nVersion) {
  ClearFieldLists();
  AddString(&m_strName);
  if (nVersion >= kVersionStored) AddField(&m_nStored);
  AddString(&m_strFile);
}

void cPictureDef::Load(cRecordReader& file) {
  cRecord::Load(file);
  DropEarlyStoredValue(m_nStored, kVersionStored);
}

void cSoundDef::RegisterFields(int nVersion) {
  ClearFieldLists();
  AddString(&m_strName);
  if (nVersion >= kVersionStored) AddField(&m_nStored);
  AddString(&m_strFile);
}

void cSoundDef::Load(cRecordReader& file) {
  cRecord::Load(file);
  DropEarlyStoredValue(m_nStored, kVersionStored);
}
