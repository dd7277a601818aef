#pragma once

#include <cstdint>
#include <optional>

#include "base/message_pump.h"
#include "base/tick_source.h"
#include "platform/message_queue.h"

namespace vexa {

// What a run of the loop is asked for: stop > 0 ends it at the next step; interval picks the
// pump's mode (negative polling, positive timer milliseconds, zero blocking without ticks).
struct LoopRequest {
  int32_t stop = 0;
  int32_t interval = -1;
};

// The base of an object that owns the GUI thread's loop. runToEnd() makes the pump, calls
// onStart(), steps until the quit message is seen or canStep() says no, then calls onStop()
// exactly once and drops the pump. Everything runs on the GUI thread; tick(), canStep(),
// onStart() and onStop() are called from inside runToEnd().
class LoopRunner : public TickSource {
 public:
  explicit LoopRunner(platform::MessageQueue& queue) : queue_(queue) {}
  ~LoopRunner() override = default;

  // True when the loop could not start (onStart() failed); false when it ran and ended. Called
  // again while running (from a message handler), it steps the same loop until that ends.
  bool runToEnd(const LoopRequest& request);

  // Posts the quit message through the pump; nothing when the loop is not running.
  virtual void quit();
  // Ends the running loop at its next step.
  void requestStop();

  bool isRunning() const { return running_; }
  platform::MessageQueue& queue() { return queue_; }
  // The interval of the running loop; the pump reads it at every step, so it may be changed.
  void setInterval(int32_t interval) { active_.interval = interval; }

 protected:
  // True when the loop must not start; onStop() then still runs.
  virtual bool onStart() { return false; }
  virtual void onStop() {}
  // Asked before (phase 0) and after (phase 1) each pump step; false ends the loop.
  virtual bool canStep(int phase) {
    (void)phase;
    return true;
  }

 private:
  bool step();

  platform::MessageQueue& queue_;
  MessagePump* pump_ = nullptr;
  bool running_ = false;
  uint32_t depth_ = 0;  // runToEnd calls on the stack
  LoopRequest active_;
  std::optional<MessagePump> room_;
};

}  // namespace vexa
