#include "media/player_pane.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "base/log_stream.h"
#include "platform/clock.h"
#include "platform/desktop/host_windows.h"
#include "platform/desktop/window_system.h"
#include "tests/media/gui/media_server.h"
#include "tests/media/gui/pane_rig.h"
#include "tests/platform/test_support.h"

namespace vexa::media {
namespace {

using namespace vexa::platform;
using test::MediaServer;
using test::PaneRig;
using test::ServeMode;
using test::TopWindow;

class PlayerPaneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!PaneRig::get().ready()) GTEST_SKIP() << "no display";
  }
  PaneRig& rig() { return PaneRig::get(); }
  PlayerPaneOptions options() {
    PlayerPaneOptions o;
    o.audioOff = true;
    o.networkTimeoutSeconds = 2;
    return o;
  }
  // Playing, and the time played moves on.
  bool playsOn(PlayerPane& pane) {
    if (!rig().runUntil([&] { return pane.state().phase() == PlayerPhase::Playing; })) {
      return false;
    }
    double first = -1;
    rig().runUntil([&] { return (first = pane.playbackSeconds()) >= 0; });
    return rig().runUntil([&] { return pane.playbackSeconds() > first + 0.2; });
  }
};

TEST_F(PlayerPaneTest, PlaysALocalStreamAndStopReleasesTheConnection) {
  MediaServer server(test::ToneWav(120), "audio/wav", ServeMode::Body, 32 * 1024);
  TopWindow top;
  PlayerPane pane(rig().queue(), options());
  ASSERT_FALSE(pane.create(top.handle, 303));
  EXPECT_EQ(GetDlgCtrlID(pane.window()), 303);
  EXPECT_EQ(PlayerPane::kLayoutValues[0], 1);
  EXPECT_EQ(PlayerPane::kLayoutValues[1], 250);
  MoveWindow(pane.window(), 0, 0, 320, 240, 1);
  // An idle pane has its window but no player yet: that waits for the first play.
  EXPECT_TRUE(pane.created());
  EXPECT_FALSE(pane.playerStarted());
  EXPECT_EQ(pane.state().phase(), PlayerPhase::Idle);
  EXPECT_LT(pane.playbackSeconds(), 0);
  pane.setVolume(30);
  pane.togglePause();
  pane.stop();
  EXPECT_FALSE(pane.playerStarted()) << "only a play starts the player";

  const uint32_t start = tickMs();
  pane.play(server.url());  // plain ASCII is the same in Shift_JIS
  EXPECT_TRUE(pane.playerStarted());
  ASSERT_TRUE(playsOn(pane)) << pane.state().reason();
  std::printf("play to playing: %u ms\n", tickMs() - start);

  pane.stop();
  EXPECT_EQ(pane.state().phase(), PlayerPhase::Idle);
  EXPECT_TRUE(rig().runUntil([&] { return server.closed() == server.connections(); }, 3000))
      << server.closed() << " of " << server.connections();
  EXPECT_LT(pane.playbackSeconds(), 0);
}

TEST_F(PlayerPaneTest, MmsAddressOfAnHttpServerPlaysThroughTheRetry) {
  MediaServer server(test::ToneWav(30), "audio/wav");
  TopWindow top;
  PlayerPane pane(rig().queue(), options());
  ASSERT_FALSE(pane.create(top.handle, 304));
  pane.playLink(server.url("mms", "/x"));
  ASSERT_TRUE(playsOn(pane)) << pane.state().reason();
  EXPECT_EQ(pane.state().address(), server.url("http", "/x"));
  auto lines = server.requestLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().rfind("GET /x ", 0), 0u) << lines.back();
}

