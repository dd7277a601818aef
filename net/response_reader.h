#pragma once

#include <cstdint>

#include "net/byte_transport.h"
#include "net/cookie_jar.h"
#include "net/response_headers.h"
#include "net/stream_buffer.h"

namespace vexa {

// Reads one HTTP response from a transport in small non-blocking steps: separates the header
// block, finds the body's framing (Content-Length, chunked, or until the peer closes) and strips
// the chunk framing in place. When the transfer has ended, receiveBuffer() holds the body, open
// for reading, and receiveState() says whether it is whole (0) or the transfer failed (-1).
//
// A body is never delivered cut short: a peer that closes before the header block, before the
// announced length or inside the chunk framing, a malformed length or chunk size, and a socket
// error all fail the transfer. Runs on the download task's fiber.
class ResponseReader {
 public:
  static constexpr uint32_t kReadSize = 2048;

  enum class Failure { None, Socket, CutShort, Malformed, NoMemory };

  ResponseReader() = default;
  ResponseReader(const ResponseReader&) = delete;
  ResponseReader& operator=(const ResponseReader&) = delete;

  // One read of at most min(maxLength, 2048) bytes, appended to the receive buffer. The first
  // call of a transfer empties the buffer. Returns the bytes read (> 0), 0 when nothing is
  // waiting, or -1 when the transfer has ended: the peer closed, the transport failed, or
  // maxLength was 0 (which ends the transfer on purpose and keeps the bytes received).
  int32_t receive(ByteTransport& transport, uint32_t maxLength);

  // One step of the response: the bytes it took from the transport (>= 0), or -1 when the
  // transfer has ended (whole or failed). Header fields go to `cookies` when it is given.
  int32_t readStep(ByteTransport& transport, CookieJar* cookies, uint32_t readSize);
  // Every byte the last step took from the transport, also when it ended the transfer.
  uint32_t lastStepBytes() const { return stepBytes_; }

  // 0 not receiving, 1 receiving, -1 failed (until the next transfer begins).
  int32_t receiveState() const { return receiveState_; }
  Failure failure() const { return failure_; }

  StreamBuffer& receiveBuffer() { return receiveBuffer_; }
  const StreamBuffer& receiveBuffer() const { return receiveBuffer_; }
  const ResponseHeaders& headers() const { return headers_; }

 private:
  enum class Framing { Unknown, Length, Chunked, UntilClose };

  void resetResponse(int direction);
  int32_t endTransfer(int32_t value);
  int32_t fail(Failure reason);
  int32_t finishBody(uint32_t bodySize);
  int32_t headerStep(ByteTransport& transport, CookieJar* cookies, uint32_t readSize);
  int32_t bodyStep(ByteTransport& transport, uint32_t readSize);
  int32_t chunkedStep(ByteTransport& transport);
  int32_t afterRead(int32_t read);
  // Moves bytes [offset, offset + count) of the receive buffer into the aux buffer.
  void moveToAux(uint32_t offset, uint32_t count, const char* tag);

  StreamBuffer receiveBuffer_;
  StreamBuffer auxBuffer_;
  ResponseHeaders headers_;
  int32_t receiveState_ = 0;
  Failure failure_ = Failure::None;
  uint32_t stepBytes_ = 0;

  // Cleared at the begin and the end of every transfer.
  bool headersDone_ = false;
  Framing framing_ = Framing::Unknown;
  uint32_t contentLength_ = 0;
  uint32_t bodyReceived_ = 0;
  bool firstSizeLineRead_ = false;
  uint32_t chunkSize_ = 0;
  uint32_t chunkReceived_ = 0;
  uint32_t chunkEnd_ = 0;
  // Where the next search for a line end may start: the bytes before it have been searched.
  uint32_t scanFrom_ = 0;
};

}  // namespace vexa
