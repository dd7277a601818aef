#include "test_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace vexa::testing {

TestHttpServer::TestHttpServer() {
  listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
  if (listener_ < 0) return;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener_, 16) != 0 ||
      ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::close(listener_);
    listener_ = -1;
    return;
  }
  port_ = ntohs(address.sin_port);
  address_ = "127.0.0.1:" + std::to_string(port_);
  thread_ = std::thread([this] { serve(); });
}

TestHttpServer::~TestHttpServer() {
  stopping_ = true;
  if (thread_.joinable()) thread_.join();
  if (listener_ >= 0) ::close(listener_);
}

void TestHttpServer::setRoute(const std::string& path, const std::string& body, int status) {
  std::lock_guard<std::mutex> lock(mutex_);
  routes_[path] = Route{body, status};
}

void TestHttpServer::removeRoute(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  routes_.erase(path);
}

int TestHttpServer::requestCount(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  int count = 0;
  for (const auto& request : requests_) count += request == path ? 1 : 0;
  return count;
}

std::vector<std::string> TestHttpServer::requests() {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void TestHttpServer::serve() {
  while (!stopping_) {
    pollfd waiting{listener_, POLLIN, 0};
    if (::poll(&waiting, 1, 20) <= 0) continue;
    const int client = ::accept(listener_, nullptr, nullptr);
    if (client < 0) continue;
    answer(client);
    ::close(client);
  }
}

void TestHttpServer::answer(int client) {
  std::string request;
  char buffer[4096];
  while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
    pollfd readable{client, POLLIN, 0};
    if (::poll(&readable, 1, 5000) <= 0) return;
    const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
    if (got <= 0) return;
    request.append(buffer, static_cast<size_t>(got));
  }
  // "GET /path HTTP/1.1"
  const size_t pathStart = request.find(' ') + 1;
  const size_t pathEnd = request.find(' ', pathStart);
  const std::string path = request.substr(pathStart, pathEnd - pathStart);

  Route route{"not found", 404};
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(path);
    auto found = routes_.find(path);
    if (found != routes_.end()) route = found->second;
  }
  std::string response =
      "HTTP/1.1 " + std::to_string(route.status) + (route.status == 200 ? " OK" : " Not Found") +
      "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(route.body.size()) +
      "\r\nConnection: close\r\n\r\n" + route.body;
  size_t sent = 0;
  while (sent < response.size()) {
    const ssize_t wrote =
        ::send(client, response.data() + sent, response.size() - sent, MSG_NOSIGNAL);
    if (wrote <= 0) return;
    sent += static_cast<size_t>(wrote);
  }
}

}  // namespace vexa::testing
