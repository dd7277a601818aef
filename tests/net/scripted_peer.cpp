#include "tests/net/scripted_peer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace vexa::test {

namespace {

bool waitReadable(int fd, const std::atomic<bool>& stopping) {
  while (!stopping.load()) {
    pollfd entry{fd, POLLIN, 0};
    int result = ::poll(&entry, 1, 20);
    if (result > 0) return true;
    if (result < 0 && errno != EINTR) return false;
  }
  return false;
}

bool sendAll(int fd, const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::vector<ScriptedPeer::Step> ScriptedPeer::respondInPieces(
    const std::vector<std::string>& pieces) {
  std::vector<Step> script{readRequest()};
  for (const std::string& piece : pieces) {
    script.push_back(send(piece));
    script.push_back(sleep(2));
  }
  script.push_back(close());
  return script;
}

ScriptedPeer::ScriptedPeer(std::vector<Step> script, const char* address)
    : script_(std::move(script)), address_(address) {
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = 0;
  ::inet_pton(AF_INET, address, &local.sin_addr);
  if (::bind(listener_, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0 &&
      ::listen(listener_, 16) == 0) {
    socklen_t size = sizeof local;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&local), &size);
    port_ = ntohs(local.sin_port);
  }
  thread_ = std::thread([this] { serve(); });
}

ScriptedPeer::~ScriptedPeer() {
  stopping_ = true;
  thread_.join();
  ::close(listener_);
}

std::string ScriptedPeer::host() const {
  return address_ + ":" + std::to_string(port_);
}

std::vector<std::string> ScriptedPeer::requests() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return requests_;
}

void ScriptedPeer::serve() {
  int connection = 0;
  while (waitReadable(listener_, stopping_)) {
    int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    ++connections_;
    {
      std::lock_guard<std::mutex> guard(mutex_);
      requests_.emplace_back();
    }
    play(fd);
    ++connection;
  }
}

void ScriptedPeer::play(int fd) {
  bool open = true;
  for (const Step& step : script_) {
    if (!open) break;
    switch (step.kind) {
      case Step::Kind::ReadRequest:
      case Step::Kind::ReadToEnd: {
        const bool toEnd = step.kind == Step::Kind::ReadToEnd;
        std::string request;
        char buffer[65536];
        while ((toEnd || request.find("\r\n\r\n") == std::string::npos) &&
               waitReadable(fd, stopping_)) {
          ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
          if (n <= 0) break;
          request.append(buffer, static_cast<size_t>(n));
        }
        std::lock_guard<std::mutex> guard(mutex_);
        requests_.back() = request;
        break;
      }
      case Step::Kind::Send:
        if (!sendAll(fd, step.bytes)) open = false;
        break;
      case Step::Kind::Sleep:
        std::this_thread::sleep_for(std::chrono::milliseconds(step.milliseconds));
        break;
      case Step::Kind::Close:
        ::close(fd);
        open = false;
        break;
      case Step::Kind::Reset: {
        linger hard{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        ::close(fd);
        open = false;
        break;
      }
      case Step::Kind::Hold:
        // The client has shut its sending side already, so only the end of the test ends this.
        holding_ = true;
        while (!stopping_.load()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        break;
    }
  }
  if (open) ::close(fd);
}

uint16_t closedPort() {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local);
  socklen_t size = sizeof local;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &size);
  ::close(fd);
  return ntohs(local.sin_port);
}

}  // namespace vexa::test
