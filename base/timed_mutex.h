#pragma once

#include <cstdint>

#include "platform/thread.h"

namespace vexa {

// A recursive mutex with an optional limit on acquisition.
// lock(0) waits without limit; lock(n > 0) tries every millisecond for up to n ms;
// lock(n < 0) tries once, sleeps 1 ms and gives up. Returns 0 when held, -1 when not.
class TimedMutex {
 public:
  TimedMutex() = default;
  TimedMutex(const TimedMutex&) = delete;
  TimedMutex& operator=(const TimedMutex&) = delete;

  int lock(int32_t timeout);
  void unlock();

 private:
  platform::RecursiveMutex mutex_;
};

// Holds a TimedMutex for a scope; unlocks only when the lock was taken.
class LockGuard {
 public:
  LockGuard(TimedMutex& mutex, int32_t timeout) : mutex_(mutex), result_(mutex.lock(timeout)) {}
  ~LockGuard() {
    if (result_ >= 0) mutex_.unlock();
  }
  LockGuard(const LockGuard&) = delete;
  LockGuard& operator=(const LockGuard&) = delete;

  bool held() const { return result_ >= 0; }

 private:
  TimedMutex& mutex_;
  int result_;
};

}  // namespace vexa
