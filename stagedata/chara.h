#pragma once
// cEdChara: the stored definition of one character (the hero, a computer
// character, a block character). The same class is a palette entry, a
// placement on a stage map (tile position set) and the hero-status record
// carried from stage to stage. A running character works on its own copy.

#include <cstdint>
#include <string>
#include <vector>

#include "app/base/checked_containers.h"
#include "flow/condition.h"
#include "flow/flow.h"
#include "records/record.h"
#include "stagedata/link_flags.h"
#include "stagedata/stage_refs.h"

inline constexpr int kCharaLinkGroups = 37;

// Character kinds.
enum : int8_t { CHARAKIND_PLAYER = 0, CHARAKIND_COM = 1 };

class cEdChara : public cRecord {
 public:
  PLAYER_ELEMENT_SIZE(cEdChara, 200);
  cEdChara();
  // Copies and moves take every member but the registration (see cRecord).
  cEdChara(const cEdChara&) = default;
  cEdChara(cEdChara&&) = default;
  cEdChara& operator=(const cEdChara&) = default;
  cEdChara& operator=(cEdChara&&) = default;
  ~cEdChara() override = default;

  void RegisterFields(int nVersion) override;
  // Base part, tile position, carried item, link flags, conditions, flows;
  // then the test-play flows are dropped (unless kept), old files upgraded,
  // the link resolved (with the refs of the load in progress) and Validate.
  void Load(cRecordReader& file) override;
  void Save(cRecordWriter& file) override;

  // A new definition: every registered member 0, 37 clear link flags, the
  // default attributes. Tile position, conditions and flows are kept.
  int SetDefaults();
  // Repairs links and table rows; removes flows that hold nothing.
  void Validate(const cStageRefs& refs);
  // Repairs the palette references of the flows' commands.
  void ValidateSummonRefs(const cStageRefs& refs);
  // Copies the flagged attribute groups from the linked palette entry.
  void ApplyLink(const cStageRefs& refs);

  // Pixel offset of copy n of a placement facing nFacing (1 = right).
  double GetOffsetX(int n, int nFacing) const;
  double GetOffsetY(int n, int nFacing) const;

  // Extras (not registered).
  int16_t m_nTileX = 0;
  int16_t m_nTileY = 0;
  // The placed item this placement carries: an index into the stage's placed
  // items; -1, or any index outside them, carries none.
  int32_t m_nPlaceData = -1;
  cLinkFlags<kCharaLinkGroups> m_vLinkFlags;
  cConditionList m_vCondition;
  cFlowList m_vFlow;

  // Registered, in this order (the numbers give the file order).
  int8_t m_nLinkSrc = 0;           // 1
  int16_t m_nLinkNo = 0;           // 2
  std::string m_strName;           // the one string
  int8_t m_nCondMode = 0;          // 3
  int8_t m_bCondOnce = 0;          // 4
  int8_t m_nDir = 0;               // 5: 0 left, 1 right
  int8_t m_nCopies = 0;            // 6: further copies; negative places none
  int16_t m_nOffsetX = 0;          // 7
  int16_t m_nOffsetStepX = 0;      // 8
  int16_t m_nOffsetY = 0;          // 9
  int16_t m_nOffsetStepY = 0;      // 10
  int8_t m_bMirrorX = 0;           // 11
  int8_t m_bMirrorY = 0;           // 12
  int16_t m_nGraphic = 0;          // 13
  int8_t m_nGraphicKind = 1;       // 14: 4 = row of the Bmp_CharaExc table
  int16_t m_nGraphicRow = 0;       // 15
  int16_t m_nAnimeSet = 0;         // 16
  int8_t m_nZ = 3;                 // 17: layer 0..7
  int8_t m_bTransparent = 0;       // 18
  int16_t m_nCharaEffect = 0;      // 19
  int8_t m_nCharaEffectMode = 0;   // 20 (from 196)
  int8_t m_bCharaEffectLoop = 1;   // 21
  int16_t m_nDeathEffect = 0;      // 22
  int8_t m_nDeathEffectMode = 0;   // 23 (from 196)
  int8_t m_bMark = 0;              // 24
  int16_t m_nMark = 0;             // 25
  int8_t m_nKind = CHARAKIND_COM;  // 26
  int8_t m_nPlayerNo = 0;          // 27
  int8_t m_nFaction = 1;           // 28
  int8_t m_nCid = 0;               // 29
  int8_t m_nFly = 0;               // 30
  int8_t m_bFixDir = 1;            // 31
  int8_t m_nInvincible = 0;        // 32
  int8_t m_nInvincibleColour = 0;  // 33 (from 285)
  int8_t m_bBlockChara = 0;        // 34
  int8_t m_nGiant = 1;             // 35: 1..10
  int8_t m_bScrollSync = 0;        // 36 (from 210)
  int8_t m_nSightShape = 0;        // 37
  int8_t m_nSight = 0;             // 38
  int32_t m_nMaxHp = 10;           // 39
  int32_t m_nMaxSp = 0;            // 40
  int16_t m_nStop = 10;            // 41
  int8_t m_nBodyBox = 0;           // 42 (from 201)
  int32_t m_nPower = 0;            // 43
  int8_t m_nImpact = 0;            // 44
  int16_t m_nHitEffect = 0;        // 45
  int32_t m_nDefence = 0;          // 46 (from 168)
  int8_t m_nImpactResist = 0;      // 47
  int32_t m_nScore = 0;            // 48
  int8_t m_bFlag35 = 1;            // 49
  int8_t m_bActGroup = 0;          // 50
  int16_t m_nActGroup = 0;         // 51
  int8_t m_nActRange = 0;          // 52
  int8_t m_nActMode = 0;           // 53

 private:
  void InsertLinkGroup(int nGroup);
};

// Fixed-width parts of a character in a file, for list count checks.
inline constexpr size_t kMinCharaBytes = 4 + 4 + 4 + 4 + 4 + 4 + 4;

// Label lists of the field values (editor vocabulary), each ended by "".
extern const std::string g_CharaKindNames[];
extern const std::string g_PlayerNoNames[];
extern const std::string g_FlyNames[];
extern const std::string g_InvincibleNames[];
extern const std::string g_CharaOnOffNames[];
extern const std::string g_GiantNames[];
extern const std::string g_GiantNames2[];
extern const std::string g_SightShapeNames[];
extern const std::string g_BodyBoxNames[];
extern const std::string g_ActRangeNames[];
extern const std::string g_ActModeNames[];
