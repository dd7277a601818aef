#pragma once

#include <cstdint>

namespace vexa {

// A value that tells a hook object when it is set. Setting writes the value and, unless a
// notification is already running (a set from inside a hook is absorbed by the outer one),
// calls changed() with the value the previous notification saw, or null when nothing changed,
// then afterChange(). A suppressed hook is not called, and the change counts as seen.
// Not thread-safe: the owner's thread sets it and runs the hooks.
template <typename T>
class WatchedValue {
 public:
  class Hooks {
   public:
    virtual ~Hooks() = default;
    virtual void changed(const T& newValue, const T* previousValue) = 0;
    virtual bool isSuppressed() { return false; }
    virtual void afterChange() {}
  };

  explicit WatchedValue(Hooks* hooks = nullptr, T initial = T{})
      : hooks_(hooks), value_(initial), committed_(initial) {}
  WatchedValue(const WatchedValue&) = delete;
  WatchedValue& operator=(const WatchedValue&) = delete;

  void set(T newValue) {
    value_ = newValue;
    if (depth_ != 0) return;
    const bool changed = !(committed_ == value_);
    if (hooks_ != nullptr && !hooks_->isSuppressed()) {
      ++depth_;
      hooks_->changed(value_, changed ? &committed_ : nullptr);
      --depth_;
      hooks_->afterChange();
    }
    if (changed) committed_ = value_;
  }

  const T& get() const { return value_; }

 private:
  Hooks* hooks_;
  uint32_t depth_ = 0;
  T value_;
  T committed_;
};

}  // namespace vexa
