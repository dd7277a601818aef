#include <gtest/gtest.h>

#include "platform/desktop/native_window.h"
#include "tests/platform/desktop/gui/desktop_rig.h"

namespace vexa::test {
namespace {

// A child with an X window of its own, as a media player's pane has, must still show what its
// WM_PAINT handler draws, wherever and whenever it is shown.
class NativeWindowTest : public ::testing::Test {
 protected:
  static constexpr int kLeft = 400;
  static constexpr int kTop = 300;
  static constexpr int kWidth = 160;
  static constexpr int kHeight = 120;

  void SetUp() override {
    if (!desktop().ready()) GTEST_SKIP() << "no display";
    top_ = std::make_unique<TestWindow>(kLeft, kTop, 300, 200);
    ShowWindow(top_->handle, SW_SHOW);
    ASSERT_TRUE(desktop().runUntil([&] { return top_->log.count(WM_PAINT) > 0; }));
  }
  void TearDown() override {
    top_.reset();
    desktop().drain();
  }
  Desktop& desktop() { return Desktop::get(); }

  // A visible child painted in the colour `colour` points at, with a black mark in its corner
  // so that a plain fill of the right colour is not taken for its paint.
  HWND child(WindowLog& log, COLORREF* colour, int x, int y, int width, int height) {
    log.extra = colour;
    log.paint = [](HWND window, HDC dc, WindowLog& log) {
      RECT client;
      GetClientRect(window, &client);
      HBRUSH brush = CreateSolidBrush(*static_cast<COLORREF*>(log.extra));
      FillRect(dc, &client, brush);
      DeleteObject(brush);
      RECT mark{0, 0, 8, 8};
      HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
      FillRect(dc, &mark, black);
      DeleteObject(black);
    };
    return CreateWindowExA(0, "vexa-test", nullptr, WS_CHILD | WS_VISIBLE, x, y, width, height,
                           top_->handle, nullptr, nullptr, &log);
  }
  // True once the screen shows `colour` at the client point (x, y) of the top window.
  bool shows(int x, int y, COLORREF colour) {
    return desktop().runUntil([&] { return screenPixel(kLeft + x, kTop + y) == colour; });
  }
  // A player's pane: made with no size, given its X window, then placed. It is larger than
  // the X window it starts with, so it has to grow.
  HWND pane(int x, int y) {
    const HWND window = child(paneLog_, &paneColour_, 0, 0, 0, 0);
    if (window == nullptr || NativeWindowId(window) == 0) return nullptr;
    MoveWindow(window, x, y, kWidth, kHeight, 1);
    return window;
  }
  // Declared before top_, so they outlive the windows that point at them.
  WindowLog paneLog_;
  WindowLog otherLog_;
  COLORREF paneColour_ = RGB(0, 200, 0);
  COLORREF otherColour_ = RGB(0, 0, 220);
  std::unique_ptr<TestWindow> top_;
};

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kGreen = RGB(0, 200, 0);
constexpr COLORREF kBlue = RGB(0, 0, 220);
constexpr COLORREF kYellow = RGB(230, 230, 0);

TEST_F(NativeWindowTest, ShowsItsPictureAtCreationAfterMovesAndAfterInvalidation) {
  const HWND pane = this->pane(10, 10);
  ASSERT_NE(pane, nullptr);
  EXPECT_TRUE(shows(160, 120, kGreen)) << "painted colour at creation";
  EXPECT_TRUE(shows(12, 12, RGB(0, 0, 0))) << "the mark of the paint";

  MoveWindow(pane, 130, 70, kWidth, kHeight, 1);
  EXPECT_TRUE(shows(280, 180, kGreen)) << "at its new place";
  EXPECT_TRUE(shows(132, 72, RGB(0, 0, 0)));
  EXPECT_TRUE(shows(40, 40, kWhite)) << "the parent shows again where it was";

  paneColour_ = kYellow;
  InvalidateRect(pane, nullptr, 0);
  EXPECT_TRUE(shows(280, 180, kYellow)) << "a new paint reaches the screen";
}

TEST_F(NativeWindowTest, ShownAgainElsewhereItDoesNotKeepWhatWasThere) {
  const HWND other = child(otherLog_, &otherColour_, 130, 70, kWidth, kHeight);
  const HWND pane = this->pane(10, 10);
  ASSERT_TRUE(other != nullptr && pane != nullptr);
  ASSERT_TRUE(shows(280, 180, kBlue));
  ASSERT_TRUE(shows(40, 40, kGreen));

  // Hidden by either means, then shown where the other window was.
  struct HideCase {
    const char* name;
    bool byShowWindow;
  };
  const HideCase cases[] = {{"SW_HIDE", true}, {"empty size", false}};
  for (const HideCase& c : cases) {
    SCOPED_TRACE(c.name);
    MoveWindow(pane, 10, 10, kWidth, kHeight, 1);
    ShowWindow(other, SW_SHOW);
    ASSERT_TRUE(shows(280, 180, kBlue));
    if (c.byShowWindow) {
      ShowWindow(pane, SW_HIDE);
    } else {
      MoveWindow(pane, 10, 10, 0, 0, 1);
    }
    EXPECT_TRUE(shows(40, 40, kWhite)) << "hidden";
    ShowWindow(other, SW_HIDE);
    MoveWindow(pane, 130, 70, kWidth, kHeight, 1);
    ShowWindow(pane, SW_SHOW);
    EXPECT_TRUE(shows(280, 180, kGreen)) << "not the stale blue";
    EXPECT_TRUE(shows(132, 72, RGB(0, 0, 0)));
    EXPECT_TRUE(shows(40, 40, kWhite));
  }
}

}  // namespace
}  // namespace vexa::test
