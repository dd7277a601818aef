#pragma once

#include <cstdint>

#include "board/board_windows.h"
#include "board/thread_posts.h"
#include "net/download_client.h"
#include "view/page_writer.h"
#include "view/post_views.h"

namespace vexa {

class BoardViewer;
class TextBuffer;

// Loads the current thread and keeps polling it. One pass of run() per thread load: the write
// form, the data file, a full parse, the first page, then the watch loop, which polls at the
// poll interval (refreshing the thread list quietly first, moving to the successor when the
// thread is full) until the viewer leaves Watching. A thread switch or NG addition while it runs
// asks for a restart, and the next pass loads again from the first post.
//
// run() executes on this task's fiber: busy yields after status lines and parsed lines, and a
// wait until the next poll (at most a short while, so changes of state are seen) in the watch
// loop. The requests (requestLoad, requestCancel, toggleView) come from the viewer on the GUI
// fiber or the list task's fiber, between this fiber's yields; the task's state is its own.
//
// The quiet refresh of the thread list before each poll runs here, on this task's fiber and
// connection, rather than on the list task: it is one step of the poll whose result decides the
// rest of it, and a foreground list load that starts meanwhile keeps the list task to itself.
class ThreadWatchTask : public DownloadClient {
 public:
  ThreadWatchTask(BoardViewer& viewer, DownloadHost& host, PageSink& browser);

  // A LoadingThread request: stops the watch loop and any transfer, forgets the write form and
  // loads the current thread from its first post (starting the task unless it runs).
  void requestLoad();
  // True from the first page of a load until the watch loop ends.
  bool isWatching() const { return watching_; }

  // Switches between the latest posts and the stream-link posts (forceLatest: back to the latest
  // posts) and renders the new view from the start. Called under the viewer lock.
  void toggleView(bool forceLatest);

 protected:
  void run() override;

 private:
  enum class LoadOutcome { Loaded, Abandoned, Failed };
  enum class Step { Continue, LeaveLoop, StopTask };
  // How the download of the thread's page ended.
  enum class PageFetch { Fetched, NotServed, Failed };

  LoadOutcome loadThread();
  bool loadAbandoned();
  LoadOutcome parseFullLoad();
  // Runs the watch loop; false when the task must stop at once (no restart either).
  bool watchLoop();
  Step poll();
  // Before each poll: the quiet refresh of the thread list. True when it failed or gave way.
  bool refreshThreadList();
  bool pollAbandoned();
  void finishPoll(PollResult result);
  bool renderPosts(bool reset);

  // The write form, once per thread: the page's download, the form read from it, the tray.
  // True when the page could not be downloaded at all (the connection failed or was cancelled;
  // in the foreground the viewer is then Idle unless cancelled).
  bool fetchWriteForm(bool foreground);
  PageFetch downloadThreadPage(bool foreground, TextBuffer& pagePath);
  void readWriteForm(bool foreground, const TextBuffer& pagePath);
  void reportFormMissing(bool foreground, const TextBuffer& pagePath);
  // Downloads the thread's data file. True on failure, also when the service answers that the
  // thread is archived: the viewer is then Idle, unless the download was cancelled by a newer
  // request, which owns the viewer now.
  bool fetchThreadData(bool background);

  BoardViewer& viewer_;
  PageWriter writer_;
  ThreadPosts thread_;
  ViewMode viewMode_ = ViewMode::LatestBatch;
  bool restartRequested_ = false;
  bool watching_ = false;
  bool writeFormParsed_ = false;
  int64_t lastPollTime_ = 0;
};

}  // namespace vexa
