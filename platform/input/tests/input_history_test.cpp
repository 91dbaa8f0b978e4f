// Histories, event lists, the menu key repeat and the button latch.

#include <climits>
#include <vector>

#include "platform/input/tests/input_test_util.h"

namespace {

// Runs frames of one value through RecordHistory and UpdateKeyEvents.
void Feed(cInputState& s, uint16_t wDir, uint16_t wButtons, int nFrames) {
  for (int i = 0; i < nFrames; ++i) {
    s.m_wDir = wDir;
    s.m_wButtons = wButtons;
    s.RecordHistory();
    s.UpdateKeyEvents();
  }
}

}  // namespace

using InputHistory = InputTest;

TEST_F(InputHistory, ValueFramesAgo) {
  cInputState s;
  Feed(s, 1, 0, 10);
  Feed(s, 0, 0, 3);
  struct Case {
    int n;
    uint16_t value;
  } cases[] = {{0, 0}, {2, 0}, {3, 1}, {12, 1}, {-5, 0}, {INT_MAX, 0}};
  for (const auto& c : cases) EXPECT_EQ(s.GetHistoryValue(0, c.n), c.value) << c.n;
  EXPECT_EQ(s.GetHistoryValue(1, 0), 0);
  EXPECT_EQ(s.GetHistoryValue(7, 0), 0);  // no such channel
}

TEST_F(InputHistory, RingKeepsTheLast32Runs) {
  cInputState s;
  for (int i = 0; i < 40; ++i) Feed(s, 0, uint16_t(1 + i % 2), 1);  // 40 one-frame runs
  EXPECT_EQ(s.m_nHistoryHead[1], 40 % 32);
  EXPECT_EQ(s.GetHistoryValue(1, 0), 2);
  EXPECT_EQ(s.GetHistoryValue(1, 1), 1);
  EXPECT_EQ(s.GetHistoryValue(1, 31), 1);
  // Further back than 32 runs the search stops after 32 steps.
  EXPECT_EQ(s.GetHistoryValue(1, 1000), s.GetHistoryValue(1, 32));

  // The frame count of a run saturates instead of wrapping.
  s.m_History[0][s.m_nHistoryHead[0]].nFrames = INT_MAX;
  Feed(s, 0, 0, 1);
  EXPECT_EQ(s.m_History[0][s.m_nHistoryHead[0]].nFrames, INT_MAX);

  s.ClearHistory();
  EXPECT_EQ(s.m_nHistoryHead[0], 0);
  EXPECT_EQ(s.GetHistoryValue(1, 0), 0);
}

TEST_F(InputHistory, EventListsFollowTheirConditions) {
  cInputState s;
  Feed(s, 1, 0, 4);  // left held
  Feed(s, 0, 0, 2);  // released
  const auto& left = s.m_DirEvents[1];
  ASSERT_EQ(left.size(), size_t(kKeyEvents));
  EXPECT_EQ(left[0].nState, 0);
  EXPECT_EQ(left[0].nFrames, 2);
  EXPECT_EQ(left[1].nState, 1);
  EXPECT_EQ(left[1].nFrames, 4);
  EXPECT_EQ(left[2].nFrames, 0);  // the initial entry

  // Neutral list: did not hold for 4 frames, then holds for 2.
  EXPECT_EQ(s.m_DirEvents[0][0].nState, 1);
  EXPECT_EQ(s.m_DirEvents[0][0].nFrames, 2);
  EXPECT_EQ(s.m_DirEvents[0][1].nState, 0);

  // Up-left (5) is exact; list 9 is any direction; button lists test bits.
  Feed(s, 5, 0x81, 3);
  EXPECT_EQ(s.m_DirEvents[5][0].nState, 1);
  EXPECT_EQ(s.m_DirEvents[1][0].nState, 0);  // left alone is not up-left
  EXPECT_EQ(s.m_DirEvents[9][0].nState, 1);
  EXPECT_EQ(s.m_DirEvents[9][0].nFrames, 3);
  EXPECT_EQ(s.m_DirEvents[9][1].nFrames, 2);
  EXPECT_EQ(s.m_ButtonEvents[0][0].nState, 0);
  EXPECT_EQ(s.m_ButtonEvents[1][0].nState, 1);
  EXPECT_EQ(s.m_ButtonEvents[8][0].nState, 1);
  EXPECT_EQ(s.m_ButtonEvents[2][0].nState, 0);

  // Alternating every frame: the lists stay 32 long, newest first.
  for (int i = 0; i < 50; ++i) Feed(s, uint16_t(i % 2 ? 2 : 0), 0, 1);
  EXPECT_EQ(s.m_DirEvents[2].size(), size_t(kKeyEvents));
  EXPECT_EQ(s.m_DirEvents[2][0].nState, 1);
  EXPECT_EQ(s.m_DirEvents[2][31].nFrames, 1);

  s.ClearKeyEvents();
  for (const auto& list : s.m_DirEvents)
    for (const KEYEVENT& e : list) EXPECT_TRUE(e.nState == 0 && e.nFrames == 0);
}

TEST_F(InputHistory, RepeatPassesOnChangeThenAfterDelayAtInterval) {
  cInputState s;
  s.SetRepeat(18, 6);
  std::vector<int> passedH, passedV;
  for (int frame = 0; frame < 40; ++frame) {
    s.m_wDir = kDirLeft;
    if (frame >= 10) s.m_wDir |= kDirUp;  // up joins later: left keeps its count
    s.ApplyRepeat();
    if (s.m_wDir & kDirLeft) passedH.push_back(frame);
    if (s.m_wDir & kDirUp) passedV.push_back(frame);
  }
  EXPECT_EQ(passedH, (std::vector<int>{0, 18, 24, 30, 36}));
  EXPECT_EQ(passedV, (std::vector<int>{10, 28, 34}));

  // Switching to right restarts the horizontal count.
  s.m_wDir = kDirRight;
  s.ApplyRepeat();
  EXPECT_EQ(s.m_wDir, kDirRight);
  EXPECT_EQ(s.m_nRepeatCountH, 0);
  EXPECT_EQ(s.m_wDirShift & 0xF, kDirRight);

  // An interval of 0 is taken as 1 rather than dividing by zero.
  s.SetRepeat(2, 0);
  EXPECT_EQ(s.m_nRepeatInterval, 1u);
}

TEST_F(InputHistory, LatchMakesTheMaskedGroupOneShot) {
  cInputState s;
  std::vector<uint16_t> seen;
  const uint16_t frames[] = {1, 1, 1, 1, 1, 3, 3, 2, 0, 2, 2};
  for (uint16_t w : frames) {
    s.m_wButtons = w;
    s.LatchButtons(3);
    seen.push_back(s.m_wButtons);
  }
  // Button 0 passes once; button 1 pressed while 0 is held reads released and
  // stays latched; both released unlatches, and the next press passes.
  EXPECT_EQ(seen, (std::vector<uint16_t>{1, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0}));

  // Buttons outside the mask are untouched; mask 0 covers all eight.
  cInputState t;
  t.m_wButtons = 0x10;
  t.LatchButtons(3);
  t.LatchButtons(3);
  EXPECT_EQ(t.m_wButtons, 0x10);
  EXPECT_EQ(t.m_bLatch, 0);
  t.LatchButtons(0);
  t.LatchButtons(0);
  EXPECT_EQ(t.m_wButtons, 0);
}
