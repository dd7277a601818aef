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

// Tells a front end what the viewer did. Called on the fiber that caused it (a task, or the GUI
// fiber for requests from the window), inside the viewer lock: record what happened and act on
// it after the task's slice rather than making new requests from here.
class ViewerObserver {
 public:
  virtual ~ViewerObserver() = default;
  // After every accepted state change (Idle included).
  virtual void viewerStateChanged(ViewerState state) = 0;
  // After each poll of the watch loop has refreshed the posts and rendered them; `pageShown` is
  // false when no new visible post came, so the page on screen stayed.
  virtual void pollFinished(bool pageShown) = 0;
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
