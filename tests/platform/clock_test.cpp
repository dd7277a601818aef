#include "platform/clock.h"

#include <gtest/gtest.h>

#include "platform/thread.h"

namespace vexa::platform {
namespace {

TEST(ClockTest, TickComparisonsSurviveTheWrap) {
  struct Case {
    const char* name;
    uint32_t now, target;
    bool reached;
    uint32_t until;
  } cases[] = {
      {"same tick", 100, 100, true, 0},
      {"one before", 99, 100, false, 1},
      {"target just past the wrap", 0xFFFFFFF0u, 0x00000005u, false, 0x15},
      {"now just past the wrap", 0x00000005u, 0xFFFFFFF0u, true, 0},
      {"a day behind across the wrap", 1000, 1000u - 86400000u, true, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(tickReached(c.now, c.target), c.reached) << c.name;
    EXPECT_EQ(ticksUntil(c.now, c.target), c.until) << c.name;
  }
}

TEST(ClockTest, TickFollowsSleep) {
  const uint32_t start = tickMs();
  sleepMs(25);
  const uint32_t elapsed = tickMs() - start;
  EXPECT_GE(elapsed, 25u);
  EXPECT_LT(elapsed, 5000u);
}

}  // namespace
}  // namespace vexa::platform
