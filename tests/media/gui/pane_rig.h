#pragma once

#include "platform/clock.h"
#include "platform/desktop/host_windows.h"
#include "platform/desktop/window_system.h"
#include "platform/message_queue.h"

namespace vexa::test {

using namespace vexa::platform;

inline LRESULT PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER + 1) {
    ++*reinterpret_cast<int*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// One window system on the private display for the whole program, and a top-level window
// that holds the panes of a test.
class PaneRig {
 public:
  static PaneRig& get() {
    static PaneRig rig;
    return rig;
  }
  bool ready() const { return ready_; }
  MessageQueue& queue() { return queue_; }

  // Runs the loop as the program does until `condition` holds; false after `limitMs`.
  template <typename Condition>
  bool runUntil(Condition condition, uint32_t limitMs = 10000) {
    const uint32_t start = tickMs();
    while (!condition()) {
      if (tickMs() - start > limitMs) return false;
      WindowMessage message;
      if (queue_.peek(message)) {
        MessageQueue::dispatch(message);
      } else {
        queue_.wait(20);
      }
    }
    return true;
  }

 private:
  PaneRig() {
    ready_ = InitWindowSystem(queue_) != WindowSystemError::NoDisplay;
    WNDCLASSA windowClass;
    windowClass.lpfnWndProc = &PlainProc;
    windowClass.lpszClassName = "vexa-media-test";
    if (ready_) RegisterClassA(windowClass);
  }
  MessageQueue queue_;
  bool ready_ = false;
};

struct TopWindow {
  int answered = 0;
  HWND handle = nullptr;
  TopWindow() {
    handle = CreateWindowExA(0, "vexa-media-test", "panes", WS_VISIBLE, 0, 0, 640, 260, nullptr,
                             nullptr, nullptr, nullptr);
    SetWindowLongPtrA(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&answered));
  }
  ~TopWindow() {
    if (IsWindow(handle)) DestroyWindow(handle);
  }
};

}  // namespace vexa::test
