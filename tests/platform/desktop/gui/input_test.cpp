#include <gtest/gtest.h>

#include "platform/desktop/input.h"
#include "tests/platform/desktop/gui/desktop_rig.h"

namespace vexa::test {
namespace {

// Windows are placed where nothing else is, and the pointer parked away from them first.
constexpr int kLeft = 300;
constexpr int kTop = 200;

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!desktop().ready()) GTEST_SKIP() << "no display";
    ASSERT_TRUE(movePointer(5, 5));
    window_ = std::make_unique<TestWindow>(kLeft, kTop, 120, 60);
    ShowWindow(window_->handle, SW_SHOW);
    ASSERT_TRUE(desktop().runUntil([&] { return log().count(WM_PAINT) > 0; }));
    desktop().drain();
    log().seen.clear();
  }
  void TearDown() override {
    ReleaseCapture();
    window_.reset();
    desktop().drain();
  }
  Desktop& desktop() { return Desktop::get(); }
  WindowLog& log() { return window_->log; }
  HWND handle() { return window_->handle; }
  bool waitFor(UINT message, size_t count = 1) {
    return desktop().runUntil([&] { return log().count(message) >= count; });
  }
  std::vector<Seen> only(std::initializer_list<UINT> wanted) {
    std::vector<Seen> out;
    for (const Seen& s : log().seen) {
      for (UINT w : wanted) {
        if (s.message == w) out.push_back(s);
      }
    }
    return out;
  }
  std::unique_ptr<TestWindow> window_;
};

TEST_F(InputTest, PointerMessagesCarryClientPositionAndButtonBits) {
  ASSERT_TRUE(movePointer(310, 220));
  ASSERT_TRUE(waitFor(WM_MOUSEMOVE));
  const Seen* move = log().last(WM_MOUSEMOVE);
  EXPECT_EQ(GET_X_LPARAM(move->lParam), 10);
  EXPECT_EQ(GET_Y_LPARAM(move->lParam), 20);
  POINT screen;
  GetCursorPos(&screen);
  EXPECT_TRUE(screen.x == 310 && screen.y == 220);

  ASSERT_TRUE(xdotool("click 1"));
  ASSERT_TRUE(waitFor(WM_LBUTTONUP));
  ASSERT_TRUE(xdotool("keydown shift click 3 keyup shift"));
  ASSERT_TRUE(waitFor(WM_RBUTTONUP));
  const std::vector<Seen> buttons =
      only({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP});
  struct ButtonCase {
    UINT message;
    WPARAM keys;
  };
  const ButtonCase expected[] = {{WM_LBUTTONDOWN, MK_LBUTTON},
                                 {WM_LBUTTONUP, 0},
                                 {WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT},
                                 {WM_RBUTTONUP, MK_SHIFT}};
  ASSERT_EQ(buttons.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(buttons[i].message, expected[i].message) << i;
    EXPECT_EQ(buttons[i].wParam, expected[i].keys) << i;
    EXPECT_EQ(GET_X_LPARAM(buttons[i].lParam), 10) << i;
  }
}

TEST_F(InputTest, LeaveComesOnceAndOnlyWhenTracked) {
  ASSERT_TRUE(movePointer(310, 220));
  ASSERT_TRUE(waitFor(WM_MOUSEMOVE));
  ASSERT_TRUE(movePointer(5, 5));
  ASSERT_TRUE(movePointer(311, 221));
  ASSERT_TRUE(waitFor(WM_MOUSEMOVE, 2));
  desktop().drain();
  EXPECT_EQ(log().count(WM_MOUSELEAVE), 0u) << "not tracked";

  TRACKMOUSEEVENT track;
  track.dwFlags = TME_LEAVE;
  track.hwndTrack = handle();
  ASSERT_TRUE(TrackMouseEvent(&track));
  ASSERT_TRUE(movePointer(5, 5));
  ASSERT_TRUE(waitFor(WM_MOUSELEAVE));
  ASSERT_TRUE(movePointer(312, 222));
  ASSERT_TRUE(movePointer(5, 5));
  ASSERT_TRUE(movePointer(313, 223));
  ASSERT_TRUE(waitFor(WM_MOUSEMOVE, 4));
  desktop().drain();
  EXPECT_EQ(log().count(WM_MOUSELEAVE), 1u) << "tracking ends with its leave";
}

TEST_F(InputTest, CaptureKeepsThePointerUntilReleased) {
  ASSERT_TRUE(movePointer(310, 220));
  ASSERT_TRUE(waitFor(WM_MOUSEMOVE));
  EXPECT_EQ(SetCapture(handle()), nullptr);
  EXPECT_EQ(GetCapture(), handle());
  ASSERT_TRUE(movePointer(250, 150));
  ASSERT_TRUE(desktop().runUntil([&] {
    const Seen* move = log().last(WM_MOUSEMOVE);
    return move != nullptr && GET_X_LPARAM(move->lParam) == -50;
  })) << "moves outside reach the holder, with negative coordinates";
  EXPECT_EQ(GET_Y_LPARAM(log().last(WM_MOUSEMOVE)->lParam), -50);
  ASSERT_TRUE(xdotool("click 1"));
  ASSERT_TRUE(waitFor(WM_LBUTTONUP)) << "so do clicks";

  EXPECT_TRUE(ReleaseCapture());
  EXPECT_EQ(log().count(WM_CAPTURECHANGED), 1u);
  EXPECT_EQ(GetCapture(), nullptr);
  const size_t moves = log().count(WM_MOUSEMOVE);
  ASSERT_TRUE(movePointer(240, 140));
  ASSERT_TRUE(movePointer(311, 221));
  ASSERT_TRUE(desktop().runUntil([&] {
    const Seen* move = log().last(WM_MOUSEMOVE);
    return move != nullptr && GET_X_LPARAM(move->lParam) == 11;
  }));
  EXPECT_EQ(log().count(WM_MOUSEMOVE), moves + 1) << "the move outside went elsewhere";
}

TEST_F(InputTest, CursorsAreTheFiveAndNothingElse) {
  const uintptr_t known[] = {IDC_ARROW, IDC_IBEAM, IDC_SIZEWE, IDC_SIZENS, IDC_HAND};
  for (uintptr_t id : known) EXPECT_NE(LoadCursorA(nullptr, id), nullptr) << id;
  EXPECT_EQ(LoadCursorA(nullptr, uintptr_t{32650}), nullptr) << "IDC_APPSTARTING";
  EXPECT_EQ(LoadCursorA(GetModuleHandleA(nullptr), IDC_ARROW), nullptr);
  ASSERT_TRUE(movePointer(310, 220));
  ASSERT_TRUE(waitFor(WM_MOUSEMOVE));
  const HCURSOR hand = LoadCursorA(nullptr, IDC_HAND);
  SetCursor(hand);
  EXPECT_EQ(SetCursor(LoadCursorA(nullptr, IDC_IBEAM)), hand);
  EXPECT_EQ(SetCursor(reinterpret_cast<HCURSOR>(uintptr_t{12345})), LoadCursorA(nullptr, IDC_IBEAM))
      << "an unknown cursor changes nothing";
  EXPECT_EQ(SetCursor(nullptr), LoadCursorA(nullptr, IDC_IBEAM));
}

}  // namespace
}  // namespace vexa::test
