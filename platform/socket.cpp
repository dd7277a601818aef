#include "platform/socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>

#include <cstring>

namespace vexa::platform {

namespace {

short pollEvents(int fd, short wanted) {
  if (fd < 0) return POLLNVAL;
  pollfd entry{};
  entry.fd = fd;
  entry.events = wanted;
  int result;
  do {
    result = ::poll(&entry, 1, 0);
  } while (result < 0 && errno == EINTR);
  if (result < 0) return POLLERR;
  return entry.revents;
}

}  // namespace

int createTcpSocket() {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  return fd < 0 ? kInvalidSocket : fd;
}

void closeSocket(int fd) {
  if (fd >= 0) ::close(fd);
}

void shutdownSending(int fd) {
  if (fd >= 0) ::shutdown(fd, SHUT_WR);
}

void sendWithoutDelay(int fd) {
  int on = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

void shutdownBoth(int fd) {
  if (fd >= 0) ::shutdown(fd, SHUT_RDWR);
}

ConnectStart startConnect(int fd, uint32_t address, uint16_t port) {
  if (fd < 0) return ConnectStart::Failed;
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(port);
  peer.sin_addr.s_addr = address;
  int result;
  do {
    result = ::connect(fd, reinterpret_cast<const sockaddr*>(&peer), sizeof peer);
  } while (result < 0 && errno == EINTR);
  if (result == 0) return ConnectStart::Connected;
  if (errno == EINPROGRESS || errno == EALREADY) return ConnectStart::InProgress;
  return ConnectStart::Failed;
}

bool pollWritable(int fd) {
  if (fd < 0) return false;
  return (pollEvents(fd, POLLOUT) & POLLOUT) != 0;
}

ReadReadiness pollForReading(int fd) {
  if (fd < 0) return ReadReadiness::Error;
  short events = pollEvents(fd, POLLIN);
  if (events & (POLLERR | POLLNVAL)) return ReadReadiness::Error;
  if (events & (POLLIN | POLLHUP)) return ReadReadiness::Readable;
  return ReadReadiness::Nothing;
}

int32_t sendBytes(int fd, const void* bytes, uint32_t length) {
  if (fd < 0) return kSocketError;
  if (length > 0x7FFFFFFFu) length = 0x7FFFFFFFu;
  ssize_t sent;
  do {
    sent = ::send(fd, bytes, length, MSG_NOSIGNAL);
  } while (sent < 0 && errno == EINTR);
  if (sent >= 0) return static_cast<int32_t>(sent);
  return (errno == EAGAIN || errno == EWOULDBLOCK) ? kWouldBlock : kSocketError;
}

int32_t receiveBytes(int fd, void* out, uint32_t length) {
  if (fd < 0) return kSocketError;
  if (length > 0x7FFFFFFFu) length = 0x7FFFFFFFu;
  ssize_t received;
  do {
    received = ::recv(fd, out, length, 0);
  } while (received < 0 && errno == EINTR);
  if (received >= 0) return static_cast<int32_t>(received);
  return (errno == EAGAIN || errno == EWOULDBLOCK) ? kWouldBlock : kSocketError;
}

bool canSend(int fd) {
  if (!pollWritable(fd)) return false;
  char nothing = 0;
  return sendBytes(fd, &nothing, 0) == 0;
}

uint32_t resolveIpv4(const char* name) {
  if (name == nullptr || name[0] == '\0') return 0;
  in_addr dotted{};
  if (::inet_pton(AF_INET, name, &dotted) == 1) return dotted.s_addr;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(name, nullptr, &hints, &found) != 0 || found == nullptr) return 0;
  uint32_t address = 0;
  for (addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
    if (entry->ai_family == AF_INET && entry->ai_addr != nullptr) {
      address = reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr.s_addr;
      break;
    }
  }
  ::freeaddrinfo(found);
  return address;
}

}  // namespace vexa::platform
