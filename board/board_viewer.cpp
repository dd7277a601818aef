#include "board/board_viewer.h"

#include "platform/clock.h"
#include "platform/thread.h"
#include "view/page_sink.h"

namespace vexa {

BoardViewer::BoardViewer(const BoardSettings& settings, DownloadHost& host,
                         const BoardWindows& windows)
    : settings_(settings),
      host_(host),
      windows_(windows),
      listTask_(*this, host, *windows.browser),
      watchTask_(*this, host, *windows.browser) {
  listTask_.setStatusView(windows.listStatus);
  watchTask_.setStatusView(windows.watchStatus);
}

void BoardViewer::addTasks(TaskLoop& loop) {
  loop.addTask(&watchTask_);
  loop.addTask(&listTask_);
}

void BoardViewer::searchThreads() {
  setViewerState(ViewerState::LoadingList);
}

void BoardViewer::openThread(std::string_view key) {
  LockGuard guard(lock_, 0);
  if (state_ != ViewerState::ListShown && state_ != ViewerState::Watching) return;
  board_.selectThread(key);
  setViewerState(ViewerState::LoadingThread);
}

void BoardViewer::addNgId(std::string_view link) {
  LockGuard guard(lock_, 0);
  ngIds_.addFromLink(link);
  setViewerState(ViewerState::LoadingThread);
}

void BoardViewer::toggleView(bool forceLatest) {
  LockGuard guard(lock_, 0);
  watchTask_.toggleView(forceLatest);
}

bool BoardViewer::failed() const {
  return state_ == ViewerState::Idle && started_ && !listTask_.isLive() && !watchTask_.isLive();
}

void BoardViewer::readFilterText(TextBuffer& text) {
  text.clear();
  if (windows_.filter) windows_.filter->filterText(text);
}

void BoardViewer::notifyPollFinished(PollResult result) {
  if (windows_.observer) windows_.observer->pollFinished(result);
}

void BoardViewer::stopTasks() {
  LockGuard guard(lock_, 0);
  if (state_ != ViewerState::Idle) setViewerState(ViewerState::Idle);
  watchTask_.requestCancel();
  listTask_.requestCancel();
}

void BoardViewer::finishTasks() {
  FiberTask* tasks[] = {&watchTask_, &listTask_};
  const uint32_t start = platform::tickMs();
  while (platform::tickMs() - start < 5000) {
    stopTasks();
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

bool BoardViewer::setViewerState(ViewerState request) {
  LockGuard guard(lock_, 0);
  switch (request) {
    case ViewerState::Idle:
      state_ = ViewerState::Idle;
      host_.setTrayState(TrayState::Normal);
      board_.clearAddress();
      break;
    case ViewerState::LoadingList:
      state_ = ViewerState::LoadingList;
      started_ = true;
      watchTask_.requestCancel();
      listTask_.requestLoad();
      if (windows_.content) windows_.content->showStatusView(BoardTaskId::List);
      break;
    case ViewerState::ListShown:
      if (state_ != ViewerState::LoadingList) return false;
      state_ = ViewerState::ListShown;
      host_.setTrayState(TrayState::Normal);
      if (windows_.content) windows_.content->showBrowserView();
      break;
    case ViewerState::LoadingThread:
      if (state_ != ViewerState::ListShown && state_ != ViewerState::Watching) return false;
      state_ = ViewerState::LoadingThread;
      watchTask_.requestLoad();
      if (windows_.content) windows_.content->showStatusView(BoardTaskId::Watch);
      break;
    case ViewerState::Watching:
      if (state_ != ViewerState::LoadingThread) return false;
      state_ = ViewerState::Watching;
      host_.setTrayState(TrayState::Normal);
      if (windows_.content) windows_.content->showBrowserView();
      break;
  }
  if (windows_.observer) windows_.observer->viewerStateChanged(state_);
  return true;
}

}  // namespace vexa
