#include "base/task_loop.h"

#include <gtest/gtest.h>

#include "tests/base/test_support.h"

namespace vexa {
namespace {

using namespace platform;
using test::ScriptTask;

TEST(TaskLoopTest, EveryPassResumesEachLiveTaskInOrderAndPollingPassesSleep) {
  MessageQueue queue;
  TaskLoop loop(queue);
  std::string log;
  ScriptTask a(test::logging(log, "A|A|A")), b(test::logging(log, "B|B|B|"));
  ScriptTask never(test::logging(log, "N"));
  FiberTask* order[] = {&a, &never, &b, nullptr};  // never started: skipped; null: ignored
  for (FiberTask* task : order) loop.addTask(task);
  ASSERT_FALSE(a.start(0) || b.start(0));
  loop.stop();  // outside a run: nothing to end, and nothing left to end the next run early
  loop.setStopWhenIdle(true);
  const uint32_t start = tickMs();
  EXPECT_FALSE(loop.run());
  EXPECT_GE(tickMs() - start, 2u) << "a pass in which a task polls sleeps 1 ms";
  EXPECT_EQ(log, "ABABAB");
  EXPECT_EQ(loop.passes(), 4u) << "three passes of slices, one that finds no live task";
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
  for (ScriptTask* task : {&far, &near}) loop.addTask(task);
  ASSERT_FALSE(far.start(0) || near.start(0));
  EXPECT_FALSE(loop.run());
  const uint32_t elapsed = tickMs() - start;
  EXPECT_GE(elapsed, 200u);
  EXPECT_LT(elapsed, 10000u);
  EXPECT_LE(loop.passes(), 6u);
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
  const std::tuple<Wake, bool, bool> cases[] = {
      // what ends the wait, a sleeping task, ticking
      {Wake::Message, true, true},  {Wake::Quit, true, true}, {Wake::Signal, true, true},
      {Wake::Message, false, true},  // nothing live: waits for a message instead of spinning
      {Wake::Message, true, false},  // ticking off: the message is handled, no task runs
  };
  for (const auto& [wake, withTask, ticking] : cases) {
    SCOPED_TRACE(testing::Message() << static_cast<int>(wake) << withTask << ticking);
    MessageQueue queue;
    queue.receiveSignalQuit();
    CountingLoop loop(queue);
    loop.setTicking(ticking);
    ScriptTask sleeper([](ScriptTask& self) {
      for (;;) self.yieldUntil(tickMs() + 30000);
    });
    if (withTask) loop.addTask(&sleeper);
    ASSERT_FALSE(sleeper.start(0));
    test::Handler window;
    window.body = [&loop](uint32_t) { loop.stop(); };
    const uint32_t start = tickMs();
    {
      test::Later later(50, [&] {
        if (wake == Wake::Message) queue.post(&window, WM_USER);
        if (wake == Wake::Quit) queue.postQuit(0);
        if (wake == Wake::Signal) MessageQueue::postQuitFromSignal();
      });
      EXPECT_FALSE(loop.run());
    }
    EXPECT_LT(tickMs() - start, 10000u);
    EXPECT_LE(loop.steps, 3);
    EXPECT_EQ(window.seen.size(), wake == Wake::Message ? 1u : 0u);
    EXPECT_EQ(sleeper.bodies, withTask && ticking ? 1 : 0) << "it runs only while ticking";
  }
}

}  // namespace
}  // namespace vexa
