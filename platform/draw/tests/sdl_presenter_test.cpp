#include "platform/draw/present/sdl_presenter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "app/base/clock.h"

namespace {

struct cFrame {
  std::vector<uint32_t> pixels = std::vector<uint32_t>(4 * 4, 0xFF102030u);
  PRESENTFRAME Frame() const { return PRESENTFRAME{pixels.data(), 4, 4, 4}; }
};

}  // namespace

TEST(SdlPresenter, AVerticalSyncPresentWaitsUntilTheMainThreadTookTheFrame) {
  // No window: the main thread's side takes frames without showing them.
  cSdlPresenter presenter(nullptr);
  std::atomic<int> nSignals{0};
  presenter.SetFrameSignal([&] { ++nSignals; });
  cFrame frame;
  std::atomic<bool> bReturned{false};
  std::thread drawing([&] {
    presenter.Present(frame.Frame(), true);
    bReturned = true;
  });
  while (nSignals.load() == 0) SleepMs(1);
  // Still waiting for the main thread (up to its safety limit of 250 ms).
  EXPECT_FALSE(bReturned.load());
  presenter.ShowPendingFrame();
  drawing.join();
  EXPECT_TRUE(bReturned.load());

  // Without vertical sync the drawing thread never waits.
  presenter.Present(frame.Frame(), false);
  EXPECT_EQ(nSignals.load(), 2);
}

TEST(SdlPresenter, ReleaseEndsEveryWaitForGood) {
  cSdlPresenter presenter(nullptr);
  cFrame frame;
  std::atomic<bool> bReturned{false};
  std::thread drawing([&] {
    presenter.Present(frame.Frame(), true);
    bReturned = true;
  });
  presenter.Release();
  drawing.join();
  const uint32_t dwStart = GetTimeMs();
  presenter.Present(frame.Frame(), true);  // nobody shows it: returns at once
  EXPECT_LT(GetTimeMs() - dwStart, 200u);
  EXPECT_TRUE(bReturned.load());
}
