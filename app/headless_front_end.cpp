// `vexa --headless`: the viewer without a window. The same BoardViewer and tasks run on the same
// loop; pages go to the terminal (and to files), status lines to standard error, and the user's
// clicks are made once, from the command line.

#include <cstdio>
#include <string>

#include "app/front_ends.h"
#include "app/headless_options.h"
#include "app/headless_page_sink.h"
#include "app/headless_status_view.h"
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
// loop; check() acts on the notes from the GUI fiber, after the tasks' slices.
class HeadlessDriver : public ViewerObserver, public platform::MessageTarget {
 public:
  HeadlessDriver(const HeadlessOptions& options, platform::MessageQueue& queue)
      : options_(options), queue_(queue) {}

  void attach(BoardViewer& viewer, TaskLoop& loop) {
    viewer_ = &viewer;
    loop_ = &loop;
  }

  void viewerStateChanged(ViewerState state) override {
    if (state == ViewerState::ListShown) (clicked_ ? listShownAgain_ : listShown_) = true;
    if (state == ViewerState::Watching) watchingReached_ = true;
    wake();
  }

  void pollFinished(bool) override {
    ++polls_;
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
        std::fprintf(stderr, "vexa: the board lists no thread '%s'\n", options_.thread.c_str());
        return finish(1);
      }
      clicked_ = true;
      viewer_->openThread(key);
      return;
    }
    if (listShownAgain_) return finish(0);
    if (options_.hasPolls && watchingReached_ && polls_ >= options_.polls) return finish(0);
  }

  bool done() const { return done_; }
  int exitStatus() const { return exitStatus_; }

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

  const HeadlessOptions& options_;
  platform::MessageQueue& queue_;
  BoardViewer* viewer_ = nullptr;
  TaskLoop* loop_ = nullptr;
  bool listShown_ = false;
  bool clicked_ = false;
  bool listShownAgain_ = false;
  bool watchingReached_ = false;
  uint32_t polls_ = 0;
  bool wakePosted_ = false;
  bool done_ = false;
  int exitStatus_ = 0;
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

// Brings both tasks to their end after the loop: the viewer goes to Idle and every transfer is
// cancelled, so each task leaves at its next check instead of being dropped mid-fiber. Bounded:
// a task that does not end within a few seconds is left as it is.
void finishTasks(BoardViewer& viewer) {
  viewer.setViewerState(ViewerState::Idle);
  FiberTask* tasks[] = {&viewer.watchTask(), &viewer.listTask()};
  const uint32_t start = platform::tickMs();
  while (platform::tickMs() - start < 5000) {
    viewer.watchTask().cancelRequested = true;
    viewer.listTask().cancelRequested = true;
    bool anyLive = false;
    for (FiberTask* task : tasks) {
      if (!task->isLive()) continue;
      resume(task);
      anyLive = anyLive || task->isLive();
    }
    if (!anyLive) return;
    platform::sleepMs(1);
  }
}

}  // namespace

int runHeadlessFrontEnd(int argc, char** argv) {
  HeadlessOptions options;
  std::string error;
  if (parseHeadlessOptions(argc, argv, options, error)) {
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

  HeadlessStatusView listStatus(stderr, "[list] ");
  HeadlessStatusView watchStatus(stderr, "[watch] ");
  PlainFilterText filter;
  filter.text = platform::utf8ToCp932(options.filter);
  HeadlessDriver driver(options, queue);

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
  finishTasks(viewer);
  if (failedToStart) {
    std::fputs("vexa: the loop could not start\n", stderr);
    return 1;
  }
  // Ended by a signal: a normal end, unless the viewer had already failed.
  int status = driver.done() ? driver.exitStatus() : (failed ? 1 : 0);
  if (status == 0 && browser.writeFailed()) status = 1;
  return status;
}

}  // namespace vexa
