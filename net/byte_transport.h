#pragma once

#include <cstdint>

namespace vexa {

// Where a response's bytes come from: a socket, or bytes in memory for tests and fuzzing.
// Every call returns at once.
class ByteTransport {
 public:
  virtual ~ByteTransport() = default;
  enum class Readiness { Failed, Readable, Waiting };
  // Failed: a socket in error, or no socket at all. Readable: bytes or the end of the stream are
  // waiting. Waiting: nothing yet.
  virtual Readiness transportPoll() = 0;
  // Bytes read (> 0), 0 when the peer has closed, -1 when nothing is waiting, -2 on error.
  virtual int32_t transportRead(char* out, uint32_t length) = 0;
};

}  // namespace vexa
