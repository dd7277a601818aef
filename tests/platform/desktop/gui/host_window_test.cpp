#include <gtest/gtest.h>

#include "base/sjis.h"
#include "tests/platform/desktop/gui/desktop_rig.h"

namespace vexa::test {
namespace {

class HostWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!desktop().ready()) GTEST_SKIP() << "no display";
  }
  Desktop& desktop() { return Desktop::get(); }
};

void paintRedWithText(HWND window, HDC dc, WindowLog&) {
  RECT client;
  GetClientRect(window, &client);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(dc, &client, red);
  DeleteObject(red);
  LOGFONTA logical;
  logical.lfHeight = 24;
  logical.lfCharSet = SHIFTJIS_CHARSET;
  strcpy(logical.lfFaceName, "ＭＳ Ｐゴシック"_sjis);
  HFONT font = CreateFontIndirectA(&logical);
  HGDIOBJ old = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  const char* text = "スレ検索"_sjis;
  TextOutA(dc, 10, 10, text, static_cast<int>(strlen(text)));
  SelectObject(dc, old);
  DeleteObject(font);
}

TEST_F(HostWindowTest, LivesShowsPaintsAndDies) {
  auto window = std::make_unique<TestWindow>(100, 100, 200, 80);
  ASSERT_NE(window->handle, nullptr);
  window->log.paint = &paintRedWithText;
  EXPECT_EQ(window->log.seen.front().message, WM_CREATE);
  ShowWindow(window->handle, SW_SHOW);
  ASSERT_TRUE(desktop().runUntil([&] { return window->log.count(WM_PAINT) > 0; }));
  const Seen* size = window->log.last(WM_SIZE);
  ASSERT_NE(size, nullptr);
  EXPECT_EQ(LOWORD(size->lParam), 200);
  EXPECT_EQ(HIWORD(size->lParam), 80);

  // On screen: red around the text, dark ink where the text is.
  ASSERT_TRUE(
      desktop().runUntil([&] { return screenPixel(100 + 190, 100 + 70) == RGB(255, 0, 0); }));
  const int ink = countScreenPixels(
      110, 110, 100, 24, [](COLORREF c) { return GetRValue(c) < 96 && GetGValue(c) < 96; });
  EXPECT_GT(ink, 60) << "the text is drawn";

  // Posted messages of a destroyed window are dropped with it.
  const HWND handle = window->handle;
  PostMessageA(handle, WM_USER + 1, 0, 0);
  WindowLog& log = window->log;
  ASSERT_TRUE(DestroyWindow(handle));
  EXPECT_EQ(log.seen[log.seen.size() - 2].message, WM_DESTROY);
  EXPECT_EQ(log.seen.back().message, WM_NCDESTROY);
  EXPECT_FALSE(IsWindow(handle));
  const size_t before = log.seen.size();
  desktop().drain();
  EXPECT_EQ(log.seen.size(), before);
  EXPECT_FALSE(DestroyWindow(handle)) << "a stale handle is refused";
  EXPECT_EQ(GetDC(handle), nullptr);
}

}  // namespace
}  // namespace vexa::test

namespace vexa::test {
namespace {

// Procedures that destroy windows while being destroyed, as careless owners do.
HWND destroyAgain = nullptr;
LRESULT destroyingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY && destroyAgain != nullptr) {
    EXPECT_FALSE(DestroyWindow(destroyAgain)) << "already on its way";
  }
  return recordingProcedure(window, message, wParam, lParam);
}

TEST_F(HostWindowTest, DestroyingAgainFromInsideADestructionIsRefused) {
  WindowLog parentLog;
  WindowLog childLog;
  const HWND parent = CreateWindowExA(0, "vexa-test", "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                      nullptr, &parentLog);
  const HWND child = CreateWindowExA(0, "vexa-test", "", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20,
                                     parent, nullptr, nullptr, &childLog);
  ASSERT_TRUE(parent != nullptr && child != nullptr);
  SetWindowLongPtrA(parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&destroyingProcedure));
  SetWindowLongPtrA(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&destroyingProcedure));
  destroyAgain = parent;  // the parent's own WM_DESTROY and its child's both try
  EXPECT_TRUE(DestroyWindow(parent));
  destroyAgain = nullptr;
  EXPECT_FALSE(IsWindow(parent));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_EQ(childLog.count(WM_NCDESTROY), 1u);
  EXPECT_EQ(parentLog.numbers().back(), WM_NCDESTROY);
  EXPECT_EQ(parentLog.count(WM_DESTROY), 1u);
}

}  // namespace
}  // namespace vexa::test
