#pragma once

#include <cstdint>
#include <vector>

#include "base/fiber_task.h"
#include "base/loop_runner.h"
#include "platform/message_queue.h"

namespace vexa {

// The GUI thread's loop in polling mode: every pass resumes each live task once, in the order
// they were added, then handles at most one message. How long a pass sleeps follows how the
// tasks yielded: not at all when some task was busy (or ended), 1 ms when some task polls,
// otherwise until the earliest wake tick of the waiting tasks. A posted message, a due timer or
// a window-system event ends any sleep at once. With no live task, or while ticking is off, a
// pass sleeps until a message arrives.
//
// Threads: everything is called on the GUI thread (the thread that calls run()); the tasks run
// on their fibers inside run(). To end the loop from another thread post the quit message
// (queue().postQuit()); from a signal handler use MessageQueue::postQuitFromSignal().
//
//   platform::MessageQueue queue;
//   TaskLoop loop(queue);
//   loop.addTask(&task);               // the task starts itself with start(0)
//   loop.setStopWhenIdle(true);        // end once no task is live
//   bool failed = loop.run();
class TaskLoop : public LoopRunner {
 public:
  // Ticking is on from the start; a window that must wait for something first turns it off.
  explicit TaskLoop(platform::MessageQueue& queue);

  // Borrowed; the order of the calls is the order of the slices. Tasks without a live fiber are
  // skipped, so a task may be added before it starts and may end and start again.
  void addTask(FiberTask* task);
  // When set, the run ends after the first pass that finds no live task.
  void setStopWhenIdle(bool stop) { stopWhenIdle_ = stop; }

  // Runs the loop until the quit message; true when it could not start.
  bool run();
  // From a task or a message handler: ends the run once the messages already posted are handled.
  void stop();

  // Passes made while ticking (each gives every live task one slice).
  uint64_t passes() const { return passes_; }

 protected:
  void tick(int phase) override;
  bool canStep(int phase) override;

 private:
  std::vector<FiberTask*> tasks_;
  bool stopWhenIdle_ = false;
  uint64_t passes_ = 0;
};

}  // namespace vexa
