#pragma once

#include <cstdint>

#include "base/block_store.h"

namespace vexa {

// A position or maximum length of all bits set means "the end" or "no limit".
inline constexpr uint32_t kEnd = 0xFFFFFFFFu;
inline constexpr uint32_t kNoLimit = 0xFFFFFFFFu;

// The system's growable NUL-terminated byte string. It stores no length: the text ends at the
// first NUL. Storage moves in steps of `granularity`, and after any insert every byte past the
// text is NUL (code that builds NUL-separated lists relies on that).
class TextBuffer {
 public:
  explicit TextBuffer(uint32_t granularity = 64) : granularity_(granularity ? granularity : 64) {}
  TextBuffer(const TextBuffer&) = delete;
  TextBuffer& operator=(const TextBuffer&) = delete;

  // fill < 0 keeps the bytes, 0 zeroes everything past the text, > 0 zeroes the whole block.
  // Without `exact` the block never shrinks. Returns data(), null for size 0 or no memory.
  char* reserve(uint32_t size, int fill, bool exact);

  void assign(const char* text);
  void assign(const char* text, uint32_t maxLength);
  void insert(uint32_t position, const char* text, uint32_t maxLength = kNoLimit);
  void append(const char* text, uint32_t maxLength = kNoLimit) { insert(kEnd, text, maxLength); }
  void insertChar(uint32_t position, char byte);
  void appendChar(char byte) { insertChar(kEnd, byte); }
  void clear() { assign(nullptr); }

  const char* find(char byte) const;
  uint32_t length() const;
  bool empty() const { return data_ == nullptr || data_[0] == '\0'; }

  char* data() const { return data_; }
  // Never null: the empty string when there is no storage.
  const char* text() const { return data_ ? data_ : ""; }
  uint32_t capacity() const { return capacity_; }
  uint32_t granularity() const { return granularity_; }

 private:
  void makeEmpty();

  char* data_ = nullptr;
  uint32_t granularity_;
  uint32_t capacity_ = 0;
  BlockStore store_;
};

}  // namespace vexa
