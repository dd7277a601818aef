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
// fibers). A task must not be destroyed while its body may run: the destructor of a derived task
// asks its body to stop (its own flag, set under mutex()) and then calls cancelAndWait(), before
// its members go. The base destructor calls cancelAndWait() again as a last guard.
class ThreadTask {
 public:
  ThreadTask() = default;
  virtual ~ThreadTask();
  ThreadTask(const ThreadTask&) = delete;
  ThreadTask& operator=(const ThreadTask&) = delete;

  enum class StartResult { Started, AlreadyRunning, Failed };
  // stackSize 0 gives the default stack.
  StartResult start(uint32_t stackSize);

  // The worker's thread id while its body may run, else 0.
  uint64_t isRunning();
  // True inside run() on the worker thread.
  bool isOwnThread();
  // Sleeps 1 ms when called on the worker thread, so shared polling code does not stall the GUI.
  void pause();
  // Clears the thread id before the worker has read it; the body then does not run. Once the
  // body has begun this does nothing (the id keeps saying that a body runs). True when a
  // pending body was cancelled.
  bool cancelPending();
  // Cancels a pending body, then waits until no thread started by this task touches it any more
  // (which includes waiting for a running body to return). The only wait in this class; call it
  // without holding mutex(). From inside run() it returns at once.
  void cancelAndWait();

  TimedMutex& mutex() { return mutex_; }

 protected:
  virtual void run() = 0;

 private:
  static void threadEntry(void* self);

  uint64_t threadId_ = 0;
  bool bodyStarted_ = false;    // the thread named by threadId_ has entered run()
  uint32_t threadsInside_ = 0;  // started threads that have not yet let go of the task
  TimedMutex mutex_;
};

}  // namespace vexa
