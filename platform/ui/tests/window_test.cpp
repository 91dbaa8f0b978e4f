#include "platform/ui/window.h"

#include <gtest/gtest.h>

namespace {

// Frame metrics of a typical desktop, so that the arithmetic shows.
class WindowTest : public testing::Test {
 protected:
  void SetUp() override {
    UiMetrics() = UIMETRICS{.nCaption = 23,
                            .nFrameX = 4,
                            .nFrameY = 4,
                            .nDlgFrameX = 3,
                            .nDlgFrameY = 3,
                            .nHScroll = 17,
                            .nVScroll = 17,
                            .nMenu = 20};
  }
  void TearDown() override { UiMetrics() = UIMETRICS{}; }
};

constexpr uint32_t kMainStyle =
    UISTYLE_POPUP | UISTYLE_CAPTION | UISTYLE_SYSMENU | UISTYLE_MINIMIZEBOX | UISTYLE_MAXIMIZEBOX;

}  // namespace

TEST_F(WindowTest, MainWindowFrameComesFromCaptionAndFixedFrame) {
  cWindow w;
  w.SetCreateParams(640, 480, 100, 100, 640, 480, kMainStyle, 0, 0, 0, 0, 0);
  EXPECT_EQ(w.m_nWindowW, 640 + 2 * 3);
  EXPECT_EQ(w.m_nWindowH, 480 + 23 + 2 * 3);
  EXPECT_EQ(w.m_nClientW, 640);
  EXPECT_EQ(w.m_nClientH, 480);
  UIMINMAX info;
  w.GetFrameRect(info);
  EXPECT_EQ(info.ptMinTrackSize.x, 100 + 6);
  EXPECT_EQ(info.ptMinTrackSize.y, 100 + 29);
  EXPECT_EQ(info.ptMaxTrackSize.x, 646);
  // A resizable frame replaces the fixed one.
  w.AddStyle(UISTYLE_THICKFRAME);
  EXPECT_EQ(w.m_nWindowW, 640 + 8);
  EXPECT_EQ(w.m_nWindowH, 480 + 23 + 8);
}

TEST_F(WindowTest, ToolbarAndStatusBarLieInsideTheClientArea) {
  cWindow w;
  w.SetCreateParams(300, 200, 0, 0, 0, 0, UISTYLE_CAPTION, 0, 1, 1, 0, 3);
  EXPECT_EQ(w.m_nOriginY, 28);
  // The client area grew by both bars and the scroll bars.
  EXPECT_EQ(w.m_rcClient.right, 300 + 17);
  EXPECT_EQ(w.m_rcClient.bottom, 200 + 17 + 20 + 28);
  EXPECT_EQ(w.m_nClientW, 300);
  EXPECT_EQ(w.m_nClientH, 200);
}

TEST_F(WindowTest, PlaceWindowUsesTheStoredPositionClampedToTheWorkArea) {
  cWindow w;
  w.SetCreateParams(200, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  w.Move(5, 6);
  w.m_nInitX = -1000;
  w.m_nInitY = 50;
  w.PlaceWindow();  // no stored position: stays
  EXPECT_EQ(w.m_nX, 5);
  w.m_nInitX = -20;
  w.PlaceWindow();
  EXPECT_EQ(w.m_nX, 0);
  EXPECT_EQ(w.m_nY, 50);
  const UIRECT rcWork = GetWorkArea();
  w.m_nInitX = rcWork.right + 500;
  w.PlaceWindow();
  EXPECT_EQ(w.m_nX, rcWork.right - 200);
}

TEST_F(WindowTest, ACommandSentWhileOneIsHandledIsIgnored) {
  class cCounting : public cWindow {
   public:
    void OnCommand(intptr_t w, intptr_t) override {
      ++m_nCommands;
      if (w == 1) {
        EXPECT_EQ(HandleMessage(UIMSG_COMMAND, 2, 0), 0);
      }
    }
    int m_nCommands = 0;
  };
  cCounting w;
  EXPECT_EQ(w.HandleMessage(UIMSG_COMMAND, 1, 0), 1);
  EXPECT_EQ(w.m_nCommands, 1);
  EXPECT_EQ(w.HandleMessage(UIMSG_COMMAND, 3, 0), 1);
  EXPECT_EQ(w.m_nCommands, 2);
  EXPECT_EQ(GetMessageName(0x0401), "1025");
  EXPECT_EQ(GetMessageName(UIMSG_CLOSE), "UIMSG_CLOSE");
}
