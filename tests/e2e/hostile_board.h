#pragma once

// A board server for whole-program tests whose every answer the test chooses: per path, and per
// request of that path, the raw response bytes (status line, header, body). It serves on an
// ephemeral port of 127.0.0.1 from a thread of its own, one connection at a time.

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "tests/net/scripted_peer.h"

namespace vexa::test {

class HostileBoard {
 public:
  // The answer to the `count`th request (from 1) of a path.
  using Route = std::function<std::string(int count)>;

  HostileBoard() {
    listener_ = listenOn("127.0.0.1", port_);
    thread_ = std::thread([this] {
      while (waitReadable(listener_)) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) answer(fd);
      }
    });
  }
  ~HostileBoard() {
    stopping_ = true;
    ::shutdown(listener_, SHUT_RDWR);
    thread_.join();
    ::close(listener_);
  }
  HostileBoard(const HostileBoard&) = delete;
  HostileBoard& operator=(const HostileBoard&) = delete;

  // "127.0.0.1:PORT".
  std::string host() const { return "127.0.0.1:" + std::to_string(port_); }
  void route(const std::string& path, Route answer) {
    std::lock_guard<std::mutex> guard(mutex_);
    routes_[path] = std::move(answer);
  }
  // The same answer to every request.
  void serve(const std::string& path, const std::string& response) {
    route(path, [response](int) { return response; });
  }
  int requests(const std::string& path) const {
    std::lock_guard<std::mutex> guard(mutex_);
    const auto found = counts_.find(path);
    return found == counts_.end() ? 0 : found->second;
  }

  static std::string response(int status, const std::string& body) {
    return "HTTP/1.1 " + std::to_string(status) +
           " X\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
  }

 private:
  bool waitReadable(int fd) {
    for (pollfd entry{fd, POLLIN, 0}; !stopping_.load();) {
      if (::poll(&entry, 1, 20) > 0) return true;
    }
    return false;
  }

  void answer(int fd) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos && waitReadable(fd)) {
      const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      request.append(buffer, static_cast<size_t>(got));
    }
    const size_t start = request.find(' ') + 1;
    const std::string path = request.substr(start, request.find(' ', start) - start);
    std::string out = response(404, "not found");
    {
      std::lock_guard<std::mutex> guard(mutex_);
      const int count = ++counts_[path];
      const auto found = routes_.find(path);
      if (found != routes_.end()) out = found->second(count);
    }
    for (std::string_view rest = out; !rest.empty();) {
      const ssize_t sent = ::send(fd, rest.data(), rest.size(), MSG_NOSIGNAL);
      if (sent <= 0) break;
      rest.remove_prefix(static_cast<size_t>(sent));
    }
    ::close(fd);
  }

  int listener_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  mutable std::mutex mutex_;
  std::map<std::string, Route> routes_;
  std::map<std::string, int> counts_;
  std::thread thread_;
};

}  // namespace vexa::test
