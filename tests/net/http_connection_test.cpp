#include "net/http_connection.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/net/scripted_peer.h"

namespace vexa {
namespace {

using test::ScriptedPeer;

// Records the notifications; stops on time after `checksAllowed` time checks.
class Recorder : public RequestProfile, public TransferMonitor {
 public:
  const char* httpVersion() override { return "1.1"; }
  const char* acceptValue() override { return nullptr; }
  const char* acceptLanguageValue() override { return nullptr; }
  const char* acceptCharsetValue() override { return nullptr; }
  const char* userAgentValue() override { return nullptr; }
  void notify(TransferContext&, int32_t code) override {
    codes.push_back(code);
    if (code == kNotifyReceiving) receiving = true;
  }

  int32_t readStep(HttpConnection& connection) override {
    return connection.readStep(nullptr, 2048);
  }
  bool sizeLimitReached(uint64_t total) override { return total > sizeLimit; }
  // Counts only the checks of the response loop, unless connectChecksCount.
  // A check stands for a pass of the loop, which sleeps a millisecond when tasks poll.
  bool timeLimitReached(TransferContext&) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (!receiving && !connectChecksCount) return false;
    return ++timeChecks > checksAllowed;
  }

  std::vector<int32_t> codes;
  uint64_t sizeLimit = 1u << 30;
  int timeChecks = 0;
  int checksAllowed = 1 << 30;
  bool connectChecksCount = false;
  bool receiving = false;
};

int32_t perform(HttpConnection& connection, Recorder& recorder, const std::string& host,
                uint32_t port, const char* contentType = nullptr, const char* body = nullptr,
                uint32_t bodyLength = 0) {
  TransferContext context;
  return connection.performRequest(recorder, recorder, nullptr, contentType, body, bodyLength,
                                   host.c_str(), "/p", port, nullptr, context);
}

TEST(HttpConnection, NotifiesEachStageOnceInOrder) {
  ScriptedPeer peer(
      ScriptedPeer::respondInPieces({"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"}));
  HttpConnection connection;
  Recorder recorder;
  EXPECT_EQ(perform(connection, recorder, "127.0.0.1", peer.port()), kRequestComplete);
  EXPECT_EQ(recorder.codes, (std::vector<int32_t>{3, 1, 2, 0}));
  EXPECT_EQ(std::string(connection.receiveBuffer().data()), "ok");
  EXPECT_EQ(connection.getState(), SocketConnection::kClosed);
  EXPECT_EQ(connection.isRunning(), 0u);
}

TEST(HttpConnection, ConnectFailuresNeverReachTheRequest) {
  struct Case {
    const char* name;
    std::string host;
    uint32_t port;
    int32_t result;
  };
  const std::vector<Case> cases = {
      {"empty host", "", 80, kRequestConnectFailed},
      {"refused", "127.0.0.1", test::closedPort(), kRequestNotConnected},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HttpConnection connection;
    Recorder recorder;
    recorder.checksAllowed = 20;
    recorder.connectChecksCount = true;
    EXPECT_EQ(perform(connection, recorder, c.host, c.port), c.result);
    EXPECT_EQ(recorder.codes, (std::vector<int32_t>{3, c.result}));
    EXPECT_EQ(connection.getState(), SocketConnection::kClosed);
    EXPECT_EQ(connection.isRunning(), 0u);
  }
}

TEST(HttpConnection, PostSendsItsBody) {
  ScriptedPeer peer({ScriptedPeer::readRequest(), ScriptedPeer::sleep(20),
                     ScriptedPeer::send("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"),
                     ScriptedPeer::close()});
  HttpConnection connection;
  Recorder recorder;
  const std::string body = "a=1&b=%82%A0";
  EXPECT_EQ(
      perform(connection, recorder, "127.0.0.1", peer.port(), "application/x-www-form-urlencoded",
              body.data(), static_cast<uint32_t>(body.size())),
      kRequestComplete);
  ASSERT_EQ(peer.requests().size(), 1u);
  EXPECT_EQ(peer.requests()[0],
            "POST /p HTTP/1.1\r\nHost: 127.0.0.1\r\n"
            "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: 12\r\n"
            "Connection: close\r\n\r\n" +
                body);
}

TEST(HttpConnection, SendsALargeRequestWhole) {
  // Far larger than a socket takes in one call: it goes out in parts between time checks.
  std::string body(8 * 1024 * 1024, 'q');
  ScriptedPeer peer({ScriptedPeer::readToEnd(),
                     ScriptedPeer::send("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"),
                     ScriptedPeer::close()});
  HttpConnection connection;
  Recorder recorder;
  EXPECT_EQ(perform(connection, recorder, "127.0.0.1", peer.port(), "text/plain", body.data(),
                    static_cast<uint32_t>(body.size())),
            kRequestComplete);
  ASSERT_EQ(peer.requests().size(), 1u);
  const std::string request = peer.requests()[0];
  ASSERT_GT(request.size(), body.size());
  EXPECT_EQ(request.substr(request.size() - body.size()), body);
}

}  // namespace
}  // namespace vexa
