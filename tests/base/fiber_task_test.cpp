#include "base/fiber_task.h"

#include <gtest/gtest.h>

#include "tests/base/test_support.h"

namespace vexa {
namespace {

using test::ScriptTask;

TEST(FiberTaskTest, RunsSliceBySliceRecordsPacesAndIsNeverResumedAfterItEnds) {
  std::string log;
  ScriptTask task([&log](ScriptTask& self) {
    self.yield();
    self.yieldBusy();
    self.yieldUntil(0xFFFFFFF0u);
    log += '.';
  });
  ASSERT_FALSE(task.start(0));
  const std::pair<Pace, uint32_t> steps[] = {
      {Pace::Polling, 0}, {Pace::Busy, 0}, {Pace::Waiting, 0xFFFFFFF0u}};
  for (const auto& [pace, wake] : steps) {
    resume(&task);
    EXPECT_EQ(task.pace(), pace);
    EXPECT_EQ(task.wakeTick(), wake);
    EXPECT_TRUE(task.start(0)) << "already live: changes nothing";
  }
  resume(&task);
  EXPECT_FALSE(task.isLive());
  resume(&task);
  EXPECT_EQ(log, ".") << "a finished task is not resumed, a live one was not restarted";
  EXPECT_EQ(task.bodies, 1);
}

TEST(FiberTaskTest, AFinishedTaskStartsAgainFromTheTop) {
  ScriptTask task([](ScriptTask& self) { self.yield(); });
  // Each start deletes the fiber parked by the run before, never the running one; the sanitizer
  // build sees a leak or a freed stack in use.
  for (int round = 1; round <= 200; ++round) {
    ASSERT_FALSE(task.start(0)) << round;
    resume(&task);
    resume(&task);
  }
  EXPECT_EQ(task.bodies, 200);
}

TEST(FiberTaskTest, ResumeInsideATaskIsItsYieldAndOtherTasksYieldsAreIgnored) {
  std::string log;
  ScriptTask other(test::logging(log, "x|y"));
  ScriptTask task([&](ScriptTask& self) {
    other.yield();  // not this fiber's task: ignored
    log += currentTask() == &self && self.isCurrent() && !other.isCurrent() ? 'a' : '?';
    resume(&other);  // must come back to the GUI fiber, not run `other`
    log += 'b';
  });
  task.yield();  // on the GUI fiber: ignored
  ASSERT_FALSE(task.start(0));
  ASSERT_FALSE(other.start(0));
  for (ScriptTask* next : {&task, &other, &task, &other}) resume(next);
  EXPECT_EQ(log, "axby");
  EXPECT_EQ(currentTask(), nullptr);
}

}  // namespace
}  // namespace vexa