TEST_F(PlayerPaneTest, UnplayableAddressesFailWithAReasonWhileTheWindowAnswers) {
  MediaServer stall("", "audio/wav", ServeMode::Stall);
  MediaServer page(std::string(4000, 'x') + "<html>not media</html>", "text/html");
  int refusedPort;
  {
    MediaServer gone("", "audio/wav");
    refusedPort = gone.port();
  }
  const struct {
    const char* name;
    std::string address;
  } cases[] = {
      {"refused", "http://127.0.0.1:" + std::to_string(refusedPort) + "/a"},
      {"stalled server", stall.url()},
      {"not media", page.url()},
      {"empty address", ""},
      {"refused mms, retried as http", "mms://127.0.0.1:" + std::to_string(refusedPort) + "/a"},
  };
  TopWindow top;
  PlayerPane pane(rig().queue(), options());
  ASSERT_FALSE(pane.create(top.handle, 303));
  for (const auto& c : cases) {
    pane.play(c.address);
    // The loop keeps turning: a message posted now is handled while the player works.
    int answeredBefore = top.answered;
    PostMessageA(top.handle, WM_USER + 1, 0, 0);
    // A fast failure can come before the posted message's turn: wait for both.
    rig().runUntil(
        [&] {
          return pane.state().phase() == PlayerPhase::Failed && top.answered > answeredBefore;
        },
        8000);
    EXPECT_EQ(pane.state().phase(), PlayerPhase::Failed)
        << c.name << ": phase " << static_cast<int>(pane.state().phase());
    EXPECT_EQ(top.answered, answeredBefore + 1) << c.name;
    EXPECT_FALSE(pane.state().reason().empty()) << c.name;
    EXPECT_EQ(pane.state().reason().find('\n'), std::string::npos) << c.name;
    std::printf("%s: %s\n", c.name, pane.state().reason().c_str());
  }
}

TEST_F(PlayerPaneTest, TwoPanesPlayTwoStreamsAtOnce) {
  MediaServer first(test::ToneWav(30), "audio/wav");
  MediaServer second(test::ToneWav(30, 11025), "audio/wav");
  TopWindow top;
  PlayerPane one(rig().queue(), options());
  PlayerPane two(rig().queue(), options());
  ASSERT_FALSE(one.create(top.handle, 303));
  ASSERT_FALSE(two.create(top.handle, 304));
  MoveWindow(one.window(), 0, 0, 320, 240, 1);
  MoveWindow(two.window(), 320, 0, 320, 240, 1);
  one.play(first.url());
  two.play(second.url());
  EXPECT_TRUE(playsOn(one)) << one.state().reason();
  EXPECT_TRUE(playsOn(two)) << two.state().reason();
  EXPECT_EQ(one.state().phase(), PlayerPhase::Playing);

  // Pause is within reach and shows.
  one.togglePause();
  EXPECT_TRUE(rig().runUntil([&] { return one.state().phase() == PlayerPhase::Paused; }));
  EXPECT_EQ(two.state().phase(), PlayerPhase::Playing);
  one.togglePause();
  EXPECT_TRUE(rig().runUntil([&] { return one.state().phase() == PlayerPhase::Playing; }));
  one.setVolume(40);
  EXPECT_EQ(one.volume(), 40);
}

TEST_F(PlayerPaneTest, AFailedCreationIsLoggedAndNothingElseBreaks) {
  PlayerPane pane(rig().queue(), options());
  EXPECT_TRUE(pane.create(reinterpret_cast<HWND>(uintptr_t{0xdead}), 303));
  EXPECT_FALSE(pane.created());
  pane.play("http://127.0.0.1:1/");
  EXPECT_FALSE(pane.playerStarted());
  pane.stop();
  EXPECT_EQ(pane.state().phase(), PlayerPhase::Idle);
}

TEST_F(PlayerPaneTest, APlayerThatCannotStartFailsThePlayWithTheReasonAndIsLogged) {
  test::TempDir dir;
  const std::string logName = dir.path + "/vexa.log";
  logStream.close();  // an earlier test may have opened the log elsewhere
  logStream.setConfiguredName(logName.c_str());
  MediaServer server(test::ToneWav(30), "audio/wav");
  PlayerPane pane(rig().queue(), options());
  {
    TopWindow top;
    ASSERT_FALSE(pane.create(top.handle, 303));
  }
  // The pane's window went with its parent: there is nothing for a player to draw into.
  for (int round = 0; round < 2; ++round) {
    pane.play(server.url());
    EXPECT_EQ(pane.state().phase(), PlayerPhase::Failed) << round;
    EXPECT_FALSE(pane.state().reason().empty()) << round;
    EXPECT_FALSE(pane.playerStarted()) << round;
  }
  pane.stop();
  EXPECT_EQ(pane.state().phase(), PlayerPhase::Idle);
  logStream.close();
  logStream.setConfiguredName(nullptr);
  std::ostringstream log;
  log << std::ifstream(logName, std::ios::binary).rdbuf();
  EXPECT_EQ(log.str(),
            "ERROR: fail to create Media Player.\r\nERROR: fail to create Media Player.\r\n");
  EXPECT_EQ(server.connections(), 0);
}

}  // namespace
}  // namespace vexa::media
