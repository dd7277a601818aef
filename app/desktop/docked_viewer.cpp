#include <cstdio>
#include <string>

#include "app/desktop/main_frame.h"
#include "app/front_ends.h"
#include "base/log_stream.h"
#include "platform/desktop/window_system.h"
#include "platform/message_queue.h"

namespace vexa {

int runDockedViewer(const ViewerOptions& options) {
  platform::MessageQueue queue;
  if (platform::InitWindowSystem(queue) == platform::WindowSystemError::NoDisplay) {
    const char* display = std::getenv("DISPLAY");
    const std::string why = display != nullptr && *display != '\0'
                                ? "cannot open display '" + std::string(display) + "'"
                                : std::string("cannot open a display (DISPLAY is not set)");
    logLine(("ERROR: " + why + ".").c_str());
    std::fprintf(stderr, "vexa: %s\n", why.c_str());
    return 1;
  }
  int status = 0;
  {
    MainFrame frame(queue, options);
    if (frame.run()) status = 1;
  }
  platform::ShutdownWindowSystem();
  return status;
}

}  // namespace vexa
