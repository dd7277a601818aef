#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "net/byte_transport.h"

namespace vexa {

// A transport over bytes in memory, delivered in the pieces given: each read takes at most the
// rest of the current piece, so a response can be split anywhere. After the last piece it
// reports the peer's close, or a failure when fails() was asked for. For tests, benchmarks and
// fuzzing of the response reader.
class MemoryTransport : public ByteTransport {
 public:
  void addPiece(std::string bytes) { pieces_.push_back(std::move(bytes)); }
  // An empty piece makes one read find nothing waiting, as a slow peer would.
  void addPause() { pieces_.emplace_back(); }
  // After the last piece, fail instead of closing.
  void failAtEnd() { failAtEnd_ = true; }
  // After the last piece, have nothing waiting forever, as a peer that neither sends nor closes.
  void stallAtEnd() { stallAtEnd_ = true; }

  Readiness transportPoll() override;
  int32_t transportRead(char* out, uint32_t length) override;

  size_t bytesRead() const { return bytesRead_; }

 private:
  std::vector<std::string> pieces_;
  size_t piece_ = 0;
  size_t offset_ = 0;
  size_t bytesRead_ = 0;
  bool failAtEnd_ = false;
  bool stallAtEnd_ = false;
};

}  // namespace vexa
