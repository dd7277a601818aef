#include "base/loop_runner.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/clock.h"

namespace vexa {
namespace {

using platform::MessageQueue;
using platform::WindowMessage;
using platform::WM_USER;

class RecordingRunner : public LoopRunner {
 public:
  using LoopRunner::LoopRunner;
  int starts = 0;
  int stops = 0;
  int ticks = 0;
  int steps = 0;
  bool failStart = false;
  int refusePhase = -1;  // canStep(phase) says no once steps reaches refuseAt
  int refuseAt = -1;
  std::function<void(RecordingRunner&)> onTick;

 protected:
  bool onStart() override {
    ++starts;
    return failStart;
  }
  void onStop() override { ++stops; }
  void tick(int phase) override {
    if (phase != 0) return;
    ++ticks;
    if (onTick) onTick(*this);
  }
  bool canStep(int phase) override {
    if (phase == 0) ++steps;
    return !(phase == refusePhase && steps >= refuseAt);
  }
};

// A window whose handler runs a test's code.
struct Handler : platform::MessageTarget {
  std::function<void(uint32_t)> body;
  intptr_t windowProc(uint32_t message, uintptr_t, intptr_t) override {
    if (body) body(message);
    return 0;
  }
};

TEST(LoopRunnerTest, QuitMessageEndsTheRunAndStopRunsOnce) {
  MessageQueue queue;
  RecordingRunner runner(queue);
  Handler window;
  int handled = 0;
  window.body = [&](uint32_t) {
    if (++handled == 3) runner.quit();
  };
  for (int i = 0; i < 5; ++i) queue.post(&window, WM_USER);
  EXPECT_FALSE(runner.runToEnd(LoopRequest{0, -1}));
  EXPECT_EQ(runner.starts, 1);
  EXPECT_EQ(runner.stops, 1);
  EXPECT_EQ(handled, 5) << "messages posted before the quit are still handled";
  EXPECT_FALSE(runner.isRunning());
}

TEST(LoopRunnerTest, FailedStartStopsWithoutStepping) {
  MessageQueue queue;
  RecordingRunner runner(queue);
  runner.setTicking(true);
  runner.failStart = true;
  EXPECT_TRUE(runner.runToEnd(LoopRequest{0, -1}));
  EXPECT_EQ(runner.stops, 1);
  EXPECT_EQ(runner.steps, 0);
  EXPECT_EQ(runner.ticks, 0);
  EXPECT_FALSE(runner.isRunning());

  // It can be run again afterwards.
  runner.failStart = false;
  runner.onTick = [](RecordingRunner& self) { self.quit(); };
  EXPECT_FALSE(runner.runToEnd(LoopRequest{0, -1}));
  EXPECT_EQ(runner.starts, 2);
  EXPECT_EQ(runner.stops, 2);
}

TEST(LoopRunnerTest, CanStepEndsTheRunInEitherPhase) {
  for (int phase : {0, 1}) {
    MessageQueue queue;
    RecordingRunner runner(queue);
    runner.setTicking(true);
    runner.refusePhase = phase;
    runner.refuseAt = 4;
    EXPECT_FALSE(runner.runToEnd(LoopRequest{0, -1}));
    EXPECT_EQ(runner.steps, 4) << phase;
    // Phase 0 refuses before the pump steps, phase 1 after.
    EXPECT_EQ(runner.ticks, phase == 0 ? 3 : 4) << phase;
    EXPECT_EQ(runner.stops, 1) << phase;
  }
}

TEST(LoopRunnerTest, StopRequestEndsTheRunWithOneQuit) {
  MessageQueue queue;
  RecordingRunner runner(queue);
  runner.setTicking(true);
  runner.onTick = [](RecordingRunner& self) {
    if (self.ticks == 3) self.requestStop();
  };
  Handler window;
  for (int i = 0; i < 10; ++i) queue.post(&window, WM_USER + static_cast<uint32_t>(i));
  EXPECT_FALSE(runner.runToEnd(LoopRequest{0, -1}));
  EXPECT_EQ(runner.stops, 1);
  // The quit is asked at every step until it is seen, behind the backlog, yet it comes only
  // once: nothing is left that would end the next run at once.
  WindowMessage message;
  EXPECT_FALSE(queue.peek(message));
  EXPECT_GT(runner.ticks, 10);
}

TEST(LoopRunnerTest, StopInTheRequestEndsAtTheFirstStep) {
  MessageQueue queue;
  RecordingRunner runner(queue);
  runner.setTicking(true);
  EXPECT_FALSE(runner.runToEnd(LoopRequest{1, -1}));
  EXPECT_EQ(runner.starts, 1);
  EXPECT_EQ(runner.steps, 1);
  EXPECT_EQ(runner.stops, 1);
}

TEST(LoopRunnerTest, WithoutTickingMessagesFlowButNoPassIsMade) {
  MessageQueue queue;
  RecordingRunner runner(queue);
  Handler window;
  int handled = 0;
  window.body = [&](uint32_t) {
    if (++handled == 4) runner.quit();
  };
  for (int i = 0; i < 4; ++i) queue.post(&window, WM_USER);
  EXPECT_FALSE(runner.runToEnd(LoopRequest{0, -1}));
  EXPECT_EQ(handled, 4);
  EXPECT_EQ(runner.ticks, 0);
  EXPECT_EQ(runner.tickTime(), 0u);
}

TEST(LoopRunnerTest, NestedRunFromAHandlerEndsWithTheOuterOne) {
  MessageQueue queue;
  RecordingRunner runner(queue);
  Handler window;
  int nestedRuns = 0;
  int handled = 0;
  window.body = [&](uint32_t message) {
    ++handled;
    if (message == WM_USER) {
      ++nestedRuns;
      queue.post(&window, WM_USER + 1);
      queue.post(&window, WM_USER + 2);
      EXPECT_FALSE(runner.runToEnd(LoopRequest{0, -1}));
    } else if (message == WM_USER + 2) {
      runner.quit();
    }
  };
  queue.post(&window, WM_USER);
  EXPECT_FALSE(runner.runToEnd(LoopRequest{0, -1}));
  EXPECT_EQ(nestedRuns, 1);
  EXPECT_EQ(handled, 3);
  EXPECT_EQ(runner.starts, 1);
  EXPECT_EQ(runner.stops, 1);
  EXPECT_FALSE(runner.isRunning());
}

TEST(LoopRunnerTest, TimerIntervalTicksWithoutMessages) {
  MessageQueue queue;
  RecordingRunner runner(queue);
  runner.setTicking(true);
  runner.onTick = [](RecordingRunner& self) {
    if (self.ticks == 4) self.quit();
  };
  const uint32_t start = platform::tickMs();
  EXPECT_FALSE(runner.runToEnd(LoopRequest{0, 15}));
  EXPECT_EQ(runner.ticks, 4);
  // One tick at once, then three from the 15 ms timer.
  EXPECT_GE(platform::tickMs() - start, 45u);
  EXPECT_NE(runner.tickTime(), 0u);
  EXPECT_EQ(runner.stops, 1);
}

}  // namespace
}  // namespace vexa
