#include "flow/flow.h"

#include <algorithm>
#include <atomic>

#include "flow/command_table.h"

namespace {

// Set on the main thread at start-up, read by loads on the loader thread.
std::atomic<bool> s_bKeepTestFlows{false};

// Nesting depth of the flow being loaded on this thread.
thread_local int s_nFlowLoadDepth = 0;

class cFlowDepthGuard {
 public:
  cFlowDepthGuard() { ++s_nFlowLoadDepth; }
  ~cFlowDepthGuard() { --s_nFlowLoadDepth; }
  cFlowDepthGuard(const cFlowDepthGuard&) = delete;
  cFlowDepthGuard& operator=(const cFlowDepthGuard&) = delete;
  bool TooDeep() const { return s_nFlowLoadDepth > kMaxFlowNesting; }
};

// ---- Parameter edits of the command migrations ----
// Parameters a migration reads may be missing in a damaged file: they read
// as 0, and writes to them are dropped.

void SetParam(cFlowCommand& cmd, int i, int32_t nValue) {
  if (i >= 0 && static_cast<size_t>(i) < cmd.m_Params.size()) cmd.m_Params[i] = nValue;
}

void ResizeParams(cFlowCommand& cmd, size_t n) { cmd.m_Params.resize(n, 0); }

// Moves parameters k and later one place up, dropping the last, and stores
// x at k.
void InsertParam(cFlowCommand& cmd, size_t k, int32_t x) {
  auto& p = cmd.m_Params;
  if (k >= p.size()) return;
  std::copy_backward(p.begin() + static_cast<std::ptrdiff_t>(k), p.end() - 1, p.end());
  p[k] = x;
}

// A status was inserted at index nFrom of the character statuses: renumber
// the left (p4) and right (p13) status of a ステータスの操作 command unless
// they belong to the system.
void RenumberStatusParams(cFlowCommand& cmd, int nFrom) {
  if (cmd.Param(0) == 0 && cmd.Param(3) != 2 && cmd.Param(4) >= nFrom)
    SetParam(cmd, 4, cmd.Param(4) + 1);
  if (cmd.Param(6) == 2 && cmd.Param(12) != 2 && cmd.Param(13) >= nFrom)
    SetParam(cmd, 13, cmd.Param(13) + 1);
}

void MigrateParams(cFlowCommand& cmd, int v) {
  const int t = cmd.CharaType();
  if (v < 145 && t == CMD_STAGE_CLEAR) ResizeParams(cmd, 9);
  if (v < 166 && t == CMD_PLAY_BGM) {
    ResizeParams(cmd, 2);
    SetParam(cmd, 1, 1);
  }
  if (v < 168 && t == CMD_STATUS) RenumberStatusParams(cmd, 10);
  if (v < 189 && t == CMD_SET_TARGET) {
    ResizeParams(cmd, 10);
    InsertParam(cmd, 2, 0);
  }
  if (v < 194 && t == CMD_SHOW_PICTURE) {
    ResizeParams(cmd, 14);
    InsertParam(cmd, 6, 1);
  }
  if (v < 195 && (t == CMD_CHARA_EFFECT || t == CMD_SCREEN_EFFECT)) {
    ResizeParams(cmd, 3);
    InsertParam(cmd, 1, 0);
  }
  if (v < 203 && (t == CMD_SUMMON_CHARA || t == CMD_SUMMON_ITEM)) cmd.m_Params.clear();
  if (v < 203 && t == CMD_FLOW_CONTROL) ResizeParams(cmd, 3);
  if (v < 203 && t == CMD_STATUS) RenumberStatusParams(cmd, 5);
  if (v < 210 && t == CMD_STATUS2 && cmd.Param(0) != 2 && cmd.Param(1) >= 6)
    SetParam(cmd, 1, cmd.Param(1) + 1);
  if (v < 219 && t == CMD_CHANGE_GRAPHIC && cmd.Param(0) == 3)
    SetParam(cmd, 1, std::min(cmd.Param(1) + 1, 119));
  // Settings a command of these types should carry may be missing in a
  // damaged file; there is then nothing to migrate.
  if (v < 220 && t == CMD_SHOT && cmd.m_pShot)
    cmd.m_pShot->m_nGraphic = static_cast<int16_t>(std::min(cmd.m_pShot->m_nGraphic + 1, 119));
  if (v < 514 && t == CMD_MOVE_CHARGE && cmd.m_pMove) {
    cmd.m_pMove->m_nAngle = 0;
    cmd.m_pMove->m_nAngleStep = 0;
    cmd.m_pMove->m_bMirrorAngle = 1;
  }
  if (v < 545 && t == CMD_MESSAGE) {
    ResizeParams(cmd, 17);
    SetParam(cmd, 10, 1);
  }
  if (v < 545 && t == CMD_SHOW_PICTURE) {
    ResizeParams(cmd, 14);
    SetParam(cmd, 11, 0);
  }
  if (v < 546 && t == CMD_MESSAGE)
    SetParam(cmd, 10, (cmd.Param(0) == 0 || cmd.Param(0) == 7) ? 1 : 0);
  if (v < 547 && t == CMD_MESSAGE) {
    ResizeParams(cmd, 17);
    for (int i : {11, 12, 13, 15}) SetParam(cmd, i, 0);
    SetParam(cmd, 14, 1);
  }
  if (v < 547 && t == CMD_SHOW_PICTURE) {
    ResizeParams(cmd, 14);
    SetParam(cmd, 12, 0);
    SetParam(cmd, 13, 0);
  }
  if (v < 556 && t == CMD_MESSAGE) {
    ResizeParams(cmd, 17);
    SetParam(cmd, 16, 1);
  }
}

// p0 of these command types names a database row; out of range it becomes
// the given fallback.
void ClampParam0(cFlowCommand& cmd, int nRows, int32_t nFallback) {
  if (!cmd.m_Params.empty() && !IsRowOf(cmd.m_Params[0], nRows)) cmd.m_Params[0] = nFallback;
}

// A palette reference: 0 common, 1 stage.
const PaletteCounts* PaletteOf(const ValidationContext& ctx, int nPalette) {
  if (nPalette == 0) return &ctx.common;
  if (nPalette == 1) return &ctx.stage;
  return nullptr;
}

}  // namespace

