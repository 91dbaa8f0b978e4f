#pragma once
// Rows of the SwordType, Bmp_CharaExc, Picture, Sound and Bgm tables: the
// resources that stages, characters and flows name by row number.
//
// Each row but the sword frame carries a stored value that was added in
// version 151 (152 for Bmp_CharaExc); what a file of version 151 or 152 holds
// there is dropped, older files leave the value the row had.

#include <cstdint>
#include <string>

#include "app/base/checked_containers.h"
#include "records/record.h"

class cSwordFrame : public cRecord {
 public:
  PLAYER_ELEMENT_SIZE(cSwordFrame, 76);
  cSwordFrame() {}
  void RegisterFields(int nVersion) override;

  int32_t m_nOffsetX = 0;  // relative to the wielder, before its size factor
  int32_t m_nOffsetY = 0;
  int32_t m_bMirrorX = 1;  // non-zero: offset x changes sign with the facing
  int32_t m_bMirrorY = 0;  // non-zero: offset y changes sign with the facing
  int32_t m_nAnchor = 0;   // side of the wielder: 0 front, 1 behind, 2 above, 3 below
  int32_t m_nSrcX = 0;     // the frame's picture in the sword bitmap
  int32_t m_nSrcY = 0;
  int32_t m_nWidth = 0;  // also the sword's size in play
  int32_t m_nHeight = 0;
  int32_t m_nDuration = 0;  // tenths of a second
};

class cSwordTypeDef : public cRecord {
 public:
  PLAYER_ELEMENT_SIZE(cSwordTypeDef, 104);
  cSwordTypeDef();
  // Without the default frame: Load reads the frames afresh.
  explicit cSwordTypeDef(cForLoad) {}

  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& file) override;
  void Save(cRecordWriter& file) override;

  // Empty names, one default frame of duration 1.
  void SetDefaults();

  std::string m_strName;
  int32_t m_nStored = 0;     // kept with the row; nothing in play reads it
  std::string m_strBitmap1;  // the sword facing one way
  std::string m_strBitmap2;  // the sword facing the other way
  cCheckedVector<cSwordFrame> m_Frames;
};

// A bitmap that can replace a character's bitmap.
class cBmpCharaExcDef : public cRecord {
 public:
  PLAYER_ELEMENT_SIZE(cBmpCharaExcDef, 80);
  cBmpCharaExcDef() {}
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& file) override;

  std::string m_strName;
  int32_t m_nStored = 0;  // kept with the row; nothing in play reads it
  std::string m_strBitmap;
  int32_t m_bOwnSize = 0;  // 0: cells of 32 pixels; non-zero: cells of m_nSize x 32 pixels
  int32_t m_nSize = 2;
};

// A picture shown by flows; cBgmDef, the music row, has the same members.
class cPictureDef : public cRecord {
 public:
  PLAYER_ELEMENT_SIZE(cPictureDef, 72);
  cPictureDef() {}
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& file) override;

  std::string m_strName;
  int32_t m_nStored = 0;  // kept with the row; nothing in play reads it
  std::string m_strFile;
};

class cBgmDef : public cPictureDef {
 public:
  PLAYER_ELEMENT_SIZE(cBgmDef, 72);
  cBgmDef() {}
};

class cSoundDef : public cRecord {
 public:
  PLAYER_ELEMENT_SIZE(cSoundDef, 72);
  cSoundDef() {}
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& file) override;

  std::string m_strName;
  std::string m_strFile;
  int32_t m_nStored = 0;  // kept with the row; nothing in play reads it
};

// Reads a u32 frame count and that many default sword frames into a fresh list.
void LoadSwordFrames(cCheckedVector<cSwordFrame>& frames, cRecordReader& file);
