// Downloads over TLS from servers of the test's own, with certificates made at test time.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "net/download_client.h"
#include "tests/net/download_fixture.h"
#include "tests/net/scripted_peer.h"
#include "tests/net/tls_peer.h"

namespace vexa {
namespace {

using test::downloadOnTask;
using test::TestAuthority;
using test::TestClient;
using test::TlsPeer;

const char* const kUnknown = "不明なエラーが発生しました";
const char* const kUntrusted = "サーバーの証明書を信頼できないので接続を中止しました";
const char* const kWrongHost = "サーバーの証明書が別のホストのものなので接続を中止しました";
const char* const kExpired = "サーバーの証明書の有効期限が切れているので接続を中止しました";
const char* const kTimedOut = "接続がタイムアウトしました";
const char* const kTooLarge = "受信サイズが大きすぎるので強制切断しました";
const std::string kChunkedHead = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";

class TlsDownload : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    authority_ = new TestAuthority;
    ::setenv("SSL_CERT_FILE", authority_->bundle().c_str(), 1);
  }
  static void TearDownTestSuite() {
    ::unsetenv("SSL_CERT_FILE");
    delete authority_;
  }
  void SetUp() override {
    if (!authority_->ok()) GTEST_SKIP() << "openssl could not make the test authority";
  }

  static std::unique_ptr<TlsPeer> peer(TestAuthority::Leaf leaf, std::vector<std::string> pieces,
                                       TlsPeer::End end = TlsPeer::CloseNotify) {
    return std::make_unique<TlsPeer>(authority_->certificate(leaf), authority_->key(leaf),
                                     std::move(pieces), end);
  }
  static std::string server(const TlsPeer& peer, const char* name = "localhost") {
    return std::string("https://") + name + ":" + std::to_string(peer.port());
  }

  static TestAuthority* authority_;
};

TestAuthority* TlsDownload::authority_ = nullptr;

