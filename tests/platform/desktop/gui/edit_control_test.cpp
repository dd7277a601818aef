#include <gtest/gtest.h>

#include <cstring>

#include "base/sjis.h"
#include "platform/desktop/edit_control.h"
#include "platform/desktop/input.h"
#include "tests/platform/desktop/gui/desktop_rig.h"

namespace vexa::test {
namespace {

// The hook of the test's edit control: records every message, swallows the keys of 'x', and
// passes everything else on to the control's own procedure.
struct Hook {
  WNDPROC previous = nullptr;
  std::vector<Seen> seen;
  size_t enters = 0;
};
Hook* hook = nullptr;

LRESULT hookProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  hook->seen.push_back(Seen{message, wParam, lParam});
  if (message == WM_KEYDOWN && wParam == VK_RETURN) ++hook->enters;
  const bool isX = ((message == WM_KEYDOWN || message == WM_KEYUP) && wParam == 'X') ||
                   (message == WM_CHAR && wParam == 'x');
  if (isX) return 0;
  return CallWindowProcA(hook->previous, window, message, wParam, lParam);
}

class EditControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!desktop().ready()) GTEST_SKIP() << "no display";
    host_ = std::make_unique<TestWindow>(500, 100, 220, 80);
    ShowWindow(host_->handle, SW_SHOW);
    edit_ = CreateWindowExA(
        0, kEditClassName, "", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, CW_USEDEFAULT,
        CW_USEDEFAULT, 0, 0, host_->handle, reinterpret_cast<HMENU>(uintptr_t{302}),
        GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(edit_, nullptr);
    MoveWindow(edit_, 10, 10, 150, 20, 1);
    hook_.previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&hookProcedure)));
    hook = &hook_;
    ASSERT_TRUE(desktop().runUntil([&] { return host_->log.count(WM_PAINT) > 0; }));
  }
  void TearDown() override {
    host_.reset();  // takes the edit control with it
    hook = nullptr;
    desktop().drain();
  }
  Desktop& desktop() { return Desktop::get(); }
  std::string text() {
    char buffer[512];
    const int length = GetWindowTextA(edit_, buffer, sizeof buffer);
    return std::string(buffer, length);
  }
  // Clicks into the control and types; runs the loop until the last key is handled.
  bool type(const std::string& keys, size_t keyUps) {
    if (!placed() || !movePointer(500 + 40, 100 + 20) || !xdotool("click 1")) return false;
    const size_t before = countUps();
    if (!xdotool("key --delay 5 " + keys)) return false;
    return desktop().runUntil([&] { return countUps() >= before + keyUps; });
  }
  // GTK places a moved control at its next layout: wait for it before clicking there.
  bool placed() {
    return desktop().runUntil([&] {
      RECT r;
      return GetWindowRect(edit_, &r) && r.left == 510 && r.top == 110;
    });
  }
  size_t countUps() const {
    size_t n = 0;
    for (const Seen& s : hook_.seen) n += s.message == WM_KEYUP;
    return n;
  }
  std::unique_ptr<TestWindow> host_;
  HWND edit_ = nullptr;
  Hook hook_;
};

TEST_F(EditControlTest, TheHookSeesEveryKeyFirstAndTheControlKeepsItsText) {
  EXPECT_EQ(GetDlgCtrlID(edit_), 302);
  EXPECT_EQ(GetParent(edit_), host_->handle);
  ASSERT_NE(hook_.previous, nullptr);
  ASSERT_TRUE(type("a b c Return Return x d", 7));
  EXPECT_EQ(hook_.enters, 2u) << "once per press";
  EXPECT_EQ(text(), "abcd") << "Enter leaves the text; the swallowed key never arrives";
  EXPECT_EQ(GetWindowTextLengthA(edit_), 4);
  // The hook saw the key before its character, as Windows orders them.
  size_t down = 0;
  while (down < hook_.seen.size() &&
         !(hook_.seen[down].message == WM_KEYDOWN && hook_.seen[down].wParam == 'A')) {
    ++down;
  }
  ASSERT_LT(down + 1, hook_.seen.size());
  EXPECT_EQ(hook_.seen[down + 1].message, WM_CHAR);
  EXPECT_EQ(hook_.seen[down + 1].wParam, static_cast<WPARAM>('a'));
  EXPECT_TRUE(host_->log.count(WM_KEYDOWN) == 0) << "the host gets none of the control's keys";
}

