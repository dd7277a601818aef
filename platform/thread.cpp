#include "platform/thread.h"

#include <errno.h>
#include <limits.h>
#include <sched.h>
#include <time.h>

#include <atomic>
#include <new>

namespace vexa::platform {

RecursiveMutex::RecursiveMutex() {
  pthread_mutexattr_t attributes;
  pthread_mutexattr_init(&attributes);
  pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
  pthread_mutex_init(&mutex_, &attributes);
  pthread_mutexattr_destroy(&attributes);
}

RecursiveMutex::~RecursiveMutex() {
  pthread_mutex_destroy(&mutex_);
}

void RecursiveMutex::lock() {
  pthread_mutex_lock(&mutex_);
}

bool RecursiveMutex::tryLock() {
  return pthread_mutex_trylock(&mutex_) == 0;
}

void RecursiveMutex::unlock() {
  pthread_mutex_unlock(&mutex_);
}

namespace {

std::atomic<uint64_t> nextThreadId{1};
thread_local uint64_t ownThreadId = 0;

struct ThreadStart {
  ThreadEntry entry;
  void* argument;
  uint64_t id;
};

void* threadTrampoline(void* raw) {
  ThreadStart start = *static_cast<ThreadStart*>(raw);
  delete static_cast<ThreadStart*>(raw);
  ownThreadId = start.id;
  start.entry(start.argument);
  return nullptr;
}

}  // namespace

uint64_t currentThreadId() {
  // Threads this layer did not start (the first thread, library threads) get an id on first use.
  if (ownThreadId == 0) ownThreadId = nextThreadId.fetch_add(1, std::memory_order_relaxed);
  return ownThreadId;
}

bool startDetachedThread(ThreadEntry entry, void* argument, size_t stackSize, uint64_t* threadId) {
  auto* start = new (std::nothrow) ThreadStart{entry, argument, 0};
  if (start == nullptr) return true;
  start->id = nextThreadId.fetch_add(1, std::memory_order_relaxed);
  // Written before the thread exists: the caller's lock orders it before the entry's first read.
  if (threadId != nullptr) *threadId = start->id;

  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  if (stackSize != 0) {
    if (stackSize < static_cast<size_t>(PTHREAD_STACK_MIN)) stackSize = PTHREAD_STACK_MIN;
    pthread_attr_setstacksize(&attributes, stackSize);
  }
  pthread_t thread;
  int error = pthread_create(&thread, &attributes, threadTrampoline, start);
  pthread_attr_destroy(&attributes);
  if (error != 0) {
    delete start;
    if (threadId != nullptr) *threadId = 0;
    return true;
  }
  return false;
}

void sleepMs(uint32_t milliseconds) {
  if (milliseconds == 0) {
    sched_yield();
    return;
  }
  timespec remaining{static_cast<time_t>(milliseconds / 1000),
                     static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}

}  // namespace vexa::platform
