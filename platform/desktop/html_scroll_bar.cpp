#include "platform/desktop/html_scroll_bar.h"

#include <algorithm>
#include <cstdint>

namespace vexa::platform::desktop {

int maxScroll(int viewHeight, int pageHeight) {
  return std::max(0, pageHeight - std::max(viewHeight, 0));
}

int clampScroll(int y, int viewHeight, int pageHeight) {
  return std::clamp(y, 0, maxScroll(viewHeight, pageHeight));
}

ScrollBarGeometry scrollBarGeometry(int viewHeight, int pageHeight, int scrollY) {
  ScrollBarGeometry bar;
  const int most = maxScroll(viewHeight, pageHeight);
  if (most <= 0 || viewHeight <= 0) return bar;
  bar.active = true;
  // 64-bit products: a page may be millions of pixels tall.
  const int64_t thumb = int64_t{viewHeight} * viewHeight / pageHeight;
  bar.thumbHeight = static_cast<int>(std::clamp<int64_t>(thumb, kSmallestThumb, viewHeight));
  const int travel = viewHeight - bar.thumbHeight;
  const int y = std::clamp(scrollY, 0, most);
  bar.thumbTop = static_cast<int>(int64_t{travel} * y / most);
  return bar;
}

int scrollForThumbTop(int thumbTop, int viewHeight, int pageHeight) {
  const ScrollBarGeometry bar = scrollBarGeometry(viewHeight, pageHeight, 0);
  const int most = maxScroll(viewHeight, pageHeight);
  const int travel = viewHeight - bar.thumbHeight;
  if (!bar.active || travel <= 0) return 0;
  const int top = std::clamp(thumbTop, 0, travel);
  return static_cast<int>((int64_t{top} * most + travel / 2) / travel);
}

}  // namespace vexa::platform::desktop
