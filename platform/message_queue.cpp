#include "platform/message_queue.h"

#include <errno.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <new>

#include "platform/clock.h"
#include "platform/thread.h"

namespace vexa::platform {

namespace {

constexpr uint32_t kMinimumTimerInterval = 10;
// Without a wake-up descriptor nobody can interrupt a wait, so waits are cut into slices.
constexpr int kBlindWaitSlice = 10;

// The one piece of process-wide state: a signal handler cannot be handed a queue.
std::atomic<bool> signalQuitRaised{false};
std::atomic<int> signalWakeFd{-1};
std::atomic<MessageQueue*> signalReceiver{nullptr};

static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "signal handlers need lock-free atomics");

}  // namespace

MessageQueue::MessageQueue() {
  wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  MessageQueue* none = nullptr;
  if (signalReceiver.compare_exchange_strong(none, this)) signalWakeFd.store(wakeFd_);
}

MessageQueue::~MessageQueue() {
  MessageQueue* self = this;
  // Unpublish the descriptor before closing it, so a later signal cannot write to a reused number.
  if (signalReceiver.load() == this) signalWakeFd.store(-1);
  signalReceiver.compare_exchange_strong(self, nullptr);
  if (wakeFd_ >= 0) close(wakeFd_);
}

void MessageQueue::receiveSignalQuit() {
  signalReceiver.store(this);
  signalWakeFd.store(wakeFd_);
}

bool MessageQueue::post(MessageTarget* target, uint32_t message, uintptr_t wParam,
                        intptr_t lParam) {
  bool sleeping = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    sleeping = waiting_;
    try {
      posted_.push_back(Posted{WindowMessage{target, message, wParam, lParam}, nextSequence_});
    } catch (const std::bad_alloc&) {
      return true;
    }
    ++nextSequence_;
  }
  // Only a loop inside wait() needs the descriptor written; the others will look anyway.
  if (sleeping) wake();
  return false;
}

void MessageQueue::postQuit(int exitCode) {
  bool sleeping = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    sleeping = waiting_;
    if (!quitPending_) {
      quitPending_ = true;
      quitCode_ = exitCode;
      quitAfter_ = nextSequence_ - 1;
    }
  }
  if (sleeping) wake();
}

void MessageQueue::postQuitFromSignal() {
  const int savedErrno = errno;
  signalQuitRaised.store(true);
  const int fd = signalWakeFd.load();
  if (fd >= 0) {
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t written = write(fd, &one, sizeof one);
  }
  errno = savedErrno;
}

bool MessageQueue::signalQuitPending() {
  return signalQuitRaised.load();
}

bool MessageQueue::signalQuitForUs() const {
  return signalReceiver.load() == this && signalQuitRaised.load();
}

