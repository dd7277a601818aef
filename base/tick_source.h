#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace vexa {

// Something that wants to hear of every tick: the tick times are queued for it and it is woken.
// Everything runs on the GUI thread, inside TickSource::notify().
class TickSubscriber {
 public:
  virtual ~TickSubscriber() = default;

  void queueTick(uint32_t now);
  // The oldest queued tick time; false when none is queued.
  bool takeTick(uint32_t& tick);
  size_t queuedTicks() const { return ticks_.size(); }

  // Called after each queued tick.
  virtual void wake() {}

  // A subscriber that never takes its ticks keeps only the newest ones.
  static constexpr size_t kMaxQueuedTicks = 64;

 private:
  std::deque<uint32_t> ticks_;
};

// Hands out time slices: each notify() while ticking is a pass, with tick(0) before the
// subscribers are served and tick(1) after. All of it runs on the GUI thread.
class TickSource {
 public:
  TickSource() = default;
  virtual ~TickSource() = default;
  TickSource(const TickSource&) = delete;
  TickSource& operator=(const TickSource&) = delete;

  void setTicking(bool ticking) { ticking_ = ticking; }
  bool isTicking() const { return ticking_; }
  // The time of the last pass while ticking; 0 when not ticking.
  uint32_t tickTime() const { return ticking_ ? lastTick_ : 0; }

  void notify(uint32_t now);

  // Borrowed; a subscriber unsubscribes before it is destroyed (also from inside its wake()).
  void subscribe(TickSubscriber* subscriber);
  void unsubscribe(TickSubscriber* subscriber);

 protected:
  virtual void tick(int phase) { (void)phase; }

 private:
  bool ticking_ = false;
  uint32_t lastTick_ = 0;
  std::vector<TickSubscriber*> subscribers_;
  bool notifying_ = false;
};

}  // namespace vexa
