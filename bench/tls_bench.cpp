// What HTTPS costs: a 300 KB dat downloaded over loopback in plain HTTP and over TLS side by
// side, the load of the system's trust store, and how a flood of cookies grows memory.

#include <benchmark/benchmark.h>

#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/task_loop.h"
#include "net/cookie_jar.h"
#include "net/cookie_store.h"
#include "net/download_client.h"
#include "net/memory_transport.h"
#include "net/response_reader.h"
#include "platform/message_queue.h"
#include "platform/tls_session.h"
#include "tests/net/scripted_peer.h"
#include "tests/net/tls_peer.h"

namespace {

constexpr size_t kDatSize = 300 * 1024;

std::string datResponse() {
  std::string body;
  for (int n = 1; body.size() < kDatSize; ++n) {
    body += "名無しさん<>sage<>2026/12/06(日) 12:00:00.00 ID:abcdEfGH0<> 本文 " +
            std::to_string(n) + " です <br> もう一行 <>\n";
  }
  body.resize(kDatSize);
  return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

class OneDownload : public vexa::DownloadClient {
 public:
  OneDownload(vexa::DownloadHost& host, const std::string& target)
      : DownloadClient(host), target_(target) {}
  bool failed = true;

 protected:
  void run() override { failed = download(target_.c_str(), "/live/dat/1.dat"); }

 private:
  const std::string& target_;
};

// Arg 0: plain HTTP; arg 1: HTTPS, handshake and certificate check included (each download is
// a new connection, as every poll is).
void BM_Dat300K(benchmark::State& state) {
  const bool tls = state.range(0) == 1;
  static vexa::test::TestAuthority authority;
  if (!authority.ok()) {
    state.SkipWithError("openssl could not make the test authority");
    return;
  }
  ::setenv("SSL_CERT_FILE", authority.bundle().c_str(), 1);
  const std::string response = datResponse();
  vexa::test::ScriptedPeer plain({response});
  vexa::test::TlsPeer secure(authority.certificate(vexa::test::TestAuthority::Good),
                             authority.key(vexa::test::TestAuthority::Good), {response},
                             vexa::test::TlsPeer::CloseNotify);
  const std::string target =
      tls ? "https://localhost:" + std::to_string(secure.port()) : plain.host();
  vexa::PlainDownloadHost host;
  uint64_t passes = 0;
  timespec cpuStart;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuStart);
  for (auto _ : state) {
    OneDownload task(host, target);
    vexa::platform::MessageQueue queue;
    vexa::TaskLoop loop(queue);
    loop.setStopWhenIdle(true);
    loop.addTask(&task);
    task.start(0);
    loop.run();
    passes += loop.passes();
    if (task.failed || task.body().size() != kDatSize) {
      state.SkipWithError(task.statusText());
      break;
    }
  }
  timespec cpuEnd;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuEnd);
  ::unsetenv("SSL_CERT_FILE");
  // Every thread of the process: the task, the connect worker and the server's side.
  state.counters["process_cpu_ms"] = benchmark::Counter(
      (cpuEnd.tv_sec - cpuStart.tv_sec) * 1e3 + (cpuEnd.tv_nsec - cpuStart.tv_nsec) / 1e6,
      benchmark::Counter::kAvgIterations);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kDatSize));
  state.counters["passes"] =
      benchmark::Counter(static_cast<double>(passes), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_Dat300K)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The first HTTPS download of a connection loads the system's trust store on the connect
// worker; this is what that costs.
void BM_LoadSystemTrust(benchmark::State& state) {
  ::unsetenv("SSL_CERT_FILE");
  for (auto _ : state) {
    auto trust = vexa::platform::TlsSession::loadTrust();
    benchmark::DoNotOptimize(trust.get());
  }
}
BENCHMARK(BM_LoadSystemTrust)->Unit(benchmark::kMillisecond);

long residentKiB() {
  long pages = 0, resident = 0;
  if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return resident * 4;
}

class StoreJar : public vexa::CookieJar {
 public:
  explicit StoreJar(vexa::CookieStore& store) : store_(store) {}
  bool nextCookie(const char**, uint32_t*, const char**, uint32_t*, uint32_t) override {
    return false;
  }
  void setCookie(const char* name, const char* value, const char* attribute) override {
    if (attribute == nullptr) store_.set(name, value);
  }

 private:
  vexa::CookieStore& store_;
};

// Ten polls, each answered with 100,000 new Set-Cookie fields: what the store holds after
// them, and how much the process grew.
void BM_CookieFlood(benchmark::State& state) {
  std::string response = "HTTP/1.1 200 OK\r\n";
  for (int i = 0; i < 100000; ++i) {
    response += "Set-Cookie: flood" + std::to_string(i) + "=" + std::string(40, 'v') + "\r\n";
  }
  response += "Content-Length: 2\r\n\r\nok";
  long grown = 0;
  size_t entries = 0, bytes = 0;
  for (auto _ : state) {
    const long before = residentKiB();
    vexa::CookieStore store;
    StoreJar jar(store);
    for (int poll = 0; poll < 10; ++poll) {
      // Each poll's names are new to the store.
      std::string renamed = response;
      for (size_t at = renamed.find("flood"); at != std::string::npos;
           at = renamed.find("flood", at + 5)) {
        renamed[at] = static_cast<char>('a' + poll);
      }
      vexa::MemoryTransport transport;
      transport.addPiece(renamed);
      vexa::ResponseReader reader;
      while (reader.readStep(transport, &jar, 2048) >= 0) {
      }
    }
    grown = residentKiB() - before;
    entries = store.size();
    bytes = 0;
    for (const vexa::CookieEntry* entry = store.first(); entry; entry = store.after(entry)) {
      bytes += entry->name.length() + entry->value.length() + 2;
    }
  }
  state.counters["entries"] = static_cast<double>(entries);
  state.counters["cookie_line_bytes"] = static_cast<double>(bytes);
  state.counters["grown_KiB"] = static_cast<double>(grown);
}
BENCHMARK(BM_CookieFlood)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
