#include <gtest/gtest.h>

#include <functional>

#include "platform/desktop/input.h"
#include "tests/platform/desktop/gui/desktop_rig.h"

namespace vexa::test {
namespace {

class WindowGeometryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!desktop().ready()) GTEST_SKIP() << "no display";
    top_ = std::make_unique<TestWindow>(700, 500, 200, 100);
    ShowWindow(top_->handle, SW_SHOW);
    ASSERT_TRUE(desktop().runUntil([&] { return top_->log.count(WM_PAINT) > 0; }));
  }
  void TearDown() override {
    top_.reset();
    desktop().drain();
  }
  Desktop& desktop() { return Desktop::get(); }
  HWND child(WindowLog& log, int x, int y, int width, int height) {
    return CreateWindowExA(0, "vexa-test", nullptr, WS_CHILD | WS_VISIBLE, x, y, width, height,
                           top_->handle, reinterpret_cast<HMENU>(uintptr_t{7}), nullptr, &log);
  }
  std::unique_ptr<TestWindow> top_;
};

TEST_F(WindowGeometryTest, AChildIsSizedAtOnceAndOddSizesAreHarmless) {
  WindowLog log;
  const HWND inner = child(log, 5, 6, 50, 30);
  ASSERT_NE(inner, nullptr);
  struct SizeCase {
    int width;
    int height;
    int givenWidth;
    int givenHeight;
    bool sent;  // WM_SIZE, only when the size changed
  };
  const SizeCase cases[] = {{40, 20, 40, 20, true}, {0, 0, 0, 0, true},    {-5, -9, 0, 0, false},
                            {0, 25, 0, 25, true},   {-1, 10, 0, 10, true}, {60, 35, 60, 35, true}};
  for (const SizeCase& c : cases) {
    log.seen.clear();
    EXPECT_TRUE(MoveWindow(inner, 5, 6, c.width, c.height, 1));
    RECT client;
    GetClientRect(inner, &client);
    EXPECT_TRUE(client.right == c.givenWidth && client.bottom == c.givenHeight) << c.width;
    const Seen* size = log.last(WM_SIZE);
    EXPECT_EQ(size != nullptr, c.sent) << c.width << "x" << c.height;
    if (size != nullptr) {
      EXPECT_EQ(LOWORD(size->lParam), c.givenWidth);
      EXPECT_EQ(HIWORD(size->lParam), c.givenHeight);
    }
    // Drawing on an empty window does nothing and nothing breaks.
    HDC dc = GetDC(inner);
    RECT big{-100, -100, 1000, 1000};
    HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
    EXPECT_TRUE(FillRect(dc, &big, brush));
    DeleteObject(brush);
    ReleaseDC(inner, dc);
    desktop().drain();
  }
  // The child's picture stays inside it: the parent's pixels beside it are untouched.
  ASSERT_TRUE(
      desktop().runUntil([] { return screenPixel(700 + 5 + 30, 500 + 6 + 20) == RGB(0, 0, 255); }));
  EXPECT_EQ(screenPixel(700 + 5 + 60, 500 + 6 + 20), RGB(255, 255, 255));
  EXPECT_EQ(screenPixel(700 + 5 + 30, 500 + 6 + 35), RGB(255, 255, 255));
  POINT origin{0, 0};
  ClientToScreen(inner, &origin);
  EXPECT_TRUE(origin.x == 705 && origin.y == 506);
  DestroyWindow(inner);
}

TEST_F(WindowGeometryTest, ATopLevelWindowSizedToNothingKeepsAPixel) {
  const auto sizedTo = [&](int width, int height) {
    return desktop().runUntil([&] {
      const Seen* s = top_->log.last(WM_SIZE);
      return s != nullptr && LOWORD(s->lParam) == width && HIWORD(s->lParam) == height;
    });
  };
  const size_t paints = top_->log.count(WM_PAINT);
  MoveWindow(top_->handle, 700, 500, 0, 0, 1);
  ASSERT_TRUE(sizedTo(1, 1));
  MoveWindow(top_->handle, 700, 500, 150, 70, 1);
  ASSERT_TRUE(sizedTo(150, 70));
  MoveWindow(top_->handle, 700, 500, -40, -3, 1);
  ASSERT_TRUE(sizedTo(1, 1));
  MoveWindow(top_->handle, 700, 500, 150, 70, 1);
  ASSERT_TRUE(sizedTo(150, 70));
  ASSERT_TRUE(desktop().runUntil([&] { return top_->log.count(WM_PAINT) >= paints + 4; }))
      << "every new size is painted";
}

int paintsLeftToRequest = 0;
void paintAndAskAgain(HWND window, HDC dc, WindowLog&) {
  RECT r{0, 0, 10, 10};
  HBRUSH brush = CreateSolidBrush(RGB(0, 128, 0));
  FillRect(dc, &r, brush);
  DeleteObject(brush);
  if (paintsLeftToRequest-- > 0) {
    InvalidateRect(window, nullptr, 0);
    UpdateWindow(window);  // a paint request inside a paint: later, not now
  }
}

