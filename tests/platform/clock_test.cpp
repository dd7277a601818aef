#include "platform/clock.h"

#include <gtest/gtest.h>

#include "platform/thread.h"

namespace vexa::platform {
namespace {

TEST(ClockTest, TickComparisonsSurviveTheWrap) {
  struct Case {
    const char* name;
    uint32_t now;
    uint32_t target;
    bool reached;
    uint32_t until;
  };
  const Case cases[] = {
      {"same tick", 100, 100, true, 0},
      {"one after", 101, 100, true, 0},
      {"one before", 99, 100, false, 1},
      {"target just past the wrap", 0xFFFFFFF0u, 0x00000005u, false, 0x15},
      {"now just past the wrap", 0x00000005u, 0xFFFFFFF0u, true, 0},
      {"at the top", 0xFFFFFFFFu, 0xFFFFFFFFu, true, 0},
      {"a day ahead", 1000, 1000 + 86400000u, false, 86400000u},
      {"a day behind across the wrap", 1000, 1000u - 86400000u, true, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(tickReached(c.now, c.target), c.reached) << c.name;
    EXPECT_EQ(ticksUntil(c.now, c.target), c.until) << c.name;
  }
}

TEST(ClockTest, TickNeverGoesBackAndFollowsSleep) {
  uint32_t previous = tickMs();
  for (int i = 0; i < 10000; ++i) {
    const uint32_t now = tickMs();
    ASSERT_TRUE(tickReached(now, previous));
    previous = now;
  }
  const uint32_t start = tickMs();
  sleepMs(25);
  const uint32_t elapsed = tickMs() - start;
  EXPECT_GE(elapsed, 25u);
  EXPECT_LT(elapsed, 5000u);
}

}  // namespace
}  // namespace vexa::platform