// ---- cKeyCondition ---------------------------------------------------------

cKeyCondition::cKeyCondition() { SetDefaults(); }

void cKeyCondition::SetDefaults() { m_KeyStates.assign(kKeyStateCount, 0); }

void cKeyCondition::RegisterFields(int /*nVersion*/) {
  ClearFieldLists();
  AddField(&m_bFacingRelative);
  AddField(&m_sMinHold);
  AddField(&m_sMaxHold);
  AddField(&m_bAnyLength);
  AddField(&m_cMode);
}

void cKeyCondition::Load(cRecordReader& file) {
  cRecord::Load(file);
  const uint32_t n = file.ReadCount(1, "key state count");
  // A list shorter than the 19 keys (a damaged file) gets the missing keys
  // as "ignore", so that the matching never reads past it.
  m_KeyStates.assign(std::max<size_t>(n, kKeyStateCount), 0);
  if (n != 0) file.ReadBytes(m_KeyStates.data(), n);
}

void cKeyCondition::Save(cRecordWriter& file) {
  cRecord::Save(file);
  SaveByteVector(m_KeyStates, file);
}

// ---- cFlowCommand ----------------------------------------------------------

cFlowCommand::cFlowCommand() { SetDefaults(); }

cFlowCommand::cFlowCommand(const cFlowCommand& other)
    : cRecord(other),
      m_cSet(other.m_cSet),
      m_cType(other.m_cType),
      m_Params(other.m_Params),
      m_strText(other.m_strText),
      m_sUseTime(other.m_sUseTime),
      m_sUseTimePerLevel(other.m_sUseTimePerLevel),
      m_bParallel(other.m_bParallel),
      m_sSound(other.m_sSound),
      m_bSoundOnScreen(other.m_bSoundOnScreen),
      m_sLeadAnime(other.m_sLeadAnime),
      m_Flows(other.m_Flows) {
  CloneMovePtr(m_pMove, other.m_pMove);
  CloneShotPtr(m_pShot, other.m_pShot);
}

