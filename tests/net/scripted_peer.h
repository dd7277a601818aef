#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vexa::test {

// A listening socket on address:0 (127.0.0.x), or -1; its port goes to `port`.
inline int listenOn(const char* address, uint16_t& port) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  socklen_t size = sizeof local;
  if (::inet_pton(AF_INET, address, &local.sin_addr) != 1 ||
      ::bind(fd, reinterpret_cast<sockaddr*>(&local), size) != 0 || ::listen(fd, 16) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &size) != 0) {
    ::close(fd);
    return -1;
  }
  port = ntohs(local.sin_port);
  return fd;
}

// A hostile or ordinary HTTP server on 127.0.0.x with an ephemeral port, for tests. On each
// connection, one after another, it reads the request until the client shuts its sending side,
// sends the pieces as separate writes with a pause after each (so that they arrive as separate
// reads), then closes, resets (SO_LINGER 0), or holds the line open until it is destroyed.
class ScriptedPeer {
 public:
  enum End { Close, Reset, Hold };

  explicit ScriptedPeer(std::vector<std::string> pieces, End end = Close,
                        const char* address = "127.0.0.1")
      : pieces_(std::move(pieces)), end_(end), address_(address) {
    listener_ = listenOn(address, port_);
    thread_ = std::thread([this] {
      while (waitReadable(listener_)) {
        int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) play(fd);
      }
    });
  }
  ~ScriptedPeer() {
    stopping_ = true;
    ::shutdown(listener_, SHUT_RDWR);  // wakes the wait for the next connection
    thread_.join();
    ::close(listener_);
  }

  // "ADDRESS:PORT", as a download's host.
  std::string host() const { return address_ + ":" + std::to_string(port_); }
  // The request bytes of each connection so far.
  std::vector<std::string> requests() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return requests_;
  }
  // True once some connection holds the line.
  bool holding() const { return holding_.load(); }

 private:
  bool waitReadable(int fd) {
    for (pollfd entry{fd, POLLIN, 0}; !stopping_.load();) {
      if (::poll(&entry, 1, 20) > 0) return true;
    }
    return false;
  }

  void play(int fd) {
    std::string request;
    char buffer[65536];
    for (ssize_t n; waitReadable(fd) && (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) {
      request.append(buffer, static_cast<size_t>(n));
    }
    {
      // Recorded before any answer, so a download has ended only after this.
      std::lock_guard<std::mutex> guard(mutex_);
      requests_.push_back(request);
    }
    for (const std::string& piece : pieces_) {
      if (::send(fd, piece.data(), piece.size(), MSG_NOSIGNAL) < 0) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (end_ == Reset) {
      linger hard{1, 0};
      ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    }
    if (end_ == Hold) holding_ = true;
    while (end_ == Hold && !stopping_.load()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ::close(fd);
  }

  std::vector<std::string> pieces_;
  End end_;
  std::string address_;
  uint16_t port_ = 0;
  int listener_ = -1;
  std::atomic<bool> stopping_{false};
  std::atomic<bool> holding_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

}  // namespace vexa::test
