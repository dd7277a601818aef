// Two player panes, and with --foreign the foreign-window element, in one window: a person's
// look at the panes before the main window exists, and the program the tests kill.
//
//   media_demo [--foreign] [--audio-off] [--report] [URL1 [URL2]]
//
// --report prints, once both panes play, the time from play to playing and the memory (PSS)
// before the panes, with one and with two, with both shown and idle, and while they play (with
// no URL: at once, both idle). A pane starts its player only when first asked to play.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "media/player_pane.h"
#include "media/winamp_dock.h"
#include "platform/clock.h"
#include "platform/desktop/host_windows.h"
#include "platform/desktop/window_system.h"

using namespace vexa;
using namespace vexa::platform;

namespace {

long PssKb() {
  std::ifstream in("/proc/self/smaps_rollup");
  std::string key;
  long value = 0;
  while (in >> key) {
    if (key == "Pss:") {
      in >> value;
      return value;
    }
    in.ignore(1 << 12, '\n');
  }
  return -1;
}

MessageQueue* demoQueue = nullptr;

LRESULT DemoProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY && demoQueue) demoQueue->postQuit(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
  bool foreign = false, audioOff = false, report = false;
  std::string urls[2];
  int urlCount = 0;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--foreign")) {
      foreign = true;
    } else if (!std::strcmp(argv[i], "--audio-off")) {
      audioOff = true;
    } else if (!std::strcmp(argv[i], "--report")) {
      report = true;
    } else if (urlCount < 2) {
      urls[urlCount++] = argv[i];
    }
  }
  MessageQueue queue;
  demoQueue = &queue;
  if (InitWindowSystem(queue) == WindowSystemError::NoDisplay) {
    std::fprintf(stderr, "media_demo: no display\n");
    return 1;
  }
  WNDCLASSA windowClass;
  windowClass.lpfnWndProc = DemoProc;
  windowClass.lpszClassName = "vexa-media-demo";
  windowClass.background = RGB(40, 40, 40);
  RegisterClassA(windowClass);
  const int width = 2 * 320 + 3 * 4 + (foreign ? media::WinampDock::kWidth + 4 : 0);
  HWND top = CreateWindowExA(0, "vexa-media-demo", "media demo", WS_VISIBLE, 0, 0, width, 248,
                             nullptr, nullptr, nullptr, nullptr);
  PumpWindowSystem();
  long pssBefore = PssKb();
  media::PlayerPaneOptions options;
  options.audioOff = audioOff;
  media::PlayerPane one(queue, options), two(queue, options);
  if (one.create(top, 303)) return 1;
  long pssOne = PssKb();
  if (two.create(top, 304)) return 1;
  long pssTwo = PssKb();
  MoveWindow(one.window(), 4, 4, 320, 240, 1);
  MoveWindow(two.window(), 328, 4, 320, 240, 1);
  media::WinampDock dock;
  if (foreign) {
    if (dock.embed(top)) {
      dock.place(652, 4);
      std::printf("foreign: %d x %d\n", dock.width(), dock.height());
    } else {
      std::printf("foreign: none found\n");
    }
    std::fflush(stdout);
  }
  // Idle: both panes placed and painted, nothing asked to play yet.
  PumpWindowSystem();
  WindowMessage message;
  while (queue.peek(message)) {
    if (message.target == nullptr && message.message == WM_QUIT) return 0;
    MessageQueue::dispatch(message);
  }
  long pssIdle = PssKb();
  const uint32_t start = tickMs();
  if (urlCount > 0) one.playLink(urls[0]);
  if (urlCount > 1) two.playLink(urls[1]);
  bool reported = !report;
  uint32_t firstPlaying[2] = {0, 0};
  for (;;) {
    while (queue.peek(message)) {
      if (message.target == nullptr && message.message == WM_QUIT) return 0;
      MessageQueue::dispatch(message);
    }
    if (!reported) {
      media::PlayerPane* panes[2] = {&one, &two};
      for (int i = 0; i < urlCount; ++i) {
        if (!firstPlaying[i] && panes[i]->playbackSeconds() > 0) firstPlaying[i] = tickMs() - start;
      }
      if ((urlCount < 1 || firstPlaying[0]) && (urlCount < 2 || firstPlaying[1])) {
        std::printf("play to first frame or sound: %u ms, %u ms\n", firstPlaying[0],
                    firstPlaying[1]);
        std::printf("PSS: %ld kB without panes, +%ld kB one pane, +%ld kB two panes\n", pssBefore,
                    pssOne - pssBefore, pssTwo - pssBefore);
        std::printf("PSS with both panes idle: %ld kB\n", pssIdle);
        std::printf("PSS while %d play: %ld kB\n", urlCount, PssKb());
        std::fflush(stdout);
        reported = true;
      }
    }
    queue.wait(reported ? -1 : 5);
  }
}
