#pragma once

#include <cstdint>

#include "base/block_store.h"

namespace vexa {

// The untyped storage behind PointerVector: pointer-sized slots in one block that grows in
// 64-byte steps and never shrinks until it is emptied.
class PointerSlots {
 public:
  PointerSlots() = default;
  PointerSlots(const PointerSlots&) = delete;
  PointerSlots& operator=(const PointerSlots&) = delete;

  // True when the vector could not be given n slots (it then keeps its old slots). New slots
  // are null; resize(0) frees the storage.
  bool resize(uint32_t n);
  // Index of a new null last slot, or -1 when the storage cannot grow.
  int64_t appendSlot();

  // Null exactly when the count is 0: the block is freed whenever the vector empties.
  char* bytes() const { return store_.block(); }
  uint32_t count() const { return count_; }

 private:
  uint32_t count_ = 0;
  BlockStore store_;
};

// A growable array of borrowed pointers; the vector never owns what its slots point to.
template <typename T>
class PointerVector {
 public:
  bool resize(uint32_t n) { return slots_.resize(n); }
  // Pointer to a new last slot set to null, for the caller to fill; null when it cannot grow.
  T** appendSlot() {
    int64_t index = slots_.appendSlot();
    return index < 0 ? nullptr : items() + index;
  }
  // True on failure.
  bool append(T* pointer) {
    T** slot = appendSlot();
    if (slot == nullptr) return true;
    *slot = pointer;
    return false;
  }

  T** items() const { return reinterpret_cast<T**>(slots_.bytes()); }
  uint32_t count() const { return slots_.count(); }
  bool empty() const { return slots_.count() == 0; }
  T*& operator[](uint32_t i) const { return items()[i]; }
  T** begin() const { return items(); }
  T** end() const { return items() + count(); }

 private:
  PointerSlots slots_;
};

}  // namespace vexa
