#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A small HTTP server on 127.0.0.1 for the player tests: it serves one body, optionally slowly,
// stalls, or answers with something that is not media, and counts connections and their ends.
namespace vexa::test {

enum class ServeMode { Body, Stall };

class MediaServer {
 public:
  MediaServer(std::string body, std::string contentType, ServeMode mode = ServeMode::Body,
              size_t chunk = 0)
      : body_(std::move(body)), type_(std::move(contentType)), mode_(mode), chunk_(chunk) {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    int on = 1;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, 16);
    socklen_t length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { acceptLoop(); });
  }
  ~MediaServer() {
    stopping_ = true;
    shutdown(listener_, SHUT_RDWR);
    acceptor_.join();
    close(listener_);
    std::vector<std::thread> threads;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      threads.swap(threads_);
    }
    for (auto& t : threads) t.join();
  }

  int port() const { return port_; }
  std::string url(const std::string& scheme = "http", const std::string& path = "/media") const {
    return scheme + "://127.0.0.1:" + std::to_string(port_) + path;
  }
  int connections() const { return connections_; }
  int closed() const { return closed_; }
  // The first line of every request, in order.
  std::vector<std::string> requestLines() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

 private:
  void acceptLoop() {
    while (!stopping_) {
      int fd = accept(listener_, nullptr, nullptr);
      if (fd < 0) return;
      ++connections_;
      std::lock_guard<std::mutex> lock(mutex_);
      threads_.emplace_back([this, fd] {
        serve(fd);
        close(fd);
        ++closed_;
      });
    }
  }

  // Waits up to `ms` for the peer; false when it closed or the server stops.
  bool peerStillThere(int fd, int ms) {
    for (int waited = 0; waited < ms && !stopping_; waited += 10) {
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, 10) > 0) {
        char c;
        if (recv(fd, &c, 1, MSG_PEEK | MSG_DONTWAIT) <= 0) return false;
        // More request bytes (a pipelined request): read and ignore them.
        char sink[512];
        recv(fd, sink, sizeof sink, MSG_DONTWAIT);
      }
    }
    return !stopping_;
  }

  void serve(int fd) {
    std::string request;
    char buffer[2048];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, 100) <= 0) {
        if (stopping_) return;
        continue;
      }
      ssize_t n = recv(fd, buffer, sizeof buffer, 0);
      if (n <= 0) return;
      request.append(buffer, static_cast<size_t>(n));
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      requests_.push_back(request.substr(0, request.find("\r\n")));
    }
    if (mode_ == ServeMode::Stall) {
      while (peerStillThere(fd, 1000)) {
      }
      return;
    }
    std::string head = "HTTP/1.0 200 OK\r\nContent-Type: " + type_ +
                       "\r\nContent-Length: " + std::to_string(body_.size()) +
                       "\r\nConnection: close\r\n\r\n";
    if (send(fd, head.data(), head.size(), MSG_NOSIGNAL) < 0) return;
    size_t chunk = chunk_ ? chunk_ : body_.size();
    for (size_t at = 0; at < body_.size(); at += chunk) {
      size_t n = std::min(chunk, body_.size() - at);
      if (send(fd, body_.data() + at, n, MSG_NOSIGNAL) < 0) return;
      // A slow stream: the next piece after a pause, unless the player went away.
      if (chunk_ && !peerStillThere(fd, 100)) return;
    }
    peerStillThere(fd, 30000);
  }

  std::string body_;
  std::string type_;
  ServeMode mode_;
  size_t chunk_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<int> connections_{0};
  std::atomic<int> closed_{0};
  std::mutex mutex_;
  std::vector<std::string> requests_;
  std::vector<std::thread> threads_;
  std::thread acceptor_;
};

// A mono 16-bit PCM WAV of a tone.
inline std::string ToneWav(int seconds, int rate = 8000) {
  const uint32_t samples = static_cast<uint32_t>(seconds * rate);
  std::string out;
  auto put32 = [&out](uint32_t v) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xff);
  };
  auto put16 = [&out](uint16_t v) {
    out += static_cast<char>(v & 0xff);
    out += static_cast<char>(v >> 8);
  };
  out += "RIFF";
  put32(36 + samples * 2);
  out += "WAVEfmt ";
  put32(16);
  put16(1);
  put16(1);
  put32(static_cast<uint32_t>(rate));
  put32(static_cast<uint32_t>(rate * 2));
  put16(2);
  put16(16);
  out += "data";
  put32(samples * 2);
  for (uint32_t i = 0; i < samples; ++i) {
    // A 500 Hz square wave: no floating point needed.
    put16(static_cast<uint16_t>(((i / 8) % 2) ? 6000 : -6000));
  }
  return out;
}

}  // namespace vexa::test
