#pragma once
// The stored flow records: cFlow (an event script of a character, or nested
// in an item's フローの変更 command), cFlowCommand (one command of a flow or of
// an item's command list) and cKeyCondition (one step of a key sequence).
//
// Loading migrates older data versions and repairs what needs no outside
// data (parameter counts by command type, short key-state lists, shot
// scale). Checks against the loaded databases and palettes are separate:
// Validate and ValidateSummonRefs take a ValidationContext, and the owner of
// the records (a character or item definition, a stage) calls them after
// loading.
//
// Copies are deep: copying a command gives the copy its own movement and
// shot settings objects.

#include <cstdint>
#include <string>
#include <vector>

#include "app/base/checked_containers.h"
#include "flow/condition.h"
#include "flow/move_settings.h"
#include "flow/shot_settings.h"
#include "flow/validation.h"
#include "records/record.h"

class cFlow;
class cFlowCommand;
class cKeyCondition;

using cFlowList = cCheckedVector<cFlow>;
using cFlowCommandList = cCheckedVector<cFlowCommand>;
using cKeyConditionList = cCheckedVector<cKeyCondition>;

// ---- cKeyCondition ---------------------------------------------------------

class cKeyCondition : public cRecord {
 public:
  PLAYER_ELEMENT_SIZE(cKeyCondition, 60);
  // Entries 0..9 are the direction lists, 10..18 the button lists.
  static constexpr int kKeyStateCount = 19;

  cKeyCondition();

  void SetDefaults();
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& file) override;
  void Save(cRecordWriter& file) override;
  void Validate() {}

  // Key state i (0 "--" ignore, 1 "押" pressed, 2 "離" released); 0 for an
  // entry the list does not have.
  uint8_t KeyState(int i) const {
    return (i >= 0 && static_cast<size_t>(i) < m_KeyStates.size()) ? m_KeyStates[i] : 0;
  }

  cCheckedVector<uint8_t> m_KeyStates;  // at least kKeyStateCount entries
  uint8_t m_bFacingRelative = 0;        // left/right mean backward/forward
  int16_t m_sMinHold = 0;               // frames
  int16_t m_sMaxHold = 0;               // frames
  uint8_t m_bAnyLength = 0;
  int8_t m_cMode = 0;  // 0 all keys, 1 one or more, 2 exactly one
};

// ---- cFlowCommand ----------------------------------------------------------

class cFlowCommand : public cRecord {
 public:
  PLAYER_ELEMENT_SIZE(cFlowCommand, 116);
  cFlowCommand();
  cFlowCommand(const cFlowCommand& other);
  cFlowCommand(cFlowCommand&& other) noexcept;
  cFlowCommand& operator=(const cFlowCommand& other);
  cFlowCommand& operator=(cFlowCommand&& other) noexcept;
  ~cFlowCommand() override;

  // Both settings pointers empty, sound only on screen.
  void SetDefaults();
  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& file) override;
  void Save(cRecordWriter& file) override;

  // Makes m_Params as long as the command table says for the command's set
  // and type (surplus removed from the end, missing ones 0); a set or type
  // outside the tables counts as the empty command, with no parameters.
  void NormalizeParams();
  // Clamps the database references of the command, its settings and its
  // nested flows; takes a ソード's use time from its sword's frames.
  void Validate(const ValidationContext& ctx);
  // Clamps the palette references of the command and its nested flows.
  void ValidateSummonRefs(const ValidationContext& ctx);

  // Parameter i, 0 when the list does not have it.
  int32_t Param(int i) const {
    return (i >= 0 && static_cast<size_t>(i) < m_Params.size()) ? m_Params[i] : 0;
  }
  // The character command type this command runs (item types 2..21 map to
  // character types 17..36); -1 for the item set's own command and for
  // anything outside the tables.
  int CharaType() const;

  int8_t m_cSet = 0;   // 0 character commands, 1 item commands
  int8_t m_cType = 0;  // type within the set
  cCheckedVector<int32_t> m_Params;
  std::string m_strText;           // message text, or code to run
  cEdMovePtr m_pMove;              // movement settings, or empty
  cEdShotPtr m_pShot;              // shot and summon settings, or empty
  int16_t m_sUseTime = 0;          // tenths of a second
  int16_t m_sUseTimePerLevel = 0;  // tenths, per level of the character
  uint8_t m_bParallel = 0;         // the next command starts in the same sub-step
  int16_t m_sSound = 0;            // Sound row played when the command begins, 0 none
  uint8_t m_bSoundOnScreen = 0;    // that sound only while on screen
  int16_t m_sLeadAnime = 0;        // Anime row of the lead-in animation, 0 none
  cFlowList m_Flows;               // nested flows (フローの変更)
};

