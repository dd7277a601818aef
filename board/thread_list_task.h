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
// the list it parses or renders. loadThreadList() also runs on the watch task's fiber for the
// quiet refresh before each poll, with the watch task's own download client.
class ThreadListTask : public DownloadClient {
 public:
  ThreadListTask(BoardViewer& viewer, DownloadHost& host, PageSink& browser);

  // Step 1 of a run: learns the board address from the menu unless it is known. True when it
  // failed (the status line says why and the viewer is Idle).
  bool acquireBoardAddress();

  // Downloads subject.txt and merges it into the thread list, then sorts it. A foreground load
  // runs on this task with its status lines and sends the viewer to Idle on failure. A
  // background load (before each poll) downloads through the calling task's `client`, so it
  // yields that task's fiber; it is quiet, leaves the viewer state alone on failure, and is
  // abandoned as soon as this task's own run is in progress. True when the download failed or
  // the load was abandoned.
  bool loadThreadList(DownloadClient& client, bool background);

  // Renders the list page: the filter box's words applied, one link per thread that passes,
  // a status line and a yield after every position.
  void renderThreadList();

 protected:
  void run() override;

 private:
  void fail(const char* line);

  BoardViewer& viewer_;
  PageWriter writer_;
};

}  // namespace vexa
