#include "platform/desktop/html_popups.h"

#include <gtest/gtest.h>

namespace vexa::platform::desktop {

void PrintTo(const PopupBox& b, std::ostream* out) {
  *out << "{" << b.x << ", " << b.y << ", " << b.width << "x" << b.height << "}";
}

namespace {

TEST(PopupPlacement, OpensAtTheLinkAndStaysInTheView) {
  // A 288 x 600 view; scrolled views start lower down the page.
  const PopupBox view{0, 0, 288, 600};
  const PopupBox scrolled{0, 5000, 288, 600};
  struct Case {
    const char* name;
    PopupBox link;
    int width;
    int height;
    PopupBox view;
    PopupBox expected;
  };
  const Case cases[] = {
      {"room enough: at the link's top-left", {30, 40, 24, 16}, 100, 50, view, {30, 40, 100, 50}},
      {"touching the right edge exactly", {188, 40, 24, 16}, 100, 50, view, {188, 40, 100, 50}},
      {"past the right edge: moved left", {250, 40, 24, 16}, 100, 50, view, {188, 40, 100, 50}},
      {"past the bottom: moved up", {30, 580, 24, 16}, 100, 50, view, {30, 550, 100, 50}},
      {"past both: moved left and up", {270, 590, 16, 16}, 100, 50, view, {188, 550, 100, 50}},
      {"wider than the view: at the left edge", {100, 40, 24, 16}, 400, 50, view, {0, 40, 400, 50}},
      {"taller than the view: at the top edge",
       {30, 300, 24, 16},
       100,
       900,
       view,
       {30, 0, 100, 900}},
      {"scrolled: page coordinates", {30, 5100, 24, 16}, 100, 50, scrolled, {30, 5100, 100, 50}},
      {"scrolled, near the bottom of the view",
       {30, 5590, 24, 16},
       100,
       50,
       scrolled,
       {30, 5550, 100, 50}},
      {"a link above the view (scrolled away): brought to the top",
       {30, 4900, 24, 16},
       100,
       50,
       scrolled,
       {30, 5000, 100, 50}},
      {"an empty view: at its corner", {30, 40, 24, 16}, 100, 50, {0, 0, 0, 0}, {0, 0, 100, 50}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(placePopup(c.link, c.width, c.height, c.view), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace vexa::platform::desktop
