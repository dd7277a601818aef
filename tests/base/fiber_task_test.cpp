#include "base/fiber_task.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/base/test_support.h"

namespace vexa {
namespace {

using test::ScriptTask;

TEST(FiberTaskTest, RunsSliceBySliceRecordsPacesAndIsNeverResumedAfterItEnds) {
  std::string log;
  ScriptTask task([&log](ScriptTask& self) {
    log += 'a';
    self.yield();
    log += 'b';
    self.yieldBusy();
    log += 'c';
    self.yieldUntil(0xFFFFFFF0u);
    log += '.';
  });
  resume(&task);  // idle: nothing happens
  resume(nullptr);
  ASSERT_FALSE(task.start(0));
  const struct {
    const char* log;
    Pace pace;
    uint32_t wake;
  } steps[] = {{"a", Pace::Polling, 0}, {"ab", Pace::Busy, 0}, {"abc", Pace::Waiting, 0xFFFFFFF0u}};
  for (const auto& step : steps) {
    resume(&task);
    EXPECT_EQ(log, step.log);
    EXPECT_EQ(task.pace(), step.pace) << step.log;
    EXPECT_EQ(task.wakeTick(), step.wake) << step.log;
    EXPECT_TRUE(task.isLive());
    EXPECT_TRUE(task.start(0)) << "already live: changes nothing";
  }
  resume(&task);
  EXPECT_FALSE(task.isLive());
  resume(&task);
  EXPECT_EQ(log, "abc.") << "a finished task is not resumed, a live one was not restarted";
  EXPECT_EQ(task.bodies, 1);
}

TEST(FiberTaskTest, AFinishedTaskStartsAgainFromTheTop) {
  ScriptTask task([](ScriptTask& self) { self.yield(); });
  // Each start deletes the fiber parked by the previous run, never the running one; the
  // sanitizer build sees a leak or a freed stack in use.
  for (int round = 1; round <= 200; ++round) {
    ASSERT_FALSE(task.start(0)) << round;
    resume(&task);
    resume(&task);
    ASSERT_FALSE(task.isLive());
  }
  EXPECT_EQ(task.bodies, 200);
}

TEST(FiberTaskTest, ResumeFromInsideATaskIsAYield) {
  std::string log;
  ScriptTask other([&log](ScriptTask&) { log += 'B'; });
  ScriptTask task([&](ScriptTask& self) {
    log += currentTask() == &self && self.isCurrent() && !other.isCurrent() ? 'a' : '?';
    resume(&other);  // must come back to the GUI fiber, not run `other`
    log += 'a';
  });
  ASSERT_FALSE(task.start(0));
  ASSERT_FALSE(other.start(0));
  resume(&task);
  EXPECT_EQ(log, "a");
  EXPECT_EQ(task.pace(), Pace::Polling);
  resume(&other);
  resume(&task);
  EXPECT_EQ(log, "aBa");
  EXPECT_EQ(currentTask(), nullptr);
}

TEST(FiberTaskTest, YieldOutsideTheTaskOwnFiberIsIgnored) {
  std::string log;
  ScriptTask bystander([&log](ScriptTask& self) {
    log += 'x';
    self.yield();
    log += 'y';
  });
  ScriptTask task([&](ScriptTask& self) {
    bystander.yield();  // not this fiber's task: ignored
    log += 'a';
    self.yield();
    log += 'b';
  });
  task.yield();  // on the GUI fiber: ignored
  ASSERT_FALSE(bystander.start(0));
  bystander.yieldUntil(5);
  ASSERT_FALSE(task.start(0));
  for (ScriptTask* next : {&task, &bystander, &task, &bystander}) resume(next);
  EXPECT_EQ(log, "axby");
}

TEST(FiberTaskTest, DestroyingASuspendedTaskFreesItsFiber) {
  for (int i = 0; i < 20; ++i) {
    auto task = std::make_unique<ScriptTask>([](ScriptTask& self) {
      for (;;) self.yield();  // never ends, like the tray blinker
    });
    ASSERT_FALSE(task->start(0));
    resume(task.get());
  }
}

}  // namespace
}  // namespace vexa
