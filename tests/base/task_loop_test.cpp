#include "base/task_loop.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/thread.h"

namespace vexa {
namespace {

using platform::MessageQueue;
using platform::sleepMs;
using platform::tickMs;
using platform::WM_USER;

class ScriptTask : public FiberTask {
 public:
  explicit ScriptTask(std::function<void(ScriptTask&)> body) : body_(std::move(body)) {}

 protected:
  void run() override { body_(*this); }

 private:
  std::function<void(ScriptTask&)> body_;
};

struct Handler : platform::MessageTarget {
  std::function<void(uint32_t)> body;
  intptr_t windowProc(uint32_t message, uintptr_t, intptr_t) override {
    if (body) body(message);
    return 0;
  }
};

// Runs `action` on another thread after `delayMs`; joins on destruction.
class Later {
 public:
  template <typename Action>
  Later(uint32_t delayMs, Action action)
      : thread_([delayMs, action] {
          sleepMs(delayMs);
          action();
        }) {}
  ~Later() { thread_.join(); }

 private:
  std::thread thread_;
};

TEST(TaskLoopTest, EveryPassResumesEachLiveTaskInOrder) {
  MessageQueue queue;
  TaskLoop loop(queue);
  std::string log;
  auto slices = [&log](char name, int count) {
    return [&log, name, count](ScriptTask& self) {
      for (int i = 0; i < count; ++i) {
        log += name;
        self.yield();
      }
    };
  };
  ScriptTask late([&log](ScriptTask&) { log += 'e'; });
  ScriptTask a([&](ScriptTask& self) {
    log += 'A';
    self.yield();
    late.start(0);  // started mid-pass: it comes after `a` in the order, so in this same pass
    log += 'A';
    self.yield();
    log += 'A';
  });
  ScriptTask b(slices('B', 3));
  ScriptTask never(slices('N', 1));
  loop.addTask(&a);
  loop.addTask(&late);
  loop.addTask(&never);  // never started: skipped
  loop.addTask(&b);
  loop.addTask(nullptr);  // ignored
  ASSERT_FALSE(a.start(0));
  ASSERT_FALSE(b.start(0));
  loop.setStopWhenIdle(true);
  EXPECT_FALSE(loop.run());
  EXPECT_EQ(log, "ABAeBAB");
  EXPECT_EQ(loop.passes(), 4u) << "three passes of slices, one that finds no live task";
}

TEST(TaskLoopTest, StopsAtOnceWhenIdleFromTheStart) {
  MessageQueue queue;
  TaskLoop loop(queue);
  loop.setStopWhenIdle(true);
  EXPECT_FALSE(loop.run());
  EXPECT_EQ(loop.passes(), 1u);
  // And it can run again.
  EXPECT_FALSE(loop.run());
  EXPECT_EQ(loop.passes(), 2u);
}

TEST(TaskLoopTest, BusyTaskRunsAtFullSpeed) {
  MessageQueue queue;
  TaskLoop loop(queue);
  int slices = 0;
  ScriptTask busy([&slices](ScriptTask& self) {
    for (int i = 0; i < 1000; ++i) {
      ++slices;
      self.yieldBusy();
    }
  });
  loop.addTask(&busy);
  loop.setStopWhenIdle(true);
  ASSERT_FALSE(busy.start(0));
  const uint32_t start = tickMs();
  EXPECT_FALSE(loop.run());
  // A millisecond's sleep per pass would take at least a second.
  EXPECT_LT(tickMs() - start, 500u);
  EXPECT_EQ(slices, 1000);
  EXPECT_EQ(loop.passes(), 1001u) << "one pass per slice, the last one ends the task";
}

TEST(TaskLoopTest, WaitingTaskCostsAHandfulOfPasses) {
  MessageQueue queue;
  TaskLoop loop(queue);
  const uint32_t start = tickMs();
  ScriptTask waiter([start](ScriptTask& self) {
    const uint32_t wake = start + 200;
    while (!platform::tickReached(tickMs(), wake)) self.yieldUntil(wake);
  });
  loop.addTask(&waiter);
  loop.setStopWhenIdle(true);
  ASSERT_FALSE(waiter.start(0));
  EXPECT_FALSE(loop.run());
  EXPECT_GE(tickMs() - start, 200u);
  EXPECT_LE(loop.passes(), 6u);
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
  const uint32_t elapsed = tickMs() - start;
  // Each polling pass sleeps at least 1 ms, so there cannot be more passes than milliseconds.
  EXPECT_LE(loop.passes(), elapsed + 2);
  EXPECT_GE(loop.passes(), 2u);
}

TEST(TaskLoopTest, EarliestWakeDecidesTheSleep) {
  MessageQueue queue;
  TaskLoop loop(queue);
  const uint32_t start = tickMs();
  bool late = false;
  ScriptTask far([&late, start](ScriptTask& self) {
    while (tickMs() - start < 60000) self.yieldUntil(start + 60000);
    late = true;
  });
  ScriptTask near([start](ScriptTask& self) {
    while (tickMs() - start < 80) self.yieldUntil(start + 80);
  });
  Handler window;
  window.body = [&loop](uint32_t) { loop.stop(); };
  // When `near` ends, the watcher ends the loop; `far` must not have set the pace.
  ScriptTask watcher([&](ScriptTask& self) {
    while (near.isLive()) self.yieldUntil(tickMs() + 60000);
    queue.post(&window, WM_USER);
  });
  loop.addTask(&far);
  loop.addTask(&near);
  loop.addTask(&watcher);
  ASSERT_FALSE(far.start(0));
  ASSERT_FALSE(near.start(0));
  ASSERT_FALSE(watcher.start(0));
  EXPECT_FALSE(loop.run());
  const uint32_t elapsed = tickMs() - start;
  EXPECT_GE(elapsed, 80u);
  EXPECT_LT(elapsed, 10000u);
  EXPECT_LE(loop.passes(), 8u);
  EXPECT_FALSE(late);
}

TEST(TaskLoopTest, PostedMessageEndsALongWaitAtOnce) {
  MessageQueue queue;
  TaskLoop loop(queue);
  int slices = 0;
  ScriptTask sleeper([&slices](ScriptTask& self) {
    for (;;) {
      ++slices;
      self.yieldUntil(tickMs() + 30000);
    }
  });
  Handler window;
  window.body = [&loop](uint32_t) { loop.stop(); };
  loop.addTask(&sleeper);
  ASSERT_FALSE(sleeper.start(0));
  const uint32_t start = tickMs();
  {
    Later post(50, [&] { queue.post(&window, WM_USER); });
    EXPECT_FALSE(loop.run());
  }
  EXPECT_LT(tickMs() - start, 10000u);
  EXPECT_LE(loop.passes(), 4u);
  EXPECT_EQ(static_cast<uint64_t>(slices), loop.passes()) << "the woken pass still gives a slice";
}

TEST(TaskLoopTest, AtMostOneMessagePerPass) {
  MessageQueue queue;
  TaskLoop loop(queue);
  ScriptTask poller([](ScriptTask& self) {
    for (;;) self.yield();
  });
  std::vector<uint64_t> passesAtDispatch;
  Handler window;
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

TEST(TaskLoopTest, NothingLiveMeansWaitingForAMessageNotSpinning) {
  for (bool ticking : {true, false}) {
    MessageQueue queue;
    CountingLoop loop(queue);
    loop.setTicking(ticking);
    Handler window;
    window.body = [&loop](uint32_t) { loop.stop(); };
    {
      Later post(100, [&] { queue.post(&window, WM_USER); });
      EXPECT_FALSE(loop.run());
    }
    EXPECT_LE(loop.steps, 3) << "ticking " << ticking;
  }
}

TEST(TaskLoopTest, WithTickingOffMessagesFlowButNoTaskRuns) {
  MessageQueue queue;
  TaskLoop loop(queue);
  std::string log;
  ScriptTask task([&log](ScriptTask&) { log += 't'; });
  Handler window;
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

TEST(TaskLoopTest, ATaskCanStopTheLoop) {
  MessageQueue queue;
  TaskLoop loop(queue);
  int slices = 0;
  ScriptTask stopper([&](ScriptTask& self) {
    for (;;) {
      if (++slices == 3) {
        loop.stop();
        self.yieldUntil(tickMs() + 30000);  // the quit must cut this sleep short
      } else {
        self.yield();
      }
    }
  });
  loop.addTask(&stopper);
  ASSERT_FALSE(stopper.start(0));
  const uint32_t start = tickMs();
  EXPECT_FALSE(loop.run());
  EXPECT_LT(tickMs() - start, 10000u);
  EXPECT_EQ(slices, 3);
}

TEST(TaskLoopTest, QuitFromAnotherThreadOrASignalEndsTheRun) {
  for (bool bySignal : {false, true}) {
    MessageQueue queue;
    queue.receiveSignalQuit();
    TaskLoop loop(queue);
    ScriptTask sleeper([](ScriptTask& self) {
      for (;;) self.yieldUntil(tickMs() + 30000);
    });
    loop.addTask(&sleeper);
    ASSERT_FALSE(sleeper.start(0));
    const uint32_t start = tickMs();
    {
      Later quit(50, [&] {
        if (bySignal) {
          MessageQueue::postQuitFromSignal();
        } else {
          queue.postQuit(0);
        }
      });
      EXPECT_FALSE(loop.run());
    }
    EXPECT_LT(tickMs() - start, 10000u) << bySignal;
    EXPECT_TRUE(sleeper.isLive());
  }
}

TEST(TaskLoopTest, StopOutsideARunLeavesNothingBehind) {
  MessageQueue queue;
  TaskLoop loop(queue);
  loop.stop();
  platform::WindowMessage message;
  EXPECT_FALSE(queue.peek(message));
}

}  // namespace
}  // namespace vexa
