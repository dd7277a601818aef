#include "platform/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "platform/clock.h"

namespace vexa::platform {
namespace {

// Spins (with sleeps) until the flag is set; fails the test after 10 s instead of hanging.
bool waitFor(const std::atomic<bool>& flag) {
  const uint32_t start = tickMs();
  while (!flag.load()) {
    if (tickMs() - start > 10000) return false;
    sleepMs(1);
  }
  return true;
}

TEST(ThreadTest, RecursiveMutexCountsItsLocks) {
  RecursiveMutex mutex;
  mutex.lock();
  EXPECT_TRUE(mutex.tryLock()) << "the holder may lock again";
  auto otherCanLock = [&mutex] {
    bool got = false;
    std::thread other([&] {
      got = mutex.tryLock();
      if (got) mutex.unlock();
    });
    other.join();
    return got;
  };
  EXPECT_FALSE(otherCanLock());
  mutex.unlock();
  EXPECT_FALSE(otherCanLock()) << "one unlock of two leaves it held";
  mutex.unlock();
  EXPECT_TRUE(otherCanLock());
}

TEST(ThreadTest, CurrentThreadIdIsStableNonZeroAndPerThread) {
  const uint64_t mine = currentThreadId();
  EXPECT_NE(mine, 0u);
  EXPECT_EQ(currentThreadId(), mine);
  uint64_t other = 0;
  std::thread([&other] { other = currentThreadId(); }).join();
  EXPECT_NE(other, 0u);
  EXPECT_NE(other, mine);
}

struct StartProbe {
  std::mutex gate;
  uint64_t announced = 0;  // written by the creator under `gate`
  uint64_t seenByThread = 0;
  uint64_t ownId = 0;
  std::atomic<bool> done{false};
};

void probeEntry(void* raw) {
  auto* probe = static_cast<StartProbe*>(raw);
  {
    std::lock_guard<std::mutex> lock(probe->gate);
    probe->seenByThread = probe->announced;
  }
  probe->ownId = currentThreadId();
  probe->done = true;
}

TEST(ThreadTest, StartedThreadSeesTheIdItsCreatorAnnounced) {
  for (size_t stackSize : {size_t{0}, size_t{1}, size_t{256 * 1024}}) {
    StartProbe probe;
    {
      // The creator holds the gate while it starts the thread, as a suspended start does.
      std::lock_guard<std::mutex> lock(probe.gate);
      ASSERT_FALSE(startDetachedThread(probeEntry, &probe, stackSize, &probe.announced));
      EXPECT_NE(probe.announced, 0u);
    }
    ASSERT_TRUE(waitFor(probe.done)) << "stack size " << stackSize;
    EXPECT_EQ(probe.seenByThread, probe.announced);
    EXPECT_EQ(probe.ownId, probe.announced);
  }
}

TEST(ThreadTest, ThreadIdsAreNeverReused) {
  std::set<uint64_t> ids{currentThreadId()};
  for (int i = 0; i < 50; ++i) {
    StartProbe probe;
    ASSERT_FALSE(startDetachedThread(probeEntry, &probe, 0, &probe.announced));
    ASSERT_TRUE(waitFor(probe.done));
    EXPECT_TRUE(ids.insert(probe.ownId).second) << "id " << probe.ownId << " came twice";
  }
}

}  // namespace
}  // namespace vexa::platform
