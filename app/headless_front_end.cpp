// `vexa --headless`: the viewer without a window. The same BoardViewer and tasks run on the same
// loop; pages go to the terminal (and to files), status lines to standard error, and the user's
// clicks are made once, from the command line.

#include <cstdio>
#include <string>

#include "app/front_ends.h"
#include "app/headless_page_sink.h"
#include "app/headless_status_view.h"
#include "app/status_printer.h"
#include "app/usage.h"
#include "app/viewer_options.h"
#include "base/log_stream.h"
#include "base/task_loop.h"
#include "board/board_viewer.h"
#include "net/download_host.h"
#include "platform/clock.h"
#include "platform/message_queue.h"
#include "platform/signals.h"
#include "platform/text_encoding.h"
#include "platform/thread.h"
#include "resources/version.h"

namespace vexa {

namespace {

constexpr uint32_t kWakeMessage = platform::WM_USER + 1;

// Watches the viewer and makes the clicks the command line asks for. The observer calls come on
// whichever fiber changed the viewer, inside the viewer lock: they only take notes and wake the
// loop; check() acts on the notes from the GUI fiber, after the tasks' slices. A run that ends
// for a reason the status lines do not give leaves that reason in closingLine().
class HeadlessDriver : public ViewerObserver, public platform::MessageTarget {
 public:
  HeadlessDriver(const ViewerOptions& options, platform::MessageQueue& queue,
                 const HeadlessPageSink& browser)
      : options_(options), queue_(queue), browser_(browser) {}

  void attach(BoardViewer& viewer, TaskLoop& loop) {
    viewer_ = &viewer;
    loop_ = &loop;
  }

  void viewerStateChanged(ViewerState state) override {
    if (state == ViewerState::ListShown) (clicked_ ? listShownAgain_ : listShown_) = true;
    if (state == ViewerState::Watching) watchingReached_ = true;
    wake();
  }

  void pollFinished(PollResult result) override {
    ++polls_;
    switch (result) {
      case PollResult::PageShown:
      case PollResult::PageKept:
      case PollResult::MovedOn:
        break;
      case PollResult::ListFailed:
        ++failedPolls_;
        why_ = "the thread list could not be refreshed" + answerOfServer();
        break;
      case PollResult::ThreadGone:
        ++failedPolls_;
        why_ = "the watched thread's data file is gone" + answerOfServer();
        break;
      case PollResult::NoSuccessor:
        why_ = "the watched thread is full and no thread follows it";
        break;
    }
    wake();
  }

  intptr_t windowProc(uint32_t message, uintptr_t, intptr_t) override {
    if (message == kWakeMessage) {
      wakePosted_ = false;
      check();
    }
    return 0;
  }

  // Decides, after every pass, whether the run is over or a click is due.
  void check() {
    if (done_ || viewer_ == nullptr) return;
    if (browser_.outputFailed()) {
      closing_ = "vexa: cannot write to standard output";
      return finish(1);
    }
    // The status line says why.
    if (viewer_->failed()) return finish(1);
    if (!clicked_) {
      if (!listShown_) return;
      if (options_.thread.empty()) return finish(0);
      const std::string key = platform::utf8ToCp932(options_.thread);
      bool listed;
      {
        LockGuard guard(viewer_->lock(), 0);
        listed = viewer_->boardState().threads().findByKey(key) != nullptr;
      }
      if (!listed) {
        closing_ = "vexa: the board lists no thread '" + shownArgument(options_.thread) + "'";
        return finish(1);
      }
      clicked_ = true;
      viewer_->openThread(key);
      return;
    }
    if (options_.hasPolls && watchingReached_ && polls_ >= options_.polls) {
      if (failedPolls_ == 0) return finish(0);
      closing_ = "vexa: " + std::to_string(failedPolls_) + " of " + std::to_string(polls_) +
                 " polls failed; the last: " + why_;
      return finish(1);
    }
    if (listShownAgain_) {
      const std::string why = why_.empty() ? "the watch ended" : why_;
      if (!options_.hasPolls) {
        closing_ = "vexa: " + why + "; the thread list is shown again";
        return finish(0);
      }
      closing_ = "vexa: stopped after " + pollsDone() + ": " + why;
      return finish(1);
    }
    // Nothing runs that could bring the run further.
    if (!viewer_->tasksRunning()) {
      closing_ = "vexa: the viewer stopped" + (options_.hasPolls ? " after " + pollsDone() : "");
      return finish(1);
    }
  }

  // At the end of a run the loop did not end itself (a signal): with --polls, fewer polls than
  // asked is a failure.
  void interrupted() {
    if (done_ || !options_.hasPolls || (watchingReached_ && polls_ >= options_.polls)) return;
    closing_ = "vexa: interrupted after " + pollsDone();
    exitStatus_ = 1;
    done_ = true;
  }

