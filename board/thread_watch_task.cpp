#include "board/thread_watch_task.h"

#include <string>

#include "base/log_stream.h"
#include "base/sjis.h"
#include "board/board_viewer.h"
#include "board/line_reader.h"
#include "board/write_form.h"
#include "platform/clock.h"

namespace vexa {

namespace {

constexpr int32_t kMinimumPollInterval = 30;
// The watch loop waits for the next poll in steps of at most this long, so a clock that jumps
// (or a test's clock) is noticed soon.
constexpr uint32_t kLongestWaitMs = 500;

}  // namespace

ThreadWatchTask::ThreadWatchTask(BoardViewer& viewer, DownloadHost& host, PageSink& browser)
    : DownloadClient(host), viewer_(viewer), writer_(browser) {}

void ThreadWatchTask::run() {
  for (;;) {
    restartRequested = false;
    const LoadOutcome outcome = loadThread();
    bool stop = outcome == LoadOutcome::Failed;
    if (outcome == LoadOutcome::Loaded) stop = !watchLoop();
    watching = false;
    if (stop || !restartRequested) return;
  }
}

bool ThreadWatchTask::loadAbandoned() {
  return restartRequested || viewer_.state() != ViewerState::LoadingThread;
}

ThreadWatchTask::LoadOutcome ThreadWatchTask::loadThread() {
  if (fetchWriteForm(true)) return cancelRequested ? LoadOutcome::Abandoned : LoadOutcome::Failed;
  if (loadAbandoned()) return LoadOutcome::Abandoned;
  if (fetchThreadData(false)) {
    return cancelRequested ? LoadOutcome::Abandoned : LoadOutcome::Failed;
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
  lastPollTime = host().currentTime();
  watching = true;
  return LoadOutcome::Loaded;
}

ThreadWatchTask::LoadOutcome ThreadWatchTask::parseFullLoad() {
  thread_.beginFullLoad();
  LineReader reader(body());
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
                                                 static_cast<uint32_t>(lastPollTime));
    if (elapsed >= interval) {
      const PollOutcome outcome = poll();
      if (outcome == PollOutcome::StopTask) return false;
      if (outcome == PollOutcome::LeaveLoop) return true;
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

ThreadWatchTask::PollOutcome ThreadWatchTask::poll() {
  if (viewer_.listTask().loadThreadList(*this, true)) {
    lastPollTime = host().currentTime();
    return PollOutcome::Continue;
  }
  // A request that came during the refresh (another thread, the list) owns the viewer now.
  if (restartRequested || viewer_.state() != ViewerState::Watching) return PollOutcome::LeaveLoop;

  switch (viewer_.boardState().checkCurrentThread()) {
    case ThreadCheck::NoThread:
      viewer_.setViewerState(ViewerState::LoadingList);
      return PollOutcome::StopTask;
    case ThreadCheck::Switched:
      viewer_.setViewerState(ViewerState::LoadingThread);
      return PollOutcome::LeaveLoop;
    case ThreadCheck::Continue:
      break;
  }

  if (!writeFormParsed) fetchWriteForm(false);
  if (restartRequested || viewer_.state() != ViewerState::Watching) return PollOutcome::LeaveLoop;
  if (fetchThreadData(true)) {
    if (cancelRequested) return PollOutcome::LeaveLoop;
    if (!viewer_.listTask().isLive()) viewer_.setViewerState(ViewerState::LoadingList);
    return PollOutcome::StopTask;
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
  lastPollTime = host().currentTime();
  viewer_.notifyPollFinished(pageShown);
  return PollOutcome::Continue;
}

bool ThreadWatchTask::renderPosts(bool reset) {
  return vexa::renderPosts(writer_, viewMode_, thread_.posts(), thread_.streamLinks(),
                           thread_.previousPostCount(), thread_.previousLinkCount(), reset);
}

void ThreadWatchTask::toggleView(bool forceLatest) {
  if (viewer_.state() != ViewerState::Watching) return;
  if (!watching && receivingStarted) return;
  viewMode_ = toggledViewMode(viewMode_, forceLatest);
  renderPosts(true);
}

bool ThreadWatchTask::fetchWriteForm(bool foreground) {
  if (writeFormParsed) return false;
  WriteForm& form = viewer_.writeForm();
  form.clear();
  quiet = !foreground;
  TextBuffer server, pagePath;
  viewer_.boardState().getPageAddress(server, pagePath);
  if (download(server.text(), pagePath.text())) {
    if (foreground && !cancelRequested) viewer_.setViewerState(ViewerState::Idle);
    return true;
  }
  std::string status = "- 書き込みパラメタを解析："_sjis;
  status += pagePath.text();
  status += " -";
  setStatus(status.c_str());
  yieldBusy();
  // A switch to another thread during the yield: this page is no longer the current thread's.
  if (restartRequested) return false;

  const std::string_view marker = ">掲示板に戻る<"_sjis;
  const char* found = findInBody(marker.data(), static_cast<uint32_t>(marker.size()));
  if (!found) {
    if (foreground) {
      std::string line = "- 書き込みフォーム取得失敗："_sjis;
      line += pagePath.text();
      line += " -";
      setStatus(line.c_str());
    }
  } else if (!parseWriteForm(body(), static_cast<size_t>(found - body().data()), form)) {
    writeFormParsed = true;
  }
  host().setTrayState(TrayState::Normal);
  return false;
}

bool ThreadWatchTask::fetchThreadData(bool background) {
  TextBuffer server, datPath;
  viewer_.boardState().getDataAddress(server, datPath);
  quiet = background;
  if (download(server.text(), datPath.text())) {
    if (!cancelRequested) viewer_.setViewerState(ViewerState::Idle);
    return true;
  }
  return false;
}

}  // namespace vexa
