#pragma once

#include "platform/socket.h"

namespace vexa {

// One TCP socket descriptor, closed when the handle is. Closing gracefully shuts the sending
// side and drains what the peer has already sent, so the close does not reset the connection.
class SocketHandle {
 public:
  SocketHandle() = default;
  ~SocketHandle() { close(); }
  SocketHandle(const SocketHandle&) = delete;
  SocketHandle& operator=(const SocketHandle&) = delete;

  // Closes any open socket first; true when no socket could be made.
  bool create();
  void close();
  void closeHard();
  void closeGracefully();

  bool isOpen() const { return fd_ != platform::kInvalidSocket; }
  int fd() const { return fd_; }

 private:
  int fd_ = platform::kInvalidSocket;
};

}  // namespace vexa
