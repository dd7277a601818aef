#include "board/board_viewer.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "base/sjis.h"
#include "base/task_loop.h"
#include "platform/message_queue.h"
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

// A viewer of a board served from 127.0.0.1 (the menu at /bbsmenu.html points at /live/ on the
// same server, port included), with the rig as its window side and clock. The viewer's tasks
// run on a loop that runs only inside runUntil(); the rig is the loop's last task and in its
// slice answers the requests that have come in and checks the condition. So the board changes
// only between runs, and a test is straight-line code on the GUI fiber.
// Keeps every status line a task writes.
struct StatusLog : StatusView {
  void statusChanged(const char* text) override { lines.emplace_back(text); }
  std::vector<std::string> lines;
};

class BoardRig : public PlainDownloadHost,
                 public ViewerObserver,
                 public ContentSlot,
                 public FiberTask {
 public:
  // `boardTitle` is the title setting (empty: the default).
  explicit BoardRig(const std::string& boardTitle = "") {
    sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t length = sizeof address;
    auto* generic = reinterpret_cast<sockaddr*>(&address);
    EXPECT_EQ(::bind(listener_, generic, length), 0);
    EXPECT_EQ(::listen(listener_, 16), 0);
    EXPECT_EQ(::getsockname(listener_, generic, &length), 0);
    const std::string server = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
    routes["/bbsmenu.html"] = menuPage("http://" + server + "/live/", "ホロメキ"_sjis);
    viewer =
        std::make_unique<BoardViewer>(BoardSettings{server, boardTitle}, *this,
                                      BoardWindows{&sink, nullptr, &watchLog, &filter, this, this});
    viewer->addTasks(loop);
    loop.addTask(this);
  }
  ~BoardRig() override {
    for (const auto& client : clients_) ::close(client.first);
    ::close(listener_);
  }

  int64_t currentTime() override { return now; }
  void viewerStateChanged(ViewerState state) override { states.push_back(state); }
  void pollFinished(PollResult result) override { polls.push_back(result); }
  void showStatusView(BoardTaskId task) override {
    shown.push_back(task == BoardTaskId::List ? "list" : "watch");
  }
  void showBrowserView() override { shown.push_back("browser"); }

  // Threads (number, title, count) in subject.txt.
  void serveSubject(const std::vector<std::tuple<int, std::string, uint32_t>>& threads) {
    std::string& subject = routes["/live/subject.txt"];
    subject.clear();
    for (const auto& [n, title, count] : threads) {
      subject += key(n) + "<>" + title + " (" + std::to_string(count) + ")\n";
    }
  }
  // The data file and the thread's page with its write form after the link back to the board.
  void serveThread(int n, const std::string& dat) {
    routes["/live/dat/" + key(n)] = dat;
    std::string& page = routes["/test/read.cgi/live/100000000" + std::to_string(n) + "/l1"];
    page = "<a href=\"../live/\">" + std::string("掲示板に戻る"_sjis) + "</a>\n";
    page += "<form method=post action=\"../test/bbs.cgi\"><input type=submit value=\"";
    page += "書き込む"_sjis +
            std::string("\" name=\"submit\"><input type=hidden name=bbs value=live></form>");
  }

  // Runs the loop until `condition` holds; false (and a test failure) after 20 s of real time.
  bool runUntil(std::function<bool()> condition, const std::string& what) {
    done_ = std::move(condition);
    EXPECT_FALSE(start(0));
    loop.run();
    EXPECT_FALSE(timedOut_) << "timed out waiting for " << what;
    return !timedOut_;
  }
  // Until the thread is shown and its watch loop runs, so a later clock step counts towards the
  // first poll.
  bool runUntilWatching() {
    return runUntil([this] { return viewer->watchTask().isWatching(); }, "the watch loop");
  }
  // Searches, then clicks thread n in the list and runs until it is watched.
  bool watch(int n) {
    viewer->searchThreads();
    if (!runUntil([this] { return viewer->state() == State::ListShown; }, "the list")) return false;
    viewer->openThread(key(n));
    return runUntilWatching();
  }
  // Moves the clock past the poll interval and runs until the next poll has finished.
  bool nextPoll() {
    const size_t before = polls.size();
    now += interval < 30 ? 30 : interval;
    return runUntil([this, before] { return polls.size() > before; }, "a poll");
  }

  std::map<std::string, std::string> routes;  // bodies by path; any other path gets a 404
  std::map<std::string, int> statuses;        // a status other than 200 (or 404) by path
  std::map<std::string, int> requests;        // requests by path
  int64_t now = 1700000000;
  std::vector<ViewerState> states;
  std::vector<PollResult> polls;
  std::vector<std::string> shown;
  test::RecordingSink sink;
  StatusLog watchLog;
  PlainFilterText filter;
  platform::MessageQueue queue;
  TaskLoop loop{queue};
  std::unique_ptr<BoardViewer> viewer;

 protected:
  void run() override {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (serve(); !done_(); serve()) {
      timedOut_ = std::chrono::steady_clock::now() > deadline;
      if (timedOut_) break;
      yield();
    }
    loop.stop();
  }

 private:
  // Takes new connections and answers each whose request is complete, with Connection: close.
  void serve() {
    for (int client; (client = ::accept(listener_, nullptr, nullptr)) >= 0;) {
      clients_.emplace_back(client, "");
    }
    for (auto client = clients_.begin(); client != clients_.end();) {
      auto& [socket, request] = *client;
      char buffer[4096];
      const ssize_t got = ::recv(socket, buffer, sizeof buffer, MSG_DONTWAIT);
      if (got > 0) request.append(buffer, static_cast<size_t>(got));
      const bool complete = request.find("\r\n\r\n") != std::string::npos;
      if (!complete && (got > 0 || (got < 0 && errno == EAGAIN))) {
        ++client;
        continue;
      }
      if (complete) {
        // "GET /path HTTP/1.1"
        const size_t start = request.find(' ') + 1;
        const std::string path = request.substr(start, request.find(' ', start) - start);
        ++requests[path];
        const auto found = routes.find(path);
        const std::string body = found == routes.end() ? "not found" : found->second;
        const auto code = statuses.find(path);
        const std::string status = code != statuses.end()  ? std::to_string(code->second) + " X"
                                   : found == routes.end() ? "404 Not Found"
                                                           : "200 OK";
        const std::string response = "HTTP/1.1 " + status +
                                     "\r\nContent-Length: " + std::to_string(body.size()) +
                                     "\r\nConnection: close\r\n\r\n" + body;
        ::send(socket, response.data(), response.size(), MSG_NOSIGNAL);
      }
      ::close(socket);
      client = clients_.erase(client);
    }
  }

  int listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
  std::vector<std::pair<int, std::string>> clients_;  // sockets with the request bytes so far
  std::function<bool()> done_;
  bool timedOut_ = false;
};

