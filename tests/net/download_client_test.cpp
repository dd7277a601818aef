#include "net/download_client.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "tests/net/download_fixture.h"
#include "tests/net/scripted_peer.h"

namespace vexa {
namespace {

using test::downloadOnTask;
using test::ScriptedPeer;
using test::TestClient;

const char* const kUnknown = "不明なエラーが発生しました";
const char* const kTooSlow = "受信時間が長すぎるので強制切断しました";
const std::string kSizeLine = "- データ取得 サイズ : ";
const std::string kChunkedHead = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
const std::string kCut = "HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nabc";

std::string sized(const std::string& body, const char* status = "200 OK") {
  return std::string("HTTP/1.1 ") + status + "\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\n\r\n" + body;
}

std::string serverError(int code) {
  return "サーバーがエラーを返しました (HTTP " + std::to_string(code) + ")";
}

std::string refusedHost() {
  uint16_t port = 0;
  ::close(test::listenOn("127.0.0.1", port));  // bound once, then released: nothing listens
  return "127.0.0.1:" + std::to_string(port);
}

TEST(DownloadClient, SendsTheFixedRequestsAndSharesCookiesAcrossHosts) {
  const std::string response =
      "HTTP/1.1 200 OK\r\nSet-Cookie: b=1; path=/\r\nSet-Cookie: A=2\r\nSet-Cookie: flag\r\n"
      "Content-Length: 5\r\n\r\nhello";
  ScriptedPeer first({response});
  ScriptedPeer second({"HTTP/1.0 201 Created\r\nSet-Cookie: 0\r\n\r\n"}, ScriptedPeer::Close,
                      "127.0.0.3");
  TestClient client;
  // A name, not a dotted address: it is looked up, and goes into Host as given.
  const std::string named = "localhost" + first.host().substr(first.host().find(':'));
  ASSERT_FALSE(downloadOnTask(client, named, "/dir/file.txt"));
  EXPECT_EQ(client.body(), "hello");
  ASSERT_GE(client.lines.size(), 3u);
  EXPECT_EQ(client.lines[0], "- 接続開始 " + named + " -");
  EXPECT_EQ(client.lines[1], "- データを取得しています -");
  EXPECT_EQ(client.lastLine(), kSizeLine + std::to_string(response.size()) + " -");
  EXPECT_EQ(client.trayStates, (std::vector<TrayState>{TrayState::Busy, TrayState::Blinking}));

  // Far more than a socket takes in one call: the body goes out in parts between time checks.
  // Its NUL bytes are sent like any other.
  const std::string body(8 * 1024 * 1024, '\0');
  client.work = [&](TestClient& self) {
    EXPECT_FALSE(self.download("text/plain", static_cast<uint32_t>(body.size()), body.data(),
                               second.host().c_str(), "/a b?c=%41", "http://r/"));
  };
  test::runTasks({&client});

  // The same client again, quiet and called from outside its fiber, where it still completes.
  // Without a length the body makes no POST; without a User-Agent text the line is left out.
  client.lines.clear();
  client.quiet = true;
  client.agent.clear();
  ASSERT_FALSE(client.download("text/plain", 0, "x", named.c_str(), "/", nullptr));
  EXPECT_TRUE(client.lines.empty());
  EXPECT_EQ(client.findInBody("ll", 2), client.body().data() + 2);
  EXPECT_EQ(client.findInBody("lo!", 3), nullptr);

  const std::string accepts =
      "Accept: text/*\r\nAccept-Language: ja,en-us;q=0.7,en;q=0.3\r\n"
      "Accept-Charset: Shift_JIS,utf-8;q=0.7,*;q=0.7\r\n";
  const std::string fixed = accepts + "User-Agent: Monazilla/1.00 (vexa/test)\r\n";
  // A cookie without a value ends the Cookie line ("flag"); as the first in store order ("0"),
  // it leaves the line out.
  EXPECT_EQ(first.requests(),
            (std::vector<std::string>{"GET /dir/file.txt HTTP/1.1\r\nHost: " + named + "\r\n" +
                                          fixed + "Connection: close\r\n\r\n",
                                      "GET / HTTP/1.1\r\nHost: " + named + "\r\n" + accepts +
                                          "Connection: close\r\n\r\n"}));
  EXPECT_TRUE(second.requests() ==
              std::vector<std::string>{
                  "POST /a b?c=%41 HTTP/1.1\r\nHost: " + second.host() + "\r\n" + fixed +
                  "Referer: http://r/\r\nCookie: A=2; b=1;\r\nContent-Type: text/plain\r\n"
                  "Content-Length: 8388608\r\nConnection: close\r\n\r\n" +
                  body});
}

TEST(DownloadClient, SameBodyHoweverTheResponseIsSplit) {
  // Every split point of the header block, of the size lines and of the chunk data.
  const std::string response = kChunkedHead + "4\r\nwiki\r\n5\r\npedia\r\n0\r\n\r\n";
  std::vector<std::vector<std::string>> splits(1);
  for (char byte : response) splits[0].emplace_back(1, byte);
  for (size_t at = 1; at < response.size(); ++at) {
    splits.push_back({response.substr(0, at), response.substr(at)});
  }
  for (const std::vector<std::string>& pieces : splits) {
    SCOPED_TRACE(pieces[0]);
    ScriptedPeer peer(pieces);
    TestClient client;
    ASSERT_FALSE(downloadOnTask(client, peer.host(), "/"));
    ASSERT_EQ(client.body(), "wikipedia");
  }
}

TEST(DownloadClient, FailuresShowOneLineUnlessQuiet) {
  struct Case {
    const char* name;
    std::vector<std::string> pieces;
    ScriptedPeer::End end;
    std::string line;
    const char* host = nullptr;  // instead of the peer's
  };
  using enum ScriptedPeer::End;
  std::vector<Case> cases = {
      {"closed in the header block", {"HTTP/1.1 200 OK\r\nContent-Le"}, Close, kUnknown},
      {"closed before the length", {kCut}, Close, kUnknown},
      {"closed inside a chunk", {kChunkedHead + "9\r\nabc"}, Close, kUnknown},
      {"closed before the last chunk", {kChunkedHead + "3\r\nabc\r\n"}, Close, kUnknown},
      {"closed before answering", {}, Close, kUnknown},
      {"reset inside a sized body", {kCut}, Reset, kUnknown},
      {"reset in a body read to the close", {"HTTP/1.0 200 OK\r\n\r\nabc"}, Reset, kUnknown},
      {"reset before answering", {}, Reset, kUnknown},
      // The peer holds the line: only the framing can end these at once.
      {"huge length", {"HTTP/1.1 200 OK\r\nContent-Length: 4294967296\r\n\r\n"}, Hold, kUnknown},
      {"chunk size beyond 32 bits", {kChunkedHead + "100000000\r\nabc"}, Hold, kUnknown},
      {"not an HTTP status line", {"SSH-2.0-OpenSSH\r\n\r\n"}, Close, kUnknown},
      {"status code of four digits", {sized("", "2000 OK")}, Close, kUnknown},
      {"status line of another protocol", {"ICY 200 OK\r\n\r\n"}, Close, kUnknown},
      {"stalled peer", {kCut}, Hold, kTooSlow},
      {"not found", {sized("gone", "404 Not Found")}, Close, serverError(404)},
      {"redirect is not followed", {sized("gone", "302 Found")}, Close, serverError(302)},
      {"tabs in the status line", {"HTTP/1.0\t503\tBusy\r\n\r\ngone"}, Close, serverError(503)},
  };
  for (const char* target : {"", "127.0.0.1:0", "127.0.0.1:65536", "127.0.0.1:", ":80",
                             "127.0.0.1:8x", "127.0.0.1:-1", "127.0.0.1:000080"}) {
    cases.push_back({"malformed host ", {}, Close, kUnknown, target});
  }
  for (const Case& c : cases) {
    for (bool quiet : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (c.host ? c.host : "") + (quiet ? ", quiet" : ""));
      ScriptedPeer peer(c.pieces, c.end);
      TestClient client;
      // The stalled peer's time runs out once it holds the line; the others keep real time.
      if (c.line == kTooSlow) {
        client.clock = [&] { return int64_t{1000} + (peer.holding() ? 15 : 0); };
      }
      client.quiet = quiet;
      EXPECT_TRUE(downloadOnTask(client, c.host ? c.host : peer.host(), "/"));
      EXPECT_EQ(client.lines.empty(), quiet);
      EXPECT_EQ(client.lastLine(), quiet ? "" : c.line);
      EXPECT_EQ(client.statusText(), quiet ? "" : platform::utf8ToCp932(c.line));
      EXPECT_EQ(client.trayStates.back(), TrayState::Normal) << "the tray follows every download";
      EXPECT_EQ(client.connection().getState(), SocketConnection::kClosed);
      // An error page stays readable; a stopped transfer keeps no part of a body.
      if (c.line.find("(HTTP") != std::string::npos || c.line == kTooSlow) {
        EXPECT_EQ(client.body(), c.line == kTooSlow ? "" : "gone");
      }
    }
  }
}

TEST(DownloadClient, SizeLimitCountsTheHeaderBlock) {
  const size_t limit = 8388608;
  const size_t headSize = sized(std::string(1234567, 'x')).size() - 1234567;
  // A body of exactly 8 MiB fails; so does a response one byte over, and one stopped before its
  // last read; a response of exactly 8 MiB passes.
  const std::vector<std::pair<size_t, bool>> cases = {
      {limit, true}, {limit - headSize + 1, true}, {limit - headSize, false}, {limit + 4096, true}};
  for (const auto& [bodySize, failed] : cases) {
    SCOPED_TRACE(bodySize);
    ScriptedPeer peer({sized(std::string(bodySize, 'x'))});
    TestClient client;
    EXPECT_EQ(downloadOnTask(client, peer.host(), "/big"), failed);
    EXPECT_EQ(client.body().size(), failed ? 0 : bodySize);
    EXPECT_EQ(client.lastLine(), failed ? std::string("受信サイズが大きすぎるので強制切断しました")
                                        : kSizeLine + "8388608 -");
  }
}

TEST(DownloadClient, RefusedConnectTimesOutAtHalfThePollInterval) {
  // The poll interval given, as the download leaves it, and the seconds until it gives up.
  for (const auto& [interval, stored, limit] : std::vector<std::array<int32_t, 3>>{
           {10, 30, 15}, {30, 30, 15}, {31, 31, 15}, {40, 40, 20}, {-5, 30, 15}}) {
    SCOPED_TRACE(interval);
    TestClient client;
    client.interval = interval;
    int64_t now = 5000;
    client.clock = [&] { return now++; };  // a second per look at the clock
    // Meanwhile the connecting worker probes the refused socket with empty sends, which must not
    // raise SIGPIPE.
    EXPECT_TRUE(downloadOnTask(client, refusedHost(), "/"));
    EXPECT_EQ(client.lastLine(), "接続がタイムアウトしました");
    EXPECT_EQ(client.interval, stored);
    // One look at the start, then one per check until `limit` seconds have passed.
    EXPECT_EQ(client.clockReads, 1 + limit);
  }
}

TEST(DownloadClient, UserCancelStopsTheTransfer) {
  ScriptedPeer holder({kCut}, ScriptedPeer::Hold);
  for (bool connecting : {true, false}) {
    SCOPED_TRACE(connecting ? "while connecting" : "while receiving");
    const std::string target = connecting ? refusedHost() : holder.host();
    TestClient client;
    // Time stands still until the user cancels, so only an ignored cancel runs it out.
    int64_t late = 0;
    client.clock = [&] { return int64_t{7} + (client.cancelRequested() ? ++late : 0); };
    // The user acts from another task while the download waits.
    TestClient user;
    int slices = 0;
    user.work = [&](TestClient& self) {
      while (++slices < 5 || (!connecting && !holder.holding())) self.yield();
      client.requestCancel();
    };
    EXPECT_TRUE(downloadOnTask(client, target, "/", {&user}));
    EXPECT_EQ(client.receivingStarted(), !connecting);
    EXPECT_EQ(late, 0) << "the next check sees the cancel";
    EXPECT_EQ(client.lastLine(), "ユーザによりキャンセルされました");
  }
}

TEST(DownloadClient, AFloodOfCookiesKeepsTheFirstFiftyAndBoundsTheCookieLine) {
  std::string head = "HTTP/1.1 200 OK\r\n";
  for (int i = 0; i < 100000; ++i) head += "Set-Cookie: k" + std::to_string(100000 + i) + "=x\r\n";
  ScriptedPeer peer({head + "Content-Length: 2\r\n\r\nok"});
  TestClient client;
  ASSERT_FALSE(downloadOnTask(client, peer.host(), "/flood"));
  ASSERT_FALSE(downloadOnTask(client, peer.host(), "/next"));
  EXPECT_EQ(client.cookies.size(), 50u);
  ASSERT_EQ(peer.requests().size(), 2u);
  const std::string request = peer.requests()[1];
  const size_t start = request.find("Cookie: ");
  ASSERT_NE(start, std::string::npos);
  const std::string line = request.substr(start, request.find("\r\n", start) - start);
  EXPECT_NE(line.find("k100000=x"), std::string::npos);
  EXPECT_NE(line.find("k100001=x"), std::string::npos);
  EXPECT_NE(line.find("k100049=x"), std::string::npos);
  EXPECT_EQ(line.find("k100050"), std::string::npos);
  EXPECT_LT(line.size(), 50u * 16);
}

TEST(DownloadClient, WorksWithDescriptorsAbove1023) {
  // Hold enough descriptors that the connection's socket gets a number select() cannot take.
  rlimit limit{};
  ::getrlimit(RLIMIT_NOFILE, &limit);
  if (limit.rlim_cur < 1200) GTEST_SKIP() << "descriptor limit " << limit.rlim_cur;
  std::vector<int> held;
  for (int fd; held.size() < 1100 && (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;) {
    held.push_back(fd);
  }
  ScriptedPeer peer({sized("high")});
  TestClient client;
  EXPECT_FALSE(downloadOnTask(client, peer.host(), "/"));
  EXPECT_EQ(client.body(), "high");
  EXPECT_GE(held.size(), 1100u);
  for (int fd : held) ::close(fd);
}

}  // namespace
}  // namespace vexa
