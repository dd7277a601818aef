#include "base/tick_source.h"

#include <algorithm>

namespace vexa {

void TickSubscriber::queueTick(uint32_t now) {
  if (ticks_.size() >= kMaxQueuedTicks) ticks_.pop_front();
  ticks_.push_back(now);
}

bool TickSubscriber::takeTick(uint32_t& tick) {
  if (ticks_.empty()) return false;
  tick = ticks_.front();
  ticks_.pop_front();
  return true;
}

void TickSource::notify(uint32_t now) {
  if (!ticking_) return;
  lastTick_ = now;
  tick(0);
  // Indexes rather than iterators: a wake-up may subscribe or unsubscribe. Unsubscribed slots
  // are nulled during the walk and swept after it.
  notifying_ = true;
  for (size_t i = 0; i < subscribers_.size(); ++i) {
    TickSubscriber* subscriber = subscribers_[i];
    if (subscriber == nullptr) continue;
    subscriber->queueTick(now);
    subscriber->wake();
  }
  notifying_ = false;
  std::erase(subscribers_, nullptr);
  tick(1);
}

void TickSource::subscribe(TickSubscriber* subscriber) {
  if (subscriber == nullptr) return;
  if (std::find(subscribers_.begin(), subscribers_.end(), subscriber) != subscribers_.end()) return;
  subscribers_.push_back(subscriber);
}

void TickSource::unsubscribe(TickSubscriber* subscriber) {
  auto found = std::find(subscribers_.begin(), subscribers_.end(), subscriber);
  if (found == subscribers_.end()) return;
  if (notifying_) {
    *found = nullptr;
  } else {
    subscribers_.erase(found);
  }
}

}  // namespace vexa