TEST_F(WindowGeometryTest, PaintRequestsCoalesceAndAPaintDuringAPaintComesLater) {
  desktop().drain();
  top_->log.seen.clear();
  for (int i = 0; i < 5; ++i) InvalidateRect(top_->handle, nullptr, 0);
  RECT part{10, 10, 20, 20};
  InvalidateRect(top_->handle, &part, 0);
  PumpWindowSystem();
  EXPECT_EQ(top_->log.count(WM_PAINT), 1u) << "six requests, one paint";
  PumpWindowSystem();
  EXPECT_EQ(top_->log.count(WM_PAINT), 1u);

  top_->log.paint = &paintAndAskAgain;
  paintsLeftToRequest = 2;
  InvalidateRect(top_->handle, nullptr, 0);
  PumpWindowSystem();
  EXPECT_EQ(top_->log.count(WM_PAINT), 2u) << "one paint a turn, however it asks";
  ASSERT_TRUE(desktop().runUntil([&] { return top_->log.count(WM_PAINT) >= 4; }));
  PumpWindowSystem();
  PumpWindowSystem();
  EXPECT_EQ(top_->log.count(WM_PAINT), 4u) << "and it ends when it stops asking";
  ASSERT_TRUE(desktop().runUntil([] { return screenPixel(705, 505) == RGB(0, 128, 0); }));

  ShowWindow(top_->handle, SW_HIDE);
  EXPECT_FALSE(IsWindowVisible(top_->handle));
  InvalidateRect(top_->handle, nullptr, 0);
  PumpWindowSystem();
  EXPECT_EQ(top_->log.count(WM_PAINT), 4u) << "a hidden window is not painted";
  ShowWindow(top_->handle, SW_SHOW);
  PumpWindowSystem();
  EXPECT_EQ(top_->log.count(WM_PAINT), 5u) << "until it is shown";
}

TEST_F(WindowGeometryTest, DrawingOutsideAPaintReachesTheScreen) {
  HDC dc = GetDC(top_->handle);
  HBRUSH brush = CreateSolidBrush(RGB(200, 100, 0));
  RECT r{50, 20, 80, 40};
  FillRect(dc, &r, brush);
  DeleteObject(brush);
  ReleaseDC(top_->handle, dc);
  ASSERT_TRUE(desktop().runUntil([] { return screenPixel(760, 530) == RGB(200, 100, 0); }));
  EXPECT_EQ(screenPixel(740, 530), RGB(255, 255, 255));
}

TEST_F(WindowGeometryTest, CloseRequestsAndDeadHandles) {
  top_->log.vetoClose = true;
  PostMessageA(top_->handle, WM_CLOSE, 0, 0);
  ASSERT_TRUE(desktop().runUntil([&] { return top_->log.count(WM_CLOSE) == 1; }));
  EXPECT_TRUE(IsWindow(top_->handle)) << "vetoed";
  top_->log.vetoClose = false;
  PostMessageA(top_->handle, WM_CLOSE, 0, 0);
  const HWND handle = top_->handle;
  ASSERT_TRUE(desktop().runUntil([&] { return !IsWindow(handle); })) << "the default closes";

  // Whatever a dead handle is passed to fails quietly.
  RECT rect;
  POINT point;
  WINDOWPLACEMENT placement;
  char text[8];
  const std::function<bool()> calls[] = {
      [&] { return ShowWindow(handle, SW_SHOW) == 0; },
      [&] { return MoveWindow(handle, 0, 0, 10, 10, 1) == 0; },
      [&] { return GetClientRect(handle, &rect) == 0; },
      [&] { return GetWindowRect(handle, &rect) == 0; },
      [&] { return ClientToScreen(handle, &point) == 0; },
      [&] { return GetWindowPlacement(handle, &placement) == 0; },
      [&] { return InvalidateRect(handle, nullptr, 0) == 0; },
      [&] { return SendMessageA(handle, WM_USER, 0, 0) == 0; },
      [&] { return PostMessageA(handle, WM_USER, 0, 0) == 0; },
      [&] { return GetWindowTextA(handle, text, sizeof text) == 0; },
      [&] { return SetWindowLongPtrA(handle, GWLP_USERDATA, 5) == 0; },
      [&] { return GetDC(handle) == nullptr; },
      [&] { return SetCapture(handle) == nullptr && GetCapture() == nullptr; },
      [&] {
        return CreateWindowExA(0, "vexa-test", "", WS_CHILD, 0, 0, 5, 5, handle, nullptr, nullptr,
                               nullptr) == nullptr;
      },
      [&] {
        return CreateWindowExA(0, "no-such-class", "", 0, 0, 0, 5, 5, nullptr, nullptr, nullptr,
                               nullptr) == nullptr;
      },
  };
  int i = 0;
  for (const auto& call : calls) EXPECT_TRUE(call()) << "call " << i++;
}

}  // namespace
}  // namespace vexa::test