TEST(BoardViewerTest, WatchesAThreadAndAdaptsThePollInterval) {
  BoardRig rig;
  rig.serveSubject({{1, "Live", 20}});
  rig.serveThread(1, datLines(1, 20));
  ASSERT_TRUE(rig.watch(1));
  EXPECT_EQ(rig.sink.pages, (std::vector{listPage({{1, "Live", "20"}}), postPage(6, 20)}));
  EXPECT_EQ(rig.states, (std::vector{State::LoadingList, State::ListShown, State::LoadingThread,
                                     State::Watching}));
  EXPECT_EQ(rig.shown, (std::vector<std::string>{"list", "browser", "watch", "browser"}));
  // A status line per list line rendered (counted from the position after it) and per post.
  EXPECT_EQ(rig.viewer->listTask().statusText(), std::string("- subject.txt 2 行目を描画 -"_sjis));
  EXPECT_EQ(rig.viewer->watchTask().statusText(), std::string("- 20 番目のレスを解析 -"_sjis));
  const FormField* submit = rig.viewer->writeForm().find("submit");
  ASSERT_NE(submit, nullptr);
  EXPECT_STREQ(submit->value.text(), "%8F%91%82%AB%8D%9E%82%DE");  // "書き込む"
  EXPECT_EQ(rig.interval, 30);

  // Per poll: the lines of the data file, the first post on the new page (0: the page stays)
  // and the poll interval after the poll.
  const std::vector<std::tuple<uint32_t, uint32_t, int32_t>> polls = {
      {23, 21, 35},  // 3 new posts: +5
      {23, 0, 43},   // none: +8
      {43, 29, 31},  // 20 new: -12, and only the newest 15 shown
      {83, 69, -1},  // 40 new: below 30...
      {83, 0, 38},   // ...so raised to 30 before it is used
      {12, 1, 30},   // the file came back shorter: read again in full, from 30 again
  };
  for (const auto& [lines, first, interval] : polls) {
    rig.serveThread(1, datLines(1, lines));
    const size_t pages = rig.sink.pages.size();
    ASSERT_TRUE(rig.nextPoll());
    EXPECT_EQ(rig.polls.back() == PollResult::PageShown, first != 0) << lines;
    EXPECT_EQ(rig.interval, interval) << lines;
    EXPECT_EQ(rig.sink.pages.size(), pages + (first != 0)) << lines;
    if (first != 0) {
      EXPECT_EQ(rig.sink.pages.back(), postPage(first, lines)) << lines;
    }
  }
  // The menu is read once; every poll refreshes the list first, then reads the data file.
  EXPECT_EQ(rig.requests["/bbsmenu.html"], 1);
  EXPECT_EQ(rig.requests["/live/subject.txt"], 7);
  EXPECT_EQ(rig.requests["/live/dat/" + key(1)], 7);
  EXPECT_EQ(rig.requests["/test/read.cgi/live/1000000001/l1"], 1);
}

