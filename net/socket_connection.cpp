#include "net/socket_connection.h"

#include "net/host_port.h"
#include "platform/socket.h"
#include "platform/thread.h"

namespace vexa {

SocketConnection::~SocketConnection() {
  stop(false);
}

void SocketConnection::requestConnect(const char* host, uint32_t port, Security security) {
  reset(true, kConnecting, false);
  host_.assign(host);
  port_ = port;
  security_ = security;
  tlsFailure_ = platform::TlsSession::Failure::None;
  sent_ = 0;
  start(0);  // when no thread can be made, the state stays "connecting" until the time limit
}

int32_t SocketConnection::getState() {
  LockGuard guard(lock_, 0);
  return state_;
}

platform::TlsSession::Failure SocketConnection::tlsFailure() {
  LockGuard guard(lock_, 0);
  return tlsFailure_;
}

bool SocketConnection::stopRequestedNow() {
  LockGuard guard(lock_, 0);
  return stopRequested_;
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
    if (tls_ != nullptr && !hard) tls_->closeNotify();
    tls_.reset();
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
    const char* rest = sendBuffer_.data() + sent_;
    uint32_t length = sendBuffer_.size() - sent_;
    int32_t sent = tls_ != nullptr ? tls_->send(rest, length)
                                   : platform::sendBytes(socket_.fd(), rest, length);
    if (sent == platform::kSocketError) return SendProgress::Failed;
    if (sent <= 0) return SendProgress::Pending;
    sent_ += static_cast<uint32_t>(sent);
  }
  return SendProgress::Done;
}

void SocketConnection::halfClose() {
  if (tls_ != nullptr) return;
  platform::shutdownSending(socket_.fd());
}

bool SocketConnection::isWritableAndSendable() {
  return platform::canSend(socket_.fd());
}

// One poll answers both questions of a receive: is the socket in error, and is anything waiting.
ByteTransport::Readiness SocketConnection::transportPoll() {
  // Bytes the session has already decrypted are not visible to a socket poll.
  if (tls_ != nullptr && tls_->hasBuffered()) return Readiness::Readable;
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
  if (tls_ != nullptr) return tls_->receive(out, length);
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
  bool connected =
      address != 0 && platform::startConnect(socket_.fd(), address, static_cast<uint16_t>(port_)) ==
                          platform::ConnectStart::Connected;
  while (!connected) {
    if (address != 0 && isWritableAndSendable()) break;
    if (stopRequestedNow()) {
      reset(true, kClosed, false);
      return;
    }
    pause();
  }
  if (security_ == Security::Tls && secureConnection(target.name.c_str())) return;
  reset(false, kConnected, false);
}

bool SocketConnection::secureConnection(const char* serverName) {
  using platform::TlsSession;
  if (trust_ == nullptr) trust_ = TlsSession::loadTrust();
  platform::sendWithoutDelay(socket_.fd());
  std::unique_ptr<TlsSession> session = TlsSession::create(socket_.fd(), serverName, trust_);
  TlsSession::Failure failure = TlsSession::Failure::Handshake;
  while (session != nullptr) {
    TlsSession::Step step = session->handshake();
    if (step == TlsSession::Step::Done) {
      tls_ = std::move(session);  // published to the task by the locked state change after
      return false;
    }
    if (step == TlsSession::Step::Failed) {
      failure = session->failure();
      break;
    }
    if (stopRequestedNow()) {
      failure = TlsSession::Failure::None;
      break;
    }
    pause();
  }
  session.reset();
  {
    LockGuard guard(lock_, 0);
    tlsFailure_ = failure;
  }
  reset(true, kClosed, false);
  return true;
}

}  // namespace vexa
