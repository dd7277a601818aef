#include "base/loop_runner.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/base/test_support.h"

namespace vexa {
namespace {

using platform::MessageQueue;
using platform::WM_USER;

class RecordingRunner : public LoopRunner {
 public:
  using LoopRunner::LoopRunner;
  int starts = 0, stops = 0, ticks = 0, steps = 0;
  bool failStart = false;
  int refusePhase = -1, refuseAt = 0;  // canStep(refusePhase) says no from step refuseAt on
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

TEST(LoopRunnerTest, QuitEndsTheRunAfterEarlierMessagesAndStopRunsOnce) {
  MessageQueue queue;
  RecordingRunner runner(queue);
  test::Handler window;
  window.body = [&](uint32_t) {
    if (window.seen.size() == 3) runner.quit();
  };
  for (int i = 0; i < 5; ++i) queue.post(&window, WM_USER);
  EXPECT_FALSE(runner.runToEnd(LoopRequest{0, -1}));
  EXPECT_EQ(window.seen.size(), 5u) << "messages posted before the quit are still handled";
  EXPECT_EQ(runner.ticks, 0) << "without ticking, messages flow but no pass is made";
  EXPECT_EQ(runner.tickTime(), 0u);
  EXPECT_EQ(runner.starts, 1);
  EXPECT_EQ(runner.stops, 1);
  EXPECT_FALSE(runner.isRunning());
}

TEST(LoopRunnerTest, FailedStartStopsWithoutSteppingAndMayRunAgain) {
  MessageQueue queue;
  RecordingRunner runner(queue);
  runner.setTicking(true);
  runner.failStart = true;
  EXPECT_TRUE(runner.runToEnd(LoopRequest{0, -1}));
  EXPECT_EQ(runner.stops, 1);
  EXPECT_EQ(runner.steps, 0);
  EXPECT_FALSE(runner.isRunning());
  runner.failStart = false;
  runner.onTick = [](RecordingRunner& self) { self.quit(); };
  EXPECT_FALSE(runner.runToEnd(LoopRequest{0, -1}));
  EXPECT_EQ(runner.starts, 2);
  EXPECT_EQ(runner.stops, 2);
}

TEST(LoopRunnerTest, CanStepOrAStopRequestEndsTheRun) {
  struct Case {
    int refusePhase, refuseAt;
    LoopRequest request;
    int expectedSteps, expectedTicks;
  } cases[] = {
      {0, 4, {0, -1}, 4, 3},  // phase 0 refuses before the pump steps
      {1, 4, {0, -1}, 4, 4},  // phase 1 after
      {-1, 0, {1, -1}, 1, 1},
  };
  for (const Case& c : cases) {
    MessageQueue queue;
    RecordingRunner runner(queue);
    runner.setTicking(true);
    runner.refusePhase = c.refusePhase;
    runner.refuseAt = c.refuseAt;
    EXPECT_FALSE(runner.runToEnd(c.request));
    EXPECT_EQ(runner.steps, c.expectedSteps) << c.refusePhase;
    EXPECT_EQ(runner.ticks, c.expectedTicks) << c.refusePhase;
    EXPECT_EQ(runner.stops, 1) << c.refusePhase;
  }
}

TEST(LoopRunnerTest, StopRequestEndsTheRunWithOneQuit) {
  MessageQueue queue;
  RecordingRunner runner(queue);
  runner.setTicking(true);
  runner.onTick = [](RecordingRunner& self) {
    if (self.ticks == 3) self.requestStop();
  };
  test::Handler window;
  for (int i = 0; i < 10; ++i) queue.post(&window, WM_USER);
  EXPECT_FALSE(runner.runToEnd(LoopRequest{0, -1}));
  EXPECT_EQ(runner.stops, 1);
  // The quit is asked at every step until it is seen, behind the backlog, yet it comes only
  // once: nothing is left that would end the next run at once.
  platform::WindowMessage message;
  EXPECT_FALSE(queue.peek(message));
  EXPECT_EQ(window.seen.size(), 10u);
}

TEST(LoopRunnerTest, NestedRunFromAHandlerEndsWithTheOuterOne) {
  MessageQueue queue;
  RecordingRunner runner(queue);
  test::Handler window;
  window.body = [&](uint32_t message) {
    if (message == WM_USER) {
      queue.post(&window, WM_USER + 1);
      queue.post(&window, WM_USER + 2);
      EXPECT_FALSE(runner.runToEnd(LoopRequest{0, -1}));
    } else if (message == WM_USER + 2) {
      runner.quit();
    }
  };
  queue.post(&window, WM_USER);
  // The nested run sees the quit; the outer one must still end instead of waiting for ever.
  EXPECT_FALSE(runner.runToEnd(LoopRequest{0, -1}));
  EXPECT_EQ(window.seen.size(), 3u);
  EXPECT_EQ(runner.starts, 1);
  EXPECT_EQ(runner.stops, 1);
  EXPECT_FALSE(runner.isRunning());
}

}  // namespace
}  // namespace vexa
