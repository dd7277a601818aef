#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/desktop/win_types.h"

// A child window that shows one HTML page and turns its links into events for its owner. Pages
// are drawn with litehtml through a container of our own over cairo and Pango; nothing is ever
// loaded (no style sheets, images or fonts from outside) and no script runs. GUI thread only
// (see window_system.h).
namespace vexa::platform {

// What the view tells its owner. Called on the GUI thread from inside message handling.
class HtmlViewEvents {
 public:
  virtual ~HtmlViewEvents() = default;
  // Every navigation (a left click on a link, also "#"): `url` is the href exactly as written,
  // UTF-8. Setting `cancel` stops it; only "about:blank" should ever go through (nothing is
  // loaded anyway).
  virtual void beforeNavigate(const std::string& url, bool& cancel) = 0;
  // A middle click, a Ctrl+left click, or the context menu's "新しいウィンドウで開く" on a link.
  virtual void newWindow(const std::string& url, bool& cancel) = 0;
  // The view is going away (its window is being destroyed): the owner drops its references.
  // Not called when the HtmlView object itself is destroyed (its owner is going away then).
  virtual void quit() = 0;
};

namespace desktop {
class HtmlViewWindow;
}

class HtmlView {
 public:
  HtmlView();
  ~HtmlView();
  HtmlView(const HtmlView&) = delete;
  HtmlView& operator=(const HtmlView&) = delete;

  // Creates the view as a visible child window of `parent` with the control id; true on failure.
  bool create(HWND parent, int controlId, HtmlViewEvents& events);
  HWND window() const;
  // Replaces the document as a whole: clear(), then write() the page (Shift_JIS bytes, may be
  // written in several pieces), then close() parses, lays out at the window's width and repaints.
  // close() with nothing written leaves the view blank. The scroll position is kept (clamped to
  // the new page), so a reader of a long list keeps their place when it is refreshed.
  void clear();
  void write(std::string_view pageCp932);
  void close();

  // The scroll offset in pixels and the height of the laid-out page (for tests and the owner).
  int scrollY() const;
  int pageHeight() const;

 private:
  std::unique_ptr<desktop::HtmlViewWindow> impl_;
};

}  // namespace vexa::platform
