#include "ui/component.h"

namespace vexa::ui {

void Deliver(Component& component, const Event& event) {
  if (component.IsBlocked()) return;
  ++component.reentrancy_;
  component.Invoke(event);
  --component.reentrancy_;
  component.AfterInvoke();
}

Signal::~Signal() {
  while (head_ != nullptr) {
    Connection* next = head_->next;
    delete head_;
    head_ = next;
  }
}

void Signal::Connect(Component* component) {
  if (component == nullptr) return;
  auto* connection = new Connection{component, nullptr};
  if (tail_ == nullptr) {
    head_ = tail_ = connection;
  } else {
    tail_->next = connection;
    tail_ = connection;
  }
}

bool Signal::Disconnect(Component* component) {
  for (Connection* c = head_; c != nullptr; c = c->next) {
    if (c->component == component) {
      c->component = nullptr;
      if (emitting_ == 0) Compact();
      return true;
    }
  }
  return false;
}

void Signal::Emit(const Event& event) {
  ++emitting_;
  // The next link is read before the delivery; connections added during it are reached too.
  for (Connection* c = head_; c != nullptr;) {
    Connection* next = c->next;
    if (c->component != nullptr) Deliver(*c->component, event);
    if (next == nullptr) next = c->next;
    c = next;
  }
  if (--emitting_ == 0) Compact();
}

uint32_t Signal::ConnectionCount() const {
  uint32_t count = 0;
  for (Connection* c = head_; c != nullptr; c = c->next) count += c->component != nullptr;
  return count;
}

void Signal::Compact() {
  Connection** link = &head_;
  tail_ = nullptr;
  while (*link != nullptr) {
    Connection* c = *link;
    if (c->component == nullptr) {
      *link = c->next;
      delete c;
    } else {
      tail_ = c;
      link = &c->next;
    }
  }
}

uint32_t RootSignal::Connect(Component* component) {
  for (uint32_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i] == nullptr) {
      entries_[i] = component;
      return i;
    }
  }
  uint32_t index = static_cast<uint32_t>(entries_.size());
  entries_.resize(entries_.size() + 16, nullptr);
  entries_[index] = component;
  return index;
}

bool RootSignal::Disconnect(Component* component) {
  for (auto& entry : entries_) {
    if (entry == component) {
      entry = nullptr;
      return true;
    }
  }
  return false;
}

// Entries are read by index each time: a handler may connect (growing the vector) or
// disconnect while the signal runs.
void RootSignal::Emit(const Event& event) {
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (Component* c = entries_[i]) Deliver(*c, event);
  }
}

void RootSignal::EmitReverse(const Event& event) {
  for (size_t i = entries_.size(); i-- > 0;) {
    if (i >= entries_.size()) continue;
    if (Component* c = entries_[i]) Deliver(*c, event);
  }
}

uint32_t RootSignal::ConnectionCount() const {
  uint32_t count = 0;
  for (Component* c : entries_) count += c != nullptr;
  return count;
}

void Property::Set(int32_t value) {
  previous_ = current_;
  current_ = value;
  if (current_ != previous_ && !IsBlocked()) {
    OnChanged();
    AfterInvoke();
  }
}

}  // namespace vexa::ui