TEST(BoardViewerTest, NgIdsHidePostsAfterAReloadIncludingTheEmptyId) {
  BoardRig rig;
  rig.serveSubject({{1, "Live", 20}, {2, "Chat", 3}});
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
  EXPECT_EQ(rig.polls.back(), PollResult::PageKept);
  EXPECT_EQ(rig.sink.pages.size(), pages);
  EXPECT_EQ(rig.viewer->ngIds().size(), 2u);
  // Each reload reads the write form again.
  EXPECT_EQ(rig.requests["/test/read.cgi/live/1000000001/l1"], 3);

  // The search button while watching ends the watch task; the list is shown with the filter.
  rig.filter.text = "+LIVE";
  rig.viewer->searchThreads();
  ASSERT_TRUE(rig.runUntil(
      [&] { return rig.viewer->state() == State::ListShown && !rig.viewer->watchTask().isLive(); },
      "the list without a watch"));
  EXPECT_EQ(rig.sink.pages.back(), listPage({{1, "Live", "20"}}));
  EXPECT_EQ(rig.requests["/live/dat/" + key(1)], 4);
}

TEST(BoardViewerTest, FollowsAFullThreadToItsSuccessorAndEndsAtTheListOrInIdle) {
  BoardRig rig;
  rig.serveSubject({{1, "abc Part 1", 20}, {2, "x&amp;y</a>", 5}});
  rig.serveThread(1, datLines(1, 20));
  ASSERT_TRUE(rig.watch(1));
  rig.serveSubject({{1, "abc Part 1", 1000}, {2, "x&amp;y</a>", 5}, {3, "abc Part 2", 3}});
  rig.serveThread(3, datLines(1, 3));
  rig.now += 30;
  ASSERT_TRUE(rig.runUntil([&] { return rig.requests.count("/live/dat/" + key(3)); }, "part 2"));
  ASSERT_TRUE(rig.runUntilWatching());
  EXPECT_EQ(rig.sink.pages.back(), postPage(1, 3));
  EXPECT_EQ(rig.requests["/test/read.cgi/live/1000000003/l1"], 1);

  // The successor fills too, and no thread shares a third of its title: back to the list.
  rig.serveSubject({{1, "abc Part 1", 1000}, {2, "x&amp;y</a>", 4}, {3, "abc Part 2", 12884913}});
  rig.now += 30;
  ASSERT_TRUE(rig.runUntil(
      [&] { return rig.viewer->state() == State::ListShown && !rig.viewer->watchTask().isLive(); },
      "the list without a watch"));
  // Full threads last, faster first; the title's markup is text. Thread 2 lost a post: a
  // falling speed shows no figure. Part 2 took 429497 posts a second, whose figure 4294970000
  // keeps its low 32 bits. Part 1 moved 980 posts in the 60 s since it was first listed (an
  // unchanged count only moves the newest sample's time): 163333.3, truncated.
  EXPECT_EQ(rig.sink.pages.back(), listPage({{2, "x&amp;y&lt;/a>", "4"},
                                             {3, "abc Part 2", "12884913/2704"},
                                             {1, "abc Part 1", "1000/163333"}}));

  // Thread 2's data file is not served: its load ends in Idle with the server's answer.
  rig.viewer->openThread(key(2));
  ASSERT_TRUE(rig.runUntil([&] { return rig.viewer->failed(); }, "the failure"));
  EXPECT_EQ(rig.viewer->watchTask().statusText(),
            std::string("サーバーがエラーを返しました (HTTP 404)"_sjis));
  // Served at last, then gone while it is watched: through Idle back to the list.
  rig.serveThread(2, datLines(1, 4));
  ASSERT_TRUE(rig.watch(2));
  rig.routes.erase("/live/dat/" + key(2));
  const size_t states = rig.states.size();
  rig.now += 30;
  ASSERT_TRUE(rig.runUntil([&] { return rig.states.back() == State::ListShown; }, "the list"));
  EXPECT_EQ(std::vector(rig.states.begin() + states, rig.states.end()),
            (std::vector{State::Idle, State::LoadingList, State::ListShown}));
  // Each Idle forgot the board's address, so the menu was read again.
  EXPECT_EQ(rig.requests["/bbsmenu.html"], 3);
  EXPECT_FALSE(rig.viewer->failed());
}