cFlowCommand::cFlowCommand(cFlowCommand&& other) noexcept = default;
cFlowCommand& cFlowCommand::operator=(cFlowCommand&& other) noexcept = default;
cFlowCommand::~cFlowCommand() = default;

cFlowCommand& cFlowCommand::operator=(const cFlowCommand& other) {
  if (&other == this) return *this;
  cRecord::operator=(other);
  m_cSet = other.m_cSet;
  m_cType = other.m_cType;
  m_Params = other.m_Params;
  m_strText = other.m_strText;
  CloneMovePtr(m_pMove, other.m_pMove);
  CloneShotPtr(m_pShot, other.m_pShot);
  m_sUseTime = other.m_sUseTime;
  m_sUseTimePerLevel = other.m_sUseTimePerLevel;
  m_bParallel = other.m_bParallel;
  m_sSound = other.m_sSound;
  m_bSoundOnScreen = other.m_bSoundOnScreen;
  m_sLeadAnime = other.m_sLeadAnime;
  // A nested flow list may hold `other` itself (through a parent's copy); a
  // temporary keeps the source intact while the target changes.
  cFlowList flows(other.m_Flows);
  m_Flows = std::move(flows);
  return *this;
}

void cFlowCommand::SetDefaults() {
  m_pMove.reset();
  m_pShot.reset();
  m_bSoundOnScreen = 1;
}

void cFlowCommand::RegisterFields(int /*nVersion*/) {
  ClearFieldLists();
  AddString(&m_strText);
  AddField(&m_cSet);
  AddField(&m_cType);
  AddField(&m_sUseTime);
  AddField(&m_sUseTimePerLevel);
  AddField(&m_bParallel);
  AddField(&m_sSound);
  AddField(&m_bSoundOnScreen);
  AddField(&m_sLeadAnime);
}

int cFlowCommand::CharaType() const { return CharaCommandType(m_cSet, m_cType); }

void cFlowCommand::NormalizeParams() {
  m_Params.resize(static_cast<size_t>(GetCommandParamCount(m_cSet, m_cType)), 0);
}

void cFlowCommand::Load(cRecordReader& file) {
  cRecord::Load(file);

  if (file.ReadU32() != 0) {
    CreateMove(m_pMove);
    m_pMove->Load(file);
  } else {
    m_pMove.reset();
  }
  if (file.ReadU32() != 0) {
    CreateShot(m_pShot);
    m_pShot->Load(file);
  } else {
    m_pShot.reset();
  }
  LoadFlowVector(m_Flows, file);
  ReadIntVector(m_Params, file);
  if (!file.Failed()) {
    if (g_nFileVersion < DATA_VERSION) MigrateParams(*this, g_nFileVersion);
    if (!KeepTestFlows()) EraseMarkedFlows(m_Flows);
  }
  // Even a command of a damaged file has as many parameters as its type
  // reads.
  NormalizeParams();
}

void cFlowCommand::Save(cRecordWriter& file) {
  NormalizeParams();
  cRecord::Save(file);
  if (m_pMove) {
    file.WriteU32(1);
    m_pMove->Save(file);
  } else {
    file.WriteU32(0);
  }
  if (m_pShot) {
    file.WriteU32(1);
    m_pShot->Save(file);
  } else {
    file.WriteU32(0);
  }
  SaveRecordVector(m_Flows, file);
  SaveIntVector(m_Params, file);
}

