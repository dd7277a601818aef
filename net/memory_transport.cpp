#include "net/memory_transport.h"

#include <cstring>

namespace vexa {

ByteTransport::Readiness MemoryTransport::transportPoll() {
  if (piece_ >= pieces_.size()) {
    if (failAtEnd_) return Readiness::Failed;
    return stallAtEnd_ ? Readiness::Waiting : Readiness::Readable;
  }
  if (pieces_[piece_].empty()) {
    ++piece_;  // a pause: nothing this time
    return Readiness::Waiting;
  }
  return Readiness::Readable;
}

int32_t MemoryTransport::transportRead(char* out, uint32_t length) {
  if (piece_ >= pieces_.size()) return failAtEnd_ ? -2 : 0;
  const std::string& piece = pieces_[piece_];
  if (piece.empty()) {
    ++piece_;
    return -1;
  }
  size_t count = piece.size() - offset_;
  if (count > length) count = length;
  std::memcpy(out, piece.data() + offset_, count);
  offset_ += count;
  bytesRead_ += count;
  if (offset_ == piece.size()) {
    ++piece_;
    offset_ = 0;
  }
  return static_cast<int32_t>(count);
}

}  // namespace vexa
