#include <gtest/gtest.h>

#include "platform/desktop/input.h"
#include "tests/platform/desktop/gui/desktop_rig.h"

namespace vexa::test {
namespace {

// What a key handler sees of the keyboard state and of ToAscii while its message is handled.
struct KeyView {
  UINT message;
  WPARAM wParam;
  bool shiftDown;
  bool controlDown;
  std::string typed;  // ToAscii of the key, under the state of the moment
};

std::vector<KeyView>* keyViews = nullptr;

LRESULT keyProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (keyViews != nullptr && message >= WM_KEYDOWN && message <= WM_SYSCHAR) {
    BYTE state[256];
    GetKeyboardState(state);
    WORD out[2] = {};
    const int count = ToAscii(static_cast<UINT>(wParam), (lParam >> 16) & 0xFF, state, out, 0);
    keyViews->push_back(
        KeyView{message, wParam, GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0,
                std::string(reinterpret_cast<const char*>(out), count > 0 ? count : 0)});
  }
  return recordingProcedure(window, message, wParam, lParam);
}

class KeyboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!desktop().ready()) GTEST_SKIP() << "no display";
    window_ = std::make_unique<TestWindow>(300, 400, 120, 60);
    SetWindowLongPtrA(window_->handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&keyProcedure));
    ShowWindow(window_->handle, SW_SHOW);
    ASSERT_TRUE(desktop().runUntil([&] { return window_->log.count(WM_PAINT) > 0; }));
    // Without a window manager the keyboard follows the pointer.
    ASSERT_TRUE(movePointer(330, 420));
    SetFocus(window_->handle);
    desktop().drain();
    views_.clear();
    keyViews = &views_;
  }
  void TearDown() override {
    keyViews = nullptr;
    window_.reset();
    desktop().drain();
  }
  Desktop& desktop() { return Desktop::get(); }
  // Types with xdotool and runs the loop until the last key's release is handled.
  bool type(const std::string& keys, size_t releases) {
    const size_t before = count(WM_KEYUP) + count(WM_SYSKEYUP);
    if (!xdotool("key --delay 5 " + keys)) return false;
    return desktop().runUntil(
        [&] { return count(WM_KEYUP) + count(WM_SYSKEYUP) >= before + releases; });
  }
  size_t count(UINT message) const {
    size_t n = 0;
    for (const KeyView& v : views_) n += v.message == message;
    return n;
  }
  std::vector<KeyView> views_;
  std::unique_ptr<TestWindow> window_;
};

TEST_F(KeyboardTest, KeysBecomeCodesTextAndState) {
  struct KeyCase {
    const char* keys;   // for xdotool
    size_t releases;    // key releases it makes
    UINT vk;            // the code of the last key down
    std::string chars;  // WM_CHAR bytes, in order
    bool shift;         // shift seen held at the last key down
    bool control;
    std::string toAscii;  // ToAscii at the last key down
  };
  const KeyCase cases[] = {
      {"a", 1, 'A', "a", false, false, "a"},
      {"shift+a", 2, 'A', "A", true, false, "A"},
      {"ctrl+a", 2, 'A', "\x01", false, true, "\x01"},
      {"Return", 1, VK_RETURN, "\r", false, false, "\r"},
      {"F1", 1, VK_F1, "", false, false, ""},
      {"Left", 1, VK_LEFT, "", false, false, ""},
      {"BackSpace", 1, VK_BACK, "\b", false, false, "\b"},
      {"5", 1, '5', "5", false, false, "5"},
      {"shift+5", 2, '5', "%", true, false, "%"},
  };
  for (const KeyCase& c : cases) {
    views_.clear();
    ASSERT_TRUE(type(c.keys, c.releases)) << c.keys;
    std::string chars;
    const KeyView* lastDown = nullptr;
    for (const KeyView& v : views_) {
      if (v.message == WM_CHAR) chars += static_cast<char>(v.wParam);
      if (v.message == WM_KEYDOWN) lastDown = &v;
    }
    ASSERT_NE(lastDown, nullptr) << c.keys;
    EXPECT_EQ(lastDown->wParam, c.vk) << c.keys;
    EXPECT_EQ(chars, c.chars) << c.keys;
    EXPECT_EQ(lastDown->shiftDown, c.shift) << c.keys;
    EXPECT_EQ(lastDown->controlDown, c.control) << c.keys;
    EXPECT_EQ(lastDown->typed, c.toAscii) << c.keys;
    EXPECT_EQ(views_.back().message, WM_KEYUP) << c.keys;
  }
  desktop().drain();
  EXPECT_GE(GetKeyState(VK_SHIFT), 0) << "nothing is left held";
}

TEST_F(KeyboardTest, AnAutoRepeatIsAnotherKeyDownMarkedAsRepeated) {
  std::vector<LPARAM> downs;
  // The X server repeats a key held past its repeat delay (660 ms on Xvfb).
  ASSERT_TRUE(xdotool("keydown x sleep 1.5 keyup x"));
  ASSERT_TRUE(desktop().runUntil([&] { return count(WM_KEYUP) >= 1; }));
  for (const Seen& s : window_->log.seen) {
    if (s.message == WM_KEYDOWN) downs.push_back(s.lParam);
  }
  ASSERT_GE(downs.size(), 2u);
  EXPECT_FALSE(downs[0] & KF_REPEAT_BIT);
  for (size_t i = 1; i < downs.size(); ++i) EXPECT_TRUE(downs[i] & KF_REPEAT_BIT) << i;
  EXPECT_EQ(count(WM_CHAR), downs.size()) << "each repeat types again";
  const Seen* up = window_->log.last(WM_KEYUP);
  EXPECT_TRUE((up->lParam & KF_UP_BIT) && (up->lParam & KF_REPEAT_BIT));
}

}  // namespace
}  // namespace vexa::test