void cFlowCommand::Validate(const ValidationContext& ctx) {
  if (!IsRowOf(m_sLeadAnime, ctx.nAnimeRows)) m_sLeadAnime = 0;
  if (!IsRowOf(m_sSound, ctx.nSoundRows)) m_sSound = 0;
  NormalizeParams();

  switch (CharaType()) {
    case CMD_CHANGE_ANIMESET:
      ClampParam0(*this, ctx.nAnimeSetRows, 0);
      break;
    case CMD_RUN_ANIME:
      ClampParam0(*this, ctx.nAnimeRows, 1);
      break;
    case CMD_RUN_EFFECT:
      ClampParam0(*this, ctx.nEffectRows, 1);
      break;
    case CMD_CHARA_EFFECT:
      ClampParam0(*this, ctx.nCharaEffectRows, 1);
      break;
    case CMD_SCREEN_EFFECT:
      ClampParam0(*this, ctx.nScrEffectRows, 1);
      break;
    case CMD_SHOW_PICTURE:
      ClampParam0(*this, ctx.nPictureRows, 1);
      break;
    case CMD_PLAY_SOUND:
      ClampParam0(*this, ctx.nSoundRows, 1);
      break;
    case CMD_PLAY_BGM:
      ClampParam0(*this, ctx.nBgmRows, 1);
      break;
    case CMD_SWORD:
      // A sword command lasts as long as its sword's frames.
      if (m_pShot) {
        const int nSwords = static_cast<int>(ctx.vSwordTimes.size());
        if (!IsRowOf(m_pShot->m_nMoveType, nSwords)) m_pShot->m_nMoveType = 0;
        const int32_t nTime = nSwords > 0 ? ctx.vSwordTimes[m_pShot->m_nMoveType] : 0;
        m_sUseTime = static_cast<int16_t>(std::clamp<int32_t>(nTime, 0, 9999));
      }
      break;
    default:
      break;
  }
  if (m_pShot) m_pShot->Validate(ctx);
  for (cFlow& flow : m_Flows) flow.Validate(ctx);
}

void cFlowCommand::ValidateSummonRefs(const ValidationContext& ctx) {
  if (m_cSet == COMMANDSET_CHARA && m_pShot) {
    cEdShot& shot = *m_pShot;
    switch (m_cType) {
      case CMD_SHOT:
      case CMD_SWORD: {
        // Item given by a hit: source 1 the common palette, 2 the stage's.
        const PaletteCounts* pPal = PaletteOf(ctx, shot.m_nItemSrc - 1);
        if (pPal && !IsRowOf(shot.m_nItemNo, pPal->nItems)) {
          shot.m_nItemSrc = 0;
          shot.m_nItemNo = 0;
        }
        break;
      }
      case CMD_SUMMON_BLOCK:
      case CMD_SUMMON_CHARA:
      case CMD_SUMMON_ITEM:
        if (const PaletteCounts* pPal = PaletteOf(ctx, shot.m_nSummonPalette)) {
          const int nRows = m_cType == CMD_SUMMON_BLOCK   ? pPal->nBlocks
                            : m_cType == CMD_SUMMON_CHARA ? pPal->nCharas
                                                          : pPal->nItems;
          if (!IsRowOf(shot.m_nSummonNo, nRows)) shot.m_nSummonNo = 1;
        }
        break;
      default:
        break;
    }
  }
  if (CharaType() == CMD_GET_ITEM && m_Params.size() >= 2) {
    if (const PaletteCounts* pPal = PaletteOf(ctx, m_Params[0]))
      if (!IsRowOf(m_Params[1], pPal->nItems)) m_Params[1] = 1;
  }
  for (cFlow& flow : m_Flows) flow.ValidateSummonRefs(ctx);
}

// ---- cFlow -----------------------------------------------------------------

cFlow::cFlow() = default;
cFlow::cFlow(const cFlow& other) = default;
cFlow::cFlow(cFlow&& other) noexcept = default;
cFlow& cFlow::operator=(cFlow&& other) noexcept = default;
cFlow::~cFlow() = default;

cFlow& cFlow::operator=(const cFlow& other) {
  if (&other == this) return *this;
  // Copy through a temporary: `other` may live inside one of our own nested
  // lists, which the assignment replaces.
  cFlow copy(other);
  cRecord::operator=(other);
  m_strMemo = std::move(copy.m_strMemo);
  m_cId = copy.m_cId;
  m_cTag = copy.m_cTag;
  m_bTestOnly = copy.m_bTestOnly;
  m_Conditions = std::move(copy.m_Conditions);
  m_cCondMode = copy.m_cCondMode;
  m_bCondOnce = copy.m_bCondOnce;
  m_cTrigger = copy.m_cTrigger;
  m_cKeyTolerance = copy.m_cKeyTolerance;
  m_bKeyLevel = copy.m_bKeyLevel;
  m_KeyConditions = std::move(copy.m_KeyConditions);
  m_Commands = std::move(copy.m_Commands);
  return *this;
}

