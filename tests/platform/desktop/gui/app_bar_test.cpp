#include "platform/desktop/app_bar.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>

#include "tests/platform/desktop/gui/shell_rig.h"

namespace vexa::test {
namespace {

constexpr LONG kWidth = 300;

// Docking needs a window manager that honours struts: the managed run starts openbox.
class WindowManagerAppBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Desktop::get().ready()) GTEST_SKIP() << "no display";
    if (getenv("VEXA_WINDOW_MANAGER") == nullptr) GTEST_SKIP() << "no window manager";
    screen_ = SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  Desktop& desktop() { return Desktop::get(); }

  APPBARDATA record(HWND window, UINT edge) {
    APPBARDATA data;
    data.cbSize = APPBARDATA_V1_SIZE;
    data.hWnd = window;
    data.uCallbackMessage = 1124;
    data.uEdge = edge;
    return data;
  }
  // Docks as the program does: the whole screen, the width on the edge, asked, set, moved to.
  RECT dock(APPBARDATA& data, LONG width) {
    data.rc = RECT{0, 0, screen_.cx, screen_.cy};
    const auto applyWidth = [&] {
      if (data.uEdge == ABE_LEFT) data.rc.right = data.rc.left + width;
      if (data.uEdge == ABE_RIGHT) data.rc.left = data.rc.right - width;
    };
    applyWidth();
    EXPECT_TRUE(SHAppBarMessage(ABM_QUERYPOS, &data));
    applyWidth();
    EXPECT_TRUE(SHAppBarMessage(ABM_SETPOS, &data));
    MoveWindow(data.hWnd, data.rc.left, data.rc.top, data.rc.right - data.rc.left,
               data.rc.bottom - data.rc.top, 1);
    return data.rc;
  }
  // Runs the loop until the work area is (x, y, width, height).
  bool workAreaBecomes(long x, long y, long width, long height) {
    return desktop().runUntil([&] {
      const std::vector<long> area = rootProperty("_NET_WORKAREA");
      return area.size() >= 4 && area[0] == x && area[1] == y && area[2] == width &&
             area[3] == height;
    });
  }
  std::string workArea() {
    std::string out;
    for (long v : rootProperty("_NET_WORKAREA")) out += std::to_string(v) + " ";
    return out;
  }
  SIZE screen_;
};

TEST_F(WindowManagerAppBarTest, BarReservesItsStripOnEitherEdgeAndGivesItBack) {
  TestWindow bar(0, 0, kWidth, 600, WS_POPUP);
  APPBARDATA data = record(bar.handle, ABE_LEFT);
  EXPECT_FALSE(SHAppBarMessage(ABM_SETPOS, &data)) << "not a bar yet";
  ASSERT_TRUE(SHAppBarMessage(ABM_NEW, &data));
  EXPECT_FALSE(SHAppBarMessage(ABM_NEW, &data)) << "a bar already";
  const RECT left = dock(data, kWidth);
  EXPECT_EQ(left.left, 0);
  EXPECT_EQ(left.right, kWidth);
  ShowWindow(bar.handle, SW_SHOW);
  ASSERT_TRUE(workAreaBecomes(kWidth, 0, screen_.cx - kWidth, screen_.cy)) << workArea();

  const Window x = xWindowOf(bar.handle);
  const std::vector<long> type = xProperty(x, "_NET_WM_WINDOW_TYPE", XA_ATOM);
  ASSERT_EQ(type.size(), 1u);
  EXPECT_EQ(static_cast<Atom>(type[0]), xAtom("_NET_WM_WINDOW_TYPE_DOCK"));
  ASSERT_TRUE(desktop().runUntil([&] {
    const std::vector<long> desktopNumber = xProperty(x, "_NET_WM_DESKTOP");
    return desktopNumber.size() == 1 && static_cast<uint32_t>(desktopNumber[0]) == 0xFFFFFFFF;
  })) << "on every desktop";
  RECT placed;
  ASSERT_TRUE(desktop().runUntil([&] {
    GetWindowRect(bar.handle, &placed);
    return placed.left == 0 && placed.top == 0 && placed.bottom == screen_.cy;
  })) << placed.left
      << "," << placed.top << " " << placed.right << "," << placed.bottom;

  // The other edge, with the same width.
  data.uEdge = ABE_RIGHT;
  const RECT right = dock(data, kWidth);
  EXPECT_EQ(right.left, screen_.cx - kWidth);
  ASSERT_TRUE(workAreaBecomes(0, 0, screen_.cx - kWidth, screen_.cy)) << workArea();
  const std::vector<long> strut = xProperty(x, "_NET_WM_STRUT_PARTIAL");
  ASSERT_EQ(strut.size(), 12u);
  EXPECT_EQ(strut[0], 0);
  EXPECT_EQ(strut[1], kWidth);
  EXPECT_EQ(strut[6], 0);
  EXPECT_EQ(strut[7], screen_.cy - 1);
  ASSERT_TRUE(desktop().runUntil([&] {
    GetWindowRect(bar.handle, &placed);
    return placed.left == screen_.cx - kWidth && placed.right == screen_.cx;
  })) << "a dock window is placed exactly: "
      << placed.left << " " << placed.right;

  ASSERT_TRUE(SHAppBarMessage(ABM_REMOVE, &data));
  EXPECT_FALSE(SHAppBarMessage(ABM_REMOVE, &data));
  ASSERT_TRUE(workAreaBecomes(0, 0, screen_.cx, screen_.cy)) << workArea();
  EXPECT_TRUE(xProperty(x, "_NET_WM_STRUT_PARTIAL").empty());
  EXPECT_TRUE(xProperty(x, "_NET_WM_STRUT").empty());
}

