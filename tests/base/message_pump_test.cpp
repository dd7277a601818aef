#include "base/message_pump.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/base/test_support.h"

namespace vexa {
namespace {

using namespace platform;
using Numbers = std::vector<uint32_t>;

struct CountingSource : TickSource {
  int phase0 = 0, phase1 = 0;
  void tick(int phase) override { ++(phase == 0 ? phase0 : phase1); }
};

TEST(MessagePumpTest, PollingTicksEveryStepAndTakesOneMessage) {
  struct Case {
    const char* name;
    bool ticking;
    uint32_t posted;
    int expectedTicks;
    size_t expectedDispatched;
  } cases[] = {
      {"idle, ticking", true, 0, 3, 0},
      {"backlog drains one per step", true, 5, 3, 3},
      {"not ticking: messages still flow, no slices", false, 2, 0, 2},
  };
  for (const Case& c : cases) {
    MessageQueue queue;
    CountingSource source;
    source.setTicking(c.ticking);
    test::Handler window;
    for (uint32_t i = 0; i < c.posted; ++i) queue.post(&window, WM_USER + i);
    int32_t interval = -1;
    MessagePump pump(source, &interval, queue);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(pump.step()) << c.name;
    EXPECT_EQ(source.phase0, c.expectedTicks) << c.name;
    EXPECT_EQ(source.phase1, c.expectedTicks) << c.name;
    EXPECT_EQ(window.seen.size(), c.expectedDispatched) << c.name;
    for (size_t i = 0; i < window.seen.size(); ++i) EXPECT_EQ(window.seen[i], WM_USER + i);
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

TEST(MessagePumpTest, TimerAndBlockingModes) {
  MessageQueue queue;
  CountingSource source;
  test::Handler window;
  int32_t interval = 15;
  {
    MessagePump pump(source, &interval, queue);
    queue.post(&window, WM_USER);
    EXPECT_TRUE(pump.step());  // would block for ever without the posted message
    EXPECT_FALSE(pump.hasTimer()) << "no timer while not ticking";

    source.setTicking(true);
    const uint32_t start = tickMs();
    EXPECT_TRUE(pump.step());
    // A fresh timer ticks once at once; the step then blocks until the timer's own message.
    EXPECT_EQ(source.phase0, 2);
    EXPECT_GE(tickMs() - start, 15u);
    // Other messages and someone else's timer are dispatched, not counted as ticks.
    const uint32_t foreign = queue.setTimer(10, &window);
    queue.post(&window, WM_USER + 1);
    while (window.seen.size() < 3) ASSERT_TRUE(pump.step());
    EXPECT_EQ(window.seen, (Numbers{WM_USER, WM_USER + 1, WM_TIMER}));
    queue.killTimer(foreign);

    // A new interval restarts the timer, which ticks at once and then from the timer.
    interval = 30;
    const int before = source.phase0;
    EXPECT_TRUE(pump.step());
    EXPECT_EQ(source.phase0, before + 2);

    // Zero: the timer goes, the step blocks for one message and never ticks.
    interval = 0;
    test::Later post(60, [&] { queue.post(&window, WM_USER + 2); });
    EXPECT_TRUE(pump.step());
    EXPECT_FALSE(pump.hasTimer());
    EXPECT_EQ(window.seen.back(), WM_USER + 2);
    EXPECT_EQ(source.phase0, before + 2);
    interval = 10;
    EXPECT_TRUE(pump.step());
    EXPECT_TRUE(pump.hasTimer());
  }
  sleepMs(40);
  WindowMessage message;
  EXPECT_FALSE(queue.peek(message)) << "a destroyed pump leaves no timer behind";
}

}  // namespace
}  // namespace vexa
