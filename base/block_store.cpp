#include "base/block_store.h"

#include <cstdlib>
#include <cstring>

namespace vexa {

bool BlockStore::growToAtLeast(uint32_t size) {
  if (block_ != nullptr && size_ >= size) return true;
  return reallocate(size);
}

bool BlockStore::resizeExactly(uint32_t size) {
  if (size == 0) {
    free();
    return true;
  }
  if (block_ != nullptr && size_ == size) return true;
  return reallocate(size);
}

void BlockStore::free() {
  if (block_ == nullptr) return;
  if (allocator_ != nullptr) {
    allocator_->release(block_);
  } else {
    std::free(block_);
  }
  block_ = nullptr;
  size_ = 0;
}

bool BlockStore::reallocate(uint32_t size) {
  if (size == 0) {
    free();
    return true;
  }
  char* fresh =
      static_cast<char*>(allocator_ != nullptr ? allocator_->allocate(size) : std::malloc(size));
  if (fresh == nullptr) return false;
  uint32_t kept = size_ < size ? size_ : size;
  if (kept > 0) std::memcpy(fresh, block_, kept);
  // New bytes start as zero so that no reader ever meets uninitialised memory, even when a
  // caller reserves without asking for a fill.
  std::memset(fresh + kept, 0, size - kept);
  free();
  block_ = fresh;
  size_ = size;
  return true;
}

}  // namespace vexa