void cFlow::RegisterFields(int nVersion) {
  ClearFieldLists();
  if (nVersion >= 676) AddString(&m_strMemo);
  AddField(&m_cId);
  AddField(&m_cTag);
  AddField(&m_bTestOnly);
  AddField(&m_cCondMode);
  AddField(&m_bCondOnce);
  AddField(&m_cTrigger);
  AddField(&m_cKeyTolerance);
  AddField(&m_bKeyLevel);
}

void cFlow::Load(cRecordReader& file) {
  cFlowDepthGuard depth;
  if (depth.TooDeep()) {
    file.Fail("flows nested too deeply");
    return;
  }
  cRecord::Load(file);
  LoadConditionList(m_Conditions, file);
  LoadKeyConditionVector(m_KeyConditions, file);
  LoadFlowCommandVector(m_Commands, file);

  const int v = g_nFileVersion;
  if (v < DATA_VERSION) {
    // Triggers were inserted at 11 (version 132) and at 5 and 6 (version
    // 164); before version 163 only trigger-0 flows had tags.
    int nTrigger = m_cTrigger;
    if (v <= 131 && nTrigger >= 11) ++nTrigger;
    if (v < 163 && nTrigger != 0) m_cTag = 0;
    if (v < 164 && nTrigger >= 5) nTrigger += 2;
    m_cTrigger = static_cast<int8_t>(nTrigger);
  }
  m_strMemo.clear();
}

void cFlow::Save(cRecordWriter& file) {
  cRecord::Save(file);
  SaveConditionList(m_Conditions, file);
  SaveRecordVector(m_KeyConditions, file);
  SaveRecordVector(m_Commands, file);
}

void cFlow::Validate(const ValidationContext& ctx) {
  for (cFlowCommand& cmd : m_Commands) cmd.Validate(ctx);
}

void cFlow::ValidateSummonRefs(const ValidationContext& ctx) {
  for (cFlowCommand& cmd : m_Commands) cmd.ValidateSummonRefs(ctx);
}

// ---- Lists -----------------------------------------------------------------

namespace {

// Element by element: the target keeps its elements where it can (grown
// with default records or cut), each assigned from the source.
template <class T>
std::vector<T>& AssignList(std::vector<T>& target, const std::vector<T>& source) {
  if (&target != &source) target = source;
  return target;
}

}  // namespace

void LoadFlowVector(std::vector<cFlow>& list, cRecordReader& file) {
  ReadRecordVector(list, file, kMinFlowBytes, "flow count");
}

void LoadFlowCommandVector(std::vector<cFlowCommand>& list, cRecordReader& file) {
  ReadRecordVector(list, file, kMinFlowCommandBytes, "command count");
}

void LoadKeyConditionVector(std::vector<cKeyCondition>& list, cRecordReader& file) {
  ReadRecordVector(list, file, kMinKeyConditionBytes, "key condition count");
}

std::vector<cFlow>& AssignFlowList(std::vector<cFlow>& target, const std::vector<cFlow>& source) {
  return AssignList(target, source);
}

std::vector<cFlowCommand>& AssignCommandList(std::vector<cFlowCommand>& target,
                                             const std::vector<cFlowCommand>& source) {
  return AssignList(target, source);
}

std::vector<cKeyCondition>& AssignKeyConditionList(std::vector<cKeyCondition>& target,
                                                   const std::vector<cKeyCondition>& source) {
  return AssignList(target, source);
}

void EraseMarkedFlows(std::vector<cFlow>& list) {
  std::erase_if(list, [](const cFlow& flow) { return flow.m_bTestOnly != 0; });
}

void SetKeepTestFlows(bool bKeep) { s_bKeepTestFlows = bKeep; }
bool KeepTestFlows() { return s_bKeepTestFlows; }