// ---- cFlow -----------------------------------------------------------------

class cFlow : public cRecord {
 public:
  PLAYER_ELEMENT_SIZE(cFlow, 112);
  // A key tolerance of 3 frames in a new flow.
  static constexpr int8_t kDefaultKeyTolerance = 3;

  cFlow();
  cFlow(const cFlow& other);
  cFlow(cFlow&& other) noexcept;
  cFlow& operator=(const cFlow& other);
  cFlow& operator=(cFlow&& other) noexcept;
  ~cFlow() override;

  void RegisterFields(int nVersion) override;
  void Load(cRecordReader& file) override;
  void Save(cRecordWriter& file) override;

  // cFlowCommand::Validate on every command (conditions and key conditions
  // have nothing to check).
  void Validate(const ValidationContext& ctx);
  void ValidateSummonRefs(const ValidationContext& ctx);

  std::string m_strMemo;    // the editor's memo; emptied on load
  int8_t m_cId = 0;         // 0 none, 1..26
  int8_t m_cTag = 0;        // 0 none, 1..26
  uint8_t m_bTestOnly = 0;  // exists only in the editor's test play
  cConditionList m_Conditions;
  int8_t m_cCondMode = 0;  // 0 all conditions, 1 one is enough
  uint8_t m_bCondOnce = 0;
  int8_t m_cTrigger = 0;  // 0..19
  int8_t m_cKeyTolerance = kDefaultKeyTolerance;
  uint8_t m_bKeyLevel = 0;            // 1 key conditions as they stand, 0 first matching frame
  cKeyConditionList m_KeyConditions;  // oldest step first
  cFlowCommandList m_Commands;
};

// ---- Lists -----------------------------------------------------------------

// Smallest number of bytes each record takes in a file; counts read from a
// file are checked against the bytes left with them.
inline constexpr size_t kMinKeyConditionBytes = 12;  // two count words, state count
inline constexpr size_t kMinFlowBytes = 20;          // two count words, three list counts
inline constexpr size_t kMinFlowCommandBytes = 24;   // two count words, two presence
                                                     // words, flow and parameter counts
// Flows nest inside commands (フローの変更) at most this deep in a file;
// deeper nesting fails the load.
inline constexpr int kMaxFlowNesting = 16;

// Read u32 n, empty the list, append n default records and load each.
// They take the plain vector type, so that lists held in std::vector and in
// cCheckedVector both work.
void LoadFlowVector(std::vector<cFlow>& list, cRecordReader& file);
void LoadFlowCommandVector(std::vector<cFlowCommand>& list, cRecordReader& file);
void LoadKeyConditionVector(std::vector<cKeyCondition>& list, cRecordReader& file);

// Element-by-element copies (default records appended or surplus removed,
// then each assigned); self-assignment leaves the list unchanged.
std::vector<cFlow>& AssignFlowList(std::vector<cFlow>& target, const std::vector<cFlow>& source);
std::vector<cFlowCommand>& AssignCommandList(std::vector<cFlowCommand>& target,
                                             const std::vector<cFlowCommand>& source);
std::vector<cKeyCondition>& AssignKeyConditionList(std::vector<cKeyCondition>& target,
                                                   const std::vector<cKeyCondition>& source);

// Removes every flow marked for test play only, keeping the order of the rest.
void EraseMarkedFlows(std::vector<cFlow>& list);

// Whether flows marked for test play survive loading: set at start-up when
// the editor started the program for a test play or the project keeps them.
// Off by default.
void SetKeepTestFlows(bool bKeep);
bool KeepTestFlows();
