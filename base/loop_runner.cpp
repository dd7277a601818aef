#include "base/loop_runner.h"

namespace vexa {

bool LoopRunner::runToEnd(const LoopRequest& request) {
  if (!running_) {
    active_ = request;
    room_.emplace(*this, &active_.interval, queue_);
    pump_ = &*room_;
    running_ = true;
    if (onStart()) {
      onStop();
      pump_ = nullptr;
      room_.reset();
      running_ = false;
      return true;
    }
  }
  ++depth_;
  while (step()) {
  }
  --depth_;
  return false;
}

bool LoopRunner::step() {
  if (pump_ == nullptr) return false;
  if (active_.stop > 0) quit();
  if (canStep(0) && pump_->step() && canStep(1)) return true;
  // A nested run only returns: the outer run is still inside a step of this pump, and its next
  // step ends the loop for good (the pump keeps saying that the quit was seen).
  if (depth_ > 1) return false;
  onStop();
  pump_ = nullptr;
  room_.reset();
  // Cleared so that the runner can run again.
  running_ = false;
  return false;
}

void LoopRunner::quit() {
  if (pump_ != nullptr) pump_->quit();
}

void LoopRunner::requestStop() {
  if (running_) active_.stop = 1;
}

}  // namespace vexa
