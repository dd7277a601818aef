// The cooperative runtime's costs: a fiber switch, one loop pass, a message, and the idle CPU of
// a loop whose tasks all wait on time.
//
//   runtime_bench                                   everything (the idle run takes 10 s)
//   runtime_bench --benchmark_filter=-Idle          without the idle run
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <functional>

#include "base/fiber_task.h"
#include "base/task_loop.h"
#include "platform/clock.h"
#include "platform/fiber.h"
#include "platform/message_queue.h"

namespace vexa {
namespace {

struct Bounce {
  platform::Fiber* home = nullptr;
};

void bounceEntry(void* raw) {
  auto* bounce = static_cast<Bounce*>(raw);
  for (;;) platform::switchToFiber(bounce->home);
}

// There and back: two switches.
void BM_FiberSwitchRoundTrip(benchmark::State& state) {
  Bounce bounce;
  bounce.home = platform::convertThreadToFiber();
  platform::Fiber* fiber = platform::createFiber(0, bounceEntry, &bounce);
  for (auto _ : state) platform::switchToFiber(fiber);
  platform::deleteFiber(fiber);
}
BENCHMARK(BM_FiberSwitchRoundTrip);

class ForeverTask : public FiberTask {
 public:
  explicit ForeverTask(Pace pace) : pace_(pace) {}
  bool quit = false;

 protected:
  void run() override {
    while (!quit) {
      if (pace_ == Pace::Busy) {
        yieldBusy();
      } else {
        yield();
      }
    }
  }

 private:
  Pace pace_;
};

// resume() into a task and its yield() back.
void BM_TaskResumeAndYield(benchmark::State& state) {
  ForeverTask task(Pace::Polling);
  task.start(0);
  for (auto _ : state) resume(&task);
  task.quit = true;
  resume(&task);
}
BENCHMARK(BM_TaskResumeAndYield);

// A TaskLoop whose every pass is one benchmark iteration.
class TimedLoop : public TaskLoop {
 public:
  TimedLoop(platform::MessageQueue& queue, benchmark::State& state)
      : TaskLoop(queue), state_(state) {}

 protected:
  void tick(int phase) override {
    if (phase == 0 && !state_.KeepRunning()) {
      stop();
      return;
    }
    TaskLoop::tick(phase);
  }

 private:
  benchmark::State& state_;
};

void runPasses(benchmark::State& state, Pace pace) {
  platform::MessageQueue queue;
  TimedLoop loop(queue, state);
  ForeverTask tasks[] = {ForeverTask(pace), ForeverTask(pace), ForeverTask(pace),
                         ForeverTask(pace)};
  for (ForeverTask& task : tasks) {
    task.start(0);
    loop.addTask(&task);
  }
  loop.run();
  for (ForeverTask& task : tasks) {
    task.quit = true;
    resume(&task);
  }
}

// One pass with four live tasks, without the sleep: the tasks say they are busy, so the pass
// is the four slices plus the look at the queue.
void BM_PassFourTasksNoSleep(benchmark::State& state) {
  runPasses(state, Pace::Busy);
}
BENCHMARK(BM_PassFourTasksNoSleep);

// The same with four polling tasks: the pass includes the 1 ms wait.
void BM_PassFourPollingTasks(benchmark::State& state) {
  runPasses(state, Pace::Polling);
}
BENCHMARK(BM_PassFourPollingTasks)->Iterations(2000)->Unit(benchmark::kMicrosecond);

// A message posted and taken on the same thread.
void BM_PostAndPeek(benchmark::State& state) {
  platform::MessageQueue queue;
  platform::WindowMessage message;
  for (auto _ : state) {
    queue.post(nullptr, platform::WM_USER);
    benchmark::DoNotOptimize(queue.peek(message));
  }
}
BENCHMARK(BM_PostAndPeek);

class WaitingTask : public FiberTask {
 public:
  explicit WaitingTask(uint32_t periodMs) : periodMs_(periodMs) {}
  bool quit = false;
  uint64_t wakes = 0;

 protected:
  void run() override {
    uint32_t next = platform::tickMs() + periodMs_;
    while (!quit) {
      if (platform::tickReached(platform::tickMs(), next)) {
        ++wakes;
        next += periodMs_;
      }
      yieldUntil(next);
    }
  }

 private:
  uint32_t periodMs_;
};

double cpuSeconds() {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Ten seconds of a loop whose tasks all wait on time, like the watch task between polls and the
// tray blinker between blinks. Reports the CPU share of one core and the passes per second.
void BM_IdleLoopTenSeconds(benchmark::State& state) {
  for (auto _ : state) {
    platform::MessageQueue queue;
    TaskLoop loop(queue);
    WaitingTask blinker(500);
    WaitingTask watcher(30000);
    WaitingTask list(30000);
    WaitingTask editor(60000);
    WaitingTask* tasks[] = {&watcher, &list, &editor, &blinker};
    for (WaitingTask* task : tasks) {
      task->start(0);
      loop.addTask(task);
    }
    const uint32_t quitAt = platform::tickMs() + 10000;
    struct Stopper : FiberTask {
      TaskLoop* loop;
      uint32_t at;
      void run() override {
        while (!platform::tickReached(platform::tickMs(), at)) yieldUntil(at);
        loop->stop();
      }
    } stopper;
    stopper.loop = &loop;
    stopper.at = quitAt;
    stopper.start(0);
    loop.addTask(&stopper);

    const double cpuStart = cpuSeconds();
    const auto wallStart = std::chrono::steady_clock::now();
    loop.run();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    const double cpu = cpuSeconds() - cpuStart;
    state.SetIterationTime(wall);
    state.counters["cpu_percent"] = 100.0 * cpu / wall;
    state.counters["passes_per_s"] = static_cast<double>(loop.passes()) / wall;
    state.counters["blinks"] = static_cast<double>(blinker.wakes);
    for (WaitingTask* task : tasks) {
      task->quit = true;
      resume(task);
    }
  }
}
BENCHMARK(BM_IdleLoopTenSeconds)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace vexa

BENCHMARK_MAIN();
