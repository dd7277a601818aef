// A person's look at the post view: html_demo PAGE.html [WIDTH HEIGHT] shows a Shift_JIS page in
// a window and prints every link event. Ctrl-C or closing the window ends it.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/desktop/host_windows.h"
#include "platform/desktop/html_view.h"
#include "platform/desktop/window_system.h"
#include "platform/message_queue.h"

using namespace vexa::platform;

namespace {

class PrintingEvents : public HtmlViewEvents {
 public:
  void beforeNavigate(const std::string& url, bool& cancel) override {
    std::printf("beforeNavigate %s\n", url.c_str());
    std::fflush(stdout);
    cancel = url != "about:blank";
  }
  void newWindow(const std::string& url, bool& cancel) override {
    std::printf("newWindow %s\n", url.c_str());
    std::fflush(stdout);
    cancel = true;
  }
  void quit() override { std::printf("quit\n"); }
};

HtmlView* shownView = nullptr;

LRESULT frameProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SIZE && shownView != nullptr) {
    MoveWindow(shownView->window(), 0, 0, LOWORD(static_cast<uintptr_t>(lParam)),
               HIWORD(static_cast<uintptr_t>(lParam)), 1);
  }
  if (message == WM_DESTROY) PostMessageA(nullptr, WM_QUIT, 0, 0);
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: html_demo PAGE.html [WIDTH HEIGHT]\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "html_demo: cannot read %s\n", argv[1]);
    return 1;
  }
  const std::string page((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const int width = argc > 3 ? std::atoi(argv[2]) : 300;
  const int height = argc > 3 ? std::atoi(argv[3]) : 600;

  MessageQueue queue;
  if (InitWindowSystem(queue) == WindowSystemError::NoDisplay) {
    std::fprintf(stderr, "html_demo: no display\n");
    return 1;
  }
  WNDCLASSA frameClass;
  frameClass.lpfnWndProc = &frameProcedure;
  frameClass.lpszClassName = "html-demo-frame";
  RegisterClassA(frameClass);
  HWND frame = CreateWindowExA(0, "html-demo-frame", "html_demo", WS_OVERLAPPEDWINDOW, 0, 0, width,
                               height, nullptr, nullptr, nullptr, nullptr);
  PrintingEvents events;
  HtmlView view;
  if (frame == nullptr || view.create(frame, 100, events)) {
    std::fprintf(stderr, "html_demo: cannot create the windows\n");
    return 1;
  }
  shownView = &view;
  MoveWindow(view.window(), 0, 0, width, height, 1);
  ShowWindow(frame, SW_SHOW);
  view.clear();
  view.write(page);
  view.close();
  for (;;) {
    WindowMessage message;
    if (queue.peek(message)) {
      if (message.message == WM_QUIT) break;
      MessageQueue::dispatch(message);
    } else {
      queue.wait(100);
    }
  }
  shownView = nullptr;
  ShutdownWindowSystem();
  return 0;
}
