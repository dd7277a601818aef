#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "ui/event.h"

namespace vexa::ui {

// The base of every signal participant.
class Component {
 public:
  virtual ~Component() = default;
  virtual void Invoke(const Event& event) = 0;
  // A blocked component is skipped by emission.
  virtual bool IsBlocked() const { return false; }
  // Called after each delivery.
  virtual void AfterInvoke() {}

  // How deeply Invoke is nested right now (an handler that makes its own signal fire again).
  int32_t reentrancy() const { return reentrancy_; }

 private:
  friend void Deliver(Component& component, const Event& event);
  int32_t reentrancy_ = 0;
};

// One delivery: skipped when blocked; otherwise Invoke inside the re-entrancy count, then
// AfterInvoke.
void Deliver(Component& component, const Event& event);

// A window-level signal: connections in the order they were made. A component may disconnect
// itself or others while the signal is being emitted; emptied connections are dropped once no
// emission is running.
class Signal {
 public:
  Signal() = default;
  ~Signal();
  Signal(const Signal&) = delete;
  Signal& operator=(const Signal&) = delete;

  void Connect(Component* component);
  // True when the component was connected.
  bool Disconnect(Component* component);
  void Emit(const Event& event);
  uint32_t ConnectionCount() const;

 private:
  struct Connection {
    Component* component;
    Connection* next;
  };
  void Compact();

  Connection* head_ = nullptr;
  Connection* tail_ = nullptr;
  int32_t emitting_ = 0;
};

// A signal of a widget root: a vector of component pointers in which a connection takes the
// first empty entry; it grows by 16 entries when none is free.
class RootSignal {
 public:
  // The entry index taken.
  uint32_t Connect(Component* component);
  bool Disconnect(Component* component);
  void Emit(const Event& event);
  // Emits from the last entry to the first.
  void EmitReverse(const Event& event);
  uint32_t ConnectionCount() const;
  uint32_t Capacity() const { return static_cast<uint32_t>(entries_.size()); }
  Component* Entry(uint32_t i) const { return i < entries_.size() ? entries_[i] : nullptr; }

 private:
  std::vector<Component*> entries_;
};

// An observable 32-bit value: OnChanged runs only when a Set changes it.
class Property {
 public:
  virtual ~Property() = default;
  void Set(int32_t value);
  int32_t value() const { return current_; }
  int32_t previous() const { return previous_; }
  virtual bool IsBlocked() const { return false; }
  virtual void AfterInvoke() {}

 protected:
  virtual void OnChanged() {}

 private:
  int32_t current_ = 0;
  int32_t previous_ = 0;
};

}  // namespace vexa::ui
