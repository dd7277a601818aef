#pragma once

#include <cstddef>
#include <cstdint>

namespace vexa {

// Where a block store takes its memory from; null means the general heap.
class Allocator {
 public:
  virtual ~Allocator() = default;
  virtual void* allocate(size_t size) = 0;
  virtual void release(void* block) = 0;
};

// Owns one heap block and knows its size. Growing copies the old bytes into the new block.
class BlockStore {
 public:
  explicit BlockStore(Allocator* allocator = nullptr) : allocator_(allocator) {}
  ~BlockStore() { free(); }
  BlockStore(const BlockStore&) = delete;
  BlockStore& operator=(const BlockStore&) = delete;

  // Reallocates only when the block is smaller than `size`. False when allocation failed.
  bool growToAtLeast(uint32_t size);
  // Reallocates whenever the size differs; 0 frees the block. False when allocation failed.
  bool resizeExactly(uint32_t size);
  void free();

  char* block() const { return block_; }
  uint32_t size() const { return size_; }

 private:
  bool reallocate(uint32_t size);

  Allocator* allocator_;
  char* block_ = nullptr;
  uint32_t size_ = 0;
};

}  // namespace vexa
