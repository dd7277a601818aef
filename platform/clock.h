#pragma once

#include <cstdint>

namespace vexa::platform {

// Milliseconds of a monotonic clock, as a 32-bit number that wraps every 49.7 days. Compare two
// ticks only through their difference (tickReached, or unsigned `now - start`).
uint32_t tickMs();

// True when `now` is at or after `target`, across the wrap (the two lie within 24.8 days).
inline bool tickReached(uint32_t now, uint32_t target) {
  return static_cast<int32_t>(now - target) >= 0;
}

// Milliseconds from `now` until `target`; 0 when it has been reached.
inline uint32_t ticksUntil(uint32_t now, uint32_t target) {
  return tickReached(now, target) ? 0 : target - now;
}

// Calendar time in whole seconds since the epoch, as time(2) gives it.
int64_t calendarSeconds();

}  // namespace vexa::platform
