#include "base/pointer_vector.h"

#include <cstring>

namespace vexa {

namespace {
constexpr uint64_t kSlotSize = sizeof(void*);
constexpr uint64_t kStep = 64;
}  // namespace

bool PointerSlots::resize(uint32_t n) {
  if (n == 0) {
    store_.free();
    count_ = 0;
    return false;
  }
  uint64_t bytes = (n * kSlotSize + kStep - 1) / kStep * kStep;
  if (bytes > 0xFFFFFFFFu) return true;
  if (!store_.growToAtLeast(static_cast<uint32_t>(bytes))) return true;
  if (n > count_) {
    // Slots given up by an earlier shrink still hold their old pointers.
    std::memset(store_.block() + count_ * kSlotSize, 0, (n - count_) * kSlotSize);
  }
  count_ = n;
  return false;
}

int64_t PointerSlots::appendSlot() {
  if (count_ == 0xFFFFFFFFu || resize(count_ + 1)) return -1;
  return count_ - 1;
}

}  // namespace vexa
