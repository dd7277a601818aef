#include "board/board_viewer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/sjis.h"
#include "board_fixture.h"

namespace vexa::testing {
namespace {

const std::string kKey1 = "1000000001.dat";
const std::string kKey2 = "1000000002.dat";
const std::string kKey3 = "1000000003.dat";

// True when `expected` occurs in `lines` in this order (other lines may come between).
bool containsInOrder(const std::vector<std::string>& lines,
                     const std::vector<std::string>& expected) {
  auto at = lines.begin();
  for (const auto& line : expected) {
    at = std::find(at, lines.end(), line);
    if (at == lines.end()) return false;
    ++at;
  }
  return true;
}

TEST_F(BoardFixture, LoadsAndShowsTheSortedThreadList) {
  rig.serveSubject(subjectLine(kKey3, "Full thread", 1000) + subjectLine(kKey1, "Live A", 10) +
                   subjectLine(kKey2, "Live B", 20));
  rig.runScript([&](ScriptTask& script) {
    rig.viewer->searchThreads();
    if (!rig.waitForState(script, ViewerState::ListShown)) return;
    ASSERT_FALSE(rig.sink.pages.empty());
    // One sample each: no speed yet, so line order with the full thread last.
    EXPECT_EQ(rig.sink.pages.back(),
              listPage({threadLine(kKey1, "Live A", 10), threadLine(kKey2, "Live B", 20),
                        threadLine(kKey3, "Full thread", 1000)}));

    // Ten seconds later B has moved 30 posts (3 per second), A none.
    rig.host.now += 10;
    rig.serveSubject(subjectLine(kKey3, "Full thread", 1000) + subjectLine(kKey1, "Live A", 10) +
                     subjectLine(kKey2, "Live B", 50));
    rig.viewer->searchThreads();
    if (!rig.waitForState(script, ViewerState::ListShown)) return;
    EXPECT_EQ(rig.sink.pages.back(),
              listPage({threadLine(kKey2, "Live B", 50, "30000"), threadLine(kKey1, "Live A", 10),
                        threadLine(kKey3, "Full thread", 1000)}));
  });
  // The menu is read once; the list twice.
  EXPECT_EQ(rig.server.requestCount("/bbsmenu.html"), 1);
  EXPECT_EQ(rig.server.requestCount("/live/subject.txt"), 2);
  EXPECT_EQ(rig.observer.states,
            (std::vector<ViewerState>{ViewerState::LoadingList, ViewerState::ListShown,
                                      ViewerState::LoadingList, ViewerState::ListShown}));
  EXPECT_EQ(rig.content.shown, (std::vector<std::string>{"list", "browser", "list", "browser"}));
  EXPECT_TRUE(
      containsInOrder(rig.listStatus.lines,
                      {"- bbsmenu.html へ接続 -"_sjis, "- 実況板のアドレスを抽出 -"_sjis,
                       "- subject.txt 1 行目を解析 -"_sjis, "- subject.txt 3 行目を解析 -"_sjis,
                       "- subject.txt 2 行目を描画 -"_sjis, "- subject.txt 4 行目を描画 -"_sjis}));
  EXPECT_EQ(rig.viewer->listTask().statusText(), std::string("- subject.txt 4 行目を描画 -"_sjis));
  EXPECT_FALSE(rig.viewer->failed());
}

TEST_F(BoardFixture, RendersOnlyTitlesThatPassTheFilter) {
  rig.serveSubject(subjectLine(kKey1, "Live news", 10) + subjectLine(kKey2, "Live sport", 10) +
                   subjectLine(kKey3, "Chat", 10));
  rig.filter.text = "+live -SPORT";
  rig.runScript([&](ScriptTask& script) {
    rig.viewer->searchThreads();
    rig.waitForState(script, ViewerState::ListShown);
  });
  ASSERT_FALSE(rig.sink.pages.empty());
  EXPECT_EQ(rig.sink.pages.back(), listPage({threadLine(kKey1, "Live news", 10)}));
}

struct MenuFailureCase {
  const char* name;
  std::string boardTitle;  // the setting; empty for the default
  std::string menu;        // empty: the menu is not served (404)
  std::string status;
};

TEST(BoardViewerTest, MenuFailuresEndInIdleWithTheirStatusLine) {
  const std::string title = "ホロメキ"_sjis;
  const std::vector<MenuFailureCase> cases = {
      {"title missing", "", menuPage("http://h/live/", "Other"),
       "\"ホロメキ\"が見つかりません"_sjis},
      {"title as text before any tag", "", title + " " + menuPage("http://h/live/", "x"),
       "\"ホロメキ\"のアドレスが見つかりません"_sjis},
      {"link without a host", "", menuPage("/live/", title),
       "\"ホロメキ\"のホストが見つかりません"_sjis},
      {"own title carried in the line", "実況"_sjis, menuPage("http://h/live/", title),
       "\"実況\"が見つかりません"_sjis},
      {"menu gone", "", "", "サーバーがエラーを返しました (HTTP 404)"_sjis},
  };
  for (const auto& c : cases) {
    BoardRig rig(c.boardTitle);
    if (c.menu.empty()) {
      rig.server.removeRoute("/bbsmenu.html");
    } else {
      rig.server.setRoute("/bbsmenu.html", c.menu);
    }
    rig.runScript([&](ScriptTask& script) {
      rig.viewer->searchThreads();
      script.waitFor([&] { return rig.viewer->failed(); }, c.name);
    });
    EXPECT_EQ(rig.viewer->listTask().statusText(), c.status) << c.name;
    EXPECT_EQ(rig.observer.states,
              (std::vector<ViewerState>{ViewerState::LoadingList, ViewerState::Idle}))
        << c.name;
    EXPECT_EQ(rig.server.requestCount("/live/subject.txt"), 0) << c.name;
    EXPECT_TRUE(rig.sink.pages.empty()) << c.name;
  }
}

TEST_F(BoardFixture, ReadsTheMenuAgainAfterAFailure) {
  rig.server.setRoute("/bbsmenu.html", menuPage("http://h/live/", "Other"));
  rig.serveSubject(subjectLine(kKey1, "Live", 10));
  rig.runScript([&](ScriptTask& script) {
    rig.viewer->searchThreads();
    if (!script.waitFor([&] { return rig.viewer->failed(); }, "the failure")) return;
    rig.server.setRoute("/bbsmenu.html",
                        menuPage("http://" + rig.server.address() + "/live/", "ホロメキ"_sjis));
    rig.viewer->searchThreads();
    rig.waitForState(script, ViewerState::ListShown);
  });
  EXPECT_EQ(rig.server.requestCount("/bbsmenu.html"), 2);
  EXPECT_EQ(rig.sink.pages.back(), listPage({threadLine(kKey1, "Live", 10)}));
}

TEST_F(BoardFixture, WatchesAThreadAndAdaptsThePollInterval) {
  rig.serveSubject(subjectLine(kKey1, "Live", 20));
  rig.serveThread(kKey1, datLines(1, 20));
  rig.runScript([&](ScriptTask& script) {
    if (!rig.watch(script, kKey1)) return;
    EXPECT_EQ(rig.sink.pages.back(), postPageOf(6, 20));
    EXPECT_EQ(rig.host.interval, 30);

    struct PollStep {
      uint32_t lines;  // lines of the data file at this poll
      bool pageShown;
      uint32_t first;    // first post on the new page
      int32_t interval;  // poll interval after the poll
    };
    const std::vector<PollStep> steps = {
        {23, true, 21, 35},  // 3 new posts: +5
        {23, false, 0, 43},  // none: +8, the page stays
        {43, true, 29, 31},  // 20 new: -12, and only the newest 15 shown
        {83, true, 69, -1},  // 40 new: below 30, raised again before it is used
    };
    for (const auto& step : steps) {
      rig.serveSubject(subjectLine(kKey1, "Live", step.lines));
      rig.serveThread(kKey1, datLines(1, step.lines));
      const size_t pages = rig.sink.pages.size();
      if (!rig.nextPoll(script)) return;
      EXPECT_EQ(rig.observer.polls.back(), step.pageShown) << step.lines;
      EXPECT_EQ(rig.host.interval, step.interval) << step.lines;
      if (step.pageShown) {
        EXPECT_EQ(rig.sink.pages.back(), postPageOf(step.first, step.lines)) << step.lines;
      } else {
        EXPECT_EQ(rig.sink.pages.size(), pages) << step.lines;
      }
    }
    script.waitFor([&] { return rig.host.interval == 30; }, "the interval raised to 30");
  });
  // Every poll refreshes the list first, then reads the data file.
  EXPECT_EQ(rig.server.requestCount("/live/subject.txt"), 5);
  EXPECT_EQ(rig.server.requestCount("/live/dat/" + kKey1), 5);
  EXPECT_EQ(rig.server.requestCount("/test/read.cgi/live/1000000001/l1"), 1);
  EXPECT_TRUE(containsInOrder(
      rig.watchStatus.lines,
      {"- 書き込みパラメタを解析：/test/read.cgi/live/1000000001/l1 -"_sjis, "- 受信完了 -"_sjis,
       "- 1 番目のレスを解析 -"_sjis, "- 20 番目のレスを解析 -"_sjis}));
}

TEST_F(BoardFixture, KeepsTheWriteFormOfTheThread) {
  rig.serveSubject(subjectLine(kKey1, "Live", 3));
  rig.serveThread(kKey1, datLines(1, 3));
  rig.runScript([&](ScriptTask& script) { rig.watch(script, kKey1); });
  const WriteForm& form = rig.viewer->writeForm();
  EXPECT_STREQ(form.action().text(), "/test/bbs.cgi");
  ASSERT_NE(form.find("bbs"), nullptr);
  EXPECT_STREQ(form.find("bbs")->value.text(), "live");
  ASSERT_NE(form.find("key"), nullptr);
  EXPECT_STREQ(form.find("key")->value.text(), "1000000001");
  ASSERT_NE(form.find("submit"), nullptr);
  // "書き込む" is four Shift_JIS characters: 8 bytes, 24 bytes encoded.
  EXPECT_STREQ(form.find("submit")->value.text(), "%8F%91%82%AB%8D%9E%82%DE");
  EXPECT_TRUE(rig.viewer->watchTask().writeFormParsed);
}

TEST_F(BoardFixture, NgIdsHidePostsAfterAReload) {
  rig.serveSubject(subjectLine(kKey1, "Live", 20));
  rig.serveThread(kKey1, datLines(1, 20));
  rig.runScript([&](ScriptTask& script) {
    if (!rig.watch(script, kKey1)) return;
    rig.viewer->addNgId("ngid:id3");
    EXPECT_EQ(rig.viewer->state(), ViewerState::LoadingThread);
    if (!rig.waitForWatching(script)) return;
    // 16 visible posts remain; the newest 15 of them reach back to post 2.
    EXPECT_EQ(rig.sink.pages.back(), postPageOf(2, 20, {"id3"}));

    // A poll that brings only posts of the hidden poster leaves the page as it is.
    const size_t pages = rig.sink.pages.size();
    rig.serveThread(kKey1,
                    datLines(1, 20) + datLine("id3", "hidden one") + datLine("id3", "hidden two"));
    if (!rig.nextPoll(script)) return;
    EXPECT_FALSE(rig.observer.polls.back());
    EXPECT_EQ(rig.sink.pages.size(), pages);
  });
  EXPECT_EQ(rig.viewer->ngIds().size(), 1u);
  EXPECT_EQ(rig.server.requestCount("/live/dat/" + kKey1), 3);
  // The reload reads the write form again.
  EXPECT_EQ(rig.server.requestCount("/test/read.cgi/live/1000000001/l1"), 2);
}

TEST_F(BoardFixture, AnEmptyNgIdHidesPostsWithoutId) {
  rig.serveSubject(subjectLine(kKey1, "Live", 3));
  rig.serveThread(kKey1, datLine("", "anonymous") + datLine("abc", "named") + datLine("", "again"));
  rig.runScript([&](ScriptTask& script) {
    if (!rig.watch(script, kKey1)) return;
    EXPECT_EQ(rig.sink.pages.back(),
              postPage({{1, "", " anonymous "}, {2, "abc", " named "}, {3, "", " again "}}));
    rig.viewer->addNgId("ngid:");
    if (!rig.waitForWatching(script)) return;
    EXPECT_EQ(rig.sink.pages.back(), postPage({{2, "abc", " named "}}));
  });
}

TEST_F(BoardFixture, ReloadsADataFileThatShrank) {
  rig.serveSubject(subjectLine(kKey1, "Live", 20));
  rig.serveThread(kKey1, datLines(1, 20));
  rig.runScript([&](ScriptTask& script) {
    if (!rig.watch(script, kKey1)) return;
    rig.host.interval = 50;
    // The server rewrote the thread: 12 lines, other text.
    std::string rewritten;
    for (int n = 1; n <= 12; ++n) rewritten += datLine("new", "rewritten " + std::to_string(n));
    rig.serveThread(kKey1, rewritten);
    if (!rig.nextPoll(script)) return;
    std::vector<ExpectedPost> posts;
    for (uint32_t n = 1; n <= 12; ++n) {
      posts.push_back({n, "new", " rewritten " + std::to_string(n) + " "});
    }
    EXPECT_EQ(rig.sink.pages.back(), postPage(posts));
    EXPECT_EQ(rig.host.interval, 30);
    EXPECT_EQ(rig.viewer->watchTask().thread().posts().size(), 12u);
  });
}

TEST_F(BoardFixture, MovesToTheSuccessorOfAFullThread) {
  rig.serveSubject(subjectLine(kKey1, "Live Part 1", 20) + subjectLine(kKey2, "Other talk", 5));
  rig.serveThread(kKey1, datLines(1, 20));
  rig.runScript([&](ScriptTask& script) {
    if (!rig.watch(script, kKey1)) return;
    rig.serveSubject(subjectLine(kKey1, "Live Part 1", 1000) + subjectLine(kKey2, "Other talk", 6) +
                     subjectLine(kKey3, "Live Part 2", 3));
    rig.serveThread(kKey3, datLines(1, 3));
    rig.host.now += 30;
    if (!script.waitFor([&] { return rig.server.requestCount("/live/dat/" + kKey3) > 0; },
                        "the successor's data")) {
      return;
    }
    if (!rig.waitForWatching(script)) return;
    EXPECT_EQ(rig.sink.pages.back(), postPageOf(1, 3));
    ASSERT_NE(rig.viewer->boardState().current(), nullptr);
    EXPECT_STREQ(rig.viewer->boardState().current()->key.text(), kKey3.c_str());
  });
  EXPECT_EQ(rig.observer.states.back(), ViewerState::Watching);
  EXPECT_EQ(rig.server.requestCount("/test/read.cgi/live/1000000003/l1"), 1);
}

TEST_F(BoardFixture, ReturnsToTheListWhenAFullThreadHasNoSuccessor) {
  rig.serveSubject(subjectLine(kKey1, "abcdef", 20) + subjectLine(kKey2, "xyz", 5));
  rig.serveThread(kKey1, datLines(1, 20));
  rig.runScript([&](ScriptTask& script) {
    if (!rig.watch(script, kKey1)) return;
    rig.serveSubject(subjectLine(kKey1, "abcdef", 1000) + subjectLine(kKey2, "xyz", 5));
    rig.host.now += 30;
    if (!script.waitFor([&] { return rig.observer.states.back() == ViewerState::ListShown; },
                        "the list again")) {
      return;
    }
    // The quiet refresh saw 980 posts in 30 s: 32.67 a second, shown times 10000.
    EXPECT_EQ(rig.sink.pages.back(),
              listPage({threadLine(kKey2, "xyz", 5), threadLine(kKey1, "abcdef", 1000, "326666")}));
    script.waitFor([&] { return !rig.viewer->watchTask().isLive(); }, "the watch task's end");
  });
  EXPECT_EQ(rig.server.requestCount("/bbsmenu.html"), 1);
}

TEST_F(BoardFixture, AGoneDataFileGoesThroughIdleBackToTheList) {
  rig.serveSubject(subjectLine(kKey1, "Live", 20) + subjectLine(kKey2, "Other", 3));
  rig.serveThread(kKey1, datLines(1, 20));
  rig.runScript([&](ScriptTask& script) {
    if (!rig.watch(script, kKey1)) return;
    rig.server.removeRoute("/live/dat/" + kKey1);
    const size_t states = rig.observer.states.size();
    rig.host.now += 30;
    if (!script.waitFor(
            [&] {
              return rig.observer.states.size() > states &&
                     rig.observer.states.back() == ViewerState::ListShown;
            },
            "the list again")) {
      return;
    }
    const std::vector<ViewerState> tail(rig.observer.states.begin() + states,
                                        rig.observer.states.end());
    EXPECT_EQ(tail, (std::vector<ViewerState>{ViewerState::Idle, ViewerState::LoadingList,
                                              ViewerState::ListShown}));
  });
  // Idle forgot the board's address, so the menu was read again.
  EXPECT_EQ(rig.server.requestCount("/bbsmenu.html"), 2);
  EXPECT_FALSE(rig.viewer->failed());
}

TEST_F(BoardFixture, AGoneThreadAtTheFirstLoadEndsInIdle) {
  rig.serveSubject(subjectLine(kKey1, "Live", 20));
  rig.serveThread(kKey1, datLines(1, 20));
  rig.server.removeRoute("/live/dat/" + kKey1);
  rig.runScript([&](ScriptTask& script) {
    rig.viewer->searchThreads();
    if (!rig.waitForState(script, ViewerState::ListShown)) return;
    rig.viewer->openThread(kKey1);
    script.waitFor([&] { return rig.viewer->failed(); }, "the failure");
  });
  EXPECT_EQ(rig.viewer->watchTask().statusText(),
            std::string("サーバーがエラーを返しました (HTTP 404)"_sjis));
  EXPECT_EQ(rig.observer.states.back(), ViewerState::Idle);
}

TEST_F(BoardFixture, SwitchesThreadsWhileWatching) {
  rig.serveSubject(subjectLine(kKey1, "Live", 20) + subjectLine(kKey2, "Other", 4));
  rig.serveThread(kKey1, datLines(1, 20));
  rig.serveThread(kKey2, datLines(1, 4));
  rig.runScript([&](ScriptTask& script) {
    if (!rig.watch(script, kKey1)) return;
    rig.viewer->openThread(kKey2);
    if (!rig.waitForWatching(script)) return;
    EXPECT_EQ(rig.sink.pages.back(), postPageOf(1, 4));
    EXPECT_EQ(rig.viewer->watchTask().thread().posts().size(), 4u);
  });
}

TEST_F(BoardFixture, SearchingWhileWatchingEndsTheWatchTask) {
  rig.serveSubject(subjectLine(kKey1, "Live", 20));
  rig.serveThread(kKey1, datLines(1, 20));
  rig.runScript([&](ScriptTask& script) {
    if (!rig.watch(script, kKey1)) return;
    rig.viewer->searchThreads();
    if (!rig.waitForState(script, ViewerState::ListShown)) return;
    script.waitFor([&] { return !rig.viewer->watchTask().isLive(); }, "the watch task's end");
    EXPECT_EQ(rig.sink.pages.back(), listPage({threadLine(kKey1, "Live", 20)}));
  });
  EXPECT_EQ(rig.server.requestCount("/live/dat/" + kKey1), 1);
}

TEST(BoardViewerStateTest, AcceptsOnlyTheAllowedRequests) {
  BoardRig rig;
  BoardViewer& viewer = *rig.viewer;
  struct Step {
    ViewerState request;
    bool accepted;
    ViewerState after;
  };
  // The tasks are started but never resumed: only the state machine runs here.
  const std::vector<Step> steps = {
      {ViewerState::ListShown, false, ViewerState::Idle},
      {ViewerState::Watching, false, ViewerState::Idle},
      {ViewerState::LoadingThread, false, ViewerState::Idle},
      {ViewerState::Idle, true, ViewerState::Idle},
      {ViewerState::LoadingList, true, ViewerState::LoadingList},
      {ViewerState::Watching, false, ViewerState::LoadingList},
      {ViewerState::LoadingThread, false, ViewerState::LoadingList},
      {ViewerState::ListShown, true, ViewerState::ListShown},
      {ViewerState::ListShown, false, ViewerState::ListShown},
      {ViewerState::Watching, false, ViewerState::ListShown},
      {ViewerState::LoadingThread, true, ViewerState::LoadingThread},
      {ViewerState::LoadingThread, false, ViewerState::LoadingThread},
      {ViewerState::ListShown, false, ViewerState::LoadingThread},
      {ViewerState::Watching, true, ViewerState::Watching},
      {ViewerState::Watching, false, ViewerState::Watching},
      {ViewerState::ListShown, false, ViewerState::Watching},
      {ViewerState::LoadingThread, true, ViewerState::LoadingThread},
      {ViewerState::Watching, true, ViewerState::Watching},
      {ViewerState::LoadingList, true, ViewerState::LoadingList},
      {ViewerState::LoadingList, true, ViewerState::LoadingList},
      {ViewerState::Idle, true, ViewerState::Idle},
  };
  for (size_t i = 0; i < steps.size(); ++i) {
    EXPECT_EQ(viewer.setViewerState(steps[i].request), steps[i].accepted) << "step " << i;
    EXPECT_EQ(viewer.state(), steps[i].after) << "step " << i;
  }
}

TEST(BoardViewerStateTest, RequestsSetTheWatchTaskFlags) {
  BoardRig rig;
  BoardViewer& viewer = *rig.viewer;
  ThreadWatchTask& watch = viewer.watchTask();
  viewer.setViewerState(ViewerState::LoadingList);
  EXPECT_TRUE(watch.cancelRequested);
  EXPECT_TRUE(viewer.listTask().isLive());
  viewer.setViewerState(ViewerState::ListShown);
  watch.cancelRequested = false;
  watch.watching = true;
  watch.writeFormParsed = true;
  viewer.setViewerState(ViewerState::LoadingThread);
  EXPECT_TRUE(watch.restartRequested);
  EXPECT_TRUE(watch.cancelRequested);
  EXPECT_FALSE(watch.watching);
  EXPECT_FALSE(watch.writeFormParsed);
  EXPECT_TRUE(watch.isLive());
  rig.host.trayState = TrayState::Blinking;
  viewer.setViewerState(ViewerState::Watching);
  EXPECT_EQ(rig.host.trayState, TrayState::Normal);
  EXPECT_EQ(rig.content.shown, (std::vector<std::string>{"list", "browser", "watch", "browser"}));
}

TEST(BoardViewerStateTest, ThreadLinksCountOnlyWhenAListOrThreadIsShown) {
  BoardRig rig;
  rig.viewer->openThread(kKey1);
  EXPECT_EQ(rig.viewer->state(), ViewerState::Idle);
  EXPECT_FALSE(rig.viewer->watchTask().isLive());
  // An NG link still adds its ID, whatever the state.
  rig.viewer->addNgId("ngid:abc");
  rig.viewer->addNgId("ngid:abc");
  rig.viewer->addNgId("not an ng link");
  EXPECT_EQ(rig.viewer->ngIds().size(), 1u);
  EXPECT_EQ(rig.viewer->state(), ViewerState::Idle);
  EXPECT_FALSE(rig.viewer->failed());
}

}  // namespace
}  // namespace vexa::testing
