#pragma once

#include <cstdint>
#include <string_view>

#include "base/text_buffer.h"

namespace vexa {

// Appends to a TextBuffer while remembering the length, so building a page or a body costs one
// pass instead of a length count per append. Storage grows geometrically. The text stays
// NUL-terminated after every call. Once memory runs out, every later append is dropped and
// failed() says so.
class BufferWriter {
 public:
  // Starts writing at the end of the buffer's current text.
  explicit BufferWriter(TextBuffer& buffer);
  // Empties the buffer first and reserves `expected` bytes.
  BufferWriter(TextBuffer& buffer, uint32_t expected);

  // Empties the buffer and forgets an earlier failure.
  void restart();

  void append(std::string_view text);
  void appendChar(char byte);
  void appendDecimal(uint64_t value);

  bool failed() const { return failed_; }
  uint32_t length() const { return length_; }

 private:
  bool makeRoom(uint32_t extra);

  TextBuffer& buffer_;
  uint32_t length_ = 0;
  bool failed_ = false;
};

}  // namespace vexa