TEST_F(EditControlTest, TextGoesInAndOutAsShiftJis) {
  struct TextCase {
    const char* name;
    std::string set;
    std::string read;
  };
  const TextCase cases[] = {
      {"Japanese", "スレ名フィルタ"_sjis, "スレ名フィルタ"_sjis},
      {"half-width katakana", "ﾌｨﾙﾀ abc"_sjis, "ﾌｨﾙﾀ abc"_sjis},
      {"a cut character shows as a replacement and reads as '?'", "ab\x82", "ab?"},
      {"a bad byte in the middle",
       "a\xFF"
       "b",
       "a?b"},
      {"empty", "", ""},
  };
  for (const TextCase& c : cases) {
    ASSERT_TRUE(SetWindowTextA(edit_, c.set.c_str())) << c.name;
    EXPECT_EQ(text(), c.read) << c.name;
    EXPECT_EQ(GetWindowTextLengthA(edit_), static_cast<int>(c.read.size())) << c.name;
  }
  // A short buffer takes whole characters only.
  SetWindowTextA(edit_, "スレ名"_sjis);
  char small[6];
  memset(small, 'z', sizeof small);
  EXPECT_EQ(GetWindowTextA(edit_, small, 6), 4);
  EXPECT_EQ(std::string(small), std::string("スレ"_sjis));
  EXPECT_EQ(GetWindowTextA(edit_, small, 1), 0);
  EXPECT_EQ(small[0], '\0');

  // What is shown is Japanese in a Japanese face.
  SetWindowTextA(edit_, "番組表番組表"_sjis);
  ASSERT_TRUE(desktop().runUntil([] {
    return countScreenPixels(512, 112, 100, 16, [](COLORREF c) { return GetRValue(c) < 100; }) > 40;
  }));
}

TEST_F(EditControlTest, JapaneseTypedThroughTheKeyboardReadsBackAsShiftJis) {
  ASSERT_TRUE(placed());
  ASSERT_TRUE(movePointer(540, 120));
  ASSERT_TRUE(xdotool("click 1"));
  // xdotool maps a spare key to each character only while it types it: read the keys as they
  // come, as a running program does.
  ASSERT_TRUE(desktop().xdotoolWhileRunning("type --delay 30 'あ漢'"));
  ASSERT_TRUE(desktop().runUntil([&] { return text() == std::string("あ漢"_sjis); })) << text();
}

TEST_F(EditControlTest, OddRectanglesNeitherCrashNorShowOutside) {
  const RECT rects[] = {{10, 10, 0, 0}, {10, 10, -5, -7}, {-20, -20, 30, 20}, {10, 10, 150, 20}};
  for (const RECT& r : rects) {
    EXPECT_TRUE(MoveWindow(edit_, r.left, r.top, r.right, r.bottom, 1));
    desktop().drain();
    PumpWindowSystem();
  }
  EXPECT_TRUE(IsWindowVisible(edit_));
  ShowWindow(edit_, SW_HIDE);
  EXPECT_FALSE(IsWindowVisible(edit_));
  ShowWindow(edit_, SW_SHOW);
  LOGFONTA logical;
  logical.lfHeight = 14;
  logical.lfCharSet = SHIFTJIS_CHARSET;
  strcpy(logical.lfFaceName, "ＭＳ Ｐゴシック"_sjis);
  HFONT font = CreateFontIndirectA(&logical);
  SendMessageA(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font), 1);
  SendMessageA(edit_, WM_SETFONT, 12345, 1);  // not a font: ignored
  SendMessageA(edit_, EM_LIMITTEXT, 3, 0);
  SetWindowTextA(edit_, "");
  ASSERT_TRUE(type("a b c d", 4));
  EXPECT_EQ(text(), "abc") << "the limit holds for typing";
  DestroyWindow(edit_);
  DeleteObject(font);
  EXPECT_EQ(GetWindowTextLengthA(edit_), 0);
}

}  // namespace
}  // namespace vexa::test