  bool done() const { return done_; }
  int exitStatus() const { return exitStatus_; }
  const std::string& closingLine() const { return closing_; }

 private:
  void wake() {
    if (wakePosted_) return;
    wakePosted_ = true;
    queue_.post(this, kWakeMessage);
  }

  void finish(int status) {
    done_ = true;
    exitStatus_ = status;
    loop_->stop();
  }

  std::string pollsDone() const {
    return std::to_string(polls_) + " of " + std::to_string(options_.polls) + " polls";
  }

  // The quiet downloads of a poll write no status line: what the server answered, if anything.
  std::string answerOfServer() const {
    const int status = viewer_->watchTask().lastStatusCode();
    return status != 0 ? " (HTTP " + std::to_string(status) + ")" : " (no answer)";
  }

  const ViewerOptions& options_;
  platform::MessageQueue& queue_;
  const HeadlessPageSink& browser_;
  BoardViewer* viewer_ = nullptr;
  TaskLoop* loop_ = nullptr;
  bool listShown_ = false;
  bool clicked_ = false;
  bool listShownAgain_ = false;
  bool watchingReached_ = false;
  uint32_t polls_ = 0;  // every poll, failed ones included
  uint32_t failedPolls_ = 0;
  std::string why_;  // what the last poll that did not refresh the posts found
  bool wakePosted_ = false;
  bool done_ = false;
  int exitStatus_ = 0;
  std::string closing_;
};

// The task loop with the driver's check after every pass.
class HeadlessLoop : public TaskLoop {
 public:
  HeadlessLoop(platform::MessageQueue& queue, HeadlessDriver& driver)
      : TaskLoop(queue), driver_(driver) {}

 protected:
  void tick(int phase) override {
    TaskLoop::tick(phase);
    if (phase == 0) driver_.check();
  }

 private:
  HeadlessDriver& driver_;
};

}  // namespace

int runHeadlessFrontEnd(int argc, char** argv) {
  platform::ignoreBrokenPipes();
  ViewerOptions options;
  std::string error;
  if (parseViewerOptions(argc, argv, true, options, error)) {
    std::fprintf(stderr, "vexa: %s\nTry 'vexa --help' for more information.\n", error.c_str());
    return 2;
  }
  HeadlessPageSink browser(stdout, stderr, options.pagesDir);
  if (browser.prepare(error)) {
    std::fprintf(stderr, "vexa: %s\n", error.c_str());
    return 2;
  }
  logStream.openStandardError();

  platform::MessageQueue queue;
  platform::QuitSignals signals;

  PlainDownloadHost host;
  host.agent = "Monazilla/1.00 (vexa/" VEXA_PRODUCT_VERSION ")";

  BoardSettings settings;
  if (!options.menuHost.empty()) settings.menuHost = options.menuHost;
  settings.boardTitle = platform::utf8ToCp932(options.board);

  StatusPrinter printer(stderr);
  HeadlessStatusView listStatus(printer, "[list] ");
  HeadlessStatusView watchStatus(printer, "[watch] ");
  PlainFilterText filter;
  filter.text = platform::utf8ToCp932(options.filter);
  HeadlessDriver driver(options, queue, browser);

  BoardWindows windows;
  windows.browser = &browser;
  windows.listStatus = &listStatus;
  windows.watchStatus = &watchStatus;
  windows.filter = &filter;
  windows.observer = &driver;
  BoardViewer viewer(settings, host, windows);

  HeadlessLoop loop(queue, driver);
  viewer.addTasks(loop);
  driver.attach(viewer, loop);

  // As clicks on "ngid:" links would, before any thread loads (no thread is reloaded yet).
  for (const std::string& id : options.ngIds) viewer.addNgId("ngid:" + platform::utf8ToCp932(id));
  viewer.searchThreads();

  const bool failedToStart = loop.run();
  const bool failed = viewer.failed();
  driver.interrupted();
  viewer.finishTasks();
  // What the tasks wrote while they ended comes before the reason of the end.
  printer.flush();
  if (failedToStart) {
    std::fputs("vexa: the loop could not start\n", stderr);
    return 1;
  }
  if (!driver.closingLine().empty()) std::fprintf(stderr, "%s\n", driver.closingLine().c_str());
  // Ended by a signal: a normal end, unless the viewer had already failed.
  int status = driver.done() ? driver.exitStatus() : (failed ? 1 : 0);
  if (status == 0 && browser.writeFailed()) status = 1;
  if (status == 0 && browser.flushOutput()) {
    std::fputs("vexa: cannot write to standard output\n", stderr);
    status = 1;
  }
  return status;
}

}  // namespace vexa
