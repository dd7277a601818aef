#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vexa::test {

// A hostile or ordinary HTTP server on 127.0.0.x with an ephemeral port, for tests. It accepts
// connections one after another and plays the same script on each: read the request, send
// bytes in chosen pieces, sleep, close, reset, or hold the connection open.
class ScriptedPeer {
 public:
  struct Step {
    enum class Kind { ReadRequest, ReadToEnd, Send, Sleep, Close, Reset, Hold };
    Kind kind;
    std::string bytes;
    int milliseconds = 0;
  };
  static Step readRequest() { return {Step::Kind::ReadRequest, {}, 0}; }
  // Reads until the client shuts its sending side (after a request with a body).
  static Step readToEnd() { return {Step::Kind::ReadToEnd, {}, 0}; }
  static Step send(std::string bytes) { return {Step::Kind::Send, std::move(bytes), 0}; }
  static Step sleep(int milliseconds) { return {Step::Kind::Sleep, {}, milliseconds}; }
  static Step close() { return {Step::Kind::Close, {}, 0}; }
  // Closes with SO_LINGER 0: the client sees a reset.
  static Step reset() { return {Step::Kind::Reset, {}, 0}; }
  // Keeps the connection open, sending nothing, until the peer is destroyed.
  static Step hold() { return {Step::Kind::Hold, {}, 0}; }

  // Sends every piece as its own write, with a short pause between them so that they arrive
  // as separate reads.
  static std::vector<Step> respondInPieces(const std::vector<std::string>& pieces);

  explicit ScriptedPeer(std::vector<Step> script, const char* address = "127.0.0.1");
  ~ScriptedPeer();
  ScriptedPeer(const ScriptedPeer&) = delete;
  ScriptedPeer& operator=(const ScriptedPeer&) = delete;

  uint16_t port() const { return port_; }
  // "ADDRESS:PORT", as a download's host.
  std::string host() const;
  // The request bytes of each connection so far.
  std::vector<std::string> requests() const;
  // True once some connection has reached a Hold step.
  bool holding() const { return holding_.load(); }
  size_t connections() const { return connections_.load(); }

 private:
  void serve();
  void play(int connection);

  std::vector<Step> script_;
  std::string address_;
  int listener_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<bool> holding_{false};
  std::atomic<size_t> connections_{0};
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

// A port on 127.0.0.1 where nothing listens (bound once, then released).
uint16_t closedPort();

}  // namespace vexa::test
