#include "net/download_client.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/net/download_fixture.h"
#include "tests/net/scripted_peer.h"

namespace vexa {
namespace {

using test::downloadOnTask;
using test::runTasks;
using test::ScriptedPeer;
using test::StepTask;
using test::TestClient;
using test::TestHost;

const char* const kCancelled = "ユーザによりキャンセルされました";
const char* const kTimedOut = "接続がタイムアウトしました";
const char* const kTooSlow = "受信時間が長すぎるので強制切断しました";
const char* const kTooLarge = "受信サイズが大きすぎるので強制切断しました";
const char* const kUnknown = "不明なエラーが発生しました";

std::string sized(const std::string& body, const char* status = "200 OK") {
  return std::string("HTTP/1.1 ") + status + "\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\n\r\n" + body;
}

std::string lastLine(const TestClient& client) {
  return client.recorder.lines.empty() ? "" : client.recorder.lines.back();
}

TEST(DownloadClient, SuccessWritesTheStageLinesAndSendsTheFixedRequest) {
  ScriptedPeer peer(ScriptedPeer::respondInPieces({sized("hello")}));
  TestHost host;
  TestClient client(host);
  ASSERT_FALSE(downloadOnTask(client, peer.host(), "/dir/file.txt"));
  EXPECT_EQ(client.body(), "hello");
  ASSERT_GE(client.recorder.lines.size(), 3u);
  EXPECT_EQ(client.recorder.lines[0], "- 接続開始 " + peer.host() + " -");
  EXPECT_EQ(client.recorder.lines[1], "- データを取得しています -");
  EXPECT_EQ(lastLine(client),
            "- データ取得 サイズ : " + std::to_string(sized("hello").size()) + " -");
  EXPECT_TRUE(client.receivingStarted);
  EXPECT_EQ(host.trayStates, (std::vector<TrayState>{TrayState::Busy, TrayState::Blinking}));
  ASSERT_EQ(peer.requests().size(), 1u);
  EXPECT_EQ(peer.requests()[0],
            "GET /dir/file.txt HTTP/1.1\r\n"
            "Host: " +
                peer.host() +
                "\r\n"
                "Accept: text/*\r\n"
                "Accept-Language: ja,en-us;q=0.7,en;q=0.3\r\n"
                "Accept-Charset: Shift_JIS,utf-8;q=0.7,*;q=0.7\r\n"
                "User-Agent: Monazilla/1.00 (vexa/test)\r\n"
                "Connection: close\r\n\r\n");
}

TEST(DownloadClient, ResponsesInPiecesAcrossTheSocket) {
  const std::string chunked =
      "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nwiki\r\n5\r\npedia\r\n0\r\n\r\n";
  struct Case {
    const char* name;
    std::vector<std::string> pieces;
    std::string body;
  };
  std::vector<Case> cases = {
      {"size lines apart from their data",
       {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", "4\r\n", "wi", "ki\r\n", "5",
        "\r\npedia", "\r\n0\r\n", "\r\n"},
       "wikipedia"},
      {"byte by byte framing", {}, "wikipedia"},
  };
  for (char byte : chunked) cases[1].pieces.emplace_back(1, byte);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedPeer peer(ScriptedPeer::respondInPieces(c.pieces));
    TestHost host;
    TestClient client(host);
    EXPECT_FALSE(downloadOnTask(client, peer.host(), "/"));
    EXPECT_EQ(client.body(), c.body);
  }
}

TEST(DownloadClient, EverySplitPointOfTheHeaderBlockOverTheSocket) {
  const std::string response = "HTTP/1.1 200 OK\r\nContent-Length: 4\r\nX: 1\r\n\r\nbody";
  const size_t headerEnd = response.find("\r\n\r\n") + 4;
  for (size_t split = 1; split <= headerEnd; ++split) {
    SCOPED_TRACE(split);
    ScriptedPeer peer(
        ScriptedPeer::respondInPieces({response.substr(0, split), response.substr(split)}));
    TestHost host;
    TestClient client(host);
    ASSERT_FALSE(downloadOnTask(client, peer.host(), "/"));
    ASSERT_EQ(client.body(), "body");
  }
}

TEST(DownloadClient, FailuresShowOneLine) {
  struct Case {
    const char* name;
    std::vector<ScriptedPeer::Step> script;
    std::string line;
  };
  const std::vector<Case> cases = {
      {"closed before the header block ends",
       {ScriptedPeer::readRequest(), ScriptedPeer::send("HTTP/1.1 200 OK\r\nContent-Le"),
        ScriptedPeer::close()},
       kUnknown},
      {"closed before the length",
       {ScriptedPeer::readRequest(),
        ScriptedPeer::send("HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nabc"),
        ScriptedPeer::close()},
       kUnknown},
      {"closed inside a chunk",
       {ScriptedPeer::readRequest(),
        ScriptedPeer::send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n9\r\nabc"),
        ScriptedPeer::close()},
       kUnknown},
      {"closed before the last chunk",
       {ScriptedPeer::readRequest(),
        ScriptedPeer::send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n"),
        ScriptedPeer::close()},
       kUnknown},
      {"reset inside the body",
       {ScriptedPeer::readRequest(),
        ScriptedPeer::send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nabc"),
        ScriptedPeer::sleep(20), ScriptedPeer::reset()},
       kUnknown},
      {"reset before answering", {ScriptedPeer::readRequest(), ScriptedPeer::reset()}, kUnknown},
      {"closed without a word", {ScriptedPeer::close()}, kUnknown},
      {"size beyond 32 bits",
       {ScriptedPeer::readRequest(),
        ScriptedPeer::send("HTTP/1.1 200 OK\r\nContent-Length: 99999999999\r\n\r\nabc"),
        ScriptedPeer::hold()},
       kUnknown},
      {"not found",
       {ScriptedPeer::readRequest(), ScriptedPeer::send(sized("gone", "404 Not Found")),
        ScriptedPeer::close()},
       "サーバーがエラーを返しました (HTTP 404)"},
      {"redirect is not followed",
       {ScriptedPeer::readRequest(),
        ScriptedPeer::send("HTTP/1.1 302 Found\r\nLocation: /x\r\nContent-Length: 0\r\n\r\n"),
        ScriptedPeer::close()},
       "サーバーがエラーを返しました (HTTP 302)"},
      {"not an HTTP status line",
       {ScriptedPeer::readRequest(), ScriptedPeer::send("SSH-2.0-OpenSSH\r\n\r\n"),
        ScriptedPeer::close()},
       kUnknown},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedPeer peer(c.script);
    TestHost host;
    TestClient client(host);
    EXPECT_TRUE(downloadOnTask(client, peer.host(), "/"));
    EXPECT_EQ(lastLine(client), c.line);
    EXPECT_EQ(client.statusText(), std::string(platform::utf8ToCp932(c.line)));
    EXPECT_EQ(host.trayStates.back(), TrayState::Normal);
  }
}

TEST(DownloadClient, ErrorBodiesStayReadable) {
  ScriptedPeer peer(ScriptedPeer::respondInPieces({sized("no such thread", "404 Not Found")}));
  TestHost host;
  TestClient client(host);
  EXPECT_TRUE(downloadOnTask(client, peer.host(), "/dat/1.dat"));
  EXPECT_EQ(client.lastStatusCode(), 404);
  EXPECT_EQ(client.body(), "no such thread");
}

TEST(DownloadClient, CookiesGoToEveryHostInStoreOrder) {
  ScriptedPeer first(ScriptedPeer::respondInPieces(
      {"HTTP/1.1 200 OK\r\nSet-Cookie: b=1; path=/\r\nSet-Cookie: A=2\r\nSet-Cookie: flag\r\n"
       "Content-Length: 2\r\n\r\nok"}));
  ScriptedPeer second(ScriptedPeer::respondInPieces({sized("ok")}), "127.0.0.3");
  TestHost host;
  TestClient client(host);
  EXPECT_FALSE(downloadOnTask(client, first.host(), "/set"));
  EXPECT_FALSE(downloadOnTask(client, second.host(), "/get"));
  ASSERT_EQ(second.requests().size(), 1u);
  // "flag" has an empty value and sorts after A and b, so the line stops before it.
  EXPECT_NE(second.requests()[0].find("\r\nCookie: A=2; b=1;\r\nConnection: close\r\n"),
            std::string::npos)
      << second.requests()[0];
  EXPECT_EQ(first.requests()[0].find("Cookie"), std::string::npos);
}

TEST(DownloadClient, SizeLimitCountsTheHeaderBlock) {
  const size_t limit = 8388608;
  // The header block for a seven-digit length.
  const size_t headSize = std::string("HTTP/1.1 200 OK\r\nContent-Length: 1234567\r\n\r\n").size();
  struct Case {
    const char* name;
    size_t bodySize;
    bool failed;
  };
  const std::vector<Case> cases = {{"body of exactly 8 MiB", limit, true},
                                   {"response of exactly 8 MiB", limit - headSize, false},
                                   {"response one byte over", limit - headSize + 1, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string response = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(c.bodySize) +
                           "\r\n\r\n" + std::string(c.bodySize, 'x');
    ASSERT_EQ(response.size(), headSize + c.bodySize);
    ScriptedPeer peer(ScriptedPeer::respondInPieces({response}));
    TestHost host;
    TestClient client(host);
    EXPECT_EQ(downloadOnTask(client, peer.host(), "/big"), c.failed);
    if (c.failed) {
      EXPECT_EQ(lastLine(client), kTooLarge);
      EXPECT_EQ(client.body().size(), 0u) << "a stopped transfer leaves no part of a body";
      ASSERT_GE(client.recorder.lines.size(), 2u);
      const std::string& sizeLine = client.recorder.lines[client.recorder.lines.size() - 2];
      EXPECT_EQ(sizeLine.rfind("- データ取得 サイズ : ", 0), 0u) << sizeLine;
    } else {
      EXPECT_EQ(client.body().size(), c.bodySize);
      EXPECT_EQ(lastLine(client), "- データ取得 サイズ : 8388608 -");
    }
  }
}

TEST(DownloadClient, StalledPeerHitsTheTimeLimit) {
  ScriptedPeer peer({ScriptedPeer::readRequest(),
                     ScriptedPeer::send("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc"),
                     ScriptedPeer::hold()});
  TestHost host;
  // Time runs out only once the peer has sent what it will send.
  host.clock = [&] { return int64_t{1000} + (peer.holding() ? 15 : 0); };
  TestClient client(host);
  EXPECT_TRUE(downloadOnTask(client, peer.host(), "/"));
  EXPECT_EQ(lastLine(client), kTooSlow);
  EXPECT_EQ(client.body().size(), 0u);
}

TEST(DownloadClient, RefusedConnectTimesOutAtHalfThePollInterval) {
  struct Case {
    int32_t interval;
    int32_t stored;
    int limit;
  };
  const std::vector<Case> cases = {
      {10, 30, 15}, {30, 30, 15}, {31, 31, 15}, {40, 40, 20}, {-5, 30, 15}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.interval);
    TestHost host;
    host.interval = c.interval;
    int64_t now = 5000;
    host.clock = [&] { return now++; };  // a second per look at the clock
    TestClient client(host);
    std::string target = "127.0.0.1:" + std::to_string(test::closedPort());
    EXPECT_TRUE(downloadOnTask(client, target, "/"));
    EXPECT_EQ(lastLine(client), kTimedOut);
    EXPECT_EQ(host.interval, c.stored);
    // One look at the start, then one per check until `limit` seconds have passed.
    EXPECT_EQ(host.clockReads, 1 + c.limit);
    EXPECT_FALSE(client.receivingStarted);
    EXPECT_EQ(host.trayStates, (std::vector<TrayState>{TrayState::Busy, TrayState::Normal}));
  }
}

TEST(DownloadClient, CancelWhileConnectingShowsTheCancelLine) {
  TestHost host;
  host.clock = [] { return int64_t{7}; };  // time never runs out
  TestClient client(host);
  std::string target = "127.0.0.1:" + std::to_string(test::closedPort());
  bool failed = false;
  client.work = [&](TestClient& self) { failed = self.download(target.c_str(), "/"); };
  int slices = 0;
  StepTask user([&] {
    if (++slices < 5) return false;
    client.cancelRequested = true;
    return true;
  });
  runTasks({&client, &user});
  EXPECT_TRUE(failed);
  EXPECT_EQ(lastLine(client), kCancelled);
}

TEST(DownloadClient, CancelWhileReceiving) {
  ScriptedPeer peer({ScriptedPeer::readRequest(),
                     ScriptedPeer::send("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc"),
                     ScriptedPeer::hold()});
  TestHost host;
  host.clock = [] { return int64_t{7}; };
  TestClient client(host);
  bool failed = false;
  std::string target = peer.host();
  client.work = [&](TestClient& self) { failed = self.download(target.c_str(), "/"); };
  StepTask user([&] {
    if (!peer.holding() || !client.receivingStarted) return false;
    client.cancelRequested = true;
    return true;
  });
  runTasks({&client, &user});
  EXPECT_TRUE(failed);
  EXPECT_EQ(lastLine(client), kCancelled);
}

TEST(DownloadClient, QuietDownloadsWriteNoStatusLine) {
  struct Case {
    const char* name;
    std::vector<ScriptedPeer::Step> script;
    bool failed;
  };
  const std::vector<Case> cases = {
      {"success", ScriptedPeer::respondInPieces({sized("fine")}), false},
      {"cut short",
       {ScriptedPeer::readRequest(),
        ScriptedPeer::send("HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\n"), ScriptedPeer::close()},
       true},
      {"error status", ScriptedPeer::respondInPieces({sized("x", "500 Oops")}), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedPeer peer(c.script);
    TestHost host;
    TestClient client(host);
    client.setStatus("before");
    client.recorder.lines.clear();
    client.quiet = true;
    EXPECT_EQ(downloadOnTask(client, peer.host(), "/"), c.failed);
    EXPECT_TRUE(client.recorder.lines.empty());
    EXPECT_STREQ(client.statusText(), "before");
    EXPECT_FALSE(host.trayStates.empty()) << "the tray still follows a quiet download";
  }
}

TEST(DownloadClient, MalformedHostsFailAtOnce) {
  for (const char* target :
       {"", "127.0.0.1:0", "127.0.0.1:65536", "127.0.0.1:", ":80", "127.0.0.1:8x"}) {
    SCOPED_TRACE(target);
    TestHost host;
    int64_t now = 100;
    host.clock = [&] { return now; };  // never times out: the failure must come by itself
    TestClient client(host);
    EXPECT_TRUE(downloadOnTask(client, target, "/"));
    EXPECT_EQ(lastLine(client), kUnknown);
    EXPECT_EQ(host.trayStates, (std::vector<TrayState>{TrayState::Busy, TrayState::Normal}));
  }
}

TEST(DownloadClient, WorksWithDescriptorsAbove1023) {
  // Hold enough descriptors that the connection's socket gets a number select() cannot take.
  rlimit limit{};
  ::getrlimit(RLIMIT_NOFILE, &limit);
  if (limit.rlim_cur < 1200) GTEST_SKIP() << "descriptor limit " << limit.rlim_cur;
  std::vector<int> held;
  while (held.size() < 1100) {
    int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (fd < 0) break;
    held.push_back(fd);
  }
  ScriptedPeer peer(ScriptedPeer::respondInPieces({sized("high")}));
  TestHost host;
  TestClient client(host);
  bool failed = downloadOnTask(client, peer.host(), "/");
  for (int fd : held) ::close(fd);
  ASSERT_GE(held.size(), 1100u);
  EXPECT_FALSE(failed);
  EXPECT_EQ(client.body(), "high");
}

TEST(DownloadClient, CompletesOutsideItsFiber) {
  ScriptedPeer peer(ScriptedPeer::respondInPieces({sized("plain", "200 OK")}));
  TestHost host;
  TestClient client(host);
  EXPECT_FALSE(client.download(peer.host().c_str(), "/"));
  EXPECT_EQ(client.body(), "plain");
}

TEST(DownloadClient, ReusesItsConnectionAndFindsInTheBody) {
  ScriptedPeer peer(ScriptedPeer::respondInPieces({sized("abc<a href=x>def")}));
  TestHost host;
  TestClient client(host);
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    ASSERT_FALSE(downloadOnTask(client, peer.host(), "/"));
    EXPECT_EQ(client.findInBody("<a", 2), client.body().data() + 3);
    EXPECT_EQ(client.findInBody("", 0), client.body().data());
    EXPECT_EQ(client.findInBody("zz", 2), nullptr);
    EXPECT_EQ(client.findInBody("def!", 4), nullptr);
  }
  EXPECT_EQ(peer.connections(), 3u);
}

}  // namespace
}  // namespace vexa
