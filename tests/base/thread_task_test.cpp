// ThreadTask and the TimedMutex that guards what it shares with its worker.
#include "base/thread_task.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "tests/platform/test_support.h"

namespace vexa {
namespace {

using platform::tickMs;
using test::eventually;
using Start = ThreadTask::StartResult;

TEST(TimedMutexTest, TimedLocksAgainstAnotherThread) {
  const std::tuple<uint32_t, int32_t, int, uint32_t, uint32_t> cases[] = {
      // held elsewhere for (0: free), timeout, result, at least, less than (ms)
      {0, -1, 0, 0, 500},     {300, -1, -1, 1, 150},  // one try, a sleep of 1 ms, then failure
      {200, 50, -1, 50, 190}, {20, 50, 0, 10, 2000},
      {60, 0, 0, 40, 5000},  // zero waits without limit
  };
  for (const auto& [holdMs, timeout, expected, atLeast, lessThan] : cases) {
    TimedMutex mutex;
    std::atomic<bool> held{holdMs == 0};
    test::Later holder(0, [&] {
      if (held) return;
      mutex.lock(0);
      held = true;
      platform::sleepMs(holdMs);
      mutex.unlock();
    });
    while (!held) platform::sleepMs(0);
    const uint32_t start = tickMs();
    const int result = mutex.lock(timeout);
    const uint32_t elapsed = tickMs() - start;
    if (result == 0) mutex.unlock();
    EXPECT_EQ(result, expected) << holdMs << "/" << timeout;
    EXPECT_GE(elapsed, atLeast) << holdMs << "/" << timeout;
    EXPECT_LT(elapsed, lessThan) << holdMs << "/" << timeout;
  }
}

TEST(TimedMutexTest, HolderLocksAgainAndMustUnlockAsOften) {
  TimedMutex mutex;
  auto otherGets = [&mutex] {
    int result = 0;
    test::Later(0, [&] {
      if ((result = mutex.lock(-1)) == 0) mutex.unlock();
    });
    return result == 0;
  };
  ASSERT_EQ(mutex.lock(0), 0);
  ASSERT_EQ(mutex.lock(-1), 0);
  ASSERT_EQ(mutex.lock(10), 0);
  mutex.unlock();
  mutex.unlock();
  EXPECT_FALSE(otherGets()) << "still held once";
  mutex.unlock();
  EXPECT_TRUE(otherGets());
}

// A body that notes what it saw and runs until released.
class ProbeTask : public ThreadTask {
 public:
  ~ProbeTask() override {
    release = true;
    cancelAndWait();
  }
  std::atomic<int> bodies{0};
  std::atomic<bool> release{true};

 protected:
  void run() override {
    EXPECT_TRUE(isOwnThread());
    ++bodies;
    while (!release) platform::sleepMs(1);
  }
};

TEST(ThreadTaskTest, BodyRunsOnItsOwnThreadAndCannotBeCancelledOnceBegun) {
  ProbeTask task;
  task.release = false;
  ASSERT_EQ(task.start(0), Start::Started);
  EXPECT_FALSE(task.isOwnThread()) << "not on the GUI thread";
  ASSERT_TRUE(eventually([&] { return task.bodies == 1; }));
  EXPECT_FALSE(task.cancelPending());
  EXPECT_NE(task.isRunning(), 0u) << "the id still says that a body runs";
  EXPECT_EQ(task.start(0), Start::AlreadyRunning);
  task.release = true;
  ASSERT_TRUE(eventually([&] { return task.isRunning() == 0; }));
  EXPECT_EQ(task.bodies, 1) << "the refused start made no thread";
}

TEST(ThreadTaskTest, ACancelledThreadRunsNoBodyNotEvenThatOfTheNextStart) {
  for (int round = 0; round < 20; ++round) {
    ProbeTask task;
    // Holding the task's mutex keeps the new threads at their first step.
    ASSERT_EQ(task.mutex().lock(0), 0);
    ASSERT_EQ(task.start(0), Start::Started);
    ASSERT_TRUE(task.cancelPending());
    ASSERT_EQ(task.start(0), Start::Started);
    task.mutex().unlock();
    ASSERT_TRUE(eventually([&] { return task.isRunning() == 0; }));
    task.cancelAndWait();
    EXPECT_EQ(task.bodies, 1) << "round " << round;
  }
}

TEST(ThreadTaskTest, DestroyingRightAfterStartIsSafe) {
  // Either outcome is fine (the body ran or was cancelled); a worker that touches the freed task
  // is not, and the sanitizer build catches it.
  for (int i = 0; i < 100; ++i) {
    auto task =
        std::make_unique<ProbeTask>();  // on the heap, where the sanitizer sees a late touch
    ASSERT_EQ(task->start(0), Start::Started);
    if (i % 3 == 0) platform::sleepMs(0);
  }
}

}  // namespace
}  // namespace vexa
