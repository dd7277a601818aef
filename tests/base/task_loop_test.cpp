#include "base/task_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/base/test_support.h"

namespace vexa {
namespace {

using namespace platform;
using test::ScriptTask;

TEST(TaskLoopTest, EveryPassResumesEachLiveTaskInOrder) {
  MessageQueue queue;
  TaskLoop loop(queue);
  std::string log;
  ScriptTask late(test::logging(log, "e"));
  ScriptTask a([&](ScriptTask& self) {
    log += 'A';
    self.yield();
    late.start(0);  // started mid-pass: it comes after `a` in the order, so in this same pass
    log += 'A';
    self.yield();
    log += 'A';
  });
  ScriptTask b(test::logging(log, "B|B|B|")), never(test::logging(log, "N"));
  FiberTask* order[] = {&a, &late, &never, &b, nullptr};  // never started: skipped; null: ignored
  for (FiberTask* task : order) loop.addTask(task);
  ASSERT_FALSE(a.start(0));
  ASSERT_FALSE(b.start(0));
  loop.stop();  // outside a run: nothing to end, and nothing left to end the next run early
  loop.setStopWhenIdle(true);
  EXPECT_FALSE(loop.run());
  EXPECT_EQ(log, "ABAeBAB");
  EXPECT_EQ(loop.passes(), 4u) << "three passes of slices, one that finds no live task";
  EXPECT_FALSE(loop.run()) << "and it can run again";
  EXPECT_EQ(loop.passes(), 5u);
}

TEST(TaskLoopTest, BusyTaskRunsAtFullSpeed) {
  MessageQueue queue;
  TaskLoop loop(queue);
  ScriptTask busy([](ScriptTask& self) {
    for (int i = 0; i < 1000; ++i) self.yieldBusy();
  });
  loop.addTask(&busy);
  loop.setStopWhenIdle(true);
  ASSERT_FALSE(busy.start(0));
  const uint32_t start = tickMs();
  EXPECT_FALSE(loop.run());
  EXPECT_LT(tickMs() - start, 500u) << "a millisecond's sleep per pass would take a second";
  EXPECT_EQ(loop.passes(), 1001u) << "one pass per slice, the last one ends the task";
}

TEST(TaskLoopTest, PollingPassesSleepAMillisecondEach) {
  MessageQueue queue;
  TaskLoop loop(queue);
  const uint32_t start = tickMs();
  ScriptTask poller([start](ScriptTask& self) {
    while (tickMs() - start < 100) self.yield();
  });
  loop.addTask(&poller);
  loop.setStopWhenIdle(true);
  ASSERT_FALSE(poller.start(0));
  EXPECT_FALSE(loop.run());
  // Each polling pass sleeps at least 1 ms, so there cannot be more passes than milliseconds.
  EXPECT_LE(loop.passes(), tickMs() - start + 2);
  EXPECT_GE(loop.passes(), 2u);
}

TEST(TaskLoopTest, WaitingTasksCostAHandfulOfPassesAndTheEarliestWakeCounts) {
  MessageQueue queue;
  TaskLoop loop(queue);
  const uint32_t start = tickMs();
  ScriptTask far([start](ScriptTask& self) {
    while (tickMs() - start < 60000) self.yieldUntil(start + 60000);
  });
  // When `near` is done it stops the loop; the quit must cut the sleep of `far` short.
  ScriptTask near([&](ScriptTask& self) {
    while (tickMs() - start < 200) self.yieldUntil(start + 200);
    loop.stop();
  });
  loop.addTask(&far);
  loop.addTask(&near);
  ASSERT_FALSE(far.start(0));
  ASSERT_FALSE(near.start(0));
  EXPECT_FALSE(loop.run());
  const uint32_t elapsed = tickMs() - start;
  EXPECT_GE(elapsed, 200u);
  EXPECT_LT(elapsed, 10000u);
  EXPECT_LE(loop.passes(), 6u);
  EXPECT_TRUE(far.isLive());
}

// Counts the loop's steps, ticking or not.
class CountingLoop : public TaskLoop {
 public:
  using TaskLoop::TaskLoop;
  int steps = 0;

 protected:
  bool canStep(int phase) override {
    if (phase == 0) ++steps;
    return TaskLoop::canStep(phase);
  }
};

TEST(TaskLoopTest, AWaitEndsAtOnceForAMessageAQuitOrASignal) {
  enum class Wake { Message, Quit, Signal };
  struct Case {
    Wake wake;
    bool withTask, ticking;
  } cases[] = {
      {Wake::Message, true, true},
      {Wake::Quit, true, true},
      {Wake::Signal, true, true},
      // Nothing live: the loop waits for a message instead of spinning.
      {Wake::Message, false, true},
      {Wake::Message, false, false},
  };
  for (const Case& c : cases) {
    MessageQueue queue;
    queue.receiveSignalQuit();
    CountingLoop loop(queue);
    loop.setTicking(c.ticking);
    int slices = 0;
    ScriptTask sleeper([&slices](ScriptTask& self) {
      for (;;) {
        ++slices;
        self.yieldUntil(tickMs() + 30000);
      }
    });
    if (c.withTask) loop.addTask(&sleeper);
    ASSERT_FALSE(sleeper.start(0));
    test::Handler window;
    window.body = [&loop](uint32_t) { loop.stop(); };
    const uint32_t start = tickMs();
    {
      test::Later later(50, [&] {
        if (c.wake == Wake::Message) queue.post(&window, WM_USER);
        if (c.wake == Wake::Quit) queue.postQuit(0);
        if (c.wake == Wake::Signal) MessageQueue::postQuitFromSignal();
      });
      EXPECT_FALSE(loop.run());
    }
    const int wake = static_cast<int>(c.wake);
    EXPECT_LT(tickMs() - start, 10000u) << wake;
    EXPECT_LE(loop.steps, 3) << wake;
    EXPECT_EQ(static_cast<uint64_t>(slices), c.withTask ? loop.passes() : 0) << wake;
  }
}

TEST(TaskLoopTest, AtMostOneMessagePerPass) {
  MessageQueue queue;
  TaskLoop loop(queue);
  ScriptTask poller([](ScriptTask& self) {
    for (;;) self.yield();
  });
  std::vector<uint64_t> passesAtDispatch;
  test::Handler window;
  window.body = [&](uint32_t message) {
    passesAtDispatch.push_back(loop.passes());
    if (message == WM_USER + 4) loop.stop();
  };
  for (uint32_t i = 0; i < 5; ++i) queue.post(&window, WM_USER + i);
  loop.addTask(&poller);
  ASSERT_FALSE(poller.start(0));
  EXPECT_FALSE(loop.run());
  EXPECT_EQ(passesAtDispatch, (std::vector<uint64_t>{1, 2, 3, 4, 5}));
}

TEST(TaskLoopTest, WithTickingOffMessagesFlowButNoTaskRuns) {
  MessageQueue queue;
  TaskLoop loop(queue);
  std::string log;
  ScriptTask task(test::logging(log, "t"));
  test::Handler window;
  window.body = [&](uint32_t message) {
    log += message == WM_USER ? '1' : '2';
    if (message == WM_USER + 1) loop.setTicking(true);
  };
  loop.addTask(&task);
  loop.setStopWhenIdle(true);
  loop.setTicking(false);
  ASSERT_FALSE(task.start(0));
  queue.post(&window, WM_USER);
  queue.post(&window, WM_USER + 1);
  EXPECT_FALSE(loop.run());
  EXPECT_EQ(log, "12t");
}

}  // namespace
}  // namespace vexa
