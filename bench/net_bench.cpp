// The HTTP client's speed: decoding a chunked body in memory, and whole downloads from a server on
// the loopback interface through the task loop (wall time and passes of the loop).

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "base/task_loop.h"
#include "net/download_client.h"
#include "net/memory_transport.h"
#include "net/response_reader.h"
#include "platform/message_queue.h"

namespace {

constexpr size_t kBodySize = 2 * 1024 * 1024;

std::string chunkedResponse(size_t bodySize, size_t chunkSize) {
  std::string response = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
  std::string chunk(chunkSize, 'c');
  char line[32];
  for (size_t at = 0; at < bodySize; at += chunkSize) {
    size_t size = std::min(chunkSize, bodySize - at);
    std::snprintf(line, sizeof line, "%zx\r\n", size);
    response += line;
    response.append(chunk, 0, size);
    response += "\r\n";
  }
  return response + "0\r\n\r\n";
}

std::string sizedResponse(size_t bodySize) {
  return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(bodySize) + "\r\n\r\n" +
         std::string(bodySize, 's');
}

// Decodes 2 MiB in 1 KiB chunks. Arg 0: the response arrives at once; arg 1: each chunk with
// its framing arrives as a piece of its own, with a pause between pieces.
void BM_ChunkedDecode(benchmark::State& state) {
  const std::string response = chunkedResponse(kBodySize, 1024);
  const bool pieces = state.range(0) == 1;
  uint64_t steps = 0;
  for (auto _ : state) {
    vexa::MemoryTransport transport;
    if (pieces) {
      size_t start = response.find("\r\n\r\n") + 4;
      transport.addPiece(response.substr(0, start));
      for (size_t at = start; at < response.size();) {
        size_t next = response.find("\r\n", response.find("\r\n", at) + 2);
        next = next == std::string::npos ? response.size() : next + 2;
        transport.addPiece(response.substr(at, next - at));
        transport.addPause();
        at = next;
      }
    } else {
      transport.addPiece(response);
    }
    vexa::ResponseReader reader;
    while (reader.readStep(transport, nullptr, 2048) >= 0) ++steps;
    if (reader.receiveState() != 0 || reader.receiveBuffer().size() != kBodySize) {
      state.SkipWithError("decoding failed");
      break;
    }
    benchmark::DoNotOptimize(reader.receiveBuffer().data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBodySize));
  state.counters["steps"] =
      benchmark::Counter(static_cast<double>(steps), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ChunkedDecode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Serves the same response to every connection on 127.0.0.1.
class LoopbackServer {
 public:
  explicit LoopbackServer(std::string response) : response_(std::move(response)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&local), sizeof local);
    ::listen(listener_, 16);
    socklen_t size = sizeof local;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&local), &size);
    host_ = "127.0.0.1:" + std::to_string(ntohs(local.sin_port));
    thread_ = std::thread([this] { serve(); });
  }
  ~LoopbackServer() {
    stopping_ = true;
    thread_.join();
    ::close(listener_);
  }
  const std::string& host() const { return host_; }

 private:
  void serve() {
    while (!stopping_) {
      pollfd entry{listener_, POLLIN, 0};
      if (::poll(&entry, 1, 20) <= 0) continue;
      int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      std::string request;
      char buffer[4096];
      while (request.find("\r\n\r\n") == std::string::npos) {
        ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        request.append(buffer, static_cast<size_t>(n));
      }
      for (size_t sent = 0; sent < response_.size();) {
        ssize_t n = ::send(fd, response_.data() + sent, response_.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<size_t>(n);
      }
      ::close(fd);
    }
  }

  std::string response_;
  std::string host_;
  int listener_ = -1;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

class OneDownload : public vexa::DownloadClient {
 public:
  OneDownload(vexa::DownloadHost& host, const std::string& target)
      : DownloadClient(host), target_(target) {}
  bool failed = true;

 protected:
  void run() override { failed = download(target_.c_str(), "/"); }

 private:
  const std::string& target_;
};

// A 2 MiB download through the task loop. Arg 0: Content-Length; arg 1: 1 KiB chunks.
void BM_LoopbackDownload(benchmark::State& state) {
  const bool chunked = state.range(0) == 1;
  LoopbackServer server(chunked ? chunkedResponse(kBodySize, 1024) : sizedResponse(kBodySize));
  vexa::PlainDownloadHost host;
  uint64_t passes = 0;
  for (auto _ : state) {
    OneDownload task(host, server.host());
    vexa::platform::MessageQueue queue;
    vexa::TaskLoop loop(queue);
    loop.setStopWhenIdle(true);
    loop.addTask(&task);
    task.start(0);
    loop.run();
    passes += loop.passes();
    if (task.failed || task.body().size() != kBodySize) {
      state.SkipWithError("download failed");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBodySize));
  state.counters["passes"] =
      benchmark::Counter(static_cast<double>(passes), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_LoopbackDownload)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
