#include "net/socket_connection.h"

#include "net/host_port.h"
#include "platform/socket.h"
#include "platform/thread.h"

namespace vexa {

SocketConnection::~SocketConnection() {
  stop(false);
}

void SocketConnection::requestConnect(const char* host, uint32_t port) {
  reset(true, kConnecting, false);
  host_.assign(host);
  port_ = port;
  sent_ = 0;
  start(0);  // when no thread can be made, the state stays "connecting" until the time limit
}

int32_t SocketConnection::getState() {
  LockGuard guard(lock_, 0);
  return state_;
}

void SocketConnection::stop(bool noWait) {
  {
    LockGuard guard(lock_, 0);
    stopRequested_ = true;
  }
  if (noWait) return;
  cancelPending();
  // The worker sees the flag within a millisecond, unless it is inside a name look-up.
  while (isRunning() != 0) platform::sleepMs(1);
  // A worker that was cancelled before it ran, or never started, leaves its request behind.
  LockGuard guard(lock_, 0);
  if (state_ < 0) state_ = kClosed;
}

void SocketConnection::reset(bool closeSocket, int32_t newState, bool hard) {
  if (!isOwnThread()) stop(false);
  LockGuard guard(lock_, 0);
  if (closeSocket) {
    if (hard) {
      socket_.closeHard();
    } else {
      socket_.closeGracefully();
    }
  }
  stopRequested_ = false;
  state_ = newState;
}

void SocketConnection::finish(bool hard) {
  stop(hard);
  reset(true, kClosed, hard);
}

void SocketConnection::beginSend() {
  sendBuffer_.close();
  sendBuffer_.openForReading("send");
  sent_ = 0;
}

SocketConnection::SendProgress SocketConnection::sendPending() {
  if (sendBuffer_.mode() != StreamBuffer::Mode::Reading) return SendProgress::Failed;
  while (sent_ < sendBuffer_.size()) {
    int32_t sent =
        platform::sendBytes(socket_.fd(), sendBuffer_.data() + sent_, sendBuffer_.size() - sent_);
    if (sent == platform::kSocketError) return SendProgress::Failed;
    if (sent <= 0) return SendProgress::Pending;
    sent_ += static_cast<uint32_t>(sent);
  }
  return SendProgress::Done;
}

void SocketConnection::halfClose() {
  platform::shutdownSending(socket_.fd());
}

bool SocketConnection::isWritableAndSendable() {
  return platform::canSend(socket_.fd());
}

// One poll answers both questions of a receive: is the socket in error, and is anything waiting.
ByteTransport::Readiness SocketConnection::transportPoll() {
  switch (platform::pollForReading(socket_.fd())) {
    case platform::ReadReadiness::Error:
      return Readiness::Failed;
    case platform::ReadReadiness::Readable:
      return Readiness::Readable;
    case platform::ReadReadiness::Nothing:
      break;
  }
  return Readiness::Waiting;
}

int32_t SocketConnection::transportRead(char* out, uint32_t length) {
  int32_t read = platform::receiveBytes(socket_.fd(), out, length);
  if (read >= 0) return read;
  return read == platform::kWouldBlock ? -1 : -2;
}

// The worker: look the host up and connect without blocking, polling until the connect has
// completed or the caller asks it to stop. A refused or unreachable peer is not told apart from
// a slow one; the caller's time limit ends the wait.
void SocketConnection::run() {
  {
    LockGuard guard(lock_, 0);
    if (state_ != kConnecting || host_.empty()) {
      state_ = kClosed;
      return;
    }
    connectHost_.assign(host_.text());
  }
  HostPort target;
  if (!splitHostPort(connectHost_.text(), target) || port_ == 0 || port_ > 65535) {
    LockGuard guard(lock_, 0);
    state_ = kClosed;
    return;
  }
  socket_.create();
  // A name that does not resolve is never connected: address 0 would reach this machine.
  uint32_t address = platform::resolveIpv4(target.name.c_str());
  if (address != 0 && platform::startConnect(socket_.fd(), address, static_cast<uint16_t>(port_)) ==
                          platform::ConnectStart::Connected) {
    reset(false, kConnected, false);
    return;
  }
  for (;;) {
    if (address != 0 && isWritableAndSendable()) {
      reset(false, kConnected, false);
      return;
    }
    bool stopping;
    {
      LockGuard guard(lock_, 0);
      stopping = stopRequested_;
    }
    if (stopping) {
      reset(true, kClosed, false);
      return;
    }
    pause();
  }
}

}  // namespace vexa
