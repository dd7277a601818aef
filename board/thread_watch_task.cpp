#include "board/thread_watch_task.h"

#include <string>

#include "base/log_stream.h"
#include "base/sjis.h"
#include "board/board_viewer.h"
#include "board/line_reader.h"
#include "board/subject_load.h"
#include "board/write_form.h"
#include "platform/clock.h"

namespace vexa {

namespace {

constexpr int32_t kMinimumPollInterval = 30;
// The watch loop waits for the next poll in steps of at most this long, so a clock that jumps
// (or a test's clock) is noticed soon.
constexpr uint32_t kLongestWaitMs = 500;
// The service answers a data file of a thread moved to its archive with this status and a
// notice in the place of posts.
constexpr int kArchivedStatus = 203;

std::string pathLine(const char* before, const TextBuffer& path) {
  std::string line = before;
  line += path.text();
  line += " -";
  return line;
}

}  // namespace

ThreadWatchTask::ThreadWatchTask(BoardViewer& viewer, DownloadHost& host, PageSink& browser)
    : DownloadClient(host), viewer_(viewer), writer_(browser) {}

void ThreadWatchTask::requestLoad() {
  watching_ = false;
  writeFormParsed_ = false;
  restartRequested_ = true;
  requestCancel();
  start(0);
}

void ThreadWatchTask::run() {
  for (;;) {
    restartRequested_ = false;
    const LoadOutcome outcome = loadThread();
    bool stop = outcome == LoadOutcome::Failed;
    if (outcome == LoadOutcome::Loaded) stop = !watchLoop();
    watching_ = false;
    if (stop || !restartRequested_) return;
  }
}

bool ThreadWatchTask::loadAbandoned() {
  return restartRequested_ || viewer_.state() != ViewerState::LoadingThread;
}

ThreadWatchTask::LoadOutcome ThreadWatchTask::loadThread() {
  if (fetchWriteForm(true)) {
    return cancelRequested() ? LoadOutcome::Abandoned : LoadOutcome::Failed;
  }
  if (loadAbandoned()) return LoadOutcome::Abandoned;
  if (fetchThreadData(false)) {
    return cancelRequested() ? LoadOutcome::Abandoned : LoadOutcome::Failed;
  }
  setStatus("- 受信完了 -"_sjis);
  yieldBusy();
  if (loadAbandoned()) return LoadOutcome::Abandoned;

  const LoadOutcome parsed = parseFullLoad();
  if (parsed != LoadOutcome::Loaded) return parsed;

  viewMode_ = ViewMode::LatestBatch;
  renderPosts(false);
  viewer_.setViewerState(ViewerState::Watching);
  yieldBusy();
  lastPollTime_ = host().currentTime();
  watching_ = true;
  return LoadOutcome::Loaded;
}

ThreadWatchTask::LoadOutcome ThreadWatchTask::parseFullLoad() {
  thread_.beginFullLoad();
  LineReader reader(completeLines(body()));
  std::string_view line;
  uint32_t number = 0;
  // Lines past the thousandth would be skipped anyway; reading on would only cost time.
  while (!thread_.posts().full() && reader.next(line)) {
    ++number;
    std::string status = "- " + std::to_string(number);
    status += " 番目のレスを解析 -"_sjis;
    setStatus(status.c_str());
    yieldBusy();
    if (loadAbandoned()) return LoadOutcome::Abandoned;
    bool failed;
    {
      LockGuard guard(viewer_.lock(), 0);
      failed = thread_.addLine(line, number, viewer_.ngIds());
    }
    if (failed) {
      logLine("WARNING: fail to allocate memory.");
      setStatus("メモリ確保に失敗しました"_sjis);
      viewer_.setViewerState(ViewerState::Idle);
      return LoadOutcome::Failed;
    }
  }
  thread_.finishLoad();
  host().pollInterval() = kMinimumPollInterval;
  return LoadOutcome::Loaded;
}

bool ThreadWatchTask::watchLoop() {
  while (viewer_.state() == ViewerState::Watching) {
    int32_t& interval = host().pollInterval();
    if (interval < kMinimumPollInterval) interval = kMinimumPollInterval;
    // The low 32 bits, compared as a signed number: a clock set back makes the wait longer.
    const int32_t elapsed = static_cast<int32_t>(static_cast<uint32_t>(host().currentTime()) -
                                                 static_cast<uint32_t>(lastPollTime_));
    if (elapsed >= interval) {
      const Step outcome = poll();
      if (outcome == Step::StopTask) return false;
      if (outcome == Step::LeaveLoop) return true;
      yieldBusy();
      continue;
    }
    const int64_t remainingMs = (static_cast<int64_t>(interval) - elapsed) * 1000;
    const uint32_t wait =
        remainingMs < kLongestWaitMs ? static_cast<uint32_t>(remainingMs) : kLongestWaitMs;
    yieldUntil(platform::tickMs() + wait);
  }
  return true;
}

// A request that came during the poll (another thread, the list) owns the viewer now.
bool ThreadWatchTask::pollAbandoned() {
  return restartRequested_ || viewer_.state() != ViewerState::Watching;
}

bool ThreadWatchTask::refreshThreadList() {
  quiet = true;
  // A foreground load of the list is under way: it refreshes the list itself.
  if (viewer_.listLoading()) return true;
  const ListLineStep step = [this](uint32_t) {
    yieldBusy();
    return cancelRequested() || viewer_.listLoading();
  };
  return loadThreadList(*this, viewer_.boardState(), step) != ListLoad::Loaded;
}

void ThreadWatchTask::finishPoll(PollResult result) {
  lastPollTime_ = host().currentTime();
  viewer_.notifyPollFinished(result);
}

ThreadWatchTask::Step ThreadWatchTask::poll() {
  if (refreshThreadList()) {
    // Given way to a newer request: that is no poll of this thread.
    if (cancelRequested() || pollAbandoned()) return Step::LeaveLoop;
    finishPoll(PollResult::ListFailed);
    return Step::Continue;
  }
  if (pollAbandoned()) return Step::LeaveLoop;

  switch (viewer_.boardState().checkCurrentThread()) {
    case ThreadCheck::NoThread:
      finishPoll(PollResult::NoSuccessor);
      viewer_.setViewerState(ViewerState::LoadingList);
      return Step::StopTask;
    case ThreadCheck::Switched:
      finishPoll(PollResult::MovedOn);
      viewer_.setViewerState(ViewerState::LoadingThread);
      return Step::LeaveLoop;
    case ThreadCheck::Continue:
      break;
  }

  if (!writeFormParsed_) fetchWriteForm(false);
  if (pollAbandoned()) return Step::LeaveLoop;
  if (fetchThreadData(true)) {
    if (cancelRequested()) return Step::LeaveLoop;
    finishPoll(PollResult::ThreadGone);
    if (!viewer_.listLoading()) viewer_.setViewerState(ViewerState::LoadingList);
    return Step::StopTask;
  }

  RefreshResult result;
  {
    LockGuard guard(viewer_.lock(), 0);
    result = thread_.refresh(body(), viewer_.ngIds());
  }
  int32_t& interval = host().pollInterval();
  if (result.reloaded) {
    interval = kMinimumPollInterval;
  } else if (interval < 0x40000000) {
    interval = interval + 8 - static_cast<int32_t>(result.newPosts);
  }
  bool pageShown = false;
  if (viewer_.state() == ViewerState::Watching) pageShown = renderPosts(result.reloaded);
  host().setTrayState(TrayState::Normal);
  finishPoll(pageShown ? PollResult::PageShown : PollResult::PageKept);
  return Step::Continue;
}

bool ThreadWatchTask::renderPosts(bool reset) {
  return vexa::renderPosts(writer_, viewMode_, thread_.posts(), thread_.streamLinks(),
                           thread_.previousPostCount(), thread_.previousLinkCount(), reset);
}

void ThreadWatchTask::toggleView(bool forceLatest) {
  if (viewer_.state() != ViewerState::Watching) return;
  if (!watching_ && receivingStarted()) return;
  viewMode_ = toggledViewMode(viewMode_, forceLatest);
  renderPosts(true);
}

bool ThreadWatchTask::fetchWriteForm(bool foreground) {
  if (writeFormParsed_) return false;
  viewer_.writeForm().clear();
  TextBuffer pagePath;
  switch (downloadThreadPage(foreground, pagePath)) {
    case PageFetch::Failed:
      return true;
    case PageFetch::NotServed:
      reportFormMissing(foreground, pagePath);
      break;
    case PageFetch::Fetched:
      readWriteForm(foreground, pagePath);
      break;
  }
  host().setTrayState(TrayState::Normal);
  return false;
}

ThreadWatchTask::PageFetch ThreadWatchTask::downloadThreadPage(bool foreground,
                                                               TextBuffer& pagePath) {
  quiet = !foreground;
  TextBuffer server;
  viewer_.boardState().getPageAddress(server, pagePath);
  if (!download(server.text(), pagePath.text())) return PageFetch::Fetched;
  // The server answered, only not with the page: the form is only kept, never sent, so the
  // thread loads without it and the next poll asks again.
  if (responseArrived() && !cancelRequested()) return PageFetch::NotServed;
  if (foreground && !cancelRequested()) viewer_.setViewerState(ViewerState::Idle);
  return PageFetch::Failed;
}

void ThreadWatchTask::readWriteForm(bool foreground, const TextBuffer& pagePath) {
  setStatus(pathLine("- 書き込みパラメタを解析："_sjis, pagePath).c_str());
  yieldBusy();
  // A switch to another thread during the yield: this page is no longer the current thread's.
  if (restartRequested_) return;

  const std::string_view marker = ">掲示板に戻る<"_sjis;
  const char* found = findInBody(marker.data(), static_cast<uint32_t>(marker.size()));
  if (!found) {
    reportFormMissing(foreground, pagePath);
  } else if (!parseWriteForm(body(), static_cast<size_t>(found - body().data()),
                             viewer_.writeForm())) {
    writeFormParsed_ = true;
  }
}

void ThreadWatchTask::reportFormMissing(bool foreground, const TextBuffer& pagePath) {
  if (foreground) setStatus(pathLine("- 書き込みフォーム取得失敗："_sjis, pagePath).c_str());
}

bool ThreadWatchTask::fetchThreadData(bool background) {
  TextBuffer server, datPath;
  viewer_.boardState().getDataAddress(server, datPath);
  quiet = background;
  if (download(server.text(), datPath.text())) {
    if (!cancelRequested()) viewer_.setViewerState(ViewerState::Idle);
    return true;
  }
  // A thread in the archive is gone, like a data file that is no longer served: its notice is
  // no post.
  if (lastStatusCode() == kArchivedStatus) {
    if (!background) setStatus("このスレッドは過去ログ倉庫に格納されています (HTTP 203)"_sjis);
    host().setTrayState(TrayState::Normal);
    viewer_.setViewerState(ViewerState::Idle);
    return true;
  }
  return false;
}

}  // namespace vexa
