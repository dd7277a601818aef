#pragma once

#include <cstdint>

#include "net/request_profile.h"

namespace vexa {

class HttpConnection;

// Decides how a transfer goes on: it performs each read step and says after each whether to
// stop. The time check is where the download task yields. Called on the download task's fiber.
class TransferMonitor {
 public:
  virtual ~TransferMonitor() = default;
  // One read step of the response: bytes taken (>= 0), or -1 when the transfer has ended.
  virtual int32_t readStep(HttpConnection& connection) = 0;
  // `total` counts every byte taken from the socket, the header block included.
  virtual bool sizeLimitReached(uint64_t total) = 0;
  virtual bool timeLimitReached(TransferContext& context) = 0;
};

}  // namespace vexa
