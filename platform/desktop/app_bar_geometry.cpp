#include "platform/desktop/app_bar_geometry.h"

#include <algorithm>

#include "platform/desktop/app_bar.h"

namespace vexa::platform::desktop {

namespace {

// Whether [a0, a1) meets the closed range [b0, b1] a strut gives.
bool overlaps(long a0, long a1, long b0, long b1) {
  return a0 <= b1 && b0 < a1;
}

long clampTo(long value, long most) {
  return std::clamp(value, 0L, most);
}

}  // namespace

Strut strutFromEdges(long left, long right, long top, long bottom, SIZE screen) {
  const long lastRow = std::max(0L, static_cast<long>(screen.cy) - 1);
  const long lastColumn = std::max(0L, static_cast<long>(screen.cx) - 1);
  return Strut{left, right, top, bottom, 0, lastRow, 0, lastRow, 0, lastColumn, 0, lastColumn};
}

RECT clearOfStruts(RECT rect, UINT edge, const std::vector<Strut>& others, SIZE screen) {
  const long width = screen.cx;
  const long height = screen.cy;
  const bool vertical = edge == ABE_LEFT || edge == ABE_RIGHT;
  // Along the edge: past the strips on the same edge.
  long inward = 0;
  for (const Strut& s : others) {
    switch (edge) {
      case ABE_LEFT:
        if (overlaps(rect.top, rect.bottom, s[kLeftStartY], s[kLeftEndY])) {
          inward = std::max(inward, clampTo(s[kLeft], width));
        }
        break;
      case ABE_RIGHT:
        if (overlaps(rect.top, rect.bottom, s[kRightStartY], s[kRightEndY])) {
          inward = std::max(inward, clampTo(s[kRight], width));
        }
        break;
      case ABE_TOP:
        if (overlaps(rect.left, rect.right, s[kTopStartX], s[kTopEndX])) {
          inward = std::max(inward, clampTo(s[kTop], height));
        }
        break;
      default:
        if (overlaps(rect.left, rect.right, s[kBottomStartX], s[kBottomEndX])) {
          inward = std::max(inward, clampTo(s[kBottom], height));
        }
        break;
    }
  }
  const long thickness = vertical ? clampTo(long{rect.right} - rect.left, width)
                                  : clampTo(long{rect.bottom} - rect.top, height);
  const long span = vertical ? width : height;
  // Inwards by the others' strips, but never off the far side of the screen.
  long inset = std::min(std::max(inward, 0L), span - thickness);
  if (edge == ABE_LEFT) {
    rect.left = std::max<long>(rect.left, inset);
    rect.left = std::min<long>(rect.left, span - thickness);
    rect.right = rect.left + thickness;
  } else if (edge == ABE_RIGHT) {
    rect.right = std::min<long>(rect.right, span - inset);
    rect.right = std::max<long>(rect.right, thickness);
    rect.left = rect.right - thickness;
  } else if (edge == ABE_TOP) {
    rect.top = std::max<long>(rect.top, inset);
    rect.top = std::min<long>(rect.top, span - thickness);
    rect.bottom = rect.top + thickness;
  } else {
    rect.bottom = std::min<long>(rect.bottom, span - inset);
    rect.bottom = std::max<long>(rect.bottom, thickness);
    rect.top = rect.bottom - thickness;
  }
  // Across: the strips of the other two edges that lie across the bar's new place.
  long lowEnd = vertical ? std::max<long>(rect.top, 0) : std::max<long>(rect.left, 0);
  long highEnd = vertical ? std::min<long>(rect.bottom, height) : std::min<long>(rect.right, width);
  for (const Strut& s : others) {
    if (vertical) {
      if (overlaps(rect.left, rect.right, s[kTopStartX], s[kTopEndX])) {
        lowEnd = std::max(lowEnd, clampTo(s[kTop], height));
      }
      if (overlaps(rect.left, rect.right, s[kBottomStartX], s[kBottomEndX])) {
        highEnd = std::min(highEnd, height - clampTo(s[kBottom], height));
      }
    } else {
      if (overlaps(rect.top, rect.bottom, s[kLeftStartY], s[kLeftEndY])) {
        lowEnd = std::max(lowEnd, clampTo(s[kLeft], width));
      }
      if (overlaps(rect.top, rect.bottom, s[kRightStartY], s[kRightEndY])) {
        highEnd = std::min(highEnd, width - clampTo(s[kRight], width));
      }
    }
  }
  // Strips that leave no room are ignored rather than giving an empty bar.
  if (lowEnd < highEnd) {
    if (vertical) {
      rect.top = lowEnd;
      rect.bottom = highEnd;
    } else {
      rect.left = lowEnd;
      rect.right = highEnd;
    }
  }
  return rect;
}

Strut strutForBar(const RECT& rect, UINT edge, SIZE screen) {
  Strut s{};
  const long lastRow = std::max<long>(rect.bottom - 1, rect.top);
  const long lastColumn = std::max<long>(rect.right - 1, rect.left);
  switch (edge) {
    case ABE_LEFT:
      s[kLeft] = clampTo(rect.right, screen.cx);
      s[kLeftStartY] = rect.top;
      s[kLeftEndY] = lastRow;
      break;
    case ABE_RIGHT:
      s[kRight] = clampTo(long{screen.cx} - rect.left, screen.cx);
      s[kRightStartY] = rect.top;
      s[kRightEndY] = lastRow;
      break;
    case ABE_TOP:
      s[kTop] = clampTo(rect.bottom, screen.cy);
      s[kTopStartX] = rect.left;
      s[kTopEndX] = lastColumn;
      break;
    default:
      s[kBottom] = clampTo(long{screen.cy} - rect.top, screen.cy);
      s[kBottomStartX] = rect.left;
      s[kBottomEndX] = lastColumn;
      break;
  }
  return s;
}

}  // namespace vexa::platform::desktop