bool MessageQueue::peek(WindowMessage& message) {
  if (hook_ != nullptr) hook_->processPending();
  if (signalReceiver.load() == this && signalQuitRaised.exchange(false)) {
    message = WindowMessage{nullptr, WM_QUIT, 0, 0};
    return true;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  return takeReady(message, tickMs());
}

bool MessageQueue::takeReady(WindowMessage& message, uint32_t now) {
  if (quitPending_ && (posted_.empty() || posted_.front().sequence > quitAfter_)) {
    quitPending_ = false;
    message = WindowMessage{nullptr, WM_QUIT, static_cast<uintptr_t>(quitCode_), 0};
    return true;
  }
  if (!posted_.empty()) {
    message = posted_.front().message;
    posted_.pop_front();
    return true;
  }
  Timer* earliest = nullptr;
  for (Timer& timer : timers_) {
    if (!tickReached(now, timer.due)) continue;
    if (earliest == nullptr || static_cast<int32_t>(timer.due - earliest->due) < 0) {
      earliest = &timer;
    }
  }
  if (earliest == nullptr) return false;
  // The next period counts from now, so a loop that fell behind gets one message, not a burst.
  earliest->due = now + earliest->interval;
  message = WindowMessage{earliest->target, WM_TIMER, earliest->id, 0};
  return true;
}

bool MessageQueue::readyLocked(uint32_t now) const {
  if (quitPending_ || !posted_.empty()) return true;
  return std::any_of(timers_.begin(), timers_.end(),
                     [now](const Timer& timer) { return tickReached(now, timer.due); });
}

bool MessageQueue::get(WindowMessage& message) {
  while (!peek(message)) wait(-1);
  return message.message != WM_QUIT;
}

void MessageQueue::wait(int32_t timeoutMs) {
  int timeout = timeoutMs < 0 ? -1 : timeoutMs;
  // Wake-ups left from posts already taken would end the wait at once. Draining before looking
  // loses nothing: a post after this either is seen below or writes the descriptor again.
  if (wakeFd_ >= 0) drainWake();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const uint32_t now = tickMs();
    if (readyLocked(now) || signalQuitForUs()) return;
    for (const Timer& timer : timers_) {
      const uint32_t until = std::min<uint32_t>(ticksUntil(now, timer.due), INT_MAX);
      if (timeout < 0 || static_cast<int>(until) < timeout) timeout = static_cast<int>(until);
    }
    waiting_ = true;
  }
  if (wakeFd_ < 0) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      waiting_ = false;
    }
    sleepMs(
        static_cast<uint32_t>(timeout < 0 ? kBlindWaitSlice : std::min(timeout, kBlindWaitSlice)));
    return;
  }
  if (hook_ != nullptr) {
    hook_->waitFor(timeout, wakeFd_);
  } else {
    pollfd descriptor{wakeFd_, POLLIN, 0};
    // EINTR simply ends the wait early; the caller looks again.
    poll(&descriptor, 1, timeout);
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    waiting_ = false;
  }
  drainWake();
}

intptr_t MessageQueue::dispatch(const WindowMessage& message) {
  if (message.target == nullptr) return 0;
  return message.target->windowProc(message.message, message.wParam, message.lParam);
}

uint32_t MessageQueue::setTimer(uint32_t intervalMs, MessageTarget* target) {
  const uint32_t interval = std::max(intervalMs, kMinimumTimerInterval);
  uint32_t id = 0;
  bool sleeping = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    sleeping = waiting_;
    for (;;) {
      id = nextTimerId_++;
      if (id == 0) continue;
      const bool inUse = std::any_of(timers_.begin(), timers_.end(),
                                     [id](const Timer& timer) { return timer.id == id; });
      if (!inUse) break;
    }
    try {
      timers_.push_back(Timer{id, target, interval, tickMs() + interval});
    } catch (const std::bad_alloc&) {
      return 0;
    }
  }
  // A loop asleep without limit must learn of the new deadline.
  if (sleeping) wake();
  return id;
}

bool MessageQueue::killTimer(uint32_t timerId) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = std::find_if(timers_.begin(), timers_.end(),
                            [timerId](const Timer& timer) { return timer.id == timerId; });
  if (found == timers_.end()) return true;
  timers_.erase(found);
  return false;
}

void MessageQueue::removeMessagesFor(const MessageTarget* target) {
  if (target == nullptr) return;
  std::lock_guard<std::mutex> lock(mutex_);
  std::erase_if(posted_, [target](const Posted& entry) { return entry.message.target == target; });
  std::erase_if(timers_, [target](const Timer& timer) { return timer.target == target; });
}

size_t MessageQueue::postedCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return posted_.size();
}

void MessageQueue::wake() {
  if (wakeFd_ < 0) return;
  const uint64_t one = 1;
  [[maybe_unused]] ssize_t written = write(wakeFd_, &one, sizeof one);
}

void MessageQueue::drainWake() {
  uint64_t count = 0;
  [[maybe_unused]] ssize_t got = read(wakeFd_, &count, sizeof count);
}

}  // namespace vexa::platform
