#pragma once
// cFlowContext: what the flow runtime keeps of the stage being played — the
// character, runner and command state being worked on, the stage variables,
// and the play-scene fields that flow commands and conditions read or write.
//
// The play scene derives from it, so these fields are play-scene fields; a
// test makes a cFlowContext of its own and runs flows without a play scene.
// The context constructed last is the current one (FlowContext()) until it
// is destroyed; the one before it is current again afterwards.

#include <cstdint>
#include <vector>

#include "app/base/checked_containers.h"

class cChara;
class cFlowRunner;
struct COMMANDSTATE;

// Stage variables S1..S255 are entries 1..255 (the index is the variable
// number); entry 0 exists so that no number the editor offers reads past the
// end.
inline constexpr int kStageVars = 256;

class cFlowContext {
 public:
  cFlowContext();
  cFlowContext(const cFlowContext&) = delete;
  cFlowContext& operator=(const cFlowContext&) = delete;
  virtual ~cFlowContext();

  // Zeroes the stage variables and the requests (stage set-up).
  void ResetFlowState();
  // No character, runner or command state is current.
  void ClearCurrent();
  // Whether the character's flows are being raised or stepped, here or
  // further out: its flow list must not change then, as the walk holds its
  // runners and commands.
  bool IsWalking(const cChara& chara) const;

  // The character whose flows are raised or stepped, the runner being
  // started or stepped and the command state being run; null outside a
  // trigger scan or flow step.
  cChara* m_lpCurChara = nullptr;
  cFlowRunner* m_lpCurRunner = nullptr;
  COMMANDSTATE* m_lpCurState = nullptr;

  cCheckedVector<int32_t> m_vStageVar;  // kStageVars entries
  int32_t m_nEndRequest = 0;            // 0 none, 1 stage clear, 2 miss
  int32_t m_nNextPart = 0;              // stage number asked for by ステージクリア
  int32_t m_nTimeLeft = 0;              // seconds, 0..999
  int32_t m_bNoTimeLimit = 1;
  int32_t m_bCodeKill = 0;  // a command left another character at HP below 1
  // The item's list of commands in progress has run a メッセージ: the next one
  // chains to it. Cleared when the hero starts an item's list.
  int32_t m_bItemMessageChain = 0;

  // The walk over a flow's commands in progress: commands run in it so far,
  // counting the walks it starts inside it (a stage-start flow started by
  // フローの操作 runs its commands at once), how deep those are nested, and
  // whether it has been stopped at the command limit.
  int32_t m_nWalkRuns = 0;
  int32_t m_nWalkDepth = 0;
  int32_t m_bWalkOverrun = 0;

  // Items' lists of commands in progress (アイテムの取得 runs one inside
  // another): how deeply they are nested, the commands run since the
  // outermost began, and whether a list cut short at a limit has been
  // reported in this attempt.
  int32_t m_nItemDepth = 0;
  int32_t m_nItemRuns = 0;
  int32_t m_bItemOverrunLogged = 0;

 private:
  friend class cFlowWalk;

  cFlowContext* m_lpPrevious = nullptr;
  // The characters whose flows are being raised or stepped, innermost last.
  std::vector<const cChara*> m_vWalking;
};

// While it lives, the character's flows are being raised or stepped in the
// current context (a trigger scan, a flow step): changes to its flow list
// wait (the hero's queue of ChangeFlows).
class cFlowWalk {
 public:
  explicit cFlowWalk(const cChara& chara);
  ~cFlowWalk();
  cFlowWalk(const cFlowWalk&) = delete;
  cFlowWalk& operator=(const cFlowWalk&) = delete;

 private:
  cFlowContext& m_Ctx;
};

// Puts the context's current character, runner and command state back, when
// it goes, as they were when it was made: a walk started inside another (a
// trigger raised from a command, a stage-start flow started by フローの操作)
// leaves that walk as it found it.
class cFlowCurrentScope {
 public:
  cFlowCurrentScope();
  ~cFlowCurrentScope();
  cFlowCurrentScope(const cFlowCurrentScope&) = delete;
  cFlowCurrentScope& operator=(const cFlowCurrentScope&) = delete;

 private:
  cFlowContext& m_Ctx;
  cChara* const m_lpChara;
  cFlowRunner* const m_lpRunner;
  COMMANDSTATE* const m_lpState;
};

// The current context. Outside any (no stage, no test context) a context of
// its own that nothing else sees.
cFlowContext& FlowContext();

// Stage variable n; a number outside 0..kStageVars-1 is reported through the
// checked accessor and reads entry 0.
int32_t ReadStageVar(int n);
// Where stage variable n is stored, or null (with the same report) for a
// number outside the table: a bad number never writes another variable.
int32_t* StageVarSlot(int n);
// The same for the common variables of the play data.
int32_t ReadCommonVar(int n);
int32_t* CommonVarSlot(int n);
