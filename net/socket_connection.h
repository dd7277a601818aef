#pragma once

#include <cstdint>

#include "base/text_buffer.h"
#include "base/thread_task.h"
#include "base/timed_mutex.h"
#include "net/byte_transport.h"
#include "net/response_reader.h"
#include "net/socket_handle.h"
#include "net/stream_buffer.h"

namespace vexa {

// The TCP client under every download: one socket, the request and response buffers, and a
// worker thread for the one slow step (name look-up plus connect).
//
// Threads: run() is the worker; it reads host and port (written before it starts), owns the
// socket until it reports state 1, and takes lock() for the stop flag and the state. Everything
// else is called on the download task's fiber, and sends or receives only once getState() is 1.
// Nothing here blocks the caller longer than one non-blocking socket call, except the wait for
// the worker to end in stop() and the bounded drain of a graceful close.
class SocketConnection : public ThreadTask, public ByteTransport {
 public:
  enum State : int32_t { kConnecting = -2, kClosed = 0, kConnected = 1 };
  enum class SendProgress { Done, Pending, Failed };

  SocketConnection() = default;
  ~SocketConnection() override;

  // Closes what the previous request left, then starts the worker on host ("NAME[:PORT]": the
  // name is looked up, the port comes from `port`).
  void requestConnect(const char* host, uint32_t port);
  int32_t getState();
  // Asks the worker to give up; unless noWait, waits until it has ended.
  void stop(bool noWait);
  // Stops the worker (waiting, unless called on it), then closes the socket when asked
  // (hard: at once; else gracefully) and sets the state.
  void reset(bool closeSocket, int32_t newState, bool hard);
  // The end of every transfer: the worker has ended and the socket is closed.
  void finish(bool hard);

  // The request text is composed into sendBuffer() (open for writing). beginSend() switches it
  // to reading; sendPending() sends as much as the socket takes now, until Done.
  StreamBuffer& sendBuffer() { return sendBuffer_; }
  void beginSend();
  SendProgress sendPending();
  // Shuts the sending side once the request is out; the response still arrives.
  void halfClose();

  bool isWritableAndSendable();

  // One read of the response (see ResponseReader::receive).
  int32_t receive(uint32_t maxLength) { return reader_.receive(*this, maxLength); }
  ResponseReader& response() { return reader_; }
  const ResponseReader& response() const { return reader_; }
  StreamBuffer& receiveBuffer() { return reader_.receiveBuffer(); }
  const StreamBuffer& receiveBuffer() const { return reader_.receiveBuffer(); }

  Readiness transportPoll() override;
  int32_t transportRead(char* out, uint32_t length) override;

 protected:
  void run() override;

 private:
  bool stopRequested_ = false;
  int32_t state_ = kClosed;
  TimedMutex lock_;
  SocketHandle socket_;
  StreamBuffer sendBuffer_;
  uint32_t sent_ = 0;
  ResponseReader reader_;
  uint32_t port_ = 0;
  TextBuffer host_{64};
  TextBuffer connectHost_{1024};
};

}  // namespace vexa
