#include "base/thread_task.h"

namespace vexa {

ThreadTask::~ThreadTask() {
  cancelAndWait();
}

void ThreadTask::cancelAndWait() {
  // A worker that has not yet taken the mutex would otherwise lock a destroyed one, or call run()
  // on a half-destroyed task.
  mutex_.lock(0);
  if (threadId_ != 0 && !bodyStarted_) threadId_ = 0;
  // The body cannot wait for itself to end.
  const bool fromBody = threadId_ != 0 && threadId_ == platform::currentThreadId();
  while (threadsInside_ != 0 && !fromBody) {
    mutex_.unlock();
    platform::sleepMs(1);
    mutex_.lock(0);
  }
  mutex_.unlock();
}

ThreadTask::StartResult ThreadTask::start(uint32_t stackSize) {
  LockGuard guard(mutex_, 0);
  if (threadId_ != 0) return StartResult::AlreadyRunning;
  uint64_t id = 0;
  // The new thread blocks on the mutex we hold until the id below is in place.
  if (platform::startDetachedThread(threadEntry, this, stackSize, &id)) return StartResult::Failed;
  ++threadsInside_;
  threadId_ = id;
  bodyStarted_ = false;
  return StartResult::Started;
}

void ThreadTask::threadEntry(void* raw) {
  auto* self = static_cast<ThreadTask*>(raw);
  const uint64_t own = platform::currentThreadId();
  self->mutex_.lock(0);
  // Compared with our own id, not merely non-zero: after a cancel the task may already have
  // started a newer thread, whose body is not ours to run.
  const bool mine = self->threadId_ == own;
  if (mine) self->bodyStarted_ = true;
  self->mutex_.unlock();

  if (mine) self->run();

  self->mutex_.lock(0);
  if (self->threadId_ == own) {
    self->threadId_ = 0;
    self->bodyStarted_ = false;
  }
  --self->threadsInside_;
  // Nothing of the task may be touched after this unlock: its destructor may be waiting for it.
  self->mutex_.unlock();
}

uint64_t ThreadTask::isRunning() {
  LockGuard guard(mutex_, 0);
  return threadId_;
}

bool ThreadTask::isOwnThread() {
  LockGuard guard(mutex_, 0);
  return threadId_ != 0 && threadId_ == platform::currentThreadId();
}

void ThreadTask::pause() {
  if (isOwnThread()) platform::sleepMs(1);
}

bool ThreadTask::cancelPending() {
  LockGuard guard(mutex_, 0);
  if (threadId_ == 0 || bodyStarted_) return false;
  threadId_ = 0;
  return true;
}

}  // namespace vexa
