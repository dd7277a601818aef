#pragma once

#include <cstdint>
#include <memory>

#include "base/text_buffer.h"
#include "base/thread_task.h"
#include "base/timed_mutex.h"
#include "net/byte_transport.h"
#include "net/response_reader.h"
#include "net/socket_handle.h"
#include "net/stream_buffer.h"
#include "platform/tls_session.h"

namespace vexa {

// The TCP client under every download: one socket, the request and response buffers, and a
// worker thread for the slow steps (name look-up plus connect, and for TLS the handshake with
// its certificate check).
//
// Threads: run() is the worker; it reads host, port and security (written before it starts),
// owns the socket and the TLS session until it reports state 1, and takes lock() for the stop
// flag, the state and the TLS failure. Everything
// else is called on the download task's fiber, and sends or receives only once getState() is 1.
// Nothing here blocks the caller longer than one non-blocking socket call, except the wait for
// the worker to end in stop() and the bounded drain of a graceful close.
class SocketConnection : public ThreadTask, public ByteTransport {
 public:
  enum State : int32_t { kConnecting = -2, kClosed = 0, kConnected = 1 };
  enum class SendProgress { Done, Pending, Failed };
  enum class Security { Plain, Tls };

  SocketConnection() = default;
  ~SocketConnection() override;

  // Closes what the previous request left, then starts the worker on host ("NAME[:PORT]": the
  // name is looked up, the port comes from `port`). With Security::Tls the connection counts
  // as made only once the handshake has verified the server; there is no fall-back to plain.
  void requestConnect(const char* host, uint32_t port, Security security = Security::Plain);
  int32_t getState();
  // Why the last TLS connect ended without a connection (None when it did not fail so).
  platform::TlsSession::Failure tlsFailure();
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
  // Shuts the sending side once the request is out (plain connections only: TLS needs the
  // sending side for its own records); the response still arrives.
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
  // The worker's TLS step on a connected socket; true when it ended without a session (the
  // state is then closed).
  bool secureConnection(const char* serverName);
  bool stopRequestedNow();

  bool stopRequested_ = false;
  int32_t state_ = kClosed;
  TimedMutex lock_;
  SocketHandle socket_;
  StreamBuffer sendBuffer_;
  uint32_t sent_ = 0;
  ResponseReader reader_;
  uint32_t port_ = 0;
  Security security_ = Security::Plain;
  // Loaded by the first TLS connect, kept for the later ones of this connection.
  std::shared_ptr<platform::TlsSession::Trust> trust_;
  std::unique_ptr<platform::TlsSession> tls_;
  platform::TlsSession::Failure tlsFailure_ = platform::TlsSession::Failure::None;
  TextBuffer host_{64};
  TextBuffer connectHost_{1024};
};

}  // namespace vexa
