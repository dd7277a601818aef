#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace vexa::testing {

// A scripted HTTP/1.1 server on 127.0.0.1 with an ephemeral port, serving fixed bodies by path
// (404 for any other path) with Content-Length and Connection: close. Routes may change while
// it runs. One connection at a time, on a thread of its own.
class TestHttpServer {
 public:
  TestHttpServer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    auto* generic = reinterpret_cast<sockaddr*>(&address);
    if (listener_ < 0 || ::bind(listener_, generic, length) != 0 || ::listen(listener_, 16) != 0 ||
        ::getsockname(listener_, generic, &length) != 0) {
      return;
    }
    address_ = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
    thread_ = std::thread([this] { serve(); });
  }
  ~TestHttpServer() {
    // Wakes the accept of the serving thread, which then ends.
    ::shutdown(listener_, SHUT_RDWR);
    if (thread_.joinable()) thread_.join();
    if (listener_ >= 0) ::close(listener_);
  }

  // "127.0.0.1:PORT"; empty when the server could not start.
  const std::string& address() const { return address_; }
  void setRoute(const std::string& path, const std::string& body) {
    std::lock_guard<std::mutex> lock(mutex_);
    routes_[path] = body;
  }
  void removeRoute(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    routes_.erase(path);
  }
  // Requests served for `path` so far.
  int requestCount(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    return counts_[path];
  }

 private:
  void serve() {
    for (int client; (client = ::accept(listener_, nullptr, nullptr)) >= 0; ::close(client)) {
      answer(client);
    }
  }

  void answer(int client) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
      const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
      if (got <= 0) return;
      request.append(buffer, static_cast<size_t>(got));
    }
    // "GET /path HTTP/1.1"
    const size_t start = request.find(' ') + 1;
    const std::string path = request.substr(start, request.find(' ', start) - start);
    std::string status = "404 Not Found", body = "not found";
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ++counts_[path];
      if (auto found = routes_.find(path); found != routes_.end()) {
        status = "200 OK";
        body = found->second;
      }
    }
    const std::string response = "HTTP/1.1 " + status +
                                 "\r\nContent-Length: " + std::to_string(body.size()) +
                                 "\r\nConnection: close\r\n\r\n" + body;
    for (size_t sent = 0; sent < response.size();) {
      const ssize_t wrote =
          ::send(client, response.data() + sent, response.size() - sent, MSG_NOSIGNAL);
      if (wrote <= 0) return;
      sent += static_cast<size_t>(wrote);
    }
  }

  int listener_ = -1;
  std::string address_;
  std::mutex mutex_;
  std::map<std::string, std::string> routes_;
  std::map<std::string, int> counts_;
  std::thread thread_;
};

}  // namespace vexa::testing
