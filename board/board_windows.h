#pragma once

#include <string>

#include "base/text_buffer.h"
#include "board/viewer_state.h"

namespace vexa {

class PageSink;
class StatusView;

// Which of the two board tasks a status view belongs to.
enum class BoardTaskId { List, Watch };

// The thread-name filter box. Read on the list task's fiber when the list is rendered.
class FilterTextSource {
 public:
  virtual ~FilterTextSource() = default;
  // The box's text as Shift_JIS; empty for an empty box.
  virtual void filterText(TextBuffer& text) = 0;
};

// A filter box that is just a text, for front ends without a window.
class PlainFilterText : public FilterTextSource {
 public:
  void filterText(TextBuffer& out) override { out.assign(text.c_str()); }
  std::string text;
};

// The content pane: shows a task's status view while it loads, the browser view otherwise.
// Called under the viewer lock from whoever changes the viewer state.
class ContentSlot {
 public:
  virtual ~ContentSlot() = default;
  virtual void showStatusView(BoardTaskId task) = 0;
  virtual void showBrowserView() = 0;
};

// How one poll of the watch loop ended.
enum class PollResult {
  PageShown,    // new visible posts: a new page was shown
  PageKept,     // no new visible post: the page on screen stayed
  ListFailed,   // the quiet refresh of the thread list failed: the poll was skipped
  ThreadGone,   // the data file is no longer served (or archived): the list is loaded again
  MovedOn,      // the thread was full: its successor is loaded
  NoSuccessor,  // the thread was full and nothing follows it: the list is loaded again
};

// Tells a front end what the viewer did. Called on the fiber that caused it (a task, or the GUI
// fiber for requests from the window), inside the viewer lock: record what happened and act on
// it after the task's slice rather than making new requests from here.
class ViewerObserver {
 public:
  virtual ~ViewerObserver() = default;
  // After every accepted state change (Idle included).
  virtual void viewerStateChanged(ViewerState state) = 0;
  // After each poll of the watch loop, whatever its result; a poll given up for a newer request
  // (another thread, the list, shutdown) is not told.
  virtual void pollFinished(PollResult result) = 0;
};

// The window-side pieces the viewer talks to. All borrowed; the page sink is required, every
// other piece may be null (nothing is shown or told then).
struct BoardWindows {
  PageSink* browser = nullptr;
  StatusView* listStatus = nullptr;
  StatusView* watchStatus = nullptr;
  FilterTextSource* filter = nullptr;
  ContentSlot* content = nullptr;
  ViewerObserver* observer = nullptr;
};

}  // namespace vexa