TEST(BoardViewerTest, MenuFailuresEndInIdleWithTheirStatusLine) {
  const std::string title = "ホロメキ"_sjis;
  // The board title setting, the menu (empty: not served) and the status line.
  const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
      {"実況"_sjis, menuPage("http://h/live/", title), "\"実況\"が見つかりません"_sjis},
      {"", title + menuPage("http://h/live/", "x"), "\"ホロメキ\"のアドレスが見つかりません"_sjis},
      {"", menuPage("/live/", title), "\"ホロメキ\"のホストが見つかりません"_sjis},
      {"", "", "サーバーがエラーを返しました (HTTP 404)"_sjis},
  };
  for (const auto& [boardTitle, menu, status] : cases) {
    BoardRig rig(boardTitle);
    rig.routes["/bbsmenu.html"] = menu;
    if (menu.empty()) rig.routes.erase("/bbsmenu.html");
    rig.viewer->searchThreads();
    ASSERT_TRUE(rig.runUntil([&] { return rig.viewer->failed(); }, status));
    EXPECT_EQ(rig.viewer->listTask().statusText(), status);
    EXPECT_EQ(rig.states, (std::vector{State::LoadingList, State::Idle})) << status;
    EXPECT_EQ(rig.requests.count("/live/subject.txt"), 0u) << status;
  }
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
  EXPECT_FALSE(rig.viewer->watchTask().isLive());
  // An NG link adds its ID once in any state; other links add nothing.
  for (const char* link : {"ngid:a", "ngid:a", "NGID:b", "ngid", "thread:ngid:c"}) {
    rig.viewer->addNgId(link);
  }
  EXPECT_EQ(rig.viewer->ngIds().size(), 1u);
  EXPECT_EQ(rig.viewer->state(), State::Idle);
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

TEST(BoardViewerTest, AThreadPageTheServerRefusesLeavesTheFormForTheNextPoll) {
  const std::string page = "/test/read.cgi/live/1000000001/l1";
  for (int status : {404, 500, 302}) {
    SCOPED_TRACE(status);
    BoardRig rig;
    rig.serveSubject({{1, "Live", 20}});
    rig.serveThread(1, datLines(1, 20));
    rig.statuses[page] = status;
    ASSERT_TRUE(rig.watch(1));
    EXPECT_EQ(rig.sink.pages.back(), postPage(6, 20));
    // The server's answer, then the form's failure, then the data file as usual.
    const std::vector<std::string>& lines = rig.watchLog.lines;
    const auto refused =
        std::find(lines.begin(), lines.end(),
                  "サーバーがエラーを返しました (HTTP "_sjis + std::to_string(status) + ")");
    ASSERT_NE(refused, lines.end());
    ASSERT_LT(refused + 2, lines.end());
    EXPECT_EQ(refused[1], "- 書き込みフォーム取得失敗："_sjis + page + " -");
    EXPECT_EQ(refused[2], "- 接続開始 "_sjis + rig.viewer->settings().menuHost + " -");
    EXPECT_EQ(rig.viewer->writeForm().find("submit"), nullptr);

    // Each poll asks again, quietly, until the page comes; then never again.
    ASSERT_TRUE(rig.nextPoll());
    EXPECT_EQ(rig.requests[page], 2);
    EXPECT_EQ(rig.viewer->writeForm().find("submit"), nullptr);
    rig.statuses.erase(page);
    ASSERT_TRUE(rig.nextPoll());
    ASSERT_TRUE(rig.nextPoll());
    EXPECT_EQ(rig.requests[page], 3);
    EXPECT_NE(rig.viewer->writeForm().find("submit"), nullptr);
    EXPECT_EQ(rig.polls,
              (std::vector{PollResult::PageKept, PollResult::PageKept, PollResult::PageKept}));
  }
}

