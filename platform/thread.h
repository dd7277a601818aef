#pragma once

#include <pthread.h>

#include <cstddef>
#include <cstdint>

namespace vexa::platform {

// A recursive mutex: the thread that holds it may lock it again and must unlock as often.
// Any thread may use it.
class RecursiveMutex {
 public:
  RecursiveMutex();
  ~RecursiveMutex();
  RecursiveMutex(const RecursiveMutex&) = delete;
  RecursiveMutex& operator=(const RecursiveMutex&) = delete;

  void lock();
  // True when the mutex is now held by the calling thread.
  bool tryLock();
  void unlock();

 private:
  pthread_mutex_t mutex_;
};

// The calling thread's id: non-zero, unique for the life of the process (never reused).
uint64_t currentThreadId();

using ThreadEntry = void (*)(void* argument);

// Starts a detached thread that runs entry(argument). The new thread's id is stored in
// *threadId before the thread can run any code, so a creator that holds a lock the entry takes
// first sees the id before the thread does. stackSize 0 takes the default. True on failure.
bool startDetachedThread(ThreadEntry entry, void* argument, size_t stackSize, uint64_t* threadId);

// Suspends the calling thread for at least `milliseconds` (0 gives up the time slice).
void sleepMs(uint32_t milliseconds);

}  // namespace vexa::platform
