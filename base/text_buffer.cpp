#include "base/text_buffer.h"

#include <cstring>
#include <string>

#include "base/text_functions.h"

namespace vexa {

char* TextBuffer::reserve(uint32_t size, int fill, bool exact) {
  if (size == 0) {
    if (exact) store_.free();
    makeEmpty();
    return nullptr;
  }
  // Computed wide: a request near 4 GiB must fail, not wrap to a tiny block.
  uint64_t target = (static_cast<uint64_t>(size - 1) / granularity_ + 1) * granularity_;
  bool failed = target > kNoLimit;
  if (!failed) {
    uint32_t wanted = static_cast<uint32_t>(target);
    failed = exact ? !store_.resizeExactly(wanted) : !store_.growToAtLeast(wanted);
    if (!failed) failed = !store_.growToAtLeast(wanted < 64 ? wanted : 64);
  }
  if (failed || store_.block() == nullptr) {
    // A block smaller than asked for is never handed out as if it were big enough.
    makeEmpty();
    return nullptr;
  }
  data_ = store_.block();
  capacity_ = store_.size();
  if (fill < 0) {
    // A shrink may have cut the terminator off.
    data_[capacity_ - 1] = '\0';
  } else if (fill == 0) {
    data_[capacity_ - 1] = '\0';
    size_t end = strlen(data_);
    std::memset(data_ + end, 0, capacity_ - end);
  } else {
    std::memset(data_, 0, capacity_);
  }
  return data_;
}

void TextBuffer::makeEmpty() {
  // A block kept for reuse must not bring its old text back with the next insert.
  if (store_.block() != nullptr) store_.block()[0] = '\0';
  data_ = nullptr;
  capacity_ = 0;
}

void TextBuffer::assign(const char* text) {
  assign(text, kNoLimit);
}

void TextBuffer::assign(const char* text, uint32_t maxLength) {
  uint32_t n = boundedLength(text, maxLength);
  if (text != nullptr && text == data_ && n == length()) return;
  if (n == kNoLimit) return;  // no room for the terminator in any block
  // The text may lie inside the block that reserve is about to move.
  std::string copy;
  if (data_ != nullptr && text >= data_ && text < data_ + capacity_) {
    copy.assign(text, n);
    text = copy.c_str();
  }
  char* data = reserve(n + 1, -1, false);
  copyBounded(data, capacity_, text, n);
}

void TextBuffer::insert(uint32_t position, const char* text, uint32_t maxLength) {
  uint32_t n = boundedLength(text, maxLength);
  if (n == 0) return;
  uint32_t length = this->length();
  uint64_t needed = static_cast<uint64_t>(length) + n + 1;
  if (needed > kNoLimit) return;  // cannot be held; the text stays as it was
  std::string copy;
  if (data_ != nullptr && text >= data_ && text < data_ + capacity_) {
    copy.assign(text, n);
    text = copy.c_str();
  }
  if (capacity_ < needed) reserve(static_cast<uint32_t>(needed), 0, false);
  insertBounded(data_, capacity_, position, text, n);
}

void TextBuffer::insertChar(uint32_t position, char byte) {
  if (byte == '\0') return;
  const char text[2] = {byte, '\0'};
  insert(position, text, 1);
}

const char* TextBuffer::find(char byte) const {
  if (data_ == nullptr || byte == '\0') return nullptr;
  return static_cast<const char*>(std::memchr(data_, byte, length()));
}

uint32_t TextBuffer::length() const {
  if (data_ == nullptr) return 0;
  return static_cast<uint32_t>(strnlen(data_, capacity_));
}

}  // namespace vexa
