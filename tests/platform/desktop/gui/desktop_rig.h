#pragma once

#include <gdk/gdk.h>
#include <stdlib.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/desktop/device_context.h"
#include "platform/desktop/host_windows.h"
#include "platform/desktop/window_system.h"
#include "platform/message_queue.h"

namespace vexa::test {

using namespace vexa::platform;

struct Seen {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// What a test window's procedure records, and what it does on WM_PAINT.
struct WindowLog {
  std::vector<Seen> seen;
  std::vector<UINT> numbers() const {
    std::vector<UINT> out;
    for (const Seen& s : seen) out.push_back(s.message);
    return out;
  }
  size_t count(UINT message) const {
    size_t n = 0;
    for (const Seen& s : seen) n += s.message == message;
    return n;
  }
  const Seen* last(UINT message) const {
    for (auto it = seen.rbegin(); it != seen.rend(); ++it) {
      if (it->message == message) return &*it;
    }
    return nullptr;
  }
  void (*paint)(HWND, HDC, WindowLog&) = nullptr;
  bool vetoClose = false;
  void* extra = nullptr;
};

inline LRESULT recordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* log = reinterpret_cast<WindowLog*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (log != nullptr) log->seen.push_back(Seen{message, wParam, lParam});
  if (message == WM_PAINT && log != nullptr && log->paint != nullptr) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    log->paint(window, dc, *log);
    EndPaint(window, &ps);
    return 0;
  }
  if (message == WM_CLOSE && log != nullptr && log->vetoClose) return 0;
  return DefWindowProcA(window, message, wParam, lParam);
}

// One window system on the private display for the whole test program.
class Desktop {
 public:
  static Desktop& get() {
    static Desktop instance;
    return instance;
  }
  bool ready() const { return ready_; }
  MessageQueue& queue() { return queue_; }

  // Runs the loop as the program does until `condition` holds; false after 10 s.
  template <typename Condition>
  bool runUntil(Condition condition) {
    const uint32_t start = tickMs();
    while (!condition()) {
      if (tickMs() - start > 10000) return false;
      WindowMessage message;
      if (queue_.peek(message)) {
        MessageQueue::dispatch(message);
      } else {
        queue_.wait(20);
      }
    }
    return true;
  }
  // Runs xdotool on another thread while the loop goes on; true when it succeeded.
  bool xdotoolWhileRunning(const std::string& arguments) {
    std::atomic<int> result{-1};
    std::thread runner(
        [&] { result = std::system(("xdotool " + arguments + " >/dev/null 2>&1").c_str()); });
    const bool finished = runUntil([&] { return result.load() >= 0; });
    runner.join();
    return finished && result.load() == 0;
  }
  // Handles everything that is ready now, and what it leads to, without waiting.
  void drain() {
    for (int i = 0; i < 1000; ++i) {
      WindowMessage message;
      if (!queue_.peek(message)) break;
      MessageQueue::dispatch(message);
    }
  }

 private:
  Desktop() {
    ready_ = InitWindowSystem(queue_) != WindowSystemError::NoDisplay;
    WNDCLASSA windowClass;
    windowClass.lpfnWndProc = &recordingProcedure;
    windowClass.lpszClassName = "vexa-test";
    windowClass.background = RGB(255, 255, 255);
    if (ready_) RegisterClassA(windowClass);
  }
  MessageQueue queue_;
  bool ready_ = false;
};

// A top-level test window that records its messages; destroyed with the object.
struct TestWindow {
  WindowLog log;
  HWND handle = nullptr;
  TestWindow(int x, int y, int width, int height, DWORD style = WS_POPUP) {
    handle = CreateWindowExA(0, "vexa-test", "test", style, x, y, width, height, nullptr, nullptr,
                             nullptr, &log);
  }
  ~TestWindow() {
    if (IsWindow(handle)) DestroyWindow(handle);
  }
};

// The colour on screen at (x, y), read back from the X server.
inline COLORREF screenPixel(int x, int y) {
  GdkWindow* root = gdk_get_default_root_window();
  GdkPixbuf* pixbuf = gdk_pixbuf_get_from_window(root, x, y, 1, 1);
  if (pixbuf == nullptr) return CLR_INVALID;
  const guchar* p = gdk_pixbuf_get_pixels(pixbuf);
  const COLORREF colour = RGB(p[0], p[1], p[2]);
  g_object_unref(pixbuf);
  return colour;
}

// Counts pixels in a screen rectangle that satisfy `test`.
template <typename Test>
int countScreenPixels(int x, int y, int width, int height, Test test) {
  GdkPixbuf* pixbuf =
      gdk_pixbuf_get_from_window(gdk_get_default_root_window(), x, y, width, height);
  if (pixbuf == nullptr) return -1;
  const int stride = gdk_pixbuf_get_rowstride(pixbuf);
  const int channels = gdk_pixbuf_get_n_channels(pixbuf);
  const guchar* base = gdk_pixbuf_get_pixels(pixbuf);
  int count = 0;
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) {
      const guchar* p = base + row * stride + column * channels;
      count += test(RGB(p[0], p[1], p[2])) ? 1 : 0;
    }
  }
  g_object_unref(pixbuf);
  return count;
}

// Runs xdotool with the given arguments; true when it succeeded.
inline bool xdotool(const std::string& arguments) {
  return std::system(("xdotool " + arguments + " >/dev/null 2>&1").c_str()) == 0;
}

// Moves the pointer and waits until it is there (xdotool's own wait never ends when the pointer
// is there already).
inline bool movePointer(int x, int y) {
  GdkDisplay* display = gdk_display_get_default();
  GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(display));
  gint nowX = 0;
  gint nowY = 0;
  gdk_device_get_position(pointer, nullptr, &nowX, &nowY);
  if (nowX == x && nowY == y) return true;
  return xdotool("mousemove --sync " + std::to_string(x) + " " + std::to_string(y));
}

}  // namespace vexa::test
