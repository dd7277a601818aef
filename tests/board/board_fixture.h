#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/fiber_task.h"
#include "base/task_loop.h"
#include "board/board_viewer.h"
#include "net/download_host.h"
#include "platform/message_queue.h"
#include "test_http_server.h"
#include "view/page_sink.h"

namespace vexa::testing {

// A download host whose clock the test sets, so polls come when the test says.
class TestClockHost : public PlainDownloadHost {
 public:
  int64_t currentTime() override { return now; }
  int64_t now = 1700000000;
};

class RecordingSink : public PageSink {
 public:
  void showPage(const TextBuffer& page) override { pages.emplace_back(page.text()); }
  std::vector<std::string> pages;
};

class RecordingStatus : public StatusView {
 public:
  void statusChanged(const char* text) override { lines.emplace_back(text); }
  std::vector<std::string> lines;
};

class RecordingObserver : public ViewerObserver {
 public:
  void viewerStateChanged(ViewerState state) override { states.push_back(state); }
  void pollFinished(bool pageShown) override { polls.push_back(pageShown); }
  std::vector<ViewerState> states;
  std::vector<bool> polls;
};

class RecordingContent : public ContentSlot {
 public:
  void showStatusView(BoardTaskId task) override {
    shown.push_back(task == BoardTaskId::List ? "list" : "watch");
  }
  void showBrowserView() override { shown.push_back("browser"); }
  std::vector<std::string> shown;
};

// A test written as straight-line code on a fiber of the loop: it waits for what the viewer
// does by yielding, and ends the loop when it returns.
class ScriptTask : public FiberTask {
 public:
  ScriptTask(TaskLoop& loop, std::function<void(ScriptTask&)> body)
      : loop_(loop), body_(std::move(body)) {}
  // Yields until `condition` holds; false (and a test failure) after 20 s of real time.
  bool waitFor(const std::function<bool()>& condition, const std::string& what);

 protected:
  void run() override;

 private:
  TaskLoop& loop_;
  std::function<void(ScriptTask&)> body_;
};

// The board service's formats, as the tests serve them.
std::string menuPage(const std::string& boardLink, const std::string& title);
std::string subjectLine(const std::string& key, const std::string& title, uint32_t count);
std::string datLine(const std::string& id, const std::string& body);
// Lines first..last of a thread whose post n has the ID "id" + (n % 5) and the body "post n".
std::string datLines(uint32_t first, uint32_t last);
std::string threadPage(const std::string& key);

// Expected pages, built from the page templates.
struct ExpectedPost {
  uint32_t number;
  std::string id;
  std::string body;
};
std::string listPage(const std::vector<std::string>& threadLines);
std::string threadLine(const std::string& key, const std::string& title, uint32_t count,
                       const std::string& speedFigure = "");
std::string postPage(const std::vector<ExpectedPost>& posts);
// The page of posts first..last as datLines writes them, skipping the IDs in `hidden`.
std::string postPageOf(uint32_t first, uint32_t last, const std::vector<std::string>& hidden = {});

// A served board: the menu at /bbsmenu.html pointing at /live/ on the same server, and a viewer
// wired to recording windows. `boardTitle` is the title setting (empty: the default).
class BoardRig {
 public:
  explicit BoardRig(const std::string& boardTitle = "");
  ~BoardRig();

  void serveSubject(const std::string& subject) { server.setRoute("/live/subject.txt", subject); }
  void serveThread(const std::string& key, const std::string& dat);
  // Runs the loop with the viewer's tasks until `body` returns. Once per rig.
  void runScript(std::function<void(ScriptTask&)> body);
  // Advances the clock past the poll interval and waits for the next poll to finish.
  bool nextPoll(ScriptTask& script);
  // Waits until the viewer is in `state` with no task of a finished step still running.
  bool waitForState(ScriptTask& script, ViewerState state);
  // Waits until the thread is shown and its watch loop runs.
  bool waitForWatching(ScriptTask& script);
  // Presses the search button and waits for the list; then clicks `key` and waits for Watching.
  bool watch(ScriptTask& script, const std::string& key);

  TestHttpServer server;
  TestClockHost host;
  RecordingSink sink;
  RecordingStatus listStatus, watchStatus;
  RecordingObserver observer;
  RecordingContent content;
  PlainFilterText filter;
  BoardSettings settings;
  platform::MessageQueue queue;
  TaskLoop loop{queue};
  std::unique_ptr<BoardViewer> viewer;
};

class BoardFixture : public ::testing::Test {
 protected:
  BoardRig rig;
};

}  // namespace vexa::testing
