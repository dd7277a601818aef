#include "base/task_loop.h"

#include <climits>

#include "platform/clock.h"

namespace vexa {

TaskLoop::TaskLoop(platform::MessageQueue& queue) : LoopRunner(queue) {
  setTicking(true);
}

void TaskLoop::addTask(FiberTask* task) {
  if (task != nullptr) tasks_.push_back(task);
}

bool TaskLoop::run() {
  return runToEnd(LoopRequest{0, -1});
}

void TaskLoop::stop() {
  // Outside a run there is nothing to end; a quit left in the queue would end the next run early.
  if (isRunning()) quit();
}

void TaskLoop::tick(int phase) {
  if (phase != 0) return;
  ++passes_;

  bool anyLive = false;
  bool busy = false;
  bool polling = false;
  bool waiting = false;
  uint32_t earliestWake = 0;
  for (FiberTask* task : tasks_) {
    if (!task->isLive()) continue;
    resume(task);
    if (!task->isLive()) {
      // It ended in this slice; look again at once rather than sleep on stale paces.
      busy = true;
      continue;
    }
    anyLive = true;
    switch (task->pace()) {
      case Pace::Busy:
        busy = true;
        break;
      case Pace::Polling:
        polling = true;
        break;
      case Pace::Waiting:
        if (!waiting || static_cast<int32_t>(task->wakeTick() - earliestWake) < 0) {
          earliestWake = task->wakeTick();
        }
        waiting = true;
        break;
    }
  }

  if (!anyLive && stopWhenIdle_) {
    stop();
    return;
  }
  if (busy) return;
  if (polling) {
    queue().wait(1);
  } else if (waiting) {
    const uint32_t until = platform::ticksUntil(platform::tickMs(), earliestWake);
    queue().wait(static_cast<int32_t>(until > INT32_MAX ? INT32_MAX : until));
  } else {
    queue().wait(-1);
  }
}

bool TaskLoop::canStep(int phase) {
  // Without ticking the polling pump would spin; wait for the message it is there to take.
  if (phase == 0 && !isTicking()) queue().wait(-1);
  return true;
}

}  // namespace vexa
