// LoopRunner and the MessagePump it steps.
#include "base/loop_runner.h"

#include <gtest/gtest.h>

#include "base/message_pump.h"
#include "tests/base/test_support.h"

namespace vexa {
namespace {

using namespace platform;

// A runner that counts what it is asked to do; it also serves as a bare tick source.
class RecordingRunner : public LoopRunner {
 public:
  using LoopRunner::LoopRunner;
  int starts = 0, stops = 0, ticks = 0;
  bool failStart = false;
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
};

TEST(MessagePumpTest, PollingTicksEveryStepWhileTickingAndTakesOneMessage) {
  MessageQueue queue;
  RecordingRunner source(queue);
  source.setTicking(true);
  test::Handler window;
  for (uint32_t i = 0; i < 5; ++i) queue.post(&window, WM_USER + i);
  int32_t interval = -1;
  MessagePump pump(source, &interval, queue);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(pump.step());
  EXPECT_EQ(source.ticks, 3);
  EXPECT_EQ(window.seen, (std::vector<uint32_t>{WM_USER, WM_USER + 1, WM_USER + 2}));
  source.setTicking(false);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(pump.step());
  EXPECT_EQ(source.ticks, 3) << "not ticking: no slices";
  EXPECT_EQ(window.seen.size(), 5u) << "but messages still flow";
}

TEST(MessagePumpTest, QuitEndsEveryModeAndStaysSeen) {
  for (int32_t interval : {-1, 0, 25}) {
    MessageQueue queue;
    RecordingRunner source(queue);
    source.setTicking(true);
    MessagePump pump(source, &interval, queue);
    queue.post(nullptr, WM_USER);
    pump.quit();
    EXPECT_TRUE(pump.step()) << interval << ": the earlier message first";
    EXPECT_FALSE(pump.step()) << interval;
    queue.post(nullptr, WM_USER + 1);
    EXPECT_FALSE(pump.step()) << interval << ": seen stays seen";
    EXPECT_EQ(queue.postedCount(), 1u) << interval << ": and takes nothing more";
  }
}

TEST(MessagePumpTest, TimerAndBlockingModes) {
  MessageQueue queue;
  RecordingRunner source(queue);
  source.setTicking(true);
  test::Handler window;
  int32_t interval = 15;
  MessagePump pump(source, &interval, queue);
  const uint32_t start = tickMs();
  EXPECT_TRUE(pump.step());
  // A fresh timer ticks once at once; the step then blocks until the timer's own message.
  EXPECT_EQ(source.ticks, 2);
  EXPECT_GE(tickMs() - start, 15u);
  // Other messages and someone else's timer are dispatched, not counted as ticks.
  queue.post(&window, WM_USER);
  const uint32_t foreign = queue.setTimer(10, &window);
  while (window.seen.size() < 2) ASSERT_TRUE(pump.step());
  queue.killTimer(foreign);
  EXPECT_EQ(window.seen, (std::vector<uint32_t>{WM_USER, WM_TIMER}));

  // Zero: the timer goes, the step blocks for one message and never ticks.
  interval = 0;
  const int ticks = source.ticks;
  test::Later post(60, [&] { queue.post(&window, WM_USER + 1); });
  EXPECT_TRUE(pump.step());
  EXPECT_FALSE(pump.hasTimer());
  EXPECT_EQ(window.seen.back(), WM_USER + 1);
  EXPECT_EQ(source.ticks, ticks);
}

TEST(LoopRunnerTest, AQuitAStopRequestOrAFailedStartEndsTheRunAndStopsOnce) {
  enum class End { Quit, StopRequest, FailedStart };
  for (End end : {End::Quit, End::StopRequest, End::FailedStart}) {
    MessageQueue queue;
    RecordingRunner runner(queue);
    runner.setTicking(true);
    runner.failStart = end == End::FailedStart;
    runner.onTick = [end](RecordingRunner& self) {
      if (self.ticks == 2) end == End::Quit ? self.quit() : self.requestStop();
    };
    test::Handler window;
    for (int i = 0; i < 5; ++i) queue.post(&window, WM_USER);
    EXPECT_EQ(runner.runToEnd(LoopRequest{0, -1}), end == End::FailedStart);
    EXPECT_EQ(runner.stops, 1);
    EXPECT_FALSE(runner.isRunning());
    // A failed start does not step. Otherwise messages posted before the quit are still handled,
    // and, though a stop request asks for the quit at every step until it is seen, one quit
    // comes: nothing is left that would end the next run at once.
    EXPECT_EQ(runner.ticks == 0, end == End::FailedStart);
    EXPECT_EQ(window.seen.size(), end == End::FailedStart ? 0u : 5u);
    EXPECT_EQ(test::drain(queue).size(), end == End::FailedStart ? 5u : 0u);
  }
}

TEST(LoopRunnerTest, NestedRunFromAHandlerEndsWithTheOuterOne) {
  MessageQueue queue;
  RecordingRunner runner(queue);
  test::Handler window;
  window.body = [&](uint32_t message) {
    if (message != WM_USER) return runner.quit();
    queue.post(&window, WM_USER + 1);
    EXPECT_FALSE(runner.runToEnd(LoopRequest{0, -1}));
  };
  queue.post(&window, WM_USER);
  // The nested run sees the quit; the outer one must end too instead of waiting for ever.
  EXPECT_FALSE(runner.runToEnd(LoopRequest{0, -1}));
  EXPECT_EQ(window.seen.size(), 2u);
  EXPECT_EQ(runner.starts, 1);
  EXPECT_EQ(runner.stops, 1);
}

}  // namespace
}  // namespace vexa
