#include "base/fiber_task.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace vexa {
namespace {

// A task whose body is given by the test.
class ScriptTask : public FiberTask {
 public:
  explicit ScriptTask(std::function<void(ScriptTask&)> body) : body_(std::move(body)) {}
  int bodies = 0;

 protected:
  void run() override {
    ++bodies;
    body_(*this);
  }

 private:
  std::function<void(ScriptTask&)> body_;
};

TEST(FiberTaskTest, RunsSliceBySliceAndIsNeverResumedAfterItEnds) {
  std::string log;
  ScriptTask task([&log](ScriptTask& self) {
    for (char c : std::string("abc")) {
      log += c;
      self.yield();
    }
    log += '.';
  });
  EXPECT_FALSE(task.isLive());
  resume(&task);  // idle: nothing happens
  resume(nullptr);
  EXPECT_EQ(log, "");

  ASSERT_FALSE(task.start(0));
  EXPECT_TRUE(task.isLive());
  const char* expected[] = {"a", "ab", "abc", "abc."};
  for (const char* step : expected) {
    resume(&task);
    EXPECT_EQ(log, step);
  }
  EXPECT_FALSE(task.isLive());
  resume(&task);
  resume(&task);
  EXPECT_EQ(log, "abc.") << "a finished task is not resumed";
  EXPECT_EQ(task.bodies, 1);
}

TEST(FiberTaskTest, StartOnALiveTaskChangesNothing) {
  std::string log;
  ScriptTask task([&log](ScriptTask& self) {
    log += '1';
    self.yield();
    log += '2';
  });
  ASSERT_FALSE(task.start(0));
  resume(&task);
  EXPECT_TRUE(task.start(0)) << "already live";
  EXPECT_TRUE(task.start(0));
  resume(&task);
  EXPECT_EQ(log, "12") << "continued where it was, not restarted";
  EXPECT_EQ(task.bodies, 1);
}

TEST(FiberTaskTest, AFinishedTaskStartsAgainFromTheTop) {
  int slices = 0;
  ScriptTask task([&slices](ScriptTask& self) {
    ++slices;
    self.yield();
    ++slices;
  });
  // Each start deletes the fiber parked by the previous run; the sanitizer build sees leaks or
  // a deleted running stack.
  for (int round = 1; round <= 200; ++round) {
    ASSERT_FALSE(task.start(0)) << round;
    resume(&task);
    resume(&task);
    ASSERT_FALSE(task.isLive());
    ASSERT_EQ(task.bodies, round);
  }
  EXPECT_EQ(slices, 400);
}

TEST(FiberTaskTest, ResumeFromInsideATaskIsAYield) {
  std::string log;
  ScriptTask other([&log](ScriptTask&) { log += 'B'; });
  ScriptTask task([&](ScriptTask&) {
    log += 'a';
    resume(&other);  // must come back to the GUI fiber, not run `other`
    log += 'a';
  });
  ASSERT_FALSE(task.start(0));
  ASSERT_FALSE(other.start(0));
  resume(&task);
  EXPECT_EQ(log, "a");
  EXPECT_EQ(task.pace(), Pace::Polling);
  resume(&other);
  EXPECT_EQ(log, "aB");
  resume(&task);
  EXPECT_EQ(log, "aBa");
  EXPECT_FALSE(task.isLive());
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
  bystander.yield();
  bystander.yieldBusy();
  bystander.yieldUntil(5);
  ASSERT_FALSE(task.start(0));
  resume(&task);
  EXPECT_EQ(log, "a");
  resume(&bystander);
  resume(&task);
  resume(&bystander);
  EXPECT_EQ(log, "axby");
}

TEST(FiberTaskTest, EachYieldRecordsItsPace) {
  ScriptTask task([](ScriptTask& self) {
    self.yield();
    self.yieldBusy();
    self.yieldUntil(0xFFFFFFF0u);
    self.yield();
  });
  ASSERT_FALSE(task.start(0));
  struct Expected {
    Pace pace;
    uint32_t wake;
  };
  const Expected expected[] = {
      {Pace::Polling, 0}, {Pace::Busy, 0}, {Pace::Waiting, 0xFFFFFFF0u}, {Pace::Polling, 0}};
  for (const Expected& e : expected) {
    resume(&task);
    EXPECT_EQ(task.pace(), e.pace);
    if (e.pace == Pace::Waiting) {
      EXPECT_EQ(task.wakeTick(), e.wake);
    }
  }
  resume(&task);
  EXPECT_FALSE(task.isLive());
}

TEST(FiberTaskTest, KnowsWhichTaskRuns) {
  FiberTask* seen = reinterpret_cast<FiberTask*>(1);
  bool selfCurrent = false;
  ScriptTask other([](ScriptTask&) {});
  bool otherCurrent = true;
  ScriptTask task([&](ScriptTask& self) {
    seen = currentTask();
    selfCurrent = self.isCurrent();
    otherCurrent = other.isCurrent();
  });
  EXPECT_EQ(currentTask(), nullptr);
  ASSERT_FALSE(task.start(0));
  resume(&task);
  EXPECT_EQ(seen, &task);
  EXPECT_TRUE(selfCurrent);
  EXPECT_FALSE(otherCurrent);
  EXPECT_EQ(currentTask(), nullptr);
  EXPECT_FALSE(task.isCurrent());
}

TEST(FiberTaskTest, ATaskMayStartAnother) {
  std::string log;
  ScriptTask child([&log](ScriptTask&) { log += 'c'; });
  ScriptTask parent([&](ScriptTask& self) {
    log += child.start(0) ? 'F' : 'p';
    self.yield();
    log += child.start(0) ? 'L' : 'R';  // live until the GUI fiber has resumed it
  });
  ASSERT_FALSE(parent.start(0));
  resume(&parent);
  resume(&parent);
  EXPECT_EQ(log, "pL");
  resume(&child);
  EXPECT_EQ(log, "pLc");
}

TEST(FiberTaskTest, DestroyingASuspendedTaskFreesItsFiber) {
  for (int i = 0; i < 20; ++i) {
    auto task = std::make_unique<ScriptTask>([](ScriptTask& self) {
      for (;;) self.yield();  // never ends, like the tray blinker
    });
    ASSERT_FALSE(task->start(0));
    resume(task.get());
    task.reset();
  }
}

}  // namespace
}  // namespace vexa
