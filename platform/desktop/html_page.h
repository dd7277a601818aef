#pragma once

#include <cairo.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/desktop/html_container.h"
#include "platform/desktop/html_popups.h"

// Inside the desktop layer only: one page of the post view without its window. It parses a
// Shift_JIS page, lays it out at a width, places its pop-ups, draws any part of it into cairo and
// answers what lies under a point. Page coordinates throughout: (0, 0) is the page's top-left
// corner, y grows down the whole page. GUI thread only; needs no display.
namespace vexa::platform::desktop {

class HtmlPage {
 public:
  HtmlPage();
  ~HtmlPage();
  HtmlPage(const HtmlPage&) = delete;
  HtmlPage& operator=(const HtmlPage&) = delete;

  // Replaces the document with `pageCp932`; the old one is freed first. An empty page leaves no
  // document (blank). Bytes that are not Shift_JIS show as U+FFFD. Not laid out yet.
  void load(std::string_view pageCp932);
  bool empty() const { return !document_; }

  // Lays the page out at `width` for a view of `viewHeight` pixels and places the pop-ups shown.
  void layout(int width, int viewHeight);
  // Places the pop-ups for a view showing page rows [top, top + viewHeight) (after a scroll).
  void placePopups(int top);
  // The view's height changed but not its width: no layout, the pop-ups are kept inside it.
  void resizeView(int viewHeight);
  // A pop-up opened or closed since the last layout: only a layout gives it its box.
  bool needsLayout() const;
  int width() const { return width_; }
  int height() const;
  // The page's background colour as 0x00RRGGBB (the body's, or white).
  uint32_t background() const;

  // Paints page area [left, right) x [top, bottom) at cairo's origin shifted by (-0, -scrollY).
  void draw(cairo_t* cr, int scrollY, int left, int top, int right, int bottom);

  // Pointer movement and buttons in page coordinates (client coordinates for litehtml's fixed
  // boxes). Each returns true when the page must be drawn again (a hover style changed);
  // whether it must be laid out first, needsLayout() tells.
  bool mouseOver(int x, int y, int clientX, int clientY);
  bool mouseLeave();
  bool leftDown(int x, int y, int clientX, int clientY);
  bool leftUp(int x, int y, int clientX, int clientY);

  // The href of the link under the point, exactly as written (UTF-8); empty when none.
  std::string linkAt(int x, int y, int clientX, int clientY) const;
  // The text of the post under the point (UTF-8, lines joined by "\n"), empty when the point is
  // on no post.
  std::string postTextAt(int x, int y, int clientX, int clientY) const;

  // The whole page's text as it reads on screen (pop-ups left out), and the boxes of the pop-ups
  // shown now, in page coordinates.
  std::string shownText() const;
  std::vector<PopupBox> shownPopups() const;
  // The text of each laid-out line of words and where its last word ends, top to bottom (white
  // space between words included, breaks and pop-ups left out).
  struct Line {
    std::string text;
    int top = 0;
    int right = 0;
  };
  std::vector<Line> laidOutLines() const;

  HtmlContainer& container() { return container_; }

 private:
  HtmlContainer container_;
  litehtml::context context_;
  litehtml::document::ptr document_;
  std::vector<litehtml::element::ptr> popups_;
  std::vector<const litehtml::element*> placed_;  // the pop-ups shown at the last layout
  int width_ = 0;
  int viewHeight_ = 0;
  int top_ = 0;
};

}  // namespace vexa::platform::desktop
