#pragma once

#include <cstdint>

namespace vexa {

// A growable byte buffer that is closed, open for writing or open for reading, never both.
// Opening it for writing empties it; opening it for reading rewinds its reader. The bytes may
// hold NULs; a NUL is always kept after the last byte, so the contents can also be read as a
// C string. Used on one fiber at a time.
class StreamBuffer {
 public:
  enum class Mode { Closed, Writing, Reading };

  // Storage grows in multiples of this.
  static constexpr uint32_t kGranularity = 2048;
  static constexpr uint32_t kTagSize = 64;

  StreamBuffer() = default;
  ~StreamBuffer();
  StreamBuffer(const StreamBuffer&) = delete;
  StreamBuffer& operator=(const StreamBuffer&) = delete;

  // Both fail (return true) when the buffer is already open. The tag is kept with the open
  // state, cut to 63 bytes.
  bool openForWriting(const char* tag);
  bool openForReading(const char* tag);
  void close();
  Mode mode() const { return mode_; }
  const char* tag() const { return tag_; }

  // Appends bytes; true when memory ran out (nothing is appended then).
  bool append(const char* bytes, uint32_t length);
  // Room for `length` more bytes at the end, to be filled and then kept with commit(); null
  // when memory ran out.
  char* reserveTail(uint32_t length);
  void commit(uint32_t length);

  // Removes `count` bytes at `offset` (clamped to the contents).
  void erase(uint32_t offset, uint32_t count);
  void truncate(uint32_t size);

  // Offset of the first occurrence of the bytes at or after `from`, or -1.
  int64_t find(const char* needle, uint32_t needleLength, uint32_t from) const;

  const char* data() const { return data_ ? data_ : ""; }
  uint32_t size() const { return size_; }
  uint32_t capacity() const { return capacity_; }

  // Reads the next line of an open reader into `out` (see the .cpp for the exact rules).
  // Returns 0 at the end of the data or when size < 2; otherwise the line's byte count plus 1.
  uint32_t readLine(char* out, uint32_t size);
  uint32_t readPosition() const { return readPosition_; }

 private:
  bool grow(uint32_t needed);

  char* data_ = nullptr;
  uint32_t size_ = 0;
  uint32_t capacity_ = 0;
  Mode mode_ = Mode::Closed;
  char tag_[kTagSize] = {};
  uint32_t readPosition_ = 0;
  char lastRead_ = 0;
  bool skippingCutLine_ = false;
};

}  // namespace vexa
