#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vexa::testing {

// A scripted HTTP/1.1 server on 127.0.0.1 with an ephemeral port, serving fixed bodies by path
// (404 for any other path) with Content-Length and Connection: close. Routes may change while
// it runs. One connection at a time, on a thread of its own.
class TestHttpServer {
 public:
  TestHttpServer();
  ~TestHttpServer();

  // "127.0.0.1:PORT"; empty when the server could not start.
  const std::string& address() const { return address_; }
  uint16_t port() const { return port_; }

  void setRoute(const std::string& path, const std::string& body, int status = 200);
  void removeRoute(const std::string& path);
  // Requests served for `path`, and every request path in arrival order.
  int requestCount(const std::string& path);
  std::vector<std::string> requests();

 private:
  struct Route {
    std::string body;
    int status = 200;
  };
  void serve();
  void answer(int client);

  int listener_ = -1;
  uint16_t port_ = 0;
  std::string address_;
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;
  std::map<std::string, Route> routes_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

}  // namespace vexa::testing
