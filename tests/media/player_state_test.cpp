#include "media/player_state.h"

#include <gtest/gtest.h>

namespace vexa::media {
namespace {

TEST(PlayerState, PlaysPausesAndEnds) {
  PlayerState s;
  EXPECT_EQ(s.phase(), PlayerPhase::Idle);
  s.startLoad("http://h/a");
  EXPECT_EQ(s.phase(), PlayerPhase::Connecting);
  s.started(1);  // before the load was accepted: not ours yet
  EXPECT_EQ(s.phase(), PlayerPhase::Connecting);
  s.loadAccepted(1);
  s.started(1);
  EXPECT_EQ(s.phase(), PlayerPhase::Playing);
  s.pauseChanged(true);
  EXPECT_EQ(s.phase(), PlayerPhase::Paused);
  s.pauseChanged(false);
  EXPECT_EQ(s.phase(), PlayerPhase::Playing);
  EXPECT_EQ(s.ended(1, EndReason::Finished, ""), "");
  EXPECT_EQ(s.phase(), PlayerPhase::Idle);
}

TEST(PlayerState, EventsOfEarlierLoadsAreIgnored) {
  PlayerState s;
  s.startLoad("http://h/a");
  s.loadAccepted(1);
  s.started(1);
  s.startLoad("http://h/b");
  s.loadAccepted(2);
  // The first load's end and a late start of it must not touch the second.
  EXPECT_EQ(s.ended(1, EndReason::Replaced, ""), "");
  EXPECT_EQ(s.ended(1, EndReason::Error, "loading failed"), "");
  s.started(1);
  EXPECT_EQ(s.phase(), PlayerPhase::Connecting);
  s.started(2);
  EXPECT_EQ(s.phase(), PlayerPhase::Playing);
  EXPECT_EQ(s.address(), "http://h/b");
}

TEST(PlayerState, FailuresAndTheMmsRetry) {
  const struct {
    const char* name;
    const char* address;
    const char* loggedError;
    const char* retry;  // expected second address, or ""
    bool retryFails;
    const char* reason;
  } cases[] = {
      {"http error uses the logged line", "http://h/x", "Failed to open\nhttp://h/x.", "", false,
       "Failed to open http://h/x."},
      {"no log line: the player's own error", "http://h/x", "", "", false, "loading failed"},
      {"mms retried as http, then plays", "mms://h:1/x?y", "mmsh failed", "http://h:1/x?y", false,
       ""},
      {"mms retried once only", "mms://h/x", "first", "http://h/x", true, "second failure"},
      {"empty address fails with a reason", "", "", "", false, "loading failed"},
  };
  for (const auto& c : cases) {
    PlayerState s;
    s.startLoad(c.address);
    s.loadAccepted(10);
    s.errorLogged(c.loggedError);
    std::string next = s.ended(10, EndReason::Error, "loading failed");
    EXPECT_EQ(next, c.retry) << c.name;
    if (!next.empty()) {
      EXPECT_EQ(s.phase(), PlayerPhase::Connecting) << c.name;
      EXPECT_EQ(s.address(), next) << c.name;
      s.loadAccepted(11);
      if (c.retryFails) {
        s.errorLogged("second failure");
        EXPECT_EQ(s.ended(11, EndReason::Error, "loading failed"), "") << c.name;
      } else {
        s.started(11);
        EXPECT_EQ(s.phase(), PlayerPhase::Playing) << c.name;
        continue;
      }
    }
    EXPECT_EQ(s.phase(), PlayerPhase::Failed) << c.name;
    EXPECT_EQ(s.reason(), c.reason) << c.name;
  }
}

TEST(PlayerState, RefusedLoadStopAndPauseOutsidePlayback) {
  PlayerState s;
  s.pauseChanged(true);  // nothing playing: nothing to pause
  EXPECT_EQ(s.phase(), PlayerPhase::Idle);
  s.startLoad("x");
  s.loadRefused("");
  EXPECT_EQ(s.phase(), PlayerPhase::Failed);
  EXPECT_EQ(s.reason(), "playback failed");
  s.errorLogged("late noise");  // a failed pane keeps its reason
  EXPECT_EQ(s.reason(), "playback failed");

  s.startLoad("http://h/a");
  s.loadAccepted(3);
  s.started(3);
  s.stopped();
  EXPECT_EQ(s.phase(), PlayerPhase::Idle);
  // The end the stop causes arrives later and changes nothing.
  EXPECT_EQ(s.ended(3, EndReason::Error, "x"), "");
  EXPECT_EQ(s.phase(), PlayerPhase::Idle);
  EXPECT_EQ(s.reason(), "");
}

}  // namespace
}  // namespace vexa::media
