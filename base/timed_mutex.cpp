#include "base/timed_mutex.h"

#include "platform/clock.h"

namespace vexa {

int TimedMutex::lock(int32_t timeout) {
  if (timeout == 0) {
    mutex_.lock();
    return 0;
  }
  const uint32_t start = platform::tickMs();
  for (;;) {
    if (mutex_.tryLock()) return 0;
    platform::sleepMs(1);
    // Unsigned difference, so the wrap of the tick counter does no harm.
    const uint32_t elapsed = platform::tickMs() - start;
    if (timeout < 0 || elapsed >= static_cast<uint32_t>(timeout)) return -1;
  }
}

void TimedMutex::unlock() {
  mutex_.unlock();
}

}  // namespace vexa