TEST(BoardViewerTest, AnArchivedThreadIsGoneNotANoticeOfPosts) {
  const std::string notice = datLine("", "このスレッドは過去ログ倉庫に格納されています"_sjis);
  BoardRig rig;
  rig.serveSubject({{1, "Live", 20}, {2, "Old", 4}});
  rig.serveThread(1, datLines(1, 20));
  rig.serveThread(2, notice + notice + notice + notice);
  rig.statuses["/live/dat/" + key(2)] = 203;
  // Loaded from the list: the load fails and says why.
  rig.viewer->searchThreads();
  ASSERT_TRUE(rig.runUntil([&] { return rig.viewer->state() == State::ListShown; }, "the list"));
  rig.viewer->openThread(key(2));
  ASSERT_TRUE(rig.runUntil([&] { return rig.viewer->failed(); }, "the failure"));
  EXPECT_EQ(rig.viewer->watchTask().statusText(),
            std::string("このスレッドは過去ログ倉庫に格納されています (HTTP 203)"_sjis));
  EXPECT_EQ(rig.sink.pages.size(), 1u);

  // Archived while watched: like a data file that is gone, back to the list.
  ASSERT_TRUE(rig.watch(1));
  rig.statuses["/live/dat/" + key(1)] = 203;
  const size_t states = rig.states.size();
  const size_t pages = rig.sink.pages.size();
  rig.now += 30;
  ASSERT_TRUE(rig.runUntil([&] { return rig.states.back() == State::ListShown; }, "the list"));
  EXPECT_EQ(std::vector(rig.states.begin() + states, rig.states.end()),
            (std::vector{State::Idle, State::LoadingList, State::ListShown}));
  EXPECT_EQ(rig.polls, std::vector{PollResult::ThreadGone});
  EXPECT_EQ(rig.sink.pages.size(), pages + 1);  // only the list again
}

TEST(BoardViewerTest, EveryPollIsToldEvenWhenTheListRefreshFails) {
  BoardRig rig;
  rig.serveSubject({{1, "Live", 20}});
  rig.serveThread(1, datLines(1, 20));
  ASSERT_TRUE(rig.watch(1));
  // The refresh fails: that poll reads no data file, and the watch goes on.
  for (int status : {500, 404}) {
    rig.statuses["/live/subject.txt"] = status;
    ASSERT_TRUE(rig.nextPoll());
    EXPECT_EQ(rig.polls.back(), PollResult::ListFailed);
    EXPECT_EQ(rig.requests["/live/dat/" + key(1)], 1);
    EXPECT_EQ(rig.viewer->state(), State::Watching);
  }
  rig.statuses.clear();
  rig.serveThread(1, datLines(1, 21));
  ASSERT_TRUE(rig.nextPoll());
  EXPECT_EQ(rig.polls.back(), PollResult::PageShown);
}

TEST(BoardViewerTest, AStoppedTaskLeavesALongListAtTheNextLine) {
  std::vector<std::tuple<int, std::string, uint32_t>> many;
  for (int n = 1; n <= 20000; ++n) many.emplace_back(n, "Thread " + std::to_string(n), 5);
  for (bool background : {false, true}) {
    SCOPED_TRACE(background ? "the refresh before a poll" : "the list load");
    BoardRig rig;
    rig.serveSubject({{1, "Live", 20}});
    rig.serveThread(1, datLines(1, 20));
    FiberTask* task = &rig.viewer->listTask();
    if (background) {
      ASSERT_TRUE(rig.watch(1));
      task = &rig.viewer->watchTask();
      rig.now += 30;
    } else {
      rig.viewer->searchThreads();
    }
    rig.serveSubject(many);
    ThreadList& threads = rig.viewer->boardState().threads();
    ASSERT_TRUE(rig.runUntil([&] { return threads.size() >= 10; }, "the merge"));
    // As at shutdown: the task ends in its next slice, and no more lines are merged.
    rig.viewer->stopTasks();
    const uint32_t merged = threads.size();
    resume(task);
    EXPECT_FALSE(task->isLive());
    EXPECT_EQ(threads.size(), merged);
  }
}

}  // namespace
}  // namespace vexa::testing
