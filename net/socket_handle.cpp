#include "net/socket_handle.h"

namespace vexa {

bool SocketHandle::create() {
  closeHard();
  fd_ = platform::createTcpSocket();
  return fd_ == platform::kInvalidSocket;
}

void SocketHandle::close() {
  if (!isOpen()) return;
  platform::closeSocket(fd_);
  fd_ = platform::kInvalidSocket;
}

void SocketHandle::closeHard() {
  if (!isOpen()) return;
  platform::shutdownBoth(fd_);
  close();
}

void SocketHandle::closeGracefully() {
  if (!isOpen()) return;
  platform::shutdownSending(fd_);
  // The drain is bounded: a peer that keeps sending must not hold the caller here forever.
  char scratch[256];
  for (int reads = 0; reads < 256; ++reads) {
    if (platform::receiveBytes(fd_, scratch, sizeof scratch) < 1) break;
  }
  closeHard();
}

}  // namespace vexa
