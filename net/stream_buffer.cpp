#include "net/stream_buffer.h"

#include <cstdlib>
#include <cstring>

namespace vexa {

StreamBuffer::~StreamBuffer() {
  std::free(data_);
}

bool StreamBuffer::openForWriting(const char* tag) {
  if (mode_ != Mode::Closed) return true;
  mode_ = Mode::Writing;
  std::strncpy(tag_, tag ? tag : "", kTagSize - 1);
  size_ = 0;
  if (data_) data_[0] = '\0';
  return false;
}

bool StreamBuffer::openForReading(const char* tag) {
  if (mode_ != Mode::Closed) return true;
  mode_ = Mode::Reading;
  std::strncpy(tag_, tag ? tag : "", kTagSize - 1);
  readPosition_ = 0;
  lastRead_ = 0;
  skippingCutLine_ = false;
  return false;
}

void StreamBuffer::close() {
  mode_ = Mode::Closed;
  tag_[0] = '\0';
}

// Grows geometrically (in whole granules) so that filling a large body costs linear time.
bool StreamBuffer::grow(uint32_t needed) {
  if (needed <= capacity_) return true;
  uint64_t target = capacity_ ? uint64_t{capacity_} * 2 : kGranularity;
  if (target < needed) target = needed;
  target = (target + kGranularity - 1) / kGranularity * kGranularity;
  if (target > 0xFFFFF800u) {
    if (needed > 0xFFFFF800u) return false;
    target = 0xFFFFF800u;
  }
  char* block = static_cast<char*>(std::realloc(data_, static_cast<size_t>(target)));
  if (block == nullptr) return false;
  data_ = block;
  capacity_ = static_cast<uint32_t>(target);
  data_[size_] = '\0';
  return true;
}

char* StreamBuffer::reserveTail(uint32_t length) {
  if (length > 0xFFFFFFFEu - size_) return nullptr;
  if (!grow(size_ + length + 1)) return nullptr;
  return data_ + size_;
}

void StreamBuffer::commit(uint32_t length) {
  if (data_ == nullptr || length > capacity_ - size_ - 1) return;
  size_ += length;
  data_[size_] = '\0';
}

bool StreamBuffer::append(const char* bytes, uint32_t length) {
  if (length == 0) return false;
  char* tail = reserveTail(length);
  if (tail == nullptr) return true;
  std::memcpy(tail, bytes, length);
  commit(length);
  return false;
}

void StreamBuffer::erase(uint32_t offset, uint32_t count) {
  if (offset >= size_ || count == 0) return;
  if (count > size_ - offset) count = size_ - offset;
  std::memmove(data_ + offset, data_ + offset + count, size_ - offset - count + 1);
  size_ -= count;
  if (readPosition_ > size_) readPosition_ = size_;
}

void StreamBuffer::truncate(uint32_t size) {
  if (size >= size_) return;
  size_ = size;
  data_[size_] = '\0';
  if (readPosition_ > size_) readPosition_ = size_;
}

int64_t StreamBuffer::find(const char* needle, uint32_t needleLength, uint32_t from) const {
  if (from > size_) return -1;
  if (needleLength == 0) return from;
  if (needleLength > size_ - from) return -1;
  const char* start = data_ + from;
  const char* last = data_ + size_ - needleLength;
  for (const char* at = start; at <= last;) {
    at = static_cast<const char*>(std::memchr(at, needle[0], last - at + 1));
    if (at == nullptr) return -1;
    if (std::memcmp(at, needle, needleLength) == 0) return at - data_;
    ++at;
  }
  return -1;
}

// A line ends at CR or LF; an LF right after the CR that ended the previous line belongs to
// that line end. A line longer than size - 1 is cut, and the next call skips its rest. A NUL
// is copied like any byte but ends the call, and its count then includes the NUL. The end of
// the data ends the current line.
uint32_t StreamBuffer::readLine(char* out, uint32_t size) {
  if (out == nullptr || size < 2 || mode_ != Mode::Reading) return 0;
  const uint32_t end = size_;
  if (skippingCutLine_) {
    while (readPosition_ < end && data_[readPosition_] != '\r' && data_[readPosition_] != '\n') {
      lastRead_ = data_[readPosition_++];
    }
    if (readPosition_ == end) return 0;
    lastRead_ = data_[readPosition_++];
    skippingCutLine_ = false;
  }
  if (readPosition_ < end && lastRead_ == '\r' && data_[readPosition_] == '\n') {
    lastRead_ = '\n';
    ++readPosition_;
  }
  if (readPosition_ >= end) return 0;
  uint32_t count = 0;
  while (readPosition_ < end) {
    char byte = data_[readPosition_++];
    lastRead_ = byte;
    if (byte == '\r' || byte == '\n') {
      out[count] = '\0';
      return count + 1;
    }
    out[count++] = byte;
    if (byte == '\0') return count;
    if (count == size - 1) {
      out[count] = '\0';
      skippingCutLine_ = true;
      return count + 1;
    }
  }
  out[count] = '\0';
  return count + 1;
}

}  // namespace vexa
