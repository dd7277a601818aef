#pragma once

#include <cstdint>

#include "base/timed_mutex.h"
#include "platform/thread.h"

namespace vexa {

// A unit of work whose run() executes on a worker thread of its own. Threads are detached and
// never joined: the GUI side learns that the body ended by polling isRunning() or state that
// the body sets under mutex(). Clearing the id before the thread reaches run() cancels it.
//
// run() runs on the worker thread; every other member is called from the GUI thread (or its
// fibers). A task must not be destroyed while its thread runs.
class ThreadTask {
 public:
  ThreadTask() = default;
  virtual ~ThreadTask() = default;
  ThreadTask(const ThreadTask&) = delete;
  ThreadTask& operator=(const ThreadTask&) = delete;

  enum class StartResult { Started, AlreadyRunning, Failed };
  StartResult start(uint32_t stackSize);

  // The worker's thread id while its body may run, else 0.
  uint64_t isRunning();
  // True inside run() on the worker thread.
  bool isOwnThread();
  // Sleeps 1 ms when called on the worker thread, so shared polling code does not stall the GUI.
  void pause();
  // Clears the thread id before the worker has read it; the body then does not run.
  void cancelPending();

  TimedMutex& mutex() { return mutex_; }

 protected:
  virtual void run() = 0;

 private:
  static void threadEntry(void* self);

  uint64_t threadId_ = 0;
  TimedMutex mutex_;
};

}  // namespace vexa
