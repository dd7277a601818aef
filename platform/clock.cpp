#include "platform/clock.h"

#include <time.h>

namespace vexa::platform {

uint32_t tickMs() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  // Truncating to 32 bits gives the wrapping millisecond counter.
  uint64_t ms =
      static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);
}

int64_t calendarSeconds() {
  return static_cast<int64_t>(time(nullptr));
}

}  // namespace vexa::platform
