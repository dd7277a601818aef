#pragma once

// The viewer of one board: the state machine that decides what the content pane shows, and the
// two tasks that do the loading.
//
// Threads and fibers: everything runs on the GUI thread. The requests (searchThreads,
// openThread, addNgId, toggleView, setViewerState) come from the window or the front end on the
// GUI fiber, or from the tasks on their own fibers; each takes the viewer lock (a recursive
// TimedMutex, always taken without a time-out), which also guards the board state and the NG
// list. The tasks run only inside the loop's slices: add them with addTasks(), the watch task
// first, as the loop's order says. The window-side pieces (BoardWindows) are told of changes on
// whichever fiber made them.
//
// A front end drives it like this:
//   BoardViewer viewer(settings, downloadHost, windows);
//   viewer.addTasks(loop);
//   viewer.searchThreads();                 // the "thread search" button, filter text read later
//   ... observer sees ListShown: viewer.openThread("1234567890.dat");
//   ... observer sees Watching, then pollFinished() after every poll
//   viewer.failed()                         // Idle with no task left: the status line says why
//   viewer.stopTasks()                      // at the end: Idle, every task told to leave

#include <cstdint>
#include <string_view>

#include "base/task_loop.h"
#include "base/timed_mutex.h"
#include "board/board_settings.h"
#include "board/board_state.h"
#include "board/board_windows.h"
#include "board/thread_list_task.h"
#include "board/thread_watch_task.h"
#include "board/viewer_state.h"
#include "board/write_form.h"
#include "net/download_host.h"
#include "view/ng_id_list.h"

namespace vexa {

class BoardViewer {
 public:
  // `host` and every piece of `windows` are borrowed and must outlive the viewer; the page sink
  // is required.
  BoardViewer(const BoardSettings& settings, DownloadHost& host, const BoardWindows& windows);
  BoardViewer(const BoardViewer&) = delete;
  BoardViewer& operator=(const BoardViewer&) = delete;

  // Adds the two tasks to the loop in their order: the watch task, then the list task.
  void addTasks(TaskLoop& loop);

  // "スレ検索" or Enter in the filter box: (re)load and show the thread list.
  void searchThreads();
  // A "thread:" link: makes the thread with `key` current and loads it. Ignored unless the list
  // or a thread is shown (a thread switch while another loads would mix the two).
  void openThread(std::string_view key);
  // An "ngid:" link (the whole link text, Shift_JIS): adds the ID to the NG list, then reloads
  // the thread so the new entry applies to every post.
  void addNgId(std::string_view link);
  // The view button (forceLatest off) or a stream link opened (on): see ThreadWatchTask.
  void toggleView(bool forceLatest);

  // The state machine. True when the request was accepted; an unaccepted request changes
  // nothing.
  bool setViewerState(ViewerState request);
  ViewerState state() const { return state_; }
  // True when the viewer ended in Idle after a failure: Idle, and no task is left running.
  bool failed() const;
  // True while the list task runs a load.
  bool listLoading() const { return listTask_.loading(); }
  // True while either task runs.
  bool tasksRunning() const { return listTask_.isLive() || watchTask_.isLive(); }
  // At shutdown: Idle, and both tasks cancelled, so each leaves at its next yield instead of
  // being dropped with what its fiber holds. Call again before each resume: a download that
  // starts afterwards clears its cancel.
  void stopTasks();
  // After the loop: stops the tasks and resumes them until they return, so each fiber frees
  // what it holds. Bounded: a task still running after a few seconds is left as it is.
  void finishTasks();

  ThreadListTask& listTask() { return listTask_; }
  ThreadWatchTask& watchTask() { return watchTask_; }
  BoardState& boardState() { return board_; }
  NgIdList& ngIds() { return ngIds_; }
  WriteForm& writeForm() { return writeForm_; }
  const BoardSettings& settings() const { return settings_; }
  TimedMutex& lock() { return lock_; }

  // For the tasks: the filter box's text, and the end of each poll.
  void readFilterText(TextBuffer& text);
  void notifyPollFinished(PollResult result);

 private:
  BoardSettings settings_;
  DownloadHost& host_;
  BoardWindows windows_;
  TimedMutex lock_;
  ViewerState state_ = ViewerState::Idle;
  bool started_ = false;
  BoardState board_{lock_};
  NgIdList ngIds_;
  WriteForm writeForm_;
  ThreadListTask listTask_;
  ThreadWatchTask watchTask_;
};

}  // namespace vexa
