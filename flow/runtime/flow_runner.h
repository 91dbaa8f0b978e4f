#pragma once
// The running state of one flow of a character.
//
// A character keeps one cFlowRunner per flow, in the order of its flow list
// (runner i runs flow i, m_nSlot == i). A runner is idle until a trigger or a
// フローの操作 command starts it; while it runs, the character's flow step
// calls Step once per physics sub-step. Each Step walks the commands that are
// due through the command handler table and counts down the time each may
// use: a blocking command lets the next one begin only in the sub-step after
// it has used its time, a parallel one lets the next begin at once.
//
// Time is counted in sub-steps: a frame holds N of them (the stage's
// m_nSubStep) and a tenth of a second, the unit of stored use times, is
// 6 x N sub-steps.
//
// The runner holds pointers into the character's copy of its flow list
// (m_lpFlow, m_KeyConds, each state's m_lpCommand). That list stores flows by
// value, so after every change of it the character re-points its runners
// (Bind); runners themselves are plain values that may be copied and moved.
// Neither list changes while the character's flows are being raised or
// stepped (cFlowWalk): the walk holds its runner and the command being run.
// The flows' own requests (削除) wait for the end of the flow step, and so do
// the hero's flow changes by items (its queue, ChangeFlows).

#include <cstdint>
#include <vector>

#include "app/base/element_sizes.h"

class cChara;
class cEdMove;
class cFlow;
class cFlowCommand;
class cKeyCondition;

// A target point remembered by 誘導移動, in stage pixels.
struct FLOWPOINT {
  double x = 0.0;
  double y = 0.0;
};

// The state of one command of a running flow.
struct COMMANDSTATE {
  PLAYER_ELEMENT_SIZE(COMMANDSTATE, 136);
  cFlowCommand* m_lpCommand = nullptr;
  // Taken from the command when the runner is built, so that the walk over
  // the commands does not reach into them: the character command type it
  // runs (-1 for none), its parallel flag and its movement settings (null
  // for none).
  int32_t m_nType = -1;
  int32_t m_bParallel = 0;
  const cEdMove* m_lpMove = nullptr;
  int32_t m_bDone = 0;       // used its time in the current run of the flow
  int32_t m_nDuration = 0;   // sub-steps the command may use
  int32_t m_nCountdown = 0;  // sub-steps left; 0 = not begun (unless done)

  // Work fields of the movement commands.
  int8_t m_cDirection = 0;  // direction code, or turning sense of 円移動
  int32_t m_nOffsetX = 0;   // pixels
  int32_t m_nOffsetY = 0;
  double m_dSpeed = 0.0;      // pixels (円移動: degrees) per sub-step
  int32_t m_nAngle = 0;       // degrees, 0..359
  int32_t m_nRadius = 0;      // 円移動: radius x N; 誘導移動: aiming interval in sub-steps
  int32_t m_nStartAngle = 0;  // 円移動: degrees x N
  int32_t m_nEndAngle = 0;
  std::vector<FLOWPOINT> m_Points;  // 誘導移動: remembered target points, oldest first
  double m_dVX = 0.0;               // velocity worked out by the handler
  double m_dVY = 0.0;
  int32_t m_nFaceRequest = 0;  // 0 none, 1 left, 2 right
  int32_t m_nCount = 0;        // the handler's own sub-step counter
  int32_t m_bBegun = 0;        // the handler's set-up-done flag
  double m_dPhaseX = 0.0;      // 円移動: circle phases
  double m_dPhaseY = 0.0;
  double m_dMaxSpeed = 0.0;   // speed cap of inertial movement
  int32_t m_nLastFacing = 0;  // 直線移動: the facing at its last run

  // m_nCountdown := m_nDuration; done flag, counter, set-up flag and the
  // circle phases cleared.
  void Reset();
  // Runs the command once for the current character of the flow context and
  // counts down; 1 when it has used its time (the countdown is then 0).
  int Run();
  // Timing of a movement command whose timing mode is not 0: speed from
  // distance and duration, or duration from distance and speed.
  void ComputeMoveTiming(int nLevel);
};

