#pragma once

#include <cstdint>

#include "base/tick_source.h"
#include "platform/message_queue.h"

namespace vexa {

// Moves one message per step from the GUI thread's queue to its window, and hands out ticks.
// The mode follows the sign of the owner's interval, read at every step:
//   negative (polling): tick once (the source's passes), then take at most one message without
//     blocking;
//   positive (timer): a thread timer of that many milliseconds ticks the source while it ticks;
//     the step blocks until a message arrives;
//   zero: the step blocks for one message and never ticks.
// Everything runs on the GUI thread.
class MessagePump {
 public:
  // All three are borrowed and outlive the pump.
  MessagePump(TickSource& source, const int32_t* interval, platform::MessageQueue& queue)
      : source_(source), interval_(interval), queue_(queue) {}
  virtual ~MessagePump();
  MessagePump(const MessagePump&) = delete;
  MessagePump& operator=(const MessagePump&) = delete;

  // Asks the loop to end: posts the quit message.
  virtual void quit();
  // False once the quit message has been seen (by this step or an earlier one).
  virtual bool step();

  bool hasTimer() const { return timerId_ != 0; }

 private:
  void killTimer();

  TickSource& source_;
  const int32_t* interval_;
  platform::MessageQueue& queue_;
  bool quitSeen_ = false;
  bool timerRestarted_ = false;
  uint32_t timerId_ = 0;
  uint32_t timerInterval_ = 0;
};

}  // namespace vexa
