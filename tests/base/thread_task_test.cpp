#include "base/thread_task.h"

#include <gtest/gtest.h>

#include <atomic>

#include "tests/platform/test_support.h"

namespace vexa {
namespace {

using platform::tickMs;
using test::eventually;
using Start = ThreadTask::StartResult;

// A body that reports what it saw and runs until released.
class ProbeTask : public ThreadTask {
 public:
  ~ProbeTask() override {
    release = true;
    cancelAndWait();
  }
  std::atomic<int> bodies{0};
  std::atomic<bool> ownThreadInside{false}, release{true};
  std::atomic<uint64_t> idInside{0};
  std::atomic<uint32_t> pauseMs{0};

 protected:
  void run() override {
    ++bodies;
    ownThreadInside = isOwnThread();
    idInside = isRunning();
    const uint32_t start = tickMs();
    for (int i = 0; i < 5; ++i) pause();
    pauseMs = tickMs() - start;
    while (!release) platform::sleepMs(1);
  }
};

TEST(ThreadTaskTest, BodyRunsOnItsOwnThreadAndCannotBeCancelledOnceBegun) {
  ProbeTask task;
  task.release = false;
  EXPECT_EQ(task.isRunning(), 0u);
  ASSERT_EQ(task.start(0), Start::Started);
  const uint64_t id = task.isRunning();
  EXPECT_NE(id, 0u);
  EXPECT_NE(id, platform::currentThreadId());
  EXPECT_FALSE(task.isOwnThread()) << "not on the GUI thread";
  ASSERT_TRUE(eventually([&] { return task.bodies == 1; }));
  EXPECT_FALSE(task.cancelPending());
  EXPECT_EQ(task.isRunning(), id) << "the id still says that a body runs";
  EXPECT_EQ(task.start(0), Start::AlreadyRunning);
  const uint32_t start = tickMs();
  for (int i = 0; i < 1000; ++i) task.pause();
  EXPECT_LT(tickMs() - start, 500u) << "pause() sleeps only on the worker";

  task.release = true;
  ASSERT_TRUE(eventually([&] { return task.isRunning() == 0; }));
  EXPECT_EQ(task.bodies, 1) << "the refused start made no thread";
  EXPECT_TRUE(task.ownThreadInside);
  EXPECT_EQ(task.idInside, id);
  EXPECT_GE(task.pauseMs, 5u);
  // Idle again: a new start runs the body again, on a new thread.
  ASSERT_EQ(task.start(0), Start::Started);
  EXPECT_NE(task.isRunning(), id);
  ASSERT_TRUE(eventually([&] { return task.bodies == 2; }));
}

TEST(ThreadTaskTest, ACancelledThreadRunsNoBodyNotEvenThatOfTheNextStart) {
  for (int round = 0; round < 20; ++round) {
    ProbeTask task;
    // Holding the task's mutex keeps the new threads at their first step.
    ASSERT_EQ(task.mutex().lock(0), 0);
    ASSERT_EQ(task.start(0), Start::Started);
    ASSERT_TRUE(task.cancelPending());
    EXPECT_EQ(task.isRunning(), 0u);
    EXPECT_FALSE(task.cancelPending()) << "nothing left to cancel";
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
    ProbeTask task;
    ASSERT_EQ(task.start(0), Start::Started);
    if (i % 3 == 0) platform::sleepMs(0);
  }
}

}  // namespace
}  // namespace vexa
