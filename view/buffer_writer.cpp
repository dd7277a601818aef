#include "view/buffer_writer.h"

#include <cstring>

namespace vexa {

BufferWriter::BufferWriter(TextBuffer& buffer) : buffer_(buffer), length_(buffer.length()) {}

BufferWriter::BufferWriter(TextBuffer& buffer, uint32_t expected) : buffer_(buffer) {
  buffer_.clear();
  makeRoom(expected);
}

void BufferWriter::restart() {
  buffer_.clear();
  length_ = 0;
  failed_ = false;
}

bool BufferWriter::makeRoom(uint32_t extra) {
  if (failed_) return false;
  // Room for the text, the new bytes and the NUL, without wrapping.
  if (extra > 0xFFFFFFFEu - length_) {
    failed_ = true;
    return false;
  }
  uint32_t needed = length_ + extra + 1;
  if (needed <= buffer_.capacity() && buffer_.data() != nullptr) return true;
  uint32_t size = buffer_.capacity() < 0x7FFFFFFFu ? buffer_.capacity() * 2 : 0xFFFFFFFFu;
  if (size < needed) size = needed;
  if (buffer_.reserve(size, 0, false) == nullptr) {
    failed_ = true;
    return false;
  }
  return true;
}

void BufferWriter::append(std::string_view text) {
  if (text.empty()) return;
  if (text.size() >= 0xFFFFFFFFu) {
    failed_ = true;
    return;
  }
  if (!makeRoom(static_cast<uint32_t>(text.size()))) return;
  char* data = buffer_.data();
  std::memcpy(data + length_, text.data(), text.size());
  length_ += static_cast<uint32_t>(text.size());
  data[length_] = '\0';
}

void BufferWriter::appendChar(char byte) {
  if (!makeRoom(1)) return;
  char* data = buffer_.data();
  data[length_++] = byte;
  data[length_] = '\0';
}

void BufferWriter::appendDecimal(uint64_t value) {
  char digits[20];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  char text[20];
  for (int i = 0; i < count; ++i) text[i] = digits[count - 1 - i];
  append(std::string_view(text, count));
}

}  // namespace vexa
