#pragma once

#include <cstdint>
#include <string>

#include "net/download_client.h"
#include "view/page_writer.h"

namespace vexa {

class BoardViewer;

// Loads the thread list and shows it: learns the board's address from the board menu when it is
// not known, downloads subject.txt, merges it into the thread list, renders the list page with
// the filter box's words and asks for ListShown. Started by a LoadingList request.
//
// run() executes on this task's fiber; it yields busy after every status line and every line of
// the list it parses or renders, and leaves at the next of them once it is cancelled
// (requestCancel, at shutdown). The quiet refresh before each poll is the watch task's own: it
// runs on that task's fiber with its connection (see ThreadWatchTask).
class ThreadListTask : public DownloadClient {
 public:
  ThreadListTask(BoardViewer& viewer, DownloadHost& host, PageSink& browser);

  // A LoadingList request: starts a run unless one is in progress.
  void requestLoad() { start(0); }
  // True while a run is in progress.
  bool loading() const { return isLive(); }

 protected:
  void run() override;

 private:
  // Learns the board address from the menu unless it is known. True when it failed (the status
  // line says why and the viewer is Idle) or was cancelled.
  bool acquireBoardAddress();
  // Downloads subject.txt and merges it, with a status line per line. True when it failed (the
  // viewer is then Idle, unless cancelled) or was cancelled.
  bool loadList();
  // Renders the list page: the filter box's words applied, one link per thread that passes,
  // a status line and a yield after every position. True when cancelled on the way.
  bool renderThreadList();
  void fail(const char* line);

  BoardViewer& viewer_;
  PageWriter writer_;
};

}  // namespace vexa
