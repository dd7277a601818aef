#pragma once

#include <array>
#include <vector>

#include "platform/desktop/win_types.h"

// The arithmetic of application bars, apart from the window system so it can be tested alone.
// Struts are the twelve values of _NET_WM_STRUT_PARTIAL: the widths reserved at the left,
// right, top and bottom screen edges, then the first and last row (or column) of each.
namespace vexa::platform::desktop {

using Strut = std::array<long, 12>;
enum StrutIndex {
  kLeft,
  kRight,
  kTop,
  kBottom,
  kLeftStartY,
  kLeftEndY,
  kRightStartY,
  kRightEndY,
  kTopStartX,
  kTopEndX,
  kBottomStartX,
  kBottomEndX
};

// A strut from the four values of the older _NET_WM_STRUT: each along its whole edge.
Strut strutFromEdges(long left, long right, long top, long bottom, SIZE screen);

// `rect` moved clear of the strips the `others` reserve, for a bar on `edge` (ABE_*) of a
// screen of `screen` size: along its edge it moves inwards past the strips on the same edge
// that share rows (or columns) with it, keeping its width; across, it gives up the strips of
// the two other edges that lie across it. Values a window sent beyond the screen count as
// the screen's size, and the result stays on the screen.
RECT clearOfStruts(RECT rect, UINT edge, const std::vector<Strut>& others, SIZE screen);

// The strut that reserves the strip from the screen's `edge` to the far side of `rect`, along
// the rect's length.
Strut strutForBar(const RECT& rect, UINT edge, SIZE screen);

}  // namespace vexa::platform::desktop
