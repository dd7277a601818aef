#include "base/timed_mutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>

#include "platform/clock.h"

namespace vexa {
namespace {

using platform::tickMs;

// Holds the mutex on another thread for holdMs from the moment the constructor returns.
class Holder {
 public:
  Holder(TimedMutex& mutex, uint32_t holdMs)
      : thread_([this, &mutex, holdMs] {
          mutex.lock(0);
          held_ = true;
          platform::sleepMs(holdMs);
          mutex.unlock();
        }) {
    while (!held_) platform::sleepMs(0);
  }
  ~Holder() { thread_.join(); }

 private:
  std::atomic<bool> held_{false};
  std::thread thread_;
};

TEST(TimedMutexTest, TimedLocks) {
  struct Case {
    const char* name;
    uint32_t holdMs;  // 0: nobody else holds it
    int32_t timeout;
    int expected;
    uint32_t atLeastMs, lessThanMs;
  } cases[] = {
      {"free, one try", 0, -1, 0, 0, 500},
      {"negative tries once, sleeps 1 ms and fails", 300, -1, -1, 1, 150},
      {"gives up at its limit", 200, 50, -1, 50, 190},
      {"gets it when released in time", 20, 50, 0, 10, 2000},
      {"zero waits without limit", 60, 0, 0, 40, 5000},
  };
  for (const Case& c : cases) {
    TimedMutex mutex;
    std::optional<Holder> holder;
    if (c.holdMs > 0) holder.emplace(mutex, c.holdMs);
    const uint32_t start = tickMs();
    const int result = mutex.lock(c.timeout);
    const uint32_t elapsed = tickMs() - start;
    if (result == 0) mutex.unlock();
    holder.reset();
    EXPECT_EQ(result, c.expected) << c.name;
    EXPECT_GE(elapsed, c.atLeastMs) << c.name;
    EXPECT_LT(elapsed, c.lessThanMs) << c.name;
  }
}

TEST(TimedMutexTest, HolderLocksAgainAndMustUnlockAsOften) {
  TimedMutex mutex;
  auto otherGets = [&mutex] {
    int result = 0;
    std::thread([&] {
      if ((result = mutex.lock(-1)) == 0) mutex.unlock();
    }).join();
    return result == 0;
  };
  ASSERT_EQ(mutex.lock(0), 0);
  ASSERT_EQ(mutex.lock(-1), 0);
  {
    LockGuard guard(mutex, 10);
    EXPECT_TRUE(guard.held());
  }
  mutex.unlock();
  EXPECT_FALSE(otherGets()) << "still held once";
  mutex.unlock();
  EXPECT_TRUE(otherGets());
  Holder holder(mutex, 100);
  LockGuard guard(mutex, -1);
  EXPECT_FALSE(guard.held());
}

}  // namespace
}  // namespace vexa
