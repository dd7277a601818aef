#include "base/message_pump.h"

#include "platform/clock.h"

namespace vexa {

using platform::WindowMessage;

MessagePump::~MessagePump() {
  killTimer();
}

void MessagePump::quit() {
  queue_.postQuit(0);
}

void MessagePump::killTimer() {
  if (timerId_ == 0) return;
  queue_.killTimer(timerId_);
  timerId_ = 0;
}

bool MessagePump::step() {
  if (quitSeen_) return false;
  const int32_t interval = *interval_;
  WindowMessage message;

  if (interval < 0) {
    killTimer();
    source_.notify(platform::tickMs());
    if (!queue_.peek(message)) return true;
    platform::MessageQueue::dispatch(message);
  } else if (interval > 0) {
    const uint32_t wanted = static_cast<uint32_t>(interval);
    if ((source_.isTicking() && timerId_ == 0) || wanted != timerInterval_) {
      killTimer();
      timerId_ = queue_.setTimer(wanted);
      timerInterval_ = wanted;
      timerRestarted_ = true;
    }
    if (!source_.isTicking()) killTimer();
    if (timerRestarted_) {
      timerRestarted_ = false;
      source_.notify(platform::tickMs());
    }
    queue_.get(message);
    if (message.message == platform::WM_TIMER && message.target == nullptr && timerId_ != 0 &&
        message.wParam == timerId_) {
      source_.notify(platform::tickMs());
    } else {
      platform::MessageQueue::dispatch(message);
    }
  } else {
    killTimer();
    queue_.get(message);
    platform::MessageQueue::dispatch(message);
  }

  // Or-ed in: a loop nested inside the dispatch above may have seen the quit already.
  if (message.message == platform::WM_QUIT) quitSeen_ = true;
  return !quitSeen_;
}

}  // namespace vexa
