#include "base/thread_task.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "platform/clock.h"

namespace vexa {
namespace {

using platform::sleepMs;
using platform::tickMs;

// Waits up to 10 s for a condition instead of hanging the test run.
template <typename Condition>
bool eventually(Condition condition) {
  const uint32_t start = tickMs();
  while (!condition()) {
    if (tickMs() - start > 10000) return false;
    sleepMs(1);
  }
  return true;
}

// A body that reports what it saw and runs until released.
class ProbeTask : public ThreadTask {
 public:
  ~ProbeTask() override {
    release = true;
    cancelAndWait();
  }

  std::atomic<int> bodies{0};
  std::atomic<bool> ownThreadInside{false};
  std::atomic<uint64_t> runningInside{0};
  std::atomic<bool> release{true};
  std::atomic<uint32_t> pauseMs{0};

 protected:
  void run() override {
    ++bodies;
    ownThreadInside = isOwnThread();
    runningInside = isRunning();
    const uint32_t start = tickMs();
    for (int i = 0; i < 5; ++i) pause();
    pauseMs = tickMs() - start;
    while (!release) sleepMs(1);
  }
};

TEST(ThreadTaskTest, BodyRunsOnItsOwnThreadAndEnds) {
  ProbeTask task;
  task.release = false;
  EXPECT_EQ(task.isRunning(), 0u);
  ASSERT_EQ(task.start(0), ThreadTask::StartResult::Started);
  const uint64_t id = task.isRunning();
  EXPECT_NE(id, 0u);
  EXPECT_NE(id, platform::currentThreadId());
  EXPECT_FALSE(task.isOwnThread()) << "not on the GUI thread";
  ASSERT_TRUE(eventually([&] { return task.bodies == 1; }));

  EXPECT_EQ(task.start(0), ThreadTask::StartResult::AlreadyRunning);
  task.release = true;
  ASSERT_TRUE(eventually([&] { return task.isRunning() == 0; }));
  EXPECT_EQ(task.bodies, 1) << "the refused start made no thread";
  EXPECT_TRUE(task.ownThreadInside);
  EXPECT_EQ(task.runningInside, id);
  EXPECT_GE(task.pauseMs, 5u) << "pause() sleeps on the worker";

  // Idle again: a new start runs the body again, on a new thread.
  ASSERT_EQ(task.start(0), ThreadTask::StartResult::Started);
  EXPECT_NE(task.isRunning(), id);
  ASSERT_TRUE(eventually([&] { return task.isRunning() == 0; }));
  EXPECT_EQ(task.bodies, 2);
}

TEST(ThreadTaskTest, PauseDoesNotSleepOffTheWorker) {
  ProbeTask task;
  const uint32_t start = tickMs();
  for (int i = 0; i < 1000; ++i) task.pause();
  EXPECT_LT(tickMs() - start, 500u);
}

TEST(ThreadTaskTest, ClearingTheIdBeforeTheWorkerReadsItCancelsTheBody) {
  {
    ProbeTask task;
    // Holding the task's mutex keeps the new thread at its first step.
    ASSERT_EQ(task.mutex().lock(0), 0);
    ASSERT_EQ(task.start(0), ThreadTask::StartResult::Started);
    EXPECT_TRUE(task.cancelPending());
    EXPECT_EQ(task.isRunning(), 0u);
    EXPECT_FALSE(task.cancelPending()) << "nothing left to cancel";
    task.mutex().unlock();
    task.cancelAndWait();
    EXPECT_EQ(task.bodies, 0);
  }
}

TEST(ThreadTaskTest, ACancelledThreadNeverRunsTheBodyOfTheNextStart) {
  for (int round = 0; round < 20; ++round) {
    ProbeTask task;
    ASSERT_EQ(task.mutex().lock(0), 0);
    ASSERT_EQ(task.start(0), ThreadTask::StartResult::Started);
    ASSERT_TRUE(task.cancelPending());
    ASSERT_EQ(task.start(0), ThreadTask::StartResult::Started);
    task.mutex().unlock();
    ASSERT_TRUE(eventually([&] { return task.isRunning() == 0; }));
    task.cancelAndWait();
    EXPECT_EQ(task.bodies, 1) << "round " << round;
  }
}

TEST(ThreadTaskTest, CancelDoesNothingOnceTheBodyRuns) {
  ProbeTask task;
  task.release = false;
  ASSERT_EQ(task.start(0), ThreadTask::StartResult::Started);
  ASSERT_TRUE(eventually([&] { return task.bodies == 1; }));
  EXPECT_FALSE(task.cancelPending());
  EXPECT_NE(task.isRunning(), 0u) << "the id still says that a body runs";
  EXPECT_EQ(task.start(0), ThreadTask::StartResult::AlreadyRunning);
  task.release = true;
}

TEST(ThreadTaskTest, DestroyingRightAfterStartIsSafe) {
  // Either outcome is fine (the body ran or was cancelled); a worker that touches the freed task
  // is not, and the sanitizer build catches it.
  for (int i = 0; i < 100; ++i) {
    auto task = std::make_unique<ProbeTask>();
    ASSERT_EQ(task->start(0), ThreadTask::StartResult::Started);
    if (i % 3 == 0) sleepMs(0);
    task.reset();
  }
}

}  // namespace
}  // namespace vexa
