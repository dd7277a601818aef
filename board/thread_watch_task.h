#pragma once

#include <cstdint>

#include "board/thread_posts.h"
#include "net/download_client.h"
#include "view/page_writer.h"
#include "view/post_views.h"

namespace vexa {

class BoardViewer;

// Loads the current thread and keeps polling it. One pass of run() per thread load: the write
// form, the data file, a full parse, the first page, then the watch loop, which polls at the
// poll interval (refreshing the thread list quietly first, moving to the successor when the
// thread is full) until the viewer leaves Watching. A thread switch or NG addition while it runs
// sets the restart flag, and the next pass loads again from the first post.
//
// run() executes on this task's fiber: busy yields after status lines and parsed lines, and a
// wait until the next poll (at most a short while, so changes of state are seen) in the watch
// loop. The flags are set by viewer requests on the GUI fiber or the list task's fiber.
class ThreadWatchTask : public DownloadClient {
 public:
  ThreadWatchTask(BoardViewer& viewer, DownloadHost& host, PageSink& browser);

  // Downloads the thread's page and reads its write form, once per thread. True when the page
  // download failed (in the foreground the viewer is then Idle, unless the load was cancelled).
  bool fetchWriteForm(bool foreground);
  // Downloads the thread's data file. True on failure: the viewer is then Idle, unless the
  // download was cancelled by a newer request, which owns the viewer now.
  bool fetchThreadData(bool background);

  // Switches between the latest posts and the stream-link posts (forceLatest: back to the latest
  // posts) and renders the new view from the start. Called under the viewer lock.
  void toggleView(bool forceLatest);

  bool restartRequested = false;
  bool watching = false;
  bool writeFormParsed = false;
  int64_t lastPollTime = 0;

 protected:
  void run() override;

 private:
  enum class LoadOutcome { Loaded, Abandoned, Failed };
  enum class PollOutcome { Continue, LeaveLoop, StopTask };

  LoadOutcome loadThread();
  bool loadAbandoned();
  LoadOutcome parseFullLoad();
  // Runs the watch loop; false when the task must stop at once (no restart either).
  bool watchLoop();
  PollOutcome poll();
  bool renderPosts(bool reset);

  BoardViewer& viewer_;
  PageWriter writer_;
  ThreadPosts thread_;
  ViewMode viewMode_ = ViewMode::LatestBatch;
};

}  // namespace vexa
