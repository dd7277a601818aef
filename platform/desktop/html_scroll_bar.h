#pragma once

// Inside the desktop layer only: the post view's scroll bar, a strip at the right edge with a
// thumb, as plain geometry.
namespace vexa::platform::desktop {

constexpr int kScrollBarWidth = 12;
constexpr int kSmallestThumb = 16;

struct ScrollBarGeometry {
  bool active = false;  // the page is taller than the view
  int thumbTop = 0;
  int thumbHeight = 0;
};

// The largest scroll offset of a page of `pageHeight` in a view of `viewHeight` (0 when it fits).
int maxScroll(int viewHeight, int pageHeight);
// `y` kept between 0 and maxScroll.
int clampScroll(int y, int viewHeight, int pageHeight);
// The thumb for the view at `scrollY`; the track is the view's whole height.
ScrollBarGeometry scrollBarGeometry(int viewHeight, int pageHeight, int scrollY);
// The scroll offset that puts the thumb's top at `thumbTop` (clamped).
int scrollForThumbTop(int thumbTop, int viewHeight, int pageHeight);

}  // namespace vexa::platform::desktop
