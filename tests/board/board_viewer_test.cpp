#include "board/board_viewer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "base/sjis.h"
#include "base/task_loop.h"
#include "platform/message_queue.h"
#include "test_http_server.h"
#include "tests/view/view_test_support.h"

namespace vexa::testing {
namespace {

using State = ViewerState;

// Thread n of the tests has the key "100000000n.dat".
std::string key(int n) {
  return "100000000" + std::to_string(n) + ".dat";
}

std::string menuPage(const std::string& boardLink, const std::string& title) {
  return "<B>News</B><BR>\n<A HREF=http://news.example/news/>News</A><br>\n<A HREF=" + boardLink +
         ">" + title + "</A><br>\n";
}

std::string datLine(const std::string& id, const std::string& body) {
  return "name<>sage<>2024/01/01 00:00:00" + (id.empty() ? "" : " ID:" + id) + "<> " + body +
         " <>\n";
}

// Post n of the test threads has the body "post n" and the ID "id" + n % 5; every fifth has none.
std::string idOf(uint32_t n) {
  return n % 5 == 0 ? "" : "id" + std::to_string(n % 5);
}

std::string datLines(uint32_t first, uint32_t last) {
  std::string lines;
  for (uint32_t n = first; n <= last; ++n) lines += datLine(idOf(n), "post " + std::to_string(n));
  return lines;
}

// The latest-batch page of posts first..last of datLines, without the posts of `hidden` IDs.
std::string postPage(uint32_t first, uint32_t last, const std::vector<std::string>& hidden = {}) {
  std::string lines;
  for (uint32_t n = first; n <= last; ++n) {
    if (std::find(hidden.begin(), hidden.end(), idOf(n)) != hidden.end()) continue;
    lines += test::postLine(n, idOf(n), " post " + std::to_string(n) + " ");
  }
  return test::hoverPage(lines);
}

// The list page of threads (number, title, figures).
std::string listPage(const std::vector<std::tuple<int, std::string, std::string>>& threads) {
  std::string lines;
  for (const auto& [n, title, figures] : threads) lines += test::threadLine(key(n), title, figures);
  return test::plainPage(lines);
}

// The window side and the clock of a viewer of a served board: the menu at /bbsmenu.html points
// at /live/ on the same server, port included. The viewer's tasks run on a loop that runs only
// inside runUntil(), whose condition the rig, the loop's last task, checks every pass; so a
// test is straight-line code on the GUI fiber.
class BoardRig : public PlainDownloadHost,
                 public ViewerObserver,
                 public ContentSlot,
                 public FiberTask {
 public:
  // `boardTitle` is the title setting (empty: the default).
  explicit BoardRig(const std::string& boardTitle = "") {
    server.setRoute("/bbsmenu.html",
                    menuPage("http://" + server.address() + "/live/", "ホロメキ"_sjis));
    BoardSettings settings{server.address(), boardTitle};
    viewer = std::make_unique<BoardViewer>(
        settings, *this, BoardWindows{&sink, nullptr, nullptr, &filter, this, this});
    viewer->addTasks(loop);
    loop.addTask(this);
  }

  int64_t currentTime() override { return now; }
  void viewerStateChanged(ViewerState state) override { states.push_back(state); }
  void pollFinished(bool pageShown) override { polls.push_back(pageShown); }
  void showStatusView(BoardTaskId task) override {
    shown.push_back(task == BoardTaskId::List ? "list" : "watch");
  }
  void showBrowserView() override { shown.push_back("browser"); }

  // Threads (number, title, count) in subject.txt.
  void serveSubject(const std::vector<std::tuple<int, std::string, uint32_t>>& threads) {
    std::string subject;
    for (const auto& [n, title, count] : threads) {
      subject += key(n) + "<>" + title + " (" + std::to_string(count) + ")\n";
    }
    server.setRoute("/live/subject.txt", subject);
  }
  // The data file and the thread's page with its write form after the link back to the board.
  void serveThread(int n, const std::string& dat) {
    server.setRoute("/live/dat/" + key(n), dat);
    server.setRoute("/test/read.cgi/live/100000000" + std::to_string(n) + "/l1",
                    "<a href=\"../live/\">" + std::string("掲示板に戻る"_sjis) +
                        "</a>\n<form method=post action=\"../test/bbs.cgi\"><input type=submit "
                        "value=\"" +
                        std::string("書き込む"_sjis) +
                        "\" name=\"submit\"><input type=hidden name=bbs value=live></form>\n");
  }
  int datRequests(int n) { return server.requestCount("/live/dat/" + key(n)); }
  int pageRequests(int n) {
    return server.requestCount("/test/read.cgi/live/100000000" + std::to_string(n) + "/l1");
  }

  // Runs the loop until `condition` holds; false (and a test failure) after 20 s of real time.
  bool runUntil(std::function<bool()> condition, const std::string& what) {
    done_ = std::move(condition);
    EXPECT_FALSE(start(0));
    loop.run();
    EXPECT_FALSE(timedOut_) << "timed out waiting for " << what;
    return !timedOut_;
  }
  bool runUntilState(State state) {
    return runUntil([this, state] { return viewer->state() == state; }, viewerStateName(state));
  }
  // Until the thread is shown and its watch loop runs, so a later clock step counts towards the
  // first poll.
  bool runUntilWatching() {
    return runUntil([this] { return viewer->watchTask().watching; }, "the watch loop");
  }
  // Searches, then clicks thread n in the list and runs until it is watched.
  bool watch(int n) {
    viewer->searchThreads();
    if (!runUntilState(State::ListShown)) return false;
    viewer->openThread(key(n));
    return runUntilWatching();
  }
  // Moves the clock past the poll interval and runs until the next poll has finished.
  bool nextPoll() {
    const size_t before = polls.size();
    now += interval < 30 ? 30 : interval;
    return runUntil([this, before] { return polls.size() > before; }, "a poll");
  }

  TestHttpServer server;
  int64_t now = 1700000000;
  std::vector<ViewerState> states;
  std::vector<bool> polls;
  std::vector<std::string> shown;
  test::RecordingSink sink;
  PlainFilterText filter;
  platform::MessageQueue queue;
  TaskLoop loop{queue};
  std::unique_ptr<BoardViewer> viewer;

 protected:
  void run() override {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done_() && !(timedOut_ = std::chrono::steady_clock::now() > deadline)) yield();
    loop.stop();
  }

