#pragma once
// cEdStage: one stage of the project: map size and scroll limits, timing and
// physics, display switches, hit-box sizes, the five erase rules, the stage's
// own palette, the placed blocks, characters and items, background layers
// and text lines. Its file form is written and read in stage_file.cpp.

#include <cstdint>
#include <string>

#include "app/base/checked_containers.h"
#include "records/record.h"
#include "stagedata/block.h"
#include "stagedata/chara.h"
#include "stagedata/item.h"
#include "stagedata/stage_parts.h"
#include "stagedata/stage_refs.h"

// The map border around the stage in cells, and the view in cells.
inline constexpr int kMapBorderCells = 10;
inline constexpr int kViewCellsX = 20;
inline constexpr int kViewCellsY = 15;

// Limits that keep a stage playable: the map grid the play scene builds
// ((height + 20) rows of a power-of-two pitch not below width + 20) stays
// within kMaxMapGridCells, and the sub-steps per frame within reach.
inline constexpr int kMaxStageWidth = 8192;
inline constexpr int kMaxStageHeight = 8192;
inline constexpr int64_t kMaxMapGridCells = int64_t{1} << 22;
inline constexpr int kMaxCollisionLevel = 100;
inline constexpr int kMaxFrameRate = 1000;

// Number of result rows of the stage-result panel.
inline constexpr int kResultItems = 5;

// log2 of the row pitch of the map grid of a stage nWidth cells wide: the
// number of bits of nWidth + 19.
int MapPitchShift(int nWidth);

class cEdStage : public cRecord {
 public:
  cEdStage();
  cEdStage(const cEdStage& other) = delete;
  cEdStage& operator=(const cEdStage& other) = delete;
  ~cEdStage() override = default;

  void RegisterFields(int nVersion) override;
  // Parts 2 to 13 of a stage file (the version word is read already), the
  // upgrades of older files and Validate. Palette links resolve against the
  // common palette and tables of the current refs and this stage's palette.
  void Load(cRecordReader& file) override;
  // Validate, then parts 2 to 13.
  void Save(cRecordWriter& file) override;
  // Parts 2 to 13 for a replay: the settings (record part, result switches,
  // erase rules, layers and texts) from start, palettes and placements from
  // this stage.
  void SaveForReplay(cRecordWriter& file, const cEdStage& start);

  void SetDefaults();
  void SetLayoutDefaults();
  // Brings the stage into a consistent state: map size and collision level
  // in range, scroll limits, music row, palettes of at least two entries,
  // every definition validated against refs (with this stage as the stage
  // palette).
  void Validate(const cStageRefs& refs);
  // Stores the level (clamped to 1..kMaxCollisionLevel) and derives the
  // sub-step values from it.
  void SetCollisionLevel(int nLevel);

  int FindHero() const;
  bool HasHero() const { return FindHero() != -1; }
  // The placed item a placed character carries, or null.
  const cEdItem* GetCarriedItem(const cEdChara& placement) const;

  // The settings part: registered members, name, result switches, erase
  // rules, layers and texts; palettes and placements are left alone.
  void CopySettingsFrom(const cEdStage& other);

  std::string m_strName;
  cCheckedVector<cEdBlock> m_vPlacedBlock;
  cCheckedVector<cEdChara> m_vPlacedChara;
  cCheckedVector<cEdItem> m_vPlacedItem;
  cCheckedVector<cEdBlock> m_vBlock;
  cCheckedVector<cEdChara> m_vChara;
  cCheckedVector<cEdItem> m_vItem;
  cCheckedVector<cEdBgLayer> m_vBgLayer;
  cCheckedVector<cEdStageText> m_vStageText;

  // Registered settings, in file order (the number is the position).
  int32_t m_nWidth = 0;             // 1: cells, without the border
  int32_t m_nReserved1 = 0;         // 2
  int32_t m_nReserved2 = 0;         // 3
  int32_t m_nHeight = 0;            // 4
  int32_t m_bScrollLimitL = 0;      // 5
  int32_t m_bScrollLimitR = 0;      // 6
  int32_t m_bScrollLimitT = 0;      // 7
  int32_t m_bScrollLimitB = 0;      // 8
  int32_t m_nScrollLimitL = 0;      // 9
  int32_t m_nScrollLimitR = 0;      // 10
  int32_t m_nScrollLimitT = 0;      // 11
  int32_t m_nScrollLimitB = 0;      // 12
  int32_t m_nFrameRate = 60;        // 13
  int32_t m_bTimeLimit = 0;         // 14
  int32_t m_nTimeLimit = 200;       // 15: seconds
  int32_t m_nTimeWarning = 20;      // 16
  int32_t m_bAutoScrollX = 0;       // 17
  int32_t m_bAutoScrollY = 0;       // 18
  int32_t m_nAutoScrollSpeedX = 0;  // 19: tenths of a pixel per frame
  int32_t m_nAutoScrollSpeedY = 0;  // 20
  double m_dGravity = 0.4;          // 21: pixels per frame squared
  int32_t m_nCollisionLevel = 10;   // 22
  int32_t m_nHitSteps = 0;          // 23: 0 = every sub-step
  int32_t m_nBgm = 0;               // 24: Bgm row
  int32_t m_nBgmOption = 0;         // 25 (from 166)
  int32_t m_bBgmContinue = 0;       // 26 (from 199)
  int32_t m_bZLayers = 1;           // 27
  int32_t m_bUseHeroStatus = 0;     // 28
  int32_t m_bStoreHeroStatus = 0;   // 29
  int32_t m_bShowStatus = 1;        // 30 (from 183)
  int32_t m_bAutoClear = 0;         // 31 (from 184)
  int32_t m_bShowStageNo = 0;       // 32
  int32_t m_bShowStart = 1;         // 33 (from 225)
  int32_t m_bShowClear = 1;         // 34
  int32_t m_bShowGameOver = 1;      // 35