TEST_F(TlsDownload, BodiesArriveWholeHoweverTheRecordsSplitThem) {
  struct Case {
    const char* name;
    std::vector<std::string> pieces;
    TlsPeer::End end;
    const char* address;
    std::string body;
  };
  const std::vector<Case> cases = {
      {"sized, one record",
       {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello"},
       TlsPeer::CloseNotify,
       "localhost",
       "hello"},
      {"header block across records",
       {"HTTP/1.1 200 OK\r\nContent-Le", "ngth: 5\r\n\r", "\nhe", "llo"},
       TlsPeer::CloseNotify,
       "localhost",
       "hello"},
      // A size line, its CR LF and the data after it each cut by a record boundary.
      {"chunked across records",
       {kChunkedHead + "5\r", "\nhel", "lo\r", "\n1", "0\r\n0123456789abcdef\r\n0", "\r\n\r\n"},
       TlsPeer::CloseNotify,
       "localhost",
       "hello0123456789abcdef"},
      {"until the closing alert",
       {"HTTP/1.0 200 OK\r\n\r\nabc", "def"},
       TlsPeer::CloseNotify,
       "localhost",
       "abcdef"},
      // A framed body is whole before the peer goes: how it goes then does not matter.
      {"sized, then a close without alert",
       {"HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\n", "abc"},
       TlsPeer::Abrupt,
       "localhost",
       "abc"},
      {"by address",
       {"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"},
       TlsPeer::CloseNotify,
       "127.0.0.1",
       "ok"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto tls = peer(TestAuthority::Good, c.pieces, c.end);
    TestClient client;
    EXPECT_FALSE(downloadOnTask(client, server(*tls, c.address), "/board/dat/1.dat"))
        << client.lastLine();
    EXPECT_EQ(client.body(), c.body);
    EXPECT_EQ(client.lines.front(), "- 接続開始 " + server(*tls, c.address) + " -");
  }
}

TEST_F(TlsDownload, RequestBytesAreThoseOfPlainHttp) {
  auto tls = peer(TestAuthority::Good, {"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"});
  test::ScriptedPeer plain({"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"});
  const std::string plainPort = plain.host().substr(plain.host().find(':'));
  TestClient client;
  client.cookies.set("yuki", "akari=1");
  ASSERT_FALSE(downloadOnTask(client, "localhost" + plainPort, "/test/read.cgi/a/1/"));
  ASSERT_FALSE(downloadOnTask(client, server(*tls), "/test/read.cgi/a/1/"));
  ASSERT_EQ(plain.requests().size(), 1u);
  ASSERT_EQ(tls->requests().size(), 1u);
  std::string expected = plain.requests()[0];
  expected.replace(expected.find(plainPort), plainPort.size(), ":" + std::to_string(tls->port()));
  EXPECT_EQ(tls->requests()[0], expected);
}

TEST_F(TlsDownload, EveryFailureEndsWithOneClearLine) {
  struct Case {
    const char* name;
    TestAuthority::Leaf leaf;
    std::vector<std::string> pieces;
    TlsPeer::End end;
    const char* address;
    const char* line;
  };
  const std::vector<Case> cases = {
      {"unknown authority",
       TestAuthority::Untrusted,
       {},
       TlsPeer::CloseNotify,
       "localhost",
       kUntrusted},
      {"another host's certificate",
       TestAuthority::WrongHost,
       {},
       TlsPeer::CloseNotify,
       "localhost",
       kWrongHost},
      {"another host's certificate, by address",
       TestAuthority::WrongHost,
       {},
       TlsPeer::CloseNotify,
       "127.0.0.1",
       kWrongHost},
      {"expired certificate",
       TestAuthority::Expired,
       {},
       TlsPeer::CloseNotify,
       "localhost",
       kExpired},
      {"plain HTTP on the port",
       TestAuthority::Good,
       {"HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n"},
       TlsPeer::PlainAnswer,
       "localhost",
       kUnknown},
      {"close in the middle of a record",
       TestAuthority::Good,
       {"HTTP/1.0 200 OK\r\n\r\nabc"},
       TlsPeer::CutMidRecord,
       "localhost",
       kUnknown},
      {"sized body cut by a close in a record",
       TestAuthority::Good,
       {"HTTP/1.1 200 OK\r\nContent-Length: 99\r\n\r\nabc"},
       TlsPeer::CutMidRecord,
       "localhost",
       kUnknown},
      // Without the closing alert the end of such a body could have been forged.
      {"close-delimited body without the closing alert",
       TestAuthority::Good,
       {"HTTP/1.0 200 OK\r\n\r\nabc"},
       TlsPeer::Abrupt,
       "localhost",
       kUnknown},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto tls = peer(c.leaf, c.pieces, c.end);
    TestClient client;
    EXPECT_TRUE(downloadOnTask(client, server(*tls, c.address), "/"));
    EXPECT_EQ(client.lastLine(), c.line);
    if (c.pieces.empty() || c.end == TlsPeer::PlainAnswer) {
      EXPECT_EQ(client.lines.size(), 2u) << "connecting, then the failure: nothing was taken";
    }
  }
}

TEST_F(TlsDownload, StalledHandshakeEndsAtTheTimeLimit) {
  auto tls = peer(TestAuthority::Good, {}, TlsPeer::StallHandshake);
  TestClient client;
  int64_t now = 500;
  client.clock = [&] { return now++; };  // a second per look at the clock
  EXPECT_TRUE(downloadOnTask(client, server(*tls), "/"));
  EXPECT_EQ(client.lastLine(), kTimedOut);
  EXPECT_EQ(client.clockReads, 1 + 15);
}

TEST_F(TlsDownload, AnUnreadableBundleTrustsNobody) {
  auto tls = peer(TestAuthority::Good, {"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"});
  ::setenv("SSL_CERT_FILE", "/nonexistent/bundle.pem", 1);
  TestClient client;
  EXPECT_TRUE(downloadOnTask(client, server(*tls), "/"));
  ::setenv("SSL_CERT_FILE", authority_->bundle().c_str(), 1);
  EXPECT_EQ(client.lastLine(), kUntrusted);
  EXPECT_EQ(tls->handshakes(), 0);
}

TEST_F(TlsDownload, SizeLimitHoldsOverTls) {
  const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 9000000\r\n\r\n";
  std::vector<std::string> pieces = {head};
  for (int i = 0; i < 9000000 / 60000 + 1; ++i) pieces.push_back(std::string(60000, 'x'));
  auto tls = peer(TestAuthority::Good, pieces, TlsPeer::Abrupt);
  TestClient client;
  EXPECT_TRUE(downloadOnTask(client, server(*tls), "/"));
  EXPECT_EQ(client.lastLine(), kTooLarge);
  EXPECT_TRUE(client.body().empty());
}

}  // namespace
}  // namespace vexa
