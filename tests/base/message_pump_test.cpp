#include "base/message_pump.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/thread.h"

namespace vexa {
namespace {

using platform::MessageQueue;
using platform::WindowMessage;
using platform::WM_QUIT;
using platform::WM_TIMER;
using platform::WM_USER;

struct CountingSource : TickSource {
  int phase0 = 0;
  int phase1 = 0;
  void tick(int phase) override { ++(phase == 0 ? phase0 : phase1); }
};

struct Recorder : platform::MessageTarget {
  std::vector<uint32_t> seen;
  intptr_t windowProc(uint32_t message, uintptr_t, intptr_t) override {
    seen.push_back(message);
    return 0;
  }
};

TEST(MessagePumpTest, PollingTicksEveryStepAndTakesOneMessage) {
  struct Case {
    const char* name;
    bool ticking;
    int posted;
    int steps;
    int expectedTicks;
    size_t expectedDispatched;
  };
  const Case cases[] = {
      {"idle, ticking", true, 0, 3, 3, 0},
      {"backlog drains one per step", true, 5, 3, 3, 3},
      {"not ticking: messages still flow, no slices", false, 2, 3, 0, 2},
  };
  for (const Case& c : cases) {
    MessageQueue queue;
    CountingSource source;
    source.setTicking(c.ticking);
    Recorder window;
    for (int i = 0; i < c.posted; ++i) queue.post(&window, WM_USER + static_cast<uint32_t>(i));
    int32_t interval = -1;
    MessagePump pump(source, &interval, queue);
    for (int i = 0; i < c.steps; ++i) EXPECT_TRUE(pump.step()) << c.name;
    EXPECT_EQ(source.phase0, c.expectedTicks) << c.name;
    EXPECT_EQ(source.phase1, c.expectedTicks) << c.name;
    EXPECT_EQ(window.seen.size(), c.expectedDispatched) << c.name;
    for (size_t i = 0; i < window.seen.size(); ++i) EXPECT_EQ(window.seen[i], WM_USER + i);
    EXPECT_FALSE(pump.hasTimer());
  }
}

TEST(MessagePumpTest, QuitEndsEveryModeAndStaysSeen) {
  for (int32_t interval : {-1, 0, 25}) {
    MessageQueue queue;
    CountingSource source;
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

TEST(MessagePumpTest, TimerModeTicksFromItsTimer) {
  MessageQueue queue;
  CountingSource source;
  source.setTicking(true);
  int32_t interval = 20;
  MessagePump pump(source, &interval, queue);

  const uint32_t start = platform::tickMs();
  EXPECT_TRUE(pump.step());
  // A fresh timer ticks once at once; the step then blocks until the timer's own message.
  EXPECT_EQ(source.phase0, 2);
  EXPECT_GE(platform::tickMs() - start, 20u);
  EXPECT_TRUE(pump.hasTimer());
  EXPECT_TRUE(pump.step());
  EXPECT_EQ(source.phase0, 3);

  // Other messages are dispatched, not counted as ticks.
  Recorder window;
  queue.post(&window, WM_USER);
  EXPECT_TRUE(pump.step());
  EXPECT_EQ(window.seen, std::vector<uint32_t>{WM_USER});
  EXPECT_EQ(source.phase0, 3);

  // Someone else's timer goes to its window.
  const uint32_t foreign = queue.setTimer(10, &window);
  while (window.seen.size() < 2) ASSERT_TRUE(pump.step());
  EXPECT_EQ(window.seen[1], WM_TIMER);
  queue.killTimer(foreign);

  // A new interval restarts the timer, which ticks at once again.
  interval = 30;
  const int before = source.phase0;
  EXPECT_TRUE(pump.step());
  EXPECT_GE(source.phase0, before + 1);
}

TEST(MessagePumpTest, TimerModeWithoutTickingKeepsNoTimer) {
  MessageQueue queue;
  CountingSource source;
  int32_t interval = 15;
  MessagePump pump(source, &interval, queue);
  queue.post(nullptr, WM_USER);
  EXPECT_TRUE(pump.step());  // would block for ever without the posted message
  EXPECT_FALSE(pump.hasTimer());
  EXPECT_EQ(source.phase0, 0);

  source.setTicking(true);
  EXPECT_TRUE(pump.step());
  EXPECT_TRUE(pump.hasTimer());
  source.setTicking(false);
  queue.post(nullptr, WM_USER);
  EXPECT_TRUE(pump.step());
  EXPECT_FALSE(pump.hasTimer()) << "ticking off kills the timer";
}

TEST(MessagePumpTest, ZeroIntervalBlocksForAMessageAndNeverTicks) {
  MessageQueue queue;
  CountingSource source;
  source.setTicking(true);
  int32_t interval = 20;
  MessagePump pump(source, &interval, queue);
  EXPECT_TRUE(pump.step());
  ASSERT_TRUE(pump.hasTimer());
  const int ticks = source.phase0;

  interval = 0;
  Recorder window;
  std::thread later([&queue, &window] {
    platform::sleepMs(60);
    queue.post(&window, WM_USER);
  });
  EXPECT_TRUE(pump.step());
  later.join();
  EXPECT_FALSE(pump.hasTimer()) << "the timer of the earlier mode is gone";
  EXPECT_EQ(window.seen, std::vector<uint32_t>{WM_USER});
  EXPECT_EQ(source.phase0, ticks);
}

TEST(MessagePumpTest, DestroyedPumpLeavesNoTimerBehind) {
  MessageQueue queue;
  CountingSource source;
  source.setTicking(true);
  int32_t interval = 10;
  {
    MessagePump pump(source, &interval, queue);
    EXPECT_TRUE(pump.step());
    EXPECT_TRUE(pump.hasTimer());
  }
  platform::sleepMs(40);
  WindowMessage message;
  EXPECT_FALSE(queue.peek(message));
}

}  // namespace
}  // namespace vexa
