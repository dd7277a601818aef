#include <gtest/gtest.h>
#include <stdlib.h>

#include "tests/platform/desktop/gui/desktop_rig.h"

namespace vexa::test {
namespace {

// Only meaningful with a window manager on the display (the test command starts openbox for
// these); without one they are skipped.
class WindowManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Desktop::get().ready()) GTEST_SKIP() << "no display";
    if (getenv("VEXA_WINDOW_MANAGER") == nullptr) GTEST_SKIP() << "no window manager";
  }
};

TEST_F(WindowManagerTest, ActivationAndPlacementReachTheWindow) {
  Desktop& desktop = Desktop::get();
  TestWindow window(100, 600, 200, 100, WS_OVERLAPPEDWINDOW);
  ShowWindow(window.handle, SW_SHOW);
  ASSERT_TRUE(desktop.runUntil([&] {
    const Seen* a = window.log.last(WM_ACTIVATE);
    return a != nullptr && a->wParam == WA_ACTIVE;
  })) << "a window the manager maps is activated";

  WINDOWPLACEMENT placement;
  ASSERT_TRUE(GetWindowPlacement(window.handle, &placement));
  EXPECT_EQ(placement.showCmd, static_cast<UINT>(SW_SHOWNORMAL));
  ShowWindow(window.handle, SW_SHOWMAXIMIZED);
  ASSERT_TRUE(desktop.runUntil([&] {
    const Seen* s = window.log.last(WM_SIZE);
    return s != nullptr && s->wParam == SIZE_MAXIMIZED && LOWORD(s->lParam) > 600;
  })) << "the screen is 1280 wide";
  GetWindowPlacement(window.handle, &placement);
  EXPECT_EQ(placement.showCmd, static_cast<UINT>(SW_SHOWMAXIMIZED));

  ShowWindow(window.handle, SW_RESTORE);
  ASSERT_TRUE(desktop.runUntil([&] {
    const Seen* s = window.log.last(WM_SIZE);
    return s != nullptr && s->wParam == SIZE_RESTORED && LOWORD(s->lParam) == 200;
  }));

  TestWindow other(500, 600, 100, 50, WS_OVERLAPPEDWINDOW);
  ShowWindow(other.handle, SW_SHOW);
  ASSERT_TRUE(desktop.runUntil([&] {
    const Seen* a = window.log.last(WM_ACTIVATE);
    return a != nullptr && a->wParam == WA_INACTIVE;
  })) << "another window taking the focus deactivates the first";
}

}  // namespace
}  // namespace vexa::test
