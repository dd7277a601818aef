#include "platform/fiber.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>

namespace vexa::platform {
namespace {

struct Body {
  Fiber* home;
  std::string* log;
  char name;
  int rounds;
  Fiber* seenCurrent = nullptr;
  int deep = 0;
};

void bodyEntry(void* raw) {
  auto* body = static_cast<Body*>(raw);
  body->seenCurrent = currentFiber();
  deleteFiber(currentFiber());  // refused: it runs
  // Most of the default 1 MiB stack in one frame; the guard page sits below it.
  volatile char block[900 * 1024];
  for (size_t i = 0; i < sizeof block; i += 4096) block[i] = 1;
  for (size_t i = 0; i < sizeof block; i += 4096) body->deep += block[i];
  for (int i = 1; i <= body->rounds; ++i) {
    *body->log += body->name + std::to_string(i);
    switchToFiber(body->home);
  }
  leaveFiber(body->home);
}

TEST(FiberTest, FibersInterleaveAndOnlySuspendedOnesAreDeleted) {
  // Fiber state is per thread: the first conversion is watched on a new one.
  std::thread([] {
    EXPECT_EQ(currentFiber(), nullptr);
    Fiber* home = convertThreadToFiber();
    EXPECT_EQ(convertThreadToFiber(), home);
    EXPECT_EQ(fiberData(home), nullptr);
    std::string log;
    Body a{home, &log, 'a', 3}, b{home, &log, 'b', 2};
    Fiber* fa = createFiber(0, bodyEntry, &a);
    Fiber* fb = createFiber(0, bodyEntry, &b);
    ASSERT_TRUE(fa != nullptr && fb != nullptr);
    EXPECT_EQ(fiberData(fa), &a);
    for (Fiber* next : {fa, fb, fa, fb, fa, fb, fa}) {  // the last two reach leaveFiber
      switchToFiber(next);
      log += '|';
      EXPECT_EQ(currentFiber(), home);
    }
    EXPECT_EQ(log, "a1|b1|a2|b2|a3|||") << "a refused self-delete must not stop a fiber";
    EXPECT_EQ(a.seenCurrent, fa);
    EXPECT_EQ(b.deep, 225);
    deleteFiber(fa);
    deleteFiber(fb);
    deleteFiber(home);  // refused: a thread's own fiber
    EXPECT_EQ(currentFiber(), home);
    EXPECT_EQ(createFiber(0, nullptr, nullptr), nullptr);
    EXPECT_EQ(createFiber(size_t{1} << 45, bodyEntry, &a), nullptr);
  }).join();
}

[[gnu::noinline]] unsigned recurse(unsigned depth) {
  unsigned char pad[1024];
  pad[0] = static_cast<unsigned char>(depth);
  const unsigned below = depth == 0 ? 0 : recurse(depth - 1);
  asm volatile("" : : "r"(pad) : "memory");  // keeps the frame, so this cannot become a loop
  return below + pad[0];
}

void overflowEntry(void*) {
  recurse(1u << 20);  // about 1 GiB of frames against a 64 KiB stack
  std::_Exit(0);      // a clean exit fails the death test: the guard did not fault
}

TEST(FiberDeathTest, OverflowHitsTheGuardPage) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        Fiber* fiber = createFiber(64 * 1024, overflowEntry, nullptr);
        if (fiber == nullptr) std::exit(0);
        switchToFiber(fiber);
      },
      "");
}

}  // namespace
}  // namespace vexa::platform