// A lead-in animation of a command, started when the runner's frame counter
// reaches nFrame so that it ends as the command begins. Frame counts are
// 32-bit: a hold of use time x 6 frames does not fit 16 bits.
struct ANIMECUE {
  PLAYER_ELEMENT_SIZE(ANIMECUE, 16);
  int32_t nFrame = 0;       // m_nFrames of the runner at which it starts
  int16_t sAnime = 0;       // Anime table row
  int32_t nSkip = 0;        // frames of the anime skipped at its start
  int32_t nLength = 0;      // frames it plays
  int32_t nHold = 0;        // the command's use time x 6, in frames
  int32_t bExtendHold = 0;  // 1 unless the command is a ソード or ジャンプ
};

// Commands one walk over a flow's commands may run, with the walks of
// stage-start flows it starts inside it. A flow that would run more (parallel
// commands, or stage-start flows that start themselves or each other) is
// stopped there for that sub-step, with one line in the report log, and goes
// on in the next.
inline constexpr int kMaxCommandsPerStep = 1024;

// The runner key of animations that no flow started (アニメの実行 of an item):
// runner keys count from 0, so no flow pauses or removes them.
inline constexpr int32_t kNoRunnerKey = -1;

class cFlowRunner {
 public:
  PLAYER_ELEMENT_SIZE(cFlowRunner, 112);
  int32_t m_nSlot = 0;  // position of the runner (and its flow) in the character's lists
  int32_t m_nKey = 0;   // serial key from the character's m_nRunnerKey
  cFlow* m_lpFlow = nullptr;
  int32_t m_nTrigger = 0;  // the flow's trigger, taken when the runner is bound to it
  std::vector<cKeyCondition*> m_KeyConds;  // the flow's key conditions, in its order
  int32_t m_bKeyLatch = 0;                 // the key conditions held at the last test
  std::vector<COMMANDSTATE> m_States;      // one per command, in command order
  std::vector<ANIMECUE> m_AnimeCues;
  int32_t m_bRunning = 0;
  int32_t m_bPaused = 0;
  int32_t m_bHalted = 0;         // stopped for good (永久停止)
  int32_t m_bDeletePending = 0;  // 削除 waits for the end of the flow step
  int32_t m_nIndex = 0;          // first command not passed yet
  int32_t m_nFrames = 0;         // sub-steps since Start
  int32_t m_nChannel = 0;        // direction held when the flow started, 0..9
  int32_t m_bTested = 0;         // tested for its trigger in this frame
  int32_t m_bStarted = 0;        // started in this frame
  int32_t m_bMessageChain = 0;   // right after a chaining メッセージ
  int32_t m_bAbort = 0;          // a handler ended the current walk
  uint8_t m_bCondLatch = 0;      // the flow's conditions have held (for its once switch)
  int32_t m_bOverrunLogged = 0;  // the command limit of a sub-step was reported

  // Builds the runner of flow `flow` at position nSlot of `chara`: key from
  // the character's runner counter, key-condition pointers, one state per
  // command with its duration, movement speeds and movement set-up (with
  // nFacing, the facing at installation), then the lead-in cues.
  void Build(cChara& chara, cFlow& flow, int nSlot, int nFacing);
  // Re-points the runner at `flow` (same commands in the same order) after
  // the character's flow list changed.
  void Bind(cFlow& flow, int nSlot);

  void Start(cChara& chara);
  // Stops a running runner: every countdown 0, its tag marked ended.
  void Stop(cChara& chara);
  // One sub-step of the flow for `chara`; 1 when the flow has finished.
  int Step(cChara& chara);
  void Pause() { m_bPaused = 1; }
  void Resume() { m_bPaused = 0; }
  // Stops the runner for good.
  void Halt(cChara& chara);
};

// Calls the handler of the state's command type for `chara`; unknown types
// and empty table entries do nothing.
void DispatchFlowCommand(cChara& chara, COMMANDSTATE& state);

// The flow's tag 1..26, or 0: no tag, or a stored value outside the range.
int FlowTag(const cFlow& flow);

// The part of a character's flow step that every kind of character shares:
// the due lead-in animations start, then every running runner that is not
// paused or halted is stepped once (in the death pass only the flows of
// trigger 3) and stopped when its flow has finished; a runner without
// commands is stopped. 1 at once when the character has vanished, or when
// its HP is 0 or less after a step of a flow whose trigger is not 3 outside
// the death pass; the caller's flow step then ends and reports it dead.
int StepCharaFlows(cChara& chara, int bDeathPass);
// The end of a character's flow step: the current character, runner and
// state are cleared, runners marked for deletion are deleted and ended tags
// are cleared.
void EndFlowStep(cChara& chara);
