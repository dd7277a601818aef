#include "base/timed_mutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/clock.h"

namespace vexa {
namespace {

using platform::sleepMs;
using platform::tickMs;

// Holds the mutex on another thread for holdMs from the moment the constructor returns.
class Holder {
 public:
  Holder(TimedMutex& mutex, uint32_t holdMs) {
    thread_ = std::thread([this, &mutex, holdMs] {
      mutex.lock(0);
      held_ = true;
      sleepMs(holdMs);
      mutex.unlock();
    });
    while (!held_) sleepMs(0);
  }
  ~Holder() { thread_.join(); }

 private:
  std::atomic<bool> held_{false};
  std::thread thread_;
};

TEST(TimedMutexTest, FreeMutexIsTakenAtOnceWithAnyTimeout) {
  for (int32_t timeout : {0, -1, 1, 50}) {
    TimedMutex mutex;
    const uint32_t start = tickMs();
    EXPECT_EQ(mutex.lock(timeout), 0) << timeout;
    EXPECT_LT(tickMs() - start, 500u) << timeout;
    mutex.unlock();
  }
}

TEST(TimedMutexTest, TimedLocksAgainstAnotherThread) {
  struct Case {
    const char* name;
    uint32_t holdMs;
    int32_t timeout;
    int expected;
    uint32_t atLeastMs;
    uint32_t lessThanMs;
  };
  const Case cases[] = {
      // One try, one sleep of 1 ms, then failure.
      {"negative tries once", 300, -1, -1, 1, 150},
      {"gives up at its limit", 200, 50, -1, 50, 190},
      {"gets it when released in time", 20, 50, 0, 10, 2000},
      {"zero waits without limit", 60, 0, 0, 40, 5000},
  };
  for (const Case& c : cases) {
    TimedMutex mutex;
    int result;
    uint32_t elapsed;
    {
      Holder holder(mutex, c.holdMs);
      const uint32_t start = tickMs();
      result = mutex.lock(c.timeout);
      elapsed = tickMs() - start;
      if (result == 0) mutex.unlock();
    }
    EXPECT_EQ(result, c.expected) << c.name;
    EXPECT_GE(elapsed, c.atLeastMs) << c.name;
    EXPECT_LT(elapsed, c.lessThanMs) << c.name;
  }
}

TEST(TimedMutexTest, HolderLocksAgainAndMustUnlockAsOften) {
  TimedMutex mutex;
  ASSERT_EQ(mutex.lock(0), 0);
  ASSERT_EQ(mutex.lock(-1), 0);
  ASSERT_EQ(mutex.lock(10), 0);
  auto otherGets = [&mutex] {
    int result = 0;
    std::thread([&] {
      result = mutex.lock(-1);
      if (result == 0) mutex.unlock();
    }).join();
    return result == 0;
  };
  mutex.unlock();
  mutex.unlock();
  EXPECT_FALSE(otherGets()) << "still held once";
  mutex.unlock();
  EXPECT_TRUE(otherGets());
}

TEST(TimedMutexTest, GuardUnlocksOnlyWhatItTook) {
  TimedMutex mutex;
  {
    LockGuard guard(mutex, 0);
    EXPECT_TRUE(guard.held());
  }
  {
    Holder holder(mutex, 100);
    LockGuard guard(mutex, -1);
    EXPECT_FALSE(guard.held());
  }
  // Had the failed guard unlocked, the recursion count would be off and this would misbehave.
  LockGuard outer(mutex, 0);
  ASSERT_TRUE(outer.held());
  std::atomic<int> other{1};
  std::thread([&] {
    other = mutex.lock(-1);
    if (other == 0) mutex.unlock();
  }).join();
  EXPECT_EQ(other.load(), -1);
}

}  // namespace
}  // namespace vexa
