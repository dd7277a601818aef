// Opens the toolkit's demonstration window and runs until it is closed or interrupted.
#include <cstdio>

#include "platform/desktop/window_system.h"
#include "platform/message_queue.h"
#include "platform/signals.h"
#include "tests/ui/demo/demo_window.h"

int main() {
  using namespace vexa;
  platform::MessageQueue queue;
  if (platform::InitWindowSystem(queue) == platform::WindowSystemError::NoDisplay) {
    std::fprintf(stderr, "toolkit_demo: no display\n");
    return 1;
  }
  platform::QuitSignals quitSignals;
  ui::demo::DemoWindow demo(queue, ui::Rect{40, 40, 400, 110});
  if (demo.Open()) {
    std::fprintf(stderr, "toolkit_demo: the window could not be opened\n");
    return 1;
  }
  platform::WindowMessage message;
  while (queue.get(message)) platform::MessageQueue::dispatch(message);
  std::printf("searches %u, list switches %u, filter reloads %u\n", demo.searches,
              demo.listSwitches, demo.filterReloads);
  return 0;
}