  cCheckedVector<int32_t> m_vResultItem;  // one switch per result row
  cEdEraseArea m_EraseChara;
  cEdEraseArea m_EraseBlockChara;
  cEdEraseArea m_EraseItem;
  cEdEraseArea m_EraseShot0;  // shots of faction 0
  cEdEraseArea m_EraseShot1;  // shots of the other factions

  int32_t m_nHeroWalkW = 16;          // 36 (from 200)
  int32_t m_nHeroWalkH = 24;          // 37 (from 200)
  int32_t m_nHeroFlyW = 16;           // 38 (from 200)
  int32_t m_nHeroFlyH = 16;           // 39 (from 200)
  int32_t m_nHeroBox0WalkW = 16;      // 40
  int32_t m_nHeroBox0WalkH = 24;      // 41
  int32_t m_nHeroBox0FlyW = 16;       // 42 (from 155)
  int32_t m_nHeroBox0FlyH = 16;       // 43 (from 155)
  int32_t m_nHeroBox1W = 12;          // 44
  int32_t m_nHeroBox1H = 8;           // 45
  int32_t m_nHeroBoxExW = 16;         // 46
  int32_t m_nHeroBoxExH = 16;         // 47
  int32_t m_bHeroWalkBottom = 1;      // 48 (from 200)
  int32_t m_bHeroFlyBottom = 0;       // 49 (from 200)
  int32_t m_bHeroBox0WalkBottom = 1;  // 50 (from 155)
  int32_t m_bHeroBox0FlyBottom = 0;   // 51 (from 155)
  int32_t m_nShowHitBox = 0;          // 52 (from 200)
  int32_t m_nShowBoxA = 0;            // 53
  int32_t m_nShowBoxB = 0;            // 54
  int32_t m_nShowBoxC = 0;            // 55
  int32_t m_nHitBoxColour = 0;        // 56 (from 200)
  int32_t m_nBoxAColour = 0;          // 57
  int32_t m_nBoxBColour = 0;          // 58
  int32_t m_nBoxCColour = 0;          // 59
  int32_t m_nComWalkW = 16;           // 60 (from 200)
  int32_t m_nComWalkH = 24;           // 61 (from 200)
  int32_t m_nComFlyW = 16;            // 62 (from 200)
  int32_t m_nComFlyH = 16;            // 63 (from 200)
  int32_t m_nComBox0WalkW = 12;       // 64
  int32_t m_nComBox0WalkH = 24;       // 65
  int32_t m_nComBox0FlyW = 12;        // 66 (from 155)
  int32_t m_nComBox0FlyH = 16;        // 67 (from 155)
  int32_t m_nComBox1W = 30;           // 68
  int32_t m_nComBox1H = 30;           // 69
  int32_t m_bComWalkBottom = 1;       // 70 (from 200)
  int32_t m_bComFlyBottom = 0;        // 71 (from 200)
  int32_t m_bComBox0WalkBottom = 1;   // 72 (from 155)
  int32_t m_bComBox0FlyBottom = 0;    // 73 (from 155)
  int32_t m_nItemBoxW = 28;           // 74
  int32_t m_nItemBoxH = 28;           // 75
  int32_t m_nBox2W = 16;              // 76
  int32_t m_nBox2H = 16;              // 77
  int32_t m_nReserved3 = 16;          // 78
  int32_t m_nReserved4 = 16;          // 79
  int32_t m_nComBox2W = 16;           // 80
  int32_t m_nComBox2H = 16;           // 81
  int32_t m_nReserved5 = 16;          // 82
  int32_t m_nReserved6 = 16;          // 83
  int32_t m_nReserved7 = 1;           // 84

  // Run time only.
  std::string m_strLoadPath;  // the stage file being loaded
  int32_t m_bVersioned = 0;   // the load resolved the newest version suffix
  int32_t m_bLoadOk = 0;      // the load succeeded

  int32_t m_nScrollMarginX = 0;  // 85
  int32_t m_nScrollMarginY = 0;  // 86
  int32_t m_nMaxSpeedInt = 0;    // run time: 6 x m_nSubStep

  // Derived by SetCollisionLevel (stored as the writer computed them, never
  // relied on).
  int32_t m_nSubStep = 0;         // 87: sub-steps per frame (N)
  double m_dSubStep = 0;          // 88
  double m_dSubStepSq = 0;        // 89
  double m_dMaxSpeed = 0;         // 90: pixels per frame
  double m_dAccelPerStep = 0;     // 91: gravity per sub-step
  double m_dSpeedCapPerStep = 0;  // 92
  int32_t m_nSubStep8 = 0;        // 93

  int32_t m_bActiveOnly = 1;      // 94
  int32_t m_nHeroImmunity = 30;   // 95: frames
  int32_t m_nHeroInvincible = 0;  // 96
  int32_t m_nComImmunity = 30;    // 97
  int32_t m_nComInvincible = 0;   // 98

 private:
  void ValidateMapSize();
  // Validate; with bPlacementsValidated the placements are left out (the load
  // has just checked each of them against the palettes as they are now).
  void ValidateParts(const cStageRefs& refs, bool bPlacementsValidated);
};

// List resets: n freshly constructed elements with their class's defaults.
void ResetBlockList(cCheckedVector<cEdBlock>& list, unsigned n);
void ResetCharaList(cCheckedVector<cEdChara>& list, unsigned n);
void ResetItemList(cCheckedVector<cEdItem>& list, unsigned n);
void ResetBgLayerList(cCheckedVector<cEdBgLayer>& list, unsigned n);