 private:
  std::function<bool()> done_;
  bool timedOut_ = false;
};

TEST(BoardViewerTest, ShowsTheThreadListSortedBySpeedAndFiltered) {
  BoardRig rig;
  rig.serveSubject({{3, "Full live", 1000}, {1, "Live A", 10}, {2, "Live B", 20}});
  rig.viewer->searchThreads();
  ASSERT_TRUE(rig.runUntilState(State::ListShown));
  // One sample each: no speed yet, so line order with the full thread last.
  EXPECT_EQ(rig.sink.pages.back(),
            listPage({{1, "Live A", "10"}, {2, "Live B", "20"}, {3, "Full live", "1000"}}));
  // A status line per list line rendered, counted from the position after it.
  EXPECT_EQ(rig.viewer->listTask().statusText(), std::string("- subject.txt 4 行目を描画 -"_sjis));

  // Ten seconds later B has moved 30 posts (3 per second), A none.
  rig.now += 10;
  rig.serveSubject({{3, "Full live", 1000}, {1, "Live A", 10}, {2, "Live B", 50}, {4, "Chat", 5}});
  rig.filter.text = "+LIVE -full";
  rig.viewer->searchThreads();
  ASSERT_TRUE(rig.runUntilState(State::ListShown));
  EXPECT_EQ(rig.sink.pages.back(), listPage({{2, "Live B", "50/30000"}, {1, "Live A", "10"}}));
  // The menu is read once; the list twice.
  EXPECT_EQ(rig.server.requestCount("/bbsmenu.html"), 1);
  EXPECT_EQ(rig.server.requestCount("/live/subject.txt"), 2);
  EXPECT_EQ(rig.states, (std::vector{State::LoadingList, State::ListShown, State::LoadingList,
                                     State::ListShown}));
  EXPECT_EQ(rig.shown, (std::vector<std::string>{"list", "browser", "list", "browser"}));
  EXPECT_FALSE(rig.viewer->failed());
}

TEST(BoardViewerTest, MenuFailuresEndInIdleAndTheNextSearchReadsTheMenuAgain) {
  struct Case {
    std::string boardTitle;  // the setting; empty for the default
    std::string menu;        // empty: the menu is not served (404)
    std::string status;
  };
  const std::string title = "ホロメキ"_sjis;
  const std::vector<Case> cases = {
      {"", menuPage("http://h/live/", "Other"), "\"ホロメキ\"が見つかりません"_sjis},
      {"", title + menuPage("http://h/live/", "x"), "\"ホロメキ\"のアドレスが見つかりません"_sjis},
      {"", menuPage("/live/", title), "\"ホロメキ\"のホストが見つかりません"_sjis},
      {"実況"_sjis, menuPage("http://h/live/", title), "\"実況\"が見つかりません"_sjis},
      {"", "", "サーバーがエラーを返しました (HTTP 404)"_sjis},
  };
  for (const auto& c : cases) {
    BoardRig rig(c.boardTitle);
    rig.server.setRoute("/bbsmenu.html", c.menu);
    if (c.menu.empty()) rig.server.removeRoute("/bbsmenu.html");
    rig.viewer->searchThreads();
    ASSERT_TRUE(rig.runUntil([&] { return rig.viewer->failed(); }, c.status));
    EXPECT_EQ(rig.viewer->listTask().statusText(), c.status);
    EXPECT_EQ(rig.states, (std::vector{State::LoadingList, State::Idle})) << c.status;
    EXPECT_EQ(rig.server.requestCount("/live/subject.txt"), 0) << c.status;
    EXPECT_TRUE(rig.sink.pages.empty()) << c.status;

    const std::string link = "http://" + rig.server.address() + "/live/";
    rig.server.setRoute("/bbsmenu.html", menuPage(link, boardTitleOf(rig.viewer->settings())));
    rig.serveSubject({{1, "Live", 10}});
    rig.viewer->searchThreads();
    ASSERT_TRUE(rig.runUntilState(State::ListShown)) << c.status;
    EXPECT_EQ(rig.server.requestCount("/bbsmenu.html"), 2) << c.status;
    EXPECT_EQ(rig.sink.pages.back(), listPage({{1, "Live", "10"}})) << c.status;
  }
}

TEST(BoardViewerTest, WatchesAThreadAndAdaptsThePollInterval) {
  BoardRig rig;
  rig.serveSubject({{1, "Live", 20}});
  rig.serveThread(1, datLines(1, 20));
  ASSERT_TRUE(rig.watch(1));
  EXPECT_EQ(rig.sink.pages.back(), postPage(6, 20));
  EXPECT_EQ(rig.viewer->watchTask().statusText(), std::string("- 20 番目のレスを解析 -"_sjis));
  EXPECT_EQ(rig.interval, 30);
  const WriteForm& form = rig.viewer->writeForm();
  EXPECT_STREQ(form.action().text(), "/test/bbs.cgi");
  ASSERT_EQ(form.fieldCount(), 2u);
  EXPECT_STREQ(form.field(1).value.text(), "%8F%91%82%AB%8D%9E%82%DE");  // "書き込む"

  struct Poll {
    uint32_t lines;    // lines of the data file at this poll
    uint32_t first;    // first post on the new page; 0: the page stays
    int32_t interval;  // poll interval after the poll
  };
  const std::vector<Poll> polls = {
      {23, 21, 35},  // 3 new posts: +5
      {23, 0, 43},   // none: +8
      {43, 29, 31},  // 20 new: -12, and only the newest 15 shown
      {83, 69, -1},  // 40 new: below 30...
      {83, 0, 38},   // ...so raised to 30 before it is used
      {12, 1, 30},   // the file came back shorter: read again in full, from 30 again
  };
  for (const auto& poll : polls) {
    rig.serveSubject({{1, "Live", poll.lines}});
    rig.serveThread(1, datLines(1, poll.lines));
    const size_t pages = rig.sink.pages.size();
    ASSERT_TRUE(rig.nextPoll());
    EXPECT_EQ(rig.polls.back(), poll.first != 0) << poll.lines;
    EXPECT_EQ(rig.interval, poll.interval) << poll.lines;
    EXPECT_EQ(rig.sink.pages.size(), pages + (poll.first != 0)) << poll.lines;
    if (poll.first != 0) {
      EXPECT_EQ(rig.sink.pages.back(), postPage(poll.first, poll.lines)) << poll.lines;
    }
  }
  // Every poll refreshes the list first, then reads the data file.
  EXPECT_EQ(rig.server.requestCount("/live/subject.txt"), 7);
  EXPECT_EQ(rig.datRequests(1), 7);
  EXPECT_EQ(rig.pageRequests(1), 1);
}

TEST(BoardViewerTest, NgIdsHidePostsAfterAReloadIncludingTheEmptyId) {
  BoardRig rig;
  rig.serveSubject({{1, "Live", 20}});
  rig.serveThread(1, datLines(1, 20));
  ASSERT_TRUE(rig.watch(1));
  rig.viewer->addNgId("ngid:id3");
  EXPECT_EQ(rig.viewer->state(), State::LoadingThread);
  ASSERT_TRUE(rig.runUntilWatching());
  // 16 visible posts remain; the newest 15 of them reach back to post 2.
  EXPECT_EQ(rig.sink.pages.back(), postPage(2, 20, {"id3"}));
  rig.viewer->addNgId("ngid:");  // the number of a post without ID
  ASSERT_TRUE(rig.runUntilWatching());
  EXPECT_EQ(rig.sink.pages.back(), postPage(1, 20, {"id3", ""}));

  // A poll that brings only posts of hidden posters leaves the page as it is.
  const size_t pages = rig.sink.pages.size();
  rig.serveThread(1, datLines(1, 20) + datLine("id3", "hidden") + datLine("", "no id"));
  ASSERT_TRUE(rig.nextPoll());
  EXPECT_FALSE(rig.polls.back());
  EXPECT_EQ(rig.sink.pages.size(), pages);
  EXPECT_EQ(rig.viewer->ngIds().size(), 2u);
  EXPECT_EQ(rig.datRequests(1), 4);
  EXPECT_EQ(rig.pageRequests(1), 3);  // each reload reads the write form again

  // The search button while watching: the watch task ends, the list is shown again.
  rig.viewer->searchThreads();
  ASSERT_TRUE(rig.runUntilState(State::ListShown));
  ASSERT_TRUE(rig.runUntil([&] { return !rig.viewer->watchTask().isLive(); }, "the watch's end"));
  EXPECT_EQ(rig.sink.pages.back(), listPage({{1, "Live", "20"}}));
  EXPECT_EQ(rig.datRequests(1), 4);
}

TEST(BoardViewerTest, MovesToTheSuccessorAndBackToTheListWhenThereIsNone) {
  BoardRig rig;
  rig.serveSubject({{1, "abc Part 1", 20}, {2, "xyz", 5}});
  rig.serveThread(1, datLines(1, 20));
  ASSERT_TRUE(rig.watch(1));
  rig.serveSubject({{1, "abc Part 1", 1000}, {2, "xyz", 5}, {3, "abc Part 2", 3}});
  rig.serveThread(3, datLines(1, 3));
  rig.now += 30;
  ASSERT_TRUE(rig.runUntil([&] { return rig.datRequests(3) > 0; }, "the successor's data"));
  ASSERT_TRUE(rig.runUntilWatching());
  EXPECT_EQ(rig.sink.pages.back(), postPage(1, 3));
  EXPECT_EQ(rig.pageRequests(3), 1);

  // The successor fills too, and no thread shares a third of its title.
  rig.serveSubject({{1, "abc Part 1", 1000}, {2, "xyz", 5}, {3, "abc Part 2", 1000}});
  rig.now += 30;
  ASSERT_TRUE(rig.runUntil([&] { return !rig.viewer->watchTask().isLive(); }, "the watch's end"));
  ASSERT_TRUE(rig.runUntilState(State::ListShown));
  // Over the last 30 s part 2 went from 3 to 1000 posts; part 1 has stayed at 1000 for 60 s.
  EXPECT_EQ(rig.sink.pages.back(), listPage({{2, "xyz", "5"},
                                             {3, "abc Part 2", "1000/332333"},
                                             {1, "abc Part 1", "1000/163333"}}));
  EXPECT_EQ(rig.server.requestCount("/bbsmenu.html"), 1);
}

TEST(BoardViewerTest, AGoneDataFileEndsInIdleOrGoesBackToTheList) {
  BoardRig rig;
  rig.serveSubject({{1, "Live", 20}});
  rig.viewer->searchThreads();
  ASSERT_TRUE(rig.runUntilState(State::ListShown));
  rig.viewer->openThread(key(1));
  ASSERT_TRUE(rig.runUntil([&] { return rig.viewer->failed(); }, "the failure"));
  EXPECT_EQ(rig.viewer->watchTask().statusText(),
            std::string("サーバーがエラーを返しました (HTTP 404)"_sjis));

  // Served at last, then gone while it is watched: through Idle back to the list.
  rig.serveThread(1, datLines(1, 20));
  ASSERT_TRUE(rig.watch(1));
  rig.server.removeRoute("/live/dat/" + key(1));
  const size_t states = rig.states.size();
  rig.now += 30;
  ASSERT_TRUE(rig.runUntil([&] { return rig.states.back() == State::ListShown; }, "the list"));
  EXPECT_EQ(std::vector(rig.states.begin() + states, rig.states.end()),
            (std::vector{State::Idle, State::LoadingList, State::ListShown}));
  // Each Idle forgot the board's address, so the menu was read again.
  EXPECT_EQ(rig.server.requestCount("/bbsmenu.html"), 3);
  EXPECT_FALSE(rig.viewer->failed());
}

TEST(BoardViewerTest, StateMachineAcceptsOnlyTheAllowedRequests) {
  // Rows: the state before; columns: the request, in the order of kStates. 'y': accepted, and
  // the viewer is then in the requested state; '-': ignored, nothing changes.
  const State kStates[] = {State::Idle, State::LoadingList, State::ListShown, State::LoadingThread,
                           State::Watching};
  const char* const kAccepted[] = {
      "yy---",  // Idle
      "yyy--",  // LoadingList
      "yy-y-",  // ListShown
      "yy--y",  // LoadingThread
      "yy-y-",  // Watching
  };
  // The loop never runs here: the tasks are started but never resumed.
  BoardRig rig;
  rig.viewer->openThread(key(1));  // a thread link counts only while a list or thread is shown
  EXPECT_EQ(rig.viewer->state(), State::Idle);
  EXPECT_FALSE(rig.viewer->watchTask().isLive());
  for (int from = 0; from < 5; ++from) {
    for (int request = 0; request < 5; ++request) {
      rig.viewer->setViewerState(State::Idle);
      for (int step = 1; step <= from; ++step) rig.viewer->setViewerState(kStates[step]);
      ASSERT_EQ(rig.viewer->state(), kStates[from]);
      rig.trayState = TrayState::Blinking;
      const bool accepted = kAccepted[from][request] == 'y';
      EXPECT_EQ(rig.viewer->setViewerState(kStates[request]), accepted) << from << request;
      EXPECT_EQ(rig.viewer->state(), accepted ? kStates[request] : kStates[from]);
      // Reaching a state that shows something (or nothing) calms the tray.
      const bool shows = request == 0 || request == 2 || request == 4;
      EXPECT_EQ(rig.trayState, accepted && shows ? TrayState::Normal : TrayState::Blinking);
    }
  }
}

}  // namespace
}  // namespace vexa::testing
