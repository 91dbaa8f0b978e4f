// Triggers and key conditions: the per-frame latches, tags, and key
// sequences matched against event lists built from per-frame held keys.

#include "flow/runtime/triggers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flow/runtime/flow_context.h"
#include "flow/runtime/tests/flow_test_kit.h"
#include "records/system.h"

namespace {

// Player 1 held these keys, one token per frame, oldest first ("." nothing).
void PlayFrames(const std::vector<std::string>& frames) {
  for (const std::string& f : frames) PushInputFrame(f == "." ? "" : f);
}

struct KEYCASE {
  const char* name;
  std::vector<std::string> frames;
  std::vector<cKeyCondition> keys;  // oldest step first
  int nTolerance;
  bool bOverlap;  // the project allows overlapped keys
  bool bWant;
};

TEST(KeySequenceTest, MatchesBackwardsOverTheEventLists) {
  const cKeyCondition R = MakeKey({"R"}, 1, 10);
  const cKeyCondition B1 = MakeKey({"1"}, 1, 10);
  const cKeyCondition anyR = [] {
    cKeyCondition k = MakeKey({"R"});
    k.m_bAnyLength = 1;
    return k;
  }();
  const cKeyCondition anyB1 = [] {
    cKeyCondition k = MakeKey({"1"});
    k.m_bAnyLength = 1;
    return k;
  }();
  const KEYCASE cases[] = {
      {"held within limits", {"R", "R", "R"}, {R}, 0, false, true},
      {"held too briefly", {"R", "R", "R"}, {MakeKey({"R"}, 5, 10)}, 0, false, false},
      {"held too long", {"R", "R", "R"}, {MakeKey({"R"}, 1, 2)}, 0, false, false},
      {"released", {"R", "."}, {MakeKey({"-R"})}, 0, false, true},
      {"not released", {".", "R"}, {MakeKey({"-R"})}, 0, false, false},
      // Right held just before button 1 was pressed.
      {"right then 1", {"R", "R", "R", "1"}, {R, B1}, 0, false, true},
      {"right held past its limit",
       {"R", "R", "R", "1"},
       {MakeKey({"R"}, 1, 2), B1},
       0,
       false,
       false},
      {"a gap without tolerance", {"R", "R", ".", "1"}, {R, B1}, 0, false, false},
      {"a gap within tolerance", {"R", "R", ".", "1"}, {R, B1}, 1, false, true},
      {"a gap beyond tolerance", {"R", ".", ".", ".", "1"}, {R, B1}, 2, false, false},
      {"right kept while 1 is pressed", {"R", "R", "R1"}, {R, B1}, 0, false, true},
      {"three steps", {"D", "D", "R", "1"}, {MakeKey({"D"}), R, B1}, 0, false, true},
      {"three steps out of order", {"R", "D", "1"}, {MakeKey({"D"}), R, B1}, 0, false, false},
      // Both pressed in the same frame: the earlier step is found one frame
      // later than where it should be, overlapping the later step.
      {"pressed together", {".", "R1"}, {anyR, anyB1}, 1, false, false},
      {"pressed together, overlap allowed", {".", "R1"}, {anyR, anyB1}, 1, true, true},
      // Modes: all, one or more, exactly one.
      {"all of two", {"R1"}, {MakeKey({"R", "1"}, 1, 10, 0)}, 0, false, true},
      {"all of two, one missing", {"R"}, {MakeKey({"R", "1"}, 1, 10, 0)}, 0, false, false},
      {"one or more", {"R"}, {MakeKey({"R", "1"}, 1, 10, 1)}, 0, false, true},
      {"exactly one", {"R"}, {MakeKey({"R", "1"}, 1, 10, 2)}, 0, false, true},
      {"exactly one, both held", {"R1"}, {MakeKey({"R", "1"}, 1, 10, 2)}, 0, false, false},
      // A condition without states holds.
      {"no states", {"."}, {cKeyCondition()}, 0, false, true},
      // Diagonals are lists of their own; any direction is list 9.
      {"up-right is not right", {"RU"}, {R}, 0, false, false},
      {"any direction", {"RU"}, {MakeKey({"A"})}, 0, false, true},
      {"no direction", {"1"}, {MakeKey({"N"})}, 0, false, true},
  };
  for (const KEYCASE& c : cases) {
    cFlowFixture fixture;
    g_System.m_bKeySeqMode = c.bOverlap ? 1 : 0;
    PlayFrames(c.frames);
    std::vector<cKeyCondition> keys = c.keys;
    std::vector<cKeyCondition*> pointers;
    for (cKeyCondition& k : keys) pointers.push_back(&k);
    EXPECT_EQ(MatchKeySequence(pointers, c.nTolerance, g_InputStates.At(0), nullptr), c.bWant)
        << c.name;
  }
}

TEST(KeySequenceTest, FacingRelativeKeysAndPositionsBeforeTheHistory) {
  cFlowFixture fixture;
  cTestChara& chara = AddFlowChara(fixture);
  cKeyCondition forward = MakeKey({"R"});
  forward.m_bFacingRelative = 1;
  std::vector<cKeyCondition*> keys = {&forward};
  PlayFrames({"L"});
  chara.m_nFacing = 0;  // facing left, "right" reads the left list
  EXPECT_TRUE(MatchKeySequence(keys, 0, g_InputStates.At(0), &chara));
  chara.m_nFacing = 1;
  EXPECT_FALSE(MatchKeySequence(keys, 0, g_InputStates.At(0), &chara));

  // A cursor moved back past every entry sits at 0 or below, where nothing
  // holds, even with a minimum hold of 0.
  const cInputState& input = g_InputStates.At(0);
  KEYCURSOR cursor = KeyCursorNow(input);
  ShiftKeyHistory(cursor, input, -5);
  cKeyCondition fromZero = MakeKey({"-R"}, 0, 10);
  int M = 0;
  EXPECT_FALSE(MatchKeyStep(fromZero, cursor, input, nullptr, M));
  EXPECT_FALSE(KeyStateMatches(KEYEVENT{1, 5}, 0, MakeKey({"R"}, 0, 10), 1));
  EXPECT_FALSE(KeyStateMatches(KEYEVENT{1, 5}, -2, MakeKey({"R"}, -5, 10), 1));

  // Moving back k single frames and then forward k returns every cursor.
  PlayFrames({"R", "R", ".", "1", "1", "RU"});
  const KEYCURSOR now = KeyCursorNow(input);
  cursor = now;
  for (int i = 0; i < 4; ++i) ShiftKeyHistory(cursor, input, -1);
  ShiftKeyHistory(cursor, input, 4);
  for (int l = 0; l < kKeyLists; ++l) {
    EXPECT_EQ(cursor.c[l], now.c[l]) << l;
    EXPECT_EQ(cursor.p[l], now.p[l]) << l;
  }
  EXPECT_EQ(GetHeldDirection(input), 7);  // up-right
  PlayFrames({"."});
  EXPECT_EQ(GetHeldDirection(input), 0);
  PlayFrames({"LR"});
  EXPECT_EQ(GetHeldDirection(input), 9);
}

cFlow TaggedFlow(int nTrigger, int nTag, int nUseTime) {
  cFlow flow = MakeFlow(nTrigger, {MakeCommand(CMD_WAIT, nUseTime)});
  flow.m_cTag = static_cast<int8_t>(nTag);
  return flow;
}

TEST(TriggerTest, AFlowIsTestedAndStartedAtMostOncePerFrame) {
  cFlowFixture fixture;
  cTestChara& chara = AddFlowChara(fixture);
  // Starts when S1 is 1.
  cFlow gated = MakeFlow(5, {MakeCommand(CMD_WAIT, 0)});
  cCondition c;
  c.m_cKind = CONDKIND_STAGEVAR;
  c.m_sVarIndex = 1;
  c.m_nConst = 1;
  gated.m_Conditions.push_back(c);
  InstallFlows(chara, {gated});
  cFlowRunner& runner = chara.m_vRunners.At(0);
  chara.RaiseTrigger(5);
  EXPECT_EQ(runner.m_bRunning, 0);
  *StageVarSlot(1) = 1;
  chara.RaiseTrigger(5);  // tested already in this frame
  EXPECT_EQ(runner.m_bRunning, 0);
  chara.ResetTriggerLatches();
  chara.RaiseTrigger(5);
  EXPECT_EQ(runner.m_bRunning, 1);
  EXPECT_EQ(runner.Step(chara), 1);
  runner.Stop(chara);
  EndFlowStep(chara);
  // Finished within the frame: not started again in it, even when the
  // project allows a trigger to be tested again.
  g_System.m_bRepeatRaise = 1;
  chara.RaiseTrigger(5);
  EXPECT_EQ(runner.m_bRunning, 0);
  chara.ResetTriggerLatches();
  chara.RaiseTrigger(5);
  EXPECT_EQ(runner.m_bRunning, 1);
  EXPECT_EQ(FlowContext().m_lpCurChara, nullptr);
}

TEST(TriggerTest, FlowsOfOneTagNeverRunTogether) {
  cFlowFixture fixture;
  cTestChara& chara = AddFlowChara(fixture);
  InstallFlows(chara, {TaggedFlow(0, 2, 1), TaggedFlow(0, 2, 1), TaggedFlow(0, 27, 1),
                       TaggedFlow(0, -1, 1), TaggedFlow(0, 27, 1)});
  chara.RaiseTrigger(0);
  const auto Running = [&](size_t i) { return chara.m_vRunners[i].m_bRunning; };
  EXPECT_EQ(Running(0), 1);
  EXPECT_EQ(Running(1), 0);  // its tag started in this scan
  // Tags outside 1..26 count as none: nothing blocks them.
  EXPECT_EQ(Running(2), 1);
  EXPECT_EQ(Running(3), 1);
  EXPECT_EQ(Running(4), 1);
  // While the first runs, the second stays blocked in later frames.
  chara.ResetTriggerLatches();
  chara.RaiseTrigger(0);
  EXPECT_EQ(Running(1), 0);
  // The first ends; at the end of the flow step its tag is free again, and
  // in the next frame the second may start.
  chara.m_vRunners[0].Stop(chara);
  EndFlowStep(chara);
  EXPECT_EQ(chara.m_vTagActive.At(2), 0);
  chara.ResetTriggerLatches();
  chara.RaiseTrigger(0);
  EXPECT_EQ(Running(0), 1);
  EXPECT_EQ(Running(1), 0);
}

// Edge mode: a flow starts in the first frame its keys match, and again only
// after a test, made while it was idle, in which they did not.
TEST(TriggerTest, EdgeModeStartsOncePerPress) {
  cFlowFixture fixture;
  cTestChara& chara = AddFlowChara(fixture);
  cFlow press = MakeFlow(0, {MakeCommand(CMD_WAIT, 0)});
  press.m_KeyConditions.push_back(MakeKey({"1"}, 1, 1000));
  cFlow held = press;
  held.m_bKeyLevel = 1;
  cFlow longPress = MakeFlow(0, {MakeCommand(CMD_WAIT, 1)});  // 6 frames at N = 1
  longPress.m_KeyConditions.push_back(MakeKey({"1"}, 1, 1000));
  InstallFlows(chara, {press, held, longPress});

  const std::string frames = "111.1.1111.";
  std::string started[3];
  for (char f : frames) {
    PushInputFrame(f == '.' ? "" : "1");
    chara.ResetTriggerLatches();
    chara.RaiseTrigger(0);
    for (int i = 0; i < 3; ++i)
      started[i] += chara.m_vRunners[static_cast<size_t>(i)].m_bStarted ? 'S' : '-';
    StepCharaFlows(chara, 0);
    EndFlowStep(chara);
  }
  EXPECT_EQ(started[0], "S---S-S----");
  EXPECT_EQ(started[1], "SSS-S-SSSS-");
  // The long flow runs frames 1..6; the press in frame 5 came while it ran,
  // and the keys still held when it ended do not start it again.
  EXPECT_EQ(started[2], "S----------");
}

// A held key keeps a tagged edge flow's tag busy, so the other trigger-0
// flows of that tag stay blocked while it is held.
TEST(TriggerTest, AHeldEdgeKeyBlocksItsTag) {
  cFlowFixture fixture;
  cTestChara& chara = AddFlowChara(fixture);
  cFlow press = TaggedFlow(0, 4, 0);
  press.m_KeyConditions.push_back(MakeKey({"1"}, 1, 1000));
  InstallFlows(chara, {press, TaggedFlow(0, 4, 0)});
  PushInputFrame("1");
  chara.RaiseTrigger(0);
  EXPECT_EQ(chara.m_vRunners[0].m_bStarted, 1);
  StepCharaFlows(chara, 0);
  EndFlowStep(chara);
  PushInputFrame("1");
  chara.ResetTriggerLatches();
  chara.RaiseTrigger(0);
  EXPECT_EQ(chara.m_vRunners[0].m_bStarted, 0);
  EXPECT_EQ(chara.m_vRunners[1].m_bStarted, 0);
  EndFlowStep(chara);
  PushInputFrame("");
  chara.ResetTriggerLatches();
  chara.RaiseTrigger(0);
  EXPECT_EQ(chara.m_vRunners[1].m_bStarted, 1);
}

// The direction held when a flow starts becomes its channel: the hero's own
// record for the hero, player 1's for the others.
TEST(TriggerTest, StartingFlowRemembersTheHeldDirection) {
  cFlowFixture fixture;
  cTestChara& chara = AddFlowChara(fixture);
  InstallFlows(chara, {MakeFlow(7, {MakeCommand(CMD_WAIT, 1)})});
  PushInputFrame("LD");
  chara.RaiseTrigger(7);
  EXPECT_EQ(chara.m_vRunners[0].m_nChannel, 6);
}

// A trigger raised from inside a walk (here by the character's jump, as a
// landing or a hit raises one) leaves that walk its character and runner:
// the commands after it in the same sub-step still run for the character.
class cJumpRaiser : public cTestFlowChara {
 public:
  void Jump(COMMANDSTATE* lpState) override {
    (void)lpState;
    RaiseTrigger(9);
  }
};

TEST(TriggerTest, ATriggerRaisedInsideAWalkLeavesTheWalkAsItWas) {
  cFlowFixture fixture;
  cJumpRaiser& chara = fixture.AddChara<cJumpRaiser>(400, 400);
  chara.m_nHp = chara.m_Def.m_nMaxHp = 100;
  constexpr bool P = true;
  InstallFlows(
      chara,
      {MakeFlow(0, {MakeCommand(CMD_JUMP, 0, P), MakeCommand(CMD_STAGE_CLEAR, 0, P, {1, 7}),
                    MakeCommand(CMD_FLOW_CONTROL, 0, P, {1, 0, 0}), MakeCommand(CMD_WAIT, 1, P)}),
       MakeFlow(9, {MakeCommand(CMD_WAIT, 1)})});
  chara.RaiseTrigger(0);
  EXPECT_EQ(chara.RunFlows(0), 0);
  EXPECT_EQ(chara.m_vRunners[1].m_bStarted, 1);
  EXPECT_EQ(fixture.Scene().m_nEndRequest, 1);
  EXPECT_EQ(fixture.Scene().m_nNextPart, 7);
  // 終了 of this flow found its runner: the walk ended before the wait.
  EXPECT_EQ(chara.m_vRunners[0].m_bRunning, 0);
  EXPECT_EQ(chara.m_vRunners[0].m_States[3].m_bDone, 0);
  EXPECT_EQ(FlowContext().m_lpCurChara, nullptr);
}

}  // namespace
