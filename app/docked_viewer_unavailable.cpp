#include <cstdio>

#include "app/front_ends.h"
#include "base/log_stream.h"

namespace vexa {

// A build without the desktop side has no docked viewer.
int runDockedViewer(const ViewerOptions&) {
  logLine("ERROR: this build has no desktop side; run vexa --headless.");
  std::fputs("vexa: this build has no desktop side; run vexa --headless\n", stderr);
  return 1;
}

}  // namespace vexa