TEST_F(WindowManagerAppBarTest, SecondBarKeepsClearAndDestroyingTheFirstFreesItsStrip) {
  auto first = std::make_unique<TestWindow>(0, 0, kWidth, 600, WS_POPUP);
  // Made a bar while mapped: it is mapped again as a dock.
  ShowWindow(first->handle, SW_SHOW);
  ASSERT_TRUE(desktop().runUntil([&] { return first->log.count(WM_PAINT) > 0; }));
  APPBARDATA one = record(first->handle, ABE_LEFT);
  ASSERT_TRUE(SHAppBarMessage(ABM_NEW, &one));
  dock(one, kWidth);
  ASSERT_TRUE(workAreaBecomes(kWidth, 0, screen_.cx - kWidth, screen_.cy)) << workArea();
  const std::vector<long> type =
      xProperty(xWindowOf(first->handle), "_NET_WM_WINDOW_TYPE", XA_ATOM);
  ASSERT_EQ(type.size(), 1u);
  EXPECT_EQ(static_cast<Atom>(type[0]), xAtom("_NET_WM_WINDOW_TYPE_DOCK"));

  TestWindow second(0, 0, 100, 600, WS_POPUP);
  APPBARDATA two = record(second.handle, ABE_LEFT);
  ASSERT_TRUE(SHAppBarMessage(ABM_NEW, &two));
  const RECT beside = dock(two, 100);
  EXPECT_EQ(beside.left, kWidth) << "clear of the first bar";
  EXPECT_EQ(beside.right, kWidth + 100);
  ShowWindow(second.handle, SW_SHOW);
  ASSERT_TRUE(workAreaBecomes(kWidth + 100, 0, screen_.cx - kWidth - 100, screen_.cy))
      << workArea();

  // Gone without ABM_REMOVE: its X window takes the strut with it.
  DestroyWindow(first->handle);
  desktop().drain();
  APPBARDATA again = two;
  EXPECT_TRUE(SHAppBarMessage(ABM_QUERYPOS, &again));
  EXPECT_EQ(again.rc.left, kWidth) << "the second bar's own strut is not in its way";
  SHAppBarMessage(ABM_REMOVE, &two);
  ASSERT_TRUE(workAreaBecomes(0, 0, screen_.cx, screen_.cy)) << workArea();
  EXPECT_FALSE(SHAppBarMessage(ABM_QUERYPOS, &one)) << "a destroyed bar";
}

TEST_F(WindowManagerAppBarTest, RefusesWhatIsNoTopLevelWindowOrRecord) {
  TestWindow parent(0, 0, 100, 100, WS_POPUP);
  HWND child = CreateWindowExA(0, "vexa-test", "", WS_CHILD, 0, 0, 10, 10, parent.handle, nullptr,
                               nullptr, nullptr);
  struct Case {
    const char* name;
    HWND window;
    DWORD size;
    DWORD message;
  };
  const Case cases[] = {
      {"a child window", child, APPBARDATA_V1_SIZE, ABM_NEW},
      {"no window", nullptr, APPBARDATA_V1_SIZE, ABM_NEW},
      {"a stale handle", reinterpret_cast<HWND>(uintptr_t{0x7777770}), APPBARDATA_V1_SIZE, ABM_NEW},
      {"a zero size", parent.handle, 0, ABM_NEW},
      {"an unknown message", parent.handle, APPBARDATA_V1_SIZE, 99},
  };
  for (const Case& c : cases) {
    APPBARDATA data = record(c.window, ABE_LEFT);
    data.cbSize = c.size;
    EXPECT_FALSE(SHAppBarMessage(c.message, &data)) << c.name;
  }
  APPBARDATA data = record(parent.handle, 7);
  ASSERT_TRUE(SHAppBarMessage(ABM_NEW, &data));
  EXPECT_FALSE(SHAppBarMessage(ABM_SETPOS, &data)) << "no such edge";
  EXPECT_FALSE(SHAppBarMessage(ABM_NEW, nullptr));
  EXPECT_TRUE(SHAppBarMessage(ABM_REMOVE, &data));
}

}  // namespace
}  // namespace vexa::test
