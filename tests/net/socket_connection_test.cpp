#include "net/socket_connection.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "net/host_port.h"
#include "platform/socket.h"
#include "tests/net/scripted_peer.h"

namespace vexa {
namespace {

using test::ScriptedPeer;

// Polls the worker's state the way a task would, without a loop around it.
int32_t waitForState(SocketConnection& connection, int milliseconds = 5000) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (connection.getState() < 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return connection.getState();
}

TEST(HostPort, SplitsNameAndPort) {
  struct Case {
    const char* host;
    bool ok;
    const char* name;
    uint32_t port;
  };
  const std::vector<Case> cases = {
      {"example.com", true, "example.com", 80},
      {"127.0.0.1:8080", true, "127.0.0.1", 8080},
      {"h:1", true, "h", 1},
      {"h:65535", true, "h", 65535},
      {"h:65536", false, "", 0},
      {"h:0", false, "", 0},
      {"h:", false, "", 0},
      {":80", false, "", 0},
      {"", false, "", 0},
      {"h:8o", false, "", 0},
      {"h:-1", false, "", 0},
      {"h:000080", false, "", 0},
      {"a:b:80", true, "a:b", 80},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.host);
    HostPort out;
    EXPECT_EQ(splitHostPort(c.host, out), c.ok);
    if (c.ok) {
      EXPECT_EQ(out.name, c.name);
      EXPECT_EQ(out.port, c.port);
    }
  }
  HostPort out;
  EXPECT_FALSE(splitHostPort(nullptr, out));
}

TEST(ResolveIpv4, DottedAddressesAndLocalNames) {
  in_addr expected{};
  inet_pton(AF_INET, "127.0.0.2", &expected);
  EXPECT_EQ(platform::resolveIpv4("127.0.0.2"), expected.s_addr);
  inet_pton(AF_INET, "127.0.0.1", &expected);
  EXPECT_EQ(platform::resolveIpv4("localhost"), expected.s_addr) << "from the hosts file";
  EXPECT_EQ(platform::resolveIpv4(""), 0u);
  EXPECT_EQ(platform::resolveIpv4(nullptr), 0u);
}

TEST(SocketConnection, EmptyHostEndsTheWorkerAtOnce) {
  SocketConnection connection;
  connection.requestConnect("", 80);
  EXPECT_EQ(waitForState(connection), SocketConnection::kClosed);
  connection.finish(false);
}

TEST(SocketConnection, ConnectsToADottedAddressAndPort) {
  ScriptedPeer peer(
      {ScriptedPeer::readRequest(), ScriptedPeer::send("pong"), ScriptedPeer::close()});
  SocketConnection connection;
  connection.requestConnect("127.0.0.1", peer.port());
  ASSERT_EQ(waitForState(connection), SocketConnection::kConnected);
  connection.sendBuffer().close();
  connection.sendBuffer().openForWriting("send");
  connection.sendBuffer().append("ping\r\n\r\n", 8);
  connection.beginSend();
  EXPECT_EQ(connection.sendPending(), SocketConnection::SendProgress::Done);
  connection.halfClose();
  // Read until the peer closes: the bytes stay readable and the receive state is not failed.
  std::string got;
  for (int i = 0; i < 5000; ++i) {
    int32_t n = connection.receive(2048);
    if (n < 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(connection.response().receiveState(), 0);
  EXPECT_EQ(std::string(connection.receiveBuffer().data()), "pong");
  connection.finish(false);
  ASSERT_EQ(peer.requests().size(), 1u);
  EXPECT_EQ(peer.requests()[0], "ping\r\n\r\n");
}

TEST(SocketConnection, HostWithPortConnectsToTheGivenPort) {
  ScriptedPeer peer({ScriptedPeer::hold()});
  SocketConnection connection;
  // The name part is looked up; the port argument says where to connect.
  connection.requestConnect(("localhost:" + std::to_string(peer.port())).c_str(), peer.port());
  EXPECT_EQ(waitForState(connection), SocketConnection::kConnected);
  connection.finish(true);
}

TEST(SocketConnection, StopEndsAConnectThatNeverCompletes) {
  SocketConnection connection;
  connection.requestConnect("127.0.0.1", test::closedPort());
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(connection.getState(), SocketConnection::kConnecting)
      << "a refused connect is not told apart from a slow one";
  auto start = std::chrono::steady_clock::now();
  connection.stop(false);
  auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(connection.isRunning(), 0u);
  EXPECT_GE(connection.getState(), 0);
  EXPECT_LT(took, std::chrono::seconds(2));
  connection.finish(false);
  EXPECT_EQ(connection.getState(), SocketConnection::kClosed);
}

TEST(SocketConnection, PeerCloseAndResetEndTheTransferDifferently) {
  struct Case {
    const char* name;
    ScriptedPeer::Step end;
    int32_t state;
  };
  const std::vector<Case> cases = {{"close", ScriptedPeer::close(), 0},
                                   {"reset", ScriptedPeer::reset(), -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedPeer peer({ScriptedPeer::send("abc"), ScriptedPeer::sleep(30), c.end});
    SocketConnection connection;
    connection.requestConnect("127.0.0.1", peer.port());
    ASSERT_EQ(waitForState(connection), SocketConnection::kConnected);
    int32_t last = 0;
    for (int i = 0; i < 5000 && last >= 0; ++i) {
      last = connection.receive(2048);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(last, -1);
    EXPECT_EQ(connection.response().receiveState(), c.state);
    connection.finish(true);
  }
}

TEST(SocketConnection, ReceiveWithZeroLengthEndsTheTransferKeepingTheBytes) {
  ScriptedPeer peer({ScriptedPeer::send("partial"), ScriptedPeer::hold()});
  SocketConnection connection;
  connection.requestConnect("127.0.0.1", peer.port());
  ASSERT_EQ(waitForState(connection), SocketConnection::kConnected);
  std::string got;
  for (int i = 0; i < 5000 && connection.receiveBuffer().size() < 7; ++i) {
    connection.receive(2048);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(connection.receive(0), -1);
  EXPECT_EQ(connection.response().receiveState(), 0);
  EXPECT_EQ(std::string(connection.receiveBuffer().data()), "partial");
  connection.finish(false);
}

TEST(SocketConnection, NothingIsReadableOrWritableWithoutASocket) {
  SocketConnection connection;
  EXPECT_FALSE(connection.isReadable());
  EXPECT_FALSE(connection.isWritableAndSendable());
  EXPECT_TRUE(connection.hasError());
  EXPECT_EQ(connection.receive(2048), -1);
  EXPECT_EQ(connection.response().receiveState(), -1);
}

}  // namespace
}  // namespace vexa
