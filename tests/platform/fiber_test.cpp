#include "platform/fiber.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>

namespace vexa::platform {
namespace {

// Fiber state is per thread; tests that look at a thread's first conversion run on a new one.
template <typename Body>
void onFreshThread(Body body) {
  std::thread thread(body);
  thread.join();
}

struct PingPong {
  Fiber* home = nullptr;
  std::string* log = nullptr;
  char name = '?';
  int rounds = 0;
};

void pingPongEntry(void* raw) {
  auto* p = static_cast<PingPong*>(raw);
  for (int i = 1; i <= p->rounds; ++i) {
    *p->log += p->name;
    *p->log += std::to_string(i);
    switchToFiber(p->home);
  }
  leaveFiber(p->home);
}

TEST(FiberTest, ThreadFiberComesFromTheFirstConversion) {
  onFreshThread([] {
    EXPECT_EQ(currentFiber(), nullptr);
    Fiber* main = convertThreadToFiber();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(currentFiber(), main);
    EXPECT_EQ(convertThreadToFiber(), main) << "converting again gives the same fiber";
    EXPECT_EQ(fiberData(main), nullptr);
    switchToFiber(main);  // to itself: nothing happens
    EXPECT_EQ(currentFiber(), main);
  });
}

TEST(FiberTest, SwitchingInterleavesBodiesInOrder) {
  onFreshThread([] {
    std::string log;
    // Switching from an unconverted thread converts it first.
    PingPong a{nullptr, &log, 'a', 3};
    PingPong b{nullptr, &log, 'b', 2};
    Fiber* fa = createFiber(0, pingPongEntry, &a);
    Fiber* fb = createFiber(0, pingPongEntry, &b);
    ASSERT_NE(fa, nullptr);
    ASSERT_NE(fb, nullptr);
    EXPECT_EQ(fiberData(fa), &a);
    a.home = b.home = convertThreadToFiber();
    for (Fiber* next : {fa, fb, fa, fb, fa}) {
      switchToFiber(next);
      log += '|';
      EXPECT_EQ(currentFiber(), a.home);
    }
    EXPECT_EQ(log, "a1|b1|a2|b2|a3|");
    // Both still owe one switch (their last leaveFiber); b ends first.
    switchToFiber(fb);
    switchToFiber(fa);
    EXPECT_EQ(log, "a1|b1|a2|b2|a3|");
    deleteFiber(fa);
    deleteFiber(fb);
  });
}

struct SelfCheck {
  Fiber* home = nullptr;
  Fiber* seenCurrent = nullptr;
  void* seenData = nullptr;
};

void selfCheckEntry(void* raw) {
  auto* check = static_cast<SelfCheck*>(raw);
  check->seenCurrent = currentFiber();
  check->seenData = fiberData(currentFiber());
  deleteFiber(currentFiber());  // refused: it runs
  switchToFiber(check->home);
  leaveFiber(check->home);
}

TEST(FiberTest, RunningFiberKnowsItselfAndCannotBeDeleted) {
  SelfCheck check;
  check.home = convertThreadToFiber();
  Fiber* fiber = createFiber(0, selfCheckEntry, &check);
  ASSERT_NE(fiber, nullptr);
  switchToFiber(fiber);
  EXPECT_EQ(check.seenCurrent, fiber);
  EXPECT_EQ(check.seenData, &check);
  switchToFiber(fiber);  // it still runs after its refused delete
  deleteFiber(fiber);
  deleteFiber(nullptr);
  deleteFiber(convertThreadToFiber());  // refused: a thread's own fiber
  EXPECT_EQ(currentFiber(), check.home);
}

struct DeepStack {
  Fiber* home = nullptr;
  size_t bytes = 0;
  unsigned sum = 0;
};

void deepStackEntry(void* raw) {
  auto* deep = static_cast<DeepStack*>(raw);
  // Uses most of a 1 MiB stack in one frame (the guard page sits below it).
  volatile unsigned char block[900 * 1024];
  for (size_t i = 0; i < sizeof block; i += 512) block[i] = static_cast<unsigned char>(i >> 9);
  for (size_t i = 0; i < sizeof block; i += 512) deep->sum += block[i];
  switchToFiber(deep->home);
  leaveFiber(deep->home);
}

TEST(FiberTest, DefaultStackHoldsAlmostAMebibyte) {
  DeepStack deep;
  deep.home = convertThreadToFiber();
  Fiber* fiber = createFiber(0, deepStackEntry, &deep);
  ASSERT_NE(fiber, nullptr);
  switchToFiber(fiber);
  unsigned expected = 0;
  for (size_t i = 0; i < 900 * 1024; i += 512) expected += static_cast<unsigned char>(i >> 9);
  EXPECT_EQ(deep.sum, expected);
  deleteFiber(fiber);  // suspended: its stack is freed without running it to the end
}

[[gnu::noinline]] unsigned recurse(unsigned depth) {
  unsigned char pad[1024];
  pad[0] = static_cast<unsigned char>(depth);
  const unsigned below = depth == 0 ? 0 : recurse(depth - 1);
  // Keeps the frame alive across the call, so the recursion cannot become a loop.
  asm volatile("" : : "r"(pad) : "memory");
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
        if (fiber == nullptr) std::exit(0);  // would make the death test fail
        switchToFiber(fiber);
      },
      "");
}

void returningEntry(void* raw) {
  ++*static_cast<int*>(raw);
}

TEST(FiberTest, AnEntryThatReturnsIsParkedNotFatal) {
  onFreshThread([] {
    int calls = 0;
    Fiber* fiber = createFiber(0, returningEntry, &calls);
    ASSERT_NE(fiber, nullptr);
    switchToFiber(fiber);
    EXPECT_EQ(calls, 1);
    switchToFiber(fiber);  // comes straight back
    EXPECT_EQ(calls, 1);
    deleteFiber(fiber);
  });
}

TEST(FiberTest, BadRequestsGiveNoFiber) {
  EXPECT_EQ(createFiber(0, nullptr, nullptr), nullptr);
  EXPECT_EQ(createFiber(size_t{1} << 45, returningEntry, nullptr), nullptr);
}

void noopLeaveEntry(void* raw) {
  leaveFiber(static_cast<Fiber*>(raw));
}

TEST(FiberTest, ManyFibersComeAndGo) {
  Fiber* home = convertThreadToFiber();
  for (int i = 0; i < 500; ++i) {
    Fiber* fiber = createFiber(i % 2 == 0 ? 0 : 70000, noopLeaveEntry, home);
    ASSERT_NE(fiber, nullptr) << i;
    switchToFiber(fiber);
    deleteFiber(fiber);
  }
}

}  // namespace
}  // namespace vexa::platform
