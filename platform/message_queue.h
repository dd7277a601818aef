#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

namespace vexa::platform {

// Message numbers keep the values Windows gives them.
constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t WM_TIMER = 0x0113;
constexpr uint32_t WM_USER = 0x0400;

// An object that receives dispatched messages (a window). Its windowProc runs on the queue's
// thread inside dispatch().
class MessageTarget {
 public:
  virtual ~MessageTarget() = default;
  virtual intptr_t windowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
};

struct WindowMessage {
  MessageTarget* target = nullptr;  // null for a thread message
  uint32_t message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
};

// The window system's events, driven by the queue without ever letting the window system run a
// loop of its own. Both calls come from the queue's thread and never hold the queue's lock.
class EventHook {
 public:
  virtual ~EventHook() = default;
  // Handles what the window system has ready, without blocking. Called at every peek, before the
  // queue is looked at.
  virtual void processPending() = 0;
  // Blocks until wakeFd is readable, window-system events arrive, or timeoutMs pass (negative:
  // no limit). It must not read wakeFd.
  virtual void waitFor(int timeoutMs, int wakeFd) = 0;
};

// The message queue of one GUI thread. post(), postQuit() and removeMessagesFor() may be called
// from any thread; postQuitFromSignal() from a signal handler; everything else only from the
// thread that runs the loop.
//
// Order of retrieval: a quit raised by a signal first; then posted messages in the order they were
// posted, with the quit message of postQuit() after every message posted before it; then at most
// one WM_TIMER of a timer that is due (wParam = timer id, target as given to setTimer).
class MessageQueue {
 public:
  MessageQueue();
  ~MessageQueue();
  MessageQueue(const MessageQueue&) = delete;
  MessageQueue& operator=(const MessageQueue&) = delete;

  // True when the wake-up descriptor could not be made; the queue then still works, but waits
  // wake every 10 ms to look for messages instead of at once.
  bool failed() const { return wakeFd_ < 0; }

  // True on failure (allocation).
  bool post(MessageTarget* target, uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);
  // Queues WM_QUIT (wParam = exitCode) behind everything posted so far. Asking again before it is
  // retrieved changes nothing.
  void postQuit(int exitCode = 0);
  // Async-signal-safe: sets a process-wide flag and wakes the queue that receives signal quits;
  // that queue's next peek returns WM_QUIT ahead of everything else.
  static void postQuitFromSignal();
  // True while a quit raised by a signal waits to be retrieved: for loops of their own (a
  // pop-up menu's) that must end too.
  static bool signalQuitPending();
  // This queue becomes the one that receives signal quits (the first queue made does already).
  void receiveSignalQuit();

  // Removes and returns one message; false when none is ready. Never blocks.
  bool peek(WindowMessage& message);
  // Blocks until a message is ready and removes it; false when it is WM_QUIT.
  bool get(WindowMessage& message);
  // Blocks until a message may be ready, the window system has events, or timeoutMs pass
  // (negative: no limit). Returns at once when a message is ready.
  void wait(int32_t timeoutMs);
  // Calls the target's windowProc; 0 for thread messages.
  static intptr_t dispatch(const WindowMessage& message);

  // A timer that yields WM_TIMER every intervalMs (at least 10) while it lives. A late timer
  // yields one message, not one per missed period. Returns its id, never 0.
  uint32_t setTimer(uint32_t intervalMs, MessageTarget* target = nullptr);
  // True when no timer had that id.
  bool killTimer(uint32_t timerId);

  // Drops posted messages and timers of a target that is being destroyed.
  void removeMessagesFor(const MessageTarget* target);

  // The window system's hook (borrowed; null for none). Set it before the loop runs.
  void setEventHook(EventHook* hook) { hook_ = hook; }

  size_t postedCount() const;

 private:
  struct Posted {
    WindowMessage message;
    uint64_t sequence;
  };
  struct Timer {
    uint32_t id;
    MessageTarget* target;
    uint32_t interval;
    uint32_t due;
  };

  bool takeReady(WindowMessage& message, uint32_t now);
  bool readyLocked(uint32_t now) const;
  bool signalQuitForUs() const;
  void wake();
  void drainWake();

  mutable std::mutex mutex_;
  std::deque<Posted> posted_;
  uint64_t nextSequence_ = 1;
  bool quitPending_ = false;
  int quitCode_ = 0;
  uint64_t quitAfter_ = 0;  // the quit comes after every message with a sequence up to this
  std::vector<Timer> timers_;
  uint32_t nextTimerId_ = 1;
  bool waiting_ = false;  // the loop's thread is inside wait(); posts must write wakeFd_
  int wakeFd_ = -1;
  EventHook* hook_ = nullptr;
};

}  // namespace vexa::platform
